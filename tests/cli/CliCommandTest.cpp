#include <algorithm>
#include <array>
#include <filesystem>

#include "CliFixture.h"
#include "image/IntelHexReader.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> BlinkImage() {
  Buffer image = IntelHexReader::Parse(BlinkHex(), "blink.hex", 8192);
  return std::vector<uint8_t>(image.Data(), image.Data() + image.Size());
}

size_t CountOf(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

}  // namespace

class CliCommands : public CliFixture {};

TEST_F(CliCommands, SignatureNamesEachChip) {
  Result s51 = Run({"-p", "sim:AT89S51", "signature"});
  EXPECT_EQ(0, s51.status);
  EXPECT_EQ("signature 1E 51 06: AT89S51\n", s51.out);
  EXPECT_EQ("", s51.err);
  Result s52 = Run({"signature", "--port=sim:at89s52"});
  EXPECT_EQ(0, s52.status);
  EXPECT_EQ("signature 1E 52 06: AT89S52\n", s52.out);
}

TEST_F(CliCommands, WriteErasesWritesAndVerifiesAHexFile) {
  Chip()->SetFlash(Pattern(1));
  Chip()->SetLockBits(SimChip::kLB3);
  WriteText("blink.hex", BlinkHex());
  Result r = Run({"-p", "sim:AT89S52", "write", "blink.hex"});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ(BlinkImage(), Chip()->Flash());
  EXPECT_EQ(0, Chip()->LockBits());
  EXPECT_EQ("wrote blink.hex to the AT89S52: 1 page written, 1 page verified\n", r.out);
  // The program fits in page 0: that page alone is written and read back.
  EXPECT_EQ("writing: 0%\nwriting: 100%\nverifying: 0%\nverifying: 100%\n", r.err);
  EXPECT_FALSE(fs::exists("readed_memory.bin"));
  EXPECT_FALSE(fs::exists("writed_memory.bin"));
}

TEST_F(CliCommands, ProgressIsABarOnATerminalAndNothingWhenQuiet) {
  WriteText("blink.hex", BlinkHex());
  Result bar = Run({"-p", "sim:AT89S52", "write", "blink.hex", "--no-verify"}, true);
  EXPECT_EQ(0, bar.status);
  EXPECT_EQ(0u, bar.err.find("\rwriting [......"));
  EXPECT_NE(std::string::npos, bar.err.find("\rwriting [" + std::string(40, '#') + "] 100%\n"));
  EXPECT_EQ(std::string::npos, bar.err.find("verifying"));
  EXPECT_EQ("wrote blink.hex to the AT89S52: 1 page written, not verified\n", bar.out);

  Result quiet = Run({"-q", "-p", "sim:AT89S52", "write", "blink.hex"}, true);
  EXPECT_EQ(0, quiet.status);
  EXPECT_EQ("", quiet.err);
  EXPECT_EQ("", quiet.out);
}

TEST_F(CliCommands, TraceFilesOnlyWithTrace) {
  Chip()->SetFlash(Pattern(2));
  Result r = Run({"-p", "sim:AT89S52", "--trace", "read", "copy.bin"});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ(Pattern(2), ScratchFolder::Read("readed_memory.bin"));
  EXPECT_FALSE(fs::exists("writed_memory.bin"));
}

TEST_F(CliCommands, ReadSavesTheWholeMemoryInEitherFormat) {
  Chip()->SetFlash(Pattern(3));
  Result raw = Run({"-p", "sim:AT89S52", "read", "out.bin"});
  EXPECT_EQ(0, raw.status) << raw.err;
  EXPECT_EQ(Pattern(3), ScratchFolder::Read("out.bin"));
  EXPECT_NE(std::string::npos, raw.out.find("read 8192 bytes from the AT89S52 into out.bin"));

  Result hex = Run({"-p", "sim:AT89S52", "-d", "AT89S52", "read", "out.hex"});
  EXPECT_EQ(0, hex.status) << hex.err;
  Buffer back = IntelHexReader::Parse(ReadText("out.hex"), "out.hex", 8192);
  EXPECT_EQ(Pattern(3), std::vector<uint8_t>(back.Data(), back.Data() + 8192));
  EXPECT_EQ(0u, ReadText("out.hex").find(":10000000"));
}

