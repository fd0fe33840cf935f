// One command on several simulated adapters at once, each on a thread of its own.
#include "CliFixture.h"

using ::testing::_;
using ::testing::AllOf;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

const std::vector<std::string> kPorts = {"sim:AT89S52", "sim2:AT89S52", "sim3:AT89S52"};

// The table's line for `port`.
std::string RowOf(const std::string& table, const std::string& port) {
  size_t at = table.find("\n" + port + " ");
  if (at == std::string::npos) return "";
  return table.substr(at + 1, table.find('\n', at + 1) - at - 1);
}

}  // namespace

// The three ports of kPorts, for a command that follows.
const char kOnAll[] = "-p sim:AT89S52 -p sim2:AT89S52 -p sim3:AT89S52 ";

class CliBatch : public CliFixture {};

// The adapter that stops answering fails its own row; the others run to the end.
TEST_F(CliBatch, EachPortHasItsRowAndOneFailureFailsTheRun) {
  WriteText("blink.hex", BlinkHex());
  struct Case {
    std::string command;
    int silent;  // index into kPorts of the adapter that answers nothing; -1: none
    int status;
    std::string okRow, failedRow;
  } cases[] = {
      {"write blink.hex", 1, 1, "AT89S52        1         1", "-              -         -"},
      {"write blink.hex", -1, 0, "AT89S52        1         1", ""},
      {"erase", 0, 1, "AT89S52        -        32", "-              -         -"},
      {"verify blink.hex", 2, 1, "AT89S52        -        32", "-              -         -"},
      {"signature", 1, 1, "AT89S52        -         -", "-              -         -"},
  };
  const std::vector<uint8_t> blink = FlashOfHex(BlinkHex());
  for (const Case& c : cases) {
    for (size_t i = 0; i < kPorts.size(); ++i) {
      Chip(kPorts[i])->SetFlash(blink);
      Chip(kPorts[i])->SetSilenceAfter(static_cast<int>(i) == c.silent ? 0 : 1u << 20);
    }
    Result r = Expect(kOnAll + c.command, c.status, _, _);
    for (size_t i = 0; i < kPorts.size(); ++i) {
      const Text failed =
          AllOf(HasSubstr(c.failedRow),
                HasSubstr("failed: " + kPorts[i] + ": the programmer did not answer"));
      EXPECT_THAT(RowOf(r.out, kPorts[i]), static_cast<int>(i) == c.silent
                                               ? failed
                                               : AllOf(HasSubstr(c.okRow), EndsWith("ok")))
          << c.command << "\n"
          << r.out;
    }
  }
}

TEST_F(CliBatch, TheOtherChipsAreWrittenWhileOneFails) {
  WriteText("blink.hex", BlinkHex());
  Chip("sim2:AT89S52")->SetSilenceAfter(4 + 12 + 4 + 10);  // stops early in the page
  Result r = Expect(kOnAll + std::string("write blink.hex"), 1,
                    HasSubstr("sim:AT89S52: wrote blink.hex to the AT89S52: 1 page written"), _);
  const std::vector<uint8_t> blink = Chip("sim:AT89S52")->Flash();
  EXPECT_EQ(0x02, blink[0]);
  EXPECT_EQ(blink, Chip("sim3:AT89S52")->Flash());
  EXPECT_NE(blink, Chip("sim2:AT89S52")->Flash());
  // Each port's progress is a line of its own, named.
  for (const std::string& port : kPorts) {
    EXPECT_NE(std::string::npos, r.err.find(port + ": writing: 0%\n")) << r.err;
  }
  EXPECT_NE(std::string::npos, r.err.find("sim3:AT89S52: verifying: 100%\n")) << r.err;
  EXPECT_EQ(std::string::npos, r.err.find("sim2:AT89S52: verifying")) << r.err;
}

TEST_F(CliBatch, OnATerminalEachPortKeepsOneLineRedrawnInPlace) {
  WriteText("blink.hex", BlinkHex());
  Chip("sim3:AT89S52")->SetSilenceAfter(0);
  Result r = Expect(kOnAll + std::string("write blink.hex"), 1, _, HasSubstr("\x1b[3F"), true);
  const std::string last = r.err.substr(r.err.rfind("\x1b[3F") + 4);
  EXPECT_EQ("sim:AT89S52   done\x1b[K\nsim2:AT89S52  done\x1b[K\nsim3:AT89S52  failed\x1b[K\n",
            last);
}

TEST_F(CliBatch, ABadInputFileStopsBeforeAnyPortIsTouched) {
  WriteText("bad.hex", ":00\n");
  Expect(kOnAll + std::string("write bad.hex"), 2, _, StartsWith("isp89-cli: bad.hex line 1"));
  for (const std::string& port : kPorts) EXPECT_TRUE(Chip(port)->Events().empty()) << port;
}

#ifndef _WIN32
// Two sessions on one adapter would mix their bytes on the chip.
TEST_F(CliBatch, OnePortNamedTwiceIsRefusedBeforeAnythingIsSent) {
  setenv("ISP89_COM7", "sim:AT89S52", 1);
  std::filesystem::create_symlink("/dev/null", "null-link");
  const std::string link = std::filesystem::absolute("null-link").string();
  for (const std::string& ports :
       std::vector<std::string>{"-p sim:AT89S52 -p sim2:AT89S52 -p sim:AT89S52",
                                "-p COM7 -p sim:AT89S52", "-p " + link + " -p /dev/null"}) {
    Expect(ports + " erase", 2, _, HasSubstr("are the same port"));
  }
  unsetenv("ISP89_COM7");
  for (const std::string& port : kPorts) EXPECT_TRUE(Chip(port)->Events().empty()) << port;
}
#endif
