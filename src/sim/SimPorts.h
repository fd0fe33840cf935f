#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/Clock.h"
#include "serial/PortTarget.h"
#include "sim/SimChip.h"
#include "sim/SimLine.h"

// The simulated adapters and chips in this process, as ports of their own names:
//   sim, sim:AT89S51, sim:AT89S52     the first adapter, with the chip named (sim: AT89S51)
//   sim2, sim2:AT89S52, ... sim99     further adapters, each with a line and chip of its own,
//                                     for running several at once
// The model part is case-insensitive. Each name keeps its line and chip across openings, so
// that what was written can be read back. Thread-safe.
class SimPorts : public PortTarget {
 public:
  explicit SimPorts(Clock& clock);

  bool Claims(const std::string& name) const override;
  std::string Check(const std::string& name) const override;
  std::string Canonical(const std::string& name) const override;
  std::string Describe(const std::string& name) const override;
  std::unique_ptr<CommPort> Open(const std::string& name, PortOpenFailure& failure) override;

  // The chip behind a simulated port, made on first use.
  std::shared_ptr<SimChip> SimChipFor(const std::string& name);
  // The line to it, made on first use with the options of SetSimLineOptions.
  std::shared_ptr<SimLine> SimLineFor(const std::string& name);
  // Puts `chip` behind the port `name`.
  void AttachSimChip(const std::string& name, std::shared_ptr<SimChip> chip);
  // How the simulated lines made from now on behave (default: bytes cross at once).
  void SetSimLineOptions(const SimLine::Options& options);

 private:
  struct Name {
    int adapter = 0;  // 0: not a simulated port's name
    SimChip::Model model = SimChip::Model::AT89S51;
    bool modelKnown = true;
  };
  static Name Parse(const std::string& name);

  Clock& clock_;
  std::mutex mutex_;  // guards lines_ and lineOptions_
  std::map<std::string, std::shared_ptr<SimLine>> lines_;
  SimLine::Options lineOptions_;
};
