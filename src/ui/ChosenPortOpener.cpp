#include "ui/ChosenPortOpener.h"

void ChosenPortOpener::UseDevice(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  device_ = path;
}

std::string ChosenPortOpener::Device() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return device_;
}

std::unique_ptr<CommPort> ChosenPortOpener::Open(const std::string& deviceName,
                                                 PortOpenFailure& failure) {
  const std::string chosen = Device();
  return ports_.Open(chosen.empty() ? deviceName : chosen, failure);
}

bool ChosenPortOpener::LeadsToFtdi(const std::string& deviceName) const {
  const std::string chosen = Device();
  return ports_.LeadsToFtdi(chosen.empty() ? deviceName : chosen);
}

std::unique_ptr<FtdiDevice> ChosenPortOpener::OpenFtdi(const std::string& deviceName,
                                                       PortOpenFailure& failure) {
  const std::string chosen = Device();
  return ports_.OpenFtdi(chosen.empty() ? deviceName : chosen, failure);
}
