#include "cli/ProgressBoard.h"

#include <algorithm>

#include "platform/ControlEscapes.h"

namespace {

// Moves the cursor up `lines` lines, to the first column.
std::string Up(size_t lines) { return "\x1b[" + std::to_string(lines) + "F"; }
// Clears from the cursor to the end of its line.
const char* const kClearLine = "\x1b[K";

}  // namespace

ProgressBoard::ProgressBoard(std::ostream& out, ProgressReporter::Style style,
                             std::vector<std::string> ports)
    : style_(style), ports_(std::move(ports)), out_(out), rows_(ports_.size(), "waiting") {
  for (const std::string& port : ports_) width_ = std::max(width_, port.size());
}

void ProgressBoard::Show(size_t row, const std::string& label, int percent) {
  if (style_ == ProgressReporter::Style::Silent) return;
  std::lock_guard<std::mutex> lock(mutex_);
  if (style_ == ProgressReporter::Style::Lines) {
    out_ << EscapeControlCharacters(ports_[row]) << ": " << label << ": " << percent << "%\n"
         << std::flush;
    return;
  }
  rows_[row] = ProgressReporter::BarText(label, percent);
  Redraw();
}

void ProgressBoard::Finish(size_t row, const std::string& state) {
  if (style_ != ProgressReporter::Style::Bar) return;
  std::lock_guard<std::mutex> lock(mutex_);
  rows_[row] = state;
  Redraw();
}

void ProgressBoard::Redraw() {
  if (drawn_) out_ << Up(rows_.size());
  for (size_t i = 0; i < rows_.size(); ++i) {
    std::string port = EscapeControlCharacters(ports_[i]);
    port.resize(std::max(port.size(), width_), ' ');
    out_ << port << "  " << rows_[i] << kClearLine << '\n';
  }
  out_ << std::flush;
  drawn_ = true;
}
