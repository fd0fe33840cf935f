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
#include <memory>
#include <string>

#include "device/AT89S5X.h"
#include "image/Buffer.h"
#include "serial/TSerial.h"
#include "sim/SimPortResolver.h"
#include "ui/DesignLayout.h"
#include "ui/ProgFormContext.h"
#include "ui/platform/ProgramArguments.h"
#include "ui/platform/QtMessageTarget.h"
#include "ui/platform/TCGauge.h"
#include "ui/platform/TStatusBar.h"
#include "ui/platform/WindowMessage.h"
#include "worker/AT89S5xRunnable.h"

// The programmer's window. It owns the link, the current device, the worker that runs the
// long operations and the image loaded from a file; the worker reports back through posted
// window messages, handled here on the window's thread. Lock-bit operations run on this
// thread and hold it for their two seconds.
//
// While the worker runs a request, the controls that could replace the device, use the link
// or change the image are disabled; the port menu stays live and applies to the next opening.
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
  // A request failed on the worker: its text in a box, and the controls back.
  void WMRequestFailed(const WindowMessage& message);
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

  // For those who look on: the objects the window owns.
  const AT89S5X* Device() const { return device.get(); }
  const Buffer* Image() const { return image.get(); }
  const AT89S5xRunnable* Worker() const { return worker.get(); }
  const TSerial& Serial() const { return *serial; }
  SimPortResolver& Resolver() { return resolver; }
  int DevicesCreated() const { return devicesCreated; }
  // How much the design positions were enlarged for the platform's font (1: not at all).
  double LayoutScale() const { return layoutScale; }

 protected:
  bool event(QEvent* event) override;
  // FormClose: stops the worker; the request in progress runs to its end.
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void BuildMenus();
  void BuildPortMenu();
  // "help" / "about isp89": the version, the same as the package's.
  void BuildHelpMenu();
  void LoadRawImage(const std::string& path);
  void LoadHexImage(const std::string& path);
  void RunLockBitOperation();
  // Runs a handler's body; a failure that leaves it is shown in a box.
  template <typename Body>
  void Guarded(Body body);

  Clock& clock;
  std::unique_ptr<UserDialogs> ownDialogs;
  UserDialogs& dialogs;
  ProgramArguments arguments;
  SimPortResolver resolver;
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
};
