// The window's handlers: requests to the worker, lock bits, the device menu and the command
// line.
#include <memory>

#include "ui/TProgForm.h"

void TProgForm::btnProgramClick(QObject*) {
  bool reloaded = false;
  if (RefusedWhileBusy() || !HasImage(Operation::Write) || !ReloadedIfChanged(reloaded)) return;
  ChipRequest request(Operation::Write);
  request.image = std::make_shared<const Buffer>(*image);
  request.check =
      itemVerifyAfterWrite->isChecked() ? ChipRequest::Check::Changed : ChipRequest::Check::None;
  Start(request);
  running->reloaded = reloaded;
}

void TProgForm::btnReadClick(QObject*) {
  if (RefusedWhileBusy()) return;
  Start(ChipRequest(Operation::Read));
}

// "Test" stays enabled through an operation; clicked meanwhile, it says why it does nothing.
void TProgForm::Button1Click(QObject*) {
  if (RefusedWhileBusy()) return;
  Start(ChipRequest(Operation::Read));
}

// The fields show "-" until the new bytes are there, and again when the read fails.
void TProgForm::btnReadSigClick(QObject*) {
  if (RefusedWhileBusy()) return;
  for (QLineEdit* edit : {Edit1, Edit2, Edit3}) edit->setText("-");
  Start(ChipRequest(Operation::Signature));
}

void TProgForm::itemVerifyClick(QObject*) {
  if (RefusedWhileBusy() || !HasImage(Operation::Verify)) return;
  ChipRequest request(Operation::Verify);
  request.image = std::make_shared<const Buffer>(*image);
  Start(request);
}

// The erase alone; "Blank check" reads the chip afterwards for those who want to see it.
void TProgForm::itemEraseClick(QObject*) {
  if (RefusedWhileBusy() || !EraseConfirmed()) return;
  ChipRequest request(Operation::Erase);
  request.check = ChipRequest::Check::None;
  Start(request);
}

// "Don't ask again" counts only with Yes: No never turns the question off.
bool TProgForm::EraseConfirmed() {
  if (!itemConfirmErase->isChecked()) return true;
  bool dontAskAgain = false;
  const bool yes = dialogs.Confirm(
      Std(tr("Erase the %1? Its whole flash becomes FF and its lock bits are cleared: what it "
             "holds now is lost.")
              .arg(Q(ChipName()))),
      dontAskAgain);
  if (yes && dontAskAgain) itemConfirmErase->setChecked(false);
  return yes;
}

void TProgForm::itemBlankCheckClick(QObject*) {
  if (RefusedWhileBusy()) return;
  Start(ChipRequest(Operation::BlankCheck));
}

void TProgForm::cbRwLockBitsClick(QObject* sender) {
  const bool writing = static_cast<QCheckBox*>(sender)->isChecked();
  for (QCheckBox* box : {CheckBox1, CheckBox2, CheckBox3}) box->setEnabled(writing);
  btnLockBits->setText(writing ? tr("Write &Lock Bits") : tr("Read &Lock Bits"));
}

// Writing programs every bit whose box is ticked (LB1, LB2, LB3: lock modes 2 to 4), then
// reads them back; a box whose state is unknown asks for nothing.
void TProgForm::btnLockBitsClick(QObject*) {
  if (RefusedWhileBusy()) return;
  if (!cbRwLockBits->isChecked()) return Start(ChipRequest(Operation::ReadLockBits));
  ChipRequest request(Operation::WriteLockBits);
  unsigned bit = 1;
  for (QCheckBox* box : {CheckBox1, CheckBox2, CheckBox3}) {
    if (box->checkState() == Qt::Checked) request.lockMode |= bit;
    bit <<= 1;
  }
  Start(request);
}

// Refused while an operation runs on the device; the marks stay as they were.
void TProgForm::DeviceSelectClick(QObject* sender) {
  auto* clicked = static_cast<QAction*>(sender);
  if (RefusedWhileBusy()) {
    clicked->setChecked(false);
    itemCurrentDevice->setChecked(true);
    return;
  }
  if (itemCurrentDevice) itemCurrentDevice->setChecked(false);
  clicked->setChecked(true);
  itemCurrentDevice = clicked;
  SelectDevice(clicked->data().toInt());
  settings.SetDevice(clicked->data().toInt());
}

void TProgForm::ParseCommandLine() {
  int state = -1;
  for (int i = 0; i <= arguments.ParamCount(); ++i) {
    const std::string a = arguments.ParamStr(i);
    if (state == 0) {
      LoadImageFile(a);
      state = -1;
    } else if (state == 1) {
      if (a == "AT89S51") SelectDevice(1);
      if (a == "AT89S52") SelectDevice(2);
      state = -1;
    } else {
      state = ClassifyOption(a);
    }
  }
}

int TProgForm::ClassifyOption(const std::string& argument) const {
  if (argument == "-binfile") return 0;
  if (argument == "-uproctype") return 1;
  return -1;
}
