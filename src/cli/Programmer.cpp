#include "cli/Programmer.h"

#include <cstdio>

#include "cli/ChipLeftBehind.h"
#include "device/ChipOperations.h"
#include "image/ImageFile.h"
#include "platform/ControlEscapes.h"
#include "serial/PortOpenError.h"

namespace {

using Command = CliOptions::Command;
using Operation = ChipRequest::Operation;
constexpr uint32_t kImageSize = 8192;  // both chips are handled as 8 KB

std::string Count(size_t count, const std::string& thing) {
  return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

Operation OperationOf(const CliOptions& options) {
  switch (options.command) {
    case Command::Read:
      return Operation::Read;
    case Command::Write:
      return Operation::Write;
    case Command::Verify:
      return Operation::Verify;
    case Command::Erase:
      return Operation::Erase;
    case Command::Lock:
      return options.lockMode ? Operation::WriteLockBits : Operation::ReadLockBits;
    case Command::Signature:
      return Operation::Signature;
    default:
      throw CliError(CliError::kUsage, "no command given");
  }
}

ChipRequest::Check CheckOf(const CliOptions& options) {
  if (options.noVerify) return ChipRequest::Check::None;
  return options.verify == CliOptions::Verify::Full ? ChipRequest::Check::Whole
                                                    : ChipRequest::Check::Changed;
}

}  // namespace

Programmer::Programmer(const CliOptions& options, const std::string& port, PortOpener& opener,
                       Clock& clock, std::ostream& out, std::ostream& notes,
                       ProgressReporter& progress, const StopSignal* stop)
    : options_(options),
      clock_(clock),
      out_(out),
      notes_(notes),
      progress_(progress),
      stop_(stop),
      serial_(port, opener) {}

Programmer::~Programmer() = default;

Programmer::Outcome Programmer::Result() const {
  Outcome outcome;
  if (chip_.chip) outcome.chip = chip_.chip->name;
  outcome.pagesWritten = chip_.pagesWritten;
  outcome.pagesVerified = chip_.pagesVerified;
  return outcome;
}

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

ChipRequest Programmer::RequestFor(const Buffer& image) const {
  ChipRequest request;
  request.operation = OperationOf(options_);
  request.chosen = ChipCatalog::FindByName(options_.device);
  if (image.Size() != 0) request.image = std::make_shared<const Buffer>(image);
  request.lockMode = options_.lockMode.value_or(0);
  request.check = CheckOf(options_);
  request.force = options_.force;
  request.eraseLocked = options_.eraseLocked;
  request.traceFiles = options_.trace;
  return request;
}

// A port that cannot be opened changed nothing and has words of its own (PortFailureLine).
void Programmer::Run(const Buffer& image) {
  try {
    Operate(RequestFor(image));
  } catch (const ChipFailure& failure) {
    progress_.End();
    NoteWhatWasForced();
    throw Worded(failure);
  } catch (const PortOpenError&) {
    throw;
  } catch (const Exception& failure) {
    progress_.End();
    NoteWhatWasForced();
    throw WordedLinkFailure(failure);
  }
  progress_.End();
  NoteWhatWasForced();
  Report();
}

void Programmer::Operate(const ChipRequest& request) {
  ProgrammingSession session(serial_, clock_, stop_, 0, options_.ftdi);
  // Said after the command, whether it succeeded or not: slow exchanges explain both.
  struct LatencyNote {
    const Programmer& programmer;
    const ProgrammingSession& session;
    ~LatencyNote() { programmer.NoteSpeedAdvice(session.SpeedAdvice()); }
  } latencyNote{*this, session};
  ChipOperations(session, &progress_, chip_).Run(request);
  session.Close();
}

// Said even with -q: the chip was changed, or taken for another than it said it was.
void Programmer::NoteWhatWasForced() const {
  if (chip_.erasedFirst) {
    notes_ << "note: the signature read " << ChipCatalog::SignatureText(chip_.signatureBeforeErase)
           << " and lock bit 2 was programmed: as asked ("
           << (options_.eraseLocked ? "--erase-locked" : "--force")
           << "), the chip was erased first (flash and lock bits) and its signature read again\n";
  }
  ChipFailure::Facts facts;
  facts.signature = chip_.signature;
  facts.found = chip_.found;
  facts.chip = ChipCatalog::FindByName(options_.device);
  if (chip_.forcedPastSignature) {
    notes_ << "warning: " << EscapeControlCharacters(ChipFailure::SignatureProblem(facts))
           << "; going on as the " << chip_.chip->name << '\n';
  }
  if (chip_.forcedPastProtection) {
    facts.chip = chip_.chip;
    notes_ << "warning: "
           << EscapeControlCharacters(ChipFailure(ChipFailure::Kind::ReadProtected, facts).what())
           << '\n';
  }
}

CliError Programmer::Worded(const ChipFailure& failure) const {
  const ChipFailure::Facts& facts = failure.Of();
  switch (failure.What()) {
    case ChipFailure::Kind::OtherChip:
      return CliError(CliError::kFailed, std::string(failure.what()) + "; choose -d " +
                                             facts.found->name + "; --force goes on anyway");
    case ChipFailure::Kind::UnknownChip:
      return CliError(CliError::kFailed,
                      AfterErasingFirst() + failure.what() + "; --force goes on anyway");
    case ChipFailure::Kind::HiddenSignature:
      return CliError(CliError::kFailed, std::string(failure.what()) + HiddenSignatureRemedy());
    case ChipFailure::Kind::ReadProtected:
      return CliError(CliError::kFailed,
                      std::string(failure.what()) +
                          "; only a chip erase clears it, together with the "
                          "flash; --force " +
                          (facts.operation == Operation::Read ? "reads" : "checks") + " anyway");
    case ChipFailure::Kind::Stopped:
      return WordedStop();
    case ChipFailure::Kind::ImageFolds:
      return CliError(CliError::kUsage,
                      options_.file + " " +
                          ImageCheck::DescribeFold(facts.foldingAddress, facts.chip->flashSize,
                                                   facts.chip->name));
    case ChipFailure::Kind::Mismatch: {
      const bool blank = facts.operation == Operation::Erase;
      return CliError(CliError::kFailed,
                      std::string(blank ? "blank check" : "verify") + " failed: " +
                          ImageCheck::DescribeDifference(facts.difference, facts.compared,
                                                         blank ? "erased" : options_.file));
    }
    default:
      return CliError(CliError::kFailed, failure.what());
  }
}

std::string Programmer::AfterErasingFirst() const {
  return chip_.erasedFirst ? "erased first as asked, and still: " : "";
}

// Erase and write can clear the lock; the other commands only say how.
std::string Programmer::HiddenSignatureRemedy() const {
  if (options_.command == Command::Write || options_.command == Command::Erase) {
    return "; nothing was changed: --erase-locked erases it first (flash and lock bits) and "
           "reads the signature again";
  }
  return "; isp89-cli --erase-locked erase clears it (flash and lock bits); --force goes on "
         "anyway";
}

namespace {

// The signals a program is stopped with, by the exit status each calls for.
std::string StopCause(int code) {
  switch (code) {
    case 128 + 1:
      return " (SIGHUP)";
    case 128 + 2:
      return " (SIGINT)";
    case 128 + 3:
      return " (SIGQUIT)";
    case 128 + 15:
      return " (SIGTERM)";
    default:
      return "";
  }
}

}  // namespace

CliError Programmer::WordedStop() const {
  const int code = stop_ ? stop_->Code() : 0;
  std::string left = ChipLeftBehind::Of(chip_, OperationOf(options_), ChipLeftBehind::End::Stopped);
  if (left.empty()) left = options_.command == Command::Read ? "no file was written" : "";
  return CliError(code > 0 ? code : CliError::kFailed,
                  "stopped" + StopCause(code) + (left.empty() ? "" : ": " + left));
}

CliError Programmer::WordedLinkFailure(const Exception& failure) const {
  const std::string left =
      ChipLeftBehind::Of(chip_, OperationOf(options_), ChipLeftBehind::End::LinkFailed);
  return CliError(CliError::kFailed, failure.Message() + (left.empty() ? "" : "; " + left));
}

void Programmer::Report() {
  switch (options_.command) {
    case Command::Signature:
      return ReportSignature();
    case Command::Read:
      return ReportRead();
    case Command::Write:
      return ReportWrite();
    case Command::Verify:
      return Note(options_.file + " matches the " + chip_.chip->name + "'s flash (" +
                  std::to_string(chip_.chip->flashSize) + " bytes)");
    case Command::Erase:
      return Note("erased the " + std::string(chip_.chip->name) +
                  (options_.noVerify ? " (not checked)" : " (blank check passed)"));
    case Command::Lock:
      if (options_.lockMode && options_.noVerify) {
        return Note("wrote lock mode " + std::to_string(*options_.lockMode) + " (not checked)");
      }
      out_ << ChipFailure::LockBitsText(*chip_.lockBits) << '\n';
      return;
    default:
      return;
  }
}

void Programmer::ReportSignature() {
  const std::string bytes = ChipCatalog::SignatureText(chip_.signature);
  out_ << "signature " << bytes << ": " << (chip_.found ? chip_.found->name : "unknown chip")
       << '\n';
  if (!chip_.found) {
    ChipFailure::Facts facts;
    facts.signature = chip_.signature;
    throw CliError(CliError::kFailed,
                   chip_.MayHideItsSignature()
                       ? ChipFailure::HiddenSignatureProblem(facts) + HiddenSignatureRemedy()
                       : ChipFailure::SignatureProblem(facts));
  }
}

void Programmer::ReportRead() {
  const Buffer& image = *chip_.image;
  if (options_.file == "-") {
    return ImageFile::Write(out_, image, options_.format.value_or(ImageFile::Format::Raw),
                            "the standard output");
  }
  ImageFile::Save(options_.file, image, options_.format);
  Note("read " + std::to_string(image.Size()) + " bytes from the " + chip_.chip->name + " into " +
       options_.file);
}

void Programmer::ReportWrite() {
  const std::string done = "wrote " + options_.file + " to the " + chip_.chip->name + ": " +
                           Count(static_cast<size_t>(chip_.pagesWritten), "page") + " written";
  if (options_.noVerify) return Note(done + ", not verified");
  const bool full = options_.verify == CliOptions::Verify::Full;
  if (chip_.pagesWritten == 0 && !full) {
    return Note(options_.file + " is blank (all FF): the " + chip_.chip->name +
                " was erased and no page written");
  }
  Note(done + (full ? ", all " : ", ") + Count(static_cast<size_t>(chip_.pagesVerified), "page") +
       " verified");
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
  } catch (const ImageFile::PlainText& e) {
    throw CliError(CliError::kUsage, e.Message() + "; --format raw writes its bytes as they are");
  } catch (const Exception& e) {
    throw CliError(CliError::kUsage, e.Message());
  }
  if (result.longerThanImage) {
    notes_ << "warning: "
           << EscapeControlCharacters(result.TruncationNote(options_.file, image.Size())) << '\n';
  }
  return image;
}

// The link's advice, such as lowering a USB-serial adapter's latency timer.
void Programmer::NoteSpeedAdvice(const std::string& advice) const {
  if (options_.quiet || advice.empty()) return;
  notes_ << advice << '\n';
}
