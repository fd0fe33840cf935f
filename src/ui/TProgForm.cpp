#include "ui/TProgForm.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QPalette>

#include "device/ChipCatalog.h"
#include "platform/SystemClock.h"
#include "ui/widgets/Formatting.h"
#include "ui/widgets/QtDialogs.h"
#include "ui/widgets/QtSerialPorts.h"

namespace {

constexpr int kClientWidth = 682;
constexpr int kClientHeight = 430;  // below the menu bar, the status bar included
constexpr int kStatusBarHeight = 19;

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

// A read-only field on the button face, as the signature bytes are shown.
QLineEdit* SignatureEdit(QWidget* parent, const char* name) {
  auto* edit = Named(new QLineEdit("-", parent), name);
  edit->setReadOnly(true);
  edit->setEnabled(false);
  QPalette palette = edit->palette();
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, QPalette::Base, palette.color(group, QPalette::Button));
  }
  // Disabled only so that nobody types into it: the bytes stay as legible as any text.
  palette.setColor(QPalette::Disabled, QPalette::Text,
                   palette.color(QPalette::Active, QPalette::Text));
  edit->setPalette(palette);
  return edit;
}

// A label that names the field on its right, its text centred on the field's line.
QLabel* RowLabel(QWidget* parent, const char* name, const char* caption) {
  auto* label = Named(new QLabel(caption, parent), name);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  return label;
}

QCheckBox* LockBitBox(QWidget* parent, const char* name, const QString& caption, bool enabled) {
  auto* box = Named(new QCheckBox(caption, parent), name);
  box->setEnabled(enabled);
  return box;
}

}  // namespace

TProgForm::TProgForm(QWidget* owner) : TProgForm(ProgFormContext{}, owner) {}

TProgForm::TProgForm(const ProgFormContext& context, QWidget* owner)
    : QMainWindow(owner),
      clock(context.clock ? *context.clock : SystemClock::Instance()),
      ownDialogs(context.dialogs ? nullptr : new QtDialogs(this)),
      dialogs(context.dialogs ? *context.dialogs : *ownDialogs),
      arguments(context.arguments ? ProgramArguments(*context.arguments)
                                  : ProgramArguments::FromProcess()),
      resolver(clock,
               context.ports ? context.ports : PortResolver::PortLister(&QtSerialPorts::List)),
      settings(context.settingsFile),
      recent(settings.RecentFiles()) {
  BuildControls();
  BuildMenus();
  serial = std::make_unique<TSerial>(1, portOpener);
  SelectDevice(settings.Device());
  ItemAT89S51->setData(1);
  ItemAT89S52->setData(2);
  image.reset();
  BuildPortMenu();
  BuildViewMenu();
  BuildHelpMenu();
  RestoreSettings();
  ParseCommandLine();
}

// The worker goes first and returns only once its thread has ended, so nothing runs on the
// device, the link or the image when they go. A transfer still running is ended at its next
// page: nobody is left to see it.
TProgForm::~TProgForm() {
  if (device) device->RequestStop();
  worker.reset();
  device.reset();
  serial.reset();
  image.reset();
}

