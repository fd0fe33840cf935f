#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "CliHelpers.h"
#include "cli/CliApp.h"
#include "platform/VirtualClock.h"
#include "sim/SimChip.h"
#include "sim/SimPortResolver.h"
#include "support/ScratchFolder.h"

// The command line run in process against the simulated chips of one resolver, on virtual
// time, in a scratch working folder: what one command wrote, the next one reads back.
class CliFixture : public ::testing::Test {
 protected:
  struct Result {
    int status = -1;
    std::string out, err;
  };

  // Runs the arguments of `line` and checks the status and what went to each stream, each check
  // naming the line.
  Result Expect(const std::string& line, int status, const Text& out, const Text& err,
                bool terminal = false) {
    std::ostringstream outStream, errStream;
    // A braced list runs its parts in order: the command, then what it wrote.
    const Result r{app_.Run(Words(line), outStream, errStream, terminal), outStream.str(),
                   errStream.str()};
    EXPECT_EQ(status, r.status) << line << "\n" << r.err;
    EXPECT_THAT(r.out, out) << line;
    EXPECT_THAT(r.err, err) << line;
    return r;
  }

  std::shared_ptr<SimChip> Chip(const std::string& name = "sim:AT89S52") {
    return resolver_.SimChipFor(name);
  }

  // 8 KB of a pattern that differs at every address of a page.
  static std::vector<uint8_t> Pattern(uint8_t seed) {
    std::vector<uint8_t> bytes(8192);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 13 + seed);
    return bytes;
  }

  ScratchFolder folder_;
  VirtualClock clock_;
  SimPortResolver resolver_{clock_};
  CliApp app_{resolver_, clock_};
};
