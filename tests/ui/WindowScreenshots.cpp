// Draws the window at rest, during a write and after a signature read, on the simulated chip
// behind COM1 and on real time, and saves each picture as a PNG in the folder given; then,
// on a display that shows popups (a real or virtual X server), the port menu with the
// system's serial ports and the chip menu, each with the window under it.
//   isp89-screenshots OUTPUT_FOLDER
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <cstdio>
#include <cstdlib>

#include "ui/TProgForm.h"
#include "ui/widgets/TCGauge.h"

namespace {

bool Report(bool saved, const QString& path) {
  std::printf("%s %s\n", saved ? "saved" : "could not save", path.toLocal8Bit().constData());
  return saved;
}

bool Save(QWidget& window, const QString& folder, const char* name) {
  QTest::qWait(200);
  QString path = QDir(folder).filePath(name);
  return Report(window.grab().save(path), path);
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

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  setenv("ISP89_COM1", "sim", 1);
  QApplication application(argc, argv);
  QString folder = QString::fromLocal8Bit(argv[1]);
  QString image = QDir(folder).filePath("blink.bin");
  {
    QFile file(image);
    if (!file.open(QIODevice::WriteOnly)) return 1;
    for (int i = 0; i < 8192; ++i) file.putChar(static_cast<char>(i * 13));
  }
  ProgFormContext context;
  context.arguments = std::vector<std::string>{"isp89", "-binfile", image.toStdString()};
  TProgForm window(context);
  window.show();
  bool ok = Save(window, folder, "rest.png");

  auto* gauge = window.findChild<TCGauge*>("CGauge1");
  window.findChild<QPushButton*>("btnProgram")->click();
  ok = QTest::qWaitFor([&] { return gauge->Progress() >= 40; }, 60000) && ok;
  ok = Save(window, folder, "writing.png") && ok;
  ok = QTest::qWaitFor([&] { return !window.Busy(); }, 60000) && ok;

  window.findChild<QPushButton*>("btnReadSig")->click();
  ok = QTest::qWaitFor([&] { return !window.Busy(); }, 60000) && ok;
  ok = Save(window, folder, "signature.png") && ok;

  if (QGuiApplication::platformName() == "xcb") {
    // The system's ports follow the eight COM items and a separator.
    ok = SaveMenu(window, "port1", Qt::Key_P, -1, folder, "port-menu.png") && ok;
    ok = SaveMenu(window, "itemChip", Qt::Key_C, 0, folder, "chip-menu.png") && ok;
  }
  QFile::remove(image);
  return ok ? 0 : 1;
}
