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
#include <string>

#include "device/AT89S5X.h"
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

// The programmer's window. It owns the link, the current device, the worker that runs the
// long operations and the image loaded from a file; the worker reports back through posted
// window messages, handled here on the window's thread. Lock-bit operations run on this
// thread and hold it for their two seconds.
//
// One operation at a time: from the click that starts it until the worker's last message for
// it, the controls that could replace the device, use the link or change the image are
// disabled, and their handlers refuse (a shortcut reaches an action in a disabled menu); the
// "Test" button stays enabled and says why it does nothing. The port menu stays live and
// applies to the next opening. Nothing the user does makes this thread wait for the worker.
class TProgForm : public QMainWindow {
 public:
  explicit TProgForm(QWidget* owner = nullptr);
  explicit TProgForm(const ProgFormContext& context, QWidget* owner = nullptr);
  ~TProgForm() override;

  void SelectDevice(int type);
  void LoadImageFile(const std::string& path);
  void EnableControls(bool on);
  void ShowSignature();
  void WMProgress(const WindowMessage& message);
  // A request failed on the worker: its text in a box.
  void WMRequestFailed(const WindowMessage& message);
  // The worker is through with a request: the operation goes on to its next step or ends.
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
  // The device of the system's list the link opens, or empty for the COM names.
  std::string ChosenSystemPort() const { return portOpener.Device(); }
  // An operation started and not yet over.
  bool Busy() const { return running.kind != Operation::None; }
  // How much the design positions were enlarged for the platform's font (1: not at all).
  double LayoutScale() const { return layoutScale; }

 protected:
  bool event(QEvent* event) override;
  // FormClose. While an operation runs, asks whether to stop it; if so the device ends it
  // before its next page and the window closes once the worker is through.
  void closeEvent(QCloseEvent* event) override;

 private:
  enum class Operation { None, Write, Read, Signature, Verify, Erase, BlankCheck };
  // The operation in progress, from its click to the worker's last message.
  struct Running {
    Operation kind = Operation::None;
    std::chrono::nanoseconds startedAt{0};
    bool verifyAfterWrite = false;
    // What the chip must hold after the read (Verify, Blank check, Write with verify).
    std::shared_ptr<const Buffer> expected;
    std::string expectedName;
    uint32_t compareLength = 0;
  };

  void BuildControls();
  void BuildMenus();
  void BuildChipMenu();
  void BuildPortMenu();
  // "help" / "about isp89": the version, the same as the package's.
  void BuildHelpMenu();
  void RefreshSystemPorts();
  void RunLockBitOperation();
  // Handlers that start or change something call this first: true, with a note in the status
  // bar, while an operation runs.
  bool RefusedWhileBusy();
  bool FitsChip(const Buffer& source);
  uint32_t FlashSize() const;
  std::string ChipName() const;
  void Begin(Operation kind);
  void Compare(Running& operation);
  void Finish(const std::string& summary);
  // "the write"; Sentence() gives "The write".
  static std::string Label(Operation kind);
  static std::string Sentence(Operation kind);
  // "36.2 s"; Elapsed() since the operation began.
  static std::string Seconds(std::chrono::nanoseconds duration);
  std::string Elapsed() const;
  std::string SuccessSummary() const;
  std::string WithPort(const std::string& failure) const;
  void ShowNote(const std::string& text);
  // Runs a handler's body; a failure that leaves it is shown in a box.
  template <typename Body>
  void Guarded(Body body);

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
  std::unique_ptr<AT89S5X> device;
  std::unique_ptr<AT89S5xRunnable> worker;
  QAction* itemCurrentPort = nullptr;
  int devicesCreated = 0;
  std::string imageName;  // the file the image came from
  Running running;
  bool stopRequested = false;  // the user chose to stop the operation and close
};
