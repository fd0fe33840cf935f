#include <algorithm>
#include <array>
#include <filesystem>

#include "CliFixture.h"

namespace fs = std::filesystem;
using ::testing::_;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

class CliCommands : public CliFixture {};

// Without -d, the signature also chooses the device a command works on.
TEST_F(CliCommands, SignatureNamesEachChipAndChoosesTheDevice) {
  Expect("-p sim:AT89S51 signature", 0, "signature 1E 51 06: AT89S51\n", "");
  Expect("signature --port=sim:at89s52", 0, "signature 1E 52 06: AT89S52\n", _);
  WriteText("blink.hex", BlinkHex());
  Expect("-p sim:AT89S51 write blink.hex", 0,
         "wrote blink.hex to the AT89S51: 1 page written, 1 page verified\n", _);
}

TEST_F(CliCommands, WriteErasesWritesAndVerifiesAHexFile) {
  Chip()->SetFlash(Pattern(1));
  Chip()->SetLockBits(SimChip::kLB3);
  WriteText("blink.hex", BlinkHex());
  // The program fits in page 0: that page alone is written and read back.
  Expect("-p sim:AT89S52 write blink.hex", 0,
         "wrote blink.hex to the AT89S52: 1 page written, 1 page verified\n",
         "writing: 0%\nwriting: 100%\nverifying: 0%\nverifying: 100%\n");
  EXPECT_EQ(FlashOfHex(BlinkHex()), Chip()->Flash());
  EXPECT_EQ(0, Chip()->LockBits());
  EXPECT_FALSE(fs::exists("readed_memory.bin"));
  EXPECT_FALSE(fs::exists("writed_memory.bin"));
}

TEST_F(CliCommands, ProgressIsABarOnATerminalAndNothingWhenQuiet) {
  WriteText("blink.hex", BlinkHex());
  Expect("-p sim:AT89S52 write blink.hex --no-verify", 0,
         "wrote blink.hex to the AT89S52: 1 page written, not verified\n",
         AllOf(StartsWith("\rwriting [......"),
               HasSubstr("\rwriting [" + std::string(40, '#') + "] 100%\n"),
               Not(HasSubstr("verifying"))),
         true);
  Expect("-q -p sim:AT89S52 write blink.hex", 0, "", "", true);
}

TEST_F(CliCommands, TraceFilesOnlyWithTrace) {
  Chip()->SetFlash(Pattern(2));
  Expect("-p sim:AT89S52 --trace read copy.bin", 0, _, _);
  EXPECT_EQ(Pattern(2), ScratchFolder::Read("readed_memory.bin"));
  EXPECT_FALSE(fs::exists("writed_memory.bin"));
}

// A raw read, a verify that matches and an erase, each on what the one before left, are among
// CliFtdi's steps on this port.
TEST_F(CliCommands, ReadSavesTheWholeMemoryInEitherFormat) {
  Chip()->SetFlash(Pattern(3));
  Expect("-p sim:AT89S52 read out.bin", 0, _, _);
  EXPECT_EQ(Pattern(3), ScratchFolder::Read("out.bin"));
  Expect("-p sim:AT89S52 -d AT89S52 read out.hex", 0, _, _);
  EXPECT_EQ(Pattern(3), FlashOfHex(ReadText("out.hex")));
  EXPECT_EQ(0u, ReadText("out.hex").find(":10000000"));
}

TEST_F(CliCommands, ReadWritesNoFileWhenItFails) {
  fs::create_directory("folder");
  Expect("-p sim:AT89S52 read folder", 2, _,
         "isp89-cli: folder is a folder; name a file to write\n");
  Expect("-q -p sim:AT89S52 read no/such/out.bin", 2, _,
         "isp89-cli: cannot save no/such/out.bin: there is no folder no/such\n");
  EXPECT_TRUE(Chip()->Events().empty());
  Chip()->SetSilenceAfter(5000);
  Expect("-q -p sim:AT89S52 read out.bin", 1, _,
         AllOf(HasSubstr("the programmer did not answer"), OneLine()));
  EXPECT_FALSE(fs::exists("out.bin"));
}

