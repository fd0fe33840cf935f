#pragma once

#include <cstdint>
#include <string>

// The one way the programs write a number in hexadecimal: upper-case digits, at least
// `digits` of them with leading zeros, more when the value needs them (Hex(0x1E, 2) is
// "1E", Hex(0x123, 2) is "123").
std::string Hex(uint32_t value, int digits);
