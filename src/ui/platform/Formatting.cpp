#include "ui/platform/Formatting.h"

#include <cstdio>

std::string IntToStr(int value) { return std::to_string(value); }

std::string IntToHex(int value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits < 0 ? 0 : (digits > 8 ? 8 : digits),
                static_cast<unsigned>(value));
  return text;
}
