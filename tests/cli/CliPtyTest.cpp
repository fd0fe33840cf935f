// The programs themselves, as separate processes: isp89-cli against isp89-sim on a
// pseudo-terminal, on real time (each programming enable takes about 2 s, a write 20 s).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "SimProcess.h"
#include "platform/NativePort.h"
#include "platform/SystemClock.h"
#include "sim/PtySimServer.h"
#include "sim/SimChip.h"
#include "support/ChildProcess.h"

using std::chrono::milliseconds;
using std::chrono::steady_clock;
using ::testing::_;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

TEST(CliOverPseudoTerminal, EveryCommandAgainstIsp89Sim) {
  ScratchFolder folder;
  WriteText("blink.hex", BlinkHex());
  SimProcess sim({"--chip", "AT89S52", "--keep", "kept.hex", "--lock", "4"});
  ASSERT_EQ(0u, sim.Port().find("/dev/")) << sim.Port();
  const std::string p = "-p " + sim.Port() + " ";
  ExpectCli(p + "signature", 0, "signature 1E 52 06: AT89S52\n", _);
  ExpectCli(p + "lock", 0, "LB1=0 LB2=0 LB3=1\n", _);
  ExpectCli(p + "write blink.hex", 0,
            "wrote blink.hex to the AT89S52: 1 page written, 1 page verified\n",
            HasSubstr("writing: 100%\n"));
  ExpectCli(p + "-d AT89S52 verify blink.hex", 0, _, _);
  ExpectCli("-q " + p + "-d AT89S52 read back.bin", 0, "", "");
  EXPECT_EQ(FlashOfHex(BlinkHex()), ScratchFolder::Read("back.bin"));
  // The simulator kept what was written.
  EXPECT_EQ(FlashOfHex(BlinkHex()), FlashOfHex(ReadText("kept.hex")));
  ExpectCli(p + "lock --write 1", 0, "LB1=1 LB2=0 LB3=0\n", _);
  ExpectCli(p + "erase", 0, "erased the AT89S52 (blank check passed)\n", _);
  ExpectCli(p + "lock", 0, "LB1=0 LB2=0 LB3=0\n", _);
  EXPECT_EQ(0, sim.Stop());
  EXPECT_EQ(":00000001FF\n", ReadText("kept.hex"));
}

TEST(CliOverPseudoTerminal, KeptFlashIsServedAgainAndVerifyCatchesADifference) {
  ScratchFolder folder;
  WriteText("kept.hex", BlinkHex());
  std::vector<uint8_t> changed = FlashOfHex(BlinkHex());
  changed[0x0041] = 0x00;
  changed[0x0100] = 0x00;
  ScratchFolder::Write("changed.bin", changed);
  SimProcess sim({"--chip", "AT89S51", "--keep", "kept.hex"});
  Outcome differs = ExpectCli("-p " + sim.Port() + " verify changed.bin", 1, _, _);
  EXPECT_EQ(
      "isp89-cli: verify failed: 2 of 4096 bytes differ; the first at 0041: chip FA, "
      "changed.bin 00\n",
      differs.err.substr(differs.err.find("isp89-cli:")));
  ExpectCli("-p " + sim.Port() + " -d AT89S52 erase", 1, _, HasSubstr("1E 51 06 is the AT89S51's"));
  EXPECT_EQ(0, sim.Stop());
  EXPECT_EQ(FlashOfHex(BlinkHex()), FlashOfHex(ReadText("kept.hex")));
}

