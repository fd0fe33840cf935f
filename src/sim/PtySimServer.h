#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "sim/SimChip.h"
#include "sim/SimLine.h"

// The simulated adapter and chip behind a pseudo-terminal, so that any program (isp89 itself
// through ISP89_COM1=/dev/pts/N) can drive it as a serial port. A thread of its own reads the
// bytes the client writes, puts them on the simulated line (SimLine: the line's byte time,
// the adapter's buffer, a USB latency timer, an echoing line) and writes each answer back
// when the line delivers it.
//
// Usage: PtySimServer server(chip); setenv("ISP89_COM1", server.SlavePath().c_str(), 1);
// ... ; server.Stop() or destruction ends the thread.
//
// A pseudo-terminal carries no RTS, so the chip is told to take a pause in the traffic as a
// reset pulse (the programmer waits 1.2 s around each pulse). The server keeps the slave side
// open itself: clients may close and open it again at will, and nothing they send is echoed
// or translated even before they set the line up. A client that dies holding the terminal
// exclusively (TIOCEXCL) would lock out every later one: the server clears the flag once no
// client holds the port.
class PtySimServer {
 public:
  struct Options {
    // A byte after this much silence starts over, as after a reset pulse.
    std::chrono::milliseconds idleGapReset{500};
    // Bytes cross at the real line speed: 10 bits at `baudRate` each way (2.083 ms at 4800).
    bool paceAtLineSpeed = false;
    uint32_t baudRate = 4800;
    // What the adapter buffers, how late a USB adapter hands answers over, and whether the
    // line only echoes: see SimLine.
    size_t adapterBuffer = 16;
    std::chrono::milliseconds latency{0};
    bool echo = false;
  };

  // Throws Exception when no pseudo-terminal can be made.
  explicit PtySimServer(std::shared_ptr<SimChip> chip);
  PtySimServer(std::shared_ptr<SimChip> chip, Options options);
  ~PtySimServer();
  PtySimServer(const PtySimServer&) = delete;
  PtySimServer& operator=(const PtySimServer&) = delete;

  // The device a client opens: /dev/pts/N.
  const std::string& SlavePath() const { return slavePath_; }

  // Bytes answered (written back to the client) so far.
  uint64_t Answered() const;
  // Waits until `count` bytes have been answered in all, or `timeout` passed; true on the former.
  bool WaitForAnswered(uint64_t count, std::chrono::milliseconds timeout) const;
  // Bytes lost in the adapter's full buffer so far.
  uint64_t LostBytes() const { return line_->LostBytes(); }

  // Ends the thread; the slave path stays valid, but nothing answers any more.
  void Stop();

 private:
  using Time = SimLine::Time;

  static SimLine::Options LineOptions(const Options& options);
  void OpenPseudoTerminal();
  void WatchClients();
  void Serve();
  // Polls for the client's bytes, Stop() and clients going away, until `next` at the latest;
  // false on Stop() or a failure.
  bool WaitForWork(std::optional<Time> next);
  void TakeClientBytes();
  // Writes every answer the line has delivered by now; false on Stop() or a failure.
  bool DeliverAnswers();
  bool WriteAnswer(uint8_t answer) const;
  bool WaitWritable() const;
  void ReleaseStaleExclusiveHold() const;
  void CountAnswer();

  const std::shared_ptr<SimChip> chip_;
  const Options options_;
  const std::shared_ptr<SimLine> line_;
  int master_ = -1;
  int slave_ = -1;              // held open, so the master never sees a hang-up
  int stopPipe_[2] = {-1, -1};  // Stop() writes to [1]; the thread polls [0]
  int clientWatch_ = -1;        // inotify: a client closed the terminal
  std::string slavePath_;

  mutable std::mutex mutex_;  // guards answered_
  mutable std::condition_variable answeredChanged_;
  uint64_t answered_ = 0;

  std::atomic<bool> stopped_{false};
  std::thread thread_;
};
