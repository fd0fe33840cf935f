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

#include "LineFloors.h"
#include "Measurement.h"
#include "cli/CliApp.h"
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
  Measurement Run(const std::vector<std::string>& arguments) {
    std::vector<std::string> full = {"-p", "sim:AT89S52"};
    full.insert(full.end(), arguments.begin(), arguments.end());
    return RunAs(full);
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

bool CommandLineOnTheLine() {
  CliRun cli;
  cli.Image("8k.bin", 8192);
  cli.Image("2k.bin", 2048);
  std::printf("\nisp89-cli on the 4800-baud line (one session, streamed reads):\n");
  bool ok = true;
  ok &= Report("write 8 KB + verify", WriteWithVerify(32), 1.05,
               cli.Run({"write", cli.File("8k.bin")}), 65.0);
  ok &= Report("write 2 KB + verify", WriteWithVerify(8), 1.05,
               cli.Run({"write", cli.File("2k.bin")}), 65.0);
  ok &= Report("read 8 KB to a file", WholeRead(32), 1.05, cli.Run({"read", cli.File("back.bin")}),
               38.0);
  ok &= Report("signature", kSessionStart, 1.02, cli.Run({"signature"}), 1.9);
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

// With "adapters", only the section on several adapters at once.
int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  std::printf("isp89 benchmark: in-process simulated AT89S52, real clock\n");
  if (argc > 1 && std::string(argv[1]) == "adapters") return SeveralAdaptersAtOnce() ? 0 : 1;
  bool ok = true;
#ifdef ISP89_BENCH_WINDOW
  ok &= WindowOnTheLine();
#endif
  ok &= CommandLineOnTheLine();
  ok &= SeveralAdaptersAtOnce();
  return ok ? 0 : 1;
}
