#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QStatusTipEvent>

#include "device/AT89S51.h"
#include "device/AT89S52.h"
#include "ui/UiBench.h"
#include "ui/widgets/TCGauge.h"
#include "ui/widgets/TStatusBar.h"

namespace {

class Startup : public UiBench {
 protected:
  bool IsAT89S52() const { return dynamic_cast<const AT89S52*>(window->Device()) != nullptr; }
  bool IsAT89S51() const { return dynamic_cast<const AT89S51*>(window->Device()) != nullptr; }
  std::string StatusText() const { return Find<TStatusBar>("StatusBar")->SimpleText(); }
  QRect Design(int left, int top, int width, int height) const {
    double s = window->LayoutScale();
    return QRect(DesignLayout::Scaled(left, s), DesignLayout::Scaled(top, s),
                 DesignLayout::Scaled(width, s), DesignLayout::Scaled(height, s));
  }
};

TEST_F(Startup, EveryControlStartsWithItsCaptionStateAndPlace) {
  Open();
  EXPECT_EQ(window->windowTitle().toStdString(), "isp89");
  EXPECT_EQ(window->objectName().toStdString(), "ProgForm");
  struct Expected {
    const char* name;
    const char* caption;
    bool enabled;
    QRect place;
  };
  for (const Expected& control :
       std::vector<Expected>{{"btnProgram", "&Write", true, Design(24, 16, 75, 25)},
                             {"btnRead", "&Read", true, Design(24, 48, 75, 25)},
                             {"btnReadSig", "Read &Signature Bytes", true, Design(24, 80, 113, 25)},
                             {"btnLockBits", "Read &Lock Bits", true, Design(24, 120, 113, 25)},
                             {"Button1", "&Test", true, Design(24, 216, 75, 25)},
                             {"CheckBox1", "LB&1", false, Design(8, 24, 97, 17)},
                             {"CheckBox2", "LB&2", false, Design(8, 48, 97, 17)},
                             {"CheckBox3", "LB&3", false, Design(8, 72, 97, 17)},
                             {"cbRwLockBits", "Writ&e", true, Design(64, 24, 97, 17)}}) {
    auto* button = Find<QAbstractButton>(control.name);
    EXPECT_EQ(button->text().toStdString(), control.caption) << control.name;
    EXPECT_EQ(button->isEnabled(), control.enabled) << control.name;
    EXPECT_FALSE(button->isChecked()) << control.name;
    EXPECT_EQ(button->geometry(), control.place) << control.name;
    // The platform's font must fit: no caption is cut (the & only underlines its letter).
    EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text().remove('&')) + 12,
              button->width())
        << control.name;
  }
  for (auto [name, place] :
       {std::pair{"Edit1", Design(88, 16, 57, 21)}, std::pair{"Edit2", Design(88, 48, 57, 21)},
        std::pair{"Edit3", Design(88, 76, 57, 21)}}) {
    auto* edit = Find<QLineEdit>(name);
    EXPECT_EQ(edit->text().toStdString(), "-") << name;
    EXPECT_FALSE(edit->isEnabled()) << name;
    EXPECT_EQ(edit->geometry(), place) << name;
  }
  EXPECT_EQ(Find<QGroupBox>("GroupBox1")->title().toStdString(), "Signature");
  EXPECT_EQ(Find<QGroupBox>("GroupBox1")->geometry(), Design(152, 16, 185, 105));
  EXPECT_EQ(Find<QGroupBox>("GroupBox2")->title().toStdString(), "Lock Bits");
  EXPECT_EQ(Find<QGroupBox>("GroupBox2")->geometry(), Design(152, 128, 185, 105));
  EXPECT_EQ(Find<QWidget>("Panel1")->geometry(), Design(8, 8, 385, 273));
  EXPECT_EQ(Find<QLabel>("Label1")->text().toStdString(), "0x000H");
  EXPECT_EQ(Find<QLabel>("Label2")->pos(), Design(40, 48, 0, 0).topLeft());
  EXPECT_EQ(Find<QLabel>("Label3")->text().toStdString(), "0x200H");
  auto* gauge = Find<TCGauge>("CGauge1");
  EXPECT_EQ(gauge->Progress(), 0);
  EXPECT_EQ(gauge->minimum(), 0);
  EXPECT_EQ(gauge->maximum(), 100);
  EXPECT_EQ(gauge->geometry(), Design(8, 376, 665, 33));
  EXPECT_EQ(StatusText(), "");
  // The client area keeps the design's size below the menu bar.
  double s = window->LayoutScale();
  int menu = window->menuBar()->sizeHint().height();
  EXPECT_EQ(window->size(),
            QSize(DesignLayout::Scaled(682, s), menu + DesignLayout::Scaled(430, s)));
  EXPECT_EQ(window->pos(), QPoint(234, 147));
  EXPECT_EQ(Find<TStatusBar>("StatusBar")->height(), DesignLayout::Scaled(19, s));
}

