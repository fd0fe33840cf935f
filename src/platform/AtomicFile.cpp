#include <filesystem>
#include <string>

#include "platform/AtomicFile.h"
#include "platform/Exception.h"

namespace fs = std::filesystem;

// Follows at most as many links as the systems do (Linux: 40) before calling it a loop.
std::string FollowLinks(const std::string& path) {
  constexpr int kMostLinks = 40;
  fs::path current(path);
  for (int hops = 0; hops <= kMostLinks; ++hops) {
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(current, error))) return current.string();
    fs::path next = fs::read_symlink(current, error);
    if (error) {
      throw Exception("cannot follow the link " + current.string() + ": " + error.message());
    }
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
  throw Exception("cannot save " + path + ": too many levels of symbolic links");
}
