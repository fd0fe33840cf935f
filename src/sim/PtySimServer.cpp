#include "sim/PtySimServer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#ifdef __linux__
#include <sys/inotify.h>
#endif
#include <termios.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/Exception.h"
#include "platform/SystemClock.h"

namespace {

bool SetFlags(int fd, int statusFlags) {
  int status = fcntl(fd, F_GETFL);
  return status >= 0 && fcntl(fd, F_SETFL, status | statusFlags) == 0 &&
         fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
}

timespec ToTimespec(std::chrono::nanoseconds span) {
  if (span.count() < 0) span = std::chrono::nanoseconds(0);
  timespec result{};
  result.tv_sec = static_cast<time_t>(span.count() / 1000000000);
  result.tv_nsec = static_cast<long>(span.count() % 1000000000);
  return result;
}

std::chrono::nanoseconds Now() { return SystemClock::Instance().Now(); }

}  // namespace

PtySimServer::PtySimServer(std::shared_ptr<SimChip> chip)
    : PtySimServer(std::move(chip), Options()) {}

PtySimServer::PtySimServer(std::shared_ptr<SimChip> chip, Options options)
    : chip_(std::move(chip)),
      options_(options),
      line_(chip_ ? std::make_shared<SimLine>(chip_, LineOptions(options)) : nullptr) {
  if (!chip_) throw Exception("the pseudo-terminal server needs a simulated chip");
  OpenPseudoTerminal();
  WatchClients();
  chip_->SetIdleGapReset(options_.idleGapReset);
  thread_ = std::thread([this] { Serve(); });
}

PtySimServer::~PtySimServer() {
  Stop();
  for (int fd : {master_, slave_, stopPipe_[0], stopPipe_[1], clientWatch_}) {
    if (fd >= 0) close(fd);
  }
}

SimLine::Options PtySimServer::LineOptions(const Options& options) {
  SimLine::Options line;
  line.baudRate = options.paceAtLineSpeed ? options.baudRate : 0;
  line.adapterBuffer = options.adapterBuffer;
  line.latency = options.latency;
  line.echo = options.echo;
  return line;
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

// Every close of the terminal is a moment a client may have gone without releasing it.
// Without inotify the server still serves; only a killed client's hold then stays.
void PtySimServer::WatchClients() {
#ifdef __linux__
  clientWatch_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (clientWatch_ < 0) return;
  if (inotify_add_watch(clientWatch_, slavePath_.c_str(), IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
    close(clientWatch_);
    clientWatch_ = -1;
  }
#endif
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
  // The line's events are 2 ms apart; the default 50 us timer slack would add up.
  prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
  while (!stopped_.load()) {
    if (!DeliverAnswers()) return;
    if (!WaitForWork(line_->NextEvent(Now()))) return;
  }
}

bool PtySimServer::WaitForWork(std::optional<Time> next) {
  pollfd entries[3] = {{master_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}, {clientWatch_, POLLIN, 0}};
  timespec wait = ToTimespec(next ? *next - Now() : Time{0});
  int ready = ppoll(entries, 3, next ? &wait : nullptr, nullptr);
  if (ready < 0) return errno == EINTR;
  if (entries[1].revents != 0) return false;
  if (entries[0].revents & POLLIN) TakeClientBytes();
  if (entries[2].revents & POLLIN) ReleaseStaleExclusiveHold();
  return true;
}

// The client's bytes start across the line the moment they are read here.
void PtySimServer::TakeClientBytes() {
  uint8_t bytes[256];
  ssize_t count = read(master_, bytes, sizeof bytes);
  if (count <= 0) return;  // EAGAIN or EINTR: poll again
  const Time now = Now();
  for (ssize_t i = 0; i < count; ++i) line_->Write(bytes[i], now);
}

bool PtySimServer::DeliverAnswers() {
  while (std::optional<uint8_t> answer = line_->Take(Now())) {
    if (!WriteAnswer(*answer)) return false;
    CountAnswer();
  }
  return true;
}

bool PtySimServer::WriteAnswer(uint8_t answer) const {
  for (;;) {
    ssize_t count = write(master_, &answer, 1);
    if (count == 1) return true;
    if (count < 0 && errno == EINTR) continue;
    // The client's input queue is full: wait until it reads (or a new opener flushes it).
    if (count < 0 && errno == EAGAIN && WaitWritable()) continue;
    return false;
  }
}

// Waits until the master takes more, or for Stop(); false on Stop() or a failure.
bool PtySimServer::WaitWritable() const {
  for (;;) {
    pollfd entries[2] = {{master_, POLLOUT, 0}, {stopPipe_[0], POLLIN, 0}};
    int ready = poll(entries, 2, -1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0 || entries[1].revents != 0) return false;
    return (entries[0].revents & (POLLOUT | POLLHUP | POLLERR)) != 0;
  }
}

// The exclusive flag belongs to the terminal. A client holds it together with a lock on its
// open file, which the system releases however the client ends; so when the flag is set and
// the lock is free, the client that set it is gone.
void PtySimServer::ReleaseStaleExclusiveHold() const {
  char events[4096];
  while (read(clientWatch_, events, sizeof events) > 0) {
  }
#ifdef TIOCGEXCL
  int exclusive = 0;
  if (ioctl(slave_, TIOCGEXCL, &exclusive) != 0 || exclusive == 0) return;
  if (flock(slave_, LOCK_EX | LOCK_NB) != 0) return;
  ioctl(slave_, TIOCNXCL);
  flock(slave_, LOCK_UN);
#endif
}