TEST_F(CliCommands, VerifyNamesTheFirstDifferenceAndTheCount) {
  Chip()->SetFlash(Pattern(4));
  std::vector<uint8_t> file = Pattern(4);
  file[0x0100] ^= 0xFF;
  file[0x0200] = 0x00;
  file[0x1FFF] ^= 0x01;
  ScratchFolder::Write("other.bin", file);
  // Pattern(4) holds 04 at 0100.
  Expect("-q -p sim:AT89S52 verify other.bin", 1, _,
         "isp89-cli: verify failed: 3 of 8192 bytes differ; the first at 0100: chip 04, "
         "other.bin FB\n");
}

TEST_F(CliCommands, LockReadsAndWritesTheLockBits) {
  Chip()->SetLockBits(SimChip::kLB1 | SimChip::kLB3);
  Expect("-p sim:AT89S52 lock", 0, "LB1=1 LB2=0 LB3=1\n", _);
  Chip()->SetLockBits(0);
  Expect("-p sim:AT89S52 lock --write 2", 0, "LB1=0 LB2=1 LB3=0\n", _);
  EXPECT_EQ(SimChip::kLB2, Chip()->LockBits());
  Expect("-p sim:AT89S52 lock --write=3", 0, "LB1=1 LB2=1 LB3=0\n", _);
  EXPECT_EQ(SimChip::kLB1 | SimChip::kLB2, Chip()->LockBits());
}

TEST_F(CliCommands, WriteAndEraseRefuseAnotherChipUnlessForced) {
  Chip()->SetFlash(Pattern(6));
  WriteText("blink.hex", BlinkHex());
  for (const std::string command : {"write blink.hex", "erase"}) {
    Expect("-p sim:AT89S52 -d AT89S51 " + command, 1, _,
           "isp89-cli: the target's signature 1E 52 06 is the AT89S52's, not the AT89S51's "
           "(1E 51 06); choose -d AT89S52; --force goes on anyway\n");
    EXPECT_EQ(Pattern(6), Chip()->Flash()) << command;
  }
  Expect("-p sim:AT89S52 -d AT89S51 --force write blink.hex", 0, _,
         HasSubstr("warning: the target's signature 1E 52 06 is the AT89S52's, not the "
                   "AT89S51's (1E 51 06); going on as the AT89S51\n"));
  EXPECT_EQ(FlashOfHex(BlinkHex()), Chip()->Flash());
}

// The AT89S51's 4 KB mirror into the upper half of the 8 KB the programmer handles.
TEST_F(CliCommands, SmallChipRefusesDataItWouldFoldButTakesAMirroredImage) {
  std::vector<uint8_t> image(8192, 0xFF);
  image[0x1000] = 0x12;
  ScratchFolder::Write("upper.bin", image);
  Expect("-p sim:AT89S51 write upper.bin", 2, _,
         "isp89-cli: upper.bin has data at 1000, beyond the AT89S51's 4 KB of flash, where the "
         "chip would write it over 0000\n");
  EXPECT_EQ(std::vector<uint8_t>(8192, 0xFF), Chip("sim:AT89S51")->Flash());
  std::vector<uint8_t> mirrored = Pattern(7);
  std::copy(mirrored.begin(), mirrored.begin() + 4096, mirrored.begin() + 4096);
  ScratchFolder::Write("mirrored.bin", mirrored);
  Expect("-q -p sim:AT89S51 write mirrored.bin", 0, _, _);
  EXPECT_EQ(mirrored, Chip("sim:AT89S51")->Flash());
}

TEST_F(CliCommands, BadInputFilesEndWithStatusTwoAndTouchNothing) {
  fs::create_directory("folder.hex");
  WriteText("empty.bin", "");
  WriteText("bad.hex", ":03000000020030CB\n:100030007581307590FFB29012004080F900000088\n");
  const struct {
    std::string file, message;
  } cases[] = {
      {"missing.hex", "isp89-cli: cannot open missing.hex: No such file or directory\n"},
      {"empty.bin", "isp89-cli: empty.bin is empty (0 bytes)\n"},
      {"folder.hex", "isp89-cli: folder.hex is a folder, not an image file\n"},
      {"bad.hex", "isp89-cli: bad.hex line 2: checksum mismatch (found 88, computed 89)\n"},
  };
  for (const auto& c : cases) {
    for (const char* command : {"write", "verify"}) {
      Expect("-p sim:AT89S52 " + std::string(command) + " " + c.file, 2, _, c.message);
    }
  }
  EXPECT_TRUE(Chip()->Events().empty());
}

