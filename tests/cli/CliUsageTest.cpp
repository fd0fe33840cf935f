#include <cstdlib>

#include "CliFixture.h"
#include "cli/CliError.h"
#include "cli/CommandLine.h"

using ::testing::_;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

class CliUsage : public CliFixture {};

TEST_F(CliUsage, HelpAndVersionGoToStandardOutput) {
  Expect("--help", 0,
         AllOf(StartsWith("Usage: isp89-cli [options] COMMAND\n"), HasSubstr("lock --write MODE")),
         "");
  Expect("write -h", 0, _, _);
  Expect("--version", 0, "isp89-cli 0.1.0\n", _);
}

TEST_F(CliUsage, UsageErrorsEndWithStatusTwoOnOneLine) {
  struct Case {
    std::string line, message;
  } cases[] = {
      {"", "no command given"},
      {"flash", "unknown command 'flash'"},
      {"--fast signature", "unknown option '--fast'"},
      {"-x signature", "unknown option '-x'"},
      {"-d AT89C51 signature", "unknown device 'AT89C51': choose AT89S51, AT89S52"},
      {"-p COM0 signature", "unknown port 'COM0': use COMn (or just n), a device path"},
      {"-p 0 signature", "unknown port '0'"},
      {"-p usb:0403 signature", "unknown port 'usb:0403'"},
      {"-p sim:AT89C2051 signature",
       "unknown port 'sim:AT89C2051': 'sim:AT89C2051' names no simulated chip"},
      {"-p sim100 signature", "unknown port 'sim100': 'sim100' is no simulated port"},
      {"-p sim -p sim2 read a.bin", "several ports (-p) work with write, verify"},
      {"-p sim -p sim2 lock", "several ports (-p) work with write, verify"},
      {"-p sim -p sim2 --trace erase", "--trace takes one port"},
      {"-p", "option -p needs a value"},
      {"write", "the command needs a FILE"},
      {"signature extra", "unexpected argument 'extra'"},
      {"read a.bin b.bin", "unexpected argument 'b.bin'"},
      {"lock --write 8", "lock mode '8' is not 0 to 7"},
      {"read a.bin --write 1", "--write belongs to the lock command"},
      {"--verify full verify a.bin", "--verify belongs to the write command"},
      {"--verify all write a.bin", "--verify takes 'written' or 'full', not 'all'"},
      {"--no-verify verify a.bin", "--no-verify applies to write, erase"},
      {"--trace=yes read a.bin", "option --trace takes no value"},
      {"--format srec read a.bin", "format 'srec' is not raw or hex"},
      {"--format=hex erase", "--format applies to read, write and verify"},
      {"verify -", "- (the standard output) is for read"},
      {"--erase-locked read a.bin", "--erase-locked belongs to write and erase"},
      {"-d AT89S52 ports", "ports takes no options: it lists every port, whatever -d"},
      {"-p 1 -p COM1 signature", "-p 1 and -p COM1 are the same port ("},
      {"-p " + std::string(300, 'x') + " signature",
       "a port name of 300 characters is too long (at most 255): '" + std::string(32, 'x') +
           "...'"},
  };
  for (const Case& c : cases) {
    Expect(c.line, 2, "", AllOf(StartsWith("isp89-cli: " + c.message), OneLine()));
  }
  EXPECT_TRUE(Chip("sim:AT89S51")->Events().empty());
}

TEST_F(CliUsage, OptionsMayFollowTheCommand) {
  CliOptions options = CommandLine::Parse(Words("write fw.hex --port /dev/ttyUSB0 -d at89s52 -q"));
  EXPECT_EQ(CliOptions::Command::Write, options.command);
  EXPECT_EQ("fw.hex", options.file);
  EXPECT_EQ(std::vector<std::string>{"/dev/ttyUSB0"}, options.ports);
  EXPECT_EQ("at89s52", options.device);
  EXPECT_TRUE(options.quiet);
  EXPECT_EQ(std::vector<std::string>{"COM1"}, CommandLine::Parse({"lock"}).ports);
  EXPECT_EQ((std::vector<std::string>{"COM3", "COM12", "sim"}),
            CommandLine::Parse(Words("-p 3 -p com12 --port=sim erase")).ports);
}

// In English, naming the port as it was given; only a COM name brings up ISP89_COM<n>.
TEST_F(CliUsage, PortsThatCannotBeOpenedFailWithThePortNamedAsGiven) {
  setenv("ISP89_COM5", "/nonexistent/tty5", 1);
  struct Case {
    std::string port, start;
    bool speaksOfVariable;
  } cases[] = {
      {"COM5", "isp89-cli: cannot open COM5 (/nonexistent/tty5, from ISP89_COM5): ", true},
      {"5", "isp89-cli: cannot open COM5 (/nonexistent/tty5, from ISP89_COM5): ", true},
      {"/nonexistent/ttyUSB9", "isp89-cli: cannot open /nonexistent/ttyUSB9: ", false},
  };
  for (const Case& c : cases) {
    const Text variable = HasSubstr("ISP89_COM");
    Expect("-p " + c.port + " lock", 1, _,
           AllOf(StartsWith(c.start), c.speaksOfVariable ? variable : Not(variable),
                 Not(HasSubstr("Sériový")), OneLine()));
  }
  unsetenv("ISP89_COM5");
}

TEST_F(CliUsage, DefaultPortIsCom1ResolvedThroughTheEnvironment) {
  setenv("ISP89_COM1", "sim:AT89S52", 1);
  Expect("signature", 0, "signature 1E 52 06: AT89S52\n", _);
  unsetenv("ISP89_COM1");
}
