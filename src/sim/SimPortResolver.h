#pragma once

#include <memory>
#include <string>

#include "serial/PortResolver.h"
#include "sim/SimFtdiPorts.h"
#include "sim/SimPorts.h"

// The port names of a program that offers the simulated adapter and the simulated FTDI chip
// beside the system's ports: a PortResolver with this process's SimPorts and SimFtdiPorts
// registered as targets.
class SimPortResolver : public PortResolver {
 public:
  explicit SimPortResolver(Clock& clock, PortLister lister = ListSystemPorts,
                           FtdiPorts ftdi = FtdiPorts())
      : PortResolver(std::move(lister), std::move(ftdi)), sim_(clock), simFtdi_(clock) {
    AddTarget(sim_);
    AddTarget(simFtdi_);
  }

  std::shared_ptr<SimChip> SimChipFor(const std::string& name) { return sim_.SimChipFor(name); }
  std::shared_ptr<SimLine> SimLineFor(const std::string& name) { return sim_.SimLineFor(name); }
  void AttachSimChip(const std::string& name, std::shared_ptr<SimChip> chip) {
    sim_.AttachSimChip(name, std::move(chip));
  }
  void SetSimLineOptions(const SimLine::Options& options) { sim_.SetSimLineOptions(options); }
  std::shared_ptr<SimFtdiChip> SimFtdiChipFor(const std::string& name) {
    return simFtdi_.SimFtdiChipFor(name);
  }
  void SetSimFtdiOptions(const SimFtdiPorts::Options& options) {
    simFtdi_.SetSimFtdiOptions(options);
  }

 private:
  SimPorts sim_;
  SimFtdiPorts simFtdi_;
};
