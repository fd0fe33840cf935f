#include "sim/PtySimServer.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

#include "platform/Exception.h"

namespace {

constexpr uint32_t kBitsPerByte = 10;  // start bit, 8 data bits, stop bit

bool SetFlags(int fd, int statusFlags) {
  int status = fcntl(fd, F_GETFL);
  return status >= 0 && fcntl(fd, F_SETFL, status | statusFlags) == 0 &&
         fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
}

timespec ToTimespec(std::chrono::nanoseconds span) {
  timespec result{};
  result.tv_sec = static_cast<time_t>(span.count() / 1000000000);
  result.tv_nsec = static_cast<long>(span.count() % 1000000000);
  return result;
}

}  // namespace

PtySimServer::PtySimServer(std::shared_ptr<SimChip> chip)
    : PtySimServer(std::move(chip), Options()) {}

PtySimServer::PtySimServer(std::shared_ptr<SimChip> chip, Options options)
    : chip_(std::move(chip)),
      options_(options),
      byteTime_(std::chrono::nanoseconds(1000000000ULL * kBitsPerByte /
                                         std::max<uint32_t>(options.baudRate, 1))) {
  if (!chip_) throw Exception("the pseudo-terminal server needs a simulated chip");
  OpenPseudoTerminal();
  chip_->SetIdleGapReset(options_.idleGapReset);
  thread_ = std::thread([this] { Serve(); });
}

PtySimServer::~PtySimServer() {
  Stop();
  for (int fd : {master_, slave_, stopPipe_[0], stopPipe_[1]}) {
    if (fd >= 0) close(fd);
  }
}

void PtySimServer::OpenPseudoTerminal() {
  auto fail = [this](const std::string& step) {
    std::string reason = std::strerror(errno);
    for (int fd : {master_, slave_, stopPipe_[0], stopPipe_[1]}) {
      if (fd >= 0) close(fd);
    }
    throw Exception("cannot make a pseudo-terminal for the simulated chip: " + step + ": " +
                    reason);
  };
  master_ = posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0) fail("posix_openpt");
  if (!SetFlags(master_, O_NONBLOCK)) fail("fcntl");
  if (grantpt(master_) != 0 || unlockpt(master_) != 0) fail("grantpt/unlockpt");
  char name[128] = {};
  if (ptsname_r(master_, name, sizeof name) != 0) fail("ptsname");
  slavePath_ = name;
  slave_ = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (slave_ < 0) fail("open " + slavePath_);
  // Raw from the start: a fresh pseudo-terminal echoes and translates CR and LF, which would
  // send a client's bytes back to it and change the answers before it sets the line up.
  termios line{};
  if (tcgetattr(slave_, &line) != 0) fail("tcgetattr");
  cfmakeraw(&line);
  line.c_iflag &= ~(IXOFF | IXANY);
  line.c_cflag |= CLOCAL | CREAD;
#ifdef CRTSCTS
  line.c_cflag &= ~CRTSCTS;
#endif
  if (tcsetattr(slave_, TCSANOW, &line) != 0) fail("tcsetattr");
  if (pipe(stopPipe_) != 0) fail("pipe");
  if (!SetFlags(stopPipe_[0], O_NONBLOCK) || !SetFlags(stopPipe_[1], O_NONBLOCK)) {
    fail("fcntl");
  }
}

void PtySimServer::Stop() {
  if (!stopped_.exchange(true)) {
    const char wake = 1;
    // The pipe is empty until now, so the one byte always fits.
    while (write(stopPipe_[1], &wake, 1) < 0 && errno == EINTR) {
    }
  }
  if (thread_.joinable()) thread_.join();
}

uint64_t PtySimServer::Answered() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return answered_;
}

bool PtySimServer::WaitForAnswered(uint64_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return answeredChanged_.wait_for(lock, timeout, [&] { return answered_ >= count; });
}

void PtySimServer::CountAnswer() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++answered_;
  }
  answeredChanged_.notify_all();
}

void PtySimServer::Serve() {
#ifdef __linux__
  // Pacing sleeps 2 ms at a time; the default 50 us timer slack would add up.
  prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
  uint8_t bytes[256];
  while (!stopped_.load()) {
    if (!WaitReady(master_, POLLIN)) return;
    ssize_t count = read(master_, bytes, sizeof bytes);
    if (count < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    // Cannot happen while slave_ is open; without a client side there is nothing to serve.
    if (count <= 0) return;
    const TimePoint written = std::chrono::steady_clock::now();
    for (ssize_t i = 0; i < count && !stopped_.load(); ++i) {
      if (options_.paceAtLineSpeed) {
        // The bytes a client writes in a burst arrive one after another, a byte time each.
        lastArrival_ = std::max(written, lastArrival_) + byteTime_;
        if (!SleepUntil(lastArrival_)) return;
      }
      ServeByte(bytes[i]);
    }
  }
}

void PtySimServer::ServeByte(uint8_t written) {
  std::optional<uint8_t> answer = chip_->Exchange(written);
  if (!answer) return;  // the adapter has gone silent
  if (options_.paceAtLineSpeed) {
    // The answer is shifted back while the next byte comes in: full duplex.
    lastAnswerSent_ = std::max(lastArrival_, lastAnswerSent_) + byteTime_;
    if (!SleepUntil(lastAnswerSent_)) return;
  }
  if (WriteAnswer(*answer)) CountAnswer();
}

bool PtySimServer::SleepUntil(TimePoint until) const {
  for (;;) {
    auto left = until - std::chrono::steady_clock::now();
    if (left <= TimePoint::duration::zero()) return true;
    pollfd stop{stopPipe_[0], POLLIN, 0};
    timespec wait = ToTimespec(left);
    int ready = ppoll(&stop, 1, &wait, nullptr);
    if (ready > 0) return false;
    if (ready < 0 && errno != EINTR) return false;
  }
}

bool PtySimServer::WriteAnswer(uint8_t answer) const {
  for (;;) {
    ssize_t count = write(master_, &answer, 1);
    if (count == 1) return true;
    if (count < 0 && errno == EINTR) continue;
    // The client's input queue is full: wait until it reads (or a new opener flushes it).
    if (count < 0 && errno == EAGAIN && WaitReady(master_, POLLOUT)) continue;
    return false;
  }
}

// Waits for `events` on `fd` or for Stop(); false on Stop() or a failure.
bool PtySimServer::WaitReady(int fd, short events) const {
  for (;;) {
    pollfd entries[2] = {{fd, events, 0}, {stopPipe_[0], POLLIN, 0}};
    int ready = poll(entries, 2, -1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0 || entries[1].revents != 0) return false;
    return (entries[0].revents & (events | POLLHUP | POLLERR)) != 0;
  }
}