TEST_F(Startup, WithASmallFontThePositionsAreExactlyTheDesigns) {
  QFont previous = QApplication::font();
  QFont small = previous;
  small.setPixelSize(8);
  QApplication::setFont(small);
  Open();
  QApplication::setFont(previous);
  EXPECT_EQ(window->LayoutScale(), 1.0);
  EXPECT_EQ(Button("btnReadSig")->geometry(), QRect(24, 80, 113, 25));
  EXPECT_EQ(Find<QWidget>("CGauge1")->geometry(), QRect(8, 376, 665, 33));
}

TEST_F(Startup, MenusCarryTheirCaptionsTagsAndCheckMarks) {
  Open();
  // The & marks the mnemonic: the menus read "file", "device", "port", "chip".
  EXPECT_EQ(Find<QMenu>("itemFile")->title().toStdString(), "&file");
  EXPECT_EQ(Item("itemOpen")->text().toStdString(), "&open");
  EXPECT_TRUE(Item("itemOpen")->isEnabled());
  EXPECT_EQ(Item("itemSave")->text().toStdString(), "&save");
  EXPECT_FALSE(Item("itemSave")->isEnabled());
  EXPECT_EQ(Find<QMenu>("itemDevice")->title().toStdString(), "&device");
  EXPECT_EQ(Find<QMenu>("itemChip")->title().toStdString(), "&chip");
  EXPECT_EQ(Item("ItemAT89S51")->data().toInt(), 1);
  EXPECT_EQ(Item("ItemAT89S52")->data().toInt(), 2);
  EXPECT_TRUE(Item("ItemAT89S51")->isChecked());
  EXPECT_FALSE(Item("ItemAT89S52")->isChecked());
  EXPECT_FALSE(Item("ItemAT89S51")->actionGroup());  // marks are set by the handlers

  auto* port = Find<QMenu>("port1");
  EXPECT_EQ(port->title().toStdString(), "&port");
  ASSERT_GE(port->actions().size(), 9);
  EXPECT_TRUE(port->actions()[8]->isSeparator());
  for (int n = 1; n <= 8; ++n) {
    QAction* item = port->actions()[n - 1];
    EXPECT_EQ(item->text().toStdString(), "COM &" + std::to_string(n));
    EXPECT_EQ(item->data().toInt(), n);
    EXPECT_EQ(item->isChecked(), n == 1) << n;
  }
  EXPECT_EQ(port->actions()[0]->statusTip().toStdString(), "simulated AT89S51 (sim:AT89S51)");
  EXPECT_EQ(port->actions()[1]->statusTip().toStdString(), "simulated AT89S52 (sim:AT89S52)");
  EXPECT_EQ(port->actions()[2]->statusTip().toStdString(), "/nonexistent/isp89-port");
  EXPECT_EQ(window->Serial().GetPort(), 1);
}

TEST_F(Startup, APortsStatusTipShowsOverTheStatusTextOnlyWhileItLasts) {
  std::string path = WriteFile("a.bin", {1});
  Open({"isp89", "-binfile", path});
  auto* bar = Find<TStatusBar>("StatusBar");
  Item("COM2")->showStatusText(window.get());
  EXPECT_EQ(bar->currentMessage().toStdString(), "simulated AT89S52 (sim:AT89S52)");
  QStatusTipEvent leave{QString()};
  QApplication::sendEvent(window.get(), &leave);
  EXPECT_TRUE(bar->currentMessage().isEmpty());
  EXPECT_EQ(bar->SimpleText(), path);
}

