#include "device/FtdiPins.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "platform/Exception.h"

namespace {

const char* const kUartNames[8] = {"TXD", "RXD", "RTS", "CTS", "DTR", "DSR", "DCD", "RI"};

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

[[noreturn]] void Bad(const std::string& what) {
  throw Exception("--pins: " + what +
                  " (write SCK=D3,MOSI=D0,MISO=D1,RST=D2, with pins D0 to D7 or TXD, RXD, RTS, "
                  "CTS, DTR, DSR, DCD, RI)");
}

int PinNamed(const std::string& name) {
  const std::string upper = Upper(name);
  if (upper.size() == 2 && upper[0] == 'D' && upper[1] >= '0' && upper[1] <= '7') {
    return upper[1] - '0';
  }
  for (int pin = 0; pin < 8; ++pin) {
    if (upper == kUartNames[pin] || upper == std::string(kUartNames[pin]) + "#") return pin;
  }
  Bad("'" + name + "' is no pin");
}

}  // namespace

FtdiPins FtdiPins::Parse(const std::string& text) {
  FtdiPins pins;
  std::istringstream parts(text);
  std::string part, seen;
  while (std::getline(parts, part, ',')) {
    const size_t equals = part.find('=');
    if (equals == std::string::npos) Bad("'" + part + "' is not SIGNAL=PIN");
    const std::string signal = Upper(part.substr(0, equals));
    const int pin = PinNamed(part.substr(equals + 1));
    int* slot = signal == "SCK"    ? &pins.sck
                : signal == "MOSI" ? &pins.mosi
                : signal == "MISO" ? &pins.miso
                : signal == "RST"  ? &pins.rst
                                   : nullptr;
    if (!slot) Bad("'" + signal + "' is no signal: SCK, MOSI, MISO, RST");
    if (seen.find("," + signal + ",") != std::string::npos) Bad(signal + " is given twice");
    seen += "," + signal + ",";
    *slot = pin;
  }
  const int all[] = {pins.sck, pins.mosi, pins.miso, pins.rst};
  for (int i = 0; i < 4; ++i) {
    for (int j = i + 1; j < 4; ++j) {
      if (all[i] == all[j]) Bad("D" + std::to_string(all[i]) + " is given two signals");
    }
  }
  return pins;
}

std::string FtdiPins::Text() const {
  return "SCK=D" + std::to_string(sck) + ",MOSI=D" + std::to_string(mosi) + ",MISO=D" +
         std::to_string(miso) + ",RST=D" + std::to_string(rst);
}

unsigned char FtdiPins::Outputs() const {
  return static_cast<unsigned char>(1u << sck | 1u << mosi | 1u << rst);
}