TEST(CliOverPseudoTerminal, ErrorsEndWithTheirStatusAndOneLine) {
  ScratchFolder folder;
  ScratchFolder::Write("bad.hex", {':', '0', '0', '\n'});
  ScratchFolder::Write("long.bin", std::vector<uint8_t>(9000, 0x5A));
  struct Case {
    std::string line;
    int status;
    std::string start;
  } cases[] = {
      {"-p sim frobnicate", 2, "isp89-cli: unknown command 'frobnicate'"},
      {"-p sim --fast lock", 2, "isp89-cli: unknown option '--fast'"},
      {"-p sim -d AT90S8515 lock", 2, "isp89-cli: unknown device 'AT90S8515'"},
      {"-p COM0 lock", 2, "isp89-cli: unknown port 'COM0'"},
      {"-p LPT1 lock", 1,
       "isp89-cli: cannot open LPT1: no serial port has the USB serial number 'LPT1'"},
      {"-p sim write missing.hex", 2, "isp89-cli: cannot open missing.hex: "},
      {"-p sim write bad.hex", 2, "isp89-cli: bad.hex line 1: the line is too short"},
      {"-p sim verify .", 2, "isp89-cli: . is a folder, not an image file"},
      {"-p /nonexistent/ttyUSB7 lock", 1, "isp89-cli: cannot open /nonexistent/ttyUSB7: "},
  };
  for (const Case& c : cases) ExpectCli(c.line, c.status, _, AllOf(StartsWith(c.start), OneLine()));
  ExpectCli("--help", 0, StartsWith("Usage: isp89-cli"), _);
  // The in-process chip is erased, so it differs.
  ExpectCli("-q -p sim verify long.bin", 1, _,
            StartsWith("warning: long.bin is 9000 bytes, longer than the 8192-byte memory; the "
                       "first 8192 bytes are used\n"));
}

TEST(CliOverPseudoTerminal, APortInUseIsRefused) {
  SimProcess sim({});
  NativeOpenFailure failure;
  std::unique_ptr<CommPort> holder = OpenNativePort(sim.Port(), failure);
  ASSERT_TRUE(holder) << failure.reason;
  auto start = steady_clock::now();
  ExpectCli("-p " + sim.Port() + " signature", 1, _, HasSubstr("in use by another program"));
  EXPECT_LT(steady_clock::now() - start, milliseconds(1000));
  holder.reset();
  ExpectCli("-p " + sim.Port() + " signature", 0, _, _);
  EXPECT_EQ(0, sim.Stop());
}

TEST(CliOverPseudoTerminal, Isp89SimGoingSilentFailsTheRead) {
  ScratchFolder folder;
  SimProcess sim({"--silent-after", "3000"});
  ExpectCli("-p " + sim.Port() + " -d AT89S51 read out.bin", 1, _,
            HasSubstr("isp89-cli: " + sim.Port() + ": the programmer did not answer"));
  EXPECT_FALSE(std::filesystem::exists("out.bin"));
  EXPECT_EQ(0, sim.Stop());
}

// The command must end within about a second of the adapter's last answer.
TEST(CliOverPseudoTerminal, ASilentAdapterEndsTheCommandWithinASecond) {
  ScratchFolder folder;
  WriteText("blink.hex", BlinkHex());
  auto chip = std::make_shared<SimChip>(SimChip::Model::AT89S52, SystemClock::Instance());
  const uint64_t lastAnswer = 4 + 2 + 700;  // programming enable, then into page 2
  chip->SetSilenceAfter(lastAnswer);
  PtySimServer server(chip);
  ChildProcess cli(
      {ISP89_CLI_PATH, "-q", "-p", server.SlavePath(), "-d", "AT89S52", "read", "out.bin"});
  ASSERT_TRUE(server.WaitForAnswered(lastAnswer, milliseconds(20000)));
  auto silentFrom = steady_clock::now();
  EXPECT_EQ(1, cli.Wait());
  EXPECT_LT(steady_clock::now() - silentFrom, milliseconds(1000));
  EXPECT_NE(std::string::npos, cli.Err().find("the programmer did not answer")) << cli.Err();
}

