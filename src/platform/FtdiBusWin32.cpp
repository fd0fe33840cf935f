// The Windows build has no libftdi (it is not packaged for the cross build): FTDI chips are
// driven directly only on Linux. A name that asks for one says so.
#include "platform/FtdiBus.h"

const char* const kFtdiUdevRule = "";
const char* const kFtdiGroup = "";
const char* const kFtdiUnavailable =
    "this build drives no FTDI chip directly (the Windows build has no libftdi): use the "
    "serial adapter, or isp89 on Linux";

std::vector<FtdiChipInfo> ListFtdiChips() { return {}; }

std::unique_ptr<FtdiDevice> OpenFtdiChip(const FtdiChipInfo&, int, PortOpenFailure& failure) {
  failure.cause = PortOpenFailure::Cause::Other;
  failure.reason = kFtdiUnavailable;
  return nullptr;
}
