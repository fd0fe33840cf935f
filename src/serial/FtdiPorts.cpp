#include "serial/FtdiPorts.h"

#include "platform/HexText.h"

namespace {

std::string Ids(const FtdiChipInfo& chip) {
  return Hex(chip.vendorId, 4) + ":" + Hex(chip.productId, 4);
}

bool Picks(const PortName& name, const FtdiChipInfo& chip) {
  if (name.hasIds) return chip.vendorId == name.vendorId && chip.productId == name.productId;
  return name.serialNumber.empty() || chip.serialNumber == name.serialNumber;
}

std::string Candidates(const std::vector<FtdiChipInfo>& chips) {
  std::string text;
  for (const FtdiChipInfo& chip : chips) {
    text += (text.empty() ? "" : ", ") + FtdiPorts::NameOf(chip, 0) + " (" +
            (chip.family ? chip.family->name : "FTDI") + ", " + Ids(chip) + ")";
  }
  return text;
}

std::string What(const PortName& name) {
  if (name.hasIds) return "the ids " + Hex(name.vendorId, 4) + ":" + Hex(name.productId, 4);
  if (!name.serialNumber.empty()) return "the serial number '" + name.serialNumber + "'";
  return "";
}

}  // namespace

FtdiPorts::FtdiPorts(Lister lister, Opener opener)
    : lister_(std::move(lister)), opener_(std::move(opener)) {}

std::string FtdiPorts::NameOf(const FtdiChipInfo& chip, int interfaceIndex) {
  std::string name = "ftdi:" + (chip.serialNumber.empty() ? Ids(chip) : chip.serialNumber);
  if (interfaceIndex > 0) name += std::string(":") + static_cast<char>('A' + interfaceIndex);
  return name;
}

std::vector<FtdiChipInfo> FtdiPorts::Matching(const PortName& name) const {
  std::vector<FtdiChipInfo> matching;
  for (const FtdiChipInfo& chip : lister_()) {
    if (Picks(name, chip)) matching.push_back(chip);
  }
  return matching;
}

std::string FtdiPorts::Canonical(const PortName& name) const {
  std::vector<FtdiChipInfo> matching;
  try {
    matching = Matching(name);
  } catch (const std::exception&) {
    return name.text;
  }
  return matching.size() == 1 ? NameOf(matching.front(), name.interfaceIndex) : name.text;
}

std::string FtdiPorts::Describe(const PortName& name) const {
  std::vector<FtdiChipInfo> matching;
  try {
    matching = Matching(name);
  } catch (const std::exception&) {
  }
  if (matching.size() != 1) return name.text;
  const FtdiChipInfo& chip = matching.front();
  return std::string("FTDI ") + (chip.family ? chip.family->name : "chip") + " (" +
         NameOf(chip, name.interfaceIndex) + ")";
}

std::unique_ptr<FtdiDevice> FtdiPorts::Open(const PortName& name, PortOpenFailure& failure) const {
  std::vector<FtdiChipInfo> matching;
  try {
    matching = Matching(name);
  } catch (const std::exception& e) {
    failure.reason = e.what();
    return nullptr;
  }
  if (matching.size() != 1) {
    const std::string what = What(name);
    failure.cause = matching.empty() ? PortOpenFailure::Cause::NoUsbMatch
                                     : PortOpenFailure::Cause::SeveralUsbMatch;
    failure.reason = matching.empty()
                         ? "no FTDI chip " + (what.empty() ? "is attached" : "has " + what)
                         : std::to_string(matching.size()) + " FTDI chips " +
                               (what.empty() ? "are attached" : "have " + what) + ": " +
                               Candidates(matching);
    // A build without libftdi sees none.
    if (matching.empty() && *kFtdiUnavailable)
      failure.reason += ": " + std::string(kFtdiUnavailable);
    return nullptr;
  }
  const FtdiChipInfo& chip = matching.front();
  failure.device = NameOf(chip, name.interfaceIndex);
  if (!chip.family || !chip.family->Usable()) {
    failure.reason =
        "this FTDI chip has no synchronous bit-bang mode (the FT232R, FT2232C/D, "
        "FT2232H, FT4232H and FT232H have)";
    return nullptr;
  }
  if (name.interfaceIndex >= chip.family->interfaces) {
    failure.cause = PortOpenFailure::Cause::UnknownName;
    failure.reason = std::string("the ") + chip.family->name + " has no interface " +
                     static_cast<char>('A' + name.interfaceIndex);
    return nullptr;
  }
  return opener_(chip, name.interfaceIndex, failure);
}
