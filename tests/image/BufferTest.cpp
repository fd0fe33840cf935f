// Memory images: erased when new, saved without ever leaving a half-written file.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <csignal>
#include <filesystem>

#include "image/Buffer.h"
#include "platform/Exception.h"
#include "support/ScratchFolder.h"

namespace {

std::vector<uint8_t> Contents(const Buffer& buffer) {
  return {buffer.Data(), buffer.Data() + buffer.Size()};
}

// A new image is erased flash, and is saved whole with its control bytes unchanged.
TEST(BufferSave, ANewImageIsErasedFlashAndIsWrittenWholeWithControlBytesUnchanged) {
  ScratchFolder folder;
  Buffer buffer(8192);
  EXPECT_EQ(Contents(buffer), std::vector<uint8_t>(8192, 0xFF));
  buffer[0] = 0x0A, buffer[1] = 0x0D, buffer[2] = 0x1A, buffer[3] = 0x00;
  buffer.SaveTo("image.bin");
  EXPECT_EQ(ScratchFolder::Read("image.bin"), Contents(buffer));
}

TEST(BufferSave, MissingFolderIsReportedWithThePathAndReason) {
  ScratchFolder folder;
  try {
    Buffer(8192).SaveTo("no/such/folder/image.bin");
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_NE(e.Message().find("no/such/folder/image.bin"), std::string::npos) << e.Message();
#ifdef _WIN32
    // The system's words differ between Windows versions; the code does not.
    EXPECT_NE(e.Message().find("(error 3)"), std::string::npos) << e.Message();
#else
    EXPECT_NE(e.Message().find("No such file or directory"), std::string::npos) << e.Message();
#endif
  }
}

#ifndef _WIN32
std::vector<uint8_t> Bytes(size_t count, uint8_t seed) {
  std::vector<uint8_t> bytes(count);
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 13);
  return bytes;
}

// A file-size limit makes the write fail half-way, even for root, who ignores permissions.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &previous_);
    rlimit limited = previous_;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previousHandler_);
  }

 private:
  rlimit previous_{};
  void (*previousHandler_)(int);
};

TEST(BufferSave, FailedWriteKeepsTheExistingFileAndLeavesNoTemporary) {
  ScratchFolder folder;
  ScratchFolder::Write("image.bin", Bytes(3000, 5));
  Buffer buffer(8192);
  {
    FileSizeLimit limit(4096);
    EXPECT_THROW(buffer.SaveTo("image.bin"), Exception);
  }
  EXPECT_EQ(ScratchFolder::Read("image.bin"), Bytes(3000, 5));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                          std::filesystem::directory_iterator()),
            1);
}
#endif

}  // namespace
