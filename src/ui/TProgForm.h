#pragma once

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "device/AT89S5X.h"
#include "device/ChipFailure.h"
#include "image/Buffer.h"
#include "serial/TSerial.h"
#include "sim/SimPortResolver.h"
#include "ui/ChosenPortOpener.h"
#include "ui/DesignLayout.h"
#include "ui/ProgFormContext.h"
#include "ui/widgets/ProgramArguments.h"
#include "ui/widgets/QtMessageTarget.h"
#include "ui/widgets/TCGauge.h"
#include "ui/widgets/TStatusBar.h"
#include "ui/widgets/WindowMessage.h"
#include "worker/AT89S5xRunnable.h"

// The programmer's window. It owns the link, the current device, the worker that runs every
// chip operation and the image loaded from a file; the worker reports back through posted
// window messages, handled here on the window's thread, which never waits for the port.
//
// One operation at a time: from the click that starts it until the worker's result, the
// controls that could replace the device, change the port, use the link or change the image
// are disabled, and their handlers refuse (a shortcut reaches an action in a disabled menu);
// the "Test" button stays enabled and says why it does nothing. So an operation keeps the
// port and the device it started with to its end.
//
// The chip is checked as the command line checks it: a signature that names another chip
// than the chosen device stops the operation before anything is changed, and the window
// offers to switch the device and go on.
class TProgForm : public QMainWindow {
 public:
  explicit TProgForm(QWidget* owner = nullptr);
  explicit TProgForm(const ProgFormContext& context, QWidget* owner = nullptr);
  ~TProgForm() override;

  void SelectDevice(int type);
  void LoadImageFile(const std::string& path);
  void EnableControls(bool on);
  void ShowSignature(int32_t word);
  void WMProgress(const WindowMessage& message);
  // The worker is through with a request: its result is shown and the operation ends.
  void WMRequestDone(const WindowMessage& message);
  void ParseCommandLine();
  int ClassifyOption(const std::string& argument) const;

  void btnProgramClick(QObject* sender);
  void btnReadClick(QObject* sender);
  void btnReadSigClick(QObject* sender);
  void btnLockBitsClick(QObject* sender);
  void cbRwLockBitsClick(QObject* sender);
  void Button1Click(QObject* sender);
  void itemOpenClick(QObject* sender);
  void itemSaveClick(QObject* sender);
  void DeviceSelectClick(QObject* sender);
  void menuItemClick(QObject* sender);
  void systemPortClick(QObject* sender);
  void itemVerifyClick(QObject* sender);
  void itemEraseClick(QObject* sender);
  void itemBlankCheckClick(QObject* sender);

  // For those who look on: the objects the window owns.
  const AT89S5X* Device() const { return device.get(); }
  const Buffer* Image() const { return image.get(); }
  const AT89S5xRunnable* Worker() const { return worker.get(); }
  const TSerial& Serial() const { return *serial; }
  SimPortResolver& Resolver() { return resolver; }
  int DevicesCreated() const { return devicesCreated; }
  // An operation started and not yet over.
  bool Busy() const { return running.has_value(); }
  // How much the design positions were enlarged for the platform's font (1: not at all).
  double LayoutScale() const { return layoutScale; }

 protected:
  bool event(QEvent* event) override;
  // FormClose. While an operation runs, asks whether to stop it; if so the device ends it
  // before its next page and the window closes once the worker is through.
  void closeEvent(QCloseEvent* event) override;

 private:
  using Operation = ChipRequest::Operation;
  using Result = AT89S5xRunnable::Result;
  // The operation in progress, from its click to the worker's result.
  struct Running {
    ChipRequest request;
    std::chrono::nanoseconds startedAt{0};
    std::string imageName;  // Write, Verify: the file the image came from
  };

  void BuildControls();
  void BuildMenus();
  void BuildChipMenu();
  void BuildPortMenu();
  // "help" / "about isp89": the version, the same as the package's.
  void BuildHelpMenu();
  void RefreshSystemPorts();
  // Handlers that start or change something call this first: true, with a note in the status
  // bar, while an operation runs.
  bool RefusedWhileBusy();
  // Write and Verify need an image: false, with a box that says to open one, when none is.
  bool HasImage(const char* operation);
  std::string ChipName() const;
  // Hands `request` to the worker, with the controls taken away until its result.
  void Start(ChipRequest request);
  void Finish(const std::string& summary);
  // What a finished operation did (TProgFormResults.cpp).
  std::string Succeeded(const Result& result);
  std::string Failed(const Result& result);
  std::string Summary(const Result& result) const;
  // The signature named another chip than the chosen one: true when the user switched the
  // device and the operation was started again on it.
  bool SwitchedDevice(const ChipFailure& failure, const Result& result);
  // The signature may be hidden by the lock: true when the user agreed to erase the chip and
  // the write or erase was started again, erasing it first.
  bool ErasedLockedChip(const ChipFailure& failure, const Result& result);
  void ShowLockBits(const Result& result);
  // "the write"; Sentence() gives "The write".
  static std::string Label(Operation kind);
  static std::string Sentence(Operation kind);
  // "36.2 s"; Elapsed() since the operation began.
  static std::string Seconds(std::chrono::nanoseconds duration);
  std::string Elapsed() const;
  std::string WithPort(const std::string& failure) const;
  void ShowNote(const std::string& text);

  Clock& clock;
  std::unique_ptr<UserDialogs> ownDialogs;
  UserDialogs& dialogs;
  ProgramArguments arguments;
  SimPortResolver resolver;
  ChosenPortOpener portOpener{resolver};
  QtMessageTarget messageTarget{this};
  DesignLayout design;
  double layoutScale = 1.0;

  QMenu* itemFile = nullptr;
  QAction* itemOpen = nullptr;
  QAction* itemSave = nullptr;
  QMenu* itemDevice = nullptr;
  QAction* ItemAT89S51 = nullptr;
  QAction* ItemAT89S52 = nullptr;
  QMenu* port1 = nullptr;
  QAction* portSeparator = nullptr;
  QMenu* itemChip = nullptr;
  QAction* itemVerify = nullptr;
  QAction* itemErase = nullptr;
  QAction* itemBlankCheck = nullptr;
  QAction* itemVerifyAfterWrite = nullptr;
  QAction* itemAbout = nullptr;
  QFrame* Panel1 = nullptr;
  QPushButton* btnProgram = nullptr;
  QPushButton* btnRead = nullptr;
  QPushButton* btnReadSig = nullptr;
  QPushButton* btnLockBits = nullptr;
  QPushButton* Button1 = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  QLabel* Label1 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* Edit2 = nullptr;
  QLabel* Label3 = nullptr;
  QLineEdit* Edit3 = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  QCheckBox* CheckBox2 = nullptr;
  QCheckBox* CheckBox3 = nullptr;
  QCheckBox* cbRwLockBits = nullptr;
  TCGauge* CGauge1 = nullptr;
  TStatusBar* StatusBar = nullptr;

  QAction* itemCurrentDevice = nullptr;
  std::unique_ptr<TSerial> serial;
  std::unique_ptr<Buffer> image;
  // What "save" writes: the image of the last completed read or write.
  std::shared_ptr<const Buffer> transferred;
  std::unique_ptr<AT89S5X> device;
  std::unique_ptr<AT89S5xRunnable> worker;
  QAction* itemCurrentPort = nullptr;
  int devicesCreated = 0;
  std::string imageName;  // the file the image came from
  std::optional<Running> running;
  bool stopRequested = false;  // the user chose to stop the operation and close
};
