#pragma once

#include <atomic>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>

#include "device/AT89S5X.h"
#include "device/ChipOutcome.h"
#include "device/ChipRequest.h"
#include "device/ProcessListener.h"
#include "platform/MessageTarget.h"
#include "platform/TThread.h"

// Runs the window's chip operations on a thread of its own, so that the window never waits
// for the port, and turns every report into a message posted to the window:
//   WM_PROGRESS      WPARAM the value, LPARAM the kind (ProcessListener::Kind)
//   WM_REQUEST_DONE  WPARAM the operation (ChipRequest::Operation), LPARAM 1 when it
//                    succeeded, 0 when it failed; the result waits in TakeResult(). Posted
//                    once the worker has let go of the device, so a window that waits for it
//                    before its next request never finds the worker busy.
// Requests are served one at a time, in the order made; then the thread sleeps until the next
// request or Stop(). A failed operation does not end the worker: it is reported like any
// result, and later requests are served as usual.
//
// The window's thread makes the requests; each result is stored before the message that
// announces it is posted.
class AT89S5xRunnable : public ProcessListener, private TThread {
 public:
  static constexpr unsigned WM_PROGRESS = WM_USER + 1;
  static constexpr unsigned WM_REQUEST_DONE = WM_USER + 2;

  // What became of one request: what the operation found and did, and its failure if any.
  struct Result {
    ChipRequest request;
    ChipOutcome outcome;
    std::exception_ptr failure;
  };

  // Made suspended: the thread starts with the first request or Stop().
  AT89S5xRunnable(AT89S5X* device, MessageTarget* form);
  // Stops the worker and returns once its thread has ended; an operation in progress runs to
  // its end first (the device's RequestStop() shortens it).
  ~AT89S5xRunnable() override;

  void Request(const ChipRequest& request);
  void Stop();
  // False as soon as Stop() has been called, even while an operation still runs.
  bool IsRunning() const { return running.load(); }
  // The oldest result not yet taken.
  std::optional<Result> TakeResult();

  // Waits until no operation runs, then makes later operations run on `newDevice` and makes
  // the worker its listener.
  void SetDevice(AT89S5X* newDevice);

  // On the worker's thread: posts WM_PROGRESS and ignores whether the post succeeded.
  void Notify(int value, int kind) override;

 private:
  void Execute() override;
  std::optional<ChipRequest> NextRequest();
  void Serve(const ChipRequest& request);

  // Cleared only by Stop(); Execute() serves requests while it is true.
  std::atomic<bool> running{true};
  MessageTarget* const form;

  // Held by the worker for the whole of each operation, and by SetDevice(): guards `device`,
  // so that a device is never replaced or destroyed under a running operation.
  std::mutex deviceMutex;
  AT89S5X* device;

  // Guards `pending` and `results`, shared between the two threads.
  std::mutex queueMutex;
  std::deque<ChipRequest> pending;
  std::deque<Result> results;
};
