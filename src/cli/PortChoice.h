#pragma once

#include <cstdint>
#include <string>

// A port as the user names it on the command line, and how the link reaches it.
//   COM1 ... COM8, or 1 ... 8     the link's own port number, resolved as for the window
//                                 (ISP89_COM<n>, else the system's port)
//   /dev/ttyUSB0 (any path)       that device
//   sim, sim:AT89S51, sim:AT89S52 the simulated adapter and chip
class PortChoice {
 public:
  static constexpr int32_t kHighestPort = 8;

  // Throws CliError (usage) for anything else.
  static PortChoice Parse(const std::string& text);

  // The link's port number; 0 when the port is named by `Target()` instead.
  int32_t Number() const { return number_; }
  // The path or sim name the link is to open, when Number() is 0.
  const std::string& Target() const { return target_; }

 private:
  int32_t number_ = 0;
  std::string target_;
};
