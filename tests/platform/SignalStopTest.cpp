// The signals that end a program reach the operation as a stop, on the watch's thread: the
// first with the exit status it calls for, the second at once.
#include <signal.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/SignalStop.h"

TEST(SignalStop, TheFirstSignalStopsWithItsStatusTheSecondAtOnce) {
  const std::pair<int, int> cases[] = {
      {SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}, {SIGQUIT, 131}};
  for (auto [number, status] : cases) {
    StopSignal stop;
    SignalStop signals(stop);
    raise(number);
    ASSERT_TRUE(stop.WaitFor(std::chrono::seconds(10))) << number;
    EXPECT_EQ(status, stop.Code());
    EXPECT_FALSE(stop.AtOnce());
    raise(SIGINT);
    // Raised already, the stop has nothing to wait on: the second is looked for in turn.
    for (int i = 0; i < 10000 && !stop.AtOnce(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(stop.AtOnce()) << number;
  }
}
