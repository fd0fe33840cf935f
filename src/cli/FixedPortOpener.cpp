#include "cli/FixedPortOpener.h"

#include <utility>

FixedPortOpener::FixedPortOpener(PortOpener& opener, std::string target)
    : opener_(opener), target_(std::move(target)) {}

std::unique_ptr<CommPort> FixedPortOpener::Open(const std::string&, std::string& failure) {
  return opener_.Open(target_, failure);
}
