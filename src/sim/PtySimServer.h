#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "sim/SimChip.h"

// The simulated adapter and chip behind a pseudo-terminal, so that any program (isp89 itself
// through ISP89_COM1=/dev/pts/N) can drive it as a serial port. A thread of its own reads each
// byte the client writes, gives it to the chip and writes the chip's answer back.
//
// Usage: PtySimServer server(chip); setenv("ISP89_COM1", server.SlavePath().c_str(), 1);
// ... ; server.Stop() or destruction ends the thread.
//
// A pseudo-terminal carries no RTS, so the chip is told to take a pause in the traffic as a
// reset pulse (the programmer waits 1.2 s around each pulse). The server keeps the slave side
// open itself: clients may close and open it again at will, and nothing they send is echoed
// or translated even before they set the line up.
class PtySimServer {
 public:
  struct Options {
    // A byte after this much silence starts over, as after a reset pulse.
    std::chrono::milliseconds idleGapReset{500};
    // Answers no faster than a real line: each byte in, then its answer out, takes
    // 10 bits at `baudRate` (2.083 ms at 4800 baud).
    bool paceAtLineSpeed = false;
    uint32_t baudRate = 4800;
  };

  // Throws Exception when no pseudo-terminal can be made.
  explicit PtySimServer(std::shared_ptr<SimChip> chip);
  PtySimServer(std::shared_ptr<SimChip> chip, Options options);
  ~PtySimServer();
  PtySimServer(const PtySimServer&) = delete;
  PtySimServer& operator=(const PtySimServer&) = delete;

  // The device a client opens: /dev/pts/N.
  const std::string& SlavePath() const { return slavePath_; }
  const std::shared_ptr<SimChip>& Chip() const { return chip_; }

  // Bytes answered (written back to the client) so far.
  uint64_t Answered() const;
  // Waits until `count` bytes have been answered in all, or `timeout` passed; true on the former.
  bool WaitForAnswered(uint64_t count, std::chrono::milliseconds timeout) const;

  // Ends the thread; the slave path stays valid, but nothing answers any more.
  void Stop();

 private:
  using TimePoint = std::chrono::steady_clock::time_point;

  void OpenPseudoTerminal();
  void Serve();
  void ServeByte(uint8_t written);
  // Sleeps until `until` on the monotonic clock; false when Stop() came first.
  bool SleepUntil(TimePoint until) const;
  // Writes the answer; waits (for Stop() too) while the client's input queue is full.
  bool WriteAnswer(uint8_t answer) const;
  bool WaitReady(int fd, short events) const;
  void CountAnswer();

  std::shared_ptr<SimChip> chip_;
  const Options options_;
  const std::chrono::nanoseconds byteTime_;
  int master_ = -1;
  int slave_ = -1;              // held open, so the master never sees a hang-up
  int stopPipe_[2] = {-1, -1};  // Stop() writes to [1]; the thread polls [0]
  std::string slavePath_;
  // The line's model time (thread only): when the last byte arrived, its answer went out.
  TimePoint lastArrival_{};
  TimePoint lastAnswerSent_{};

  mutable std::mutex mutex_;  // guards answered_
  mutable std::condition_variable answeredChanged_;
  uint64_t answered_ = 0;

  std::atomic<bool> stopped_{false};
  std::thread thread_;
};
