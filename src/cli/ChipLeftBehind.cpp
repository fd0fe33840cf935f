#include "cli/ChipLeftBehind.h"

namespace {

using Operation = ChipRequest::Operation;

// Runs of consecutive pages: "0-6", "9".
std::vector<std::string> Runs(const std::vector<uint8_t>& pages) {
  std::vector<std::string> runs;
  for (size_t i = 0; i < pages.size();) {
    size_t last = i;
    while (last + 1 < pages.size() && pages[last + 1] == pages[last] + 1) ++last;
    runs.push_back(std::to_string(pages[i]) +
                   (last > i ? "-" + std::to_string(pages[last]) : std::string()));
    i = last + 1;
  }
  return runs;
}

}  // namespace

std::string ChipLeftBehind::Pages(const std::vector<uint8_t>& pages) {
  const std::vector<std::string> runs = Runs(pages);
  std::string text = pages.size() == 1 ? "page " : "pages ";
  for (size_t i = 0; i < runs.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == runs.size() ? " and " : ", ") + runs[i];
  }
  return text;
}

std::string ChipLeftBehind::Of(const ChipOutcome& outcome, Operation operation, End end) {
  const bool unsure = !outcome.eraseFinished || end == End::LinkFailed;
  switch (operation) {
    case Operation::Write:
      return AfterWrite(outcome, end);
    case Operation::Erase:
      if (!outcome.erased) return "the chip is unchanged";
      return unsure ? "the chip may be erased, or not yet: erase again"
                    : "the chip is erased, but the blank check did not finish";
    case Operation::WriteLockBits:
      return "the lock bits may be partly programmed: isp89-cli lock shows them";
    default:
      return "";
  }
}

std::string ChipLeftBehind::AfterWrite(const ChipOutcome& outcome, End end) {
  if (!outcome.erased) return "the chip is unchanged";
  // A page written proves that the erase before it reached the chip.
  const bool unsure =
      !outcome.eraseFinished || (end == End::LinkFailed && outcome.writtenPages.empty());
  if (unsure) {
    const std::string page =
        outcome.pageCutShort >= 0
            ? ", and page " + std::to_string(outcome.pageCutShort) + " partly written"
            : "";
    return "the chip may be erased, or not yet" + page + ": write again";
  }
  const bool allWritten = outcome.pagesWritten == outcome.pagesToWrite;
  if (allWritten && outcome.pagesToWrite > 0) {
    return "the chip is erased and written (" + Pages(outcome.writtenPages) +
           "), but not verified: verify it, or write again";
  }
  return "the chip is erased and " + PagesWritten(outcome) + ": write again";
}

std::string ChipLeftBehind::PagesWritten(const ChipOutcome& outcome) {
  const size_t written = outcome.writtenPages.size();
  std::string text =
      written == 0 ? std::string("no page is written")
                   : Pages(outcome.writtenPages) + (written == 1 ? " is written" : " are written");
  if (outcome.pageCutShort >= 0) {
    text += " (page " + std::to_string(outcome.pageCutShort) + " may be partly written)";
  }
  return text;
}
