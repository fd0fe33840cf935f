#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "image/IntelHexReader.h"
#include "image/IntelHexWriter.h"
#include "platform/Exception.h"

namespace {

constexpr uint32_t kMemory = 8192;

std::string ErrorOf(const std::string& text, uint32_t memory = kMemory) {
  try {
    IntelHexReader::Parse(text, "firmware.hex", memory);
  } catch (const Exception& e) {
    return e.Message();
  }
  return "(no error)";
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Random runs of random bytes at random places, the rest erased.
Buffer ImageWithGaps(uint32_t size, uint32_t seed) {
  std::mt19937 random(seed);
  Buffer image(size);
  int runs = 1 + static_cast<int>(random() % 12);
  for (int r = 0; r < runs; ++r) {
    uint32_t start = random() % size;
    uint32_t length = 1 + random() % 300;
    for (uint32_t a = start; a < size && a < start + length; ++a) {
      image[a] = static_cast<uint8_t>(random());
    }
  }
  return image;
}

}  // namespace

TEST(IntelHexRoundTrip, RandomImagesWithGapsReadBackTheSame) {
  for (uint32_t seed = 1; seed <= 200; ++seed) {
    Buffer image = ImageWithGaps(kMemory, seed);
    std::string text = IntelHexWriter::Write(image);
    Buffer back = IntelHexReader::Parse(text, "random.hex", kMemory);
    ASSERT_EQ(std::vector<uint8_t>(image.Data(), image.Data() + kMemory),
              std::vector<uint8_t>(back.Data(), back.Data() + kMemory))
        << "seed " << seed;
  }
}

TEST(IntelHexRoundTrip, ImagesBeyond64KUseExtendedLinearAddresses) {
  Buffer image = ImageWithGaps(3 * 65536, 7);
  image[0x1FFFF] = 0x12;
  image[0x20000] = 0x34;
  std::string text = IntelHexWriter::Write(image);
  EXPECT_NE(text.find(":020000040001F9\n"), std::string::npos);
  EXPECT_NE(text.find(":020000040002F8\n"), std::string::npos);
  Buffer back = IntelHexReader::Parse(text, "big.hex", image.Size());
  EXPECT_EQ(0, std::memcmp(image.Data(), back.Data(), image.Size()));
}

TEST(IntelHexWriter, WritesSixteenByteRecordsSkipsErasedRowsAndEnds) {
  Buffer image(kMemory);
  for (uint8_t i = 0; i < 16; ++i) image[i] = i;
  image[0x1234] = 0x00;  // inside the row at 1230
  std::vector<std::string> lines = Lines(IntelHexWriter::Write(image));
  ASSERT_EQ(3u, lines.size());
  EXPECT_EQ(":10000000000102030405060708090A0B0C0D0E0F78", lines[0]);
  EXPECT_EQ(":10123000FFFFFFFF00FFFFFFFFFFFFFFFFFFFFFFBD", lines[1]);
  EXPECT_EQ(":00000001FF", lines[2]);
  EXPECT_EQ(std::vector<std::string>{":00000001FF"}, Lines(IntelHexWriter::Write(Buffer(kMemory))));
}

// A blinking-LED program as an 8051 assembler and linker leave it: a jump at the reset vector,
// the code in 16-byte records, a short last record, and the end record; CR LF line ends.
TEST(IntelHexReader, ReadsAToolchainFileInTheUsualLayout) {
  const std::string file =
      ":03000000020030CB\r\n"
      ":100030007581307590FFB29012004080F900000089\r\n"
      ":090040007FFA7EFADEFEDFFA22EF\r\n"
      ":00000001FF\r\n";
  Buffer image = IntelHexReader::Parse(file, "blink.hex", kMemory);
  const std::vector<uint8_t> vector = {0x02, 0x00, 0x30};
  const std::vector<uint8_t> code = {0x75, 0x81, 0x30, 0x75, 0x90, 0xFF, 0xB2, 0x90, 0x12,
                                     0x00, 0x40, 0x80, 0xF9, 0x00, 0x00, 0x00, 0x7F, 0xFA,
                                     0x7E, 0xFA, 0xDE, 0xFE, 0xDF, 0xFA, 0x22};
  Buffer expected(kMemory);
  std::copy(vector.begin(), vector.end(), expected.Data());
  std::copy(code.begin(), code.end(), expected.Data() + 0x30);
  EXPECT_EQ(0, std::memcmp(expected.Data(), image.Data(), kMemory));
  EXPECT_EQ(0xFF, image[0x03]);
  EXPECT_EQ(0xFF, image[0x49]);
}

TEST(IntelHexReader, HandlesAddressRecordsStartRecordsAndLowerCase) {
  const std::string file =
      ":020000020100FB\n"      // segment 0100: base 1000
      ":02001000aabb89\n"      // so this lands at 1010
      ":020000040000FA\n"      // linear 0000: base 0
      ":02001000AABB89\n"      // and this at 0010
      ":0400000500000030C7\n"  // start addresses are ignored
      ":0400000300000030C9\n"
      "\n"
      ":00000001FF\n";
  Buffer image = IntelHexReader::Parse(file, "a.hex", kMemory);
  EXPECT_EQ(0xAA, image[0x1010]);
  EXPECT_EQ(0xBB, image[0x1011]);
  EXPECT_EQ(0xAA, image[0x0010]);
  EXPECT_EQ(0xFF, image[0x0000]);
}

struct Verdict {
  const char* what;
  std::string text;
  const char* message;  // "(no error)" when the text is taken
};

// The last byte of memory is taken and one beyond is not. Two files pasted together give some
// addresses two values; the later would silently win, so that is an error naming both lines.
TEST(IntelHexReader, RejectsEveryMalformedLineByItsNumber) {
  const Verdict cases[] = {
      {"last byte of memory", ":101FF000000102030405060708090A0B0C0D0E0F69\n:00000001FF\n",
       "(no error)"},
      {"one beyond", ":101FF800000102030405060708090A0B0C0D0E0F61\n:00000001FF\n",
       "firmware.hex line 1: address 2000 is beyond the 8192-byte memory (addresses 0000 to "
       "1FFF)"},
      {"bad checksum", ":03000000020030CB\n:100030007581307590FFB29012004080F900000088\n",
       "firmware.hex line 2: checksum mismatch (found 88, computed 89)"},
      {"short line", ":03000000020030CB\n:0000\n",
       "firmware.hex line 2: the line is too short for a record (2 bytes; a record has at least "
       "5)"},
      {"record shorter than its count", ":1000300075813075CB\n",
       "firmware.hex line 1: the record announces 16 data bytes but holds 4"},
      {"odd digits", ":03000000020030C\n",
       "firmware.hex line 1: an odd number of hexadecimal digits (15)"},
      {"not a digit", ":0300000002G030CB\n",
       "firmware.hex line 1: 'G' in column 12 is not a hexadecimal digit"},
      {"unknown type", ":03000000020030CB\n\n:00000006FA\n",
       "firmware.hex line 3: unknown record type 06"},
      {"address beyond 8 KB", ":020000040001F9\n:02000000AABB99\n",
       "firmware.hex line 2: address 10000 is beyond the 8192-byte memory (addresses 0000 to "
       "1FFF)"},
      {"missing colon", ":03000000020030CB\n03000000020030CB\n",
       "firmware.hex line 2: the line does not start with ':'"},
      {"empty file", "", "firmware.hex line 1: the file holds no records (it is empty)"},
      {"blank lines only", "\n\r\n",
       "firmware.hex line 2: the file holds no records (it is empty)"},
      {"no end record", ":03000000020030CB\n",
       "firmware.hex line 1: the file ends without an end record (:00000001FF); is it cut short?"},
      {"data after the end", ":00000001FF\n:03000000020030CB\n",
       "firmware.hex line 2: a record after the end record"},
      {"end record with data", ":01000001AA54\n",
       "firmware.hex line 1: a record of type 01 must hold 0 data bytes, this one holds 1"},
      {"address record too long", ":03000004000000F9\n",
       "firmware.hex line 1: a record of type 04 must hold 2 data bytes, this one holds 3"},
      {"same values twice", ":03000000020030CB\n:03000000020030CB\n:00000001FF\n", "(no error)"},
      {"one byte differs", ":03000000020030CB\n\n:020001000031CC\n:00000001FF\n",
       "firmware.hex line 3: address 0002 gets 31 here but 30 on line 1 (two files pasted "
       "together?)"},
      {"through a segment record",
       ":020010000102EB\n:020000020001FB\n:0200000003FFFC\n:00000001FF\n",
       "firmware.hex line 3: address 0010 gets 03 here but 01 on line 1 (two files pasted "
       "together?)"},
  };
  for (const Verdict& c : cases) EXPECT_EQ(c.message, ErrorOf(c.text)) << c.what;
}

// Editors, assemblers and DOS tools leave a byte-order mark, comment lines, indented records,
// Ctrl-Z marks and NUL padding; control characters inside a line are shown escaped, never raw
// (a NUL would cut the message, an ESC start a sequence).
TEST(IntelHexReader, TakesTextQuirksAndShowsControlCharactersEscaped) {
  const std::string end = ":00000001FF";
  const Verdict cases[] = {
      {"byte-order mark", "\xEF\xBB\xBF:03000000020030CB\r\n" + end + "\r\n", "(no error)"},
      {"Ctrl-Z after the last line", ":03000000020030CB\r\n" + end + "\r\n\x1A", "(no error)"},
      {"Ctrl-Z on the end record", ":03000000020030CB\n" + end + "\x1A", "(no error)"},
      {"a run of Ctrl-Z", ":03000000020030CB\n" + end + "\n\x1A\x1A\x1A\n\x1A", "(no error)"},
      {"text after Ctrl-Z", ":03000000020030CB\x1A\n" + end + "\n",
       "firmware.hex line 2: text after the end-of-file mark (Ctrl-Z or NUL)"},
      {"NUL padding", ":03000000020030CB\n" + end + "\n" + std::string(5, '\0'), "(no error)"},
      {"records indented", "  :03000000020030CB\n\t" + end + "\n", "(no error)"},
      {"comments before and after",
       "; made by asm51\n# blink\n:03000000020030CB\n" + end + "\n; end\n", "(no error)"},
      {"text after the end record", ":03000000020030CB\n" + end + "\nend\n",
       "firmware.hex line 3: text after the end record"},
      {"byte-order mark on line 2", ":03000000020030CB\n\xEF\xBB\xBF" + end + "\n",
       "firmware.hex line 2: the line does not start with ':'"},
      {"NUL", std::string(":0300") + '\0' + "00020030CB\n" + end,
       "firmware.hex line 1: '\\x00' in column 6 is not a hexadecimal digit"},
      {"lone CR", ":03000000020030CB\r:00000001FF\n",
       "firmware.hex line 1: '\\r' in column 18 is not a hexadecimal digit"},
      {"escape", ":0300\x1b[2J00020030CB\n" + end,
       "firmware.hex line 1: '\\x1B' in column 6 is not a hexadecimal digit"},
      {"Ctrl-Z inside a line", ":0300\x1A" + std::string("00020030CB\n") + end,
       "firmware.hex line 1: '\\x1A' in column 6 is not a hexadecimal digit"},
  };
  for (const Verdict& c : cases) EXPECT_EQ(c.message, ErrorOf(c.text)) << c.what;
  Buffer image = IntelHexReader::Parse(cases[0].text, "bom.hex", kMemory);
  EXPECT_EQ(0x02, image[0]);
  EXPECT_EQ(0x30, image[2]);
}
