#pragma once

// What a chip operation reports to while it runs, on the thread that runs it: which phase has
// begun, and how far the phase has got. Notify() must return at once.
class ProcessListener {
 public:
  enum Kind : int {
    NOTIFY_PROGRESS = 0,  // value: percentage 0 to 100 of the phase in progress
    NOTIFY_PHASE = 1,     // value: the Phase that begins; its progress starts at 0
  };
  enum Phase : int {
    PHASE_ERASING = 0,      // Chip Erase: 2 s with no progress of its own
    PHASE_READING = 1,      // pages read into an image
    PHASE_WRITING = 2,      // pages written
    PHASE_VERIFYING = 3,    // pages read and compared with an image
    PHASE_BLANK_CHECK = 4,  // pages read and checked to be erased
  };

  virtual ~ProcessListener() = default;
  virtual void Notify(int value, int kind) = 0;
};
