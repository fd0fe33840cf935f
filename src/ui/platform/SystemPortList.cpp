#include "ui/platform/SystemPortList.h"

#include <algorithm>
#include <cctype>

namespace {

bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) ==
                  std::tolower(static_cast<unsigned char>(b));
         });
}

}  // namespace

std::string SystemPortList::Caption(const Port& port) {
  std::string what = port.description;
  if (!port.manufacturer.empty() && !StartsWithIgnoringCase(what, port.manufacturer)) {
    what = what.empty() ? port.manufacturer : port.manufacturer + " " + what;
  }
  return what.empty() ? port.path : port.path + " - " + what;
}
