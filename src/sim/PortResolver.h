#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/Clock.h"
#include "platform/PortOpener.h"
#include "sim/SimChip.h"
#include "sim/SimLine.h"

// Says which device a port name stands for on this machine, and opens it.
//   COMn      the environment variable ISP89_COM<n> when set, else the system's own port
//             (/dev/ttyS<n-1> on POSIX, COMn on Windows)
//   sim, sim:AT89S51, sim:AT89S52
//             the simulated adapter and chip, in this process; one line and chip per name,
//             kept across openings so that what was written can be read back
//   any other name is a device path (/dev/ttyUSB0)
class PortResolver : public PortOpener {
 public:
  explicit PortResolver(Clock& clock);

  std::unique_ptr<CommPort> Open(const std::string& deviceName, std::string& failure) override;

  // What `deviceName` resolves to: a path, or "sim:AT89S51" / "sim:AT89S52".
  std::string Resolve(const std::string& deviceName) const;
  // A line for the user: "/dev/ttyS0", or "simulated AT89S52 (sim:AT89S52)".
  std::string Describe(const std::string& deviceName) const;

  // The chip behind a simulated port, made on first use. `target` is a resolved sim name.
  std::shared_ptr<SimChip> SimChipFor(const std::string& target);
  // The line to it, made on first use with the options of SetSimLineOptions.
  std::shared_ptr<SimLine> SimLineFor(const std::string& target);
  // Puts `chip` behind every port that resolves to `target` ("sim", "sim:AT89S52").
  void AttachSimChip(const std::string& target, std::shared_ptr<SimChip> chip);
  // How the simulated lines made from now on behave (default: bytes cross at once).
  void SetSimLineOptions(const SimLine::Options& options);

 private:
  static bool IsSimName(const std::string& name);
  static std::string CanonicalSimName(const std::string& name);

  Clock& clock_;
  std::mutex mutex_;  // guards lines_ and lineOptions_
  std::map<std::string, std::shared_ptr<SimLine>> lines_;
  SimLine::Options lineOptions_;
};
