#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/Clock.h"
#include "serial/PortTarget.h"
#include "sim/SimFtdiChip.h"

// The simulated FTDI chips in this process, each with a simulated AT89S5x on its pins, as
// ports of their own names: sim-ftdi, sim-ftdi:AT89S51, sim-ftdi:AT89S52 (sim-ftdi: AT89S51,
// the model part case-insensitive). They are FTDI chips, no serial ports: the programmer
// drives their pins itself, as with a real one. Each name keeps its chip across openings;
// one opening at a time holds it. Thread-safe.
class SimFtdiPorts : public PortTarget {
 public:
  // What the chips made from now on are: the FTDI family, the target's crystal, the wiring.
  struct Options {
    FtdiFamily::Kind family = FtdiFamily::Kind::FT232R;
    double crystalHz = 12e6;
    SimFtdiChip::Wiring wiring;
  };

  explicit SimFtdiPorts(Clock& clock);

  bool Claims(const std::string& name) const override;
  std::string Check(const std::string& name) const override;
  std::string Canonical(const std::string& name) const override;
  std::string Describe(const std::string& name) const override;
  std::unique_ptr<CommPort> Open(const std::string& name, PortOpenFailure& failure) override;
  bool IsFtdi() const override { return true; }
  std::unique_ptr<FtdiDevice> OpenFtdi(const std::string& name, PortOpenFailure& failure) override;

  std::shared_ptr<SimFtdiChip> SimFtdiChipFor(const std::string& name);
  void SetSimFtdiOptions(const Options& options);

 private:
  static bool ParseModel(const std::string& name, SimChip::Model& model);

  Clock& clock_;
  std::mutex mutex_;  // guards chips_ and options_
  std::map<std::string, std::shared_ptr<SimFtdiChip>> chips_;
  Options options_;
};
