#include <gtest/gtest.h>

#include "device/AT89S5X.h"
#include "device/ChipCatalog.h"
#include "platform/VirtualClock.h"
#include "sim/SimPortResolver.h"

TEST(ChipCatalog, SignaturesNameTheirChipsAndNothingElse) {
  const ChipCatalog::Chip* s51 = ChipCatalog::FindBySignature(0x06511E);
  const ChipCatalog::Chip* s52 = ChipCatalog::FindBySignature(0x06521E);
  ASSERT_TRUE(s51 && s52);
  EXPECT_STREQ("AT89S51", s51->name);
  EXPECT_EQ(4096u, s51->flashSize);
  EXPECT_STREQ("AT89S52", s52->name);
  EXPECT_EQ(8192u, s52->flashSize);
  EXPECT_EQ(s52, ChipCatalog::FindByName("at89s52"));
  EXPECT_EQ(nullptr, ChipCatalog::FindBySignature(0x06531E));
  EXPECT_EQ(nullptr, ChipCatalog::FindBySignature(0x00000000));
  EXPECT_EQ(nullptr, ChipCatalog::FindByName("AT89C51"));
  EXPECT_EQ("1E 52 06", ChipCatalog::SignatureText(s52->SignatureWord()));
}

// Programming Enable was answered: a blank signature is a chip that cannot be read, not a
// missing target.
TEST(ChipCatalog, BlankSignaturesMeanAChipThatCannotBeRead) {
  for (int32_t blank : {0x000000, 0xFFFFFF}) {
    EXPECT_TRUE(ChipCatalog::IsBlankSignature(blank));
    EXPECT_EQ(0u, ChipCatalog::ExplainUnknown(blank).find(
                      "the target entered programming mode, so a chip is there, but its "
                      "signature cannot be read: check that it is an AT89S51 or AT89S52"));
  }
  EXPECT_FALSE(ChipCatalog::IsBlankSignature(0xFF51FF));
  EXPECT_EQ("this is not the signature of a supported chip (AT89S51, AT89S52)",
            ChipCatalog::ExplainUnknown(0x06991E));
}

// Each entry makes the device it names: its signature read on that simulated chip finds it.
TEST(ChipCatalog, EachEntryMakesADeviceThatReadsItsOwnSignature) {
  VirtualClock clock;
  SimPortResolver resolver(clock);
  for (const ChipCatalog::Chip& chip : ChipCatalog::Chips()) {
    setenv("ISP89_COM3", (std::string("sim:") + chip.name).c_str(), 1);
    TSerial serial(3, resolver);
    std::unique_ptr<AT89S5X> device = chip.create(&serial, clock);
    EXPECT_EQ(8192u, device->GetMemorySize());
    EXPECT_EQ(&chip, &device->Chip());
    ChipOutcome outcome;
    device->Run(ChipRequest(ChipRequest::Operation::Signature), outcome);
    EXPECT_EQ(&chip, outcome.found) << chip.name;
  }
  unsetenv("ISP89_COM3");
}
