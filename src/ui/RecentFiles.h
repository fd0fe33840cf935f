#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The image files opened last, newest first, each once, at most kCount of them.
class RecentFiles {
 public:
  static constexpr size_t kCount = 8;

  explicit RecentFiles(std::vector<std::string> paths = {});

  // Puts `path` at the top; a path listed already moves there.
  void Add(const std::string& path);
  void Remove(const std::string& path);
  const std::vector<std::string>& Paths() const { return paths_; }

 private:
  std::vector<std::string> paths_;
};
