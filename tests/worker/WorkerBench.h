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
  static constexpr unsigned kProgress = AT89S5xRunnable::WM_PROGRESS;
  static constexpr unsigned kFailed = AT89S5xRunnable::WM_REQUEST_FAILED;
  static constexpr unsigned kDone = AT89S5xRunnable::WM_REQUEST_DONE;
  using Request = AT89S5xRunnable::Request;
  static constexpr size_t kTransferCount = 36;
  static constexpr size_t kSignatureCount = 3;

  WorkerBench() { device.SetTraceFiles(false); }

  // The 36 messages of a whole-memory read or write.
  static std::vector<Message> TransferMessages(Request request = AT89S5xRunnable::REQUEST_READ) {
    std::vector<Message> expected;
    for (int page = 0; page < 32; ++page) {
      expected.push_back({kProgress, static_cast<int>(page * (100.0f / 32)), 0});
    }
    expected.push_back({kProgress, 100, ProcessListener::NOTIFY_FINISHED});
    expected.push_back({kProgress, 100, ProcessListener::NOTIFY_PROGRESS});
    expected.push_back({kProgress, 100, ProcessListener::NOTIFY_IMAGE_READY});
    expected.push_back({kDone, request, 1});
    return expected;
  }
  static std::vector<Message> SignatureMessages() {
    return {{kProgress, 100, ProcessListener::NOTIFY_PROGRESS},
            {kProgress, 0, ProcessListener::NOTIFY_SIGNATURE},
            {kDone, AT89S5xRunnable::REQUEST_SIGNATURE, 1}};
  }
  static std::vector<Message> FailureMessages(Request request) {
    return {{kFailed, request, 0}, {kDone, request, 0}};
  }
  static std::vector<Message> Joined(std::vector<std::vector<Message>> parts) {
    std::vector<Message> all;
    for (auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
  }

  static Buffer Pattern(uint8_t seed) {
    Buffer image(8192);
    for (uint32_t i = 0; i < image.Size(); ++i) image[i] = static_cast<uint8_t>(i * 7 + seed);
    return image;
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