void TProgForm::BuildControls() {
  setObjectName("ProgForm");
  setWindowTitle("isp89");
  setAcceptDrops(true);
  move(234, 147);

  auto* client = Named(new QWidget(this), "client");
  setCentralWidget(client);

  Panel1 = Named(new QFrame(client), "Panel1");
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Panel1->setAccessibleName("Panel1");
  design.Place(Panel1, 8, 8, 385, 273);
  btnProgram = Named(new QPushButton(tr("&Write"), Panel1), "btnProgram");
  design.Place(btnProgram, 24, 16, 75, 25);
  btnRead = Named(new QPushButton(tr("&Read"), Panel1), "btnRead");
  design.Place(btnRead, 24, 48, 75, 25);
  btnReadSig = Named(new QPushButton(tr("Read &Signature Bytes"), Panel1), "btnReadSig");
  design.Place(btnReadSig, 24, 80, 113, 25);
  btnLockBits = Named(new QPushButton(tr("Read &Lock Bits"), Panel1), "btnLockBits");
  design.Place(btnLockBits, 24, 120, 113, 25);
  Button1 = Named(new QPushButton(tr("&Test"), Panel1), "Button1");
  design.Place(Button1, 24, 216, 75, 25);

  GroupBox1 = Named(new QGroupBox(tr("Signature"), Panel1), "GroupBox1");
  design.Place(GroupBox1, 152, 16, 185, 105);
  Label1 = RowLabel(GroupBox1, "Label1", "0x000H");
  design.PlaceAtPoint(Label1, 40, 16, 21, 48);
  Edit1 = SignatureEdit(GroupBox1, "Edit1");
  design.Place(Edit1, 88, 16, 57, 21);
  Label2 = RowLabel(GroupBox1, "Label2", "0x100H");
  design.PlaceAtPoint(Label2, 40, 48, 21, 48);
  Edit2 = SignatureEdit(GroupBox1, "Edit2");
  design.Place(Edit2, 88, 48, 57, 21);
  Label3 = RowLabel(GroupBox1, "Label3", "0x200H");
  design.PlaceAtPoint(Label3, 40, 80, 21, 48);
  Edit3 = SignatureEdit(GroupBox1, "Edit3");
  design.Place(Edit3, 88, 76, 57, 21);

  GroupBox2 = Named(new QGroupBox(tr("Lock Bits"), Panel1), "GroupBox2");
  design.Place(GroupBox2, 152, 128, 185, 105);
  CheckBox1 = LockBitBox(GroupBox2, "CheckBox1", tr("LB&1"), false);
  design.Place(CheckBox1, 8, 24, 97, 17);
  CheckBox2 = LockBitBox(GroupBox2, "CheckBox2", tr("LB&2"), false);
  design.Place(CheckBox2, 8, 48, 97, 17);
  CheckBox3 = LockBitBox(GroupBox2, "CheckBox3", tr("LB&3"), false);
  design.Place(CheckBox3, 8, 72, 97, 17);
  cbRwLockBits = LockBitBox(GroupBox2, "cbRwLockBits", tr("Writ&e"), true);
  design.Place(cbRwLockBits, 64, 24, 97, 17);

  CGauge1 = Named(new TCGauge(client), "CGauge1");
  design.Place(CGauge1, 8, 376, 665, 33);
  StatusBar = Named(new TStatusBar(this), "StatusBar");
  setStatusBar(StatusBar);
  imageField = Named(new QLabel(StatusBar), "imageField");
  StatusBar->addPermanentWidget(imageField);

  layoutScale = design.NeededScale();
  design.Apply(layoutScale);
  client->setFixedSize(DesignLayout::Scaled(kClientWidth, layoutScale),
                       DesignLayout::Scaled(kClientHeight - kStatusBarHeight, layoutScale));
  StatusBar->setFixedHeight(DesignLayout::Scaled(kStatusBarHeight, layoutScale));

  connect(btnProgram, &QPushButton::clicked, this, [this] { btnProgramClick(btnProgram); });
  connect(btnRead, &QPushButton::clicked, this, [this] { btnReadClick(btnRead); });
  connect(btnReadSig, &QPushButton::clicked, this, [this] { btnReadSigClick(btnReadSig); });
  connect(btnLockBits, &QPushButton::clicked, this, [this] { btnLockBitsClick(btnLockBits); });
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(Button1); });
  connect(cbRwLockBits, &QCheckBox::clicked, this, [this] { cbRwLockBitsClick(cbRwLockBits); });
  // A box that shows an unknown state takes a plain tick or none once the user clicks it.
  for (QCheckBox* box : {CheckBox1, CheckBox2, CheckBox3}) {
    connect(box, &QCheckBox::clicked, box, [box] { box->setTristate(false); });
  }
}

void TProgForm::BuildMenus() {
  QMenuBar* MainMenu1 = menuBar();
  MainMenu1->setObjectName("MainMenu1");
  // The bar stays inside the window on every platform, so the client area below it keeps
  // its height.
  MainMenu1->setNativeMenuBar(false);

  // Every caption carries a mnemonic (Alt+F, Alt+D, ...; in a menu its letter alone).
  BuildFileMenu();
  itemDevice = MainMenu1->addMenu(tr("&device"));
  itemDevice->setObjectName("itemDevice");
  ItemAT89S51 = itemDevice->addAction(tr("AT89S5&1"));
  ItemAT89S51->setObjectName("ItemAT89S51");
  ItemAT89S52 = itemDevice->addAction(tr("AT89S5&2"));
  ItemAT89S52->setObjectName("ItemAT89S52");
  for (QAction* item : {ItemAT89S51, ItemAT89S52}) {
    item->setCheckable(true);
    connect(item, &QAction::triggered, this, [this, item] { DeviceSelectClick(item); });
  }

  port1 = MainMenu1->addMenu(tr("&port"));
  port1->setObjectName("port1");
  BuildChipMenu();
  resize(DesignLayout::Scaled(kClientWidth, layoutScale),
         MainMenu1->sizeHint().height() + DesignLayout::Scaled(kClientHeight, layoutScale));
}

