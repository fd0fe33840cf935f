#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/FtdiDevice.h"
#include "platform/PortOpenFailure.h"

// The FTDI chips on the system's USB buses, driven directly through libftdi (Linux:
// FtdiBusLibftdi.cpp). A build without libftdi (Windows: FtdiBusWin32.cpp) lists none and
// opens none, and says so.

struct FtdiChipInfo {
  uint16_t vendorId = 0, productId = 0;
  std::string manufacturer, description, serialNumber;
  const FtdiFamily* family = nullptr;
};

// Which chip and interface a name picks: "ftdi" any, else by serial number or ids.
struct FtdiSelector {
  std::string serialNumber;           // empty: any
  int vendorId = -1, productId = -1;  // -1: any
  int interfaceIndex = 0;             // 0 for A, 1 for B ...
};

// The FTDI chips attached now. Throws Exception when USB cannot be searched.
std::vector<FtdiChipInfo> ListFtdiChips();

// Opens the chip `chosen` (as ListFtdiChips reported it) on interface `interfaceIndex`, with
// the kernel's serial driver detached from it. Null with `failure` set when it cannot:
// Permission when USB access was refused (the udev rule), InUse when another program holds it.
std::unique_ptr<FtdiDevice> OpenFtdiChip(const FtdiChipInfo& chosen, int interfaceIndex,
                                         PortOpenFailure& failure);

// Where the package's udev rule lies, and the group it gives the chips to.
extern const char* const kFtdiUdevRule;
extern const char* const kFtdiGroup;
// Empty where this build drives FTDI chips; else why it does not.
extern const char* const kFtdiUnavailable;
