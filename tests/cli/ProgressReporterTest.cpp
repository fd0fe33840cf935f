#include <gtest/gtest.h>

#include <sstream>

#include "cli/ProgressReporter.h"

namespace {

// What a chip operation reports for a phase of 32 pages: its start, 0, then 3, 6 ... 100.
void Transfer(ProgressReporter& progress, ProcessListener::Phase phase) {
  progress.Notify(phase, ProcessListener::NOTIFY_PHASE);
  progress.Notify(0, ProcessListener::NOTIFY_PROGRESS);
  for (int page = 1; page <= 32; ++page) {
    progress.Notify(page * 100 / 32, ProcessListener::NOTIFY_PROGRESS);
  }
}

}  // namespace

// Lines show each tenth once; silent, nothing.
TEST(ProgressReporter, LinesShowEachTenthOnceAndSilentNothing) {
  const struct {
    ProgressReporter::Style style;
    std::string shown;
  } cases[] = {
      {ProgressReporter::Style::Lines,
       "reading: 0%\nreading: 12%\nreading: 21%\nreading: 31%\nreading: 40%\nreading: 50%\n"
       "reading: 62%\nreading: 71%\nreading: 81%\nreading: 90%\nreading: 100%\n"},
      {ProgressReporter::Style::Silent, ""},
  };
  for (const auto& c : cases) {
    std::ostringstream out;
    ProgressReporter progress(out, c.style);
    progress.Notify(100, ProcessListener::NOTIFY_PROGRESS);  // before any phase: not shown
    Transfer(progress, ProcessListener::PHASE_ERASING);      // no pages: not shown
    Transfer(progress, ProcessListener::PHASE_READING);
    progress.End();
    EXPECT_EQ(c.shown, out.str()) << static_cast<int>(c.style);
  }
}

TEST(ProgressReporter, BarIsRedrawnInPlaceAndItsLineEndedEvenWhenCutShort) {
  std::ostringstream out;
  {
    ProgressReporter progress(out, ProgressReporter::Style::Bar);
    progress.Notify(ProcessListener::PHASE_WRITING, ProcessListener::NOTIFY_PHASE);
    progress.Notify(0, ProcessListener::NOTIFY_PROGRESS);
    progress.Notify(50, ProcessListener::NOTIFY_PROGRESS);
  }
  EXPECT_EQ("\rwriting [" + std::string(40, '.') + "] 0%" + "\rwriting [" + std::string(20, '#') +
                std::string(20, '.') + "] 50%\n",
            out.str());
}