// The command line, read in order: -uproctype names the device (in its exact case only) and
// -binfile loads a file (raw, or Intel HEX by its extension), each load from an erased image,
// so the last of each wins; an option's value is the next argument whatever it looks like,
// and an unknown argument is skipped.
TEST_F(Startup, TheArgumentsChooseTheDeviceAndLoadTheImageInOrder) {
  const std::string hex = ":0400100001020304E2\n:00000001FF\n";
  WriteFile("a.bin", {1, 2, 3});
  WriteFile("first.bin", std::vector<uint8_t>(10, 0xAA));
  WriteFile("second.bin", std::vector<uint8_t>(4, 0x55));
  WriteFile("code.hex", std::vector<uint8_t>(hex.begin(), hex.end()));
  struct Case {
    std::vector<std::string> arguments;  // a file's name stands for its path
    const char* device;
    int devicesCreated;
    std::vector<std::pair<uint32_t, int>> bytes;  // of the image; none: no image
    std::string status;                           // the file the status text names
    const char* box;                              // a part of the one box shown, or none
  };
  for (const Case& c : std::vector<Case>{
           {{}, "AT89S51", 1, {}, "", nullptr},
           {{"-uproctype", "AT89S52"}, "AT89S52", 2, {}, "", nullptr},
           {{"-uproctype", "at89s52"}, "AT89S51", 1, {}, "", nullptr},
           {{"-binfile"}, "AT89S51", 1, {}, "", nullptr},
           {{"-binfile", "-uproctype", "AT89S52"}, "AT89S51", 1, {}, "", "-uproctype"},
           {{"-uproctype", "-binfile", "a.bin"}, "AT89S51", 1, {}, "", nullptr},
           {{"-uproctype", "AT89S52", "-uproctype", "AT89S51"}, "AT89S51", 3, {}, "", nullptr},
           {{"-x", "-binfile", "a.bin"}, "AT89S51", 1, {{2, 3}, {3, 0xFF}}, "a.bin", nullptr},
           // Nothing of the longer file is left.
           {{"-binfile", "first.bin", "-uproctype", "AT89S52", "-binfile", "second.bin"},
            "AT89S52",
            2,
            {{3, 0x55}, {4, 0xFF}, {10, 0xFF}},
            "second.bin",
            nullptr},
           {{"-binfile", "code.hex"},
            "AT89S51",
            1,
            {{0x10, 0x01}, {0x13, 0x04}, {0x00, 0xFF}},
            "code.hex",
            nullptr},
       }) {
    std::vector<std::string> arguments = {"isp89"};
    std::string line;
    for (const std::string& argument : c.arguments) {
      const bool file = argument.find('.') != std::string::npos;
      arguments.push_back(file ? (folder.Path() / argument).string() : argument);
      line += argument + " ";
    }
    Open(arguments);
    const bool large = std::string(c.device) == "AT89S52";
    EXPECT_EQ(IsAT89S52(), large) << line;
    EXPECT_EQ(IsAT89S51(), !large) << line;
    EXPECT_EQ(Item("ItemAT89S52")->isChecked(), large) << line;
    EXPECT_EQ(Item("ItemAT89S51")->isChecked(), !large) << line;
    EXPECT_EQ(window->DevicesCreated(), c.devicesCreated) << line;
    if (c.bytes.empty()) {
      EXPECT_EQ(window->Image(), nullptr) << line;
    } else {
      ASSERT_NE(window->Image(), nullptr)
          << line << (dialogs.messages.empty() ? "" : dialogs.messages[0]);
      EXPECT_EQ(window->Image()->Size(), 8192u) << line;
      for (auto [address, value] : c.bytes) {
        EXPECT_EQ((*window->Image())[address], value) << line << address;
      }
    }
    EXPECT_EQ(StatusText(), c.status.empty() ? "" : (folder.Path() / c.status).string()) << line;
    if (c.box) {
      ASSERT_EQ(dialogs.messages.size(), 1u) << line;
      EXPECT_NE(dialogs.messages[0].find(c.box), std::string::npos) << dialogs.messages[0];
    } else {
      EXPECT_TRUE(dialogs.messages.empty()) << line << dialogs.messages.front();
    }
  }
}

TEST_F(Startup, ClassifyOptionMatchesWholeCaseSensitiveOptions) {
  Open();
  EXPECT_EQ(window->ClassifyOption("-binfile"), 0);
  EXPECT_EQ(window->ClassifyOption("-uproctype"), 1);
  for (const char* other : {"-BINFILE", "-binfile ", "binfile", "", "-uproc", "isp89"}) {
    EXPECT_EQ(window->ClassifyOption(other), -1) << other;
  }
}

TEST_F(Startup, TheAboutBoxSaysTheVersionAndTheLicence) {
  Open();
  Item("itemAbout")->trigger();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].find("isp89 " ISP89_TEST_VERSION "\n"), 0u) << dialogs.messages[0];
  EXPECT_NE(dialogs.messages[0].find("(GPL-3.0-or-later)"), std::string::npos);
}

}  // namespace
