#include "platform/ControlEscapes.h"

#include "platform/HexText.h"

namespace {

std::string Escaped(unsigned char byte) {
  switch (byte) {
    case '\t':
      return "\\t";
    case '\n':
      return "\\n";
    case '\r':
      return "\\r";
    default:
      return "\\x" + Hex(byte, 2);
  }
}

// The length of the well-formed UTF-8 sequence at `at` for a character from U+00A0 up, or 0.
size_t PrintableSequence(const std::string& text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[at + i]); };
  const unsigned char lead = byte(0);
  size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  if (length == 0 || at + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
  }
  // Overlong forms, UTF-16 surrogates, beyond U+10FFFF, and the C1 controls.
  if (lead == 0xC2 && byte(1) < 0xA0) return 0;
  if (lead == 0xE0 && byte(1) < 0xA0) return 0;
  if (lead == 0xED && byte(1) >= 0xA0) return 0;
  if (lead == 0xF0 && byte(1) < 0x90) return 0;
  if (lead == 0xF4 && byte(1) >= 0x90) return 0;
  return length;
}

}  // namespace

std::string EscapeControlCharacters(const std::string& text) {
  std::string shown;
  shown.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte >= 0x20 && byte < 0x7F) {
      shown += text[at++];
      continue;
    }
    const size_t length = byte >= 0x80 ? PrintableSequence(text, at) : 0;
    if (length == 0) {
      shown += Escaped(byte);
      ++at;
      continue;
    }
    shown.append(text, at, length);
    at += length;
  }
  return shown;
}
