#include <QApplication>
#include <QMenuBar>

#include "ui/UiBench.h"

namespace {

class PortMenu : public UiBench {
 protected:
  QMenu* Ports() const { return Find<QMenu>("port1"); }
  // The port menu as it shows when opened: the items below the separator.
  std::vector<std::string> SystemItems() {
    emit Ports()->aboutToShow();
    std::vector<std::string> captions;
    const QList<QAction*> items = Ports()->actions();
    for (qsizetype i = 9; i < items.size(); ++i) {
      captions.push_back(items[i]->text().toStdString() + (items[i]->isChecked() ? " *" : ""));
    }
    return captions;
  }
  QAction* SystemItem(const std::string& caption) {
    for (QAction* item : Ports()->actions()) {
      if (item->text().toStdString() == caption) return item;
    }
    ADD_FAILURE() << caption;
    return nullptr;
  }
};

TEST(SystemPortCaption, NamesThePathThenTheMakerAndTheProductOnce) {
  struct Case {
    SystemPortList::Port port;
    const char* caption;
  };
  for (const Case& c : {
           Case{{"/dev/ttyUSB0", "FTDI", "FT232R USB UART", ""},
                "/dev/ttyUSB0 - FTDI FT232R USB UART"},
           Case{{"/dev/ttyUSB1", "Prolific", "Prolific USB-Serial Controller", ""},
                "/dev/ttyUSB1 - Prolific USB-Serial Controller"},
           Case{{"/dev/ttyACM0", "", "USB Serial", ""}, "/dev/ttyACM0 - USB Serial"},
           Case{{"/dev/ttyS4", "Intel", "", ""}, "/dev/ttyS4 - Intel"},
           Case{{"/dev/ttyS0", "", "", ""}, "/dev/ttyS0"},
       }) {
    EXPECT_EQ(SystemPortList::Caption(c.port), c.caption);
  }
}

// Listed below the COM items, anew at each opening; a chosen one is what the link opens.
TEST_F(PortMenu, TheSystemsPortsAreListedAtEachOpeningAndAChosenOneIsOpened) {
  ports.ports = {{"sim:AT89S52", "isp89", "simulated adapter", "no serial number"}};
  Open();
  EXPECT_EQ(SystemItems(), std::vector<std::string>{"sim:AT89S52 - isp89 simulated adapter"});
  QAction* simulated = SystemItem("sim:AT89S52 - isp89 simulated adapter");
  EXPECT_EQ(simulated->statusTip().toStdString(), "sim:AT89S52: no serial number");
  simulated->trigger();
  EXPECT_TRUE(simulated->isChecked());
  EXPECT_FALSE(Item("COM1")->isChecked());
  EXPECT_EQ(window->SystemPort(), "sim:AT89S52");
  Button("btnReadSig")->click();
  ASSERT_TRUE(Until([&] { return Idle(); }));
  EXPECT_EQ(Text("Edit2"), "52");
  EXPECT_TRUE(Chip("sim:AT89S51")->Events().empty());

  // Pulled out: still chosen and checked, and said to be missing.
  ports.ports = {{"/dev/ttyUSB3", "FTDI", "FT232R USB UART", ""}};
  EXPECT_EQ(SystemItems(), (std::vector<std::string>{"/dev/ttyUSB3 - FTDI FT232R USB UART",
                                                     "sim:AT89S52 (not found) *"}));
  EXPECT_EQ(ports.asked, 3);  // at construction and at each opening

  Item("COM1")->trigger();
  EXPECT_EQ(window->SystemPort(), "");
  EXPECT_EQ(SystemItems(), std::vector<std::string>{"/dev/ttyUSB3 - FTDI FT232R USB UART"});
  Button("btnReadSig")->click();
  ASSERT_TRUE(Until([&] { return Idle(); }));
  EXPECT_EQ(Text("Edit2"), "51");

  ports.ports.clear();
  EXPECT_EQ(SystemItems(), std::vector<std::string>{"no serial port found"});
}

TEST_F(PortMenu, AFailureOnAChosenPortSaysWhichDeviceTheLinkUsed) {
  ports.ports = {{"/nonexistent/ttyUSB9", "", "", ""}};
  Open();
  SystemItems();
  SystemItem("/nonexistent/ttyUSB9")->trigger();
  Button("btnRead")->click();
  ASSERT_TRUE(Until([&] { return Idle(); }));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_NE(dialogs.messages[0].find("/nonexistent/ttyUSB9"), std::string::npos);
  EXPECT_NE(dialogs.messages[0].find("(the link uses /nonexistent/ttyUSB9, chosen in the port "
                                     "menu)"),
            std::string::npos)
      << dialogs.messages[0];
}

TEST_F(PortMenu, KeysOpenTheMenusAndCtrlOAndCtrlSOpenAndSave) {
  Open();
  window->show();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  for (auto [key, menu] : {std::pair{Qt::Key_F, "itemFile"}, std::pair{Qt::Key_D, "itemDevice"},
                           std::pair{Qt::Key_P, "port1"}, std::pair{Qt::Key_C, "itemChip"}}) {
    QTest::keyClick(window.get(), key, Qt::AltModifier);
    EXPECT_TRUE(Until([&] { return Find<QMenu>(menu)->isVisible(); })) << menu;
    QTest::keyClick(Find<QMenu>(menu), Qt::Key_Escape);
    QTest::keyClick(window->menuBar(), Qt::Key_Escape);
    EXPECT_TRUE(Until([&] { return !Find<QMenu>(menu)->isVisible(); })) << menu;
  }
  window->activateWindow();  // the offscreen platform leaves the last menu active
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  std::string path = WriteFile("keyed.bin", {7, 8, 9});
  dialogs.WillChoose(path);
  QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier);
  ASSERT_NE(window->Image(), nullptr);
  EXPECT_EQ((*window->Image())[2], 9);

  Button("btnRead")->click();
  ASSERT_TRUE(Until([&] { return Idle(); }));
  std::string saved = (folder.Path() / "keyed-save.bin").string();
  dialogs.WillChoose(saved);
  ASSERT_TRUE(Item("itemSave")->isEnabled());
  QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(dialogs.saved.size(), 1u) << Note();
  EXPECT_EQ(ScratchFolder::Read(saved).size(), 8192u);
}

}  // namespace
