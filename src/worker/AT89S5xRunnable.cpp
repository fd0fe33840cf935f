#include "worker/AT89S5xRunnable.h"

#include <exception>

#include "platform/Exception.h"

namespace {

const char* RequestName(AT89S5xRunnable::Request request) {
  switch (request) {
    case AT89S5xRunnable::REQUEST_READ:
      return "Reading the code memory";
    case AT89S5xRunnable::REQUEST_WRITE:
      return "Writing the code memory";
    case AT89S5xRunnable::REQUEST_ERASE:
      return "Erasing the chip";
    default:
      return "Reading the signature";
  }
}

}  // namespace

AT89S5xRunnable::AT89S5xRunnable(AT89S5X* device, MessageTarget* form)
    : ProcessListener(true), form(form), device(device) {
  if (device) device->SetListener(this);
}

AT89S5xRunnable::~AT89S5xRunnable() {
  Stop();
  WaitFor();
}

void AT89S5xRunnable::RequestRead() {
  readRequested.fetch_add(1);
  Resume();
}

void AT89S5xRunnable::RequestWrite(const Buffer& newImage) {
  auto copy = std::make_shared<const Buffer>(newImage);
  {
    std::lock_guard<std::mutex> lock(resultMutex);
    image = std::move(copy);
  }
  writeRequested.fetch_add(1);
  Resume();
}

void AT89S5xRunnable::RequestSignature() {
  signatureRequested.fetch_add(1);
  Resume();
}

void AT89S5xRunnable::RequestErase() {
  eraseRequested.fetch_add(1);
  Resume();
}

void AT89S5xRunnable::Stop() {
  running.store(false);
  Resume();
}

std::shared_ptr<const Buffer> AT89S5xRunnable::GetImage() const {
  std::lock_guard<std::mutex> lock(resultMutex);
  return image;
}

std::string AT89S5xRunnable::TakeFailure() {
  std::lock_guard<std::mutex> lock(resultMutex);
  if (failures.empty()) return {};
  std::string text = std::move(failures.front());
  failures.pop_front();
  return text;
}

void AT89S5xRunnable::SetDevice(AT89S5X* newDevice) {
  std::lock_guard<std::mutex> lock(deviceMutex);
  device = newDevice;
  if (device) device->SetListener(this);
}

void AT89S5xRunnable::Notify(int value, int kind) { PostMessageA(form, WM_PROGRESS, value, kind); }

void AT89S5xRunnable::ReportFailure(Request request, const std::string& text) {
  {
    std::lock_guard<std::mutex> lock(resultMutex);
    failures.push_back(std::string(RequestName(request)) + " failed:\n" + text);
  }
  PostMessageA(form, WM_REQUEST_FAILED, request, 0);
}

// The requests counted before the operation are taken back after it, whatever its outcome;
// those that came meanwhile stay for the next pass.
template <typename Operation, typename Succeeded>
void AT89S5xRunnable::Serve(std::atomic<uint32_t>& requested, Request request, Operation operation,
                            Succeeded succeeded) {
  const uint32_t taken = requested.load();
  if (taken == 0) return;
  std::string failure;
  try {
    std::lock_guard<std::mutex> lock(deviceMutex);
    if (!device) throw Exception("no device is selected");
    operation(*device);
  } catch (const std::exception& error) {
    failure = error.what();
    if (failure.empty()) failure = "unknown error";
  } catch (...) {
    failure = "unknown error";
  }
  requested.fetch_sub(taken);
  if (failure.empty()) {
    succeeded();
  } else {
    ReportFailure(request, failure);
  }
  PostMessageA(form, WM_REQUEST_DONE, request, failure.empty() ? 1 : 0);
}

void AT89S5xRunnable::Execute() {
  const auto transferred = [this] {
    Notify(100, NOTIFY_PROGRESS);
    Notify(100, NOTIFY_IMAGE_READY);
  };
  while (running.load()) {
    Serve(
        readRequested, REQUEST_READ,
        [this](AT89S5X& chip) {
          chip.ReadMemory();
          auto copy = std::make_shared<const Buffer>(*chip.GetReadImage());
          std::lock_guard<std::mutex> lock(resultMutex);
          image = std::move(copy);
        },
        transferred);
    Serve(
        writeRequested, REQUEST_WRITE,
        [this](AT89S5X& chip) {
          std::shared_ptr<const Buffer> source = GetImage();
          if (!source) throw Exception("there is no image to write");
          chip.WriteMemory(*source);
        },
        transferred);
    Serve(
        signatureRequested, REQUEST_SIGNATURE,
        [this](AT89S5X& chip) { signature.store(chip.ReadSignature()); },
        [this] { Notify(0, NOTIFY_SIGNATURE); });
    Serve(
        eraseRequested, REQUEST_ERASE, [](AT89S5X& chip) { chip.Erase(); },
        [this] { Notify(100, NOTIFY_PROGRESS); });
    // A Resume() that came during the pass is latched, so this returns at once and the next
    // pass serves what arrived; a Stop() that came during it ends the loop.
    if (running.load()) Suspend();
  }
}
