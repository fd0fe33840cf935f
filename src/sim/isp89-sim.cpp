// isp89-sim: the simulated adapter and chip on a pseudo-terminal. Prints the terminal's path
// on the first line of its output, then serves until SIGINT or SIGTERM.
#include <signal.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "image/Buffer.h"
#include "image/ImageFile.h"
#include "platform/ControlEscapes.h"
#include "platform/Exception.h"
#include "platform/StandardStreams.h"
#include "platform/SystemClock.h"
#include "sim/PtySimServer.h"
#include "sim/SimChip.h"

namespace {

constexpr int kUsageError = 2;
constexpr int kFailed = 1;

// A bad option or input file: nothing was served.
class UsageError : public Exception {
 public:
  using Exception::Exception;
};
constexpr long kSaveCheckMs = 250;

const char kHelp[] =
    "Usage: isp89-sim [options]\n"
    "Serves a simulated programming adapter with an AT89S51 or AT89S52 behind it on a\n"
    "pseudo-terminal. The first line of output is the terminal's path; open it as the\n"
    "serial port (isp89-cli -p PATH, or ISP89_COM1=PATH). Stop with Ctrl-C or SIGTERM.\n"
    "\n"
    "  --chip AT89S51|AT89S52  the chip (default AT89S51)\n"
    "  --flash FILE            initial flash contents (.hex/.ihx Intel HEX, else raw)\n"
    "  --keep FILE             keep the flash in FILE between runs: loaded at start when it\n"
    "                          exists (unless --flash is given), saved after every change\n"
    "                          and on exit\n"
    "  --lock BITS             initial lock bits 0 to 7 (bit 0 LB1, bit 1 LB2, bit 2 LB3)\n"
    "  --signature HEX         the three signature bytes the chip answers, such as 1E7301\n"
    "                          or \"1E 73 01\" (another part than the chip's)\n"
    "  --hide-signature        with lock bit 2 programmed, answer FF FF FF for the\n"
    "                          signature, as some locked chips do\n"
    "  --pace                  be a real 4800-baud line: each byte takes 2.083 ms (10 bits)\n"
    "                          to cross, in each direction at once\n"
    "  --rx-buffer N           bytes the adapter buffers before clocking them to the chip;\n"
    "                          more are lost, as with a real UART (default 16)\n"
    "  --latency MS            hand answers over in bursts every MS ms, as a USB-serial\n"
    "                          adapter's latency timer does (16 is FTDI's default)\n"
    "  --echo                  send back every byte as it came: a loopback plug, or an\n"
    "                          adapter with no target behind it\n"
    "  --silent-after N        stop answering after N bytes, like an adapter that died\n"
    "  --idle-gap MS           a pause this long counts as a reset pulse (default 500)\n"
    "  -h, --help              show this help\n";

struct SimOptions {
  SimChip::Model model = SimChip::Model::AT89S51;
  std::string flashFile, keepFile;
  int lockBits = 0;
  std::optional<std::array<uint8_t, 3>> signature;
  bool hideSignature = false;
  bool pace = false;
  long long rxBuffer = 16;
  long latencyMs = 0;
  bool echo = false;
  long long silentAfter = -1;
  long idleGapMs = 500;
  bool help = false;
};

[[noreturn]] void Usage(const std::string& message) {
  throw UsageError(message + " (isp89-sim --help lists the options)");
}

long long Number(const std::string& option, const std::string& text, long long low,
                 long long high) {
  char* end = nullptr;
  errno = 0;
  long long value = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || value < low || value > high) {
    Usage(option + " needs a number from " + std::to_string(low) + " to " + std::to_string(high) +
          ", not '" + text + "'");
  }
  return value;
}

// Six hexadecimal digits, spaces allowed between them: "1E7301", "1E 73 01".
std::array<uint8_t, 3> SignatureBytes(const std::string& text) {
  std::string digits;
  for (char c : text) {
    if (c != ' ') digits += c;
  }
  const bool hex = digits.size() == 6 && std::all_of(digits.begin(), digits.end(), [](char c) {
                     return std::isxdigit(static_cast<unsigned char>(c)) != 0;
                   });
  if (!hex)
    Usage("--signature needs three bytes in hexadecimal, such as 1E7301, not '" + text + "'");
  std::array<uint8_t, 3> bytes{};
  for (size_t i = 0; i < 3; ++i) {
    bytes[i] = static_cast<uint8_t>(std::stoul(digits.substr(2 * i, 2), nullptr, 16));
  }
  return bytes;
}

SimOptions Parse(const std::vector<std::string>& args) {
  SimOptions options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& name = args[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) Usage("option " + name + " needs a value");
      return args[++i];
    };
    if (name == "-h" || name == "--help") {
      options.help = true;
    } else if (name == "--chip") {
      if (!SimChip::ParseModel(value(), options.model)) {
        Usage("unknown chip '" + args[i] + "': choose AT89S51 or AT89S52");
      }
    } else if (name == "--flash") {
      options.flashFile = value();
    } else if (name == "--keep") {
      options.keepFile = value();
    } else if (name == "--lock") {
      options.lockBits = static_cast<int>(Number(name, value(), 0, 7));
    } else if (name == "--signature") {
      options.signature = SignatureBytes(value());
    } else if (name == "--hide-signature") {
      options.hideSignature = true;
    } else if (name == "--pace") {
      options.pace = true;
    } else if (name == "--rx-buffer") {
      options.rxBuffer = Number(name, value(), 1, 65536);
    } else if (name == "--latency") {
      options.latencyMs = static_cast<long>(Number(name, value(), 0, 1000));
    } else if (name == "--echo") {
      options.echo = true;
    } else if (name == "--silent-after") {
      options.silentAfter = Number(name, value(), 0, 1LL << 40);
    } else if (name == "--idle-gap") {
      options.idleGapMs = static_cast<long>(Number(name, value(), 1, 60000));
    } else {
      Usage("unknown option '" + name + "'");
    }
  }
  return options;
}

