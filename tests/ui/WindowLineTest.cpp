// The window on isp89-sim --pace through a pseudo-terminal, as on a real adapter at 4800 baud
// (2.083 ms a byte each way, the adapter's buffer, answers arriving after their bytes): a
// write with verify and a whole read, each checked on the flash the simulator holds. The
// benchmark times them closely; here only the order of magnitude is checked, so that a window
// that never reached the line, or waited far too long on it, shows.
#include <gtest/gtest.h>

#include <QAction>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/ScratchFolder.h"
#include "ui/ScriptedDialogs.h"
#include "ui/TProgForm.h"

namespace {

std::vector<uint8_t> Pattern(uint32_t dataBytes) {
  std::vector<uint8_t> bytes(8192, 0xFF);
  for (uint32_t i = 0; i < dataBytes; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 3);
  return bytes;
}

class WindowOnTheLine : public ::testing::Test {
 protected:
  // isp89-sim with an AT89S52 on a pseudo-terminal, keeping its flash in kept.bin; the
  // window's COM1 on that terminal and the AT89S52 chosen in the device menu.
  void Start(std::vector<std::string> simOptions) {
    simOptions.insert(simOptions.begin(),
                      {ISP89_SIM_PATH, "--pace", "--chip", "AT89S52", "--keep", "kept.bin"});
    sim = std::make_unique<ChildProcess>(simOptions);
    const std::string port = sim->ReadLine(std::chrono::seconds(5));
    ASSERT_FALSE(port.empty()) << "isp89-sim printed no port";
    setenv("ISP89_COM1", port.c_str(), 1);
    ProgFormContext context;
    context.dialogs = &dialogs;
    context.ports = [] { return std::vector<SystemPort>{}; };
    context.arguments = std::vector<std::string>{"isp89"};
    context.settingsFile = (folder.Path() / "isp89.conf").string();
    window = std::make_unique<TProgForm>(context);
    Item("ItemAT89S52")->trigger();
  }

  QAction* Item(const char* name) const { return window->findChild<QAction*>(name); }
  void Choose(const char* item, const std::string& path) {
    dialogs.WillChoose(path);
    Item(item)->trigger();
  }

  // Clicks the button and lets the window run until the operation is over: the seconds it
  // took.
  double Click(const char* button) {
    const auto start = std::chrono::steady_clock::now();
    window->findChild<QPushButton*>(button)->click();
    EXPECT_TRUE(window->Busy()) << button << " started nothing";
    EXPECT_TRUE(QTest::qWaitFor([this] { return !window->Busy(); }, 60000));
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }

  // Stops the simulator, which saves its flash to kept.bin on its way out.
  std::vector<uint8_t> FlashKept() {
    sim->Signal(SIGTERM);
    EXPECT_EQ(0, sim->Wait()) << sim->Err();
    return ScratchFolder::Read("kept.bin");
  }

  ScratchFolder folder;
  ScriptedDialogs dialogs;
  std::unique_ptr<ChildProcess> sim;
  std::unique_ptr<TProgForm> window;  // last: gone before the simulator and the dialogs
};

// 8 pages written and 8 read back: 12.5 s at the least.
TEST_F(WindowOnTheLine, WritesAProgramWithVerifyOntoTheChip) {
  ASSERT_NO_FATAL_FAILURE(Start({}));
  ScratchFolder::Write("program.bin", Pattern(2048));
  Choose("itemOpen", (folder.Path() / "program.bin").string());
  Item("itemVerifyAfterWrite")->trigger();
  ASSERT_TRUE(Item("itemVerifyAfterWrite")->isChecked());
  const double seconds = Click("btnProgram");
  EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front();
  EXPECT_GT(seconds, 8.0);
  EXPECT_LT(seconds, 30.0);
  EXPECT_EQ(Pattern(2048), FlashKept());
}

// 32 pages streamed: 19.1 s at the least.
TEST_F(WindowOnTheLine, ReadsTheWholeFlashAndSavesIt) {
  ScratchFolder::Write("flash.bin", Pattern(8192));
  ASSERT_NO_FATAL_FAILURE(Start({"--flash", "flash.bin"}));
  const double seconds = Click("btnRead");
  EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front();
  EXPECT_GT(seconds, 15.0);
  EXPECT_LT(seconds, 40.0);
  Choose("itemSave", (folder.Path() / "read.bin").string());
  EXPECT_EQ(FlashKept(), ScratchFolder::Read("read.bin"));
  EXPECT_EQ(Pattern(8192), ScratchFolder::Read("read.bin"));
}

}  // namespace