TEST_F(CliCommands, ReadWritesNoFileWhenItFails) {
  fs::create_directory("folder");
  Result folder = Run({"-p", "sim:AT89S52", "read", "folder"});
  EXPECT_EQ(2, folder.status);
  EXPECT_EQ("isp89-cli: folder is a folder; name a file to write\n", folder.err);
  EXPECT_TRUE(Chip()->Events().empty());

  Result missingFolder = Run({"-q", "-p", "sim:AT89S52", "read", "no/such/out.bin"});
  EXPECT_EQ(2, missingFolder.status);
  EXPECT_EQ("isp89-cli: cannot save no/such/out.bin: there is no folder no/such\n",
            missingFolder.err);
  EXPECT_TRUE(Chip()->Events().empty());

  Chip()->SetSilenceAfter(5000);
  Result silent = Run({"-q", "-p", "sim:AT89S52", "read", "out.bin"});
  EXPECT_EQ(1, silent.status);
  EXPECT_NE(std::string::npos, silent.err.find("the programmer did not answer"));
  EXPECT_FALSE(fs::exists("out.bin"));
  EXPECT_EQ(1u, CountOf(silent.err, "\n"));
}

TEST_F(CliCommands, VerifyNamesTheFirstDifferenceAndTheCount) {
  std::vector<uint8_t> flash = Pattern(4);
  Chip()->SetFlash(flash);
  ScratchFolder::Write("same.bin", flash);
  Result same = Run({"-p", "sim:AT89S52", "verify", "same.bin"});
  EXPECT_EQ(0, same.status) << same.err;
  EXPECT_NE(std::string::npos, same.out.find("same.bin matches the AT89S52's flash (8192 bytes)"));

  std::vector<uint8_t> file = flash;
  file[0x0100] ^= 0xFF;
  file[0x0200] = 0x00;
  file[0x1FFF] ^= 0x01;
  ScratchFolder::Write("other.bin", file);
  Result other = Run({"-q", "-p", "sim:AT89S52", "verify", "other.bin"});
  EXPECT_EQ(1, other.status);
  char expected[200];
  std::snprintf(expected, sizeof expected,
                "isp89-cli: verify failed: 3 of 8192 bytes differ; the first at 0100: chip "
                "%02X, other.bin %02X\n",
                flash[0x100], file[0x100]);
  EXPECT_EQ(expected, other.err);
}

TEST_F(CliCommands, EraseClearsFlashAndLockBitsAndChecksTheBlank) {
  Chip()->SetFlash(Pattern(5));
  Chip()->SetLockBits(SimChip::kLB1);
  Result r = Run({"-p", "sim:AT89S52", "erase"});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ(std::vector<uint8_t>(8192, 0xFF), Chip()->Flash());
  EXPECT_EQ(0, Chip()->LockBits());
  EXPECT_NE(std::string::npos, r.out.find("erased the AT89S52 (blank check passed)"));
}

TEST_F(CliCommands, LockReadsAndWritesTheLockBits) {
  Chip()->SetLockBits(SimChip::kLB1 | SimChip::kLB3);
  Result read = Run({"-p", "sim:AT89S52", "lock"});
  EXPECT_EQ(0, read.status);
  EXPECT_EQ("LB1=1 LB2=0 LB3=1\n", read.out);

  Chip()->SetLockBits(0);
  Result two = Run({"-p", "sim:AT89S52", "lock", "--write", "2"});
  EXPECT_EQ(0, two.status) << two.err;
  EXPECT_EQ(SimChip::kLB2, Chip()->LockBits());
  EXPECT_EQ("LB1=0 LB2=1 LB3=0\n", two.out);
  Result three = Run({"-p", "sim:AT89S52", "lock", "--write=3"});
  EXPECT_EQ(SimChip::kLB1 | SimChip::kLB2, Chip()->LockBits());
  EXPECT_EQ("LB1=1 LB2=1 LB3=0\n", three.out);
}

