// The device on a line that keeps the real line's time, on virtual time: answers arrive after
// their bytes, a USB adapter holds them back, a line may only echo, an adapter may be pulled
// out in the middle of a transfer.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "device/DeviceBench.h"
#include "platform/Exception.h"

namespace {

using ::testing::HasSubstr;

SimLine::Options At4800(int latencyMs = 0, bool echo = false) {
  SimLine::Options options;
  options.baudRate = 4800;
  options.latency = std::chrono::milliseconds(latencyMs);
  options.echo = echo;
  return options;
}

// A write leaves four answers on their way when it closes the port, and the last bytes of
// its last page may still be on the wire: the read that follows must neither take those
// answers for its own nor cut the page short with its reset pulse.
TEST(LineAtSpeed, AWriteIsReadBackWholeRightAfterIt) {
  for (int latencyMs : {0, 16}) {
    DeviceBench bench(At4800(latencyMs));
    bench.device.SetTraceFiles(false);
    Buffer image(8192);
    for (uint32_t i = 0; i < image.Size(); ++i) image[i] = static_cast<uint8_t>(i * 7 + 1);
    bench.device.WriteMemory(image);
    EXPECT_EQ(bench.device.ReadSignature(), 0x06521E) << "latency " << latencyMs;
    bench.device.ReadMemory();
    const Buffer& read = *bench.device.GetReadImage();
    EXPECT_EQ(std::vector<uint8_t>(read.Data(), read.Data() + 8192),
              std::vector<uint8_t>(image.Data(), image.Data() + 8192))
        << "latency " << latencyMs;
  }
}

TEST(LineAtSpeed, ALineThatEchoesIsNoTarget) {
  DeviceBench bench(At4800(0, true));
  EXPECT_THAT(FailureOf([&] { bench.device.ReadLockBits(); }),
              HasSubstr("COM1: the line echoes every byte"));
  EXPECT_FALSE(bench.serial.IsOpen());
}

// After the second page the adapter is pulled out, or noise garbles an answer: each says
// what happened, and neither is taken for a silent adapter.
TEST(LineAtSpeed, AnAdapterPulledOutOrANoisyLineIsNotASilentOne) {
  struct Case {
    void (SimLine::*fault)();
    const char* failure;
  } cases[] = {
      {&SimLine::Unplug, "COM1: the port went away (USB adapter unplugged?): Input/output error"},
      {&SimLine::Noise,
       "COM1: a byte was garbled or lost on the line (framing error); check the cable and its "
       "connectors, keep it away from noise, and try again"},
  };
  for (const Case& c : cases) {
    struct Faulting : RecordingListener {
      Faulting(const TSerial& serial, SimLine& line, void (SimLine::*fault)())
          : RecordingListener(serial), line(line), fault(fault) {}
      void Notify(int value, int kind) override {
        RecordingListener::Notify(value, kind);
        if (notes.size() == 2) (line.*fault)();
      }
      SimLine& line;
      void (SimLine::*fault)();
    };
    DeviceBench bench(At4800());
    bench.device.SetTraceFiles(false);
    Faulting listener(bench.serial, bench.opener.Line(), c.fault);
    bench.device.SetListener(&listener);
    EXPECT_EQ(FailureOf([&] { bench.device.ReadMemory(); }), c.failure);
    EXPECT_EQ(listener.notes.size(), 2u);
    EXPECT_FALSE(bench.serial.IsOpen());
  }
}

}  // namespace
