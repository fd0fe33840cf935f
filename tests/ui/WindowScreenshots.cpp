// Draws the window at rest, during a write and after a signature read, on the simulated chip
// behind COM1 and on real time, and saves each picture as a PNG in the folder given; then the
// hex view after a verify that found differences, the window with its log, and the window in
// Czech with a port failure's box. On a display that shows popups (a real or virtual X
// server) also the port menu with the system's serial ports and the chip menu, each with the
// window under it. The window's settings go to a scratch file in the folder, removed after.
//   isp89-screenshots OUTPUT_FOLDER
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "sim/SimChip.h"
#include "ui/HexView.h"
#include "ui/TProgForm.h"
#include "ui/WindowLanguage.h"
#include "ui/widgets/TCGauge.h"

namespace {

// Boxes that do not wait for a click: each text is kept, to be drawn on its own.
class KeptDialogs : public UserDialogs {
 public:
  void ShowMessage(const std::string& text) override { shown.push_back(text); }
  void ShowError(const std::string& text) override { shown.push_back(text); }
  bool Ask(const std::string&) override { return false; }
  bool Confirm(const std::string&, bool&) override { return true; }
  bool OpenFile(const std::string&, const std::string&, std::string&) override { return false; }
  bool SaveFile(const std::string&, const std::string&, const std::string&, std::string&) override {
    return false;
  }
  std::vector<std::string> shown;
};

bool Report(bool saved, const QString& path) {
  std::printf("%s %s\n", saved ? "saved" : "could not save", path.toLocal8Bit().constData());
  return saved;
}

bool Save(QWidget& widget, const QString& folder, const char* name) {
  QTest::qWait(200);
  QString path = QDir(folder).filePath(name);
  return Report(widget.grab().save(path), path);
}

// Opens a menu with its mnemonic and highlights one of its items (none for -1), then takes
// the part of the screen that holds the window and the menu.
bool SaveMenu(QWidget& window, const char* menuName, Qt::Key mnemonic, int highlighted,
              const QString& folder, const char* name) {
  auto* menu = window.findChild<QMenu*>(menuName);
  window.activateWindow();
  QTest::qWait(200);
  QTest::keyClick(&window, mnemonic, Qt::AltModifier);
  if (!QTest::qWaitFor([&] { return menu->isVisible(); }, 2000)) return false;
  const QList<QAction*> items = menu->actions();
  if (highlighted >= 0 && highlighted < items.size()) menu->setActiveAction(items[highlighted]);
  QTest::qWait(300);
  QRect area = window.frameGeometry().united(menu->geometry()).adjusted(-8, -8, 8, 8);
  QPixmap shot = window.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
  menu->hide();
  QString path = QDir(folder).filePath(name);
  return Report(!shot.isNull() && shot.save(path), path);
}

// Clicks the button or triggers the menu item, and waits until the operation is over.
bool Run(TProgForm& window, const char* control) {
  if (auto* button = window.findChild<QPushButton*>(control)) {
    button->click();
  } else {
    window.findChild<QAction*>(control)->trigger();
  }
  return QTest::qWaitFor([&] { return !window.Busy(); }, 60000);
}

QString WriteImage(const QString& folder) {
  QString image = QDir(folder).filePath("blink.bin");
  QFile file(image);
  if (!file.open(QIODevice::WriteOnly)) return {};
  for (int i = 0; i < 2048; ++i) file.putChar(static_cast<char>(i * 13));
  return image;
}

ProgFormContext Context(KeptDialogs& dialogs, const QString& folder, const QString& image) {
  ProgFormContext context;
  context.dialogs = &dialogs;
  context.arguments = std::vector<std::string>{"isp89", "-binfile", image.toStdString()};
  context.settingsFile = QDir(folder).filePath("isp89-screenshots.conf").toStdString();
  return context;
}

// At rest, writing, after a signature read; then the chip changed in three bytes and
// verified: the hex view at the first difference, and the window with its log.
bool EnglishWindow(const QString& folder, const QString& image) {
  KeptDialogs dialogs;
  TProgForm window(Context(dialogs, folder, image));
  window.show();
  bool ok = Save(window, folder, "rest.png");
  auto* gauge = window.findChild<TCGauge*>("CGauge1");
  window.findChild<QPushButton*>("btnProgram")->click();
  ok = QTest::qWaitFor([&] { return gauge->Progress() >= 40; }, 60000) && ok;
  ok = Save(window, folder, "writing.png") && ok;
  ok = QTest::qWaitFor([&] { return !window.Busy(); }, 60000) && ok;
  ok = Run(window, "btnReadSig") && ok;
  ok = Save(window, folder, "signature.png") && ok;

  std::shared_ptr<SimChip> chip = window.Resolver().SimChipFor("sim");
  std::vector<uint8_t> flash = chip->Flash();
  for (size_t address : {0x0123, 0x0124, 0x0400}) flash[address] ^= 0x5A;
  chip->SetFlash(flash);
  ok = Run(window, "itemVerify") && ok;
  auto* hexDock = window.findChild<QDockWidget*>("hexDock");
  ok = Save(*hexDock, folder, "hex-view.png") && ok;
  hexDock->hide();
  window.findChild<QAction*>("itemLog")->trigger();
  ok = Save(window, folder, "log.png") && ok;

  if (QGuiApplication::platformName() == "xcb") {
    window.findChild<QAction*>("itemLog")->trigger();
    // The system's ports follow the eight COM items and a separator.
    ok = SaveMenu(window, "port1", Qt::Key_P, -1, folder, "port-menu.png") && ok;
    ok = SaveMenu(window, "itemChip", Qt::Key_C, 0, folder, "chip-menu.png") && ok;
  }
  return ok;
}

// Under a Czech locale: a signature read, then a read on a port that cannot be opened, with
// the log open; and the box that says so.
bool CzechWindow(const QString& folder, const QString& image) {
  WindowLanguage czech{QLocale(QLocale::Czech, QLocale::CzechRepublic)};
  if (!czech.Translated()) return Report(false, "the Czech translation");
  KeptDialogs dialogs;
  TProgForm window(Context(dialogs, folder, image));
  window.show();
  window.findChild<QAction*>("itemLog")->trigger();
  bool ok = Run(window, "btnReadSig");
  window.findChild<QAction*>("COM3")->trigger();
  ok = Run(window, "btnRead") && ok;
  ok = Save(window, folder, "window-cs.png") && ok;
  if (dialogs.shown.empty()) return Report(false, "the Czech port failure");
  QMessageBox box(QMessageBox::Critical, "isp89", QString::fromStdString(dialogs.shown.back()),
                  QMessageBox::Ok, &window);
  box.show();
  return Save(box, folder, "window-cs-error.png") && ok;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  setenv("ISP89_COM1", "sim", 1);
  setenv("ISP89_COM3", "/dev/ttyUSB7", 1);
  QApplication application(argc, argv);
  application.setApplicationName("isp89");
  QString folder = QString::fromLocal8Bit(argv[1]);
  QString image = WriteImage(folder);
  if (image.isEmpty()) return 1;
  bool ok;
  {
    WindowLanguage english{QLocale(QLocale::English, QLocale::UnitedStates)};
    ok = EnglishWindow(folder, image);
  }
  ok = CzechWindow(folder, image) && ok;
  QFile::remove(image);
  QFile::remove(QDir(folder).filePath("isp89-screenshots.conf"));
  return ok ? 0 : 1;
}
