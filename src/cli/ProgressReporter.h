#pragma once

#include <ostream>
#include <string>

#include "device/ProcessListener.h"

class ProgressBoard;

// Shows the progress of a whole-memory transfer: a bar redrawn in place on a terminal, one
// "writing: 40%" line per tenth otherwise, nothing when silent; or, for one port of several
// at once, its row of a ProgressBoard. The device calls Notify on the thread that runs the
// operation, the same thread that calls Begin and End, so nothing here is shared between
// threads (the board guards itself). The thread part of ProcessListener is never started.
class ProgressReporter : public ProcessListener {
 public:
  enum class Style { Bar, Lines, Silent };

  ProgressReporter(std::ostream& out, Style style);
  ProgressReporter(ProgressBoard& board, size_t row, Style style);
  ~ProgressReporter() override;

  // Reports from now on under `label` ("writing"); until then notifications are ignored, so
  // the end-of-signature report shows nothing.
  void Begin(const std::string& label);
  // Ends the bar's line, whether or not the transfer got to 100%.
  void End();

  void Notify(int value, int kind) override;

  // "writing [################........................] 40%".
  static std::string BarText(const std::string& label, int percent);

 protected:
  void Execute() override {}

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
