// The chip operations of both front ends against the simulated adapter and chip, on virtual
// time: the bytes on the wire and their waits, the guards around each operation, progress,
// stopping, and what the link's failures leave behind.

#include "device/ChipOperations.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "device/AT89S51.h"
#include "device/DeviceBench.h"
#include "support/ScratchFolder.h"

namespace {

using ::testing::HasSubstr;
using Operation = ChipRequest::Operation;
using Check = ChipRequest::Check;
using Kind = ChipFailure::Kind;

const char* const kSignatureOnWire = " 28 00 00 00 28 01 00 00 28 02 00 00";

std::string PageReads(unsigned pages) {
  std::string text;
  for (unsigned page = 0; page < pages; ++page) {
    char head[8];
    std::snprintf(head, sizeof head, " 30 %02X", page);
    text += head;
    for (int j = 0; j < 256; ++j) text += " 00";
  }
  return text;
}

ChipRequest Request(Operation operation, Check check = Check::Changed,
                    std::shared_ptr<const Buffer> image = nullptr, unsigned lockMode = 0) {
  ChipRequest request(operation);
  request.check = check;
  request.image = std::move(image);
  request.lockMode = lockMode;
  return request;
}

// After the reset, Programming Enable and the signature: the instructions, their waits, and
// the lock bits they leave. A lock-bit write programs one bit an instruction, LB1 first, with
// 2 ms between bytes, then reads them back; Chip Erase waits a second either side, heeding a
// stop only outside the chip's 500 ms erase time.
TEST(ChipOperationsWire, ShortOperations) {
  const struct {
    ChipRequest request;
    std::string wire;
    std::vector<uint32_t> waits;  // after the three of the reset and enable
    uint8_t lockBits;
  } cases[] = {
      {Request(Operation::Signature), "", {}, 0},
      {Request(Operation::ReadLockBits), " 24 00 00 00", {}, 0},
      {Request(Operation::WriteLockBits, Check::Changed, nullptr, 0),
       " AC @4 E0 @4 00 @4 00 @2 24 00 00 00", std::vector<uint32_t>(7, 2), 0},
      {Request(Operation::WriteLockBits, Check::Changed, nullptr, 5),
       " AC @4 E1 @4 00 @4 00 @2 AC @4 E3 @4 00 @4 00 @2 24 00 00 00", std::vector<uint32_t>(14, 2),
       5},
      {Request(Operation::WriteLockBits, Check::None, nullptr, 2), " AC @4 E2 @4 00 @4 00",
       std::vector<uint32_t>(7, 2), 2},
      {Request(Operation::Erase, Check::None), " @1000 AC 80 00 AC", {1000, 500, 500}, 0},
  };
  for (const auto& c : cases) {
    DeviceBench bench;
    ChipOutcome outcome = bench.Run(c.request);
    const int which = static_cast<int>(c.request.operation);
    EXPECT_EQ(bench.Wire(), EnableOnWire() + kSignatureOnWire + c.wire) << which;
    std::vector<uint32_t> waits = {600, 600, 600};
    waits.insert(waits.end(), c.waits.begin(), c.waits.end());
    EXPECT_EQ(bench.clock.Sleeps(), waits) << which;
    EXPECT_EQ(bench.chip->LockBits(), c.lockBits) << which;
    EXPECT_EQ(outcome.found, ChipCatalog::FindByName("AT89S52")) << which;
    EXPECT_FALSE(bench.serial.IsOpen()) << which;
  }
}

// Reads stream their clocking bytes (00) whatever the answers, after a look at the lock bits;
// on the 4 KB AT89S51 only its own 16 pages are read and the upper half mirrors them.
TEST(ChipOperationsWire, ReadStreamsTheChipsOwnPages) {
  for (SimChip::Model model : {SimChip::Model::AT89S52, SimChip::Model::AT89S51}) {
    DeviceBench bench({}, model);
    bench.chip->SetFlash(Pattern());
    ChipOutcome outcome = bench.Run(Request(Operation::Read));
    const bool small = model == SimChip::Model::AT89S51;
    EXPECT_EQ(bench.Wire(),
              EnableOnWire() + kSignatureOnWire + " 24 00 00 00" + PageReads(small ? 16 : 32))
        << small;
    ASSERT_TRUE(outcome.image) << small;
    std::vector<uint8_t> expected = Pattern();
    if (small) std::copy_n(expected.begin(), 4096, expected.begin() + 4096);
    EXPECT_EQ(Bytes(*outcome.image), expected) << small;
  }
}

// The erase leaves every page FF, so a write sends only the pages that hold data, then reads
// back what was asked: nothing, those pages, or the whole flash.
TEST(ChipOperationsWire, WriteSendsOnlyPagesWithDataAndReadsBackAsAsked) {
  const struct {
    Check check;
    int verified;
    unsigned pagesReadBack;
  } cases[] = {
      {Check::None, ChipOutcome::kNotDone, 0}, {Check::Changed, 2, 2}, {Check::Whole, 32, 32}};
  for (const auto& c : cases) {
    DeviceBench bench;
    bench.chip->SetFlash(std::vector<uint8_t>(8192, 0x00));
    const std::vector<uint8_t> image = Pattern(2 * 256);
    ChipOutcome outcome = bench.Run(Request(Operation::Write, c.check, ImageOf(image)));
    const unsigned row = c.pagesReadBack;
    EXPECT_EQ(bench.chip->Flash(), image) << row;
    EXPECT_EQ(outcome.pagesWritten, 2) << row;
    EXPECT_EQ(outcome.pagesVerified, c.verified) << row;
    EXPECT_TRUE(outcome.erased) << row;
    EXPECT_EQ(bench.chip->WrittenBytes().size(), 4 + 12 + 4 + 2 * 258 + row * 258) << row;
  }
}

TEST(ChipOperationsProgress, EachPhaseIsAnnouncedAndCountsItsPagesToAHundred) {
  DeviceBench bench;
  bench.Run(Request(Operation::Write, Check::Changed, ImageOf(Pattern(4 * 256))));
  using L = ProcessListener;
  std::string notes;  // each phase named, then its progress
  for (const auto& note : bench.listener.notes) {
    notes += (note.kind == L::NOTIFY_PHASE      ? " phase "
              : note.kind == L::NOTIFY_PROGRESS ? " "
                                                : " ?") +
             std::to_string(note.value);
  }
  const std::string expected = " phase " + std::to_string(L::PHASE_ERASING) + " 0 phase " +
                               std::to_string(L::PHASE_WRITING) + " 0 25 50 75 100 phase " +
                               std::to_string(L::PHASE_VERIFYING) + " 0 25 50 75 100";
  EXPECT_EQ(notes, expected);
}

// Each guard stops the operation before the chip is changed or read, unless forced. A chip
// is erased unasked never: only a blank signature with lock bit 2 programmed may be a locked
// chip hiding its signature, and only an erase or a write that asks for it erases it first.
TEST(ChipOperationsGuards, TheChipIsCheckedBeforeAnythingIsDone) {
  const std::vector<uint8_t> data = Pattern(256);
  std::vector<uint8_t> folding(8192, 0xFF);
  folding[0x1000] = 0x12;  // the AT89S51 ignores A12: this would land on 0000
  const uint8_t locked = SimChip::kLB1 | SimChip::kLB2;
  const ChipRequest write = Request(Operation::Write, Check::Changed, ImageOf(data)),
                    verify = Request(Operation::Verify, Check::Changed, ImageOf(data)),
                    read = Request(Operation::Read), erase = Request(Operation::Erase),
                    blankCheck = Request(Operation::BlankCheck);
  enum Asked { kNothing, kForce, kEraseLocked };
  const struct {
    const char* name;
    ChipRequest request;
    std::optional<Kind> failure;
    uint8_t lockBits = 0;
    bool hidesSignature = false;
    Asked asked = kNothing;
    bool erasedFirst = false;  // and so the flash changed
    const char* chosen = nullptr;
    SimChip::Model model = SimChip::Model::AT89S52;
    std::optional<std::array<uint8_t, 3>> signature = std::nullopt;  // else the model's own
  } cases[] = {
      {"another chip", write, Kind::OtherChip, 0, false, kNothing, false, "AT89S51"},
      {"another chip, protected, forced", read, std::nullopt, SimChip::kLB2, false, kForce, false,
       "AT89S51"},
      {"read-protected read", read, Kind::ReadProtected, SimChip::kLB2},
      {"read-protected verify", verify, Kind::ReadProtected, locked},
      {"read-protected blank check", blankCheck, Kind::ReadProtected, SimChip::kLB2},
      {"image folds", Request(Operation::Write, Check::Changed, ImageOf(folding)), Kind::ImageFolds,
       0, false, kNothing, false, nullptr, SimChip::Model::AT89S51},
      {"mismatch", verify, Kind::Mismatch},
      {"not blank", blankCheck, Kind::Mismatch},
      {"hidden signature, write", write, Kind::HiddenSignature, locked, true},
      {"hidden signature, write, erase-locked", write, std::nullopt, locked, true, kEraseLocked,
       true},
      {"hidden signature, erase, forced", erase, std::nullopt, locked, true, kForce, true},
      {"hidden signature, read", read, Kind::HiddenSignature, SimChip::kLB2, true},
      {"another part, locked, write", write, Kind::UnknownChip, locked, false, kEraseLocked, false,
       nullptr, SimChip::Model::AT89S52, std::array<uint8_t, 3>{0x1E, 0x73, 0x01}},
      {"all FF unlocked, erase", erase, Kind::UnknownChip, 0, false, kEraseLocked, false, nullptr,
       SimChip::Model::AT89S52, std::array<uint8_t, 3>{0xFF, 0xFF, 0xFF}},
  };
  for (const auto& c : cases) {
    DeviceBench bench({}, c.model);
    bench.chip->SetFlash(std::vector<uint8_t>(8192, 0x00));
    bench.chip->SetLockBits(c.lockBits);
    if (c.signature) bench.chip->SetSignature(*c.signature);
    bench.chip->SetSignatureHiddenWhenLocked(c.hidesSignature);
    ChipRequest request = c.request;
    if (c.chosen) request.chosen = ChipCatalog::FindByName(c.chosen);
    request.force = c.asked == kForce;
    request.eraseLocked = c.asked == kEraseLocked;
    ChipOutcome outcome = bench.Run(request);
    EXPECT_EQ(bench.FailureKind(), c.failure) << c.name;
    EXPECT_EQ(bench.failure.empty(), !c.failure) << c.name << ": " << bench.failure;
    EXPECT_EQ(bench.chip->Flash() != std::vector<uint8_t>(8192, 0x00), c.erasedFirst) << c.name;
    EXPECT_EQ(bench.chip->LockBits() == 0, c.erasedFirst || c.lockBits == 0) << c.name;
    EXPECT_EQ(outcome.erasedFirst, c.erasedFirst) << c.name;
    EXPECT_EQ(outcome.forcedPastSignature && outcome.forcedPastProtection,
              c.asked == kForce && !c.hidesSignature)
        << c.name;
  }
}

// The window's device checks the signature against its own chip.
TEST(ChipOperationsGuards, TheDeviceChoosesItsOwnChip) {
  DeviceBench bench({}, SimChip::Model::AT89S51);
  ChipOutcome outcome;
  EXPECT_THROW(bench.device.Run(Request(Operation::Erase), outcome), ChipFailure);
  EXPECT_EQ(outcome.found, ChipCatalog::FindByName("AT89S51"));
  EXPECT_FALSE(outcome.erased);
}

TEST(ChipOperationsGuards, AMismatchNamesTheFirstDifferenceAndTheCount) {
  DeviceBench bench;
  std::vector<uint8_t> flash = Pattern();
  bench.chip->SetFlash(flash);
  std::vector<uint8_t> image = flash;
  image[0x0123] ^= 0xFF;
  image[0x1F00] ^= 0x01;
  ChipOutcome outcome = bench.Run(Request(Operation::Verify, Check::Changed, ImageOf(image)));
  const std::optional<ChipFailure>& failure = bench.chipFailure;
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->Of().difference.count, 2u);
  EXPECT_EQ(failure->Of().difference.first, 0x0123u);
  EXPECT_EQ(failure->Of().difference.actual, flash[0x0123]);
  EXPECT_EQ(failure->Of().compared, 8192u);
  // The chip's bytes stay with the outcome, to be shown beside the image's.
  ASSERT_TRUE(outcome.readBack);
  EXPECT_EQ(Bytes(*outcome.readBack), flash);
}

