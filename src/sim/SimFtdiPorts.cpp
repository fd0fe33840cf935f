#include "sim/SimFtdiPorts.h"

namespace {

const std::string kPrefix = "sim-ftdi";

// The handle of one opening: libftdi's calls on the chip; closing goes back to serial mode.
class SimFtdiDevice : public FtdiDevice {
 public:
  explicit SimFtdiDevice(std::shared_ptr<SimFtdiChip> chip) : chip_(std::move(chip)) {}
  ~SimFtdiDevice() override { chip_->Release(); }

  const FtdiFamily& Family() const override { return chip_->Family(); }
  bool SetBitMode(uint8_t outputs, Mode mode) override { return chip_->SetBitMode(outputs, mode); }
  bool SetBaudRate(int rate) override { return chip_->SetBaudRate(rate); }
  bool SetLatencyTimer(uint8_t ms) override { return chip_->SetLatencyTimer(ms); }
  bool SetRts(bool asserted) override { return chip_->SetRts(asserted); }
  bool Purge() override { return chip_->Purge(); }
  int Write(const uint8_t* bytes, int count) override { return chip_->Write(bytes, count); }
  bool SetReadChunkSize(uint32_t bytes) override { return chip_->SetReadChunkSize(bytes); }
  int Read(uint8_t* bytes, int count) override { return chip_->Read(bytes, count); }
  std::string LastError() const override { return chip_->LastError(); }

 private:
  std::shared_ptr<SimFtdiChip> chip_;
};

}  // namespace

SimFtdiPorts::SimFtdiPorts(Clock& clock) : clock_(clock) {}

bool SimFtdiPorts::ParseModel(const std::string& name, SimChip::Model& model) {
  model = SimChip::Model::AT89S51;
  if (name == kPrefix) return true;
  return name.compare(0, kPrefix.size() + 1, kPrefix + ":") == 0 &&
         SimChip::ParseModel(name.substr(kPrefix.size() + 1), model);
}

bool SimFtdiPorts::Claims(const std::string& name) const {
  return name.compare(0, kPrefix.size(), kPrefix) == 0;
}

std::string SimFtdiPorts::Check(const std::string& name) const {
  SimChip::Model model;
  if (ParseModel(name, model)) return "";
  return "'" + name + "' is no simulated FTDI chip: sim-ftdi, sim-ftdi:AT89S51 or sim-ftdi:AT89S52";
}

std::string SimFtdiPorts::Canonical(const std::string& name) const {
  SimChip::Model model;
  ParseModel(name, model);
  return kPrefix + (model == SimChip::Model::AT89S51 ? ":AT89S51" : ":AT89S52");
}

std::string SimFtdiPorts::Describe(const std::string& name) const {
  const std::string canonical = Canonical(name);
  return "simulated FTDI chip with an " + canonical.substr(kPrefix.size() + 1) + " (" + canonical +
         ")";
}

std::unique_ptr<CommPort> SimFtdiPorts::Open(const std::string&, PortOpenFailure& failure) {
  failure.cause = PortOpenFailure::Cause::NotSerial;
  failure.reason = "a simulated FTDI chip, driven directly, not a serial port";
  return nullptr;
}

std::shared_ptr<SimFtdiChip> SimFtdiPorts::SimFtdiChipFor(const std::string& name) {
  const std::string canonical = Canonical(name);
  std::lock_guard<std::mutex> lock(mutex_);
  std::shared_ptr<SimFtdiChip>& chip = chips_[canonical];
  if (!chip) {
    SimChip::Model model;
    ParseModel(canonical, model);
    auto target = std::make_shared<SimSpiTarget>(std::make_shared<SimChip>(model, clock_),
                                                 options_.crystalHz);
    chip = std::make_shared<SimFtdiChip>(FtdiFamily::Of(options_.family), std::move(target), clock_,
                                         options_.wiring);
  }
  return chip;
}

void SimFtdiPorts::SetSimFtdiOptions(const Options& options) {
  std::lock_guard<std::mutex> lock(mutex_);
  options_ = options;
}

std::unique_ptr<FtdiDevice> SimFtdiPorts::OpenFtdi(const std::string& name,
                                                   PortOpenFailure& failure) {
  const std::string problem = Check(name);
  if (!problem.empty()) {
    failure.cause = PortOpenFailure::Cause::UnknownName;
    failure.reason = problem;
    return nullptr;
  }
  std::shared_ptr<SimFtdiChip> chip = SimFtdiChipFor(name);
  if (!chip->Claim()) {
    failure.cause = PortOpenFailure::Cause::InUse;
    failure.reason = "the chip's interface is claimed by another program";
    return nullptr;
  }
  return std::make_unique<SimFtdiDevice>(std::move(chip));
}
