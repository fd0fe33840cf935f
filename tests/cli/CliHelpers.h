#pragma once

// What the command-line tests share: a command line as one string, matchers on what the
// programs wrote, and the files they read and write.

#include <gmock/gmock.h>

#include <sstream>
#include <string>
#include <vector>

#include "image/IntelHexReader.h"
#include "support/ScratchFolder.h"

// A stream's expected text: a plain string matches the whole of it, ::testing::_ anything.
using Text = ::testing::Matcher<const std::string&>;

// The words of a line, split at each space, as a shell splits a line without quotes.
inline std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(line);
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// A message of one line, ended.
MATCHER(OneLine, "is one line") { return !arg.empty() && arg.find('\n') == arg.size() - 1; }

inline void WriteText(const std::string& path, const std::string& text) {
  ScratchFolder::Write(path, std::vector<uint8_t>(text.begin(), text.end()));
}

inline std::string ReadText(const std::string& path) {
  std::vector<uint8_t> bytes = ScratchFolder::Read(path);
  return std::string(bytes.begin(), bytes.end());
}

// The memory image that Intel HEX `text` describes, unwritten bytes FF.
inline std::vector<uint8_t> FlashOfHex(const std::string& text, uint32_t size = 8192) {
  Buffer image = IntelHexReader::Parse(text, "image.hex", size);
  return std::vector<uint8_t>(image.Data(), image.Data() + image.Size());
}

// The blinking-LED program of the HEX tests, as a toolchain writes it.
inline const char* BlinkHex() {
  return ":03000000020030CB\n"
         ":100030007581307590FFB29012004080F900000089\n"
         ":090040007FFA7EFADEFEDFFA22EF\n"
         ":00000001FF\n";
}