TEST_F(CliCommands, RawFileLongerThanTheMemoryIsCutWithANote) {
  std::vector<uint8_t> bytes = Pattern(8);
  bytes.resize(10000, 0x00);
  ScratchFolder::Write("long.bin", bytes);
  Expect("-p sim:AT89S52 write long.bin", 0, _,
         StartsWith("warning: long.bin is 10000 bytes, longer than the 8192-byte memory; the "
                    "first 8192 bytes are used\n"));
  EXPECT_EQ(Pattern(8), Chip()->Flash());
}

// The erase leaves every page FF, so write sends only the pages that hold other bytes, and
// reads back those (or the whole flash with --verify full). Bytes on the wire: programming
// enable 4, signature 12, Chip Erase 4, then 258 for each page written and each page read.
TEST_F(CliCommands, WriteSendsOnlyThePagesThatHoldData) {
  std::vector<uint8_t> twoKb(8192, 0xFF), lastPage(8192, 0xFF);
  std::copy_n(Pattern(9).begin(), 2048, twoKb.begin());
  lastPage[0x1F80] = 0x00;
  ScratchFolder::Write("2k.bin", twoKb);
  ScratchFolder::Write("last.bin", lastPage);
  ScratchFolder::Write("blank.bin", std::vector<uint8_t>(8192, 0xFF));
  const struct {
    size_t pagesWritten, pagesRead;
    std::string file, options, said;
  } cases[] = {
      {8, 8, "2k.bin", "", "wrote 2k.bin to the AT89S52: 8 pages written, 8 pages verified"},
      {8, 32, "2k.bin", "--verify full",
       "wrote 2k.bin to the AT89S52: 8 pages written, all 32 pages verified"},
      {1, 1, "last.bin", "", "wrote last.bin to the AT89S52: 1 page written, 1 page verified"},
      {8, 0, "2k.bin", "--no-verify", "wrote 2k.bin to the AT89S52: 8 pages written, not verified"},
      {0, 0, "blank.bin", "",
       "blank.bin is blank (all FF): the AT89S52 was erased and no page written"},
  };
  for (const auto& c : cases) {
    Chip()->SetFlash(Pattern(1));
    Chip()->ClearEvents();
    Expect("-p sim:AT89S52 write " + c.options + " " + c.file, 0, c.said + "\n", _);
    EXPECT_EQ(Chip()->WrittenBytes().size(), 4 + 12 + 4 + 258 * (c.pagesWritten + c.pagesRead))
        << c.said;
    EXPECT_EQ(ScratchFolder::Read(c.file), Chip()->Flash()) << c.said;
  }
}

// A file of a chip that is not there, or one that hides its flash, is no backup.
TEST_F(CliCommands, ReadRefusesAnUnknownChipAndAReadProtectedOne) {
  Chip()->SetFlash(Pattern(10));
  Chip()->SetLockBits(SimChip::kLB1 | SimChip::kLB2);
  Expect("-p sim:AT89S52 read out.bin", 1, _,
         StartsWith("isp89-cli: the AT89S52's read-out protection is on (lock bit 2 programmed)"));
  EXPECT_FALSE(fs::exists("out.bin"));
  Expect("-p sim:AT89S52 --force read out.bin", 0, _, _);
  EXPECT_EQ(std::vector<uint8_t>(8192, 0xFF), ScratchFolder::Read("out.bin"));
}

