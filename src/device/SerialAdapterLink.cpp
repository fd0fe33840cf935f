#include "device/SerialAdapterLink.h"

#include <cstdio>

#include "platform/Exception.h"

SerialAdapterLink::SerialAdapterLink(TSerial& serial, Clock& clock, uint32_t queueBytes)
    : serial_(serial), clock_(clock), queueBytes_(queueBytes) {}

SerialAdapterLink::~SerialAdapterLink() { Close(); }

void SerialAdapterLink::Open() {
  serial_.Open();
  owed_ = 0;
  if (queueBytes_ != 0) serial_.SetQueueSizes(queueBytes_, queueBytes_);
}

void SerialAdapterLink::Close() { serial_.Close(); }

const ProgrammerLink::Pacing& SerialAdapterLink::Pace() const {
  static const Pacing kAdapter{600, 1000, 500, 1, 2};
  return kAdapter;
}

// Answers of an earlier operation may still have been on their way when it closed the port;
// they have all arrived by the end of the pulse and must not pass for the target's.
void SerialAdapterLink::ResetTarget(SessionWaits& waits) {
  serial_.SetRts(false);
  waits.Wait(600);
  serial_.SetRts(true);
  waits.Wait(600);
  serial_.PurgeInput();
  owed_ = 0;
}

// The adapter clocks a byte to the target as it arrives: one sent too soon after a
// self-timed byte waits here. The pacing around page bytes already leaves enough.
void SerialAdapterLink::Send(uint8_t byte, std::chrono::nanoseconds busy) {
  if (clock_.Now() < busyUntil_) clock_.SleepUntil(busyUntil_);
  IoResult result = serial_.WriteByte(byte);
  if (!result.Ok()) FailOn(result, Direction::Writing);
  ++owed_;
  busyUntil_ = busy.count() > 0 ? clock_.Now() + busy : std::chrono::nanoseconds{0};
}

// An answer owed may be held up past one read time-out: a USB-serial adapter hands answers
// over in bursts, and a host that is late to poll it, or a busy machine, makes one burst
// late. Only a silence longer than any latency timer (an FTDI adapter's goes up to 255 ms)
// and such hold-ups means that the programmer is not answering.
uint8_t SerialAdapterLink::Receive() {
  const std::chrono::nanoseconds silentAt = clock_.Now() + ProgrammerLink::kSilence;
  uint8_t answer = 0;
  IoResult result = serial_.ReadByte(&answer);
  while (result.What() == IoResult::Outcome::TimedOut && clock_.Now() < silentAt) {
    result = serial_.ReadByte(&answer);
  }
  if (!result.Ok()) FailOn(result, Direction::Reading);
  --owed_;
  return answer;
}

uint8_t SerialAdapterLink::Exchange(uint8_t byte) {
  const bool lockStep = owed_ == 0;
  const std::chrono::nanoseconds start = clock_.Now();
  Send(byte);
  uint8_t answer = Receive();
  if (lockStep) {
    ++lockStepTiming_.count;
    lockStepTiming_.total += clock_.Now() - start;
  }
  return answer;
}

// The erase's time, in whole milliseconds: the 500 ms of tERASE after its last byte.
void SerialAdapterLink::Settle() {
  const std::chrono::nanoseconds left = busyUntil_ - clock_.Now();
  if (left.count() <= 0) return;
  constexpr int64_t kNsPerMs = 1000000;
  clock_.SleepMs(static_cast<uint32_t>((left.count() + kNsPerMs - 1) / kNsPerMs));
  busyUntil_ = std::chrono::nanoseconds{0};
}

std::string SerialAdapterLink::EchoCause() const { return "the line echoes every byte"; }

std::string SerialAdapterLink::EchoAdvice() const {
  return "a loopback, or an adapter that is not passing bytes to a target; check the adapter "
         "and its cable to the target";
}

// A lock-step exchange (a byte out, its answer back) takes two byte times, 4.17 ms at
// 4800 baud. Much longer means the answers are held back on their way: a USB-serial
// adapter's latency timer, which can be lowered.
std::string SerialAdapterLink::SpeedAdvice() const {
  constexpr double kLockStepMs = 2 * 10 * 1000.0 / 4800;
  constexpr uint64_t kEnoughToTell = 8;
  const ExchangeTiming& timing = lockStepTiming_;
  if (timing.count < kEnoughToTell) return "";
  const double averageMs =
      std::chrono::duration<double, std::milli>(timing.total).count() / timing.count;
  if (averageMs <= 2 * kLockStepMs) return "";
  char figures[160];
  std::snprintf(figures, sizeof figures,
                "note: an exchange with the adapter took %.1f ms on average, where the "
                "4800-baud line needs %.1f ms",
                averageMs, kLockStepMs);
  return std::string(figures) +
         ": the adapter holds its answers back (a USB-serial latency timer). Lower it to "
         "1 ms: on Linux the driver's low-latency mode, which isp89 asks for (for an FTDI "
         "adapter also: echo 1 > /sys/bus/usb-serial/devices/ttyUSB0/latency_timer); on "
         "Windows, Device Manager, the port's Properties, Port Settings, Advanced, Latency "
         "Timer (msec) 1";
}

void SerialAdapterLink::FailOn(const IoResult& result, Direction direction) const {
  const std::string& port = serial_.OpenedName();
  if (result.What() == IoResult::Outcome::LineError) {
    throw Exception(port + ": a byte was garbled or lost on the line (" + result.Reason() +
                    "); check the cable and its connectors, keep it away from noise, and try "
                    "again");
  }
  if (result.What() == IoResult::Outcome::Failed) {
    throw Exception(port + ": the port went away (USB adapter unplugged?): " + result.Reason());
  }
  if (direction == Direction::Reading) {
    throw Exception(port +
                    ": the programmer did not answer (no byte for half a second); "
                    "check that the adapter is on this port and powered");
  }
  throw Exception(port +
                  ": the port did not send a byte within the write time-out; check that the "
                  "adapter is connected and that nothing else holds the line");
}
