#include "cli/Programmer.h"

#include <cstdio>
#include <optional>

#include "cli/CliError.h"
#include "image/ImageCheck.h"
#include "image/ImageFile.h"
#include "image/TraceFile.h"
#include "platform/ControlEscapes.h"

namespace {

using Command = CliOptions::Command;
constexpr uint32_t kPageSize = ProgrammingSession::kPageSize;
constexpr uint32_t kImageSize = 8192;  // both chips are handled as 8 KB
constexpr int8_t kLB2 = 0x02;

std::string Count(size_t count, const std::string& thing) {
  return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

// Ends the progress display on every way out of a transfer.
class ProgressScope {
 public:
  ProgressScope(ProgressReporter& progress, const std::string& label) : progress_(progress) {
    progress_.Begin(label);
    progress_.Notify(0, ProcessListener::NOTIFY_PROGRESS);
  }
  ~ProgressScope() { progress_.End(); }
  void Done(size_t done, size_t total) {
    progress_.Notify(static_cast<int>(done * 100 / total), ProcessListener::NOTIFY_PROGRESS);
  }

 private:
  ProgressReporter& progress_;
};

}  // namespace

Programmer::Programmer(const CliOptions& options, const std::string& port, PortOpener& opener,
                       Clock& clock, std::ostream& out, std::ostream& notes,
                       ProgressReporter& progress)
    : options_(options),
      clock_(clock),
      out_(out),
      notes_(notes),
      progress_(progress),
      serial_(port, opener) {}

Programmer::~Programmer() = default;

void Programmer::Note(const std::string& text) const {
  if (!options_.quiet) out_ << EscapeControlCharacters(text) << '\n' << std::flush;
}

Buffer Programmer::Prepare() const {
  if (options_.command == Command::None) throw CliError(CliError::kUsage, "no command given");
  if (options_.command == Command::Read) CheckOutputFolder();
  const bool takesImage = options_.command == Command::Write || options_.command == Command::Verify;
  return takesImage ? LoadInput() : Buffer(0);
}

void Programmer::Run() { Run(Prepare()); }

void Programmer::Run(const Buffer& image) {
  ProgrammingSession session(serial_, clock_);
  // Said after the command, whether it succeeded or not: slow exchanges explain both.
  struct LatencyNote {
    const Programmer& programmer;
    const ProgrammingSession& session;
    ~LatencyNote() { programmer.NoteSlowExchanges(session.LockStepTiming()); }
  } latencyNote{*this, session};
  RunCommand(session, image);
}

void Programmer::RunCommand(ProgrammingSession& session, const Buffer& image) {
  int32_t word = session.ReadSignature();
  if (options_.command == Command::Signature) return Signature(word);
  word = EraseWhatHidesItsSignature(session, word);
  Identify(word);
  switch (options_.command) {
    case Command::Read:
      return Read(session);
    case Command::Write:
      return Write(session, image);
    case Command::Verify:
      return Verify(session, image);
    case Command::Erase:
      return Erase(session);
    case Command::Lock:
      return Lock(session);
    default:
      throw CliError(CliError::kUsage, "no command given");
  }
}

void Programmer::Signature(int32_t word) {
  const ChipCatalog::Chip* chip = ChipCatalog::FindBySignature(word);
  const std::string bytes = ChipCatalog::SignatureText(word);
  if (chip) outcome_.chip = chip->name;
  out_ << "signature " << bytes << ": " << (chip ? chip->name : "unknown chip") << '\n';
  if (!chip) {
    throw CliError(CliError::kFailed, "the target's signature reads " + bytes + ": " +
                                          ChipCatalog::ExplainUnknown(word));
  }
}

void Programmer::Identify(int32_t word) {
  const ChipCatalog::Chip* chosen = ChipCatalog::FindByName(options_.device);
  const ChipCatalog::Chip* found = ChipCatalog::FindBySignature(word);
  if (found && (!chosen || found == chosen)) {
    chip_ = found;
    outcome_.chip = chip_->name;
    return;
  }
  // Unknown, the 8 KB chip is the safe guess: it covers the smaller one's addresses too.
  const ChipCatalog::Chip& fallback = chosen ? *chosen : ChipCatalog::Chips().back();
  const std::string bytes = ChipCatalog::SignatureText(word);
  std::string problem =
      found
          ? "the target's signature " + bytes + " is the " + found->name + "'s, not the " +
                fallback.name + "'s (" + ChipCatalog::SignatureText(fallback.SignatureWord()) + ")"
          : "the target's signature reads " + bytes + ": " + ChipCatalog::ExplainUnknown(word);
  if (!options_.force) {
    throw CliError(CliError::kFailed,
                   problem + (found ? "; choose -d " + std::string(found->name) : std::string()) +
                       "; --force goes on anyway");
  }
  notes_ << "warning: " << EscapeControlCharacters(problem) << "; going on as the " << fallback.name
         << '\n';
  chip_ = &fallback;
  outcome_.chip = chip_->name;
}

// Only a chip erase clears the lock bits, and without this a chip locked in mode 3 or 4 that
// hides its signature could be erased only with --force. A line with no target answering FF
// reads as locked too: it is "erased" to no effect, and its signature still names no chip.
int32_t Programmer::EraseWhatHidesItsSignature(ProgrammingSession& session, int32_t word) {
  const bool erases = options_.command == Command::Erase || options_.command == Command::Write;
  if (!erases || options_.force || ChipCatalog::FindBySignature(word)) return word;
  if ((session.ReadLockBits() & kLB2) == 0) return word;
  Note("the signature reads " + ChipCatalog::SignatureText(word) +
       " and lock bit 2 is programmed: a locked chip may hide its signature, so it is erased "
       "first");
  EraseOnce(session);
  return session.ReadSignature();
}

void Programmer::EraseOnce(ProgrammingSession& session) {
  if (erased_) return;
  session.ChipErase();
  erased_ = true;
}

// With lock bit 2 programmed the chip answers FF to every read: a file of it is no backup.
void Programmer::CheckReadable(ProgrammingSession& session) {
  if ((session.ReadLockBits() & kLB2) == 0) return;
  const std::string problem = "the " + std::string(chip_->name) +
                              "'s read-out protection is on (lock bit 2 programmed): it reads "
                              "back as FF, which is no copy of its flash";
  if (!options_.force) {
    throw CliError(CliError::kFailed, problem +
                                          "; only a chip erase clears it, together with the "
                                          "flash; --force reads anyway");
  }
  notes_ << "warning: " << EscapeControlCharacters(problem) << '\n';
}

// "-" is the standard output; a file must be one a save can replace (no device, no FIFO).
void Programmer::CheckOutputFolder() const {
  if (options_.file == "-") return;
  try {
    ImageFile::CheckSaveTarget(options_.file);
  } catch (const Exception& e) {
    throw CliError(CliError::kUsage, e.Message());
  }
}

Buffer Programmer::LoadInput() const {
  Buffer image(kImageSize);
  ImageFile::LoadResult result;
  try {
    result = ImageFile::Load(options_.file, image, options_.format);
  } catch (const Exception& e) {
    throw CliError(CliError::kUsage, e.Message());
  }
  if (result.longerThanImage) {
    notes_ << "warning: "
           << EscapeControlCharacters(result.TruncationNote(options_.file, image.Size())) << '\n';
  }
  return image;
}

// A chip with less flash than the image folds the upper addresses onto the lower ones, so
// the upper part must be erased (FF) or a copy of the lower (as a read of such a chip gives).
void Programmer::CheckFitsFlash(const Buffer& image) const {
  const uint32_t flash = chip_->flashSize;
  if (std::optional<uint32_t> a = ImageCheck::FirstFoldingAddress(image, flash)) {
    throw CliError(CliError::kUsage,
                   options_.file + " " + ImageCheck::DescribeFold(*a, flash, chip_->name));
  }
}

std::vector<uint8_t> Programmer::FlashPages() const {
  std::vector<uint8_t> pages;
  for (uint32_t page = 0; page < chip_->flashSize / kPageSize; ++page) {
    pages.push_back(static_cast<uint8_t>(page));
  }
  return pages;
}

// The erase leaves every page FF: only a page with another byte needs writing.
std::vector<uint8_t> Programmer::PagesWithData(const Buffer& image) const {
  std::vector<uint8_t> pages;
  for (uint8_t page : FlashPages()) {
    const uint8_t* bytes = &image[page * kPageSize];
    for (uint32_t j = 0; j < kPageSize; ++j) {
      if (bytes[j] != Buffer::kErased) {
        pages.push_back(page);
        break;
      }
    }
  }
  return pages;
}

void Programmer::ReadPages(ProgrammingSession& session, const std::vector<uint8_t>& pages,
                           Buffer& into, const std::string& label) {
  if (pages.empty()) return;
  TraceFile trace(TraceFile::kReadName, options_.trace);
  std::vector<uint8_t> bytes(pages.size() * kPageSize);
  ProgressScope progress(progress_, label);
  session.ReadPagesStreamed(pages, bytes.data(), trace,
                            [&](size_t done) { progress.Done(done + 1, pages.size()); });
  for (size_t i = 0; i < pages.size(); ++i) {
    std::copy_n(&bytes[i * kPageSize], kPageSize, &into[pages[i] * kPageSize]);
  }
}

void Programmer::WritePages(ProgrammingSession& session, const std::vector<uint8_t>& pages,
                            const Buffer& image) {
  if (pages.empty()) return;
  TraceFile trace(TraceFile::kWriteName, options_.trace);
  ProgressScope progress(progress_, "writing");
  for (size_t i = 0; i < pages.size(); ++i) {
    session.WritePage(pages[i], &image[pages[i] * kPageSize], trace);
    progress.Done(i + 1, pages.size());
  }
}

void Programmer::Compare(const Buffer& actual, const Buffer& expected,
                         const std::vector<uint8_t>& pages, const std::string& what,
                         const std::string& check) const {
  ImageCheck::Difference difference;
  for (uint8_t page : pages) {
    difference.Include(actual, expected, page * kPageSize, (page + 1u) * kPageSize);
  }
  if (difference.count == 0) return;
  throw CliError(CliError::kFailed,
                 check + " failed: " +
                     ImageCheck::DescribeDifference(
                         difference, static_cast<uint32_t>(pages.size() * kPageSize), what));
}

void Programmer::Read(ProgrammingSession& session) {
  CheckReadable(session);
  Buffer image(kImageSize);
  ReadPages(session, FlashPages(), image, "reading");
  // A 4 KB chip ignores A12: its upper half reads as a copy of the lower.
  for (uint32_t a = chip_->flashSize; a < image.Size(); ++a) image[a] = image[a % chip_->flashSize];
  session.Close();
  if (options_.file == "-") {
    return ImageFile::Write(out_, image, options_.format.value_or(ImageFile::Format::Raw),
                            "the standard output");
  }
  ImageFile::Save(options_.file, image, options_.format);
  Note("read " + std::to_string(image.Size()) + " bytes from the " + chip_->name + " into " +
       options_.file);
}

void Programmer::Write(ProgrammingSession& session, const Buffer& image) {
  CheckFitsFlash(image);
  const std::vector<uint8_t> written = PagesWithData(image);
  EraseOnce(session);
  WritePages(session, written, image);
  outcome_.pagesWritten = static_cast<int>(written.size());
  const std::string done = "wrote " + options_.file + " to the " + chip_->name + ": " +
                           Count(written.size(), "page") + " written";
  if (options_.noVerify) {
    // The answers of the last bytes prove they reached the chip before the session ends.
    session.CollectAnswers();
    return Note(done + ", not verified");
  }
  const bool full = options_.verify == CliOptions::Verify::Full;
  const std::vector<uint8_t> checked = full ? FlashPages() : written;
  Buffer chip(kImageSize);
  ReadPages(session, checked, chip, "verifying");
  Compare(chip, image, checked, options_.file, "verify");
  outcome_.pagesVerified = static_cast<int>(checked.size());
  if (written.empty() && !full) {
    session.CollectAnswers();
    return Note(options_.file + " is blank (all FF): the " + chip_->name +
                " was erased and no page written");
  }
  Note(done + (full ? ", all " : ", ") + Count(checked.size(), "page") + " verified");
}

void Programmer::Verify(ProgrammingSession& session, const Buffer& image) {
  CheckFitsFlash(image);
  Buffer chip(kImageSize);
  ReadPages(session, FlashPages(), chip, "verifying");
  Compare(chip, image, FlashPages(), options_.file, "verify");
  outcome_.pagesVerified = static_cast<int>(FlashPages().size());
  Note(options_.file + " matches the " + chip_->name + "'s flash (" +
       std::to_string(chip_->flashSize) + " bytes)");
}

void Programmer::Erase(ProgrammingSession& session) {
  EraseOnce(session);
  if (options_.noVerify) {
    session.CollectAnswers();
    return Note("erased the " + std::string(chip_->name) + " (not checked)");
  }
  Buffer chip(kImageSize);
  ReadPages(session, FlashPages(), chip, "blank check");
  Compare(chip, Buffer(kImageSize), FlashPages(), "erased", "blank check");
  outcome_.pagesVerified = static_cast<int>(FlashPages().size());
  Note("erased the " + std::string(chip_->name) + " (blank check passed)");
}

std::string Programmer::LockText(int8_t bits) const {
  return "LB1=" + std::to_string(bits & 1) + " LB2=" + std::to_string((bits >> 1) & 1) +
         " LB3=" + std::to_string((bits >> 2) & 1);
}

void Programmer::Lock(ProgrammingSession& session) {
  if (!options_.lockMode) {
    out_ << LockText(session.ReadLockBits()) << '\n';
    return;
  }
  const unsigned mode = *options_.lockMode;
  session.WriteLockBits(static_cast<unsigned char>(mode));
  if (options_.noVerify) return Note("wrote lock mode " + std::to_string(mode) + " (not checked)");
  int8_t bits = session.ReadLockBits();
  if ((static_cast<unsigned>(bits) & mode) != mode) {
    throw CliError(CliError::kFailed, "the lock bits did not take: asked for mode " +
                                          std::to_string(mode) + ", the chip reads " +
                                          LockText(bits));
  }
  out_ << LockText(bits) << '\n';
}

// A lock-step exchange (a byte out, its answer back) takes two byte times, 4.17 ms at
// 4800 baud. Much longer means the answers are held back on their way: a USB-serial
// adapter's latency timer, which can be lowered.
void Programmer::NoteSlowExchanges(const ProgrammingSession::ExchangeTiming& timing) const {
  constexpr double kLockStepMs = 2 * 10 * 1000.0 / 4800;
  constexpr uint64_t kEnoughToTell = 8;
  if (options_.quiet || timing.count < kEnoughToTell) return;
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
