// The window's operations on the worker: starting one, following it to its end through the
// worker's messages, what the user is told, and closing meanwhile.
#include <QCloseEvent>
#include <QDateTime>
#include <QLocale>
#include <QTimer>

#include "ui/TProgForm.h"

QString TProgForm::Label(Operation kind) {
  switch (kind) {
    case Operation::Write:
      return tr("the write");
    case Operation::Read:
      return tr("the read");
    case Operation::Signature:
      return tr("the signature read");
    case Operation::Verify:
      return tr("the verify");
    case Operation::Erase:
      return tr("the erase");
    case Operation::BlankCheck:
      return tr("the blank check");
    case Operation::ReadLockBits:
      return tr("the lock-bit read");
    case Operation::WriteLockBits:
      return tr("the lock-bit write");
  }
  return tr("the operation");
}

QString TProgForm::Capitalized(const QString& text) {
  return text.isEmpty() ? text : text.left(1).toUpper() + text.mid(1);
}

bool TProgForm::RefusedWhileBusy() {
  if (!Busy()) return false;
  ShowNote(tr("Busy: %1 is running; wait until it ends").arg(Label(running->request.operation)));
  return true;
}

bool TProgForm::HasImage(Operation operation) {
  if (image) return true;
  dialogs.ShowMessage(Std(operation == Operation::Write
                              ? tr("There is no image to write: open an image file first "
                                   "(file / open).")
                              : tr("There is no image to verify: open an image file first "
                                   "(file / open).")));
  return false;
}

// Notes last until the next note, or until the operation's result replaces them; like the
// result, a note is the bar's own text, so a menu's hint passing over it (an empty hint clears
// a QStatusBar message) cannot leave the previous result showing during an operation.
void TProgForm::ShowNote(const QString& text) { ShowResult(text); }

// A result stays until the next operation's, also while a menu's hints pass over it.
void TProgForm::ShowResult(const QString& text) {
  StatusBar->clearMessage();
  StatusBar->SetText(text);
}

std::string TProgForm::ChipName() const { return device->Chip().name; }

// Every operation starts from an empty gauge and with the controls taken away.
void TProgForm::Start(ChipRequest request) {
  running = Running{request, clock.Now(), imageName, PortName(),
                    QTime::currentTime().toString("HH:mm:ss")};
  phaseStartedAt = running->startedAt;
  stopRequested = false;
  device->ClearStop();
  CGauge1->SetProgress(0);
  CGauge1->SetRemark({});
  EnableControls(false);
  ShowNote(Capitalized(tr("%1 is running...").arg(Label(request.operation))));
  worker->Request(request);
}

// The device's phases and progress, with the time a transfer has left; the result comes with
// WMRequestDone.
void TProgForm::WMProgress(const WindowMessage& message) {
  const int value = static_cast<int>(message.WParam());
  if (message.LParam() == ProcessListener::NOTIFY_PROGRESS) {
    CGauge1->SetProgress(value);
    if (Busy()) CGauge1->SetRemark(TimeLeft(clock.Now() - phaseStartedAt, value));
    return;
  }
  if (message.LParam() != ProcessListener::NOTIFY_PHASE) return;
  const QString phases[] = {tr("Erasing the chip..."), tr("Reading..."), tr("Writing..."),
                            tr("Verifying..."), tr("Checking that the chip is blank...")};
  if (value >= 0 && value < static_cast<int>(std::size(phases))) ShowNote(phases[value]);
  phaseStartedAt = clock.Now();
  CGauge1->SetProgress(0);
  CGauge1->SetRemark({});
}

QString TProgForm::TimeLeft(std::chrono::nanoseconds elapsed, int percent) {
  if (percent <= 0 || percent >= 100) return {};
  // Rounded up: "0:00 left" only when nothing is.
  const auto left = std::chrono::ceil<std::chrono::seconds>(elapsed * (100 - percent) / percent);
  const long long seconds = left.count();
  return tr("%1:%2 left").arg(seconds / 60).arg(seconds % 60, 2, 10, QChar('0'));
}

void TProgForm::WMRequestDone(const WindowMessage&) {
  std::optional<Result> result = worker->TakeResult();
  if (!Busy() || !result) return;
  ShowLockBits(*result);
  const QString summary = result->failure ? Failed(*result) : Succeeded(*result);
  if (!summary.isNull()) Finish(*result, summary);
}

// The result in the status bar and in the log; a success's says how long it took.
void TProgForm::Finish(const Result& result, const QString& summary) {
  OperationLog::Entry entry;
  entry.time = running->startedTime;
  entry.port = Q(running->port);
  entry.chip = Q(result.outcome.chip ? result.outcome.chip->name : ChipName());
  entry.file = Q(running->imageName);
  const Operation operation = result.request.operation;
  if (operation != Operation::Write && operation != Operation::Verify) entry.file.clear();
  entry.result = summary;
  entry.duration = Elapsed();
  entry.failed = static_cast<bool>(result.failure);
  log->Add(entry);

  const QString shown = result.failure ? summary : tr("%1 in %2").arg(summary, entry.duration);
  running.reset();
  EnableControls(true);
  CGauge1->SetRemark({});
  ShowResult(shown);
  if (stopRequested) QTimer::singleShot(0, this, [this] { close(); });
}

QString TProgForm::Seconds(std::chrono::nanoseconds duration) {
  return QLocale().toString(std::chrono::duration<double>(duration).count(), 'f', 1) + " s";
}

QString TProgForm::Elapsed() const { return Seconds(clock.Now() - running->startedAt); }

QString TProgForm::WithPort(const QString& failure) const {
  const std::string chosen = portOpener.Device();
  if (chosen.empty()) return failure;
  return failure + "\n" + tr("(the link uses %1, chosen in the port menu)").arg(Q(chosen));
}

// A signal that ends programs (SIGTERM, Ctrl-C in the terminal that started the window): the
// operation in progress stops at its next page, as when the user closes the window and
// agrees, and the window closes once the worker is through, so the port gets back its
// settings and the log says what the chip holds.
void TProgForm::StopAndClose() {
  if (!Busy()) {
    close();
    return;
  }
  if (stopRequested) return;
  stopRequested = true;
  device->RequestStop();
  ShowNote(tr("Stopping %1...").arg(Label(running->request.operation)));
}

void TProgForm::closeEvent(QCloseEvent* event) {
  if (!Busy()) {
    StoreWindow();
    if (worker) worker->Stop();
    return QMainWindow::closeEvent(event);
  }
  event->ignore();
  if (stopRequested) return;  // already stopping; the window closes when it is over
  const QString question =
      Capitalized(tr("%1 is running. Stop it and close the window?\n\nA stopped write leaves "
                     "the chip partly written; a stopped read leaves no image.")
                      .arg(Label(running->request.operation)));
  if (!dialogs.Ask(Std(question))) return;
  stopRequested = true;
  if (!Busy()) {
    // It ended while the question was open.
    QTimer::singleShot(0, this, [this] { close(); });
    return;
  }
  device->RequestStop();
  ShowNote(tr("Stopping %1...").arg(Label(running->request.operation)));
}
