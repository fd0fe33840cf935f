#pragma once

#include <string>

// Decimal text: "-12", "8".
std::string IntToStr(int value);
// Upper-case hexadecimal without prefix, zero-padded to at least `digits` digits; a negative
// value is shown as its 32-bit two's complement.
std::string IntToHex(int value, int digits);
