// What a program started with a standard stream closed gets: each of descriptors 0, 1 and 2
// stays taken, so nothing opened later becomes one, and a write to a closed output still
// fails; and what it opens is not handed on to programs it starts.
#include <dirent.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <functional>
#include <set>
#include <string>

#include "platform/PlainFile.h"
#include "platform/StandardStreams.h"
#include "support/PtyLink.h"
#include "support/ScratchFolder.h"

namespace {

// Runs `body` in a child process and returns its exit code: the test's own streams stay.
int InChild(const std::function<int()>& body) {
  const pid_t child = fork();
  if (child == 0) _exit(body());
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

// 0 when every check held, else the number of the first that did not.
int ClosedStreamsStayTaken(const std::set<int>& closed) {
  for (int fd : closed) close(fd);
  PrepareStandardStreams();
  const int opened = open("/dev/null", O_RDWR);
  if (opened <= STDERR_FILENO) return 1;
  for (int fd : {STDOUT_FILENO, STDERR_FILENO}) {
    if (!closed.count(fd)) continue;
    errno = 0;
    if (write(fd, "x", 1) != -1 || errno != EBADF) return 2;
  }
  return 0;
}

// Without the listing's own descriptor, which is closed again by then.
std::set<int> OpenDescriptors() {
  std::set<int> listed, open;
  DIR* folder = opendir("/proc/self/fd");
  while (dirent* entry = readdir(folder)) {
    if (entry->d_name[0] != '.') listed.insert(std::atoi(entry->d_name));
  }
  closedir(folder);
  for (int fd : listed) {
    if (fcntl(fd, F_GETFD) != -1) open.insert(fd);
  }
  return open;
}

bool CloseOnExec(int fd) { return (fcntl(fd, F_GETFD) & FD_CLOEXEC) != 0; }

}  // namespace

TEST(StandardStreams, AClosedStreamStaysTakenAndAWriteToItStillFails) {
  const std::set<int> cases[] = {{},
                                 {STDIN_FILENO},
                                 {STDOUT_FILENO},
                                 {STDERR_FILENO},
                                 {STDOUT_FILENO, STDERR_FILENO},
                                 {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}};
  for (const std::set<int>& closed : cases) {
    EXPECT_EQ(0, InChild([&] { return ClosedStreamsStayTaken(closed); }))
        << closed.size() << " closed, the first " << (closed.empty() ? -1 : *closed.begin());
  }
}

// A port, and a file read, opened by this program are closed in any program it starts.
TEST(StandardStreams, PortsAndFilesAreClosedOnExec) {
  ScratchFolder folder;
  ScratchFolder::Write("image.bin", {1, 2, 3});
  PtyLink link(9);
  const std::set<int> before = OpenDescriptors();
  link.Serial().Open();
  FILE* file = OpenFileForReading("image.bin");
  ASSERT_NE(nullptr, file);
  std::set<int> opened;
  for (int fd : OpenDescriptors()) {
    if (!before.count(fd)) opened.insert(fd);
  }
  EXPECT_EQ(2u, opened.size());
  for (int fd : opened) EXPECT_TRUE(CloseOnExec(fd)) << "descriptor " << fd;
  std::fclose(file);
  link.Serial().Close();
}
