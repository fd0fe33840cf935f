#pragma once

#include <memory>
#include <string>

#include "serial/PortResolver.h"
#include "sim/SimPorts.h"

// The port names of a program that offers the simulated adapter beside the system's ports:
// a PortResolver with this process's SimPorts registered as a target.
class SimPortResolver : public PortResolver {
 public:
  explicit SimPortResolver(Clock& clock, PortLister lister = ListSystemPorts)
      : PortResolver(std::move(lister)), sim_(clock) {
    AddTarget(sim_);
  }

  std::shared_ptr<SimChip> SimChipFor(const std::string& name) { return sim_.SimChipFor(name); }
  std::shared_ptr<SimLine> SimLineFor(const std::string& name) { return sim_.SimLineFor(name); }
  void AttachSimChip(const std::string& name, std::shared_ptr<SimChip> chip) {
    sim_.AttachSimChip(name, std::move(chip));
  }
  void SetSimLineOptions(const SimLine::Options& options) { sim_.SetSimLineOptions(options); }

 private:
  SimPorts sim_;
};
