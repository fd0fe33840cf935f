#pragma once

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDockWidget>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "device/AT89S5X.h"
#include "device/ChipFailure.h"
#include "image/Buffer.h"
#include "image/ImageFile.h"
#include "serial/TSerial.h"
#include "sim/SimPortResolver.h"
#include "ui/ChosenPortOpener.h"
#include "ui/DesignLayout.h"
#include "ui/HexView.h"
#include "ui/OperationLog.h"
#include "ui/ProgFormContext.h"
#include "ui/RecentFiles.h"
#include "ui/WindowSettings.h"
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
//
// Around the controls: the settings kept between runs (WindowSettings), the recent files, a
// hex view of the image and a log of the operations, each in a pane of its own, and a field
// in the status bar that describes the loaded image. Every text goes through tr(), so that
// the window speaks the language WindowLanguage chose.
class TProgForm : public QMainWindow {
  Q_DECLARE_TR_FUNCTIONS(TProgForm)

 public:
  explicit TProgForm(QWidget* owner = nullptr);
  explicit TProgForm(const ProgFormContext& context, QWidget* owner = nullptr);
  ~TProgForm() override;

  void SelectDevice(int type);
  // False when the file could not be loaded (the user was told why).
  bool LoadImageFile(const std::string& path);
  void EnableControls(bool on);
  void ShowSignature(int32_t word);
  void WMProgress(const WindowMessage& message);
  // The worker is through with a request: its result is shown and the operation ends.
  void WMRequestDone(const WindowMessage& message);
  // Stops the operation in progress at its next page, then closes; closes at once when none
  // runs. Asks nothing: a signal asked for it.
  void StopAndClose();
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
  void recentFileClick(QObject* sender);
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
  // before its next page and the window closes once the worker is through. A close that goes
  // ahead keeps the window's place and panes in the settings.
  void closeEvent(QCloseEvent* event) override;
  // A file dropped on the window loads as if it had been opened.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  using Operation = ChipRequest::Operation;
  using Result = AT89S5xRunnable::Result;
  // The operation in progress, from its click to the worker's result.
  struct Running {
    ChipRequest request;
    std::chrono::nanoseconds startedAt{0};
    std::string imageName;  // Write, Verify: the file the image came from
    std::string port;       // as the log names it
    QString startedTime;    // the time of day it began
    bool reloaded = false;  // Write: the image file had changed and was loaded again
  };
  // The loaded image file as it was on disk, to tell when it changed since.
  struct LoadedFile {
    std::string path;
    ImageFile::Format format = ImageFile::Format::Raw;
    std::filesystem::file_time_type modified;
    uintmax_t size = 0;
  };

  void BuildControls();
  void BuildMenus();
  void BuildFileMenu();
  void BuildChipMenu();
  void BuildPortMenu();
  // "view": the hex view and the log, each a pane that docks or floats.
  void BuildViewMenu();
  void FitPanes();
  // "help" / "about isp89": the version, the same as the package's.
  void BuildHelpMenu();
  void RefreshSystemPorts();
  void RefreshRecentFiles();

  // The settings of the last run (TProgFormSettings.cpp); the command line comes after them.
  void RestoreSettings();
  void RestorePort(const std::string& port);
  void StoreWindow();
  std::string PortName() const;

  std::vector<std::pair<std::string, std::string>> FtdiChipItems();
  // Handlers that start or change something call this first: true, with a note in the status
  // bar, while an operation runs.
  bool RefusedWhileBusy();
  // Write and Verify need an image: false, with a box that says to open one, when none is.
  bool HasImage(Operation operation);
  // Write: the image file changed on disk since it was loaded is loaded again first, when the
  // option is on (`reloaded`); false when that failed (the user was told) and nothing may be
  // written.
  bool ReloadedIfChanged(bool& reloaded);
  // Erase asks first, unless the user said not to.
  bool EraseConfirmed();
  std::string ChipName() const;
  // Hands `request` to the worker, with the controls taken away until its result.
  void Start(ChipRequest request);
  void Finish(const Result& result, const QString& summary);
  // What a finished operation did (TProgFormResults.cpp); the texts leave out the time.
  QString Succeeded(const Result& result);
  QString Failed(const Result& result);
  QString Summary(const Result& result) const;
  static QString ReadProtectionCost(Operation operation);
  QString FailureWords(const ChipFailure& failure, const Result& result) const;
  // The signature named another chip than the chosen one: true when the user switched the
  // device and the operation was started again on it.
  bool SwitchedDevice(const ChipFailure& failure, const Result& result);
  // The signature may be hidden by the lock: true when the user agreed to erase the chip and
  // the write or erase was started again, erasing it first.
  bool ErasedLockedChip(const ChipFailure& failure, const Result& result);
  void ShowLockBits(const Result& result);
  // A mismatch shows the chip's bytes beside those expected, at the first difference.
  void ShowMismatch(const ChipFailure& failure, const Result& result);

  // The loaded image: the title, the status bar's field and the hex view follow it.
  void ShowLoadedImage(const std::string& path, ImageFile::Format format);
  void ShowInHexView(const Buffer& shown, const QString& caption);
  void AddToLog(const QString& file, const QString& result);
  void RememberFolderOf(const std::string& path);

  // "the write", lower case, for the middle of a sentence.
  static QString Label(Operation kind);
  // The first letter in upper case, for a text that starts with a label.
  static QString Capitalized(const QString& text);
  // "36.2 s"; Elapsed() since the operation began.
  static QString Seconds(std::chrono::nanoseconds duration);
  QString Elapsed() const;
  // What is left of a phase at `percent` that has taken `elapsed`: "0:12 left"; empty until
  // the first page is done.
  static QString TimeLeft(std::chrono::nanoseconds elapsed, int percent);
  QString WithPort(const QString& failure) const;
  // Over the status text until the next note or result (an operation's phase, a refusal).
  void ShowNote(const QString& text);
  // The status text, until the next result: what an operation did.
  void ShowResult(const QString& text);
  static std::string Std(const QString& text) { return text.toStdString(); }
  static QString Q(const std::string& text) { return QString::fromStdString(text); }

  Clock& clock;
  std::unique_ptr<UserDialogs> ownDialogs;
  UserDialogs& dialogs;
  ProgramArguments arguments;
  SimPortResolver resolver;
  ChosenPortOpener portOpener{resolver};
  QtMessageTarget messageTarget{this};
  WindowSettings settings;
  RecentFiles recent;
  DesignLayout design;
  double layoutScale = 1.0;

  QMenu* itemFile = nullptr;
  QAction* itemOpen = nullptr;
  QAction* itemSave = nullptr;
  QMenu* itemRecent = nullptr;
  QAction* itemReloadChanged = nullptr;
  QAction* itemQuit = nullptr;
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
  QAction* itemConfirmErase = nullptr;
  QMenu* itemView = nullptr;
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
  QLabel* imageField = nullptr;
  QDockWidget* hexDock = nullptr;
  HexView* hexView = nullptr;
  QDockWidget* logDock = nullptr;
  OperationLog* log = nullptr;

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
  std::optional<LoadedFile> loadedFile;
  std::optional<Running> running;
  std::chrono::nanoseconds phaseStartedAt{0};
  bool stopRequested = false;  // the user chose to stop the operation and close
};
