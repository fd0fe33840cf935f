#include "platform/PortName.h"

#include <algorithm>
#include <cctype>

namespace {

bool AllOf(const std::string& text, int (*test)(int)) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [test](unsigned char c) { return test(c) != 0; });
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(),
                    [](char a, char b) { return std::tolower(a) == std::tolower(b); });
}

// 1 to 4 hexadecimal digits.
bool ParseId(const std::string& text, uint16_t& id) {
  if (text.size() > 4 || !AllOf(text, isxdigit)) return false;
  id = static_cast<uint16_t>(std::stoul(text, nullptr, 16));
  return true;
}

PortName Com(PortName name, const std::string& digits) {
  const int number = digits.size() <= 3 ? std::stoi(digits) : 0;
  if (number >= 1 && number <= PortName::kHighestCom) {
    name.kind = PortName::Kind::Com;
    name.number = number;
  }
  return name;
}

PortName UsbId(PortName name, const std::string& ids) {
  const size_t colon = ids.find(':');
  if (colon != std::string::npos && ParseId(ids.substr(0, colon), name.vendorId) &&
      ParseId(ids.substr(colon + 1), name.productId)) {
    name.kind = PortName::Kind::UsbId;
  }
  return name;
}

// The last part may name the interface (A to D); what is left is a serial number or ids.
PortName Ftdi(PortName name, std::string rest) {
  const size_t last = rest.rfind(':');
  const std::string tail = last == std::string::npos ? rest : rest.substr(last + 1);
  if (tail.size() == 1 && std::toupper(static_cast<unsigned char>(tail[0])) >= 'A' &&
      std::toupper(static_cast<unsigned char>(tail[0])) <= 'D') {
    name.interfaceIndex = std::toupper(static_cast<unsigned char>(tail[0])) - 'A';
    rest = last == std::string::npos ? "" : rest.substr(0, last);
  }
  const size_t colon = rest.find(':');
  if (colon != std::string::npos) {
    if (!ParseId(rest.substr(0, colon), name.vendorId) ||
        !ParseId(rest.substr(colon + 1), name.productId)) {
      return name;
    }
    name.hasIds = true;
  } else if (!rest.empty() && !AllOf(rest, isalnum)) {
    return name;
  } else {
    name.serialNumber = rest;
  }
  name.kind = PortName::Kind::Ftdi;
  return name;
}

}  // namespace

PortName PortName::Parse(const std::string& text) {
  PortName name;
  name.text = text;
  if (text.size() > kLongest) return name;
  if (text.find('/') != std::string::npos || text.find('\\') != std::string::npos) {
    name.kind = Kind::Path;
    return name;
  }
  // A port number has at most three digits; a longer number is a USB serial number.
  if (AllOf(text, isdigit) && text.size() <= 3) return Com(name, text);
  if (StartsWithNoCase(text, "COM") && AllOf(text.substr(3), isdigit)) {
    return Com(name, text.substr(3));
  }
  if (StartsWithNoCase(text, "usb:")) return UsbId(name, text.substr(4));
  if (StartsWithNoCase(text, "ftdi") && (text.size() == 4 || text[4] == ':')) {
    return Ftdi(name, text.size() == 4 ? "" : text.substr(5));
  }
  if (!text.empty() && AllOf(text, isgraph)) name.kind = Kind::Word;
  return name;
}
