// The mapping between the link's line settings and termios, on records alone (a
// pseudo-terminal forces 8 data bits and no parity, so it cannot show most of it).
#include "platform/TermiosLine.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

termios RawDefault() {
  termios line{};
  line.c_iflag = ICRNL | IXON | BRKINT;
  line.c_oflag = OPOST | ONLCR;
  line.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
  line.c_cflag = CS8 | CREAD | HUPCL;
  cfsetispeed(&line, B9600);
  cfsetospeed(&line, B9600);
  return line;
}

LineSettings RoundTrip(const LineSettings& settings) {
  termios line = RawDefault();
  EXPECT_TRUE(PutLineSettings(settings, line));
  LineSettings back{};
  TakeLineSettings(line, back);
  return back;
}

TEST(TermiosLineTest, TheLinksLineIs4800EightNoParityOneStopAndRaw) {
  termios line = RawDefault();
  ASSERT_TRUE(
      PutLineSettings({4800, 8, LineSettings::kNoParity, LineSettings::kOneStopBit, true}, line));
  EXPECT_EQ(cfgetospeed(&line), B4800);
  EXPECT_EQ(cfgetispeed(&line), B4800);
  EXPECT_EQ(line.c_cflag & (CSIZE | PARENB | PARODD | CSTOPB), static_cast<tcflag_t>(CS8));
  EXPECT_EQ(line.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
  EXPECT_EQ(line.c_cflag & HUPCL, static_cast<tcflag_t>(HUPCL));  // left as the driver had it
  EXPECT_EQ(line.c_iflag & (ICRNL | IXON | BRKINT | INPCK), 0u);
  EXPECT_EQ(line.c_oflag & OPOST, 0u);
  EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
}

// What termios holds comes back as it was put; a speed with no B constant reads as zero.
TEST(TermiosLineTest, DataBitsParityAndStopBitsRoundTripAndAnUnlistedSpeedReadsAsZero) {
  const LineSettings cases[] = {
      {9600, 7, LineSettings::kEvenParity, LineSettings::kTwoStopBits, false},
      {1200, 5, LineSettings::kOddParity, LineSettings::kOnePointFiveStopBits, false},
      {115200, 6, LineSettings::kNoParity, LineSettings::kOneStopBit, false},
      {300, 8, LineSettings::kOddParity, LineSettings::kOneStopBit, false},
#ifdef CMSPAR
      {2400, 8, LineSettings::kMarkParity, LineSettings::kOneStopBit, false},
      {19200, 7, LineSettings::kSpaceParity, LineSettings::kTwoStopBits, false},
#endif
  };
  for (const LineSettings& wanted : cases) {
    LineSettings back = RoundTrip(wanted);
    EXPECT_EQ(std::make_tuple(back.baudRate, back.byteSize, back.parity, back.stopBits),
              std::make_tuple(wanted.baudRate, wanted.byteSize, wanted.parity, wanted.stopBits))
        << wanted.baudRate;
  }
  termios line = RawDefault();
  cfsetospeed(&line, B0);
  LineSettings back{};
  TakeLineSettings(line, back);
  EXPECT_EQ(back.baudRate, 0u);
}

TEST(TermiosLineTest, ParityTurnsInputCheckingOnAndOff) {
  termios line = RawDefault();
  ASSERT_TRUE(PutLineSettings({9600, 7, LineSettings::kEvenParity, 0, false}, line));
  EXPECT_EQ(line.c_cflag & (PARENB | PARODD), static_cast<tcflag_t>(PARENB));
  EXPECT_NE(line.c_iflag & INPCK, 0u);
  EXPECT_EQ(line.c_iflag & (IGNPAR | PARMRK), 0u);
  ASSERT_TRUE(PutLineSettings({9600, 8, LineSettings::kNoParity, 0, false}, line));
  EXPECT_EQ(line.c_cflag & PARENB, 0u);
  EXPECT_EQ(line.c_iflag & INPCK, 0u);
}

TEST(TermiosLineTest, ValuesTermiosCannotExpressAreRefusedAndLeaveTheRecord) {
  const LineSettings refused[] = {
      {12345, 8, LineSettings::kNoParity, LineSettings::kOneStopBit, false},
      {0, 8, LineSettings::kNoParity, LineSettings::kOneStopBit, false},
      {4800, 4, LineSettings::kNoParity, LineSettings::kOneStopBit, false},
      {4800, 9, LineSettings::kNoParity, LineSettings::kOneStopBit, false},
      {4800, 8, 5, LineSettings::kOneStopBit, false},
      {4800, 8, LineSettings::kNoParity, 3, false},
      {4800, 8, LineSettings::kNoParity, LineSettings::kOnePointFiveStopBits, false},
      {4800, 5, LineSettings::kNoParity, LineSettings::kTwoStopBits, false},
  };
  for (const LineSettings& bad : refused) {
    termios line = RawDefault();
    EXPECT_FALSE(PutLineSettings(bad, line)) << bad.baudRate << " " << int{bad.byteSize};
    EXPECT_EQ(line.c_lflag, RawDefault().c_lflag);
    EXPECT_EQ(line.c_cflag, RawDefault().c_cflag);
  }
}

TEST(TermiosLineTest, SameLineSettingsComparesOnlyTheFraming) {
  termios a = RawDefault();
  termios b = RawDefault();
  ASSERT_TRUE(PutLineSettings({4800, 8, 0, 0, false}, a));
  ASSERT_TRUE(PutLineSettings({4800, 8, 0, 0, false}, b));
  b.c_cc[VMIN] = 0;
  EXPECT_TRUE(SameLineSettings(a, b));
  ASSERT_TRUE(PutLineSettings({4800, 8, 0, LineSettings::kTwoStopBits, false}, b));
  EXPECT_FALSE(SameLineSettings(a, b));
  ASSERT_TRUE(PutLineSettings({9600, 8, 0, 0, false}, b));
  EXPECT_FALSE(SameLineSettings(a, b));
}

}  // namespace
