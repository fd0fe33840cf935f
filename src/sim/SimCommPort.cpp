#include "sim/SimCommPort.h"

#include <utility>

SimCommPort::SimCommPort(std::shared_ptr<SimChip> chip, Clock& clock)
    : chip_(std::move(chip)), clock_(clock) {}

bool SimCommPort::GetState(LineSettings& settings) {
  settings = settings_;
  return true;
}

bool SimCommPort::SetState(const LineSettings& settings) {
  settings_ = settings;
  return true;
}

bool SimCommPort::GetTimeouts(CommTimeouts& timeouts) {
  timeouts = timeouts_;
  return true;
}

bool SimCommPort::SetTimeouts(const CommTimeouts& timeouts) {
  timeouts_ = timeouts;
  return true;
}

bool SimCommPort::SetRts(bool asserted) {
  chip_->SetRts(asserted);
  return true;
}

bool SimCommPort::SetupQueues(uint32_t, uint32_t) { return true; }

uint32_t SimCommPort::WriteByte(uint8_t byte) {
  if (auto answer = chip_->Exchange(byte)) received_.push_back(*answer);
  return 1;
}

uint32_t SimCommPort::ReadByte(uint8_t* destination) {
  if (received_.empty()) {
    clock_.SleepMs(timeouts_.readTotalTimeoutMultiplier + timeouts_.readTotalTimeoutConstant);
    return 0;
  }
  *destination = received_.front();
  received_.pop_front();
  return 1;
}
