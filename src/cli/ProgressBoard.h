#pragma once

#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "cli/ProgressReporter.h"

// The progress of a command running on several ports at once, one line per port. On a
// terminal (Bar) the lines stay in place and each is redrawn as its port gets on; otherwise
// (Lines) each report is a line of its own that starts with the port, "sim2: writing: 40%".
// The ports' threads report at once: one mutex orders the output.
class ProgressBoard {
 public:
  ProgressBoard(std::ostream& out, ProgressReporter::Style style, std::vector<std::string> ports);

  void Show(size_t row, const std::string& label, int percent);
  // The port's last word on the board: "done", "failed".
  void Finish(size_t row, const std::string& state);

 private:
  void Redraw();

  const ProgressReporter::Style style_;
  const std::vector<std::string> ports_;
  size_t width_ = 0;  // of the widest port name
  std::mutex mutex_;  // guards out_, rows_ and drawn_
  std::ostream& out_;
  std::vector<std::string> rows_;
  bool drawn_ = false;
};