TEST_F(CliCommands, WriteAndEraseRefuseAnotherChipUnlessForced) {
  Chip()->SetFlash(Pattern(6));
  WriteText("blink.hex", BlinkHex());
  for (const char* command : {"write", "erase"}) {
    std::vector<std::string> arguments = {"-p", "sim:AT89S52", "-d", "AT89S51", command};
    if (std::string(command) == "write") arguments.push_back("blink.hex");
    Result refused = Run(arguments);
    EXPECT_EQ(1, refused.status) << command;
    EXPECT_EQ(
        "isp89-cli: the target's signature 1E 52 06 is the AT89S52's, not the AT89S51's "
        "(1E 51 06); choose -d AT89S52; --force goes on anyway\n",
        refused.err)
        << command;
    EXPECT_EQ(Pattern(6), Chip()->Flash()) << command;
  }
  Result forced = Run({"-p", "sim:AT89S52", "-d", "AT89S51", "--force", "write", "blink.hex"});
  EXPECT_EQ(0, forced.status) << forced.err;
  EXPECT_NE(std::string::npos, forced.err.find("warning: the target's signature 1E 52 06 is the "
                                               "AT89S52's, not the AT89S51's (1E 51 06); going "
                                               "on as the AT89S51\n"));
  EXPECT_EQ(BlinkImage(), Chip()->Flash());
}

TEST_F(CliCommands, WithoutADeviceTheSignatureChoosesIt) {
  WriteText("blink.hex", BlinkHex());
  Result r = Run({"-p", "sim:AT89S51", "write", "blink.hex"});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ("wrote blink.hex to the AT89S51: 1 page written, 1 page verified\n", r.out);
}

// The AT89S51's 4 KB mirror into the upper half of the 8 KB the programmer handles.
TEST_F(CliCommands, SmallChipRefusesDataItWouldFoldButTakesAMirroredImage) {
  std::vector<uint8_t> image(8192, 0xFF);
  image[0x1000] = 0x12;
  ScratchFolder::Write("upper.bin", image);
  Result refused = Run({"-p", "sim:AT89S51", "write", "upper.bin"});
  EXPECT_EQ(2, refused.status);
  EXPECT_EQ(
      "isp89-cli: upper.bin has data at 1000, beyond the AT89S51's 4 KB of flash, where "
      "the chip would write it over 0000\n",
      refused.err);
  EXPECT_EQ(std::vector<uint8_t>(8192, 0xFF), Chip("sim:AT89S51")->Flash());

  std::vector<uint8_t> mirrored = Pattern(7);
  std::copy(mirrored.begin(), mirrored.begin() + 4096, mirrored.begin() + 4096);
  ScratchFolder::Write("mirrored.bin", mirrored);
  Result taken = Run({"-q", "-p", "sim:AT89S51", "write", "mirrored.bin"});
  EXPECT_EQ(0, taken.status) << taken.err;
  EXPECT_EQ(mirrored, Chip("sim:AT89S51")->Flash());
}

TEST_F(CliCommands, BadInputFilesEndWithStatusTwoAndTouchNothing) {
  fs::create_directory("folder.hex");
  WriteText("empty.bin", "");
  WriteText("bad.hex", ":03000000020030CB\n:100030007581307590FFB29012004080F900000088\n");
  struct Case {
    std::string file, message;
  } cases[] = {
      {"missing.hex", "isp89-cli: cannot open missing.hex: No such file or directory\n"},
      {"empty.bin", "isp89-cli: empty.bin is empty (0 bytes)\n"},
      {"folder.hex", "isp89-cli: folder.hex is a folder, not an image file\n"},
      {"bad.hex", "isp89-cli: bad.hex line 2: checksum mismatch (found 88, computed 89)\n"},
  };
  for (const Case& c : cases) {
    for (const char* command : {"write", "verify"}) {
      Result r = Run({"-p", "sim:AT89S52", command, c.file});
      EXPECT_EQ(2, r.status) << command << " " << c.file;
      EXPECT_EQ(c.message, r.err) << command << " " << c.file;
    }
  }
  EXPECT_TRUE(Chip()->Events().empty());
}

