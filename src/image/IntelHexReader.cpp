#include "image/IntelHexReader.h"

#include <cstdio>
#include <sstream>
#include <utility>

#include "platform/ControlEscapes.h"
#include "platform/Exception.h"
#include "platform/HexText.h"

namespace {

constexpr uint8_t kData = 0x00, kEnd = 0x01, kSegment = 0x02, kStartSegment = 0x03, kLinear = 0x04,
                  kStartLinear = 0x05;
// Count, two address bytes, type and checksum.
constexpr size_t kRecordOverhead = 5;

std::string Hex2(unsigned value) { return Hex(value & 0xFFu, 2); }

std::string Hex4(uint32_t value) { return Hex(value, 4); }

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string WithoutTrailingSpace(const std::string& line) {
  size_t end = line.find_last_not_of(" \t\r\n");
  return end == std::string::npos ? std::string() : line.substr(0, end + 1);
}

// The UTF-8 byte-order mark some editors put at the start of a text file.
const std::string kByteOrderMark = "\xEF\xBB\xBF";
// DOS marks the end of a text file with Ctrl-Z, and CP/M-era tools pad with a run of them;
// others pad a file to its block size with NULs.
const std::string kEndOfFileMarks("\x1A\0", 2);

std::string WithoutLeadingSpace(const std::string& line) {
  const size_t begin = line.find_first_not_of(" \t");
  return begin == std::string::npos ? std::string() : line.substr(begin);
}

// Assemblers and people note who made a file, or what it holds, on lines of their own.
bool IsComment(const std::string& line) {
  return !line.empty() && (line[0] == ';' || line[0] == '#');
}

}  // namespace

void IntelHexReader::Fail(const std::string& reason) const {
  throw Exception(fileName_ + " line " + std::to_string(lineNumber_) + ": " + reason);
}

IntelHexReader::IntelHexReader(std::string fileName, uint32_t memorySize)
    : fileName_(std::move(fileName)), image_(memorySize), lineOf_(memorySize, 0) {}

void IntelHexReader::ReadLine(const std::string& rawLine) {
  ++lineNumber_;
  std::string line = WithoutTrailingSpace(rawLine);
  if (lineNumber_ == 1 && line.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0) {
    line.erase(0, kByteOrderMark.size());
  }
  // npos + 1 is 0: a line of marks alone becomes empty.
  const size_t kept = line.find_last_not_of(kEndOfFileMarks);
  const bool marked = kept + 1 < line.size();
  if (marked) line = WithoutTrailingSpace(line.substr(0, kept + 1));
  line = WithoutLeadingSpace(line);
  if (!line.empty()) {
    if (endOfFileMark_) Fail("text after the end-of-file mark (Ctrl-Z or NUL)");
    if (!IsComment(line)) ProcessRecord(line);
  }
  endOfFileMark_ = endOfFileMark_ || marked;
}

void IntelHexReader::ProcessRecord(const std::string& line) {
  if (ended_) Fail(line[0] == ':' ? "a record after the end record" : "text after the end record");
  if (line[0] != ':') Fail("the line does not start with ':'");
  Apply(DecodeBytes(line.substr(1)));
  ++records_;
}

