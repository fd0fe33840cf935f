#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/serial.h>
#endif

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/NativePort.h"
#include "platform/PosixCommPort.h"
#include "platform/TermiosLine.h"

namespace {

// The group that owns the device, which a user must be in to open it ("dialout").
std::string OwningGroup(const std::string& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return "";
  const group* owner = getgrgid(status.st_gid);
  return owner && owner->gr_name ? owner->gr_name : "";
}

NativeOpenFailure::Cause CauseOf(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return NativeOpenFailure::Cause::Permission;
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case EIO:
      return NativeOpenFailure::Cause::NoDevice;
    case EBUSY:
      return NativeOpenFailure::Cause::InUse;
    case ENOTTY:
      return NativeOpenFailure::Cause::NotSerial;
    default:
      return NativeOpenFailure::Cause::Other;
  }
}

NativeOpenFailure OpenFailure(const std::string& path, int error) {
  NativeOpenFailure failure;
  failure.cause = CauseOf(error);
  failure.reason = std::strerror(error);
  if (failure.cause == NativeOpenFailure::Cause::Permission) failure.group = OwningGroup(path);
  return failure;
}

NativeOpenFailure InUseFailure() {
  return {NativeOpenFailure::Cause::InUse, "another program holds the port locked", ""};
}

// The driver of a USB-serial adapter otherwise may hold each received byte up to 16 ms
// before passing it on, which would stretch every one-byte exchange. Drivers without the
// setting (a pseudo-terminal) refuse it; that is fine.
void AskForLowLatency(int fd) {
#if defined(__linux__) && defined(TIOCGSERIAL) && defined(ASYNC_LOW_LATENCY)
  serial_struct serial{};
  if (ioctl(fd, TIOCGSERIAL, &serial) == 0) {
    serial.flags |= ASYNC_LOW_LATENCY;
    ioctl(fd, TIOCSSERIAL, &serial);
  }
#else
  (void)fd;
#endif
}

// Root passes TIOCEXCL, so a port that another program made exclusive is detected here.
bool HeldExclusivelyByAnother(int fd) {
#ifdef TIOCGEXCL
  int exclusive = 0;
  return ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
#else
  (void)fd;
  return false;
#endif
}

std::unique_ptr<PosixCommPort> Refuse(int fd, NativeOpenFailure& failure, NativeOpenFailure why) {
  close(fd);
  failure = std::move(why);
  return nullptr;
}

}  // namespace

std::unique_ptr<PosixCommPort> PosixCommPort::Open(const std::string& path,
                                                   NativeOpenFailure& failure) {
  // Non-blocking: the open must not wait for a modem's carrier, and reads and writes wait
  // through poll() with their time-outs.
  int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    failure = OpenFailure(path, errno);
    return nullptr;
  }
  termios settings{};
  if (tcgetattr(fd, &settings) != 0) return Refuse(fd, failure, OpenFailure(path, errno));
  const termios found = settings;
  // The lock first: setting TIOCEXCL on a port that another program holds would leave that
  // port exclusive after we gave up on it.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    int error = errno;
    return Refuse(fd, failure, error == EWOULDBLOCK ? InUseFailure() : OpenFailure(path, error));
  }
  if (HeldExclusivelyByAnother(fd)) return Refuse(fd, failure, InUseFailure());
  if (ioctl(fd, TIOCEXCL) != 0) return Refuse(fd, failure, OpenFailure(path, errno));
  MakeRawLine(settings);
  if (tcsetattr(fd, TCSANOW, &settings) != 0) {
    int error = errno;
    ioctl(fd, TIOCNXCL);
    return Refuse(fd, failure, OpenFailure(path, error));
  }
  AskForLowLatency(fd);
  // A pseudo-terminal, and some drivers, keep bytes nobody read across openings; an
  // operation must not take an answer from an earlier one.
  tcflush(fd, TCIOFLUSH);
  return std::unique_ptr<PosixCommPort>(new PosixCommPort(fd, found));
}

PosixCommPort::~PosixCommPort() {
  // The settings belong to the terminal and outlive this descriptor: a terminal named by
  // mistake must not stay raw at 4800 baud. TCSADRAIN lets the last bytes leave at the speed
  // they were written for.
  tcsetattr(fd_, TCSADRAIN, &found_);
  // The exclusive flag belongs to the terminal, not to this descriptor: while anyone else
  // keeps the terminal open (the simulator behind a pseudo-terminal does) it would lock out
  // every later opener that is not root.
  ioctl(fd_, TIOCNXCL);
  close(fd_);
}

bool PosixCommPort::GetState(LineSettings& settings) {
  termios line{};
  if (tcgetattr(fd_, &line) != 0) return false;
  TakeLineSettings(line, settings);
  settings.abortOnError = abortOnError_;
  return true;
}