// A stop ends the operation at once in a long wait, or at the next page; the outcome says how
// far it got.
TEST(ChipOperationsStop, AtTheNextPageOrInTheLongWaits) {
  const struct {
    size_t atNote;  // the stop is raised when this notification arrives
    bool erased;
    int pagesWritten;
    size_t bytesSent;
  } cases[] = {
      {0, true, ChipOutcome::kNotDone, 4 + 12},  // in the second before the erase instruction
      {4, true, 1, 4 + 12 + 4 + 258},            // after the first page
  };
  for (const auto& c : cases) {
    DeviceBench bench;
    bench.listener.before = [&](int, int) {
      if (bench.listener.notes.size() == c.atNote) bench.stop.Raise();
    };
    ChipOutcome outcome =
        bench.Run(Request(Operation::Write, Check::Changed, ImageOf(Pattern(4 * 256))));
    EXPECT_EQ(bench.FailureKind(), Kind::Stopped) << c.atNote;
    EXPECT_EQ(outcome.erased, c.erased) << c.atNote;
    EXPECT_EQ(outcome.pagesWritten, c.pagesWritten) << c.atNote;
    EXPECT_EQ(bench.chip->WrittenBytes().size(), c.bytesSent) << c.atNote;
    EXPECT_FALSE(bench.serial.IsOpen()) << c.atNote;
  }
}

