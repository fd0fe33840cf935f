// Times the device operations against the in-process simulated chip on the real clock and
// compares each with its floor: the sum of the waits the protocol mandates. What is left over
// is the cost of the link, the simulation and the sleeps' own overshoot.

#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>

#include "device/AT89S52.h"
#include "platform/SystemClock.h"
#include "serial/TSerial.h"
#include "sim/PortResolver.h"

namespace {

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
};

Result Time(const std::function<void()>& operation) {
  SystemClock& clock = SystemClock::Instance();
  auto start = clock.Now();
  std::clock_t cpuStart = std::clock();
  operation();
  double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  double wall = std::chrono::duration<double>(clock.Now() - start).count();
  return {wall, cpu};
}

bool Report(const char* name, double floorSeconds, double allowedRatio, const Result& result) {
  double ratio = result.wallSeconds / floorSeconds;
  double cpuShare = result.cpuSeconds / result.wallSeconds;
  bool ok = ratio <= allowedRatio && cpuShare < 0.05;
  std::printf(
      "%-16s %8.3f s  floor %8.3f s  ratio %.4f (target <= %.2f)  cpu %6.3f s = %4.1f%%  %s\n",
      name, result.wallSeconds, floorSeconds, ratio, allowedRatio, result.cpuSeconds,
      100.0 * cpuShare, ok ? "ok" : "MISSED");
  return ok;
}

}  // namespace

int main() {
  constexpr double kEnable = 1.8, kErase = 2.0, kByteWaits = 2 * 8192 * 0.001;
  SystemClock& clock = SystemClock::Instance();
  PortResolver resolver(clock);
  TSerial serial(1, resolver);
  // Run on the simulated chip whatever the environment says COM1 is.
  resolver.AttachSimChip("sim:AT89S52", std::make_shared<SimChip>(SimChip::Model::AT89S52, clock));
  setenv("ISP89_COM1", "sim:AT89S52", 1);
  AT89S52 device(&serial, clock);
  device.SetTraceFiles(false);
  QuietListener listener;
  device.SetListener(&listener);
  Buffer image(device.GetMemorySize());
  for (uint32_t i = 0; i < image.Size(); ++i) image[i] = static_cast<uint8_t>(i * 31);

  std::printf("isp89 benchmark: in-process simulated AT89S52, real clock\n");
  bool ok = true;
  ok &= Report("signature", kEnable, 1.02, Time([&] { device.ReadSignature(); }));
  ok &= Report("lock-bit read", kEnable, 1.02, Time([&] { device.ReadLockBits(); }));
  ok &= Report("whole read", kEnable, 1.02, Time([&] { device.ReadMemory(); }));
  ok &= Report("whole write", kEnable + kErase + kByteWaits, 1.05,
               Time([&] { device.WriteMemory(image); }));
  return ok ? 0 : 1;
}
