// Times the device operations and the command line against the in-process simulated chip on
// the real clock, and compares each with its floor:
// - on a line without time (bytes cross at once): the waits the protocol mandates;
// - on the real 4800-baud line: those waits, plus 2.083 ms a byte each way for every exchange
//   that waits for its answer (4.17 ms), or one byte time for each byte sent while the answers
//   of earlier bytes are still on their way (page writes, streamed reads).
// What is left over is the cost of the link, the simulation and the sleeps' own overshoot.

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "device/AT89S52.h"
#include "platform/Exception.h"
#include "platform/SystemClock.h"
#include "serial/TSerial.h"
#include "sim/SimPortResolver.h"

namespace {

constexpr double kByte = 10.0 / 4800;  // one byte on the wire
constexpr double kLockStep = 2 * kByte;
constexpr double kEnable = 1.8, kErase = 2.0;
constexpr double kEnableOnLine = kEnable + 4 * kLockStep;
constexpr double kSignatureOnLine = 12 * kLockStep;
constexpr double kPageBytes = 258;

class QuietListener : public ProcessListener {
 public:
  QuietListener() : ProcessListener(true) {}
  void Notify(int, int) override {}

 protected:
  void Execute() override {}
};

struct Result {
  double wallSeconds;
  double cpuSeconds;
  bool succeeded = true;  // a failed run is fast, and must not pass for a good figure
};

Result Time(const std::function<void()>& operation) {
  SystemClock& clock = SystemClock::Instance();
  auto start = clock.Now();
  std::clock_t cpuStart = std::clock();
  bool succeeded = true;
  try {
    operation();
  } catch (const Exception& e) {
    std::printf("failed: %s\n", e.Message().c_str());
    succeeded = false;
  }
  double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  double wall = std::chrono::duration<double>(clock.Now() - start).count();
  return {wall, cpu, succeeded};
}

// `before`, when given, is the figure the same work took before the command line ran in one
// session (lock-step reads, a second session for the read-back, every page written).
bool Report(const char* name, double floorSeconds, double allowedRatio, const Result& result,
            double before = 0) {
  double ratio = result.wallSeconds / floorSeconds;
  double cpuShare = result.cpuSeconds / result.wallSeconds;
  bool ok = result.succeeded && ratio <= allowedRatio && cpuShare < 0.05;
  std::printf("%-22s %8.3f s  floor %8.3f s  ratio %.4f (target <= %.2f)  cpu %4.1f%%", name,
              result.wallSeconds, floorSeconds, ratio, allowedRatio, 100.0 * cpuShare);
  if (before > 0) std::printf("  before %5.1f s", before);
  std::printf("  %s\n", ok ? "ok" : result.succeeded ? "MISSED" : "FAILED");
  return ok;
}

// The window's device operations on one simulated line.
class DeviceRun {
 public:
  explicit DeviceRun(const SimLine::Options& line) {
    resolver_.SetSimLineOptions(line);
    // Run on the simulated chip whatever the environment says COM1 is.
    resolver_.AttachSimChip(
        "sim:AT89S52", std::make_shared<SimChip>(SimChip::Model::AT89S52, SystemClock::Instance()));
    setenv("ISP89_COM1", "sim:AT89S52", 1);
    device_.SetTraceFiles(false);
    device_.SetListener(&listener_);
    for (uint32_t i = 0; i < image_.Size(); ++i) image_[i] = static_cast<uint8_t>(i * 31);
  }
  AT89S52& Device() { return device_; }
  const Buffer& Image() const { return image_; }

 private:
  SimPortResolver resolver_{SystemClock::Instance()};
  TSerial serial_{1, resolver_};
  AT89S52 device_{&serial_, SystemClock::Instance()};
  QuietListener listener_;
  Buffer image_{8192};
};

bool DeviceWithoutLineTime() {
  constexpr double kByteWaits = 2 * 8192 * 0.001;
  DeviceRun run{SimLine::Options()};
  AT89S52& device = run.Device();
  std::printf("\nThe window's operations, line without time (the protocol's waits):\n");
  bool ok = true;
  ok &= Report("signature", kEnable, 1.02, Time([&] { device.ReadSignature(); }));
  ok &= Report("lock-bit read", kEnable, 1.02, Time([&] { device.ReadLockBits(); }));
  ok &= Report("whole read", kEnable, 1.02, Time([&] { device.ReadMemory(); }));
  ok &= Report("whole write", kEnable + kErase + kByteWaits, 1.05,
               Time([&] { device.WriteMemory(run.Image()); }));
  return ok;
}

SimLine::Options RealLine() {
  SimLine::Options line;
  line.baudRate = 4800;
  return line;
}

bool DeviceOnTheLine() {
  DeviceRun run(RealLine());
  AT89S52& device = run.Device();
  std::printf("\nThe window's operations on the 4800-baud line:\n");
  bool ok = true;
  ok &= Report("signature", kEnableOnLine + kSignatureOnLine, 1.05,
               Time([&] { device.ReadSignature(); }));
  ok &= Report("lock-bit read", kEnableOnLine + 4 * kLockStep, 1.05,
               Time([&] { device.ReadLockBits(); }));
  ok &= Report("whole read", kEnableOnLine + 32 * kPageBytes * kLockStep, 1.05,
               Time([&] { device.ReadMemory(); }));
  ok &= Report("whole write", kEnableOnLine + kErase + 32 * kPageBytes * kByte, 1.05,
               Time([&] { device.WriteMemory(run.Image()); }));
  return ok;
}

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
  Result Run(const std::vector<std::string>& arguments) {
    std::vector<std::string> full = {"-p", "sim:AT89S52"};
    full.insert(full.end(), arguments.begin(), arguments.end());
    return RunAs(full);
  }
  // Quietly, with the ports `arguments` name.
  Result RunAs(const std::vector<std::string>& arguments) {
    std::vector<std::string> full = {"-q"};
    full.insert(full.end(), arguments.begin(), arguments.end());
    std::ostringstream out, err;
    int status = 0;
    Result result = Time([&] { status = app_.Run(full, out, err, false); });
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
  const double start = kEnableOnLine + kSignatureOnLine;
  std::printf("\nisp89-cli on the 4800-baud line (one session, streamed reads):\n");
  bool ok = true;
  ok &= Report("write 8 KB + verify", start + kErase + 2 * 32 * kPageBytes * kByte, 1.05,
               cli.Run({"write", cli.File("8k.bin")}), 65.0);
  ok &= Report("write 2 KB + verify", start + kErase + 2 * 8 * kPageBytes * kByte, 1.05,
               cli.Run({"write", cli.File("2k.bin")}), 65.0);
  ok &= Report("read 8 KB to a file", start + 4 * kLockStep + 32 * kPageBytes * kByte, 1.05,
               cli.Run({"read", cli.File("back.bin")}), 38.0);
  ok &= Report("signature", start, 1.02, cli.Run({"signature"}), 1.9);
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
    Result result = cli.RunAs(arguments);
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
  bool ok = DeviceWithoutLineTime();
  ok &= DeviceOnTheLine();
  ok &= CommandLineOnTheLine();
  ok &= SeveralAdaptersAtOnce();
  return ok ? 0 : 1;
}
