#include <gtest/gtest.h>

#include <sstream>

#include "cli/ProgressReporter.h"

namespace {

// What the device reports during a whole-memory transfer: 0, 3, ... 96 after each page, then
// completion.
void Transfer(ProgressReporter& progress) {
  for (int page = 0; page < 32; ++page) {
    progress.Notify(static_cast<int>(page * (100.0f / 32)), ProcessListener::NOTIFY_PROGRESS);
  }
  progress.Notify(100, ProcessListener::NOTIFY_FINISHED);
}

}  // namespace

TEST(ProgressReporter, LinesShowEachTenthOnce) {
  std::ostringstream out;
  ProgressReporter progress(out, ProgressReporter::Style::Lines);
  progress.Notify(100, ProcessListener::NOTIFY_PROGRESS);  // a signature read: not shown
  progress.Begin("reading");
  Transfer(progress);
  progress.End();
  EXPECT_EQ(
      "reading: 0%\nreading: 12%\nreading: 21%\nreading: 31%\nreading: 40%\nreading: 50%\n"
      "reading: 62%\nreading: 71%\nreading: 81%\nreading: 90%\nreading: 100%\n",
      out.str());
}

TEST(ProgressReporter, BarIsRedrawnInPlaceAndItsLineEndedEvenWhenCutShort) {
  std::ostringstream out;
  {
    ProgressReporter progress(out, ProgressReporter::Style::Bar);
    progress.Begin("writing");
    progress.Notify(0, ProcessListener::NOTIFY_PROGRESS);
    progress.Notify(50, ProcessListener::NOTIFY_PROGRESS);
  }
  EXPECT_EQ("\rwriting [" + std::string(40, '.') + "] 0%" + "\rwriting [" + std::string(20, '#') +
                std::string(20, '.') + "] 50%\n",
            out.str());
}

TEST(ProgressReporter, SilentShowsNothing) {
  std::ostringstream out;
  ProgressReporter progress(out, ProgressReporter::Style::Silent);
  progress.Begin("writing");
  Transfer(progress);
  progress.End();
  EXPECT_EQ("", out.str());
}
