#include <windows.h>

#include <atomic>

#include "platform/SignalStop.h"

namespace {

// The console calls the handler on a thread of its own, which may raise the stop directly.
std::atomic<StopSignal*> gStop{nullptr};
std::atomic<int> gEvents{0};
// Set once the SignalStop goes: a closing console waits for it.
std::atomic<HANDLE> gDone{nullptr};

// The POSIX signal each event stands for: Ctrl-C SIGINT, Ctrl-Break SIGQUIT (the keyboard's
// other stop), the console closing SIGHUP.
int SignalNumberOf(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
      return 2;
    case CTRL_BREAK_EVENT:
      return 3;
    default:
      return 1;
  }
}

BOOL WINAPI OnConsoleEvent(DWORD event) {
  StopSignal* stop = gStop.load();
  const int count = gEvents.fetch_add(1) + 1;
  // Not ours, or the third: the system's handling ends the program.
  if (!stop || count > 2) return FALSE;
  const int code = 128 + SignalNumberOf(event);
  const bool closing = SignalNumberOf(event) == 1;
  if (count == 1 && !closing) {
    stop->Raise(code);
    return TRUE;
  }
  stop->RaiseAtOnce(code);
  // Windows ends a program whose console closes once this returns (after 5 s at the
  // latest): give the operation the time to stop and the port to close.
  if (closing) WaitForSingleObject(gDone.load(), 4500);
  return TRUE;
}

}  // namespace

struct SignalStop::Watch {
  HANDLE done = nullptr;
};

SignalStop::SignalStop(StopSignal& stop) : watch_(std::make_unique<Watch>()) {
  watch_->done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  gDone = watch_->done;
  gEvents = 0;
  gStop = &stop;
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

// The event stays open: a handler may still be waiting on it as the program ends.
SignalStop::~SignalStop() {
  SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
  gStop = nullptr;
  if (watch_->done) SetEvent(watch_->done);
}
