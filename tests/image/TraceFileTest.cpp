// Trace files: written like saved images, a new file renamed into place; never through a
// link of either kind, nor into a FIFO or a device.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "image/TraceFile.h"
#include "support/ScratchFolder.h"

namespace fs = std::filesystem;

namespace {

const std::vector<uint8_t> kOld = {1, 2, 3};

// What is under the trace's name before the transfer, and what must be there after it.
struct TraceCase {
  const char* what;
  std::function<void()> make;
  std::string warning;  // on the standard error; empty for none
  bool traceWritten;
};

}  // namespace

// A link named readed_memory.bin would otherwise have its target overwritten by every read,
// and a hard link its other name's content replaced by the flash image.
TEST(TraceFile, ANewFileIsRenamedIntoPlaceAndNoLinkIsWrittenThrough) {
  const std::string name = TraceFile::kReadName;
  const TraceCase cases[] = {
      {"nothing", [] {}, "", true},
      {"an old trace", [&] { ScratchFolder::Write(name, kOld); }, "", true},
      {"a hard link", [&] { fs::create_hard_link("other.bin", name); }, "", true},
      {"a symbolic link", [&] { fs::create_symlink("other.bin", name); },
       "warning: no trace file: cannot save readed_memory.bin: it is a symbolic link, not a "
       "regular file\n",
       false},
      {"a FIFO", [&] { ASSERT_EQ(0, mkfifo(name.c_str(), 0600)); },
       "warning: no trace file: cannot save readed_memory.bin: it is a FIFO (named pipe), not a "
       "regular file\n",
       false},
  };
  for (const TraceCase& c : cases) {
    ScratchFolder folder;
    ScratchFolder::Write("other.bin", kOld);
    c.make();
    const fs::file_type before = fs::symlink_status(name).type();
    testing::internal::CaptureStderr();
    {
      TraceFile trace(name, true);
      for (uint8_t byte : {0x55, 0xAA}) trace.Append(byte);
    }
    EXPECT_EQ(c.warning, testing::internal::GetCapturedStderr()) << c.what;
    EXPECT_EQ(kOld, ScratchFolder::Read("other.bin")) << c.what;
    if (c.traceWritten) {
      EXPECT_EQ((std::vector<uint8_t>{0x55, 0xAA}), ScratchFolder::Read(name)) << c.what;
      EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(name))) << c.what;
    } else {
      EXPECT_EQ(before, fs::symlink_status(name).type()) << c.what << " was replaced";
    }
  }
}