TEST_F(CliCommands, RawFileLongerThanTheMemoryIsCutWithANote) {
  std::vector<uint8_t> bytes = Pattern(8);
  bytes.resize(10000, 0x00);
  ScratchFolder::Write("long.bin", bytes);
  Result r = Run({"-p", "sim:AT89S52", "write", "long.bin"});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ(0u, r.err.find("warning: long.bin is 10000 bytes, longer than the 8192-byte memory; "
                           "the first 8192 bytes are used\n"));
  EXPECT_EQ(Pattern(8), Chip()->Flash());
}

TEST_F(CliCommands, AnAdapterGoingSilentFailsTheWrite) {
  WriteText("blink.hex", BlinkHex());
  Result signature = Run({"-p", "sim:AT89S52", "signature"});
  ASSERT_EQ(0, signature.status);
  Chip()->SetSilenceAfter(4 + 12 + 4 + 100);  // enable, signature, erase, into the page
  Result r = Run({"-q", "-p", "sim:AT89S52", "write", "blink.hex"});
  EXPECT_EQ(1, r.status);
  EXPECT_EQ(0u, r.err.find("isp89-cli: sim:AT89S52: the programmer did not answer"));
  EXPECT_EQ(1u, CountOf(r.err, "\n"));
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

}  // namespace

TEST(CliBlankTarget, ABlankSignatureIsExplainedAndGuardsWriteAndErase) {
  ScratchFolder folder;
  VirtualClock clock;
  BlankTarget blank;
  PortResolver ports;
  ports.AddTarget(blank);
  setenv("ISP89_COM1", "blank", 1);
  CliApp app(ports, clock);
  std::ostringstream out, err;
  EXPECT_EQ(1, app.Run({"signature"}, out, err, false));
  EXPECT_EQ("signature 00 00 00: unknown chip\n", out.str());
  EXPECT_EQ(0u, err.str().find("isp89-cli: the target's signature reads 00 00 00: the target "
                               "entered programming mode, so a chip is there, but its signature "
                               "cannot be read"));
  std::ostringstream refusedOut, refused;
  EXPECT_EQ(1, app.Run({"erase"}, refusedOut, refused, false));
  EXPECT_EQ(0u, refused.str().find("isp89-cli: the target's signature reads 00 00 00: the target "
                                   "entered programming mode"));
  EXPECT_NE(std::string::npos, refused.str().find("; --force goes on anyway\n"));
  std::ostringstream readOut, read;
  EXPECT_EQ(1, app.Run({"read", "out.bin"}, readOut, read, false));
  EXPECT_EQ(0u, read.str().find("isp89-cli: the target's signature reads 00 00 00")) << read.str();
  EXPECT_FALSE(fs::exists("out.bin"));
  std::ostringstream forcedOut, forced;
  EXPECT_EQ(1, app.Run({"--force", "erase"}, forcedOut, forced, false));
  // Forced on, the blank check then finds the chip unerased.
  EXPECT_NE(std::string::npos, forced.str().find("going on as the AT89S52\n"));
  EXPECT_NE(
      std::string::npos,
      forced.str().find("isp89-cli: blank check failed: 8192 of 8192 bytes differ; the first at "
                        "0000: chip 00, erased FF\n"));
  unsetenv("ISP89_COM1");
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
    std::vector<std::string> arguments;
    std::string said;
    size_t pagesWritten, pagesRead;
  } cases[] = {
      {{"write", "2k.bin"}, "wrote 2k.bin to the AT89S52: 8 pages written, 8 pages verified", 8, 8},
      {{"write", "--verify", "full", "2k.bin"},
       "wrote 2k.bin to the AT89S52: 8 pages written, all 32 pages verified",
       8,
       32},
      {{"write", "last.bin"},
       "wrote last.bin to the AT89S52: 1 page written, 1 page verified",
       1,
       1},
      {{"write", "--no-verify", "2k.bin"},
       "wrote 2k.bin to the AT89S52: 8 pages written, not verified",
       8,
       0},
      {{"write", "blank.bin"},
       "blank.bin is blank (all FF): the AT89S52 was erased and no page written",
       0,
       0},
  };
  for (const auto& c : cases) {
    Chip()->SetFlash(Pattern(1));
    Chip()->ClearEvents();
    std::vector<std::string> arguments = {"-p", "sim:AT89S52"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    Result r = Run(arguments);
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ(c.said + "\n", r.out);
    EXPECT_EQ(Chip()->WrittenBytes().size(), 4 + 12 + 4 + 258 * (c.pagesWritten + c.pagesRead))
        << c.said;
    EXPECT_EQ(ScratchFolder::Read(c.arguments.back()), Chip()->Flash()) << c.said;
  }
}