// A stop raised before the operation ends it in the reset pulse: nothing reaches the chip.
TEST(ChipOperationsStop, RaisedBeforeItSendsNothing) {
  DeviceBench bench;
  bench.device.RequestStop();
  ChipOutcome outcome;
  EXPECT_THROW(bench.device.Run(Request(Operation::Read), outcome), ChipFailure);
  EXPECT_TRUE(bench.chip->WrittenBytes().empty());
  bench.device.ClearStop();
  bench.device.Run(Request(Operation::Read), outcome);
  EXPECT_TRUE(outcome.image);
}

// An adapter with nothing behind it: every byte is answered with 00.
struct DeadTargetOpener : PortOpener {
  explicit DeadTargetOpener(Clock& clock) : clock(clock) {}
  std::unique_ptr<CommPort> Open(const std::string&, PortOpenFailure&) override {
    struct Port : SimCommPort {
      using SimCommPort::SimCommPort;
      IoResult ReadByte(uint8_t* destination) override {
        *destination = 0x00;
        return IoResult::Moved();
      }
    };
    auto chip = std::make_shared<SimChip>(SimChip::Model::AT89S52, clock);
    return std::make_unique<Port>(std::make_shared<SimLine>(chip, SimLine::Options()), clock);
  }
  Clock& clock;
};

