#pragma once

// What the command-line tests share: a command line as one string, and matchers on what the
// programs wrote.

#include <gmock/gmock.h>

#include <sstream>
#include <string>
#include <vector>

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
