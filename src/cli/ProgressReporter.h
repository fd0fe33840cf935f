#pragma once

#include <ostream>
#include <string>

#include "device/ProcessListener.h"

class ProgressBoard;

// Shows the progress of each phase of a chip operation that moves pages ("reading",
// "writing", "verifying", "blank check"): a bar redrawn in place on a terminal, one
// "writing: 40%" line per tenth otherwise, nothing when silent; or, for one port of several
// at once, its row of a ProgressBoard. The operation calls Notify on the thread that runs it,
// the same thread that calls End, so nothing here is shared between threads (the board
// guards itself).
class ProgressReporter : public ProcessListener {
 public:
  enum class Style { Bar, Lines, Silent };

  ProgressReporter(std::ostream& out, Style style);
  ProgressReporter(ProgressBoard& board, size_t row, Style style);
  ~ProgressReporter() override;

  // Ends the bar's line, whether or not the phase got to 100%.
  void End();

  void Notify(int value, int kind) override;

  // "writing [################........................] 40%".
  static std::string BarText(const std::string& label, int percent);

 private:
  void Show(int percent);

  std::ostream* out_ = nullptr;
  ProgressBoard* board_ = nullptr;
  size_t row_ = 0;
  const Style style_;
  std::string label_;
  int lastShown_ = -1;
  bool lineOpen_ = false;
};
