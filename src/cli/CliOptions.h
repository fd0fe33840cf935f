#pragma once

#include <optional>
#include <string>
#include <vector>

#include "device/FtdiSpiLink.h"
#include "image/ImageFile.h"

// What the command line asked for, checked: the command is known, its file is there when it
// needs one, the port and device names are valid.
struct CliOptions {
  enum class Command { None, Help, Version, Ports, Signature, Read, Write, Verify, Erase, Lock };

  Command command = Command::None;
  std::string file;  // read, write, verify; "-" for read: the standard output
  std::optional<ImageFile::Format> format;  // --format: forced, not by name or content
  // -p, once or more: the command runs on every port at once. None given: COM1. Checked and
  // in the form messages use ("3" becomes "COM3"); portsGiven as the user wrote them.
  std::vector<std::string> ports;
  std::vector<std::string> portsGiven;
  std::string device;                // empty: taken from the signature
  std::optional<unsigned> lockMode;  // lock --write MODE
  bool trace = false;
  bool quiet = false;
  bool force = false;
  bool eraseLocked = false;  // erase, write: erase a locked chip that hides its signature
  bool noVerify = false;
  // What write reads back: the pages it wrote, or the whole flash (the erase of the rest too).
  enum class Verify { Written, Full } verify = Verify::Written;
  // An FTDI chip's wiring and the target's crystal (--pins, --crystal).
  FtdiSpiLink::Options ftdi;
};