// A file of a chip that is not there, or one that hides its flash, is no backup.
TEST_F(CliCommands, ReadRefusesAnUnknownChipAndAReadProtectedOne) {
  Chip()->SetFlash(Pattern(10));
  Chip()->SetLockBits(SimChip::kLB1 | SimChip::kLB2);
  Result locked = Run({"-p", "sim:AT89S52", "read", "out.bin"});
  EXPECT_EQ(1, locked.status);
  EXPECT_EQ(0u, locked.err.find("isp89-cli: the AT89S52's read-out protection is on (lock bit 2 "
                                "programmed)"))
      << locked.err;
  EXPECT_FALSE(fs::exists("out.bin"));
  Result forced = Run({"-p", "sim:AT89S52", "--force", "read", "out.bin"});
  EXPECT_EQ(0, forced.status) << forced.err;
  EXPECT_EQ(std::vector<uint8_t>(8192, 0xFF), ScratchFolder::Read("out.bin"));
}

// Only an erase clears the lock bits, so a chip locked in mode 3 that hides its signature
// (FF FF FF) is erased first, but only when asked, and said so even under -q; a chip that
// answers another signature is never erased.
TEST_F(CliCommands, OnlyALockedChipThatHidesItsSignatureIsErasedAndOnlyWhenAsked) {
  const std::array<uint8_t, 3> own = {0x1E, 0x52, 0x06}, other = {0x1E, 0x73, 0x01};
  const struct {
    std::vector<std::string> arguments;
    std::array<uint8_t, 3> signature;
    int status;
    std::string err;  // its start
  } cases[] = {
      {{"erase"},
       own,
       1,
       "isp89-cli: the target's signature reads FF FF FF and lock bit 2 is "
       "programmed: a chip locked in mode 3 or 4 may hide its signature"},
      {{"-q", "--erase-locked", "write", "blink.hex"},
       own,
       0,
       "note: the signature read FF FF FF and lock bit 2 was programmed: as asked "
       "(--erase-locked), the chip was erased first"},
      {{"--erase-locked", "erase"},
       other,
       1,
       "isp89-cli: the target's signature reads 1E 73 01: this is not the signature of a "
       "supported chip"},
  };
  WriteText("blink.hex", BlinkHex());
  for (const auto& c : cases) {
    Chip()->SetFlash(Pattern(11));
    Chip()->SetLockBits(SimChip::kLB1 | SimChip::kLB2);
    Chip()->SetSignature(c.signature);
    Chip()->SetSignatureHiddenWhenLocked(c.signature == own);
    std::vector<std::string> arguments = {"-p", "sim:AT89S52"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    Result r = Run(arguments);
    EXPECT_EQ(c.status, r.status) << r.err;
    EXPECT_EQ(0u, r.err.find(c.err)) << r.err;
    EXPECT_EQ(c.status == 0 ? BlinkImage() : Pattern(11), Chip()->Flash()) << r.err;
  }
}

TEST_F(CliCommands, EraseWithoutCheckStillNoticesASilentAdapter) {
  Chip()->SetSilenceAfter(4 + 12);  // answers the enable and the signature, then nothing
  Result r = Run({"-p", "sim:AT89S52", "erase", "--no-verify"});
  EXPECT_EQ(1, r.status);
  EXPECT_EQ(0u, r.err.find("isp89-cli: sim:AT89S52: the programmer did not answer")) << r.err;
  EXPECT_EQ("", r.out);
}
