#pragma once

#include <memory>

#include "platform/Clock.h"
#include "platform/CommPort.h"
#include "sim/SimLine.h"

// A port opened on the simulated line: each byte written goes onto the line, and each read
// takes the next answer that has reached the PC, waiting on the given clock for one on its
// way, up to the read time-out. Opening drops the answers that had already arrived, as a
// driver's flush does; answers still on their way come later.
class SimCommPort : public CommPort {
 public:
  SimCommPort(std::shared_ptr<SimLine> line, Clock& clock);

  bool GetState(LineSettings& settings) override;
  bool SetState(const LineSettings& settings) override;
  bool GetTimeouts(CommTimeouts& timeouts) override;
  bool SetTimeouts(const CommTimeouts& timeouts) override;
  bool SetRts(bool asserted) override;
  bool SetupQueues(uint32_t inputBytes, uint32_t outputBytes) override;
  IoResult WriteByte(uint8_t byte) override;
  IoResult ReadByte(uint8_t* destination) override;
  bool PurgeInput() override;
  bool DrainOutput() override;

 private:
  std::shared_ptr<SimLine> line_;
  Clock& clock_;
  // A driver's state before anyone configured it.
  LineSettings settings_{9600, 8, LineSettings::kNoParity, LineSettings::kOneStopBit, false};
  CommTimeouts timeouts_{};
};
