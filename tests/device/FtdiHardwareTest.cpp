// A real FTDI chip, when ISP89_FTDI_TEST names one ("ftdi", "ftdi:A50285BI"): its pin-state
// rate against the one FtdiFamily gives for it, and, with a target wired as the default
// wiring says, the signature through the FTDI link. Skipped, saying how, without it.
#include <gtest/gtest.h>

#include <cstdlib>

#include "device/ChipCatalog.h"
#include "device/FtdiSpiLink.h"
#include "device/ProgrammingSession.h"
#include "platform/SystemClock.h"
#include "serial/PortResolver.h"

namespace {

const char* Chip() {
  const char* name = std::getenv("ISP89_FTDI_TEST");
  return name && *name ? name : nullptr;
}

constexpr const char* kHow =
    "set ISP89_FTDI_TEST to an FTDI chip (ftdi, ftdi:SERIAL) to run it; for the signature, "
    "wire an AT89S51/52 as the README's default wiring shows";

// Pin states pushed through and read back: the time of 6000 less that of 2000 is 4000 states
// without the USB round trips.
TEST(FtdiHardware, ThePinStateRateIsTheFamilys) {
  if (!Chip()) GTEST_SKIP() << kHow;
  PortResolver resolver;
  PortOpenFailure failure;
  std::unique_ptr<FtdiDevice> device = resolver.OpenFtdi(Chip(), failure);
  ASSERT_TRUE(device) << failure.Summary();
  constexpr int kRate = 20000;
  ASSERT_TRUE(device->SetBitMode(0x0D, FtdiDevice::Mode::SyncBitBang));
  ASSERT_TRUE(device->SetBaudRate(kRate));
  device->SetLatencyTimer(1);
  device->Purge();
  auto timeOf = [&](size_t count) {
    const std::vector<uint8_t> states(count, 0x00);
    std::vector<uint8_t> samples(count);
    const auto start = SystemClock::Instance().Now();
    size_t sent = 0, got = 0;
    while (got < count) {
      if (sent < count) {
        const size_t chunk = std::min<size_t>(count - sent, 64);
        EXPECT_EQ(device->Write(states.data() + sent, static_cast<int>(chunk)),
                  static_cast<int>(chunk));
        sent += chunk;
      }
      const int read = device->Read(samples.data() + got, static_cast<int>(sent - got));
      EXPECT_GE(read, 0);
      got += static_cast<size_t>(std::max(read, 0));
    }
    return std::chrono::duration<double>(SystemClock::Instance().Now() - start).count();
  };
  const double measured = 4000 / (timeOf(6000) - timeOf(2000));
  const double modelled = device->Family().StateRate(kRate);
  EXPECT_NEAR(measured, modelled, modelled * 0.1)
      << "the " << device->Family().name << " makes " << measured
      << " pin states a second, FtdiFamily says " << modelled;
}

TEST(FtdiHardware, TheSignatureThroughTheLink) {
  if (!Chip()) GTEST_SKIP() << kHow;
  PortResolver resolver;
  FtdiSpiLink link(resolver, Chip(), SystemClock::Instance(), {});
  ProgrammingSession session(link, SystemClock::Instance());
  const int32_t signature = session.ReadSignature();
  EXPECT_NE(ChipCatalog::FindBySignature(signature), nullptr)
      << ChipCatalog::SignatureText(signature) << ": " << ChipCatalog::ExplainUnknown(signature);
}

}  // namespace
