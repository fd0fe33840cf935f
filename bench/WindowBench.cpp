#include "WindowBench.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "LineFloors.h"
#include "Measurement.h"
#include "image/Buffer.h"
#include "platform/SystemClock.h"
#include "sim/SimChip.h"
#include "ui/TProgForm.h"
#include "ui/widgets/UserDialogs.h"
#include "ui/widgets/WindowMessage.h"

namespace {

using namespace line_floor;

constexpr std::chrono::minutes kLongestOperation{2};

// Answers every open and save box with the path the bench chose, as a user picking a file,
// and keeps what the message boxes said: the window shows every failure in one.
class ChosenPathDialogs : public UserDialogs {
 public:
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void ShowError(const std::string& text) override { messages.push_back(text); }
  bool Ask(const std::string&) override { return false; }
  bool Confirm(const std::string&, bool&) override { return false; }
  bool OpenFile(const std::string&, const std::string&, std::string& chosen) override {
    return Answer(chosen);
  }
  bool SaveFile(const std::string&, const std::string&, const std::string&,
                std::string& chosen) override {
    return Answer(chosen);
  }

  std::string path;
  std::vector<std::string> messages;

 private:
  bool Answer(std::string& chosen) const {
    chosen = path;
    return !path.empty();
  }
};

// Runs the event loop until the window's operation is over. The worker reports the end with
// a posted window message; the window is idle once its handler has returned, so the check
// comes on the loop's next turn. Wakes only for the window's messages: no polling.
class IdleWait : public QObject {
 public:
  explicit IdleWait(TProgForm& window) : window_(window) { window_.installEventFilter(this); }
  ~IdleWait() override { window_.removeEventFilter(this); }

  // False when the window was still busy after `limit`.
  bool Run(std::chrono::milliseconds limit) {
    if (!window_.Busy()) return true;
    QTimer::singleShot(limit, &loop_, [this] { loop_.exit(1); });
    return loop_.exec() == 0;
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == WindowMessage::EventType()) {
      QTimer::singleShot(0, this, [this] {
        if (!window_.Busy()) loop_.quit();
      });
    }
    return false;
  }

 private:
  TProgForm& window_;
  QEventLoop loop_;
};

