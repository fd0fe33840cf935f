// The window's operations on the worker: starting one, following it to its end through the
// worker's messages, the checks around it, what the user is told, and closing meanwhile.
#include <QCloseEvent>
#include <QTimer>
#include <cstdio>

#include "device/ChipCatalog.h"
#include "image/ImageCheck.h"
#include "ui/TProgForm.h"

namespace {

constexpr int kSummaryMs = 6000;  // how long a result stays over the status text

}  // namespace

std::string TProgForm::Label(Operation kind) {
  switch (kind) {
    case Operation::Write:
      return "the write";
    case Operation::Read:
      return "the read";
    case Operation::Signature:
      return "the signature read";
    case Operation::Verify:
      return "the verify";
    case Operation::Erase:
      return "the erase";
    default:
      return "the blank check";
  }
}

// "The write": a label that starts a sentence.
std::string TProgForm::Sentence(Operation kind) {
  std::string label = Label(kind);
  label[0] = 'T';
  return label;
}

bool TProgForm::RefusedWhileBusy() {
  if (!Busy()) return false;
  ShowNote("Busy: " + Label(running.kind) + " is running; wait until it ends");
  return true;
}

void TProgForm::ShowNote(const std::string& text) {
  StatusBar->showMessage(QString::fromStdString(text), kSummaryMs);
}

uint32_t TProgForm::FlashSize() const {
  const ChipCatalog::Chip* chip = ChipCatalog::FindByName(ChipName());
  return chip ? chip->flashSize : device->GetMemorySize();
}

std::string TProgForm::ChipName() const { return itemCurrentDevice->text().toStdString(); }

// A chip with less flash than the image would fold its upper part onto the lower one; such
// an image is refused before anything is sent.
bool TProgForm::FitsChip(const Buffer& source) {
  const uint32_t flash = FlashSize();
  std::optional<uint32_t> folding = ImageCheck::FirstFoldingAddress(source, flash);
  if (!folding) return true;
  dialogs.ShowMessage("The image cannot be written to the " + ChipName() + ": " + imageName + " " +
                      ImageCheck::DescribeFold(*folding, flash, ChipName()) + ".");
  return false;
}

// Every operation starts from an empty gauge and with the controls taken away.
void TProgForm::Begin(Operation kind) {
  running = Running{};
  running.kind = kind;
  running.startedAt = clock.Now();
  stopRequested = false;
  device->ClearStop();
  CGauge1->SetProgress(0);
  EnableControls(false);
}

void TProgForm::WMRequestFailed(const WindowMessage&) {
  const std::string failure = worker->TakeFailure();
  // The user asked for the stop and the window is about to close: nothing to explain.
  if (stopRequested) return;
  dialogs.ShowMessage(WithPort(failure));
}

void TProgForm::WMRequestDone(const WindowMessage& message) {
  if (!Busy()) return;
  const bool succeeded = message.LParam() != 0;
  if (!succeeded) {
    const bool verifying =
        running.kind == Operation::Write && message.WParam() == AT89S5xRunnable::REQUEST_READ;
    const char* how = stopRequested ? " stopped after " : " failed after ";
    return Finish((verifying ? "The verify after the write" : Sentence(running.kind)) + how +
                  Elapsed());
  }
  if (message.WParam() == AT89S5xRunnable::REQUEST_WRITE && running.verifyAfterWrite) {
    if (stopRequested) return Finish("Written, not verified: stopped after " + Elapsed());
    CGauge1->SetProgress(0);
    ShowNote("Written; reading back to verify...");
    worker->RequestRead();
    return;
  }
  if (message.WParam() == AT89S5xRunnable::REQUEST_READ && running.expected) {
    return Compare(running);
  }
  Finish(SuccessSummary());
}

// The read is over: the chip's image against what it should hold.
void TProgForm::Compare(Running& operation) {
  std::shared_ptr<const Buffer> actual = worker->GetImage();
  ImageCheck::Difference difference =
      ImageCheck::Compare(*actual, *operation.expected, operation.compareLength);
  if (difference.count == 0) return Finish(SuccessSummary());
  const std::string check =
      operation.kind == Operation::Write ? "The verify after the write" : Sentence(operation.kind);
  dialogs.ShowMessage(
      check + " failed: " +
      ImageCheck::DescribeDifference(difference, operation.compareLength, operation.expectedName));
  Finish(check + " failed after " + Elapsed() + ": " + std::to_string(difference.count) +
         " bytes differ");
}

void TProgForm::Finish(const std::string& summary) {
  running = Running{};
  EnableControls(true);
  ShowNote(summary);
  if (stopRequested) QTimer::singleShot(0, this, [this] { close(); });
}

std::string TProgForm::Seconds(std::chrono::nanoseconds duration) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s", std::chrono::duration<double>(duration).count());
  return text;
}

std::string TProgForm::Elapsed() const { return Seconds(clock.Now() - running.startedAt); }

std::string TProgForm::SuccessSummary() const {
  const std::string bytes = std::to_string(device->GetMemorySize()) + " bytes";
  const std::string compared = std::to_string(running.compareLength) + " bytes";
  const std::string in = " in " + Elapsed();
  switch (running.kind) {
    case Operation::Write:
      return "Wrote " + bytes + " to the " + ChipName() +
             (running.verifyAfterWrite ? " and verified " + compared : std::string()) + in;
    case Operation::Read:
      return "Read " + bytes + " from the " + ChipName() + in;
    case Operation::Signature: {
      const int32_t word = worker->GetSignature();
      const ChipCatalog::Chip* chip = ChipCatalog::FindBySignature(word);
      return "Read the signature " + ChipCatalog::SignatureText(word) + " (" +
             (chip ? chip->name : "unknown chip") + ")" + in;
    }
    case Operation::Verify:
      return "Verified " + compared + ": the " + ChipName() + " holds " + running.expectedName + in;
    case Operation::Erase:
      return "Erased the " + ChipName() + in;
    default:
      return "Blank check passed: " + compared + " erased" + in;
  }
}

std::string TProgForm::WithPort(const std::string& failure) const {
  const std::string chosen = portOpener.Device();
  if (chosen.empty()) return failure;
  return failure + "\n(the link uses " + chosen + ", chosen in the port menu)";
}

void TProgForm::closeEvent(QCloseEvent* event) {
  if (!Busy()) {
    if (worker) worker->Stop();
    return QMainWindow::closeEvent(event);
  }
  event->ignore();
  if (stopRequested) return;  // already stopping; the window closes when it is over
  const std::string question = Sentence(running.kind) +
                               " is running. Stop it and close the window?\n\nA stopped write "
                               "leaves the chip partly written; a stopped read leaves no image.";
  if (!dialogs.Ask(question)) return;
  stopRequested = true;
  if (!Busy()) {
    // It ended while the question was open.
    QTimer::singleShot(0, this, [this] { close(); });
    return;
  }
  device->RequestStop();
  ShowNote("Stopping " + Label(running.kind) + "...");
}
