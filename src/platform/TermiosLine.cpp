#include "platform/TermiosLine.h"

#include <cstdint>

namespace {

struct BaudCode {
  speed_t code;
  uint32_t rate;
};

constexpr BaudCode kBaudCodes[] = {
    {B50, 50},         {B75, 75},         {B110, 110},       {B134, 134},     {B150, 150},
    {B200, 200},       {B300, 300},       {B600, 600},       {B1200, 1200},   {B1800, 1800},
    {B2400, 2400},     {B4800, 4800},     {B9600, 9600},     {B19200, 19200}, {B38400, 38400},
    {B57600, 57600},   {B115200, 115200}, {B230400, 230400},
#ifdef B460800
    {B460800, 460800}, {B921600, 921600},
#endif
};

// 0 for a speed outside the table (B0, a custom divisor).
uint32_t RateOf(speed_t code) {
  for (const BaudCode& entry : kBaudCodes) {
    if (entry.code == code) return entry.rate;
  }
  return 0;
}

// Only the standard rates: a rate the UART cannot make exactly is refused rather than
// silently replaced by a neighbour, which the adapter would not understand.
bool CodeOf(uint32_t rate, speed_t& code) {
  for (const BaudCode& entry : kBaudCodes) {
    if (entry.rate == rate) {
      code = entry.code;
      return true;
    }
  }
  return false;
}

bool SizeFlag(uint8_t byteSize, tcflag_t& flag) {
  switch (byteSize) {
    case 5:
      flag = CS5;
      return true;
    case 6:
      flag = CS6;
      return true;
    case 7:
      flag = CS7;
      return true;
    case 8:
      flag = CS8;
      return true;
    default:
      return false;
  }
}

uint8_t ByteSizeOf(tcflag_t cflag) {
  switch (cflag & CSIZE) {
    case CS5:
      return 5;
    case CS6:
      return 6;
    case CS7:
      return 7;
    default:
      return 8;
  }
}

#ifdef CMSPAR
constexpr tcflag_t kStickParity = CMSPAR;
#else
constexpr tcflag_t kStickParity = 0;
#endif
constexpr tcflag_t kParityFlags = PARENB | PARODD | kStickParity;

bool ParityFlags(uint8_t parity, tcflag_t& flags) {
  switch (parity) {
    case LineSettings::kNoParity:
      flags = 0;
      return true;
    case LineSettings::kOddParity:
      flags = PARENB | PARODD;
      return true;
    case LineSettings::kEvenParity:
      flags = PARENB;
      return true;
    // Mark and space are "stick" parity, which not every system has.
    case LineSettings::kMarkParity:
      flags = PARENB | PARODD | kStickParity;
      break;
    case LineSettings::kSpaceParity:
      flags = PARENB | kStickParity;
      break;
    default:
      return false;
  }
  return kStickParity != 0;
}

uint8_t ParityOf(tcflag_t cflag) {
  if (!(cflag & PARENB)) return LineSettings::kNoParity;
  if (kStickParity != 0 && (cflag & kStickParity)) {
    return (cflag & PARODD) ? LineSettings::kMarkParity : LineSettings::kSpaceParity;
  }
  return (cflag & PARODD) ? LineSettings::kOddParity : LineSettings::kEvenParity;
}

// A UART sends CSTOPB with 5-bit bytes as 1.5 stop bits, which is how Windows pairs them.
bool StopFlag(uint8_t stopBits, uint8_t byteSize, tcflag_t& flag) {
  switch (stopBits) {
    case LineSettings::kOneStopBit:
      flag = 0;
      return true;
    case LineSettings::kOnePointFiveStopBits:
      flag = CSTOPB;
      return byteSize == 5;
    case LineSettings::kTwoStopBits:
      flag = CSTOPB;
      return byteSize != 5;
    default:
      return false;
  }
}

uint8_t StopBitsOf(tcflag_t cflag) {
  if (!(cflag & CSTOPB)) return LineSettings::kOneStopBit;
  return ByteSizeOf(cflag) == 5 ? LineSettings::kOnePointFiveStopBits : LineSettings::kTwoStopBits;
}

constexpr tcflag_t kFramingFlags = CSIZE | kParityFlags | CSTOPB;

}  // namespace

void MakeRawLine(termios& line) {
  line.c_iflag &=
      ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
  line.c_oflag &= ~OPOST;
  line.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  line.c_cflag |= CLOCAL | CREAD;
#ifdef CRTSCTS
  line.c_cflag &= ~CRTSCTS;
#endif
  line.c_cc[VMIN] = 1;
  line.c_cc[VTIME] = 0;
}

bool PutLineSettings(const LineSettings& settings, termios& line) {
  speed_t speed = 0;
  tcflag_t size = 0, parity = 0, stop = 0;
  if (!CodeOf(settings.baudRate, speed) || !SizeFlag(settings.byteSize, size) ||
      !ParityFlags(settings.parity, parity) ||
      !StopFlag(settings.stopBits, settings.byteSize, stop)) {
    return false;
  }
  MakeRawLine(line);
  line.c_cflag &= ~kFramingFlags;
  line.c_cflag |= size | parity | stop;
  // A byte with a parity error arrives as 0x00 (neither ignored nor marked).
  if (parity != 0) {
    line.c_iflag |= INPCK;
  } else {
    line.c_iflag &= ~INPCK;
  }
  cfsetispeed(&line, speed);
  cfsetospeed(&line, speed);
  return true;
}

void TakeLineSettings(const termios& line, LineSettings& settings) {
  settings.baudRate = RateOf(cfgetospeed(&line));
  settings.byteSize = ByteSizeOf(line.c_cflag);
  settings.parity = ParityOf(line.c_cflag);
  settings.stopBits = StopBitsOf(line.c_cflag);
}

bool SameLineSettings(const termios& a, const termios& b) {
  return cfgetospeed(&a) == cfgetospeed(&b) && cfgetispeed(&a) == cfgetispeed(&b) &&
         (a.c_cflag & kFramingFlags) == (b.c_cflag & kFramingFlags);
}
