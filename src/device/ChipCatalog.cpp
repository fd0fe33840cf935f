#include "device/ChipCatalog.h"

#include <algorithm>
#include <cctype>
#include "device/AT89S51.h"
#include "device/AT89S52.h"
#include "platform/HexText.h"

namespace {

template <typename Device>
std::unique_ptr<AT89S5X> Make(TSerial* serial, Clock& clock) {
  return std::make_unique<Device>(serial, clock);
}

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

}  // namespace

int32_t ChipCatalog::Chip::SignatureWord() const {
  return signature[0] | signature[1] << 8 | signature[2] << 16;
}

const std::vector<ChipCatalog::Chip>& ChipCatalog::Chips() {
  static const std::vector<Chip> kChips = {
      {"AT89S51", {0x1E, 0x51, 0x06}, 4096, &Make<AT89S51>},
      {"AT89S52", {0x1E, 0x52, 0x06}, 8192, &Make<AT89S52>},
  };
  return kChips;
}

const ChipCatalog::Chip* ChipCatalog::FindBySignature(int32_t signatureWord) {
  for (const Chip& chip : Chips()) {
    if (chip.SignatureWord() == (signatureWord & 0xFFFFFF)) return &chip;
  }
  return nullptr;
}

const ChipCatalog::Chip* ChipCatalog::FindByName(const std::string& name) {
  for (const Chip& chip : Chips()) {
    if (Upper(name) == chip.name) return &chip;
  }
  return nullptr;
}

std::string ChipCatalog::SignatureText(int32_t signatureWord) {
  const auto byte = [signatureWord](int at) {
    return Hex(static_cast<uint32_t>(signatureWord >> (8 * at)) & 0xFF, 2);
  };
  return byte(0) + " " + byte(1) + " " + byte(2);
}

bool ChipCatalog::IsBlankSignature(int32_t signatureWord) {
  const int32_t bytes = signatureWord & 0xFFFFFF;
  return bytes == 0 || bytes == 0xFFFFFF;
}

// Programming Enable was answered with 69, so a chip is there; a blank signature is one that
// cannot be read from it, not a missing target.
std::string ChipCatalog::ExplainUnknown(int32_t signatureWord) {
  if (IsBlankSignature(signatureWord)) {
    return "the target entered programming mode, so a chip is there, but its signature cannot "
           "be read: check that it is an " +
           Names(" or ") +
           " seated right in its socket, that its crystal or clock runs, and that reset is held "
           "high while programming";
  }
  return "this is not the signature of a supported chip (" + Names() + ")";
}

std::string ChipCatalog::Names(const char* lastSeparator) {
  std::string names;
  for (size_t i = 0; i < Chips().size(); ++i) {
    const char* separator = i == 0 ? "" : i + 1 == Chips().size() ? lastSeparator : ", ";
    names += separator + std::string(Chips()[i].name);
  }
  return names;
}
