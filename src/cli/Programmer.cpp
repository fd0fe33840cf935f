#include "cli/Programmer.h"

#include <cstdio>
#include <filesystem>

#include "cli/CliError.h"
#include "cli/FixedPortOpener.h"
#include "cli/PortChoice.h"
#include "image/ImageFile.h"

namespace {

using Command = CliOptions::Command;

std::string Hex(uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, static_cast<unsigned>(value));
  return text;
}

// Ends the progress display on every way out of a transfer.
class ProgressScope {
 public:
  ProgressScope(ProgressReporter& progress, const std::string& label) : progress_(progress) {
    progress_.Begin(label);
  }
  ~ProgressScope() { progress_.End(); }

 private:
  ProgressReporter& progress_;
};

}  // namespace

Programmer::Programmer(const CliOptions& options, PortOpener& opener, Clock& clock,
                       std::ostream& out, std::ostream& notes, ProgressReporter& progress)
    : options_(options), clock_(clock), out_(out), notes_(notes), progress_(progress) {
  PortChoice port = PortChoice::Parse(options.port);
  if (port.Number() > 0) {
    serial_ = std::make_unique<TSerial>(port.Number(), opener);
  } else {
    fixedOpener_ = std::make_unique<FixedPortOpener>(opener, port.Target());
    serial_ = std::make_unique<TSerial>(1, *fixedOpener_);
  }
  const ChipCatalog::Chip* named = ChipCatalog::FindByName(options.device);
  UseChip(named ? *named : ChipCatalog::Chips().front());
}

Programmer::~Programmer() = default;

void Programmer::UseChip(const ChipCatalog::Chip& chip) {
  if (chip_ == &chip) return;
  chip_ = &chip;
  device_ = chip.create(serial_.get(), clock_);
  device_->SetListener(&progress_);
  device_->SetTraceFiles(options_.trace);
}

void Programmer::Note(const std::string& text) const {
  if (!options_.quiet) out_ << text << '\n' << std::flush;
}

void Programmer::Run() {
  // Said after the command, whether it succeeded or not: slow exchanges explain both.
  struct LatencyNote {
    const Programmer& programmer;
    ~LatencyNote() { programmer.NoteSlowExchanges(); }
  } latencyNote{*this};
  switch (options_.command) {
    case Command::Signature:
      return Signature();
    case Command::Read:
      return Read();
    case Command::Write:
      return Write();
    case Command::Verify:
      return Verify();
    case Command::Erase:
      return Erase();
    case Command::Lock:
      return Lock();
    default:
      throw CliError(CliError::kUsage, "no command given");
  }
}

void Programmer::Signature() {
  int32_t word = device_->ReadSignature();
  const ChipCatalog::Chip* chip = ChipCatalog::FindBySignature(word);
  const std::string bytes = ChipCatalog::SignatureText(word);
  out_ << "signature " << bytes << ": " << (chip ? chip->name : "unknown chip") << '\n';
  if (!chip) {
    throw CliError(CliError::kFailed, "the target's signature reads " + bytes + ": " +
                                          ChipCatalog::ExplainUnknown(word));
  }
}

void Programmer::Identify(bool guard) {
  const ChipCatalog::Chip* chosen = ChipCatalog::FindByName(options_.device);
  if (chosen && !guard) return;
  int32_t word = device_->ReadSignature();
  const ChipCatalog::Chip* found = ChipCatalog::FindBySignature(word);
  const std::string bytes = ChipCatalog::SignatureText(word);
  if (found && (!chosen || found == chosen)) return UseChip(*found);
  const ChipCatalog::Chip& fallback = chosen ? *chosen : *chip_;
  std::string problem =
      found
          ? "the target's signature " + bytes + " is the " + found->name + "'s, not the " +
                fallback.name + "'s (" + ChipCatalog::SignatureText(fallback.SignatureWord()) + ")"
          : "the target's signature reads " + bytes + ": " + ChipCatalog::ExplainUnknown(word);
  if (guard && !options_.force) {
    throw CliError(CliError::kFailed,
                   problem + (found ? "; choose -d " + std::string(found->name) : std::string()) +
                       "; --force goes on anyway");
  }
  notes_ << "warning: " << problem << "; going on as the " << fallback.name << '\n';
  UseChip(fallback);
}

Buffer Programmer::LoadInput() const {
  Buffer image(device_->GetMemorySize());
  ImageFile::LoadResult result;
  try {
    result = ImageFile::Load(options_.file, image);
  } catch (const Exception& e) {
    throw CliError(CliError::kUsage, e.Message());
  }
  if (result.longerThanImage) {
    notes_ << "warning: " << options_.file << " is " << result.fileSize
           << " bytes, longer than the " << image.Size() << "-byte memory; the first "
           << image.Size() << " bytes are used\n";
  }
  return image;
}

// A chip with less flash than the image folds the upper addresses onto the lower ones, so
// the upper part must be erased (FF) or a copy of the lower (as a read of such a chip gives).
void Programmer::CheckFitsFlash(const Buffer& image) const {
  const uint32_t flash = chip_->flashSize;
  for (uint32_t a = flash; a < image.Size(); ++a) {
    if (image[a] != Buffer::kErased && image[a] != image[a % flash]) {
      throw CliError(CliError::kUsage,
                     options_.file + " has data at " + Hex(a, 4) + ", beyond the " + chip_->name +
                         "'s " + std::to_string(flash / 1024) +
                         " KB of flash, where the chip would write it over " + Hex(a % flash, 4));
    }
  }
}

