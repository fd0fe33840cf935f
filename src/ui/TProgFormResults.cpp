// What the window makes of a finished chip operation: the status line, the boxes that show
// what was found, and the window's own words for each failure.
#include <exception>

#include "device/ChipCatalog.h"
#include "serial/PortOpenError.h"
#include "ui/PortFailureText.h"
#include "ui/TProgForm.h"

namespace {

std::string Pages(int count) { return std::to_string(count) + (count == 1 ? " page" : " pages"); }

// The device menu's number of a chip: its place in the catalog, from 1.
int DeviceType(const ChipCatalog::Chip& chip) {
  return static_cast<int>(&chip - ChipCatalog::Chips().data()) + 1;
}

}  // namespace

// Said before any question is asked, so that its time is the operation's.
std::string TProgForm::Succeeded(const Result& result) {
  const ChipOutcome& outcome = result.outcome;
  const std::string summary = Summary(result);
  CGauge1->SetProgress(100);
  switch (result.request.operation) {
    case Operation::Signature:
      ShowSignature(outcome.signature);
      if (outcome.found && outcome.found != &device->Chip() &&
          dialogs.Ask("The chip answers the signature " +
                      ChipCatalog::SignatureText(outcome.signature) + ": it is an " +
                      outcome.found->name + ", not the " + ChipName() +
                      " chosen in the device menu.\n\nSwitch the device to the " +
                      outcome.found->name + "?")) {
        SelectDevice(DeviceType(*outcome.found));
      }
      break;
    case Operation::Read:
      transferred = outcome.image;
      itemSave->setEnabled(true);
      break;
    case Operation::Write:
      transferred = result.request.image;
      itemSave->setEnabled(true);
      break;
    default:
      break;
  }
  return summary;
}

std::string TProgForm::Summary(const Result& result) const {
  const ChipOutcome& outcome = result.outcome;
  const std::string chip = outcome.chip ? outcome.chip->name : ChipName();
  const std::string in = " in " + Elapsed();
  const std::string first =
      outcome.erasedFirst ? "The chip hid its signature behind lock bit 2 and was erased first. "
                          : "";
  switch (result.request.operation) {
    case Operation::Write:
      if (outcome.pagesWritten == 0) {
        return first + running->imageName + " is blank (all FF): the " + chip +
               " was erased and no page written" + in;
      }
      return first + "Wrote " + running->imageName + " to the " + chip + ": " +
             Pages(outcome.pagesWritten) + " written, " +
             (outcome.pagesVerified < 0 ? "not verified"
                                        : Pages(outcome.pagesVerified) + " verified") +
             in;
    case Operation::Read:
      return "Read " + std::to_string(outcome.image->Size()) + " bytes from the " + chip + in;
    case Operation::Signature:
      return "Read the signature " + ChipCatalog::SignatureText(outcome.signature) + " (" +
             (outcome.found ? outcome.found->name : "no known chip") + ")" + in;
    case Operation::Verify:
      return "Verified " + std::to_string(outcome.chip->flashSize) + " bytes: the " + chip +
             " holds " + running->imageName + in;
    case Operation::Erase:
      return first + "Erased the " + chip + in;
    case Operation::BlankCheck:
      return "Blank check passed: " + std::to_string(outcome.chip->flashSize) + " bytes erased" +
             in;
    case Operation::ReadLockBits:
      return "Read the lock bits: " + ChipFailure::LockBitsText(*outcome.lockBits) + in;
    case Operation::WriteLockBits: {
      std::string bits;
      for (unsigned bit = 0; bit < 3; ++bit) {
        if (!(result.request.lockMode & (1u << bit))) continue;
        bits += (bits.empty() ? " LB" : " and LB") + std::to_string(bit + 1);
      }
      return (bits.empty() ? "Programmed no lock bit" : "Programmed" + bits) + "; the chip reads " +
             ChipFailure::LockBitsText(*outcome.lockBits) + in;
    }
  }
  return Sentence(result.request.operation) + " is done" + in;
}

