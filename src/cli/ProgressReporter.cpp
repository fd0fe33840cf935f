#include "cli/ProgressReporter.h"

#include <algorithm>

#include "cli/ProgressBoard.h"

namespace {

constexpr int kBarWidth = 40;

}  // namespace

ProgressReporter::ProgressReporter(std::ostream& out, Style style)
    : ProcessListener(true), out_(&out), style_(style) {}

ProgressReporter::ProgressReporter(ProgressBoard& board, size_t row, Style style)
    : ProcessListener(true), board_(&board), row_(row), style_(style) {}

ProgressReporter::~ProgressReporter() {
  End();
  WaitFor();
}

void ProgressReporter::Begin(const std::string& label) {
  End();
  label_ = label;
  lastShown_ = -1;
}

void ProgressReporter::End() {
  if (lineOpen_) *out_ << '\n' << std::flush;
  lineOpen_ = false;
  label_.clear();
}

void ProgressReporter::Notify(int value, int kind) {
  if (label_.empty() || style_ == Style::Silent) return;
  if (kind == NOTIFY_PROGRESS || kind == NOTIFY_FINISHED) Show(std::clamp(value, 0, 100));
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