TEST(Isp89SimProgram, OptionsSetTheChipAndBadOnesEndWithStatusTwo) {
  ScratchFolder folder;
  WriteText("blink.hex", BlinkHex());
  for (const std::string bad : {"--chip AT89C2051", "--lock 8", "--flash missing.hex", "--bogus"}) {
    std::vector<std::string> arguments = Words(bad);
    arguments.insert(arguments.begin(), ISP89_SIM_PATH);
    ChildProcess sim(arguments);
    EXPECT_EQ(2, sim.Wait()) << bad;
    EXPECT_EQ("", sim.Out()) << bad;
    EXPECT_THAT(sim.Err(), StartsWith("isp89-sim: ")) << bad;
  }
  ChildProcess help({ISP89_SIM_PATH, "--help"});
  EXPECT_EQ(0, help.Wait());
  EXPECT_EQ(0u, help.Out().find("Usage: isp89-sim"));

  SimProcess sim({"--chip", "AT89S52", "--flash", "blink.hex", "--lock", "1"});
  EXPECT_EQ("LB1=1 LB2=0 LB3=0\n", Cli("-p " + sim.Port() + " lock").out);
  ExpectCli("-p " + sim.Port() + " -d AT89S52 verify blink.hex", 0, _, _);
  EXPECT_EQ(0, sim.Stop());
}

namespace {

// `isp89-cli ports` with the system's list of terminals (/sys/class/tty, where the port
// enumeration looks) emptied in a mount namespace of its own: a machine without serial ports.
// Root can make one; others need user namespaces (unshare -r).
Outcome PortsWithoutSerialPorts() {
  const std::string script = "mount -t tmpfs none /sys/class/tty && exec \"$0\" ports";
  for (const char* flags : {"-m", "-rm"}) {
    ChildProcess run({"/usr/bin/unshare", flags, "/bin/sh", "-c", script, ISP89_CLI_PATH});
    Outcome outcome{run.Wait(), run.Out(), run.Err()};
    if (outcome.err.find("unshare") == std::string::npos &&
        outcome.err.find("mount") == std::string::npos) {
      return outcome;
    }
  }
  return {-1, "", ""};
}

}  // namespace

TEST(CliOverPseudoTerminal, PortsOnAMachineWithoutSerialPortsSaysSo) {
  SimProcess sim({});  // a pseudo-terminal is there all the same
  Outcome ports = PortsWithoutSerialPorts();
  if (ports.status == -1) {
    GTEST_SKIP() << "cannot make a mount namespace here: run as root, or allow user namespaces";
  }
  EXPECT_EQ(0, ports.status) << ports.err;
  EXPECT_EQ("no serial ports found\n", ports.out);
  EXPECT_EQ("", ports.err);
  EXPECT_EQ(0, sim.Stop());
}

TEST(CliOverPseudoTerminal, APseudoTerminalIsNotListedAsASerialPort) {
  SimProcess sim({});
  ExpectCli("ports", 0, Not(HasSubstr(sim.Port())), _);
  EXPECT_EQ(0, sim.Stop());
}

// Two isp89-sim processes, one of which never answers: its row says so, the other succeeds,
// and the run ends with status 1.
TEST(CliOverPseudoTerminal, SeveralAdaptersAtOnceWithOneSilent) {
  SimProcess good({"--chip", "AT89S52"});
  SimProcess silent({"--silent-after", "0"});
  Outcome run = ExpectCli("-p " + good.Port() + " -p " + silent.Port() + " signature", 1,
                          AllOf(HasSubstr(good.Port() + ": signature 1E 52 06: AT89S52\n"),
                                HasSubstr("\n" + good.Port() + " ")),
                          _);
  const size_t row = run.out.rfind("\n" + silent.Port() + " ");
  ASSERT_NE(std::string::npos, row) << run.out;
  EXPECT_THAT(run.out.substr(row),
              HasSubstr("failed: " + silent.Port() + ": the programmer did not answer"));
  EXPECT_EQ(0, good.Stop());
  EXPECT_EQ(0, silent.Stop());
}
