#pragma once

// A device on the simulated adapter and chip, or the FTDI link on a simulated FTDI chip with an
// AT89S52 on its pins, all on virtual time: what every device test needs.

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/AT89S52.h"
#include "device/ChipOperations.h"
#include "device/FtdiSpiLink.h"
#include "device/ProcessListener.h"
#include "platform/Exception.h"
#include "platform/VirtualClock.h"
#include "serial/TSerial.h"
#include "sim/SimChip.h"
#include "sim/SimCommPort.h"
#include "sim/SimEvent.h"
#include "sim/SimPortResolver.h"

// Records each notification, after calling `before`, if set, with it.
struct RecordingListener : ProcessListener {
  struct Note {
    int value;
    int kind;
  };
  void Notify(int value, int kind) override {
    if (before) before(value, kind);
    notes.push_back({value, kind});
  }
  std::vector<Note> notes;
  std::function<void(int value, int kind)> before;
};

// Hands out ports onto one chip, as the driver would for one real adapter.
class SimOpener : public PortOpener {
 public:
  SimOpener(std::shared_ptr<SimChip> chip, Clock& clock, SimLine::Options options = {})
      : line_(std::make_shared<SimLine>(std::move(chip), options)), clock_(clock) {}
  SimLine& Line() { return *line_; }
  std::unique_ptr<CommPort> Open(const std::string&, PortOpenFailure&) override {
    return std::make_unique<SimCommPort>(line_, clock_);
  }

 private:
  std::shared_ptr<SimLine> line_;
  Clock& clock_;
};

// The wire as text: bytes written in hex, "rts+"/"rts-", and "@N" where N ms passed.
inline std::string RenderWire(const std::vector<SimEvent>& events) {
  std::string text;
  std::chrono::nanoseconds last{0};
  for (const SimEvent& event : events) {
    auto gap = std::chrono::duration_cast<std::chrono::milliseconds>(event.time - last);
    if (gap.count() > 0 && !text.empty()) text += "@" + std::to_string(gap.count()) + " ";
    last = event.time;
    if (event.kind == SimEvent::Kind::Rts) {
      text += event.rts ? "rts+ " : "rts- ";
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%02X ", event.written);
      text += hex;
    }
  }
  if (!text.empty()) text.pop_back();
  return text;
}

// A flash of `dataBytes` of data (a pattern that differs with `seed`) and FF above them.
inline std::vector<uint8_t> Pattern(uint32_t dataBytes = 8192, uint8_t seed = 0) {
  std::vector<uint8_t> bytes(8192, 0xFF);
  for (uint32_t i = 0; i < dataBytes; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + (i >> 8) + seed);
  return bytes;
}
// The 256 bytes of one page of `bytes`.
inline std::vector<uint8_t> PageOf(const std::vector<uint8_t>& bytes, unsigned page) {
  return std::vector<uint8_t>(bytes.begin() + page * 256, bytes.begin() + (page + 1) * 256);
}

// The flash as an image, and an image as bytes.
inline std::vector<uint8_t> Bytes(const Buffer& image) {
  return std::vector<uint8_t>(image.Data(), image.Data() + image.Size());
}
inline std::shared_ptr<const Buffer> ImageOf(const std::vector<uint8_t>& bytes) {
  auto image = std::make_shared<Buffer>(static_cast<uint32_t>(bytes.size()));
  std::copy(bytes.begin(), bytes.end(), image->Data());
  return image;
}

// The message of the Exception that `operation` throws, or "no failure".
inline std::string FailureOf(const std::function<void()>& operation) {
  try {
    operation();
  } catch (const Exception& failure) {
    return failure.what();
  }
  return "no failure";
}

// The reset pulse and Programming Enable that start every operation.
inline std::string EnableOnWire() { return "rts+ rts- @600 rts+ @600 AC 53 00 69 @600"; }

// With line options, the line keeps time (see SimLine); by default bytes cross at once.
struct DeviceBench {
  VirtualClock clock;
  std::shared_ptr<SimChip> chip;
  SimOpener opener;
  TSerial serial{1, opener};
  AT89S52 device{&serial, clock};
  RecordingListener listener;

  explicit DeviceBench(SimLine::Options line = {}, SimChip::Model model = SimChip::Model::AT89S52)
      : chip(std::make_shared<SimChip>(model, clock)), opener(chip, clock, line) {
    device.SetListener(&listener);
  }
  std::string Wire() const { return RenderWire(chip->Events()); }
  // Runs the request in a session of its own, with no chip chosen unless the request names
  // one: the outcome; `failure` holds the failure's message ("" when it succeeded) and
  // `chipFailure` the ChipFailure, if that was the failure.
  ChipOutcome Run(const ChipRequest& request, ProcessListener* to = nullptr) {
    ChipOutcome outcome;
    failure.clear();
    chipFailure.reset();
    try {
      ProgrammingSession session(serial, clock, &stop);
      ChipOperations(session, to ? to : &listener, outcome).Run(request);
    } catch (const ChipFailure& error) {
      failure = error.what();
      chipFailure = error;
    } catch (const std::exception& error) {
      failure = error.what();
    }
    return outcome;
  }
  std::optional<ChipFailure::Kind> FailureKind() const {
    return chipFailure ? std::optional(chipFailure->What()) : std::nullopt;
  }
  StopSignal stop;
  std::string failure;
  std::optional<ChipFailure> chipFailure;
  TraceFile noTrace{"", false};
};

struct FtdiBench {
  static constexpr const char* kPort = "sim-ftdi:AT89S52";

  VirtualClock clock;
  SimPortResolver resolver{clock, [] { return std::vector<SystemPort>(); },
                           FtdiPorts([] { return std::vector<FtdiChipInfo>(); })};
  std::shared_ptr<SimFtdiChip> chip;
  FtdiSpiLink link;
  TraceFile noTrace{"", false};

  explicit FtdiBench(SimFtdiPorts::Options sim = {}, FtdiSpiLink::Options options = {})
      : chip((resolver.SetSimFtdiOptions(sim), resolver.SimFtdiChipFor(kPort))),
        link(resolver, kPort, clock, options) {}

  SimSpiTarget& Target() { return *chip->Target(); }
  SimChip& Chip() { return *chip->Target()->Chip(); }
};

// The bytes the target took: MOSI at each rising edge of SCK while RST was high, 8 to a byte.
inline std::vector<uint8_t> BytesOnTheWire(const std::vector<SimSpiTarget::PinState>& pins) {
  std::vector<uint8_t> bytes;
  int bits = 0;
  uint8_t byte = 0;
  bool sck = false;
  for (const SimSpiTarget::PinState& pin : pins) {
    if (pin.rst && pin.sck && !sck) {
      byte = static_cast<uint8_t>(byte << 1 | (pin.mosi ? 1 : 0));
      if (++bits == 8) {
        bytes.push_back(byte);
        bits = 0;
      }
    }
    sck = pin.sck;
  }
  return bytes;
}
