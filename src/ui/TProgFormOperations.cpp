// The window's operations on the worker: starting one, following it to its end through the
// worker's messages, what the user is told, and closing meanwhile.
#include <QCloseEvent>
#include <QTimer>
#include <cstdio>

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
    case Operation::BlankCheck:
      return "the blank check";
    case Operation::ReadLockBits:
      return "the lock-bit read";
    case Operation::WriteLockBits:
      return "the lock-bit write";
  }
  return "the operation";
}

// "The write": a label that starts a sentence.
std::string TProgForm::Sentence(Operation kind) {
  std::string label = Label(kind);
  label[0] = 'T';
  return label;
}

bool TProgForm::RefusedWhileBusy() {
  if (!Busy()) return false;
  ShowNote("Busy: " + Label(running->request.operation) + " is running; wait until it ends");
  return true;
}

bool TProgForm::HasImage(const char* operation) {
  if (image) return true;
  dialogs.ShowMessage(std::string("There is no image to ") + operation +
                      ": open an image file first (file / open).");
  return false;
}

void TProgForm::ShowNote(const std::string& text) {
  StatusBar->showMessage(QString::fromStdString(text), kSummaryMs);
}

std::string TProgForm::ChipName() const { return device->Chip().name; }

// Every operation starts from an empty gauge and with the controls taken away.
void TProgForm::Start(ChipRequest request) {
  running = Running{request, clock.Now(), imageName};
  stopRequested = false;
  device->ClearStop();
  CGauge1->SetProgress(0);
  EnableControls(false);
  ShowNote(Sentence(request.operation) + " is running...");
  worker->Request(request);
}

// The device's phases and progress; the result comes with WMRequestDone.
void TProgForm::WMProgress(const WindowMessage& message) {
  const int value = static_cast<int>(message.WParam());
  if (message.LParam() == ProcessListener::NOTIFY_PROGRESS) return CGauge1->SetProgress(value);
  if (message.LParam() != ProcessListener::NOTIFY_PHASE) return;
  static const char* const kPhases[] = {"Erasing the chip...", "Reading...", "Writing...",
                                        "Verifying...", "Checking that the chip is blank..."};
  if (value >= 0 && value < static_cast<int>(std::size(kPhases))) ShowNote(kPhases[value]);
  CGauge1->SetProgress(0);
}

void TProgForm::WMRequestDone(const WindowMessage&) {
  std::optional<Result> result = worker->TakeResult();
  if (!Busy() || !result) return;
  ShowLockBits(*result);
  const std::string summary = result->failure ? Failed(*result) : Succeeded(*result);
  if (!summary.empty()) Finish(summary);
}

void TProgForm::Finish(const std::string& summary) {
  running.reset();
  EnableControls(true);
  ShowNote(summary);
  if (stopRequested) QTimer::singleShot(0, this, [this] { close(); });
}

std::string TProgForm::Seconds(std::chrono::nanoseconds duration) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s", std::chrono::duration<double>(duration).count());
  return text;
}

std::string TProgForm::Elapsed() const { return Seconds(clock.Now() - running->startedAt); }

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
  const std::string question = Sentence(running->request.operation) +
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
  ShowNote("Stopping " + Label(running->request.operation) + "...");
}
