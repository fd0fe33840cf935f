#include "cli/PortListing.h"

#include <algorithm>
#include <cstdlib>

#include "platform/ControlEscapes.h"
#include "platform/HexText.h"
#include "platform/NativePort.h"

namespace {

std::string LastPart(const std::string& name) {
  const size_t slash = name.find_last_of("/\\");
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

void Append(std::string& text, const std::string& part, const char* separator = ", ") {
  if (part.empty()) return;
  text += (text.empty() ? "" : separator) + part;
}

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) Append(text, name, ",");
  return text.empty() ? "-" : text;
}

// Ports that ISP89_COM<n> names and that are not among `listed`.
void AddNamedElsewhere(const PortResolver& resolver, std::vector<PortListing::Entry>& entries) {
  const size_t listed = entries.size();
  for (int n = 1; n <= PortName::kHighestCom; ++n) {
    const std::string com = "COM" + std::to_string(n);
    const char* named = std::getenv(("ISP89_" + com).c_str());
    if (!named || !*named) continue;
    const std::string target = resolver.Resolve(com);
    auto same = [&](const PortListing::Entry& entry) {
      return entry.name == target || SameNativeDevice(entry.name, target);
    };
    if (std::any_of(entries.begin(), entries.begin() + listed, same)) continue;
    auto found = std::find_if(entries.begin() + listed, entries.end(), same);
    if (found != entries.end()) {
      found->comNames.push_back(com);
      continue;
    }
    const std::string described = resolver.Describe(com);
    entries.push_back(
        {target, {com}, described != target ? described : NativeDeviceNote(target), false});
  }
}

// One line for each interface; a USB bus that cannot be searched is a line of its own, and
// the serial ports are listed all the same.
void AddFtdiChips(const PortResolver& resolver, std::vector<PortListing::Entry>& entries) {
  std::vector<FtdiChipInfo> chips;
  try {
    chips = resolver.FtdiChips();
  } catch (const std::exception& e) {
    entries.push_back({"ftdi", {}, e.what(), true, true});
  }
  for (const FtdiChipInfo& chip : chips) {
    const int interfaces = chip.family ? chip.family->interfaces : 1;
    for (int index = 0; index < interfaces; ++index) {
      entries.push_back({FtdiPorts::NameOf(chip, index), {}, PortListing::What(chip), true, true});
    }
  }
}

}  // namespace

std::string PortListing::What(const SystemPort& port) {
  std::string what;
  if (port.transport == SystemPort::Transport::Usb) {
    std::string maker = port.manufacturer;
    Append(maker, port.product, " ");
    if (maker.empty()) maker = port.description;
    Append(what, maker);
    if (!port.serialNumber.empty()) Append(what, "serial " + port.serialNumber);
    if (port.vendorId >= 0) {
      Append(what, Hex(static_cast<uint32_t>(port.vendorId), 4) + ":" +
                       Hex(static_cast<uint32_t>(port.productId), 4));
    }
    return what.empty() ? "USB" : "USB: " + what;
  }
  switch (port.transport) {
    case SystemPort::Transport::Native:
      what = "serial port";
      break;
    case SystemPort::Transport::Bluetooth:
      what = "Bluetooth serial port";
      break;
    default:
      what = "serial port (other)";
      break;
  }
  // Linux describes an on-board port by its own name ("ttyS0"), which says nothing more.
  if (!port.description.empty() && port.description != LastPart(port.name)) {
    what += ": " + port.description;
  }
  return what;
}

std::string PortListing::What(const FtdiChipInfo& chip) {
  std::string what = "FTDI";
  Append(what, chip.description, " ");
  if (!chip.serialNumber.empty()) Append(what, "serial " + chip.serialNumber);
  Append(what, Hex(chip.vendorId, 4) + ":" + Hex(chip.productId, 4));
  if (!chip.family || !chip.family->Usable()) return what + ": no synchronous bit-bang";
  return what + ": " + chip.family->name + " bit-bang";
}

std::vector<PortListing::Entry> PortListing::Collect(const PortResolver& resolver) {
  std::vector<Entry> entries;
  for (const SystemPort& port : resolver.SystemPorts()) {
    entries.push_back({port.name, resolver.ComNamesOf(port.name), What(port), true});
  }
  std::sort(entries.begin(), entries.end(),
            [](const Entry& a, const Entry& b) { return a.name < b.name; });
  AddFtdiChips(resolver, entries);
  AddNamedElsewhere(resolver, entries);
  return entries;
}

std::string PortListing::Format(const std::vector<Entry>& entries) {
  const bool systemHasPorts = std::any_of(entries.begin(), entries.end(),
                                          [](const Entry& e) { return e.listed && !e.ftdi; });
  size_t nameWidth = 0, comWidth = 0;
  for (const Entry& entry : entries) {
    nameWidth = std::max(nameWidth, EscapeControlCharacters(entry.name).size());
    comWidth = std::max(comWidth, Joined(entry.comNames).size());
  }
  std::string text = systemHasPorts ? "" : "no serial ports found\n";
  for (const Entry& entry : entries) {
    std::string name = EscapeControlCharacters(entry.name);
    std::string coms = Joined(entry.comNames);
    name.resize(nameWidth, ' ');
    coms.resize(comWidth, ' ');
    text += name + "  " + coms + "  " + EscapeControlCharacters(entry.what) + '\n';
  }
  return text;
}
