// The window's handlers: requests to the worker, lock bits, files, and the menu choices.
#include <filesystem>
#include <memory>

#include "image/ImageFile.h"
#include "platform/Exception.h"
#include "ui/TProgForm.h"

namespace {

// Any name is taken: the loader tells HEX by content, so the last filter shows every file.
const char* const kOpenFilter = "bin (*.bin);;Intel HEX (*.hex *.ihx *.ihex *.h86);;All files (*)";
const char* const kSaveFilter = "bin file (*.bin);;Intel HEX (*.hex)";

}  // namespace

void TProgForm::btnProgramClick(QObject*) {
  if (RefusedWhileBusy() || !HasImage("write")) return;
  ChipRequest request(Operation::Write);
  request.image = std::make_shared<const Buffer>(*image);
  request.check =
      itemVerifyAfterWrite->isChecked() ? ChipRequest::Check::Changed : ChipRequest::Check::None;
  Start(request);
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
  if (RefusedWhileBusy() || !HasImage("verify")) return;
  ChipRequest request(Operation::Verify);
  request.image = std::make_shared<const Buffer>(*image);
  Start(request);
}

// The erase alone; "Blank check" reads the chip afterwards for those who want to see it.
void TProgForm::itemEraseClick(QObject*) {
  if (RefusedWhileBusy()) return;
  ChipRequest request(Operation::Erase);
  request.check = ChipRequest::Check::None;
  Start(request);
}

void TProgForm::itemBlankCheckClick(QObject*) {
  if (RefusedWhileBusy()) return;
  Start(ChipRequest(Operation::BlankCheck));
}

void TProgForm::cbRwLockBitsClick(QObject* sender) {
  const bool writing = static_cast<QCheckBox*>(sender)->isChecked();
  for (QCheckBox* box : {CheckBox1, CheckBox2, CheckBox3}) box->setEnabled(writing);
  btnLockBits->setText(writing ? "Write Lock Bits" : "Read Lock Bits");
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

void TProgForm::itemOpenClick(QObject*) {
  if (RefusedWhileBusy()) return;
  std::string path;
  if (dialogs.OpenFile(kOpenFilter, path)) LoadImageFile(path);
}

void TProgForm::itemSaveClick(QObject*) {
  if (RefusedWhileBusy() || !transferred) return;
  std::string path;
  if (!dialogs.SaveFile(kSaveFilter, "bin", path)) return;
  try {
    ImageFile::Save(path, *transferred);
    ShowNote("Saved " + std::to_string(transferred->Size()) + " bytes to " + path);
  } catch (const std::exception& error) {
    dialogs.ShowMessage(error.what());
  }
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
}

// Every load starts from an erased image, so the image is exactly the file (a raw file
// longer than the memory gives its start, with a note in the status bar); a file that
// cannot be loaded (missing, a folder, empty, a bad HEX line) leaves the image, its name and
// the status text as they were.
void TProgForm::LoadImageFile(const std::string& path) {
  try {
    Buffer loaded(device->GetMemorySize());
    const ImageFile::LoadResult result = ImageFile::Load(path, loaded);
    StatusBar->SetSimpleText(path);
    // Part of the file was left out: say so over the path rather than write less than the
    // user chose without a word.
    if (result.longerThanImage) ShowNote(result.TruncationNote(path, loaded.Size()));
    imageName = std::filesystem::path(path).filename().string();
    if (image) {
      *image = loaded;
    } else {
      image = std::make_unique<Buffer>(loaded);
    }
  } catch (const Exception& error) {
    dialogs.ShowMessage(error.Message());
  }
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
