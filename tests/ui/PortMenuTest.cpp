#include <QMenuBar>

#include "ui/UiBench.h"
#include "ui/widgets/QtSerialPorts.h"

namespace {

class PortMenu : public UiBench {
 protected:
  // The port menu as it shows when opened: the items below the separator, "*" if checked.
  std::vector<std::string> SystemItems() {
    emit Find<QMenu>("port1")->aboutToShow();
    std::vector<std::string> captions;
    const QList<QAction*> items = Find<QMenu>("port1")->actions();
    for (qsizetype i = 9; i < items.size(); ++i) {
      captions.push_back(items[i]->text().toStdString() + (items[i]->isChecked() ? " *" : ""));
    }
    return captions;
  }
  void Choose(const std::string& caption) {
    for (QAction* item : Find<QMenu>("port1")->actions()) {
      if (item->text().toStdString() == caption) return item->trigger();
    }
    ADD_FAILURE() << caption;
  }
};

SystemPort Port(const char* name, const char* manufacturer, const char* product,
                const char* description = "") {
  SystemPort port;
  port.name = name;
  port.manufacturer = manufacturer;
  port.product = product;
  port.description = description;
  return port;
}

TEST(SystemPortCaption, NamesThePathThenTheMakerAndTheProductOnce) {
  for (auto [port, caption] : {
           std::pair{Port("/dev/ttyUSB0", "FTDI", "FT232R USB UART"),
                     "/dev/ttyUSB0 - FTDI FT232R USB UART"},
           std::pair{Port("/dev/ttyUSB1", "Prolific", "Prolific USB-Serial"),
                     "/dev/ttyUSB1 - Prolific USB-Serial"},
           std::pair{Port("/dev/ttyACM0", "", "", "USB Serial"), "/dev/ttyACM0 - USB Serial"},
           std::pair{Port("/dev/ttyS0", "", ""), "/dev/ttyS0"},
       }) {
    EXPECT_EQ(QtSerialPorts::Caption(port), caption);
  }
}

// Listed below the COM items, anew at each opening; a chosen one is what the link opens, and
// a failure there names it. A chosen port the system no longer lists stays chosen.
TEST_F(PortMenu, TheSystemsPortsAreListedAtEachOpeningAndAChosenOneIsOpened) {
  SetPorts({Port("sim:AT89S52", "isp89", "simulated"), Port("/nonexistent/ttyUSB9", "", "")});
  Open();
  EXPECT_EQ(SystemItems(),
            (std::vector<std::string>{"sim:AT89S52 - isp89 simulated", "/nonexistent/ttyUSB9"}));
  Choose("sim:AT89S52 - isp89 simulated");
  EXPECT_FALSE(Item("COM1")->isChecked());
  ASSERT_TRUE(Run("btnReadSig"));
  EXPECT_EQ(Text("Edit2"), "52");
  EXPECT_TRUE(Chip("sim:AT89S51")->Events().empty());

  Choose("/nonexistent/ttyUSB9");
  ASSERT_TRUE(Run("btnReadSig"));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_NE(dialogs.messages[0].find("Serial port /nonexistent/ttyUSB9 cannot be opened"),
            std::string::npos)
      << dialogs.messages[0];

  SetPorts({});
  EXPECT_EQ(SystemItems(), std::vector<std::string>{"/nonexistent/ttyUSB9 (not found) *"});
  EXPECT_EQ(PortsAsked(), 3);  // at construction and at each opening
  Item("COM1")->trigger();
  EXPECT_EQ(SystemItems(), std::vector<std::string>{"no serial port found"});
  ASSERT_TRUE(Run("btnReadSig"));
  EXPECT_EQ(Text("Edit2"), "51");
}

TEST_F(PortMenu, AltKeysOpenTheMenusAndCtrlOAndCtrlSOpenAndSave) {
  Open();
  window->show();
  for (auto [key, menu] : {std::pair{Qt::Key_F, "itemFile"}, std::pair{Qt::Key_D, "itemDevice"},
                           std::pair{Qt::Key_P, "port1"}, std::pair{Qt::Key_C, "itemChip"}}) {
    window->activateWindow();  // the offscreen platform leaves the last menu active
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), key, Qt::AltModifier);
    EXPECT_TRUE(Until([&] { return Find<QMenu>(menu)->isVisible(); })) << menu;
    Find<QMenu>(menu)->hide();
  }
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  dialogs.WillChoose(WriteFile("keyed.bin", {7, 8, 9}));
  QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier);
  ASSERT_NE(window->Image(), nullptr);
  ASSERT_TRUE(Run("btnRead"));
  std::string saved = (folder.Path() / "keyed-save.bin").string();
  dialogs.WillChoose(saved);
  QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(ScratchFolder::Read(saved).size(), 8192u);
}

}  // namespace
