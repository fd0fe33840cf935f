#include "ui/widgets/Formatting.h"

#include "platform/HexText.h"

std::string IntToStr(int value) { return std::to_string(value); }

std::string IntToHex(int value, int digits) {
  return Hex(static_cast<uint32_t>(value), digits < 0 ? 0 : (digits > 8 ? 8 : digits));
}