std::vector<uint8_t> LoadFlash(const std::string& path) {
  Buffer image(SimChip::kFlashSize);
  ImageFile::LoadResult result;
  try {
    result = ImageFile::Load(path, image);
  } catch (const Exception& e) {
    throw UsageError(e.Message());
  }
  if (result.longerThanImage) {
    std::cerr << "isp89-sim: warning: "
              << EscapeControlCharacters(result.TruncationNote(path, image.Size())) << '\n';
  }
  return std::vector<uint8_t>(image.Data(), image.Data() + image.Size());
}

void SaveFlash(const std::string& path, const std::vector<uint8_t>& flash) {
  Buffer image(static_cast<uint32_t>(flash.size()));
  std::copy(flash.begin(), flash.end(), image.Data());
  ImageFile::Save(path, image);
}

// Found at start rather than at the first save, when whatever was written would be lost.
void CheckKeepFile(const std::string& path) {
  if (path.empty()) return;
  try {
    ImageFile::CheckSaveTarget(path);
  } catch (const Exception& e) {
    throw UsageError("--keep: " + e.Message());
  }
}

std::shared_ptr<SimChip> MakeChip(const SimOptions& options) {
  auto chip = std::make_shared<SimChip>(options.model, SystemClock::Instance());
  if (!options.flashFile.empty()) {
    chip->SetFlash(LoadFlash(options.flashFile));
  } else if (!options.keepFile.empty() && std::filesystem::exists(options.keepFile)) {
    chip->SetFlash(LoadFlash(options.keepFile));
  }
  chip->SetLockBits(static_cast<uint8_t>(options.lockBits));
  if (options.signature) chip->SetSignature(*options.signature);
  chip->SetSignatureHiddenWhenLocked(options.hideSignature);
  return chip;
}

// Waits for SIGINT or SIGTERM (blocked in every thread, so they come only here), saving the
// flash to the keep file whenever it changed.
void ServeUntilStopped(const SimOptions& options, const SimChip& chip, const sigset_t& stops) {
  std::vector<uint8_t> saved = chip.Flash();
  std::string lastFailure;
  auto saveIfChanged = [&]() {
    std::vector<uint8_t> now = chip.Flash();
    if (options.keepFile.empty() || now == saved) return;
    try {
      SaveFlash(options.keepFile, now);
      saved = now;
      lastFailure.clear();
    } catch (const Exception& e) {
      // Kept for the next try; said once, not every check.
      if (e.Message() != lastFailure)
        std::cerr << "isp89-sim: " << EscapeControlCharacters(e.Message()) << '\n';
      lastFailure = e.Message();
    }
  };
  const timespec interval{0, kSaveCheckMs * 1000000L};
  for (;;) {
    int signal = sigtimedwait(&stops, nullptr, &interval);
    if (signal == SIGINT || signal == SIGTERM) break;
    saveIfChanged();
  }
  saveIfChanged();
  // A keep file that did not exist yet is made even when nothing changed.
  if (!options.keepFile.empty() && !std::filesystem::exists(options.keepFile)) {
    SaveFlash(options.keepFile, chip.Flash());
  }
}

int Run(const std::vector<std::string>& args) {
  SimOptions options = Parse(args);
  if (options.help) {
    std::cout << kHelp;
    return 0;
  }
  CheckKeepFile(options.keepFile);
  sigset_t stops;
  sigemptyset(&stops);
  sigaddset(&stops, SIGINT);
  sigaddset(&stops, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stops, nullptr);

  std::shared_ptr<SimChip> chip = MakeChip(options);
  if (options.silentAfter >= 0) chip->SetSilenceAfter(static_cast<uint64_t>(options.silentAfter));
  PtySimServer::Options serverOptions;
  serverOptions.paceAtLineSpeed = options.pace;
  serverOptions.adapterBuffer = static_cast<size_t>(options.rxBuffer);
  serverOptions.latency = std::chrono::milliseconds(options.latencyMs);
  serverOptions.echo = options.echo;
  serverOptions.idleGapReset = std::chrono::milliseconds(options.idleGapMs);
  PtySimServer server(chip, serverOptions);
  // The path is what a client needs: a server nobody can find is no use.
  if (!(std::cout << server.SlavePath() << std::endl)) {
    throw Exception("cannot write the terminal's path (" + server.SlavePath() +
                    ") to the standard output: it is closed, or its reader has gone");
  }
  std::cerr << "isp89-sim: a simulated "
            << (options.model == SimChip::Model::AT89S51 ? "AT89S51" : "AT89S52") << " on "
            << server.SlavePath() << "; stop with Ctrl-C\n";
  ServeUntilStopped(options, *chip, stops);
  server.Stop();
  if (server.LostBytes() > 0) {
    std::cerr << "isp89-sim: " << server.LostBytes()
              << " bytes were lost in the adapter's full receive buffer\n";
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Before anything is opened: a closed standard output must not become the terminal.
  PrepareStandardStreams();
  try {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const UsageError& e) {
    std::cerr << "isp89-sim: " << EscapeControlCharacters(e.Message()) << '\n';
    return kUsageError;
  } catch (const Exception& e) {
    std::cerr << "isp89-sim: " << EscapeControlCharacters(e.Message()) << '\n';
    return kFailed;
  }
}