// Only an erase clears the lock bits, so a chip locked in mode 3 that hides its signature
// (FF FF FF) is erased first, but only when asked, and said so even under -q; a chip that
// answers another signature is never erased.
TEST_F(CliCommands, OnlyALockedChipThatHidesItsSignatureIsErasedAndOnlyWhenAsked) {
  const std::array<uint8_t, 3> own = {0x1E, 0x52, 0x06}, other = {0x1E, 0x73, 0x01};
  const struct {
    std::array<uint8_t, 3> signature;
    int status;
    std::string line, err;  // the arguments after the port; the start of the standard error
  } cases[] = {
      {own, 1, "erase",
       "isp89-cli: the target's signature reads FF FF FF and lock bit 2 is programmed: a chip "
       "locked in mode 3 or 4 may hide its signature"},
      {own, 0, "-q --erase-locked write blink.hex",
       "note: the signature read FF FF FF and lock bit 2 was programmed: as asked "
       "(--erase-locked), the chip was erased first"},
      {other, 1, "--erase-locked erase",
       "isp89-cli: the target's signature reads 1E 73 01: this is not the signature of a "
       "supported chip"},
  };
  WriteText("blink.hex", BlinkHex());
  for (const auto& c : cases) {
    Chip()->SetFlash(Pattern(11));
    Chip()->SetLockBits(SimChip::kLB1 | SimChip::kLB2);
    Chip()->SetSignature(c.signature);
    Chip()->SetSignatureHiddenWhenLocked(c.signature == own);
    Expect("-p sim:AT89S52 " + c.line, c.status, _, StartsWith(c.err));
    EXPECT_EQ(c.status == 0 ? FlashOfHex(BlinkHex()) : Pattern(11), Chip()->Flash()) << c.line;
  }
}

namespace {

// A target that enters programming mode but answers 00 to everything else, as a chip whose
// signature cannot be read does.
class BlankTargetPort : public CommPort {
 public:
  bool GetState(LineSettings&) override { return true; }
  bool SetState(const LineSettings&) override { return true; }
  bool GetTimeouts(CommTimeouts&) override { return true; }
  bool SetTimeouts(const CommTimeouts&) override { return true; }
  bool SetRts(bool) override { return true; }
  bool SetupQueues(uint32_t, uint32_t) override { return true; }
  IoResult WriteByte(uint8_t byte) override {
    answers_.push_back(byte == 0x69 ? 0x69 : 0x00);
    return IoResult::Moved();
  }
  IoResult ReadByte(uint8_t* destination) override {
    if (answers_.empty()) return IoResult::TimedOut();
    *destination = answers_.front();
    answers_.erase(answers_.begin());
    return IoResult::Moved();
  }
  bool PurgeInput() override { return answers_.clear(), true; }
  bool DrainOutput() override { return true; }

 private:
  std::vector<uint8_t> answers_;
};

// The port "blank": a target that answers 00 to everything.
class BlankTarget : public PortTarget {
 public:
  bool Claims(const std::string& name) const override { return name == "blank"; }
  std::string Check(const std::string&) const override { return ""; }
  std::string Canonical(const std::string& name) const override { return name; }
  std::string Describe(const std::string& name) const override { return name; }
  std::unique_ptr<CommPort> Open(const std::string&, PortOpenFailure&) override {
    return std::make_unique<BlankTargetPort>();
  }
};

class CliBlankTarget : public CliFixture {
 protected:
  BlankTarget blank_;
};

}  // namespace

// COM1 leads to the blank target. Forced on, the erase's blank check finds the chip unerased.
TEST_F(CliBlankTarget, ABlankSignatureIsExplainedAndGuardsWriteAndErase) {
  resolver_.AddTarget(blank_);
  setenv("ISP89_COM1", "blank", 1);
  const std::string blank = "isp89-cli: the target's signature reads 00 00 00";
  const struct {
    std::string line;
    Text out, err;
  } cases[] = {
      {"signature", "signature 00 00 00: unknown chip\n",
       StartsWith(blank + ": the target entered programming mode, so a chip is there, but its "
                          "signature cannot be read")},
      {"erase", _,
       AllOf(StartsWith(blank + ": the target entered programming mode"),
             HasSubstr("; --force goes on anyway\n"))},
      {"read out.bin", _, StartsWith(blank)},
      {"--force erase", _,
       AllOf(HasSubstr("going on as the AT89S52\n"),
             HasSubstr("isp89-cli: blank check failed: 8192 of 8192 bytes differ; the first at "
                       "0000: chip 00, erased FF\n"))},
  };
  for (const auto& c : cases) Expect(c.line, 1, c.out, c.err);
  unsetenv("ISP89_COM1");
  EXPECT_FALSE(fs::exists("out.bin"));
}
