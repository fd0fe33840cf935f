// Times the window and the command line against the in-process simulated chip on the real
// clock, each on the real 4800-baud line, and compares each figure with its floor
// (LineFloors.h). What is left over is the cost of the link, the simulation, the window's
// thread hand-overs and the sleeps' own overshoot.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "FtdiFloors.h"
#include "LineFloors.h"
#include "Measurement.h"
#include "cli/CliApp.h"
#include "device/FtdiSpiLink.h"
#include "device/ProgrammingSession.h"
#include "image/Buffer.h"
#include "platform/SystemClock.h"
#include "sim/SimPortResolver.h"
#ifdef ISP89_BENCH_WINDOW
#include "WindowBench.h"
#endif

namespace {

using namespace line_floor;

// isp89-cli in process, on the simulated AT89S52 behind a 4800-baud line.
class CliRun {
 public:
  CliRun() {
    resolver_.SetSimLineOptions(RealLine());
    folder_ = std::filesystem::temp_directory_path() / "isp89-bench";
    std::filesystem::create_directories(folder_);
  }
  ~CliRun() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  std::string File(const std::string& name) const { return (folder_ / name).string(); }
  void Image(const std::string& name, uint32_t dataBytes) const {
    Buffer image(8192);
    for (uint32_t i = 0; i < dataBytes; ++i) image[i] = static_cast<uint8_t>(i * 7 + 3);
    image.SaveTo(File(name));
  }
  Measurement Run(const std::vector<std::string>& arguments,
                  const std::string& port = "sim:AT89S52") {
    std::vector<std::string> full = {"-p", port};
    full.insert(full.end(), arguments.begin(), arguments.end());
    return RunAs(full);
  }
  // The SCK the FTDI link chooses for the simulated FTDI chip.
  double FtdiSck() {
    FtdiSpiLink link(resolver_, "sim-ftdi:AT89S52", SystemClock::Instance(), {});
    ProgrammingSession session(link, SystemClock::Instance());
    return link.SckHz();
  }
  // Quietly, with the ports `arguments` name.
  Measurement RunAs(const std::vector<std::string>& arguments) {
    std::vector<std::string> full = {"-q"};
    full.insert(full.end(), arguments.begin(), arguments.end());
    std::ostringstream out, err;
    int status = 0;
    Measurement result = Time([&] { status = app_.Run(full, out, err, false); });
    if (status != 0) {
      std::printf("isp89-cli failed: %s", err.str().c_str());
      result.succeeded = false;
    }
    return result;
  }

 private:
  SimPortResolver resolver_{SystemClock::Instance()};
  CliApp app_{resolver_, SystemClock::Instance()};
  std::filesystem::path folder_;
};

// The serial adapter's figures, for the FTDI chip's to be printed beside.
struct SerialFigures {
  double write8k = 0, read8k = 0;
};

bool CommandLineOnTheLine(SerialFigures& figures) {
  CliRun cli;
  cli.Image("8k.bin", 8192);
  cli.Image("2k.bin", 2048);
  std::printf("\nisp89-cli on the 4800-baud line (one session, streamed reads):\n");
  bool ok = true;
  const Measurement write8k = cli.Run({"write", cli.File("8k.bin")});
  ok &= Report("write 8 KB + verify", WriteWithVerify(32), 1.05, write8k, 65.0);
  ok &= Report("write 2 KB + verify", WriteWithVerify(8), 1.05,
               cli.Run({"write", cli.File("2k.bin")}), 65.0);
  const Measurement read8k = cli.Run({"read", cli.File("back.bin")});
  ok &= Report("read 8 KB to a file", WholeRead(32), 1.05, read8k, 38.0);
  ok &= Report("signature", kSessionStart, 1.02, cli.Run({"signature"}), 1.9);
  figures = {write8k.wallSeconds, read8k.wallSeconds};
  return ok;
}

// The same commands on the simulated FTDI chip (an FT232R: USB full speed, 1 ms frames, its
// 128- and 256-byte buffers) driving the pins of a simulated AT89S52, beside the serial
// adapter's figures.
bool CommandLineOnTheFtdiChip(const SerialFigures& serial) {
  CliRun cli;
  cli.Image("8k.bin", 8192);
  const double sck = cli.FtdiSck();
  std::printf("\nisp89-cli on the simulated FTDI chip (FT232R, SCK %.1f kHz, tSWC %.1f us):\n",
              sck / 1000, ftdi_floor::kByteWrite * 1e6);
  bool ok = true;
  const char* const port = "sim-ftdi:AT89S52";
  ok &= Report("write 8 KB + verify", ftdi_floor::WriteWithVerify(32, sck), 1.10,
               cli.Run({"write", cli.File("8k.bin")}, port), serial.write8k, "serial");
  ok &= Report("read 8 KB to a file", ftdi_floor::WholeRead(32, sck), 1.10,
               cli.Run({"read", cli.File("back.bin")}, port), serial.read8k, "serial");
  return ok;
}

// One command on 1, 2, 4 and 8 simulated adapters at once, each on its own 4800-baud line:
// the work is on the lines, so 8 adapters should take no longer than 1.
bool SeveralAdaptersAtOnce() {
  CliRun cli;
  cli.Image("2k.bin", 2048);
  std::printf("\nisp89-cli on several adapters at once (write 2 KB + verify, 4800-baud lines):\n");
  double one = 0;
  bool ok = true;
  for (int adapters : {1, 2, 4, 8}) {
    std::vector<std::string> arguments;
    for (int i = 1; i <= adapters; ++i) {
      arguments.insert(arguments.end(), {"-p", "sim" + std::to_string(i) + ":AT89S52"});
    }
    arguments.insert(arguments.end(), {"write", cli.File("2k.bin")});
    Measurement result = cli.RunAs(arguments);
    if (adapters == 1) one = result.wallSeconds;
    const double ratio = result.wallSeconds / one;
    const bool within = result.succeeded && (adapters < 8 || ratio <= 1.05);
    ok &= within;
    std::printf("%d adapter%s %10.3f s  1 adapter %8.3f s  ratio %.4f%s  cpu %4.1f%%  %s\n",
                adapters, adapters == 1 ? " " : "s", result.wallSeconds, one, ratio,
                adapters == 8 ? " (target <= 1.05)" : "                 ",
                100.0 * result.cpuSeconds / result.wallSeconds,
                within             ? "ok"
                : result.succeeded ? "MISSED"
                                   : "FAILED");
  }
  return ok;
}

}  // namespace

// With "adapters", only the section on several adapters at once; with "ftdi", only the
// command line on the serial line and on the FTDI chip.
int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  std::printf("isp89 benchmark: in-process simulated AT89S52, real clock\n");
  const std::string only = argc > 1 ? argv[1] : "";
  if (only == "adapters") return SeveralAdaptersAtOnce() ? 0 : 1;
  bool ok = true;
  SerialFigures serial;
  if (only == "ftdi") {
    ok &= CommandLineOnTheLine(serial);
    ok &= CommandLineOnTheFtdiChip(serial);
    return ok ? 0 : 1;
  }
#ifdef ISP89_BENCH_WINDOW
  ok &= WindowOnTheLine();
#endif
  ok &= CommandLineOnTheLine(serial);
  ok &= CommandLineOnTheFtdiChip(serial);
  ok &= SeveralAdaptersAtOnce();
  return ok ? 0 : 1;
}
