#include "sim/SimSpiTarget.h"

#include <cstdio>

namespace {

constexpr int kSckPhasePeriods = 8;   // tSHSL, tSLSH: SCK at most 1/16 of the crystal
constexpr int kMosiSetupPeriods = 1;  // tOVSH
constexpr int kMosiHoldPeriods = 2;   // tSHOX

std::string Ms(std::chrono::nanoseconds at) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6f ms", at.count() / 1e6);
  return text;
}

}  // namespace

SimSpiTarget::SimSpiTarget(std::shared_ptr<SimChip> chip, double crystalHz)
    : chip_(std::move(chip)), crystalHz_(crystalHz) {
  constexpr int kWriteCyclePeriods = 64;
  chip_->SetByteWriteTime(Periods(kWriteCyclePeriods) + std::chrono::microseconds(400));
  // Powered up with RST low: RST going high is then a reset.
  chip_->SetRts(false, Time{0});
}

SimSpiTarget::Time SimSpiTarget::Periods(int count) const {
  return Time(static_cast<int64_t>(count * 1e9 / crystalHz_ + 0.5));
}

void SimSpiTarget::Drive(bool rst, bool sck, bool mosi, Time at) {
  std::lock_guard<std::mutex> lock(mutex_);
  const bool changed = rst != rst_ || sck != sck_ || mosi != mosi_;
  Apply(rst, sck, mosi, at);
  if (recording_ && (changed || recorded_.empty())) {
    recorded_.push_back({at, rst, sck, mosi, !rst_ || ((shiftOut_ >> outBit_) & 1) != 0});
  }
}

// Levels that change with RST are where the interface starts from, not edges.
void SimSpiTarget::Apply(bool rst, bool sck, bool mosi, Time at) {
  const bool resetChanged = rst != rst_;
  if (resetChanged) ResetLevel(rst, at);
  if (!rst || resetChanged) {
    sck_ = sck;
    mosi_ = mosi;
    return;
  }
  if (mosi != mosi_) {
    if (sck_ && at - lastRise_ < Periods(kMosiHoldPeriods)) {
      Fault(at, "MOSI changed too soon after SCK rose");
    }
    mosiChangedAt_ = at;
  }
  const bool previousMosi = mosi_;
  mosi_ = mosi;
  if (sck && !sck_) {
    // MOSI changed together with SCK: the chip saw the level it had before.
    const bool setUp = at - mosiChangedAt_ >= Periods(kMosiSetupPeriods);
    if (!setUp) Fault(at, "MOSI not set up before SCK rose");
    Rise(setUp ? mosi : previousMosi, at);
  } else if (!sck && sck_) {
    Fall(at);
  }
  sck_ = sck;
}

// RST rising is a reset; the first answer is ready at once. RST low ends programming.
void SimSpiTarget::ResetLevel(bool rst, Time at) {
  rst_ = rst;
  chip_->SetRts(rst, at);
  bits_ = 0;
  shiftIn_ = 0;
  if (rst) {
    rstRoseAt_ = at;
    lastFall_ = at;
    shiftOut_ = chip_->NextAnswer(at);
    outBit_ = 7;
  }
}

void SimSpiTarget::Rise(bool mosi, Time at) {
  const Time low = at - lastFall_;
  pulseTooShort_ = low < Periods(kSckPhasePeriods);
  if (pulseTooShort_) {
    Fault(at, "SCK low " + std::to_string(low.count()) + " ns, under 8 clock periods (" +
                  std::to_string(Periods(kSckPhasePeriods).count()) + " ns)");
  }
  sampled_ = mosi;
  lastRise_ = at;
}

// A pulse too short either way is not seen: no bit is taken and MISO stays.
void SimSpiTarget::Fall(Time at) {
  const Time high = at - lastRise_;
  lastFall_ = at;
  if (high < Periods(kSckPhasePeriods)) {
    Fault(at, "SCK high " + std::to_string(high.count()) + " ns, under 8 clock periods (" +
                  std::to_string(Periods(kSckPhasePeriods).count()) + " ns)");
    return;
  }
  if (pulseTooShort_) return;
  shiftIn_ = static_cast<uint8_t>(shiftIn_ << 1 | (sampled_ ? 1 : 0));
  if (++bits_ < 8) {
    outBit_ = 7 - bits_;
    return;
  }
  const uint64_t early = chip_->EarlyPageBytes();
  chip_->Exchange(shiftIn_, at);
  if (chip_->EarlyPageBytes() != early) {
    Fault(at, "a page byte came before the one before it was written (tSWC)");
  }
  shiftOut_ = chip_->NextAnswer(at);
  outBit_ = 7;
  bits_ = 0;
  shiftIn_ = 0;
}

bool SimSpiTarget::Miso() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return !rst_ || ((shiftOut_ >> outBit_) & 1) != 0;
}

void SimSpiTarget::Fault(Time at, const std::string& what) {
  faults_.push_back(Ms(at) + ": " + what);
}

std::vector<std::string> SimSpiTarget::Faults() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return faults_;
}

void SimSpiTarget::Record(bool on) {
  std::lock_guard<std::mutex> lock(mutex_);
  recording_ = on;
  recorded_.clear();
}

std::vector<SimSpiTarget::PinState> SimSpiTarget::Recorded() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return recorded_;
}
