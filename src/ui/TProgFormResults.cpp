// What the window makes of a finished chip operation: the status line, the boxes that show
// what was found, and the window's own words for each failure.
#include <exception>

#include "device/ChipCatalog.h"
#include "platform/HexText.h"
#include "serial/PortOpenError.h"
#include "ui/PortFailureText.h"
#include "ui/TProgForm.h"

namespace {

// The device menu's number of a chip: its place in the catalog, from 1.
int DeviceType(const ChipCatalog::Chip& chip) {
  return static_cast<int>(&chip - ChipCatalog::Chips().data()) + 1;
}

QString Signature(int32_t word) { return QString::fromStdString(ChipCatalog::SignatureText(word)); }

QString HexByte(unsigned value) { return QString::fromStdString(Hex(value, 2)); }

}  // namespace

// Said before any question is asked, so that its time is the operation's.
QString TProgForm::Succeeded(const Result& result) {
  const ChipOutcome& outcome = result.outcome;
  const QString summary = Summary(result);
  CGauge1->SetProgress(100);
  switch (result.request.operation) {
    case Operation::Signature:
      ShowSignature(outcome.signature);
      if (outcome.found && outcome.found != &device->Chip() &&
          dialogs.Ask(
              Std(tr("The chip answers the signature %1: it is an %2, not the %3 chosen "
                     "in the device menu.\n\nSwitch the device to the %2?")
                      .arg(Signature(outcome.signature), Q(outcome.found->name), Q(ChipName()))))) {
        SelectDevice(DeviceType(*outcome.found));
        settings.SetDevice(DeviceType(*outcome.found));
      }
      break;
    case Operation::Read:
      transferred = outcome.image;
      itemSave->setEnabled(true);
      ShowInHexView(*outcome.image, tr("Read from the %1 at %2: what save writes")
                                        .arg(Q(outcome.chip->name), running->startedTime));
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

QString TProgForm::Summary(const Result& result) const {
  const ChipOutcome& outcome = result.outcome;
  const QString chip = Q(outcome.chip ? outcome.chip->name : ChipName());
  const QString file = Q(running->imageName);
  QString first;
  if (running->reloaded) first += tr("%1 had changed on disk and was loaded again. ").arg(file);
  if (outcome.erasedFirst) {
    first += tr("The chip hid its signature behind lock bit 2 and was erased first. ");
  }
  switch (result.request.operation) {
    case Operation::Write:
      if (outcome.pagesWritten == 0) {
        return first +
               tr("%1 is blank (all FF): the %2 was erased and no page written").arg(file, chip);
      }
      return first + tr("Wrote %1 to the %2: %3, %4")
                         .arg(file, chip, tr("%n page(s) written", nullptr, outcome.pagesWritten),
                              outcome.pagesVerified < 0
                                  ? tr("not verified")
                                  : tr("%n page(s) verified", nullptr, outcome.pagesVerified));
    case Operation::Read:
      return tr("Read %1 bytes from the %2").arg(outcome.image->Size()).arg(chip);
    case Operation::Signature:
      return tr("Read the signature %1 (%2)")
          .arg(Signature(outcome.signature),
               outcome.found ? Q(outcome.found->name) : tr("no known chip"));
    case Operation::Verify:
      return tr("Verified %1 bytes: the %2 holds %3").arg(outcome.chip->flashSize).arg(chip, file);
    case Operation::Erase:
      return first + tr("Erased the %1").arg(chip);
    case Operation::BlankCheck:
      return tr("Blank check passed: %1 bytes erased").arg(outcome.chip->flashSize);
    case Operation::ReadLockBits:
      return tr("Read the lock bits: %1").arg(Q(ChipFailure::LockBitsText(*outcome.lockBits)));
    case Operation::WriteLockBits: {
      QStringList bits;
      for (unsigned bit = 0; bit < 3; ++bit) {
        if (result.request.lockMode & (1u << bit)) bits << QString("LB%1").arg(bit + 1);
      }
      const QString reads = Q(ChipFailure::LockBitsText(*outcome.lockBits));
      if (bits.isEmpty()) return tr("Programmed no lock bit; the chip reads %1").arg(reads);
      return tr("Programmed %1; the chip reads %2").arg(bits.join(tr(" and ")), reads);
    }
  }
  return Capitalized(tr("%1 is done").arg(Label(result.request.operation)));
}

// The failure in the window's words, in a box with the error icon; the status line says what
// was left behind.
QString TProgForm::Failed(const Result& result) {
  const Operation operation = result.request.operation;
  QString words;
  bool inline_ = false;  // the words follow the heading on its line
  QString detail;        // what the status line adds
  try {
    std::rethrow_exception(result.failure);
  } catch (const ChipFailure& failure) {
    const ChipFailure::Facts& facts = failure.Of();
    if (failure.What() == ChipFailure::Kind::OtherChip) {
      if (SwitchedDevice(failure, result)) return {};
      return Capitalized(tr("%1 was not started: the chip is an %2, not the %3")
                             .arg(Label(operation), Q(facts.found->name), Q(ChipName())));
    }
    if (failure.What() == ChipFailure::Kind::HiddenSignature &&
        (operation == Operation::Write || operation == Operation::Erase)) {
      if (ErasedLockedChip(failure, result)) return {};
      return Capitalized(tr("%1 was not started: the chip may hide its signature behind lock "
                            "bit 2")
                             .arg(Label(operation)));
    }
    words = FailureWords(failure, result);
    if (failure.What() == ChipFailure::Kind::Mismatch) {
      inline_ = true;
      detail = ": " + tr("%n byte(s) differ", nullptr, static_cast<int>(facts.difference.count));
      ShowMismatch(failure, result);
    }
  } catch (const PortOpenError& failure) {
    words = Q(PortFailureText(failure.Failure()));
  } catch (const std::exception& failure) {
    words = WithPort(Q(failure.what()));
  }
  const ChipOutcome& outcome = result.outcome;
  const bool verifying = operation == Operation::Write && outcome.pagesToWrite >= 0 &&
                         outcome.pagesWritten == outcome.pagesToWrite;
  const QString what = verifying ? tr("the verify after the write") : Label(operation);
  if (!stopRequested) {
    dialogs.ShowError(
        Std(Capitalized((inline_ ? tr("%1 failed: %2") : tr("%1 failed:\n%2")).arg(what, words))));
  }
  QString summary =
      Capitalized((stopRequested ? tr("%1 stopped after %2") : tr("%1 failed after %2"))
                      .arg(what, Elapsed())) +
      detail;
  if (outcome.erased && outcome.pagesWritten >= 0 && !verifying) {
    summary +=
        ": " + tr("the chip is erased and %1 of %n page(s) written", nullptr, outcome.pagesToWrite)
                   .arg(outcome.pagesWritten);
  } else if (outcome.erased && operation != Operation::Erase && !verifying) {
    summary += ": " + tr("the chip is erased");
  }
  return summary;
}

// What a read-protected chip's FF costs the operation that was asked for.
QString TProgForm::ReadProtectionCost(Operation operation) {
  switch (operation) {
    case Operation::Verify:
      return tr("so its flash cannot be compared with an image");
    case Operation::BlankCheck:
      return tr("so it would pass a blank check whatever it holds");
    default:
      return tr("so a read is no copy of its flash, and nothing was kept");
  }
}

// The facts of a failure as the window tells them, with what to do in the window.
QString TProgForm::FailureWords(const ChipFailure& failure, const Result& result) const {
  const ChipFailure::Facts& facts = failure.Of();
  const QString chip = Q(ChipName());
  switch (failure.What()) {
    case ChipFailure::Kind::ReadProtected:
      return tr("The %1's read-out protection is on (lock bit 2 programmed): it reads back as FF, "
                "%2. Only an erase (chip / Erase) clears it, together with the flash.")
          .arg(chip, ReadProtectionCost(result.request.operation));
    case ChipFailure::Kind::HiddenSignature:
      return tr("The chip answers the signature %1 with lock bit 2 programmed: a chip locked in "
                "mode 3 or 4 may hide its signature. Only an erase (chip / Erase) clears the "
                "lock, together with the flash.")
          .arg(Signature(facts.signature));
    case ChipFailure::Kind::Mismatch:
      return tr("%1 of %2 bytes differ; the first at %3: chip %4, %5 %6")
          .arg(QString::number(facts.difference.count), QString::number(facts.compared),
               Q(Hex(facts.difference.first, 4)), HexByte(facts.difference.actual),
               result.request.operation == Operation::BlankCheck ? tr("erased")
                                                                 : Q(running->imageName),
               HexByte(facts.difference.expected));
    case ChipFailure::Kind::ImageFolds:
      return tr("The image cannot be written to the %1: %2 has data at %3, beyond the %4's %5 KB "
                "of flash, where the chip would write it over %6.")
          .arg(chip, Q(running->imageName), Q(Hex(facts.foldingAddress, 4)), Q(facts.chip->name),
               QString::number(facts.chip->flashSize / 1024),
               Q(Hex(facts.foldingAddress % facts.chip->flashSize, 4)));
    case ChipFailure::Kind::UnknownChip: {
      const int32_t bytes = facts.signature & 0xFFFFFF;
      if (bytes == 0 || bytes == 0xFFFFFF) {
        return tr("The target's signature reads %1: the target entered programming mode, so a "
                  "chip is there, but its signature cannot be read. Check that it is an %2 "
                  "seated right in its socket, that its crystal or clock runs, and that reset "
                  "is held high while programming.")
            .arg(Signature(facts.signature), Q(ChipCatalog::Names(" or ")));
      }
      return tr("The target's signature reads %1: this is not the signature of a supported chip "
                "(%2).")
          .arg(Signature(facts.signature), Q(ChipCatalog::Names()));
    }
    case ChipFailure::Kind::LockBitsNotTaken:
      return tr("The lock bits did not take: asked for mode %1, the chip reads %2.")
          .arg(facts.lockMode)
          .arg(Q(ChipFailure::LockBitsText(facts.lockBits)));
    default:
      return Q(failure.what());
  }
}

bool TProgForm::SwitchedDevice(const ChipFailure& failure, const Result& result) {
  const ChipCatalog::Chip& found = *failure.Of().found;
  const QString question =
      tr("The chip answers the signature %1: it is an %2, not the %3 chosen in the device menu. "
         "Nothing was done to it.\n\nSwitch the device to the %2 and go on with %4?")
          .arg(Signature(failure.Of().signature), Q(found.name), Q(ChipName()),
               Label(result.request.operation));
  if (stopRequested || !dialogs.Ask(Std(question))) return false;
  SelectDevice(DeviceType(found));
  settings.SetDevice(DeviceType(found));
  const bool reloaded = running->reloaded;
  Start(result.request);
  running->reloaded = reloaded;
  return true;
}

// A chip that may hide its signature behind its lock is erased only when the user agrees.
bool TProgForm::ErasedLockedChip(const ChipFailure& failure, const Result& result) {
  const Operation operation = result.request.operation;
  if (stopRequested || (operation != Operation::Write && operation != Operation::Erase)) {
    return false;
  }
  const QString question =
      tr("The chip answers the signature %1 with lock bit 2 programmed: a chip locked in mode 3 "
         "or 4 may hide its signature, and only a chip erase clears the lock. Nothing was done "
         "to it.\n\nErase the chip (its flash and lock bits) and go on with %2?")
          .arg(Signature(failure.Of().signature), Label(operation));
  if (!dialogs.Ask(Std(question))) return false;
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
