// The window's handlers: requests to the worker, lock bits, files, and the menu choices.
#include <QApplication>
#include <QCursor>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "image/ImageFile.h"
#include "platform/Exception.h"
#include "ui/TProgForm.h"

namespace {

const char* const kOpenFilter = "bin (*.bin);;Intel HEX (*.hex *.ihx)";
const char* const kSaveFilter = "bin file (*.bin);;Intel HEX (*.hex)";

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};

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
    dialogs.ShowMessage(error.what());
  }
}

// Every request disables what the worker uses until it reports back, so that no device
// switch, load or lock-bit operation can run under it.
void TProgForm::btnProgramClick(QObject*) {
  if (!image) return;
  EnableControls(false);
  worker->RequestWrite(*image);
}

void TProgForm::btnReadClick(QObject*) {
  EnableControls(false);
  worker->RequestRead();
}

void TProgForm::Button1Click(QObject*) {
  EnableControls(false);
  worker->RequestRead();
}

void TProgForm::btnReadSigClick(QObject*) {
  EnableControls(false);
  worker->RequestSignature();
}

void TProgForm::cbRwLockBitsClick(QObject* sender) {
  const bool writing = static_cast<QCheckBox*>(sender)->isChecked();
  for (QCheckBox* box : {CheckBox1, CheckBox2, CheckBox3}) box->setEnabled(writing);
  btnLockBits->setText(writing ? "Write Lock Bits" : "Read Lock Bits");
}

void TProgForm::btnLockBitsClick(QObject*) {
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
    ~ClearHint() { bar->clearMessage(); }
  } clearHint{StatusBar};
  if (writing) {
    unsigned char flags = 0;
    if (CheckBox1->isChecked()) flags += 1;
    if (CheckBox2->isChecked()) flags += 2;
    device->WriteLockBits(flags);
    return;
  }
  const int8_t bits = device->ReadLockBits();
  CheckBox1->setChecked(bits & 0x01);
  CheckBox2->setChecked(bits & 0x02);
  CheckBox3->setChecked(bits & 0x04);
}

void TProgForm::itemOpenClick(QObject*) {
  std::string path;
  if (dialogs.OpenFile(kOpenFilter, path)) LoadImageFile(path);
}

void TProgForm::itemSaveClick(QObject*) {
  Guarded([this] {
    std::string path;
    if (!dialogs.SaveFile(kSaveFilter, "bin", path)) return;
    if (std::shared_ptr<const Buffer> saved = worker->GetImage()) ImageFile::Save(path, *saved);
  });
}

void TProgForm::DeviceSelectClick(QObject* sender) {
  auto* clicked = static_cast<QAction*>(sender);
  if (itemCurrentDevice) itemCurrentDevice->setChecked(false);
  clicked->setChecked(true);
  itemCurrentDevice = clicked;
  SelectDevice(clicked->data().toInt());
}

// The link takes the new number from its next opening, also while the worker runs.
void TProgForm::menuItemClick(QObject* sender) {
  auto* clicked = static_cast<QAction*>(sender);
  if (itemCurrentPort) itemCurrentPort->setChecked(false);
  clicked->setChecked(true);
  itemCurrentPort = clicked;
  serial->SetPort(clicked->data().toInt());
}

// A path whose name ends in .hex or .ihx is read as Intel HEX; every other as raw bytes.
void TProgForm::LoadImageFile(const std::string& path) {
  try {
    if (ImageFile::FormatOf(path) == ImageFile::Format::IntelHex) {
      LoadHexImage(path);
    } else {
      LoadRawImage(path);
    }
  } catch (const Exception& error) {
    dialogs.ShowMessage(error.Message());
  }
}

// A file that does not open is never read, and then the status bar and the image stay as
// they were.
void TProgForm::LoadRawImage(const std::string& path) {
  if (std::error_code ignored; std::filesystem::is_directory(path, ignored)) {
    throw Exception("Cannot open the image file " + path + ": it is a folder");
  }
  std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    throw Exception("Cannot open the image file " + path + ": " + std::strerror(errno));
  }
  StatusBar->SetSimpleText(path);
  const uint32_t size = device->GetMemorySize();
  if (!image) image = std::make_unique<Buffer>(size);
  image->LoadFrom(file.get(), size);
}

// A HEX file is checked whole before it changes anything; it replaces the whole image.
void TProgForm::LoadHexImage(const std::string& path) {
  Buffer loaded = image ? *image : Buffer(device->GetMemorySize());
  ImageFile::Load(path, loaded);
  StatusBar->SetSimpleText(path);
  if (image) {
    *image = loaded;
  } else {
    image = std::make_unique<Buffer>(loaded);
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
