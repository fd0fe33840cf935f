#include "cli/PortChoice.h"

#include <algorithm>
#include <cctype>

#include "cli/CliError.h"
#include "device/ChipCatalog.h"

namespace {

bool AllDigits(const std::string& text) {
  return !text.empty() && text.size() < 6 &&
         std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

bool IsPath(const std::string& text) {
  return text.find('/') != std::string::npos || text.find('\\') != std::string::npos;
}

[[noreturn]] void Unknown(const std::string& text) {
  throw CliError(CliError::kUsage,
                 "unknown port '" + text + "': use COM1 to COM" +
                     std::to_string(PortChoice::kHighestPort) +
                     " (or just the number), a device path such as /dev/ttyUSB0, or sim, "
                     "sim:AT89S51, sim:AT89S52");
}

}  // namespace

PortChoice PortChoice::Parse(const std::string& text) {
  PortChoice choice;
  std::string digits = text;
  std::string upper = text;
  std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
  if (upper.compare(0, 3, "COM") == 0) digits = text.substr(3);
  if (AllDigits(digits)) {
    choice.number_ = std::stoi(digits);
    if (choice.number_ < 1 || choice.number_ > kHighestPort) Unknown(text);
    return choice;
  }
  if (text == "sim" ||
      (text.compare(0, 4, "sim:") == 0 && ChipCatalog::FindByName(text.substr(4)))) {
    choice.target_ = text;
    return choice;
  }
  if (!IsPath(text)) Unknown(text);
  choice.target_ = text;
  return choice;
}
