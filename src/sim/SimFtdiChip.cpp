#include "sim/SimFtdiChip.h"

#include <algorithm>

namespace {

using Mode = FtdiDevice::Mode;

constexpr int kTxd = 0, kRts = 2, kDtr = 4;     // the UART's outputs among D0-D7
constexpr uint32_t kTransferBytes = 4096;       // libftdi's read chunk
constexpr std::chrono::seconds kUsbTimeout{5};  // libftdi's write time-out

}  // namespace

SimFtdiChip::SimFtdiChip(const FtdiFamily& family, std::shared_ptr<SimSpiTarget> target,
                         Clock& clock)
    : SimFtdiChip(family, std::move(target), clock, Wiring()) {}

SimFtdiChip::SimFtdiChip(const FtdiFamily& family, std::shared_ptr<SimSpiTarget> target,
                         Clock& clock, Wiring wiring)
    : family_(family), target_(std::move(target)), clock_(clock), wiring_(wiring) {
  std::lock_guard<std::mutex> lock(mutex_);
  tick_ = Time(static_cast<int64_t>(4e9 / baud_ + 0.5));
  ApplyPins(clock_.Now());
}

bool SimFtdiChip::Claim() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (held_) return false;
  held_ = true;
  return true;
}

void SimFtdiChip::Release() {
  SetBitMode(0, Mode::Serial);
  std::lock_guard<std::mutex> lock(mutex_);
  held_ = false;
}

SimFtdiChip::Time SimFtdiChip::NextFrame(Time t) const {
  const int64_t frame = family_.Frame().count();
  return Time((t.count() + frame - 1) / frame * frame);
}

// The packet slots of a frame, then the next frame.
SimFtdiChip::Time SimFtdiChip::NextSlot(Time t) const {
  const Time frame = family_.Frame();
  const Time slot = frame / family_.PacketsPerFrame();
  const Time start = Time(t.count() / frame.count() * frame.count());
  const int64_t index = (t - start) / slot + 1;
  return index < family_.PacketsPerFrame() ? start + index * slot : start + frame;
}

SimFtdiChip::Time SimFtdiChip::TickAtOrAfter(Time t) const {
  if (t <= origin_) return origin_;
  const int64_t ticks = ((t - origin_).count() + tick_.count() - 1) / tick_.count();
  return origin_ + ticks * tick_;
}

bool SimFtdiChip::Level(int pin) const {
  if (mode_ == Mode::SyncBitBang) return (outputs_ >> pin & 1) ? (levels_ >> pin & 1) != 0 : true;
  if (pin == kRts) return !rts_;
  return true;  // TXD and DTR# idle high; the inputs are pulled up
}

void SimFtdiChip::ApplyPins(Time at) {
  target_->Drive(Level(wiring_.rst), Level(wiring_.sck), Level(wiring_.mosi), at);
}

// An output reads back as driven; the pin wired to MISO reads the target.
uint8_t SimFtdiChip::Sample() const {
  uint8_t pins = 0;
  for (int pin = 0; pin < 8; ++pin) {
    bool high = Level(pin);
    if (pin == wiring_.miso && !(outputs_ >> pin & 1)) {
      high = wiring_.loopback ? Level(wiring_.mosi) : target_->Miso();
    }
    if (high) pins |= static_cast<uint8_t>(1u << pin);
  }
  return pins;
}

void SimFtdiChip::AdvanceTo(Time t) {
  if (mode_ != Mode::SyncBitBang) return;
  while (!fromHost_.empty() && toHost_.size() < family_.toHostFifo && nextTick_ <= t) {
    toHost_.push_back(Sample());
    levels_ = fromHost_.front();
    fromHost_.pop_front();
    ApplyPins(nextTick_);
    nextTick_ += tick_;
    ++applied_;
  }
  // Idle: the next byte goes out at the first tick after it can.
  if (nextTick_ < t) nextTick_ = TickAtOrAfter(t);
}

bool SimFtdiChip::SetBitMode(uint8_t outputs, Mode mode) {
  std::lock_guard<std::mutex> lock(mutex_);
  const Time now = clock_.Now();
  AdvanceTo(now);
  mode_ = mode;
  outputs_ = mode == Mode::SyncBitBang ? outputs : 0;
  fromHost_.clear();
  origin_ = now;
  nextTick_ = now;
  ApplyPins(now);
  return true;
}

