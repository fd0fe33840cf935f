#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "device/AT89S5X.h"
#include "device/ProcessListener.h"
#include "image/Buffer.h"
#include "platform/MessageTarget.h"

// Runs the whole-memory read, the whole-memory write, the signature read and the chip erase of
// a device on a thread of its own, on request from the window's thread, and turns every report
// into a message posted to the window:
//   WM_PROGRESS        WPARAM the value, LPARAM the kind (ProcessListener::Kind)
//   WM_REQUEST_FAILED  WPARAM the request that failed (Request), LPARAM 0; the text waits in
//                      TakeFailure()
//   WM_REQUEST_DONE    WPARAM the request served (Request), LPARAM 1 when it succeeded, 0 when
//                      it failed; the last message of every request, posted once the worker
//                      has let go of the device, so a window that waits for it before its next
//                      request never finds the worker busy
// One pass serves every pending request in the order read, write, signature, erase; then the
// thread sleeps until the next request or Stop(). Requests of one kind that wait together are
// served by one operation. A failed operation does not end the worker: it is reported, its
// request is dropped, and later requests are served as usual.
//
// The window's thread makes the requests; everything the worker stores for it (image,
// signature, failure texts) is stored before the message that announces it is posted.
class AT89S5xRunnable : public ProcessListener {
 public:
  static constexpr unsigned WM_PROGRESS = WM_USER + 1;
  static constexpr unsigned WM_REQUEST_FAILED = WM_USER + 2;
  static constexpr unsigned WM_REQUEST_DONE = WM_USER + 3;
  enum Request : int {
    REQUEST_READ = 0,
    REQUEST_WRITE = 1,
    REQUEST_SIGNATURE = 2,
    REQUEST_ERASE = 3
  };

  // Made suspended: the thread starts with the first request or Stop().
  AT89S5xRunnable(AT89S5X* device, MessageTarget* form);
  // Stops the worker and returns once its thread has ended; an operation in progress runs to
  // its end first.
  ~AT89S5xRunnable() override;

  void RequestRead();
  // The worker writes its own copy of `image`, taken now: the caller's image may change or go.
  void RequestWrite(const Buffer& image);
  void RequestSignature();
  // Chip Erase alone; its success is one (100, NOTIFY_PROGRESS).
  void RequestErase();
  void Stop();
  // False as soon as Stop() has been called, even while an operation still runs.
  bool IsRunning() const { return running.load(); }

  // The image of the last write request or, after a completed read, a copy of what was read;
  // null before either. The copy outlives the device it was read from.
  std::shared_ptr<const Buffer> GetImage() const;
  // The word of the last signature read: bits 0-7 at 000H, 8-15 at 100H, 16-23 at 200H.
  int32_t GetSignature() const { return signature.load(); }
  // The oldest failure not yet taken, or an empty text.
  std::string TakeFailure();

  // Waits until no operation runs, then makes later operations run on `newDevice` and makes
  // the worker its listener.
  void SetDevice(AT89S5X* newDevice);

  // On the worker's thread: posts WM_PROGRESS and ignores whether the post succeeded.
  void Notify(int value, int kind) override;

 protected:
  void Execute() override;

 private:
  // Runs `operation` for one pending request kind, then `succeeded` or the failure report,
  // then WM_REQUEST_DONE.
  template <typename Operation, typename Succeeded>
  void Serve(std::atomic<uint32_t>& requested, Request request, Operation operation,
             Succeeded succeeded);
  void ReportFailure(Request request, const std::string& text);

  // Requests not yet served, counted, so that a request made while an operation of its kind
  // runs is served by the next pass instead of being cleared with the one in progress.
  // Set by the window's thread, taken back by the worker's.
  std::atomic<uint32_t> readRequested{0};
  std::atomic<uint32_t> writeRequested{0};
  std::atomic<uint32_t> signatureRequested{0};
  std::atomic<uint32_t> eraseRequested{0};
  // Cleared only by Stop(); Execute() serves passes while it is true.
  std::atomic<bool> running{true};
  MessageTarget* const form;
  std::atomic<int32_t> signature{0};

  // Held by the worker for the whole of each operation, and by SetDevice(): guards `device`,
  // so that a device is never replaced or destroyed under a running operation.
  std::mutex deviceMutex;
  AT89S5X* device;

  // Guards `image` and `failures`, shared between the two threads.
  mutable std::mutex resultMutex;
  std::shared_ptr<const Buffer> image;
  std::deque<std::string> failures;
};
