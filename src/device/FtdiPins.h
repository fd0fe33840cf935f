#pragma once

#include <string>

// Which of an FTDI chip's pins D0-D7 (ADBUS0-7 on the H chips) drive the target's SCK, MOSI
// and RST and read its MISO. The default takes the four signal pins of an FT232R 6-pin
// breakout header, with RST on RTS# as the serial adapter has it:
//
//   FT232R header   D-bit   target (AT89S5x)
//   TXD             D0      MOSI (P1.5)
//   RXD             D1      MISO (P1.6)
//   RTS#            D2      RST
//   CTS#            D3      SCK  (P1.7)
//   GND, VCC                GND, VCC (when the board powers the target)
struct FtdiPins {
  int sck = 3, mosi = 0, miso = 1, rst = 2;

  // "SCK=D3,MOSI=D0,MISO=D1,RST=D2": any order, the pins as D0-D7 or by the FT232R's names
  // (TXD, RXD, RTS, CTS, DTR, DSR, DCD, RI); the signals left out keep their pins. Throws
  // Exception for another word, a pin named twice, or one pin for two signals.
  static FtdiPins Parse(const std::string& text);
  // "SCK=D3,MOSI=D0,MISO=D1,RST=D2".
  std::string Text() const;
  // The pins the chip drives.
  unsigned char Outputs() const;
};
