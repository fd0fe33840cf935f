#include "worker/AT89S5xRunnable.h"

#include "platform/Exception.h"

AT89S5xRunnable::AT89S5xRunnable(AT89S5X* device, MessageTarget* form)
    : TThread(true), form(form), device(device) {
  if (device) device->SetListener(this);
}

AT89S5xRunnable::~AT89S5xRunnable() {
  Stop();
  WaitFor();
}

void AT89S5xRunnable::Request(const ChipRequest& request) {
  {
    std::lock_guard<std::mutex> lock(queueMutex);
    pending.push_back(request);
  }
  Resume();
}

void AT89S5xRunnable::Stop() {
  running.store(false);
  Resume();
}

std::optional<AT89S5xRunnable::Result> AT89S5xRunnable::TakeResult() {
  std::lock_guard<std::mutex> lock(queueMutex);
  if (results.empty()) return std::nullopt;
  Result result = std::move(results.front());
  results.pop_front();
  return result;
}

void AT89S5xRunnable::SetDevice(AT89S5X* newDevice) {
  std::lock_guard<std::mutex> lock(deviceMutex);
  device = newDevice;
  if (device) device->SetListener(this);
}

void AT89S5xRunnable::Notify(int value, int kind) { PostMessageA(form, WM_PROGRESS, value, kind); }

std::optional<ChipRequest> AT89S5xRunnable::NextRequest() {
  std::lock_guard<std::mutex> lock(queueMutex);
  if (pending.empty()) return std::nullopt;
  ChipRequest request = std::move(pending.front());
  pending.pop_front();
  return request;
}

void AT89S5xRunnable::Serve(const ChipRequest& request) {
  Result result{request, {}, nullptr};
  try {
    std::lock_guard<std::mutex> lock(deviceMutex);
    if (!device) throw Exception("no device is selected");
    device->Run(request, result.outcome);
  } catch (...) {
    result.failure = std::current_exception();
  }
  const bool succeeded = !result.failure;
  {
    std::lock_guard<std::mutex> lock(queueMutex);
    results.push_back(std::move(result));
  }
  PostMessageA(form, WM_REQUEST_DONE, static_cast<int>(request.operation), succeeded ? 1 : 0);
}

// A Resume() that came while a request was served is latched, so Suspend() returns at once
// and the loop looks at the queue again; a Stop() ends the loop after the request in progress.
void AT89S5xRunnable::Execute() {
  while (running.load()) {
    while (running.load()) {
      std::optional<ChipRequest> request = NextRequest();
      if (!request) break;
      Serve(*request);
    }
    if (running.load()) Suspend();
  }
}
