#pragma once

#include <memory>
#include <string>

#include "platform/PortOpener.h"

// Opens one fixed device (a path or a sim name) whatever port name the link asks for: the
// link forms only "COMn" names, and the command line may name the device itself.
class FixedPortOpener : public PortOpener {
 public:
  FixedPortOpener(PortOpener& opener, std::string target);

  std::unique_ptr<CommPort> Open(const std::string& deviceName, std::string& failure) override;

 private:
  PortOpener& opener_;
  std::string target_;
};
