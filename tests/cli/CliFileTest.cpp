// What read OUT may be, `-` as OUT, and the input format by content or --format.
#include <sys/stat.h>

#include <filesystem>

#include "CliFixture.h"

namespace fs = std::filesystem;
using ::testing::_;

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
    Expect("-p sim:AT89S52 read " + std::string(c.out), 2, _, c.message);
    EXPECT_EQ(before, fs::symlink_status(c.out).type()) << c.out;
  }
  EXPECT_TRUE(Chip()->Events().empty());
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST_F(CliFiles, ReadIntoADashWritesTheImageToTheStandardOutput) {
  const std::vector<uint8_t> flash = Pattern(4);
  Chip()->SetFlash(flash);
  Expect("-p sim:AT89S52 read -", 0, std::string(flash.begin(), flash.end()), _);
  Result hex = Expect("-q -p sim:AT89S52 --format hex read -", 0, _, "");
  EXPECT_EQ(Pattern(4), FlashOfHex(hex.out));
  EXPECT_FALSE(fs::exists("-"));
}

// firmware.ihex went into flash as its own ASCII text, with exit 0.
TEST_F(CliFiles, WriteTakesHexByContentUnlessTheFormatIsForced) {
  std::vector<uint8_t> asText(8192, 0xFF);
  const std::string text = BlinkHex();
  std::copy(text.begin(), text.end(), asText.begin());
  const struct {
    std::string line;
    std::vector<uint8_t> flash;
  } cases[] = {
      {"write firmware.ihex", FlashOfHex(BlinkHex())},
      {"write firmware.txt", FlashOfHex(BlinkHex())},
      {"--format hex write firmware.txt", FlashOfHex(BlinkHex())},
      {"--format raw write firmware.ihex", asText},
  };
  WriteText("firmware.ihex", BlinkHex());
  WriteText("firmware.txt", BlinkHex());
  for (const auto& c : cases) {
    Expect("-q -p sim:AT89S52 " + c.line, 0, _, _);
    EXPECT_EQ(c.flash, Chip()->Flash()) << c.line;
  }
}
