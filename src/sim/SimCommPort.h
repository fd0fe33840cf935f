#pragma once

#include <deque>
#include <memory>

#include "platform/Clock.h"
#include "platform/CommPort.h"
#include "sim/SimChip.h"

// The simulated adapter as a serial port: each byte written goes to the chip at once and its
// answer waits in the receive queue until read, as with a real driver. A read on an empty
// queue lasts the read time-out on the given clock. A new port starts with empty queues.
class SimCommPort : public CommPort {
 public:
  SimCommPort(std::shared_ptr<SimChip> chip, Clock& clock);

  bool GetState(LineSettings& settings) override;
  bool SetState(const LineSettings& settings) override;
  bool GetTimeouts(CommTimeouts& timeouts) override;
  bool SetTimeouts(const CommTimeouts& timeouts) override;
  bool SetRts(bool asserted) override;
  bool SetupQueues(uint32_t inputBytes, uint32_t outputBytes) override;
  uint32_t WriteByte(uint8_t byte) override;
  uint32_t ReadByte(uint8_t* destination) override;

 private:
  std::shared_ptr<SimChip> chip_;
  Clock& clock_;
  // A driver's state before anyone configured it.
  LineSettings settings_{9600, 8, LineSettings::kNoParity, LineSettings::kOneStopBit, false};
  CommTimeouts timeouts_{};
  std::deque<uint8_t> received_;
};
