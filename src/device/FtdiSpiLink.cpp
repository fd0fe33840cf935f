#include "device/FtdiSpiLink.h"

#include <algorithm>
#include <cmath>

#include "platform/Exception.h"
#include "serial/PortOpenError.h"

namespace {

constexpr uint32_t kResetLowMs = 10;
// The datasheet: RST high, with the clock running, at least 10 ms before Programming Enable.
constexpr uint32_t kResetHighMs = 10;
// Busy times up to this ride along as idle pin states; longer ones are slept.
constexpr std::chrono::milliseconds kLongestPadding{20};
// Idle states are counted for a rate this much higher than the one set: a real chip's
// divisor may be off by that much.
constexpr double kRateMargin = 1.02;
constexpr uint8_t kLatencyMs = 1;
constexpr std::chrono::seconds kSilence{2};
constexpr size_t kStreamPages = 8;

// What may be in flight: both buffers, less a packet, so a write always completes.
size_t Window(const FtdiFamily& family) {
  return family.fromHostFifo + family.toHostFifo - family.packetSize;
}

}  // namespace

FtdiSpiLink::FtdiSpiLink(PortOpener& opener, std::string name, Clock& clock, Options options)
    : opener_(opener), name_(std::move(name)), clock_(clock), options_(options) {}

FtdiSpiLink::~FtdiSpiLink() { Close(); }

// A turn of the host is a write and a read, each starting with a frame. The window must hold
// a little over two turns of pin states: a write waits while the chip's small buffer from
// the host drains, and the read only starts after it (at this rate an FT232R's pins idle
// under 1 % of the time).
double FtdiSpiLink::BufferedStateRate(const FtdiFamily& family) {
  constexpr double kTurnsInWindow = 2.3;
  const double turn = 2 * std::chrono::duration<double>(family.Frame()).count();
  return Window(family) / turn / kTurnsInWindow;
}

void FtdiSpiLink::Open() {
  if (device_) return;
  PortOpenFailure failure = PortOpenFailure::Of(name_);
  device_ = opener_.OpenFtdi(name_, failure);
  if (!device_) throw PortOpenError(failure);
  try {
    Configure();
  } catch (...) {
    device_.reset();
    throw;
  }
}

// Bit-bang mode before the rate: libftdi scales the rate only with bit-bang on.
void FtdiSpiLink::Configure() {
  if (!device_->SetBitMode(options_.pins.Outputs(), FtdiDevice::Mode::SyncBitBang)) {
    throw Exception(name_ +
                    ": the FTDI chip refused synchronous bit-bang mode: " + device_->LastError());
  }
  ChooseRate();
  if (!device_->SetLatencyTimer(kLatencyMs) || !device_->Purge()) FailUsb("setting up");
  states_.clear();
  starts_.clear();
  answers_.clear();
  rstHigh_ = false;
}

// The fastest rate the divisor makes at or under the limit: SCK high and low one state each.
void FtdiSpiLink::ChooseRate() {
  const FtdiFamily& family = device_->Family();
  const double limit = std::min(options_.crystalHz / 8, BufferedStateRate(family));
  int rate = static_cast<int>(limit);
  while (rate > 1 && family.StateRate(rate) > limit) rate -= std::max(1, rate / 256);
  if (!device_->SetBaudRate(rate)) {
    throw Exception(name_ + ": the FTDI chip refused the pin rate " + std::to_string(rate) +
                    " a second: " + device_->LastError());
  }
  stateRate_ = family.StateRate(rate);
}

void FtdiSpiLink::Close() {
  if (!device_) return;
  // RST low lets the target run; in serial mode RTS# keeps it low while RTS is asserted.
  try {
    Flush();
    rstHigh_ = false;
    AddState(false, false);
    Flush();
    if (options_.pins.rst == 2) device_->SetRts(true);
  } catch (const std::exception&) {
    // The chip went away: there is nothing left to let go.
  }
  device_.reset();
}

const ProgrammerLink::Pacing& FtdiSpiLink::Pace() const {
  static const Pacing kNone{};
  return kNone;
}

size_t FtdiSpiLink::StreamDepth() const { return kStreamPages * (2 + 256); }

void FtdiSpiLink::AddState(bool sck, bool mosi) {
  const FtdiPins& pins = options_.pins;
  uint8_t state = 0;
  if (rstHigh_) state |= static_cast<uint8_t>(1u << pins.rst);
  if (sck) state |= static_cast<uint8_t>(1u << pins.sck);
  if (mosi) state |= static_cast<uint8_t>(1u << pins.mosi);
  mosi_ = mosi;
  states_.push_back(state);
}

void FtdiSpiLink::ResetTarget(SessionWaits& waits) {
  Flush();
  answers_.clear();
  rstHigh_ = false;
  AddState(false, false);
  Flush();
  waits.Wait(kResetLowMs);
  rstHigh_ = true;
  AddState(false, false);
  Flush();
  waits.Wait(kResetHighMs);
}

