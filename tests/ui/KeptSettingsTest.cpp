// What the window keeps from one run to the next, in its settings file.
#include <QDockWidget>
#include <filesystem>

#include "device/AT89S52.h"
#include "ui/UiBench.h"

namespace {

class KeptSettings : public UiBench {
 protected:
  std::string FolderOf(const std::string& path) {
    return std::filesystem::path(path).parent_path().string();
  }
};

// Each choice the user made, then the window closed and opened again as the next run: the
// device, a COM port or a port of the system's list, the options, the folder of the last
// file, the window's place and its log pane.
TEST_F(KeptSettings, TheNextRunStartsAsThisOneWasLeft) {
  SystemPort adapter;
  adapter.name = "/dev/ttyUSB4";
  SetPorts({adapter});
  for (const char* port : {"COM2", "/dev/ttyUSB4"}) {
    Open();
    window->show();
    Item("ItemAT89S52")->trigger();
    emit Find<QMenu>("port1")->aboutToShow();
    for (QAction* item : Find<QMenu>("port1")->actions()) {
      if (item->objectName() == port || item->text() == port) item->trigger();
    }
    Item("itemVerifyAfterWrite")->trigger();
    Item("itemReloadChanged")->trigger();
    Item("itemConfirmErase")->trigger();
    std::filesystem::create_directory(folder.Path() / "firmware");
    const std::string loaded = Load("firmware/blink.bin", Pattern(1));
    window->move(300, 200);
    Item("itemLog")->trigger();
    ASSERT_TRUE(window->close()) << port;

    Reopen();
    EXPECT_NE(dynamic_cast<const AT89S52*>(window->Device()), nullptr) << port;
    EXPECT_TRUE(Item("ItemAT89S52")->isChecked()) << port;
    std::vector<std::string> checked;
    for (QAction* item : Find<QMenu>("port1")->actions()) {
      if (item->isChecked()) checked.push_back(item->text().toStdString());
    }
    EXPECT_EQ(checked, std::vector<std::string>{port == std::string("COM2") ? "COM &2" : port});
    EXPECT_TRUE(Item("itemVerifyAfterWrite")->isChecked()) << port;
    EXPECT_FALSE(Item("itemReloadChanged")->isChecked()) << port;
    EXPECT_FALSE(Item("itemConfirmErase")->isChecked()) << port;
    EXPECT_EQ(window->pos(), QPoint(300, 200)) << port;
    EXPECT_FALSE(Find<QDockWidget>("logDock")->isHidden()) << port;
    Item("itemOpen")->trigger();
    EXPECT_EQ(dialogs.opened.back().folder, FolderOf(loaded)) << port;
  }
  // The read goes to the port kept: the simulated AT89S52 behind COM2.
  Open();
  Item("COM2")->trigger();
  Reopen();
  ASSERT_TRUE(Run("btnReadSig"));
  EXPECT_EQ(Text("Edit2"), "52");
}

// Settings that cannot be stored are not lost without a word.
TEST_F(KeptSettings, AFileThatCannotBeWrittenIsSaidWhenTheWindowCloses) {
  Open();
  window->show();
  std::filesystem::create_directory(SettingsFile());  // a folder where the file should be
  Item("itemVerifyAfterWrite")->trigger();
  ASSERT_TRUE(window->close());
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_NE(dialogs.errors[0].find(SettingsFile()), std::string::npos) << dialogs.errors[0];
}

}  // namespace
