// The Windows services under the link and the files: the clock's 1 ms waits, replacing a file
// whole, port names, and paths written the Windows way.

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "image/Buffer.h"
#include "image/ImageFile.h"
#include "platform/AtomicFile.h"
#include "platform/Exception.h"
#include "platform/NativePort.h"
#include "platform/SystemClock.h"
#include "serial/PortResolver.h"

namespace fs = std::filesystem;

namespace {

// A fresh folder under the Windows temporary folder, named the Windows way: "C:\...\".
class WindowsFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    char temporary[MAX_PATH] = {};
    ASSERT_GT(GetTempPathA(MAX_PATH, temporary), 0u);
    folder_ = std::string(temporary) + "isp89-win-" + std::to_string(GetCurrentProcessId()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr)) << folder_;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  std::string PathOf(const std::string& name) const { return folder_ + "\\" + name; }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  size_t EntriesInFolder() const {
    return static_cast<size_t>(
        std::distance(fs::directory_iterator(folder_), fs::directory_iterator()));
  }

  std::string folder_;
};

// Bytes that text mode would change: LF (to CR LF), CR LF (to LF), and 1A (end of file).
const std::string kTextModeBait("\n\r\n\x1A\x00\xFF line\n", 13);

}  // namespace

TEST(Win32Clock, OneMillisecondWaitsLastOneMillisecond) {
  SystemClock& clock = SystemClock::Instance();
  constexpr int kWaits = 100;
  const auto start = clock.Now();
  for (int i = 0; i < kWaits; ++i) {
    const auto before = clock.Now();
    clock.SleepMs(1);
    // Never shorter: the chip needs the whole millisecond to program a byte.
    EXPECT_GE(clock.Now() - before, std::chrono::milliseconds(1));
  }
  // The default 15.6 ms tick would make these 100 waits last 1.5 s; allow 3 ms a wait.
  EXPECT_LT(clock.Now() - start, std::chrono::milliseconds(3 * kWaits));
}

TEST(Win32Clock, NowIsMonotonicAndInNanoseconds) {
  SystemClock& clock = SystemClock::Instance();
  const auto before = clock.Now();
  clock.SleepMs(20);
  const auto elapsed = clock.Now() - before;
  EXPECT_GE(elapsed, std::chrono::milliseconds(20));
  EXPECT_LT(elapsed, std::chrono::milliseconds(500));
}

TEST_F(WindowsFolder, AtomicWriteKeepsEveryByteAsItIs) {
  std::string path = PathOf("image.bin");
  WriteFileAtomically(path, kTextModeBait.data(), kTextModeBait.size());
  EXPECT_EQ(kTextModeBait, Read(path));
  // Replacing a file that exists, as Windows' rename alone refuses to.
  WriteFileAtomically(path, "ab", 2);
  EXPECT_EQ("ab", Read(path));
  EXPECT_EQ(1u, EntriesInFolder());
}

TEST_F(WindowsFolder, AtomicWriteThatFailsLeavesTheOldFileAndNoTemporary) {
  std::string path = PathOf("held.bin");
  Write(path, "old contents");
  // Another program holds the file open without sharing: it cannot be replaced.
  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  try {
    WriteFileAtomically(path, "new", 3);
    ADD_FAILURE() << "replaced a file held open by another program";
  } catch (const Exception& e) {
    EXPECT_NE(e.Message().find(path), std::string::npos) << e.Message();
    EXPECT_NE(e.Message().find("(error "), std::string::npos) << e.Message();
  }
  CloseHandle(held);
  EXPECT_EQ("old contents", Read(path));
  EXPECT_EQ(1u, EntriesInFolder());

  EXPECT_THROW(WriteFileAtomically(PathOf("no\\such\\folder\\x.bin"), "x", 1), Exception);
  EXPECT_EQ(1u, EntriesInFolder());
}

TEST_F(WindowsFolder, ImagesLoadAndSaveThroughDriveLetterAndBackslashPaths) {
  ASSERT_EQ(':', folder_[1]) << "no drive letter in " << folder_;
  std::string raw = PathOf("prog.bin");
  Write(raw, kTextModeBait);
  Buffer image(8192);
  ImageFile::LoadResult loaded = ImageFile::Load(raw, image);
  EXPECT_EQ(kTextModeBait.size(), loaded.bytesLoaded);
  EXPECT_EQ(kTextModeBait,
            std::string(reinterpret_cast<const char*>(image.Data()), kTextModeBait.size()));

  // A HEX file made on Windows, with CR LF line ends, named in upper case.
  std::string hex = PathOf("PROG.HEX");
  Write(hex, ":03000000020030CB\r\n:00000001FF\r\n");
  Buffer program(8192);
  EXPECT_EQ(ImageFile::Format::IntelHex, ImageFile::Load(hex, program).format);
  EXPECT_EQ(0x02, program[0]);
  EXPECT_EQ(0x30, program[2]);
  EXPECT_EQ(0xFF, program[3]);

  // Saved and read back through a path with forward and backward slashes mixed.
  std::string mixed = folder_ + "/copy.bin";
  image.SaveTo(mixed);
  EXPECT_EQ(8192u, Read(PathOf("copy.bin")).size());
  EXPECT_EQ(kTextModeBait, Read(PathOf("copy.bin")).substr(0, kTextModeBait.size()));
}

TEST(WindowsPaths, FormatComesFromTheFileNameNotTheFolder) {
  EXPECT_EQ(ImageFile::Format::IntelHex, ImageFile::FormatOf("C:\\images\\PROG.HEX"));
  EXPECT_EQ(ImageFile::Format::IntelHex, ImageFile::FormatOf("D:prog.ihx"));
  EXPECT_EQ(ImageFile::Format::Raw, ImageFile::FormatOf("C:\\build.hex\\prog.bin"));
  EXPECT_EQ(ImageFile::Format::Raw, ImageFile::FormatOf("\\\\server\\share\\hex"));
}

TEST(Win32PortNames, PortsOpenByTheirDeviceNames) {
  EXPECT_EQ("\\\\.\\COM1", DefaultNativePortPath(1));
  EXPECT_EQ("\\\\.\\COM12", DefaultNativePortPath(12));
}

TEST(Win32PortNames, MissingPortAndFileAreRefusedWithTheReason) {
  PortOpenFailure failure;
  PortResolver resolver;
  EXPECT_EQ(nullptr, resolver.Open("COM255", failure));
  EXPECT_EQ(PortOpenFailure::Cause::NoDevice, failure.cause);
  EXPECT_EQ(0u, failure.Summary().find("cannot open COM255 (\\\\.\\COM255): "))
      << failure.Summary();
  EXPECT_NE(failure.reason.find("(error 2)"), std::string::npos) << failure.reason;

  // A file opens with CreateFileA too, but would swallow the bytes without an answer.
  char temporary[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temporary);
  std::string file = std::string(temporary) + "isp89-not-a-port.bin";
  std::ofstream(file, std::ios::binary) << "x";
  failure = {};
  EXPECT_EQ(nullptr, resolver.Open(file, failure));
  EXPECT_EQ(PortOpenFailure::Cause::NotSerial, failure.cause) << failure.Summary();
  std::remove(file.c_str());
}
