#pragma once

#include <memory>

#include "platform/StopSignal.h"

// The signals a user ends a program with, turned into a stop of the operation in progress,
// so that the program ends its own way: the operation stops at its next page, the port
// closes with its settings restored, and the program says what it left behind.
//   POSIX:   SIGINT (Ctrl-C), SIGTERM (kill, a service manager), SIGHUP (the terminal went
//            away), SIGQUIT (Ctrl-\)
//   Windows: Ctrl-C and Ctrl-Break, and the console closing (as SIGHUP: at once)
// The first raises `stop` with 128 + the signal's number as its code, the exit status a shell
// expects of a program the signal ended (130, 143, 129, 131); the second raises it at once;
// a third ends the program as the system would have, without waiting for anything.
//
// Implemented once per OS (SignalStopPosix.cpp, SignalStopWin32.cpp). A signal handler has
// no context to reach but a global, so one SignalStop at a time per process; `stop` must
// outlive it. Destroying it gives the signals back their former handling.
class SignalStop {
 public:
  explicit SignalStop(StopSignal& stop);
  ~SignalStop();
  SignalStop(const SignalStop&) = delete;
  SignalStop& operator=(const SignalStop&) = delete;

 private:
  struct Watch;
  std::unique_ptr<Watch> watch_;
};
