// Draws the window at rest, during a write and after a signature read, on the simulated chip
// behind COM1 and on real time, and saves each picture as a PNG in the folder given.
//   isp89-screenshots OUTPUT_FOLDER
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <cstdlib>

#include "ui/TProgForm.h"
#include "ui/platform/TCGauge.h"

namespace {

bool Save(QWidget& window, const QString& folder, const char* name) {
  QTest::qWait(200);
  QString path = QDir(folder).filePath(name);
  bool saved = window.grab().save(path);
  std::printf("%s %s\n", saved ? "saved" : "could not save", path.toLocal8Bit().constData());
  return saved;
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
  QString image = QDir(folder).filePath("screenshot-image.bin");
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
  ok = QTest::qWaitFor([&] { return window.findChild<QPushButton*>("btnRead")->isEnabled(); },
                       60000) &&
       ok;

  window.findChild<QPushButton*>("btnReadSig")->click();
  ok = QTest::qWaitFor([&] { return window.findChild<QPushButton*>("btnRead")->isEnabled(); },
                       60000) &&
       ok;
  ok = Save(window, folder, "signature.png") && ok;
  QFile::remove(image);
  return ok ? 0 : 1;
}