// The failure in the window's words, in a box; the status line says what was left behind.
std::string TProgForm::Failed(const Result& result) {
  const Operation operation = result.request.operation;
  std::string words;
  std::string separator = ":\n";  // a sentence of its own below the heading
  std::string detail;             // what the status line adds
  try {
    std::rethrow_exception(result.failure);
  } catch (const ChipFailure& failure) {
    const ChipFailure::Facts& facts = failure.Of();
    switch (failure.What()) {
      case ChipFailure::Kind::OtherChip:
        if (SwitchedDevice(failure, result)) return "";
        return Sentence(operation) + " was not started: the chip is an " + facts.found->name +
               ", not the " + ChipName();
      case ChipFailure::Kind::Stopped:
        break;
      case ChipFailure::Kind::HiddenSignature:
        if (ErasedLockedChip(failure, result)) return "";
        if (operation == Operation::Write || operation == Operation::Erase) {
          return Sentence(operation) + " was not started: the chip may hide its signature " +
                 "behind lock bit 2";
        }
        words = "The chip answers the signature " + ChipCatalog::SignatureText(facts.signature) +
                " with lock bit 2 programmed: a chip locked in mode 3 or 4 may hide its "
                "signature. Only an erase (chip / Erase) clears the lock, together with the "
                "flash.";
        break;
      case ChipFailure::Kind::ReadProtected:
        words = "The " + ChipName() +
                "'s read-out protection is on (lock bit 2 programmed): it reads back as FF, " +
                (operation == Operation::Read
                     ? "so a read is no copy of its flash, and nothing was kept"
                     : ChipFailure::ReadProtectionCost(operation)) +
                ". Only an erase (chip / Erase) clears it, together with the flash.";
        break;
      case ChipFailure::Kind::Mismatch: {
        const bool blank = operation == Operation::BlankCheck;
        words = ImageCheck::DescribeDifference(facts.difference, facts.compared,
                                               blank ? "erased" : running->imageName);
        separator = ": ";
        detail = ": " + std::to_string(facts.difference.count) + " bytes differ";
        break;
      }
      case ChipFailure::Kind::ImageFolds:
        words = "The image cannot be written to the " + ChipName() + ": " + running->imageName +
                " " +
                ImageCheck::DescribeFold(facts.foldingAddress, facts.chip->flashSize,
                                         facts.chip->name) +
                ".";
        break;
      default:
        words = failure.what();
        break;
    }
  } catch (const PortOpenError& failure) {
    words = PortFailureText(failure.Failure());
  } catch (const std::exception& failure) {
    words = WithPort(failure.what());
  }
  const ChipOutcome& outcome = result.outcome;
  const bool verifying = operation == Operation::Write && outcome.pagesToWrite >= 0 &&
                         outcome.pagesWritten == outcome.pagesToWrite;
  const std::string what = verifying ? "The verify after the write" : Sentence(operation);
  if (!stopRequested) dialogs.ShowMessage(what + " failed" + separator + words);
  std::string summary =
      what + (stopRequested ? " stopped after " : " failed after ") + Elapsed() + detail;
  if (outcome.erased && outcome.pagesWritten >= 0 && !verifying) {
    summary += ": the chip is erased and " + std::to_string(outcome.pagesWritten) + " of " +
               Pages(outcome.pagesToWrite) + " written";
  } else if (outcome.erased && operation != Operation::Erase && !verifying) {
    summary += ": the chip is erased";
  }
  return summary;
}

bool TProgForm::SwitchedDevice(const ChipFailure& failure, const Result& result) {
  const ChipCatalog::Chip& found = *failure.Of().found;
  const std::string question =
      "The chip answers the signature " + ChipCatalog::SignatureText(failure.Of().signature) +
      ": it is an " + found.name + ", not the " + ChipName() +
      " chosen in the device menu. Nothing was done to it.\n\nSwitch the device to the " +
      found.name + " and go on with " + Label(result.request.operation) + "?";
  if (stopRequested || !dialogs.Ask(question)) return false;
  SelectDevice(DeviceType(found));
  Start(result.request);
  return true;
}

// A chip that may hide its signature behind its lock is erased only when the user agrees.
bool TProgForm::ErasedLockedChip(const ChipFailure& failure, const Result& result) {
  const Operation operation = result.request.operation;
  if (stopRequested || (operation != Operation::Write && operation != Operation::Erase)) {
    return false;
  }
  const std::string question = "The chip answers the signature " +
                               ChipCatalog::SignatureText(failure.Of().signature) +
                               " with lock bit 2 programmed: a chip locked in mode 3 or 4 may "
                               "hide its signature, and only a chip erase clears the lock. "
                               "Nothing was done to it.\n\nErase the chip (its flash and lock "
                               "bits) and go on with " +
                               Label(operation) + "?";
  if (!dialogs.Ask(question)) return false;
  ChipRequest request = result.request;
  request.eraseLocked = true;
  Start(request);
  return true;
}

// The boxes show the lock bits the chip was last seen with; when an operation that reads or
// changes them did not get to read them, what they are is unknown.
void TProgForm::ShowLockBits(const Result& result) {
  const std::optional<int8_t>& bits = result.outcome.lockBits;
  const Operation operation = result.request.operation;
  const bool touched = operation == Operation::ReadLockBits ||
                       operation == Operation::WriteLockBits ||
                       (result.failure && result.outcome.erased);
  if (!bits && !touched) return;
  int bit = 1;
  for (QCheckBox* box : {CheckBox1, CheckBox2, CheckBox3}) {
    box->setTristate(!bits);
    box->setCheckState(!bits ? Qt::PartiallyChecked : (*bits & bit) ? Qt::Checked : Qt::Unchecked);
    bit <<= 1;
  }
}