struct RefusingOpener : PortOpener {
  std::unique_ptr<CommPort> Open(const std::string& name, PortOpenFailure& failure) override {
    failure = PortOpenFailure::Of(name);
    failure.device = "/dev/ttyS4";
    failure.cause = PortOpenFailure::Cause::NoDevice;
    failure.reason = "No such file or directory";
    return nullptr;
  }
};

// Every way the link fails ends the operation with what happened, the port closed.
TEST(ChipOperationsLink, FailuresSayWhatHappenedAndLeaveThePortClosed) {
  const Operation operations[] = {Operation::Signature, Operation::ReadLockBits, Operation::Read,
                                  Operation::Erase, Operation::WriteLockBits};
  for (Operation operation : operations) {
    DeviceBench bench;
    bench.chip->SetSilenceAfter(0);
    bench.Run(Request(operation));
    EXPECT_THAT(bench.failure, HasSubstr("COM1: the programmer did not answer"))
        << static_cast<int>(operation);
    EXPECT_FALSE(bench.serial.IsOpen()) << static_cast<int>(operation);
  }
  VirtualClock clock;
  DeadTargetOpener dead(clock);
  RefusingOpener refusing;
  for (PortOpener* opener :
       {static_cast<PortOpener*>(&dead), static_cast<PortOpener*>(&refusing)}) {
    TSerial serial(5, *opener);
    AT89S52 device(&serial, clock);
    const std::string failure = FailureOf([&] {
      ChipOutcome outcome;
      device.Run(Request(Operation::Read), outcome);
    });
    EXPECT_THAT(failure,
                HasSubstr(opener == &dead
                              ? "the target did not enter programming mode (expected 69, got 00)"
                              : "cannot open COM5 (/dev/ttyS4): No such file or directory"));
    EXPECT_FALSE(serial.IsOpen());
  }
}

