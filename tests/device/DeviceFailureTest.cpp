// What a device operation does when the adapter, the target or the port fails it: it throws
// a message the user can act on, leaves the link and the trace closed, and reports no
// completion.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "device/DeviceBench.h"
#include "platform/Exception.h"
#include "support/ScratchFolder.h"

namespace {

using ::testing::HasSubstr;

// An adapter with nothing behind it: every byte is answered with 00.
class DeadTargetPort : public SimCommPort {
 public:
  DeadTargetPort(std::shared_ptr<SimChip> chip, Clock& clock)
      : SimCommPort(std::make_shared<SimLine>(chip, SimLine::Options()), clock) {}
  IoResult ReadByte(uint8_t* destination) override {
    *destination = 0x00;
    return IoResult::Moved();
  }
};

class DeadTargetOpener : public PortOpener {
 public:
  explicit DeadTargetOpener(Clock& clock) : clock_(clock) {}
  std::unique_ptr<CommPort> Open(const std::string&, PortOpenFailure&) override {
    return std::make_unique<DeadTargetPort>(
        std::make_shared<SimChip>(SimChip::Model::AT89S52, clock_), clock_);
  }

 private:
  Clock& clock_;
};

class RefusingOpener : public PortOpener {
 public:
  std::unique_ptr<CommPort> Open(const std::string&, PortOpenFailure& failure) override {
    failure.cause = PortOpenFailure::Cause::NoDevice;
    failure.device = "/dev/ttyS4";
    failure.reason = "No such file or directory";
    ++attempts;
    return nullptr;
  }
  int attempts = 0;
};

std::string MessageOf(const std::function<void()>& operation) {
  try {
    operation();
  } catch (const Exception& failure) {
    return failure.what();
  }
  ADD_FAILURE() << "no exception";
  return "";
}

bool AnyFinished(const RecordingListener& listener) {
  for (const auto& note : listener.notes)
    if (note.kind == ProcessListener::NOTIFY_FINISHED) return true;
  return false;
}

TEST(SilentAdapter, EveryOperationFailsNamingThePort) {
  const std::function<void(DeviceBench&)> operations[] = {
      [](DeviceBench& b) { b.device.ReadSignature(); },
      [](DeviceBench& b) { b.device.ReadLockBits(); },
      [](DeviceBench& b) { b.device.WriteLockBits(3); },
      [](DeviceBench& b) { b.device.ReadMemory(); },
      [](DeviceBench& b) { b.device.WriteMemory(Buffer(8192)); },
      [](DeviceBench& b) { b.device.Erase(); },
  };
  for (const auto& operation : operations) {
    ScratchFolder folder;
    DeviceBench bench;
    bench.chip->SetSilenceAfter(0);
    std::string message = MessageOf([&] { operation(bench); });
    EXPECT_THAT(message, HasSubstr("COM1"));
    EXPECT_THAT(message, HasSubstr("programmer did not answer"));
    EXPECT_FALSE(bench.serial.IsOpen());
    EXPECT_TRUE(bench.listener.notes.empty());
  }
}

TEST(SilentAdapter, ReadThatGoesSilentKeepsWhatArrivedAndClosesTheTrace) {
  ScratchFolder folder;
  DeviceBench bench;
  bench.chip->SetFlash(std::vector<uint8_t>(8192, 0x5A));
  bench.chip->SetSilenceAfter(4 + 2 * 258 + 2 + 100);  // 100 bytes into page 2
  EXPECT_THAT(MessageOf([&] { bench.device.ReadMemory(); }), HasSubstr("did not answer"));
  EXPECT_FALSE(bench.serial.IsOpen());
  EXPECT_FALSE(AnyFinished(bench.listener));
  EXPECT_EQ(bench.listener.notes.size(), 2u) << "progress for the two whole pages only";
  // Closed means flushed: the trace holds every byte that arrived, and only those.
  EXPECT_EQ(ScratchFolder::Read("readed_memory.bin"), std::vector<uint8_t>(512 + 100, 0x5A));
}

TEST(SilentAdapter, WriteToNothingReportsNoCompletion) {
  ScratchFolder folder;
  DeviceBench bench;
  bench.chip->SetSilenceAfter(4 + 4 + 300);
  EXPECT_THAT(MessageOf([&] { bench.device.WriteMemory(Buffer(8192)); }),
              HasSubstr("did not answer"));
  EXPECT_FALSE(AnyFinished(bench.listener));
  EXPECT_FALSE(bench.serial.IsOpen());
}

TEST(DeadTarget, ProgrammingEnableWithoutEchoStopsBeforeTheInstructions) {
  VirtualClock clock;
  DeadTargetOpener opener(clock);
  TSerial serial(2, opener);
  AT89S52 device(&serial, clock);
  RecordingListener listener(serial);
  device.SetListener(&listener);
  std::string message = MessageOf([&] { device.ReadSignature(); });
  EXPECT_THAT(message, HasSubstr("target did not enter programming mode (expected 69, got 00)"));
  EXPECT_THAT(message, HasSubstr("power"));
  EXPECT_FALSE(serial.IsOpen());
  EXPECT_TRUE(listener.notes.empty());
}

TEST(PortFailure, FailedOpenSendsNothingAndLeavesAnEmptyTrace) {
  ScratchFolder folder;
  VirtualClock clock;
  RefusingOpener opener;
  TSerial serial(5, opener);
  AT89S52 device(&serial, clock);
  RecordingListener listener(serial);
  device.SetListener(&listener);
  std::string message = MessageOf([&] { device.ReadMemory(); });
  EXPECT_EQ(message, "cannot open COM5 (/dev/ttyS4): No such file or directory");
  EXPECT_TRUE(listener.notes.empty());
  EXPECT_TRUE(std::filesystem::exists("readed_memory.bin"));
  EXPECT_EQ(std::filesystem::file_size("readed_memory.bin"), 0u);
  EXPECT_TRUE(clock.Sleeps().empty());
  MessageOf([&] { device.ReadLockBits(); });
  EXPECT_EQ(opener.attempts, 2) << "a later operation tries the port again";
}

TEST(TraceFiles, RoundTripLeavesTracesEqualToTheImages) {
  ScratchFolder folder;
  DeviceBench bench;
  Buffer image(8192);
  for (uint32_t i = 0; i < 8192; ++i) image[i] = static_cast<uint8_t>((i * 131) ^ (i >> 5));
  for (uint32_t i : {0u, 300u, 8191u}) image[i] = 0x0A, image[i + 1 < 8192 ? i + 1 : i] = 0x0D;
  image[4000] = 0x1A;
  bench.device.WriteMemory(image);
  bench.device.ReadMemory();
  std::vector<uint8_t> expected(image.Data(), image.Data() + 8192);
  const Buffer& read = *bench.device.GetReadImage();
  EXPECT_EQ(std::vector<uint8_t>(read.Data(), read.Data() + 8192), expected);
  EXPECT_EQ(ScratchFolder::Read("writed_memory.bin"), expected);
  EXPECT_EQ(ScratchFolder::Read("readed_memory.bin"), expected);
}

TEST(TraceFiles, ATraceThatCannotBeCreatedDoesNotStopTheTransfer) {
  ScratchFolder folder;
  std::filesystem::create_directory("readed_memory.bin");
  DeviceBench bench;
  bench.chip->SetFlash(std::vector<uint8_t>(8192, 0x42));
  bench.device.ReadMemory();
  EXPECT_EQ((*bench.device.GetReadImage())[8191], 0x42);
  EXPECT_TRUE(AnyFinished(bench.listener));
}

TEST(TraceFiles, SwitchedOffLeavesNoFiles) {
  ScratchFolder folder;
  DeviceBench bench;
  bench.device.SetTraceFiles(false);
  bench.device.ReadMemory();
  bench.device.WriteMemory(Buffer(8192));
  EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

}  // namespace
