#pragma once

#include <cstdlib>
#include <memory>
#include <vector>

#include "device/AT89S51.h"
#include "image/Buffer.h"
#include "platform/VirtualClock.h"
#include "serial/TSerial.h"
#include "sim/SimChip.h"
#include "sim/SimPortResolver.h"
#include "worker/AT89S5xRunnable.h"
#include "worker/MessageLog.h"

// A simulated AT89S51 behind COM1 on virtual time, a device on it and a message log; the
// worker is made by each test, so it can be made and destroyed at chosen moments.
struct WorkerBench {
  using Message = MessageLog::Message;
  using Operation = ChipRequest::Operation;
  static constexpr unsigned kProgress = AT89S5xRunnable::WM_PROGRESS;
  static constexpr unsigned kDone = AT89S5xRunnable::WM_REQUEST_DONE;
  // A whole read of the AT89S51's 16 pages: its phase, 0, 16 steps, and the result.
  static constexpr size_t kReadCount = 1 + 1 + 16 + 1;

  WorkerBench() { device.SetTraceFiles(false); }

  static std::vector<Message> ReadMessages() {
    std::vector<Message> expected = {
        {kProgress, ProcessListener::PHASE_READING, ProcessListener::NOTIFY_PHASE},
        {kProgress, 0, ProcessListener::NOTIFY_PROGRESS}};
    for (int page = 1; page <= 16; ++page) {
      expected.push_back({kProgress, page * 100 / 16, ProcessListener::NOTIFY_PROGRESS});
    }
    expected.push_back(Done(Operation::Read));
    return expected;
  }
  static Message Done(Operation operation, bool succeeded = true) {
    return {kDone, static_cast<int>(operation), succeeded ? 1 : 0};
  }
  static std::vector<Message> Joined(std::vector<std::vector<Message>> parts) {
    std::vector<Message> all;
    for (auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
  }

  // 4 KB of data, mirrored in the upper half as the AT89S51 reads it back.
  static std::vector<uint8_t> Pattern(uint8_t seed) {
    std::vector<uint8_t> bytes(8192);
    for (uint32_t i = 0; i < bytes.size(); ++i)
      bytes[i] = static_cast<uint8_t>((i % 4096) * 7 + seed);
    return bytes;
  }
  static std::vector<uint8_t> Bytes(const Buffer& image) {
    return {image.Data(), image.Data() + image.Size()};
  }

  static int SetPortEnvironment() { return setenv("ISP89_COM1", "sim:AT89S51", 1); }

  int environment = SetPortEnvironment();
  VirtualClock clock;
  SimPortResolver resolver{clock};
  std::shared_ptr<SimChip> chip = resolver.SimChipFor("sim:AT89S51");
  TSerial serial{1, resolver};
  AT89S51 device{&serial, clock};
  MessageLog log;
};
