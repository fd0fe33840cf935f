#include "sim/SimPorts.h"

#include <cctype>

#include "sim/SimCommPort.h"

namespace {

constexpr int kMostAdapters = 99;

}  // namespace

SimPorts::SimPorts(Clock& clock) : clock_(clock) {}

// "sim", then the adapter's number (1 when none), then ":" and the model.
SimPorts::Name SimPorts::Parse(const std::string& name) {
  Name parsed;
  if (name.compare(0, 3, "sim") != 0) return parsed;
  size_t at = 3;
  int adapter = 0;
  while (at < name.size() && std::isdigit(static_cast<unsigned char>(name[at])) &&
         adapter <= kMostAdapters) {
    adapter = adapter * 10 + (name[at++] - '0');
  }
  if (at == 3) adapter = 1;
  if (adapter < 1 || adapter > kMostAdapters) return parsed;
  if (at < name.size()) {
    if (name[at] != ':') return parsed;
    parsed.modelKnown = SimChip::ParseModel(name.substr(at + 1), parsed.model);
  }
  parsed.adapter = adapter;
  return parsed;
}

// "sim-ftdi..." are the simulated FTDI chips' (SimFtdiPorts).
bool SimPorts::Claims(const std::string& name) const {
  return name.compare(0, 3, "sim") == 0 && name.compare(0, 8, "sim-ftdi") != 0;
}

std::string SimPorts::Check(const std::string& name) const {
  const Name parsed = Parse(name);
  if (parsed.adapter == 0) {
    return "'" + name + "' is no simulated port: sim, sim2 ... sim" +
           std::to_string(kMostAdapters) + ", each optionally followed by :AT89S51 or :AT89S52";
  }
  if (!parsed.modelKnown) {
    return "'" + name + "' names no simulated chip: the chips are AT89S51 and AT89S52";
  }
  return "";
}

std::string SimPorts::Canonical(const std::string& name) const {
  const Name parsed = Parse(name);
  const std::string model = parsed.model == SimChip::Model::AT89S51 ? "AT89S51" : "AT89S52";
  return "sim" + (parsed.adapter == 1 ? std::string() : std::to_string(parsed.adapter)) + ":" +
         model;
}

std::string SimPorts::Describe(const std::string& name) const {
  const std::string canonical = Canonical(name);
  return "simulated " + canonical.substr(canonical.find(':') + 1) + " (" + canonical + ")";
}

std::shared_ptr<SimChip> SimPorts::SimChipFor(const std::string& name) {
  return SimLineFor(name)->Chip();
}

std::shared_ptr<SimLine> SimPorts::SimLineFor(const std::string& name) {
  const std::string canonical = Canonical(name);
  std::lock_guard<std::mutex> lock(mutex_);
  auto& line = lines_[canonical];
  if (!line) {
    auto chip = std::make_shared<SimChip>(Parse(canonical).model, clock_);
    line = std::make_shared<SimLine>(std::move(chip), lineOptions_);
  }
  return line;
}

void SimPorts::AttachSimChip(const std::string& name, std::shared_ptr<SimChip> chip) {
  const std::string canonical = Canonical(name);
  std::lock_guard<std::mutex> lock(mutex_);
  lines_[canonical] = std::make_shared<SimLine>(std::move(chip), lineOptions_);
}

void SimPorts::SetSimLineOptions(const SimLine::Options& options) {
  std::lock_guard<std::mutex> lock(mutex_);
  lineOptions_ = options;
}

std::unique_ptr<CommPort> SimPorts::Open(const std::string& name, PortOpenFailure& failure) {
  const std::string problem = Check(name);
  if (!problem.empty()) {
    failure.cause = PortOpenFailure::Cause::UnknownName;
    failure.reason = problem;
    return nullptr;
  }
  return std::make_unique<SimCommPort>(SimLineFor(name), clock_);
}
