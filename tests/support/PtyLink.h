#pragma once

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/SystemClock.h"
#include "serial/TSerial.h"
#include "sim/PtySimServer.h"
#include "sim/SimChip.h"
#include "sim/SimPortResolver.h"

// A link to the simulated chip through a real pseudo-terminal and the POSIX port backend:
// ISP89_COM<port> names the server's slave side, so TSerial opens it as it would a real port.
class PtyLink {
 public:
  explicit PtyLink(int port, PtySimServer::Options options = PtySimServer::Options(),
                   SimChip::Model model = SimChip::Model::AT89S52)
      : chip_(std::make_shared<SimChip>(model, SystemClock::Instance())),
        server_(chip_, options),
        resolver_(SystemClock::Instance()),
        serial_(port, resolver_) {
    setenv(("ISP89_COM" + std::to_string(port)).c_str(), server_.SlavePath().c_str(), 1);
  }

  SimChip& Chip() { return *chip_; }
  PtySimServer& Server() { return server_; }
  SimPortResolver& Resolver() { return resolver_; }
  TSerial& Serial() { return serial_; }

  // Writes each byte and reads its answer, as the device protocol does; a missing answer
  // shows as -1.
  std::vector<int> Exchange(const std::vector<uint8_t>& bytes) {
    std::vector<int> answers;
    for (uint8_t byte : bytes) {
      serial_.WriteByte(byte);
      uint8_t answer = 0;
      answers.push_back(serial_.ReadByte(&answer).Ok() ? answer : -1);
    }
    return answers;
  }

  // Programming Enable on a chip that has seen no byte for the idle gap (a fresh one does
  // not); true when it echoed 69.
  bool Enable() { return Exchange({0xAC, 0x53, 0x00, 0x69}).back() == 0x69; }

 private:
  std::shared_ptr<SimChip> chip_;
  PtySimServer server_;
  SimPortResolver resolver_;
  TSerial serial_;  // last: closed before the server goes
};
