#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>
#include <thread>

#include "platform/Exception.h"
#include "platform/SignalStop.h"

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr size_t kCount = sizeof kSignals / sizeof kSignals[0];
// Written to the pipe by the destructor: no signal has the number 0.
constexpr unsigned char kQuit = 0;

// What the handler may touch. A handler may only do what is async-signal-safe: write() to a
// pipe, sigaction(), lock-free atomics; the watch's thread does the rest.
std::atomic<int> gPipeIn{-1};
std::atomic<int> gSignals{0};
static_assert(std::atomic<int>::is_always_lock_free, "the handler needs lock-free atomics");

void ResetToDefault() {
  struct sigaction plain {};
  plain.sa_handler = SIG_DFL;
  sigemptyset(&plain.sa_mask);
  for (int number : kSignals) sigaction(number, &plain, nullptr);
}

void OnSignal(int number) {
  const int saved = errno;
  const unsigned char byte = static_cast<unsigned char>(number);
  // The write end does not block: a full pipe (thousands of signals) drops the byte, and the
  // stop is raised already.
  (void)!write(gPipeIn.load(), &byte, 1);
  // After the second, the next signal is the system's: it ends the program at once.
  if (gSignals.fetch_add(1) + 1 >= 2) ResetToDefault();
  errno = saved;
}

}  // namespace

struct SignalStop::Watch {
  explicit Watch(StopSignal& stop) : stop(stop) {}

  // Blocks on the pipe until a signal or the quit byte comes: the first signal raises the
  // stop, the next ones raise it at once.
  void Run() {
    int first = 0;
    for (;;) {
      unsigned char byte = kQuit;
      const ssize_t got = read(pipe[0], &byte, 1);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0 || byte == kQuit) return;
      if (first == 0) {
        first = byte;
        stop.Raise(128 + first);
      } else {
        stop.RaiseAtOnce(128 + first);
      }
    }
  }

  StopSignal& stop;
  int pipe[2] = {-1, -1};
  struct sigaction former[kCount] = {};
  std::thread thread;
};

SignalStop::SignalStop(StopSignal& stop) : watch_(std::make_unique<Watch>(stop)) {
  if (pipe2(watch_->pipe, O_CLOEXEC) != 0) {
    throw Exception(std::string("cannot watch for signals: ") + std::strerror(errno));
  }
  fcntl(watch_->pipe[1], F_SETFL, O_NONBLOCK);
  gPipeIn = watch_->pipe[1];
  gSignals = 0;
  watch_->thread = std::thread([watch = watch_.get()] { watch->Run(); });
  struct sigaction handling {};
  handling.sa_handler = OnSignal;
  sigemptyset(&handling.sa_mask);
  // Restarted: a read of the port or a write of a result goes on; the stop is heeded after.
  handling.sa_flags = SA_RESTART;
  for (size_t i = 0; i < kCount; ++i) sigaction(kSignals[i], &handling, &watch_->former[i]);
}

SignalStop::~SignalStop() {
  for (size_t i = 0; i < kCount; ++i) sigaction(kSignals[i], &watch_->former[i], nullptr);
  // No handler of ours writes any more: the quit byte may wait for room.
  fcntl(watch_->pipe[1], F_SETFL, 0);
  while (write(watch_->pipe[1], &kQuit, 1) < 0 && errno == EINTR) {
  }
  watch_->thread.join();
  gPipeIn = -1;
  close(watch_->pipe[0]);
  close(watch_->pipe[1]);
}
