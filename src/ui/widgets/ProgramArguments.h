#pragma once

#include <string>
#include <vector>

// The process's arguments: ParamStr(0) is the program's path, 1 to ParamCount() the
// arguments in the order given. Needs the application object.
int ParamCount();
std::string ParamStr(int index);

// A list read the same way, from the process or given by a caller.
class ProgramArguments {
 public:
  explicit ProgramArguments(std::vector<std::string> arguments);
  static ProgramArguments FromProcess();

  int ParamCount() const { return static_cast<int>(arguments_.size()) - 1; }
  // An empty text for an index out of range.
  std::string ParamStr(int index) const;

 private:
  std::vector<std::string> arguments_;
};