void FtdiSpiLink::Send(uint8_t byte, std::chrono::nanoseconds busy) {
  starts_.push_back(states_.size());
  for (int bit = 7; bit >= 0; --bit) {
    const bool level = (byte >> bit & 1) != 0;
    AddState(false, level);
    AddState(true, level);
  }
  // The next state lets SCK fall, which completes the byte: the next byte's first, an idle
  // one, or one Flush() adds.
  if (busy > kLongestPadding) {
    settleFor_ = busy;
    return;
  }
  const double seconds = std::chrono::duration<double>(busy).count();
  const size_t idle = static_cast<size_t>(std::ceil(seconds * stateRate_ * kRateMargin));
  for (size_t i = 0; i < idle; ++i) AddState(false, mosi_);
}

uint8_t FtdiSpiLink::Receive() {
  if (answers_.empty()) Flush();
  if (answers_.empty()) throw Exception(name_ + ": no answer is owed");
  const uint8_t answer = answers_.front();
  answers_.pop_front();
  return answer;
}

void FtdiSpiLink::Settle() {
  Flush();
  if (settleFor_.count() > 0) {
    constexpr int64_t kNsPerMs = 1000000;
    clock_.SleepMs(static_cast<uint32_t>((settleFor_.count() + kNsPerMs - 1) / kNsPerMs));
    settleFor_ = std::chrono::nanoseconds{0};
  }
}

// A sample holds the pins as they were before its state: MISO of a bit is in the sample of
// the state after the bit's high state.
void FtdiSpiLink::Flush() {
  if (states_.empty() || !device_) return;
  const uint8_t sck = static_cast<uint8_t>(1u << options_.pins.sck);
  if (states_.back() & sck) AddState(false, mosi_);
  std::vector<uint8_t> samples(states_.size());
  Pump(states_, samples);
  const int miso = options_.pins.miso;
  for (size_t start : starts_) {
    uint8_t answer = 0;
    for (size_t bit = 0; bit < 8; ++bit) {
      answer = static_cast<uint8_t>(answer << 1 | (samples[start + 2 * bit + 2] >> miso & 1));
    }
    answers_.push_back(answer);
  }
  states_.clear();
  starts_.clear();
}

// Writes stay within the window, so the chip never stops for a full buffer; reads take whole
// packets and leave enough in flight to keep the pins busy while the host turns around.
void FtdiSpiLink::Pump(const std::vector<uint8_t>& states, std::vector<uint8_t>& samples) {
  const FtdiFamily& family = device_->Family();
  const size_t window = Window(family), packet = family.PacketData();
  const double frame = std::chrono::duration<double>(family.Frame()).count();
  const size_t reserve = std::min(window / 2, static_cast<size_t>(stateRate_ * 1.2 * frame));
  size_t sent = 0, got = 0;
  std::chrono::nanoseconds heardAt = clock_.Now();
  while (got < states.size()) {
    if (sent < states.size() && sent - got < window) {
      const size_t count = std::min(states.size() - sent, window - (sent - got));
      if (device_->Write(states.data() + sent, static_cast<int>(count)) !=
          static_cast<int>(count)) {
        FailUsb("writing");
      }
      sent += count;
    }
    size_t ask = sent - got;
    if (sent < states.size()) {
      ask = ask > reserve ? (ask - reserve) / packet * packet : 0;
      if (ask == 0) ask = std::min(sent - got, packet);
    }
    // A transfer of just the packets asked for ends as the last comes.
    const uint32_t chunk = static_cast<uint32_t>((ask + packet - 1) / packet) * family.packetSize;
    if (chunk != readChunk_) {
      if (!device_->SetReadChunkSize(chunk)) FailUsb("reading");
      readChunk_ = chunk;
    }
    const int read = device_->Read(samples.data() + got, static_cast<int>(ask));
    if (read < 0) FailUsb("reading");
    if (read > 0) {
      heardAt = clock_.Now();
    } else if (clock_.Now() - heardAt > kSilence) {
      throw Exception(name_ +
                      ": the FTDI chip stopped sending its pins back; unplug it and plug it in "
                      "again");
    }
    got += static_cast<size_t>(read);
  }
}

void FtdiSpiLink::FailUsb(const char* what) const {
  throw Exception(name_ + ": the FTDI chip failed while " + what +
                  " (unplugged?): " + device_->LastError());
}

std::string FtdiSpiLink::EchoCause() const { return "MISO gives back every byte MOSI sends"; }

std::string FtdiSpiLink::EchoAdvice() const {
  return "MISO and MOSI are connected, or the wiring is not " + options_.pins.Text() +
         "; check the wires to the target";
}
