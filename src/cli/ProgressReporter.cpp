#include "cli/ProgressReporter.h"

#include <algorithm>

#include "cli/ProgressBoard.h"

namespace {

constexpr int kBarWidth = 40;

}  // namespace

ProgressReporter::ProgressReporter(std::ostream& out, Style style) : out_(&out), style_(style) {}

ProgressReporter::ProgressReporter(ProgressBoard& board, size_t row, Style style)
    : board_(&board), row_(row), style_(style) {}

namespace {

// The label a phase is shown under; the erase has no progress of its own and shows none.
std::string LabelOf(int phase) {
  switch (phase) {
    case ProcessListener::PHASE_READING:
      return "reading";
    case ProcessListener::PHASE_WRITING:
      return "writing";
    case ProcessListener::PHASE_VERIFYING:
      return "verifying";
    case ProcessListener::PHASE_BLANK_CHECK:
      return "blank check";
    default:
      return "";
  }
}

}  // namespace

ProgressReporter::~ProgressReporter() { End(); }

void ProgressReporter::End() {
  if (lineOpen_) *out_ << '\n' << std::flush;
  lineOpen_ = false;
  label_.clear();
}

void ProgressReporter::Notify(int value, int kind) {
  if (kind == NOTIFY_PHASE) {
    End();
    label_ = LabelOf(value);
    lastShown_ = -1;
    return;
  }
  if (label_.empty() || style_ == Style::Silent) return;
  Show(std::clamp(value, 0, 100));
}

std::string ProgressReporter::BarText(const std::string& label, int percent) {
  const int filled = percent * kBarWidth / 100;
  return label + " [" + std::string(filled, '#') + std::string(kBarWidth - filled, '.') + "] " +
         std::to_string(percent) + "%";
}

void ProgressReporter::Show(int percent) {
  if (style_ == Style::Lines && lastShown_ >= 0 && percent / 10 <= lastShown_ / 10) return;
  if (style_ == Style::Bar && percent == lastShown_) return;
  lastShown_ = percent;
  if (board_) return board_->Show(row_, label_, percent);
  if (style_ == Style::Lines) {
    *out_ << label_ << ": " << percent << "%\n" << std::flush;
    return;
  }
  *out_ << '\r' << BarText(label_, percent) << std::flush;
  lineOpen_ = true;
}
