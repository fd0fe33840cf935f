#include <cstdlib>

#include "CliFixture.h"
#include "cli/CliError.h"
#include "cli/CommandLine.h"

class CliUsage : public CliFixture {};

TEST_F(CliUsage, HelpAndVersionGoToStandardOutput) {
  Result help = Run({"--help"});
  EXPECT_EQ(0, help.status);
  EXPECT_EQ(0u, help.out.find("Usage: isp89-cli [options] COMMAND\n"));
  EXPECT_NE(std::string::npos, help.out.find("lock --write MODE"));
  EXPECT_EQ("", help.err);
  EXPECT_EQ(0, Run({"write", "-h"}).status);
  Result version = Run({"--version"});
  EXPECT_EQ(0, version.status);
  EXPECT_EQ("isp89-cli 0.1.0\n", version.out);
}

TEST_F(CliUsage, UsageErrorsEndWithStatusTwoOnOneLine) {
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  } cases[] = {
      {{}, "no command given"},
      {{"flash"}, "unknown command 'flash'"},
      {{"--fast", "signature"}, "unknown option '--fast'"},
      {{"-x", "signature"}, "unknown option '-x'"},
      {{"-d", "AT89C51", "signature"}, "unknown device 'AT89C51': choose AT89S51, AT89S52"},
      {{"-p", "COM9", "signature"}, "unknown port 'COM9': use COM1 to COM8"},
      {{"-p", "0", "signature"}, "unknown port '0'"},
      {{"-p", "ttyUSB0", "signature"}, "unknown port 'ttyUSB0'"},
      {{"-p", "sim:AT89C2051", "signature"}, "unknown port 'sim:AT89C2051'"},
      {{"-p"}, "option -p needs a value"},
      {{"write"}, "the command needs a FILE"},
      {{"signature", "extra"}, "unexpected argument 'extra'"},
      {{"read", "a.bin", "b.bin"}, "unexpected argument 'b.bin'"},
      {{"lock", "--write", "8"}, "lock mode '8' is not 0 to 7"},
      {{"read", "a.bin", "--write", "1"}, "--write belongs to the lock command"},
      {{"--verify", "full", "verify", "a.bin"}, "--verify belongs to the write command"},
      {{"--verify", "all", "write", "a.bin"}, "--verify takes 'written' or 'full', not 'all'"},
      {{"--no-verify", "verify", "a.bin"}, "--no-verify applies to write, erase"},
      {{"--trace=yes", "read", "a.bin"}, "option --trace takes no value"},
      {{"--format", "srec", "read", "a.bin"}, "format 'srec' is not raw or hex"},
      {{"--format=hex", "erase"}, "--format applies to read, write and verify"},
      {{"verify", "-"}, "- (the standard output) is for read"},
  };
  for (const Case& c : cases) {
    Result r = Run(c.arguments);
    std::string shown = c.arguments.empty() ? "(none)" : c.arguments[0];
    EXPECT_EQ(2, r.status) << shown;
    EXPECT_EQ(0u, r.err.find("isp89-cli: " + c.message)) << r.err;
    EXPECT_EQ(r.err.size() - 1, r.err.find('\n')) << r.err;
    EXPECT_EQ("", r.out) << shown;
  }
  EXPECT_TRUE(Chip("sim:AT89S51")->Events().empty());
}

TEST_F(CliUsage, OptionsMayFollowTheCommand) {
  CliOptions options =
      CommandLine::Parse({"write", "fw.hex", "--port", "/dev/ttyUSB0", "-d", "at89s52", "-q"});
  EXPECT_EQ(CliOptions::Command::Write, options.command);
  EXPECT_EQ("fw.hex", options.file);
  EXPECT_EQ("/dev/ttyUSB0", options.port);
  EXPECT_EQ("at89s52", options.device);
  EXPECT_TRUE(options.quiet);
  EXPECT_EQ("COM1", CommandLine::Parse({"lock"}).port);
}

TEST_F(CliUsage, PortsThatCannotBeOpenedFailWithTheDeviceNamed) {
  setenv("ISP89_COM5", "/nonexistent/tty5", 1);
  for (const char* port : {"COM5", "5"}) {
    Result r = Run({"-p", port, "signature"});
    EXPECT_EQ(1, r.status) << port;
    EXPECT_EQ(0u, r.err.find("isp89-cli: Sériový port COM5 nelze otevřít: cannot open "
                             "/nonexistent/tty5: "))
        << r.err;
  }
  unsetenv("ISP89_COM5");
  Result path = Run({"-p", "/nonexistent/ttyUSB9", "lock"});
  EXPECT_EQ(1, path.status);
  EXPECT_NE(std::string::npos, path.err.find("cannot open /nonexistent/ttyUSB9: "));
  EXPECT_EQ(path.err.size() - 1, path.err.find('\n'));
}

TEST_F(CliUsage, DefaultPortIsCom1ResolvedThroughTheEnvironment) {
  setenv("ISP89_COM1", "sim:AT89S52", 1);
  Result r = Run({"signature"});
  unsetenv("ISP89_COM1");
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ("signature 1E 52 06: AT89S52\n", r.out);
}