void Programmer::ReadBack(const std::string& label) {
  ProgressScope scope(progress_, label);
  device_->ReadMemory();
}

void Programmer::Compare(const Buffer& expected, const std::string& what,
                         const std::string& check) const {
  const Buffer& actual = *device_->GetReadImage();
  uint32_t differing = 0, first = 0;
  for (uint32_t a = 0; a < chip_->flashSize; ++a) {
    if (actual[a] == expected[a]) continue;
    if (differing++ == 0) first = a;
  }
  if (differing == 0) return;
  throw CliError(CliError::kFailed, check + " failed: " + std::to_string(differing) + " of " +
                                        std::to_string(chip_->flashSize) +
                                        " bytes differ; the first at " + Hex(first, 4) + ": chip " +
                                        Hex(actual[first], 2) + ", " + what + " " +
                                        Hex(expected[first], 2));
}

void Programmer::Read() {
  namespace fs = std::filesystem;
  fs::path target(options_.file);
  fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  std::error_code error;
  if (fs::is_directory(target, error)) {
    throw CliError(CliError::kUsage, options_.file + " is a folder; name a file to write");
  }
  if (!fs::is_directory(folder, error)) {
    throw CliError(CliError::kUsage,
                   "cannot save " + options_.file + ": there is no folder " + folder.string());
  }
  ReadBack("reading");
  ImageFile::Save(options_.file, *device_->GetReadImage());
  Note("read " + std::to_string(device_->GetMemorySize()) + " bytes from the " + chip_->name +
       " into " + options_.file);
}

void Programmer::Write() {
  Buffer image = LoadInput();
  Identify(true);
  CheckFitsFlash(image);
  {
    ProgressScope scope(progress_, "writing");
    device_->WriteMemory(image);
  }
  if (options_.noVerify) {
    return Note("wrote " + options_.file + " to the " + chip_->name + " (not verified)");
  }
  ReadBack("verifying");
  Compare(image, options_.file, "verify");
  Note("wrote " + options_.file + " to the " + chip_->name + " and verified " +
       std::to_string(chip_->flashSize) + " bytes");
}

void Programmer::Verify() {
  Buffer image = LoadInput();
  Identify(false);
  CheckFitsFlash(image);
  ReadBack("verifying");
  Compare(image, options_.file, "verify");
  Note(options_.file + " matches the " + chip_->name + "'s flash (" +
       std::to_string(chip_->flashSize) + " bytes)");
}

void Programmer::Erase() {
  Identify(true);
  device_->Erase();
  if (options_.noVerify) return Note("erased the " + std::string(chip_->name) + " (not checked)");
  ReadBack("blank check");
  Compare(Buffer(device_->GetMemorySize()), "erased", "blank check");
  Note("erased the " + std::string(chip_->name) + " (blank check passed)");
}

// A lock-step exchange (a byte out, its answer back) takes two byte times, 4.17 ms at
// 4800 baud. Much longer means the answers are held back on their way: a USB-serial
// adapter's latency timer, which can be lowered.
void Programmer::NoteSlowExchanges() const {
  constexpr double kLockStepMs = 2 * 10 * 1000.0 / 4800;
  constexpr uint64_t kEnoughToTell = 8;
  const AT89S5X::ExchangeTiming& timing = device_->LockStepTiming();
  if (timing.count < kEnoughToTell) return;
  const double averageMs =
      std::chrono::duration<double, std::milli>(timing.total).count() / timing.count;
  if (averageMs <= 2 * kLockStepMs) return;
  char figures[160];
  std::snprintf(figures, sizeof figures,
                "note: an exchange with the adapter took %.1f ms on average, where the "
                "4800-baud line needs %.1f ms",
                averageMs, kLockStepMs);
  notes_ << figures
         << ": the adapter holds its answers back (a USB-serial latency timer). Lower it to "
            "1 ms: on Linux the driver's low-latency mode, which isp89 asks for (for an FTDI "
            "adapter also: echo 1 > /sys/bus/usb-serial/devices/ttyUSB0/latency_timer); on "
            "Windows, Device Manager, the port's Properties, Port Settings, Advanced, Latency "
            "Timer (msec) 1\n";
}

std::string Programmer::LockText(int8_t bits) const {
  return "LB1=" + std::to_string(bits & 1) + " LB2=" + std::to_string((bits >> 1) & 1) +
         " LB3=" + std::to_string((bits >> 2) & 1);
}

void Programmer::Lock() {
  if (!options_.lockMode) {
    out_ << LockText(device_->ReadLockBits()) << '\n';
    return;
  }
  const unsigned mode = *options_.lockMode;
  device_->WriteLockBits(static_cast<unsigned char>(mode));
  if (options_.noVerify) return Note("wrote lock mode " + std::to_string(mode) + " (not checked)");
  int8_t bits = device_->ReadLockBits();
  if ((static_cast<unsigned>(bits) & mode) != mode) {
    throw CliError(CliError::kFailed, "the lock bits did not take: asked for mode " +
                                          std::to_string(mode) + ", the chip reads " +
                                          LockText(bits));
  }
  out_ << LockText(bits) << '\n';
}
