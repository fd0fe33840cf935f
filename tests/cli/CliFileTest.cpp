// What read OUT may be, `-` as OUT, and the input format by content or --format.
#include <sys/stat.h>

#include <filesystem>

#include "CliFixture.h"
#include "image/IntelHexReader.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> Flash(const Buffer& image) {
  return std::vector<uint8_t>(image.Data(), image.Data() + image.Size());
}

std::vector<uint8_t> FlashOf(const std::string& hex) {
  return Flash(IntelHexReader::Parse(hex, "expected.hex", 8192));
}

}  // namespace

class CliFiles : public CliFixture {};

// Renaming over a FIFO or a device replaced it (as root, /dev/null itself) with exit 0.
TEST_F(CliFiles, ReadRefusesAnOutThatIsNoRegularFileBeforeTouchingTheChip) {
  struct Case {
    const char* out;
    const char* message;
  } cases[] = {
      {"fifo",
       "isp89-cli: fifo is a FIFO (named pipe), not a regular file; name a file to write\n"},
      {"null", "isp89-cli: null is a character device, not a regular file; name a file to write\n"},
  };
  ASSERT_EQ(0, mkfifo("fifo", 0600));
  fs::create_symlink("/dev/null", "null");
  for (const Case& c : cases) {
    fs::file_type before = fs::symlink_status(c.out).type();
    Result r = Run({"-p", "sim:AT89S52", "read", c.out});
    EXPECT_EQ(2, r.status) << c.out;
    EXPECT_EQ(c.message, r.err);
    EXPECT_EQ(before, fs::symlink_status(c.out).type()) << c.out;
  }
  EXPECT_TRUE(Chip()->Events().empty());
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST_F(CliFiles, ReadIntoADashWritesTheImageToTheStandardOutput) {
  const std::vector<uint8_t> flash = Pattern(4);
  Chip()->SetFlash(flash);
  Result raw = Run({"-p", "sim:AT89S52", "read", "-"});
  EXPECT_EQ(0, raw.status) << raw.err;
  EXPECT_EQ(std::string(flash.begin(), flash.end()), raw.out);
  Result hex = Run({"-q", "-p", "sim:AT89S52", "--format", "hex", "read", "-"});
  EXPECT_EQ(0, hex.status) << hex.err;
  EXPECT_EQ(Pattern(4), FlashOf(hex.out));
  EXPECT_EQ("", hex.err);
  EXPECT_FALSE(fs::exists("-"));
}

// firmware.ihex went into flash as its own ASCII text, with exit 0.
TEST_F(CliFiles, WriteTakesHexByContentUnlessTheFormatIsForced) {
  struct Case {
    std::vector<std::string> arguments;
    std::vector<uint8_t> flash;
  } cases[] = {
      {{"write", "firmware.ihex"}, FlashOf(BlinkHex())},
      {{"write", "firmware.txt"}, FlashOf(BlinkHex())},
      {{"--format", "hex", "write", "firmware.txt"}, FlashOf(BlinkHex())},
      {{"--format", "raw", "write", "firmware.ihex"}, {}},
  };
  cases[3].flash = std::vector<uint8_t>(8192, 0xFF);
  std::string text = BlinkHex();
  std::copy(text.begin(), text.end(), cases[3].flash.begin());
  WriteText("firmware.ihex", BlinkHex());
  WriteText("firmware.txt", BlinkHex());
  for (Case& c : cases) {
    c.arguments.insert(c.arguments.begin(), {"-q", "-p", "sim:AT89S52"});
    Result r = Run(c.arguments);
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ(c.flash, Chip()->Flash()) << c.arguments.back();
  }
}