// abortOnError: Windows then fails every read and write after a framing, parity or overrun
// error until the error is cleared. termios has nothing like it: a byte with such an error
// arrives as 0x00 and the line goes on. The flag is kept in the copy only; the protocol
// notices a wrong answer by its value.
bool PosixCommPort::SetState(const LineSettings& settings) {
  termios before{};
  if (tcgetattr(fd_, &before) != 0) return false;
  termios wanted = before;
  if (!PutLineSettings(settings, wanted)) return false;
  // tcsetattr succeeds when any part of the change took, and a driver may force some of it
  // (a pseudo-terminal keeps 8 bits, no parity): read back, and undo a change that did not
  // take whole.
  termios held{};
  if (tcsetattr(fd_, TCSANOW, &wanted) != 0 || tcgetattr(fd_, &held) != 0 ||
      !SameLineSettings(held, wanted)) {
    tcsetattr(fd_, TCSANOW, &before);
    return false;
  }
  abortOnError_ = settings.abortOnError;
  return true;
}

bool PosixCommPort::GetTimeouts(CommTimeouts& timeouts) {
  timeouts = timeouts_;
  return true;
}

bool PosixCommPort::SetTimeouts(const CommTimeouts& timeouts) {
  timeouts_ = timeouts;
  return true;
}

// A pseudo-terminal has no modem lines and refuses; the caller does not depend on it.
bool PosixCommPort::SetRts(bool asserted) {
  int bits = TIOCM_RTS;
  return ioctl(fd_, asserted ? TIOCMBIS : TIOCMBIC, &bits) == 0;
}

// termios has no queue sizes: the kernel's buffers (4 KB and more) already hold a whole
// page and its answers. The request is taken as granted.
bool PosixCommPort::SetupQueues(uint32_t, uint32_t) { return true; }

IoResult PosixCommPort::WaitFor(short events, Deadline deadline) const {
  for (;;) {
    auto left = deadline - std::chrono::steady_clock::now();
    if (left <= Deadline::duration::zero()) return IoResult::TimedOut();
    // Rounded up, so poll() never returns a little before the deadline.
    auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    pollfd entry{fd_, events, 0};
    int ready = poll(&entry, 1, static_cast<int>(ms));
    // A hang-up or an error shows in the read or write that follows, with its reason.
    if (ready > 0) return IoResult::Moved();
    if (ready < 0 && errno != EINTR) return IoResult::Failed(std::strerror(errno));
  }
}

namespace {

std::chrono::steady_clock::time_point DeadlineAfter(uint32_t multiplier, uint32_t constant) {
  return std::chrono::steady_clock::now() +
         std::chrono::milliseconds(uint64_t{multiplier} + constant);
}

bool WouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK || error == EINTR; }

}  // namespace

IoResult PosixCommPort::WriteByte(uint8_t byte) {
  const Deadline deadline =
      DeadlineAfter(timeouts_.writeTotalTimeoutMultiplier, timeouts_.writeTotalTimeoutConstant);
  for (;;) {
    ssize_t written = write(fd_, &byte, 1);
    if (written == 1) return IoResult::Moved();
    if (written == 0) return IoResult::Failed("the port took no byte");
    if (!WouldBlock(errno)) return IoResult::Failed(std::strerror(errno));
    IoResult ready = WaitFor(POLLOUT, deadline);
    if (!ready.Ok()) return ready;
  }
}

IoResult PosixCommPort::ReadByte(uint8_t* destination) {
  const Deadline deadline =
      DeadlineAfter(timeouts_.readTotalTimeoutMultiplier, timeouts_.readTotalTimeoutConstant);
  for (;;) {
    uint8_t byte = 0;
    ssize_t got = read(fd_, &byte, 1);
    if (got == 1) {
      *destination = byte;
      return IoResult::Moved();
    }
    // End of file on a terminal is a hang-up: the device went away.
    if (got == 0) return IoResult::Failed("end of file (the device hung up)");
    if (!WouldBlock(errno)) return IoResult::Failed(std::strerror(errno));
    IoResult ready = WaitFor(POLLIN, deadline);
    if (!ready.Ok()) return ready;
  }
}

bool PosixCommPort::PurgeInput() { return tcflush(fd_, TCIFLUSH) == 0; }

// With flow control off a UART always empties, and a pseudo-terminal returns at once.
bool PosixCommPort::DrainOutput() {
  while (tcdrain(fd_) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

std::unique_ptr<CommPort> OpenNativePort(const std::string& path, NativeOpenFailure& failure) {
  return PosixCommPort::Open(path, failure);
}

std::string DefaultNativePortPath(int portNumber) {
  return "/dev/ttyS" + std::to_string(portNumber - 1);
}

// Links are followed: /dev/serial/by-id/... names the /dev/ttyUSB0 it points to.
bool SameNativeDevice(const std::string& first, const std::string& second) {
  if (first == second) return true;
  std::unique_ptr<char, decltype(&free)> a(realpath(first.c_str(), nullptr), &free);
  std::unique_ptr<char, decltype(&free)> b(realpath(second.c_str(), nullptr), &free);
  return a && b && std::strcmp(a.get(), b.get()) == 0;
}

// isp89-sim and other programs serve on pseudo-terminals, which live under /dev/pts.
std::string NativeDeviceNote(const std::string& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return "no such device";
  if (!S_ISCHR(status.st_mode)) return "not a device";
  std::unique_ptr<char, decltype(&free)> real(realpath(path.c_str(), nullptr), &free);
  if (real && std::strncmp(real.get(), "/dev/pts/", 9) == 0) return "pseudo-terminal";
  return "a device the system does not list as a serial port";
}