std::vector<uint8_t> IntelHexReader::DecodeBytes(const std::string& digits) const {
  for (size_t i = 0; i < digits.size(); ++i) {
    if (DigitValue(digits[i]) < 0) {
      // Escaped, so that a NUL does not cut the message and a CR or ESC does not garble a
      // terminal.
      Fail("'" + EscapeControlCharacters(std::string(1, digits[i])) + "' in column " +
           std::to_string(i + 2) + " is not a hexadecimal digit");
    }
  }
  if (digits.size() % 2 != 0) {
    Fail("an odd number of hexadecimal digits (" + std::to_string(digits.size()) + ")");
  }
  std::vector<uint8_t> bytes(digits.size() / 2);
  for (size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<uint8_t>(DigitValue(digits[2 * i]) * 16 + DigitValue(digits[2 * i + 1]));
  }
  if (bytes.size() < kRecordOverhead) {
    Fail("the line is too short for a record (" + std::to_string(bytes.size()) +
         " bytes; a record has at least " + std::to_string(kRecordOverhead) + ")");
  }
  if (bytes.size() != bytes[0] + kRecordOverhead) {
    Fail("the record announces " + std::to_string(bytes[0]) + " data bytes but holds " +
         std::to_string(bytes.size() - kRecordOverhead));
  }
  uint8_t sum = 0;
  for (size_t i = 0; i + 1 < bytes.size(); ++i) sum = static_cast<uint8_t>(sum + bytes[i]);
  uint8_t computed = static_cast<uint8_t>(-sum);
  if (computed != bytes.back()) {
    Fail("checksum mismatch (found " + Hex2(bytes.back()) + ", computed " + Hex2(computed) + ")");
  }
  return bytes;
}

void IntelHexReader::RequireLength(uint8_t type, size_t length, size_t wanted) const {
  if (length != wanted) {
    Fail("a record of type " + Hex2(type) + " must hold " + std::to_string(wanted) +
         " data bytes, this one holds " + std::to_string(length));
  }
}

void IntelHexReader::Apply(const std::vector<uint8_t>& record) {
  const size_t count = record[0];
  const uint16_t offset = static_cast<uint16_t>(record[1] << 8 | record[2]);
  const uint8_t type = record[3];
  const uint8_t* data = record.data() + 4;
  const uint32_t value16 = count >= 2 ? static_cast<uint32_t>(data[0] << 8 | data[1]) : 0;
  switch (type) {
    case kData:
      StoreData(offset, data, count);
      break;
    case kEnd:
      RequireLength(type, count, 0);
      ended_ = true;
      break;
    case kSegment:
      RequireLength(type, count, 2);
      base_ = value16 << 4;
      break;
    case kLinear:
      RequireLength(type, count, 2);
      base_ = value16 << 16;
      break;
    case kStartSegment:
    case kStartLinear:
      RequireLength(type, count, 4);
      break;
    default:
      Fail("unknown record type " + Hex2(type));
  }
}

void IntelHexReader::StoreData(uint16_t offset, const uint8_t* data, size_t count) {
  const uint64_t first = static_cast<uint64_t>(base_) + offset;
  const uint64_t end = first + count;
  if (end > image_.Size()) {
    uint64_t beyond = first >= image_.Size() ? first : image_.Size();
    Fail("address " + Hex4(static_cast<uint32_t>(beyond)) + " is beyond the " +
         std::to_string(image_.Size()) + "-byte memory (addresses 0000 to " +
         Hex4(image_.Size() - 1) + ")");
  }
  for (size_t i = 0; i < count; ++i) {
    const uint32_t address = static_cast<uint32_t>(first + i);
    // The same value twice is harmless; two values for one address usually mean two files
    // pasted together, and the later one would silently win.
    if (lineOf_[address] != 0 && image_[address] != data[i]) {
      Fail("address " + Hex4(address) + " gets " + Hex2(data[i]) + " here but " +
           Hex2(image_[address]) + " on line " + std::to_string(lineOf_[address]) +
           " (two files pasted together?)");
    }
    image_[address] = data[i];
    lineOf_[address] = lineNumber_;
  }
}

void IntelHexReader::Finish() {
  if (records_ == 0) {
    lineNumber_ = lineNumber_ == 0 ? 1 : lineNumber_;
    Fail("the file holds no records (it is empty)");
  }
  if (!ended_) Fail("the file ends without an end record (:00000001FF); is it cut short?");
}

Buffer IntelHexReader::Parse(const std::string& text, const std::string& fileName,
                             uint32_t memorySize) {
  IntelHexReader reader(fileName, memorySize);
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) reader.ReadLine(line);
  reader.Finish();
  return reader.Image();
}
