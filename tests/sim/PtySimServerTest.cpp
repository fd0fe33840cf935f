// The simulated chip served on a pseudo-terminal, driven through the POSIX port backend.
#include "sim/PtySimServer.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "platform/NativePort.h"
#include "support/PtyLink.h"

namespace {

using Steady = std::chrono::steady_clock;
using std::chrono::milliseconds;

double MsSince(Steady::time_point start) {
  return std::chrono::duration<double, std::milli>(Steady::now() - start).count();
}

double ProcessCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

PtySimServer::Options Paced() {
  PtySimServer::Options options;
  options.paceAtLineSpeed = true;
  return options;
}

TEST(PtySimServerTest, GivesEachServerATerminalOfItsOwn) {
  auto chip = std::make_shared<SimChip>(SimChip::Model::AT89S51, SystemClock::Instance());
  PtySimServer first(chip);
  PtySimServer second(chip);
  EXPECT_NE(first.SlavePath(), second.SlavePath());
  for (const PtySimServer* server : {&first, &second}) {
    struct stat info {};
    ASSERT_EQ(stat(server->SlavePath().c_str(), &info), 0) << server->SlavePath();
    EXPECT_TRUE(S_ISCHR(info.st_mode));
  }
}

// Between openings nobody has the slave side open but the server; the master must not see a
// hang-up then, or the thread would spin on it and the next client find no server.
TEST(PtySimServerTest, ServesClientsThatCloseAndOpenAgainWithoutSpinning) {
  PtySimServer::Options options;
  options.idleGapReset = milliseconds(100);
  PtyLink link(3, options);
  for (int round = 0; round < 3; ++round) {
    link.Serial().Open();
    EXPECT_TRUE(link.Enable()) << "round " << round;
    link.Serial().Close();
    double cpuBefore = ProcessCpuMs();
    std::this_thread::sleep_for(milliseconds(200));
    EXPECT_LT(ProcessCpuMs() - cpuBefore, 50.0) << "the server spins while no client is there";
  }
  EXPECT_EQ(link.Server().Answered(), 12u);
}

TEST(PtySimServerTest, StopEndsTheThreadAndNothingAnswersAfterwards) {
  PtyLink link(3);
  link.Serial().Open();
  EXPECT_EQ(link.Exchange({0x00}), std::vector<int>{0x00});
  Steady::time_point start = Steady::now();
  link.Server().Stop();
  EXPECT_LT(MsSince(start), 500.0);
  link.Server().Stop();  // a second Stop() does nothing
  EXPECT_EQ(link.Exchange({0x00}), std::vector<int>{-1});
}

TEST(PtySimServerTest, StopInterruptsAPacedBurst) {
  PtyLink link(3, Paced());
  link.Serial().Open();
  for (int i = 0; i < 200; ++i) link.Serial().WriteByte(0x00);  // some 400 ms to answer
  ASSERT_TRUE(link.Server().WaitForAnswered(1, milliseconds(1000)));
  Steady::time_point start = Steady::now();
  link.Server().Stop();
  EXPECT_LT(MsSince(start), 200.0);
  EXPECT_LT(link.Server().Answered(), 200u);
}

// 10 bits at 4800 baud: 2.083 ms a byte. A burst is answered at that pace, and a single
// exchange takes the byte's way in and its answer's way out.
TEST(PtySimServerTest, PacesAnswersAtTheLineSpeed) {
  PtyLink link(3, Paced());
  link.Serial().Open();
  Steady::time_point start = Steady::now();
  EXPECT_EQ(link.Exchange({0x00}), std::vector<int>{0x00});
  EXPECT_GE(MsSince(start), 4.0);

  start = Steady::now();
  for (int i = 0; i < 48; ++i) link.Serial().WriteByte(0x00);
  int received = 0;
  uint8_t answer = 0;
  while (link.Serial().ReadByte(&answer).Ok()) ++received;
  double elapsed = MsSince(start) - 100.0;  // the last read waited out its time-out
  EXPECT_EQ(received, 48);
  EXPECT_GE(elapsed, 48 * 2.083 - 2.0);
}

TEST(PtySimServerTest, ASilentChipSendsNothingBack) {
  PtyLink link(3);
  link.Chip().SetSilenceAfter(2);
  link.Serial().Open();
  EXPECT_EQ(link.Exchange({0xAC, 0x53, 0x00, 0x69}), (std::vector<int>{0x00, 0x00, -1, -1}));
  EXPECT_EQ(link.Server().Answered(), 2u);
  EXPECT_EQ(link.Chip().WrittenBytes(), (std::vector<uint8_t>{0xAC, 0x53, 0x00, 0x69}));
}

// A client killed while it holds the terminal never clears its exclusive flag; the next
// program must still get in.
TEST(PtySimServerTest, AClientThatDiedHoldingThePortDoesNotLockOutTheNext) {
  auto chip = std::make_shared<SimChip>(SimChip::Model::AT89S52, SystemClock::Instance());
  PtySimServer server(chip);
  pid_t child = fork();
  if (child == 0) {
    NativeOpenFailure failure;
    std::unique_ptr<CommPort> held = OpenNativePort(server.SlavePath(), failure);
    _exit(held ? 0 : 1);  // no destructor runs: as if killed
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_EQ(WEXITSTATUS(status), 0) << "the client could not open the port";
  NativeOpenFailure failure;
  std::unique_ptr<CommPort> next;
  for (int attempt = 0; attempt < 50 && !next; ++attempt) {
    next = OpenNativePort(server.SlavePath(), failure);
    if (!next) std::this_thread::sleep_for(milliseconds(20));
  }
  EXPECT_TRUE(next) << failure.reason;
}

}  // namespace
