#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "image/ImageFile.h"
#include "platform/Exception.h"

namespace fs = std::filesystem;

namespace {

class ImageFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("isp89-imagefile-" + std::to_string(getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }

  std::string Write(const std::string& name, const std::string& content) const {
    std::ofstream(PathOf(name), std::ios::binary) << content;
    return PathOf(name);
  }

  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // The message of the exception Load throws, and a check that the image kept its pattern.
  std::string LoadError(const std::string& path) {
    Buffer image(8192);
    for (uint32_t i = 0; i < image.Size(); ++i) image[i] = static_cast<uint8_t>(i * 7);
    Buffer before = image;
    std::string message = "(no error)";
    try {
      ImageFile::Load(path, image);
    } catch (const Exception& e) {
      message = e.Message();
    }
    EXPECT_EQ(0, std::memcmp(before.Data(), image.Data(), image.Size())) << path;
    return message;
  }

  fs::path folder_;
};

}  // namespace

TEST_F(ImageFileTest, ExtensionChoosesTheFormat) {
  for (const char* name : {"a/firmware.hex", "FIRMWARE.HEX", "main.ihx"}) {
    EXPECT_EQ(ImageFile::Format::IntelHex, ImageFile::FormatOf(name)) << name;
  }
  for (const char* name : {"main.bin", "main.hex.bin", "hex", "dir.hex/main"}) {
    EXPECT_EQ(ImageFile::Format::Raw, ImageFile::FormatOf(name)) << name;
  }
}

TEST_F(ImageFileTest, RawFilesKeepTheBufferRules) {
  Buffer image(8192);
  std::string big(8192, '\x11');
  ImageFile::LoadResult first = ImageFile::Load(Write("big.bin", big), image);
  EXPECT_EQ(8192u, first.bytesLoaded);
  EXPECT_FALSE(first.longerThanImage);

  std::string small = std::string("\x0A\x0D\x1A", 3) + std::string(97, '\x22');
  ImageFile::LoadResult second = ImageFile::Load(Write("small.bin", small), image);
  EXPECT_EQ(ImageFile::Format::Raw, second.format);
  EXPECT_EQ(100u, second.bytesLoaded);
  // Bytes 100 on are left from the longer file.
  EXPECT_EQ(
      (std::vector<uint8_t>{0x0A, 0x0D, 0x1A, 0x22, 0x11, 0x11}),
      (std::vector<uint8_t>{image[0], image[1], image[2], image[99], image[100], image[8191]}));
}

TEST_F(ImageFileTest, RawFileLongerThanTheMemoryIsReportedAndCut) {
  Buffer image(8192);
  std::string content(10000, '\x33');
  content[8191] = '\x44';
  content[8192] = '\x55';
  ImageFile::LoadResult result = ImageFile::Load(Write("long.bin", content), image);
  EXPECT_TRUE(result.longerThanImage);
  EXPECT_EQ(10000u, result.fileSize);
  EXPECT_EQ(8192u, result.bytesLoaded);
  EXPECT_EQ(0x44, image[8191]);
}

TEST_F(ImageFileTest, HexFileReplacesTheWholeImage) {
  Buffer image(8192);
  image[0x100] = 0x00;
  ImageFile::LoadResult result =
      ImageFile::Load(Write("a.hex", ":03000000020030CB\n:00000001FF\n"), image);
  EXPECT_EQ(ImageFile::Format::IntelHex, result.format);
  EXPECT_EQ(0x02, image[0]);
  EXPECT_EQ(0x30, image[2]);
  EXPECT_EQ(0xFF, image[0x100]);
}

TEST_F(ImageFileTest, BadInputFilesAreNamedAndChangeNothing) {
  EXPECT_EQ("cannot open " + PathOf("missing.bin") + ": No such file or directory",
            LoadError(PathOf("missing.bin")));
  EXPECT_EQ(PathOf("empty.bin") + " is empty (0 bytes)", LoadError(Write("empty.bin", "")));
  EXPECT_EQ(PathOf("empty.hex") + " is empty (0 bytes)", LoadError(Write("empty.hex", "")));
  fs::create_directories(PathOf("folder.hex"));
  EXPECT_EQ(PathOf("folder.hex") + " is a folder, not an image file",
            LoadError(PathOf("folder.hex")));
  std::string bad = Write("bad.hex", ":03000000020030CB\n:0200100AABB89\n:00000001FF\n");
  EXPECT_EQ(bad + " line 2: an odd number of hexadecimal digits (13)", LoadError(bad));
  // The first line was good, but nothing of a bad file is loaded.
  std::string late = Write("late.hex", ":03000000020030CB\n:00000006FA\n");
  EXPECT_EQ(late + " line 2: unknown record type 06", LoadError(late));
  std::string huge = Write("huge.hex", std::string((16 << 20) + 1, ':'));
  EXPECT_EQ(huge + " is 16777217 bytes, far too large for an Intel HEX image of 8192 bytes",
            LoadError(huge));
  if (getuid() != 0) {
    std::string locked = Write("locked.bin", "abc");
    fs::permissions(locked, fs::perms::none);
    EXPECT_EQ("cannot open " + locked + ": Permission denied", LoadError(locked));
  }
}

