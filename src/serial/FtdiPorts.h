#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/FtdiBus.h"
#include "platform/PortName.h"

// The system's FTDI chips as ports of their own, by the names PortName parses as Ftdi: "ftdi"
// (the one attached), "ftdi:SERIAL", "ftdi:VID:PID", each with ":A" ... ":D" for an interface
// of a chip that has several. The PortResolver holds one; its calls may come from any thread.
class FtdiPorts {
 public:
  using Lister = std::function<std::vector<FtdiChipInfo>()>;
  using Opener =
      std::function<std::unique_ptr<FtdiDevice>(const FtdiChipInfo&, int, PortOpenFailure&)>;

  explicit FtdiPorts(Lister lister = ListFtdiChips, Opener opener = OpenFtdiChip);

  std::vector<FtdiChipInfo> Chips() const { return lister_(); }
  // The one spelling of the chip a name picks, when it picks exactly one:
  // "ftdi:A50285BI", "ftdi:0403:6010:B"; else the name as given.
  std::string Canonical(const PortName& name) const;
  // "FTDI FT232R (ftdi:A50285BI)".
  std::string Describe(const PortName& name) const;
  // The chip opened in synchronous bit-bang's stead of its serial driver, or null with
  // `failure` saying why: no chip or several match, a chip without synchronous bit-bang,
  // an interface it does not have, USB access refused.
  std::unique_ptr<FtdiDevice> Open(const PortName& name, PortOpenFailure& failure) const;

  // "ftdi:A50285BI" for a chip, with ":B" ... for interfaces past the first.
  static std::string NameOf(const FtdiChipInfo& chip, int interfaceIndex);

 private:
  // The chips `name` picks among those attached now.
  std::vector<FtdiChipInfo> Matching(const PortName& name) const;

  Lister lister_;
  Opener opener_;
};