// After the second page the adapter is pulled out, or noise garbles an answer: each says
// what happened, and neither is taken for a silent adapter.
TEST(ChipOperationsLink, AnAdapterPulledOutOrANoisyLineIsNotASilentOne) {
  const struct {
    void (SimLine::*fault)();
    const char* failure;
  } cases[] = {
      {&SimLine::Unplug, "COM1: the port went away (USB adapter unplugged?): Input/output error"},
      {&SimLine::Noise,
       "COM1: a byte was garbled or lost on the line (framing error); check the cable and its "
       "connectors, keep it away from noise, and try again"},
  };
  SimLine::Options line;
  line.baudRate = 4800;
  for (const auto& c : cases) {
    DeviceBench bench(line);
    int pages = 0;
    bench.listener.before = [&](int value, int kind) {
      if (kind == ProcessListener::NOTIFY_PROGRESS && value > 0 && ++pages == 2)
        (bench.opener.Line().*c.fault)();
    };
    bench.Run(Request(Operation::Read));
    EXPECT_EQ(bench.failure, c.failure);
    EXPECT_FALSE(bench.serial.IsOpen()) << c.failure;
  }
}

// A write leaves its last answers on their way when it closes the port: the read that follows
// must neither take those answers for its own nor cut the last page short with its reset.
TEST(ChipOperationsLink, AWriteIsReadBackWholeRightAfterItAtLineSpeed) {
  for (int latencyMs : {0, 16}) {
    SimLine::Options line;
    line.baudRate = 4800;
    line.latency = std::chrono::milliseconds(latencyMs);
    DeviceBench bench(line);
    const std::vector<uint8_t> image = Pattern();
    bench.Run(Request(Operation::Write, Check::None, ImageOf(image)));
    ChipOutcome outcome = bench.Run(Request(Operation::Read));
    ASSERT_TRUE(outcome.image) << latencyMs;
    EXPECT_EQ(Bytes(*outcome.image), image) << "latency " << latencyMs;
  }
}

TEST(ChipOperationsTrace, TransfersLeaveTheirBytesUnlessSwitchedOff) {
  for (bool traced : {true, false}) {
    ScratchFolder folder;
    DeviceBench bench;
    const std::vector<uint8_t> image = Pattern();
    ChipRequest write = Request(Operation::Write, Check::None, ImageOf(image));
    ChipRequest read = Request(Operation::Read);
    write.traceFiles = read.traceFiles = traced;
    bench.Run(write);
    bench.Run(read);
    if (!traced) {
      EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
      continue;
    }
    EXPECT_EQ(ScratchFolder::Read("writed_memory.bin"), image);
    EXPECT_EQ(ScratchFolder::Read("readed_memory.bin"), image);
  }
}

}  // namespace
