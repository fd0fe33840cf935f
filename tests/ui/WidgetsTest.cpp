#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <thread>
#include <vector>

#include "ui/widgets/Formatting.h"
#include "ui/widgets/ProgramArguments.h"
#include "ui/widgets/QtMessageTarget.h"
#include "ui/widgets/TCGauge.h"
#include "ui/widgets/WindowMessage.h"

namespace {

// Routes window messages by number, as a window does, and records them.
class Receiver : public QObject {
 public:
  bool event(QEvent* event) override {
    if (event->type() != WindowMessage::EventType()) return QObject::event(event);
    const auto& message = static_cast<const WindowMessage&>(*event);
    if (message.Number() == WM_USER + 1) {
      received.push_back({message.WParam(), message.LParam()});
    } else {
      ++others;
    }
    return true;
  }
  std::vector<std::pair<intptr_t, intptr_t>> received;
  int others = 0;
};

TEST(WindowMessages, PostsFromOtherThreadsArriveOnTheWindowsThreadInPostingOrder) {
  Receiver receiver;
  QtMessageTarget target(&receiver);
  constexpr int kThreads = 4, kEach = 2000;
  std::vector<std::thread> posters;
  for (int t = 0; t < kThreads; ++t) {
    posters.emplace_back([&target, t] {
      for (int i = 0; i < kEach; ++i) {
        PostMessageA(&target, WM_USER + 1, i, t);
        if (i % 100 == 0) PostMessageA(&target, WM_USER + 9, 0, 0);
      }
    });
  }
  for (auto& poster : posters) poster.join();
  ASSERT_TRUE(QTest::qWaitFor([&] { return receiver.received.size() == kThreads * kEach; }));
  std::vector<int> next(kThreads, 0);
  for (auto [value, thread] : receiver.received) {
    ASSERT_EQ(value, next[thread]) << "from thread " << thread;
    ++next[thread];
  }
  EXPECT_EQ(receiver.others, kThreads * kEach / 100);
}

TEST(WindowMessages, APostReturnsBeforeTheMessageIsHandled) {
  Receiver receiver;
  QtMessageTarget target(&receiver);
  EXPECT_TRUE(PostMessageA(&target, WM_USER + 1, 5, 6));
  EXPECT_TRUE(receiver.received.empty());
  QCoreApplication::sendPostedEvents(&receiver);
  ASSERT_EQ(receiver.received.size(), 1u);
  EXPECT_EQ(receiver.received[0], (std::pair<intptr_t, intptr_t>{5, 6}));
  EXPECT_FALSE(PostMessageA(nullptr, WM_USER + 1, 0, 0));
}

TEST(Formatting, HexIsUpperCaseZeroPaddedWithoutPrefix) {
  EXPECT_EQ(IntToHex(0x1E, 2), "1E");
  EXPECT_EQ(IntToHex(0x05, 2), "05");
  EXPECT_EQ(IntToHex(0x0A, 2), "0A");
  EXPECT_EQ(IntToHex(0, 2), "00");
  EXPECT_EQ(IntToHex(0x1234, 2), "1234");
  EXPECT_EQ(IntToHex(-1, 4), "FFFFFFFF");
  EXPECT_EQ(IntToStr(8), "8");
  EXPECT_EQ(IntToStr(-12), "-12");
}

TEST(ProgramArguments, IndexZeroIsTheProgramThenTheArgumentsInOrder) {
  QStringList process = QCoreApplication::arguments();
  EXPECT_EQ(ParamCount(), process.size() - 1);
  EXPECT_EQ(ParamStr(0), process[0].toStdString());
  EXPECT_EQ(ParamStr(ParamCount() + 1), "");

  ProgramArguments given({"isp89", "-binfile", "a b.bin"});
  EXPECT_EQ(given.ParamCount(), 2);
  EXPECT_EQ(given.ParamStr(2), "a b.bin");
  EXPECT_EQ(given.ParamStr(3), "");
  EXPECT_EQ(ProgramArguments::FromProcess().ParamCount(), ParamCount());
}

TEST(Gauge, ShowsThePercentageWithinItsRange) {
  TCGauge gauge;
  gauge.SetProgress(37);
  EXPECT_EQ(gauge.Progress(), 37);
  EXPECT_EQ(gauge.text().toStdString(), "37%");
  gauge.SetProgress(140);
  EXPECT_EQ(gauge.Progress(), 100);
}

}  // namespace