// A new device object every time, also for the type already selected. The worker moves to it
// once no operation runs on the old one, and only then does the old one go.
void TProgForm::SelectDevice(int type) {
  if (itemCurrentDevice) itemCurrentDevice->setChecked(false);
  const bool second = type == 2;
  std::unique_ptr<AT89S5X> replacement =
      ChipCatalog::Chips()[second ? 1 : 0].create(serial.get(), clock);
  itemCurrentDevice = second ? ItemAT89S52 : ItemAT89S51;
  itemCurrentDevice->setChecked(true);
  if (!worker) {
    worker = std::make_unique<AT89S5xRunnable>(replacement.get(), &messageTarget);
  } else {
    worker->SetDevice(replacement.get());
  }
  device = std::move(replacement);
  ++devicesCreated;
}

// Verify, erase and blank check run on the worker like the other transfers.
void TProgForm::BuildChipMenu() {
  itemChip = menuBar()->addMenu(tr("&chip"));
  itemChip->setObjectName("itemChip");
  itemVerify = itemChip->addAction(tr("&Verify"));
  itemVerify->setObjectName("itemVerify");
  itemErase = itemChip->addAction(tr("&Erase"));
  itemErase->setObjectName("itemErase");
  itemBlankCheck = itemChip->addAction(tr("&Blank check"));
  itemBlankCheck->setObjectName("itemBlankCheck");
  itemChip->addSeparator();
  itemVerifyAfterWrite = itemChip->addAction(tr("Verify after &write"));
  itemVerifyAfterWrite->setObjectName("itemVerifyAfterWrite");
  itemVerifyAfterWrite->setCheckable(true);
  itemConfirmErase = itemChip->addAction(tr("&Ask before Erase"));
  itemConfirmErase->setObjectName("itemConfirmErase");
  itemConfirmErase->setCheckable(true);
  connect(itemVerify, &QAction::triggered, this, [this] { itemVerifyClick(itemVerify); });
  connect(itemErase, &QAction::triggered, this, [this] { itemEraseClick(itemErase); });
  connect(itemBlankCheck, &QAction::triggered, this,
          [this] { itemBlankCheckClick(itemBlankCheck); });
  connect(itemVerifyAfterWrite, &QAction::toggled, this,
          [this](bool on) { settings.SetVerifyAfterWrite(on); });
  connect(itemConfirmErase, &QAction::toggled, this,
          [this](bool on) { settings.SetConfirmErase(on); });
}

void TProgForm::EnableControls(bool on) {
  itemFile->menuAction()->setEnabled(on);
  itemDevice->menuAction()->setEnabled(on);
  port1->menuAction()->setEnabled(on);
  btnProgram->setEnabled(on);
  btnRead->setEnabled(on);
  btnReadSig->setEnabled(on);
  btnLockBits->setEnabled(on);
  itemChip->menuAction()->setEnabled(on);
}

void TProgForm::ShowSignature(int32_t s) {
  Edit1->setText(QString::fromStdString(IntToHex(s & 0xFF, 2)));
  Edit2->setText(QString::fromStdString(IntToHex((s >> 8) & 0xFF, 2)));
  Edit3->setText(QString::fromStdString(IntToHex((s >> 16) & 0xFF, 2)));
}

bool TProgForm::event(QEvent* event) {
  WindowMessage::Receive();
  if (event->type() != WindowMessage::EventType()) return QMainWindow::event(event);
  const auto& message = static_cast<const WindowMessage&>(*event);
  switch (message.Number()) {
    case AT89S5xRunnable::WM_PROGRESS:
      WMProgress(message);
      return true;
    case AT89S5xRunnable::WM_REQUEST_DONE:
      WMRequestDone(message);
      return true;
    default:
      return QMainWindow::event(event);
  }
}
