// Where a saved image goes, with which permissions, and which targets are refused.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "image/ImageFile.h"
#include "platform/Exception.h"
#include "support/ScratchFolder.h"

namespace fs = std::filesystem;

namespace {

class UmaskScope {
 public:
  explicit UmaskScope(mode_t mask) : previous_(umask(mask)) {}
  ~UmaskScope() { umask(previous_); }

 private:
  mode_t previous_;
};

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  stat(path.c_str(), &info);
  return info.st_mode & 07777;
}

Buffer Image(uint8_t first) {
  Buffer image(8192);
  image[0] = first;
  return image;
}

std::string MessageOf(const std::string& path) {
  try {
    ImageFile::CheckSaveTarget(path);
  } catch (const Exception& e) {
    return e.Message();
  }
  return "(no error)";
}

size_t EntriesIn(const fs::path& folder) {
  return static_cast<size_t>(
      std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

}  // namespace

// Replacing the link itself would leave the file it names as it was, while the user believes
// it updated.
TEST(SaveTarget, LinksAreFollowedToTheFileTheyName) {
  struct Case {
    const char* saved;
    const char* receiver;
  } cases[] = {{"link.bin", "store/real.bin"},
               {"chain.bin", "store/real.bin"},
               {"store/up.bin", "top.bin"},
               {"dangling.bin", "store/new.bin"}};
  ScratchFolder folder;
  fs::create_directory("store");
  ScratchFolder::Write("store/real.bin", {1, 2, 3});
  ScratchFolder::Write("top.bin", {4, 5});
  fs::create_symlink("store/real.bin", "link.bin");
  fs::create_symlink("link.bin", "chain.bin");
  fs::create_symlink("../top.bin", "store/up.bin");
  fs::create_symlink(fs::absolute("store/new.bin"), "dangling.bin");
  uint8_t mark = 0x10;
  for (const Case& c : cases) {
    ImageFile::CheckSaveTarget(c.saved);
    ImageFile::Save(c.saved, Image(++mark));
    EXPECT_TRUE(fs::is_symlink(c.saved)) << c.saved;
    std::vector<uint8_t> saved = ScratchFolder::Read(c.receiver);
    ASSERT_EQ(8192u, saved.size()) << c.saved;
    EXPECT_EQ(mark, saved[0]) << c.saved;
  }
  EXPECT_EQ(3u, EntriesIn("store")) << "no temporary file is left";
}

// Renaming over a device, a FIFO or a socket replaces it: run as root, a read into /dev/null
// replaced the system's /dev/null.
TEST(SaveTarget, WhatIsNoRegularFileIsRefusedAndLeftAsItIs) {
  struct Case {
    const char* path;
    const char* message;
    bool save;  // also try a save, which must leave the thing there
  } cases[] = {
      {"/dev/null", "/dev/null is a character device, not a regular file; name a file to write",
       false},
      {"link-to-null",
       "link-to-null is a character device, not a regular file; name a file to "
       "write",
       true},
      {"fifo", "fifo is a FIFO (named pipe), not a regular file; name a file to write", true},
      {"link-to-fifo",
       "link-to-fifo is a FIFO (named pipe), not a regular file; name a file to "
       "write",
       true},
      {"folder", "folder is a folder; name a file to write", true},
      {"no/such/out.bin", "cannot save no/such/out.bin: there is no folder no/such", true},
      {"fresh.bin", "(no error)", false},
  };
  ScratchFolder folder;
  ASSERT_EQ(0, mkfifo("fifo", 0600));
  fs::create_directory("folder");
  fs::create_symlink("/dev/null", "link-to-null");
  fs::create_symlink("fifo", "link-to-fifo");
  for (const Case& c : cases) {
    EXPECT_EQ(c.message, MessageOf(c.path)) << c.path;
    if (!c.save) continue;
    fs::file_type before = fs::symlink_status(c.path).type();
    EXPECT_THROW(ImageFile::Save(c.path, Image(1)), Exception) << c.path;
    EXPECT_EQ(before, fs::symlink_status(c.path).type()) << c.path;
  }
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  EXPECT_EQ(4u, EntriesIn(folder.Path())) << "no temporary file is left";
}

// A read takes 19 s at line speed: a folder that will not take the file is refused before.
TEST(SaveTarget, AFolderThatTakesNoNewFilesIsRefusedBeforehand) {
  ScratchFolder folder;
  fs::create_directory("locked");
  chmod("locked", 0555);
  // Root may write anywhere; the check is for the user the program runs as.
  const bool root = geteuid() == 0;
  if (root) {
    ASSERT_EQ(0, seteuid(65534));
  }
  const std::string message = MessageOf("locked/out.bin");
  if (root) {
    ASSERT_EQ(0, seteuid(0));
  }
  EXPECT_EQ("cannot save locked/out.bin: Permission denied", message);
}

// A firmware dump saved under umask 077 must not be world-readable; a replaced file keeps
// what its owner gave it.
TEST(SaveTarget, NewFilesFollowTheUmaskAndReplacedFilesKeepTheirMode) {
  struct Case {
    mode_t mask;
    mode_t existing;  // 0: no file there yet
    mode_t expected;
  } cases[] = {{077, 0, 0600},    {022, 0, 0644},    {002, 0, 0664},
               {077, 0644, 0644}, {022, 0600, 0600}, {0, 0640, 0640}};
  ScratchFolder folder;
  for (const Case& c : cases) {
    fs::remove("image.bin");
    if (c.existing != 0) {
      ScratchFolder::Write("image.bin", {1});
      chmod("image.bin", c.existing);
    }
    UmaskScope mask(c.mask);
    ImageFile::Save("image.bin", Image(0));
    EXPECT_EQ(c.expected, ModeOf("image.bin")) << std::oct << c.mask << " " << c.existing;
  }
}

TEST(SaveTarget, AReplacedFileKeepsItsOwnerWhereTheProcessMaySetIt) {
  if (getuid() != 0) GTEST_SKIP() << "only root may give a file to another user";
  ScratchFolder folder;
  ScratchFolder::Write("image.bin", {1});
  ASSERT_EQ(0, chown("image.bin", 1234, 2345));
  ImageFile::Save("image.bin", Image(0));
  struct stat info {};
  stat("image.bin", &info);
  EXPECT_EQ(1234u, info.st_uid);
  EXPECT_EQ(2345u, info.st_gid);
}

// The temporary name must not grow with the target's: a 254-character name is within the
// system's 255, a suffix on it is not.
TEST(SaveTarget, ANameNearTheSystemsLimitIsSaved) {
  ScratchFolder folder;
  const std::string name = std::string(250, 'n') + ".bin";
  ImageFile::Save(name, Image(0x42));
  EXPECT_EQ(0x42, ScratchFolder::Read(name).at(0));
  EXPECT_EQ(1u, EntriesIn(folder.Path()));
}
