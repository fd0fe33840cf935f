#include "image/ImageContent.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace {

const std::string kByteOrderMark = "\xEF\xBB\xBF";

// One line of the file: [begin, end), without its line end and the spaces around it.
struct Line {
  size_t begin, end;
  bool Empty() const { return begin == end; }
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The line from `at`, trimmed; `next` is where the following one starts.
Line LineAt(const std::string& text, size_t at, size_t& next) {
  size_t end = text.find_first_of("\r\n", at);
  next = end == std::string::npos ? text.size() : end + 1;
  if (end == std::string::npos) end = text.size();
  while (at < end && IsBlank(text[at])) ++at;
  while (end > at && IsBlank(text[end - 1])) --end;
  return {at, end};
}

bool IsComment(const std::string& text, Line line) {
  return !line.Empty() && (text[line.begin] == ';' || text[line.begin] == '#');
}

bool IsRecordStart(const std::string& text, Line line) {
  return !line.Empty() && text[line.begin] == ':';
}

// ':', count, address, type, data and checksum, its length matching its count byte.
bool IsWholeRecord(const std::string& text, Line line) {
  const size_t length = line.end - line.begin;
  if (!IsRecordStart(text, line) || length < 11) return false;
  const auto digits = text.begin() + static_cast<std::ptrdiff_t>(line.begin) + 1;
  if (!std::all_of(digits, text.begin() + static_cast<std::ptrdiff_t>(line.end),
                   [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; })) {
    return false;
  }
  const unsigned count =
      static_cast<unsigned>(std::stoul(text.substr(line.begin + 1, 2), nullptr, 16));
  return length == 1 + 2 * (count + 5);
}

// Past blank and comment lines: is the first line that says anything a whole record?
bool StartsWithWholeRecord(const std::string& text, size_t at) {
  while (at < text.size()) {
    size_t next = 0;
    const Line line = LineAt(text, at, next);
    if (!line.Empty() && !IsComment(text, line)) return IsWholeRecord(text, line);
    at = next;
  }
  return false;
}

bool HasRecordLine(const std::string& text, size_t at) {
  while (at < text.size()) {
    size_t next = 0;
    if (IsRecordStart(text, LineAt(text, at, next))) return true;
    at = next;
  }
  return false;
}

// The bytes of one UTF-8 character that starts with `lead`; 0 when no character does.
size_t Utf8Length(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// Lines of printable characters: without a line end, bytes are no text a person edits, even
// when every one is printable (a table of ASCII in flash).
bool IsText(const std::string& text, size_t at, bool whole) {
  size_t end = text.size();
  // Padding after the last line: Ctrl-Z marks, NULs.
  while (whole && end > at && (text[end - 1] == '\x1A' || text[end - 1] == '\0')) --end;
  if (text.find_first_of("\r\n", at) >= end) return false;
  while (at < end) {
    const unsigned char c = static_cast<unsigned char>(text[at]);
    if (c < 0x80) {
      const bool control = (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F;
      if (control) return false;
      ++at;
      continue;
    }
    const size_t length = Utf8Length(c);
    if (length == 0) return false;
    for (size_t i = 1; i < length; ++i) {
      if (at + i >= end) return !whole;  // cut off by the end of what was read
      if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return false;
    }
    at += length;
  }
  return true;
}

}  // namespace

ImageContent::Kind ImageContent::Of(const std::string& start, bool whole) {
  const size_t at =
      start.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0 ? kByteOrderMark.size() : 0;
  if (StartsWithWholeRecord(start, at)) return Kind::HexRecords;
  if (!IsText(start, at, whole)) return Kind::Binary;
  return HasRecordLine(start, at) ? Kind::HexRecords : Kind::PlainText;
}
