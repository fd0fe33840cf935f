// Trace files: never written through a link or into a FIFO or device.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "image/TraceFile.h"
#include "support/ScratchFolder.h"

namespace fs = std::filesystem;

// A link named readed_memory.bin would otherwise have its target overwritten by every read.
TEST(TraceFile, ALinkOrAFifoUnderTheNameIsLeftAloneWithAWarning) {
  ScratchFolder folder;
  ScratchFolder::Write("victim.bin", {1, 2, 3});
  fs::create_symlink("victim.bin", TraceFile::kReadName);
  ASSERT_EQ(0, mkfifo(TraceFile::kWriteName, 0600));
  // A reader, so that a writer that opened the FIFO would not wait for one forever.
  int reader = open(TraceFile::kWriteName, O_RDONLY | O_NONBLOCK);
  testing::internal::CaptureStderr();
  {
    TraceFile read(TraceFile::kReadName, true);
    TraceFile write(TraceFile::kWriteName, true);
    read.Append(0x55);
    write.Append(0x55);
  }
  EXPECT_EQ(
      "warning: no trace file readed_memory.bin: it is a symbolic link; the transfer goes on "
      "without it\n"
      "warning: no trace file writed_memory.bin: it is a FIFO (named pipe); the transfer goes "
      "on without it\n",
      testing::internal::GetCapturedStderr());
  EXPECT_EQ((std::vector<uint8_t>{1, 2, 3}), ScratchFolder::Read("victim.bin"));
  EXPECT_TRUE(fs::is_symlink(TraceFile::kReadName));
  EXPECT_TRUE(fs::is_fifo(TraceFile::kWriteName));
  char byte = 0;
  EXPECT_EQ(0, read(reader, &byte, 1)) << "nothing went into the FIFO";
  close(reader);
}
