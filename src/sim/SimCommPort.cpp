#include "sim/SimCommPort.h"

#include <utility>

SimCommPort::SimCommPort(std::shared_ptr<SimLine> line, Clock& clock)
    : line_(std::move(line)), clock_(clock) {
  line_->DropArrived(clock_.Now());
}

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
  line_->SetRts(asserted, clock_.Now());
  return true;
}

bool SimCommPort::SetupQueues(uint32_t, uint32_t) { return true; }

namespace {

// What a driver says when its USB device has gone.
IoResult Gone() { return IoResult::Failed("Input/output error"); }

}  // namespace

IoResult SimCommPort::WriteByte(uint8_t byte) {
  if (line_->Unplugged()) return Gone();
  line_->Write(byte, clock_.Now());
  return IoResult::Moved();
}

// Steps from one event on the line to the next until an answer arrives or the time-out ends.
IoResult SimCommPort::ReadByte(uint8_t* destination) {
  const uint32_t timeoutMs =
      timeouts_.readTotalTimeoutMultiplier + timeouts_.readTotalTimeoutConstant;
  const auto deadline = clock_.Now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (line_->Unplugged()) return Gone();
    if (std::optional<uint8_t> answer = line_->Take(clock_.Now())) {
      if (line_->TakeNoise()) return IoResult::LineError("framing error");
      *destination = *answer;
      return IoResult::Moved();
    }
    std::optional<SimLine::Time> next = line_->NextEvent(clock_.Now());
    if (!next || *next > deadline) break;
    clock_.SleepUntil(*next);
  }
  clock_.SleepUntil(deadline);
  return IoResult::TimedOut();
}

bool SimCommPort::PurgeInput() {
  line_->DropArrived(clock_.Now());
  return true;
}

bool SimCommPort::DrainOutput() {
  clock_.SleepUntil(line_->OutputDrainedAt());
  return true;
}
