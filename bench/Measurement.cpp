#include "Measurement.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "platform/Exception.h"
#include "platform/SystemClock.h"

Measurement Time(const std::function<void()>& work) {
  SystemClock& clock = SystemClock::Instance();
  const auto start = clock.Now();
  const std::clock_t cpuStart = std::clock();
  Measurement measured;
  try {
    work();
  } catch (const Exception& e) {
    std::printf("failed: %s\n", e.Message().c_str());
    measured.succeeded = false;
  }
  measured.cpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  measured.wallSeconds = std::chrono::duration<double>(clock.Now() - start).count();
  return measured;
}

bool Report(const char* name, double floorSeconds, double allowedRatio, const Measurement& measured,
            double before, const char* beforeLabel) {
  const double ratio = measured.wallSeconds / floorSeconds;
  const double cpuShare = measured.cpuSeconds / measured.wallSeconds;
  const bool ok = measured.succeeded && ratio <= allowedRatio && cpuShare < 0.05;
  std::printf("%-22s %8.3f s  floor %8.3f s  ratio %.4f (target <= %.2f)  cpu %4.1f%%", name,
              measured.wallSeconds, floorSeconds, ratio, allowedRatio, 100.0 * cpuShare);
  if (before > 0) std::printf("  %s %5.1f s", beforeLabel, before);
  std::printf("  %s\n", ok ? "ok" : measured.succeeded ? "MISSED" : "FAILED");
  return ok;
}