// libftdi asks for four times the rate while bit-bang mode is on; it refuses a rate the
// divisor misses by more than 5 %.
bool SimFtdiChip::SetBaudRate(int rate) {
  std::lock_guard<std::mutex> lock(mutex_);
  const double asked = mode_ == Mode::SyncBitBang ? 4.0 * rate : rate;
  const double made = family_.BaudOf(asked);
  if (rate <= 0 || made / asked > 1.05 || made / asked < 0.95) {
    lastError_ = "Unsupported baudrate. Note: bitbang baudrates are automatically multiplied by 4";
    return false;
  }
  const Time now = clock_.Now();
  AdvanceTo(now);
  baud_ = made;
  tick_ = Time(static_cast<int64_t>(4e9 / baud_ + 0.5));
  origin_ = now;
  nextTick_ = TickAtOrAfter(now);
  return true;
}

bool SimFtdiChip::SetLatencyTimer(uint8_t ms) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (ms < 1) {
    lastError_ = "latency out of range. Only valid for 1-255";
    return false;
  }
  latency_ = std::chrono::milliseconds(ms);
  return true;
}

bool SimFtdiChip::SetRts(bool asserted) {
  std::lock_guard<std::mutex> lock(mutex_);
  const Time now = clock_.Now();
  AdvanceTo(now);
  rts_ = asserted;
  ApplyPins(now);
  return true;
}

bool SimFtdiChip::Purge() {
  std::lock_guard<std::mutex> lock(mutex_);
  AdvanceTo(clock_.Now());
  fromHost_.clear();
  toHost_.clear();
  hostBuffer_.clear();
  return true;
}

int SimFtdiChip::Write(const uint8_t* bytes, int count) {
  Time done;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const Time start = clock_.Now();
    AdvanceTo(start);
    Time t = NextFrame(start);
    for (int sent = 0; sent < count; t = NextSlot(t)) {
      if (t - start > kUsbTimeout) {
        lastError_ = "usb bulk write failed";
        return -1;
      }
      AdvanceTo(t);
      const uint32_t length = std::min<uint32_t>(family_.packetSize, count - sent);
      if (family_.fromHostFifo - fromHost_.size() < length) continue;  // refused: full
      fromHost_.insert(fromHost_.end(), bytes + sent, bytes + sent + length);
      sent += static_cast<int>(length);
      if (nextTick_ < t) nextTick_ = TickAtOrAfter(t);
    }
    done = t;
  }
  clock_.SleepUntil(done);
  return count;
}

// Packets until a short one (the latency timer ran out) or a full transfer.
SimFtdiChip::Time SimFtdiChip::InTransfer(Time t, std::deque<uint8_t>& data) {
  const uint32_t packets = std::max<uint32_t>(1, readChunk_ / family_.packetSize);
  for (uint32_t sent = 0; sent < packets; t = NextSlot(t)) {
    AdvanceTo(t);
    const bool full = toHost_.size() >= family_.PacketData();
    if (!full && t - lastPacketAt_ < latency_) continue;  // nothing to send yet
    const size_t length = std::min<size_t>(toHost_.size(), family_.PacketData());
    data.insert(data.end(), toHost_.begin(), toHost_.begin() + length);
    toHost_.erase(toHost_.begin(), toHost_.begin() + length);
    lastPacketAt_ = t;
    ++sent;
    if (!full) return NextSlot(t);
  }
  return t;
}

bool SimFtdiChip::SetReadChunkSize(uint32_t bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (bytes == 0) return false;
  readChunk_ = bytes;
  return true;
}

int SimFtdiChip::Read(uint8_t* bytes, int count) {
  int got = 0;
  Time done = clock_.Now();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    AdvanceTo(done);
    auto take = [&] {
      while (got < count && !hostBuffer_.empty()) {
        bytes[got++] = hostBuffer_.front();
        hostBuffer_.pop_front();
      }
    };
    take();
    while (got < count) {
      const size_t before = hostBuffer_.size();
      done = InTransfer(NextFrame(done), hostBuffer_);
      const bool brought = hostBuffer_.size() > before;
      take();
      if (!brought) break;
    }
  }
  clock_.SleepUntil(done);
  return got;
}

std::string SimFtdiChip::LastError() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lastError_;
}

FtdiDevice::Mode SimFtdiChip::CurrentMode() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return mode_;
}

double SimFtdiChip::StateRate() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return baud_ / 4;
}

uint64_t SimFtdiChip::StatesApplied() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return applied_;
}