TEST_F(ImageFileTest, SavesEachFormatWholeAndReadsItBack) {
  Buffer image(8192);
  image[0] = 0x0A;
  image[0x1FFF] = 0x1A;
  ImageFile::Save(PathOf("out.bin"), image);
  std::string raw = Read(PathOf("out.bin"));
  ASSERT_EQ(8192u, raw.size());
  EXPECT_EQ('\x0A', raw[0]);
  EXPECT_EQ('\x1A', raw[8191]);

  ImageFile::Save(PathOf("out.hex"), image);
  EXPECT_EQ(
      ":100000000AFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF5\n:101FF000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFF1AD6\n:"
      "00000001FF\n",
      Read(PathOf("out.hex")));
  Buffer back(8192);
  ImageFile::Load(PathOf("out.hex"), back);
  EXPECT_EQ(0, std::memcmp(image.Data(), back.Data(), 8192));
}

TEST_F(ImageFileTest, FailedSaveLeavesTheOldFileWhole) {
  Buffer image(8192);
  std::string old = Write("old.hex", "keep me");
  EXPECT_THROW(ImageFile::Save(PathOf("no/such/folder/x.hex"), image), Exception);
  fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec);
  if (getuid() != 0) {
    EXPECT_THROW(ImageFile::Save(old, image), Exception);
  }
  fs::permissions(folder_, fs::perms::owner_all);
  EXPECT_EQ("keep me", Read(old));
}

struct FormatCase {
  const char* name;
  std::string content;
  std::optional<ImageFile::Format> forced;
  ImageFile::Format format;
  uint8_t firstByte;
  std::string error;  // the message's end, after the path; empty when the load succeeds
};

// HEX under another name must not go into flash as ASCII text, whatever its size and however
// a person edited it; text with no record is no image; a .hex that is not HEX stays an
// error; --format forces either.
TEST_F(ImageFileTest, ContentAsWellAsNameDecidesTheFormat) {
  using F = ImageFile::Format;
  const std::string blink = ":03000000020030CB\n:090040007FFA7EFADEFEDFFA22EF\n:00000001FF\n";
  const std::string crlf = ":03000000020030CB\r\n:00000001FF\r\n";
  std::string big = ":020000040000FA\n";  // 720 KB of records, far past the start looked at
  for (int i = 0; i < 40000; ++i) big += ":03000000020030CB\n";
  big += ":00000001FF\n";
  const std::string notText = " is text with no Intel HEX record in it, not a memory image";
  const std::optional<F> byContent;  // no --format: the name and the content decide
  const FormatCase cases[] = {
      {"firmware.ihex", blink, byContent, F::IntelHex, 0x02, ""},
      {"firmware.h86", crlf, byContent, F::IntelHex, 0x02, ""},
      {"firmware.a51", "\xEF\xBB\xBF" + crlf + "\x1A", byContent, F::IntelHex, 0x02, ""},
      {"notes.txt", blink, byContent, F::IntelHex, 0x02, ""},
      {"image.bin", std::string("\x75\x81\x30", 3), byContent, F::Raw, 0x75, ""},
      {"firmware.hex", "hello\n", byContent, F::IntelHex, 0,
       " line 1: the line does not start with ':'"},
      {"firmware.ihex", blink, F::Raw, F::Raw, ':', ""},
      {"image.bin", "\x75\x81", F::IntelHex, F::IntelHex, 0,
       " line 1: the line does not start with ':'"},
      {"cut.bin", ":03000000020030CB\n", byContent, F::IntelHex, 0,
       " line 1: the file ends without an end record (:00000001FF); is it cut short?"},
      {"mac.txt", ":03000000020030CB\r:00000001FF\r", byContent, F::IntelHex, 0,
       " line 1: '\\r' in column 18 is not a hexadecimal digit"},
      {"colons.bin", ":::\n", byContent, F::IntelHex, 0,
       " line 1: ':' in column 2 is not a hexadecimal digit"},
      {"big.dat", big, byContent, F::IntelHex, 0x02, ""},
      {"indented.txt", " :03000000020030CB\n :00000001FF\n", byContent, F::IntelHex, 0x02, ""},
      {"asm51.txt", "; made by asm51\n" + blink, byContent, F::IntelHex, 0x02, ""},
      {"blank-first.txt", "\n" + blink + std::string(4, '\0'), byContent, F::IntelHex, 0x02, ""},
      {"notes.txt", "hello\nworld\n", byContent, F::Raw, 0, notText},
      {"notes.txt", "hello\nworld\n", F::Raw, F::Raw, 'h', ""},
      {"table.bin", "UUUU", byContent, F::Raw, 'U', ""},
      {"damaged.ihex",
       std::string(":03000000020030CB\n:0300\0"
                   "00020030CB\n:00000001FF\n",
                   47),
       byContent, F::IntelHex, 0, " line 2: '\\x00' in column 6 is not a hexadecimal digit"},
      {"padded.txt", crlf + std::string(3, '\0'), byContent, F::IntelHex, 0x02, ""},
  };
  for (const FormatCase& c : cases) {
    const std::string path = Write(c.name, c.content);
    Buffer image(8192);
    try {
      ImageFile::LoadResult result = ImageFile::Load(path, image, c.forced);
      EXPECT_EQ(c.format, result.format) << c.name;
      EXPECT_EQ(c.firstByte, image[0]) << c.name;
      EXPECT_EQ("", c.error) << c.name;
    } catch (const Exception& e) {
      EXPECT_EQ(path + c.error, e.Message()) << c.name;
    }
  }
}
