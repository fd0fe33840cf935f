// The loaded image file: the recent files, a file dropped on the window, a file that changed
// on disk since it was loaded, and what the window says about the image.
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <filesystem>

#include "ui/ImageSummary.h"
#include "ui/UiBench.h"

namespace {

class ImageFiles : public UiBench {
 protected:
  std::vector<std::string> RecentCaptions() const {
    std::vector<std::string> captions;
    for (QAction* item : Find<QMenu>("itemRecent")->actions()) {
      captions.push_back(item->text().toStdString());
    }
    return captions;
  }
  // Drags `urls` over the window and drops them: whether the window took the drag.
  bool Drop(const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    return drop.isAccepted();
  }
  std::string Field() const { return Find<QLabel>("imageField")->text().toStdString(); }
};

// Newest first, each once, eight at most; kept for the next run; one chosen loads again, and
// one that is gone says so and leaves the list.
TEST_F(ImageFiles, TheRecentFilesListTheLastEightOpened) {
  Open();
  std::vector<std::string> paths;
  for (uint8_t n = 0; n < 9; ++n)
    paths.push_back(Load("f" + std::to_string(n) + ".bin", Pattern(n)));
  Load("f3.bin", Pattern(3));
  std::vector<std::string> expected = {"&1 " + paths[3]};
  for (int n = 8, shown = 2; shown <= 8; --n) {
    if (n != 3) expected.push_back("&" + std::to_string(shown++) + " " + paths[n]);
  }
  EXPECT_EQ(RecentCaptions(), expected);

  Reopen();
  EXPECT_EQ(RecentCaptions(), expected);
  Find<QMenu>("itemRecent")->actions()[2]->trigger();  // f7.bin
  EXPECT_EQ(Bytes(*window->Image()), Bytes(Pattern(7)));
  EXPECT_EQ(RecentCaptions()[0], "&1 " + paths[7]);

  std::filesystem::remove(paths[6]);
  Find<QMenu>("itemRecent")->actions()[3]->trigger();  // f6.bin, gone
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_NE(dialogs.errors[0].find(paths[6]), std::string::npos) << dialogs.errors[0];
  EXPECT_EQ(Bytes(*window->Image()), Bytes(Pattern(7)));
  EXPECT_EQ(RecentCaptions().size(), 7u);
  for (const std::string& caption : RecentCaptions()) {
    EXPECT_EQ(caption.find(paths[6]), std::string::npos) << caption;
  }
}

// One local file loads as if opened; several files, or a web address, are not taken.
TEST_F(ImageFiles, AFileDroppedOnTheWindowLoadsLikeOpen) {
  Open();
  const std::string first = WriteFile("first.bin", Bytes(Pattern(1)));
  const std::string second = WriteFile("second.bin", Bytes(Pattern(2)));
  const QUrl firstUrl = QUrl::fromLocalFile(QString::fromStdString(first));
  const QUrl secondUrl = QUrl::fromLocalFile(QString::fromStdString(second));
  EXPECT_FALSE(Drop({firstUrl, secondUrl}));
  EXPECT_FALSE(Drop({QUrl("https://example.org/blink.hex")}));
  EXPECT_EQ(window->Image(), nullptr);

  EXPECT_TRUE(Drop({secondUrl}));
  ASSERT_NE(window->Image(), nullptr);
  EXPECT_EQ(Bytes(*window->Image()), Bytes(Pattern(2)));
  EXPECT_EQ(window->windowTitle().toStdString(), "isp89 - second.bin");
  EXPECT_EQ(RecentCaptions(), std::vector<std::string>{"&1 " + second});
}

// The build, write, build, write cycle: with the option on, Write takes the file as it is
// now and says so; with it off, the image as it was loaded.
TEST_F(ImageFiles, WriteReloadsAFileThatChangedOnDiskUnlessTurnedOff) {
  for (bool reload : {true, false}) {
    Open();
    Item("COM2")->trigger();
    Item("ItemAT89S52")->trigger();
    if (!reload) Item("itemReloadChanged")->trigger();
    const std::string path = Load("blink.bin", Pattern(1));
    ASSERT_TRUE(Run("btnProgram"));
    WriteFile("blink.bin", Bytes(Pattern(2)));
    std::filesystem::last_write_time(
        path, std::filesystem::last_write_time(path) + std::chrono::seconds(2));
    ASSERT_TRUE(Run("btnProgram"));
    EXPECT_EQ(Chip("sim:AT89S52")->Flash(), Bytes(Pattern(reload ? 2 : 1))) << reload;
    EXPECT_EQ(Note().rfind("blink.bin had changed on disk and was loaded again. Wrote", 0) == 0,
              reload)
        << Note();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front();
  }
}

// A file that changed and cannot be loaded now (a build half done) writes nothing.
TEST_F(ImageFiles, AChangedFileThatCannotBeLoadedWritesNothing) {
  Open();
  Load("blink.bin", Pattern(1));
  WriteFile("blink.bin", {});
  Chip()->ClearEvents();
  Button("btnProgram")->click();
  EXPECT_FALSE(window->Busy());
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_EQ(dialogs.errors[0].rfind("blink.bin changed on disk and cannot be loaded again", 0), 0u)
      << dialogs.errors[0];
  EXPECT_TRUE(Chip()->Events().empty());
}

// Name, format, size, the range that holds data, the sum of those bytes and their CRC-32;
// the title names the file.
TEST_F(ImageFiles, TheStatusBarDescribesTheLoadedImage) {
  Open();
  Buffer image(8192);
  const char* text = "123456789";
  std::copy(text, text + 9, &image[0x100]);
  Load("check.bin", image);
  // '1' to '9' add up to 01DD; CBF43926 is the CRC-32 of "123456789".
  EXPECT_EQ(Field(),
            "check.bin \u00b7 raw \u00b7 8192 bytes \u00b7 0100\u2013"
            "0108 \u00b7 sum 01DD, CRC-32 CBF43926");
  EXPECT_EQ(window->windowTitle().toStdString(), "isp89 - check.bin");
}

TEST(ImageSummary, TheRangeHoldingDataAndItsChecksums) {
  struct Case {
    std::vector<std::pair<uint32_t, uint8_t>> bytes;
    bool blank;
    uint32_t first, last;
    uint32_t sum;  // kept modulo 0x10000
  } cases[] = {
      {{}, true, 0, 0, 0},
      {{{0, 0x00}}, false, 0, 0, 0},
      {{{0x10, 0x80}, {0x1FFF, 0x80}}, false, 0x10, 0x1FFF, 0x80 + 0x80 + 0xFF * 0x1FEE},
      {{{5, 0x01}, {6, 0xFE}}, false, 5, 6, 0xFF},
  };
  for (const Case& c : cases) {
    Buffer image(8192);
    for (auto [address, value] : c.bytes) image[address] = value;
    const ImageSummary summary = ImageSummary::Of(image);
    const size_t row = &c - cases;
    EXPECT_EQ(summary.blank, c.blank) << row;
    EXPECT_EQ(summary.first, c.first) << row;
    EXPECT_EQ(summary.last, c.last) << row;
    EXPECT_EQ(summary.sum, static_cast<uint16_t>(c.sum)) << row;
  }
  const uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  EXPECT_EQ(Crc32(check, sizeof check), 0xCBF43926u);
  EXPECT_EQ(Crc32(check, 0), 0u);
}

}  // namespace
