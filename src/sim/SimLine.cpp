#include "sim/SimLine.h"

#include <algorithm>
#include <utility>

namespace {

constexpr int64_t kBitsPerByte = 10;  // start bit, 8 data bits, stop bit

}  // namespace

SimLine::SimLine(std::shared_ptr<SimChip> chip, Options options)
    : chip_(std::move(chip)),
      options_(options),
      byteTime_(options.baudRate == 0 ? Time{0}
                                      : Time{1000000000LL * kBitsPerByte / options.baudRate}),
      spiTransfer_(options.baudRate == 0 ? Time{0} : options.spiTransfer) {}

void SimLine::Write(uint8_t byte, Time now) {
  std::lock_guard<std::mutex> lock(mutex_);
  Advance(now);
  pcSendsUntil_ = std::max(now, pcSendsUntil_) + byteTime_;
  onWire_.push_back({byte, pcSendsUntil_});
  Advance(now);
}

void SimLine::SetRts(bool asserted, Time now) {
  std::lock_guard<std::mutex> lock(mutex_);
  Advance(now);
  chip_->SetRts(asserted, now);
}

std::optional<uint8_t> SimLine::Take(Time now) {
  std::lock_guard<std::mutex> lock(mutex_);
  Advance(now);
  if (answers_.empty() || answers_.front().at > now) return std::nullopt;
  uint8_t answer = answers_.front().byte;
  answers_.pop_front();
  return answer;
}

void SimLine::DropArrived(Time now) {
  std::lock_guard<std::mutex> lock(mutex_);
  Advance(now);
  while (!answers_.empty() && answers_.front().at <= now) answers_.pop_front();
}

std::optional<SimLine::Time> SimLine::NextEvent(Time now) {
  std::lock_guard<std::mutex> lock(mutex_);
  Advance(now);
  std::optional<Time> next;
  for (std::optional<Time> event : {NextArrival(), NextService()}) {
    if (event && (!next || *event < *next)) next = event;
  }
  if (!answers_.empty() && (!next || answers_.front().at < *next)) next = answers_.front().at;
  return next;
}

SimLine::Time SimLine::OutputDrainedAt() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return pcSendsUntil_;
}

uint64_t SimLine::LostBytes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lost_;
}

void SimLine::Unplug() {
  std::lock_guard<std::mutex> lock(mutex_);
  unplugged_ = true;
}

bool SimLine::Unplugged() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return unplugged_;
}

void SimLine::Noise() {
  std::lock_guard<std::mutex> lock(mutex_);
  noise_ = true;
}

bool SimLine::TakeNoise() {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::exchange(noise_, false);
}

void SimLine::Stall(Time now, Time length) {
  std::lock_guard<std::mutex> lock(mutex_);
  Advance(now);
  stalledUntil_ = now + length;
  for (Timed& answer : answers_) answer.at = std::max(answer.at, stalledUntil_);
}

std::optional<SimLine::Time> SimLine::NextArrival() const {
  if (onWire_.empty()) return std::nullopt;
  return onWire_.front().at;
}

std::optional<SimLine::Time> SimLine::NextService() const {
  if (adapterBuffer_.empty()) return std::nullopt;
  return std::max(adapterBuffer_.front().at, firmwareFreeAt_);
}

// A service and an arrival at the same moment: the firmware empties the buffer first.
void SimLine::Advance(Time now) {
  for (;;) {
    std::optional<Time> arrival = NextArrival(), service = NextService();
    if (service && *service <= now && (!arrival || *service <= *arrival)) {
      Serve();
    } else if (arrival && *arrival <= now) {
      Arrive();
    } else {
      return;
    }
  }
}

void SimLine::Arrive() {
  Timed byte = onWire_.front();
  onWire_.pop_front();
  if (adapterBuffer_.size() >= options_.adapterBuffer) {
    ++lost_;  // the UART overran: the byte is gone, and no answer will come for it
    return;
  }
  adapterBuffer_.push_back(byte);
}

void SimLine::Serve() {
  const Time at = NextService().value();
  const uint8_t byte = adapterBuffer_.front().byte;
  adapterBuffer_.pop_front();
  std::optional<uint8_t> answer =
      options_.echo ? std::optional<uint8_t>(byte) : chip_->Exchange(byte, at);
  const Time transferred = at + spiTransfer_;
  if (!answer) {  // an adapter that went silent sends nothing back
    firmwareFreeAt_ = transferred;
    return;
  }
  firmwareFreeAt_ = std::max(transferred, holdingFreeAt_);
  holdingFreeAt_ = std::max(firmwareFreeAt_, adapterSendsUntil_);
  adapterSendsUntil_ = holdingFreeAt_ + byteTime_;
  answers_.push_back({*answer, Delivered(adapterSendsUntil_)});
}

// A USB-serial adapter passes what it received at the next tick of its latency timer, and
// nothing while the line is stalled.
SimLine::Time SimLine::Delivered(Time answerSent) const {
  const int64_t tick = options_.latency.count();
  const Time passed = tick <= 0 ? answerSent : Time{(answerSent.count() + tick - 1) / tick * tick};
  return std::max(passed, stalledUntil_);
}
