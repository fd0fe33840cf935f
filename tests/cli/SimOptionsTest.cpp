// isp89-sim's options for the chips the command line must not take for its own, and a keep
// file it could never save, found at start.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SimProcess.h"
#include "support/ScratchFolder.h"

TEST(SimOptions, ABadKeepPlaceOrSignatureIsRefusedAtStart) {
  ScratchFolder folder;
  const struct {
    std::vector<std::string> options;
    std::string err;
  } cases[] = {
      {{"--keep", "no/such/kept.hex"},
       "isp89-sim: --keep: cannot save no/such/kept.hex: there is no folder no/such\n"},
      {{"--keep", "."}, "isp89-sim: --keep: . is a folder; name a file to write\n"},
      {{"--signature", "1E73"},
       "isp89-sim: --signature needs three bytes in hexadecimal, such as 1E7301, not '1E73' "
       "(isp89-sim --help lists the options)\n"},
  };
  for (const auto& c : cases) {
    SimProcess sim(c.options);
    EXPECT_EQ("", sim.Port()) << c.err;
    EXPECT_EQ(2, sim.Wait()) << c.err;
    EXPECT_EQ(c.err, sim.Err());
  }
}

TEST(SimOptions, AnotherSignatureOrOneHiddenByTheLockIsWhatTheCommandLineReads) {
  const struct {
    std::vector<std::string> options;
    std::string said;
  } cases[] = {
      {{"--signature", "1E 73 01"}, "signature 1E 73 01: unknown chip\n"},
      {{"--hide-signature", "--lock", "3"}, "signature FF FF FF: unknown chip\n"},
      {{"--hide-signature", "--lock", "1"}, "signature 1E 51 06: AT89S51\n"},
  };
  for (const auto& c : cases) {
    SimProcess sim(c.options);
    EXPECT_EQ(c.said, Cli({"-p", sim.Port(), "signature"}).out);
    EXPECT_EQ(0, sim.Stop());
  }
}
