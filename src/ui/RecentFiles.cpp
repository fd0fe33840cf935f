#include "ui/RecentFiles.h"

#include <algorithm>

RecentFiles::RecentFiles(std::vector<std::string> paths) {
  // Through Add, oldest first, so that a list from elsewhere keeps the same rules.
  for (auto path = paths.rbegin(); path != paths.rend(); ++path) Add(*path);
}

void RecentFiles::Add(const std::string& path) {
  if (path.empty()) return;
  Remove(path);
  paths_.insert(paths_.begin(), path);
  if (paths_.size() > kCount) paths_.resize(kCount);
}

void RecentFiles::Remove(const std::string& path) {
  paths_.erase(std::remove(paths_.begin(), paths_.end(), path), paths_.end());
}
