#include "cli/ProgressReporter.h"

#include <algorithm>

namespace {

constexpr int kBarWidth = 40;

}  // namespace

ProgressReporter::ProgressReporter(std::ostream& out, Style style)
    : ProcessListener(true), out_(out), style_(style) {}

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
  if (lineOpen_) out_ << '\n' << std::flush;
  lineOpen_ = false;
  label_.clear();
}

void ProgressReporter::Notify(int value, int kind) {
  if (label_.empty() || style_ == Style::Silent) return;
  if (kind == NOTIFY_PROGRESS || kind == NOTIFY_FINISHED) Show(std::clamp(value, 0, 100));
}

void ProgressReporter::Show(int percent) {
  if (style_ == Style::Lines) {
    if (lastShown_ >= 0 && percent / 10 <= lastShown_ / 10) return;
    out_ << label_ << ": " << percent << "%\n" << std::flush;
  } else {
    if (percent == lastShown_) return;
    int filled = percent * kBarWidth / 100;
    out_ << '\r' << label_ << " [" << std::string(filled, '#')
         << std::string(kBarWidth - filled, '.') << "] " << percent << "%" << std::flush;
    lineOpen_ = true;
  }
  lastShown_ = percent;
}
