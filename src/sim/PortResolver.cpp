#include "sim/PortResolver.h"

#include <cstdlib>

#include "platform/NativePort.h"
#include "sim/SimCommPort.h"

namespace {

// "COM3" gives 3; anything else 0.
int ComNumber(const std::string& name) {
  if (name.size() < 4 || name.compare(0, 3, "COM") != 0) return 0;
  int number = 0;
  for (size_t i = 3; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9' || number > 100000) return 0;
    number = number * 10 + (name[i] - '0');
  }
  return number;
}

}  // namespace

PortResolver::PortResolver(Clock& clock) : clock_(clock) {}

bool PortResolver::IsSimName(const std::string& name) {
  return name == "sim" || name.compare(0, 4, "sim:") == 0;
}

// "sim" is the AT89S51, the window's default device; the model part is case-insensitive.
std::string PortResolver::CanonicalSimName(const std::string& name) {
  SimChip::Model model = SimChip::Model::AT89S51;
  if (name.size() > 4) SimChip::ParseModel(name.substr(4), model);
  return model == SimChip::Model::AT89S51 ? "sim:AT89S51" : "sim:AT89S52";
}

std::string PortResolver::Resolve(const std::string& deviceName) const {
  std::string target = deviceName;
  if (int number = ComNumber(deviceName)) {
    const char* named = std::getenv(("ISP89_COM" + std::to_string(number)).c_str());
    target = named && *named ? named : DefaultNativePortPath(number);
  }
  return IsSimName(target) ? CanonicalSimName(target) : target;
}

std::string PortResolver::Describe(const std::string& deviceName) const {
  std::string target = Resolve(deviceName);
  if (!IsSimName(target)) return target;
  return "simulated " + target.substr(4) + " (" + target + ")";
}

std::shared_ptr<SimChip> PortResolver::SimChipFor(const std::string& target) {
  return SimLineFor(target)->Chip();
}

std::shared_ptr<SimLine> PortResolver::SimLineFor(const std::string& target) {
  std::string name = CanonicalSimName(target);
  std::lock_guard<std::mutex> lock(mutex_);
  auto& line = lines_[name];
  if (!line) {
    SimChip::Model model = SimChip::Model::AT89S52;
    SimChip::ParseModel(name.substr(4), model);
    line = std::make_shared<SimLine>(std::make_shared<SimChip>(model, clock_), lineOptions_);
  }
  return line;
}

void PortResolver::AttachSimChip(const std::string& target, std::shared_ptr<SimChip> chip) {
  std::lock_guard<std::mutex> lock(mutex_);
  lines_[CanonicalSimName(target)] = std::make_shared<SimLine>(std::move(chip), lineOptions_);
}

void PortResolver::SetSimLineOptions(const SimLine::Options& options) {
  std::lock_guard<std::mutex> lock(mutex_);
  lineOptions_ = options;
}

std::unique_ptr<CommPort> PortResolver::Open(const std::string& deviceName, std::string& failure) {
  std::string target = Resolve(deviceName);
  if (IsSimName(target)) return std::make_unique<SimCommPort>(SimLineFor(target), clock_);
  return OpenNativePort(target, failure);
}
