// The window's handlers: requests to the worker, lock bits, files, and the menu choices.
#include <QApplication>
#include <QCursor>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "image/ImageFile.h"
#include "platform/Exception.h"
#include "ui/TProgForm.h"

namespace {

// Any name is taken: the loader tells HEX by content, so the last filter shows every file.
const char* const kOpenFilter = "bin (*.bin);;Intel HEX (*.hex *.ihx *.ihex *.h86);;All files (*)";
const char* const kSaveFilter = "bin file (*.bin);;Intel HEX (*.hex)";

// The wait cursor for as long as the window's thread is held by the device.
class BusyCursor {
 public:
  BusyCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

// No exception may leave a handler into the toolkit's event loop: it is shown instead.
template <typename Body>
void TProgForm::Guarded(Body body) {
  try {
    body();
  } catch (const std::exception& error) {
    dialogs.ShowMessage(WithPort(error.what()));
  }
}

void TProgForm::btnProgramClick(QObject*) {
  if (RefusedWhileBusy() || !image || !FitsChip(*image)) return;
  Begin(Operation::Write);
  running.verifyAfterWrite = itemVerifyAfterWrite->isChecked();
  if (running.verifyAfterWrite) {
    running.expected = std::make_shared<const Buffer>(*image);
    running.expectedName = imageName;
    running.compareLength = FlashSize();
  }
  worker->RequestWrite(*image);
}

void TProgForm::btnReadClick(QObject*) {
  if (RefusedWhileBusy()) return;
  Begin(Operation::Read);
  worker->RequestRead();
}

// "Test" stays enabled through an operation; clicked meanwhile, it says why it does nothing.
void TProgForm::Button1Click(QObject*) {
  if (RefusedWhileBusy()) return;
  Begin(Operation::Read);
  worker->RequestRead();
}

// The fields show "-" until the new bytes are there, and again when the read fails.
void TProgForm::btnReadSigClick(QObject*) {
  if (RefusedWhileBusy()) return;
  for (QLineEdit* edit : {Edit1, Edit2, Edit3}) edit->setText("-");
  Begin(Operation::Signature);
  worker->RequestSignature();
}

void TProgForm::itemVerifyClick(QObject*) {
  if (RefusedWhileBusy()) return;
  if (!image) return ShowNote("No image to verify against: open one first (file, open)");
  if (!FitsChip(*image)) return;
  Begin(Operation::Verify);
  running.expected = std::make_shared<const Buffer>(*image);
  running.expectedName = imageName;
  running.compareLength = FlashSize();
  worker->RequestRead();
}

void TProgForm::itemEraseClick(QObject*) {
  if (RefusedWhileBusy()) return;
  Begin(Operation::Erase);
  worker->RequestErase();
}

void TProgForm::itemBlankCheckClick(QObject*) {
  if (RefusedWhileBusy()) return;
  Begin(Operation::BlankCheck);
  running.expected = std::make_shared<const Buffer>(device->GetMemorySize());
  running.expectedName = "erased";
  running.compareLength = FlashSize();
  worker->RequestRead();
}

void TProgForm::cbRwLockBitsClick(QObject* sender) {
  const bool writing = static_cast<QCheckBox*>(sender)->isChecked();
  for (QCheckBox* box : {CheckBox1, CheckBox2, CheckBox3}) box->setEnabled(writing);
  btnLockBits->setText(writing ? "Write Lock Bits" : "Read Lock Bits");
}

void TProgForm::btnLockBitsClick(QObject*) {
  if (RefusedWhileBusy()) return;
  Guarded([this] { RunLockBitOperation(); });
  // The device held this thread for about two seconds; draw what changed meanwhile.
  repaint();
}

void TProgForm::RunLockBitOperation() {
  const bool writing = cbRwLockBits->isChecked();
  StatusBar->showMessage(writing ? "Writing the lock bits..." : "Reading the lock bits...");
  StatusBar->repaint();
  BusyCursor busy;
  struct ClearHint {
    TStatusBar* bar;
    ~ClearHint() {
      if (bar) bar->clearMessage();
    }
  } clearHint{StatusBar};
  const auto startedAt = clock.Now();
  const auto took = [&] { return " in " + Seconds(clock.Now() - startedAt); };
  if (writing) {
    unsigned char flags = 0;
    if (CheckBox1->isChecked()) flags += 1;
    if (CheckBox2->isChecked()) flags += 2;
    device->WriteLockBits(flags);
    clearHint.bar = nullptr;  // the result replaces the hint
    std::string bits = std::string(flags & 1 ? " LB1" : "") + (flags & 2 ? " LB2" : "");
    return ShowNote((bits.empty() ? "Programmed no lock bit" : "Programmed" + bits) + took());
  }
  const int8_t bits = device->ReadLockBits();
  CheckBox1->setChecked(bits & 0x01);
  CheckBox2->setChecked(bits & 0x02);
  CheckBox3->setChecked(bits & 0x04);
  clearHint.bar = nullptr;
  ShowNote("Read the lock bits: LB1=" + std::to_string(bits & 1) + " LB2=" +
           std::to_string((bits >> 1) & 1) + " LB3=" + std::to_string((bits >> 2) & 1) + took());
}

void TProgForm::itemOpenClick(QObject*) {
  if (RefusedWhileBusy()) return;
  std::string path;
  if (dialogs.OpenFile(kOpenFilter, path)) LoadImageFile(path);
}

void TProgForm::itemSaveClick(QObject*) {
  if (RefusedWhileBusy()) return;
  Guarded([this] {
    std::string path;
    if (!dialogs.SaveFile(kSaveFilter, "bin", path)) return;
    std::shared_ptr<const Buffer> saved = worker->GetImage();
    if (!saved) return;
    ImageFile::Save(path, *saved);
    ShowNote("Saved " + std::to_string(saved->Size()) + " bytes to " + path);
  });
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