// The bench's files, and the trace files the window leaves, in a folder of their own that is
// the working folder while the window runs.
class WorkingFolder {
 public:
  WorkingFolder()
      : previous_(std::filesystem::current_path()),
        path_(std::filesystem::temp_directory_path() / "isp89-bench-window") {
    std::filesystem::create_directories(path_);
    std::filesystem::current_path(path_);
  }
  ~WorkingFolder() {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

// `dataBytes` of program from address 0, the rest erased: the command line's images.
std::vector<uint8_t> Program(uint32_t dataBytes) {
  std::vector<uint8_t> bytes(SimChip::kFlashSize, Buffer::kErased);
  for (uint32_t i = 0; i < dataBytes; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 3);
  return bytes;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// The window with its default port COM1 on the simulated AT89S52, the AT89S52 chosen in the
// device menu and "Verify after write" on.
class WindowRun {
 public:
  WindowRun() {
    // The simulated chip, whatever the environment says COM1 is.
    setenv("ISP89_COM1", "sim:AT89S52", 1);
    ProgFormContext context;
    context.dialogs = &dialogs_;
    context.ports = [] { return std::vector<SystemPort>{}; };
    context.arguments = std::vector<std::string>{"isp89"};
    // Settings of its own in the working folder: the user's stay as they are.
    context.settingsFile = (std::filesystem::current_path() / "isp89.conf").string();
    window_ = std::make_unique<TProgForm>(context);
    // A line made afresh with the options: one the window made before would have none.
    window_->Resolver().SetSimLineOptions(RealLine());
    window_->Resolver().AttachSimChip("sim:AT89S52", chip_);
    window_->show();
    Item("ItemAT89S52")->trigger();
    if (!Item("itemVerifyAfterWrite")->isChecked()) Item("itemVerifyAfterWrite")->trigger();
  }

  SimChip& Chip() { return *chip_; }

  // Clicks the button and runs the event loop until the operation is over; failed when the
  // click started nothing, the operation did not end or the window showed a message.
  Measurement Click(const char* button) {
    dialogs_.messages.clear();
    IdleWait idle(*window_);
    bool started = false, ended = false;
    Measurement measured = Time([&] {
      window_->findChild<QPushButton*>(button)->click();
      started = window_->Busy();
      ended = idle.Run(kLongestOperation);
    });
    if (!started) std::printf("%s started nothing\n", button);
    if (!ended) std::printf("%s: the window was still busy after two minutes\n", button);
    for (const std::string& text : dialogs_.messages) std::printf("window: %s\n", text.c_str());
    measured.succeeded = measured.succeeded && started && ended && dialogs_.messages.empty();
    return measured;
  }

  // file / open, or file / save, answered with `path`.
  void Open(const std::string& path) { Choose("itemOpen", path); }
  void Save(const std::string& path) { Choose("itemSave", path); }

 private:
  QAction* Item(const char* name) const { return window_->findChild<QAction*>(name); }
  void Choose(const char* item, const std::string& path) {
    dialogs_.path = path;
    Item(item)->trigger();
    dialogs_.path.clear();
  }

  ChosenPathDialogs dialogs_;
  std::shared_ptr<SimChip> chip_ =
      std::make_shared<SimChip>(SimChip::Model::AT89S52, SystemClock::Instance());
  std::unique_ptr<TProgForm> window_;
};

// A write with "Verify after write": its figure, and FAILED when the chip does not hold the
// image afterwards.
bool TimedWrite(WindowRun& run, const WorkingFolder& folder, const char* name, uint32_t dataBytes) {
  const std::vector<uint8_t> image = Program(dataBytes);
  WriteFile(folder.File("image.bin"), image);
  run.Open(folder.File("image.bin"));
  Measurement measured = run.Click("btnProgram");
  if (measured.succeeded && run.Chip().Flash() != image) {
    std::printf("%s: the chip's flash is not the image\n", name);
    measured.succeeded = false;
  }
  const int pages = static_cast<int>((dataBytes + 255) / 256);
  return Report(name, WriteWithVerify(pages), 1.05, measured);
}

// A whole read: its figure, and FAILED when the image the window saves is not the chip's.
bool TimedRead(WindowRun& run, const WorkingFolder& folder) {
  std::vector<uint8_t> flash(SimChip::kFlashSize);
  for (size_t i = 0; i < flash.size(); ++i) flash[i] = static_cast<uint8_t>(i * 13 + (i >> 8));
  run.Chip().SetFlash(flash);
  Measurement measured = run.Click("btnRead");
  run.Save(folder.File("read.bin"));
  if (measured.succeeded && ReadFile(folder.File("read.bin")) != flash) {
    std::printf("read: the image saved is not the chip's flash\n");
    measured.succeeded = false;
  }
  return Report("whole read", WholeRead(32), 1.02, measured);
}

}  // namespace

bool WindowOnTheLine() {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  int argc = 1;
  char name[] = "isp89-bench";
  char* argv[] = {name, nullptr};
  QApplication application(argc, argv);
  WorkingFolder folder;
  WindowRun run;
  std::printf("\nThe window on the 4800-baud line (clicked, until it is idle again):\n");
  bool ok = true;
  ok &= Report("signature", kSessionStart, 1.02, run.Click("btnReadSig"));
  ok &= Report("lock-bit read", kSessionStart + kLockBits, 1.02, run.Click("btnLockBits"));
  ok &= TimedRead(run, folder);
  ok &= TimedWrite(run, folder, "write 8 KB + verify", 8192);
  ok &= TimedWrite(run, folder, "write 2 KB + verify", 2048);
  return ok;
}
