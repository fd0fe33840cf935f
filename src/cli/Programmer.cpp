#include "cli/Programmer.h"

#include <cstdio>

#include "device/ChipOperations.h"
#include "image/ImageFile.h"
#include "platform/ControlEscapes.h"

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
                       ProgressReporter& progress)
    : options_(options),
      clock_(clock),
      out_(out),
      notes_(notes),
      progress_(progress),
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
  request.traceFiles = options_.trace;
  return request;
}

void Programmer::Run(const Buffer& image) {
  const ChipRequest request = RequestFor(image);
  ProgrammingSession session(serial_, clock_, nullptr, 0, options_.ftdi);
  // Said after the command, whether it succeeded or not: slow exchanges explain both.
  struct LatencyNote {
    const Programmer& programmer;
    const ProgrammingSession& session;
    ~LatencyNote() { programmer.NoteSpeedAdvice(session.SpeedAdvice()); }
  } latencyNote{*this, session};
  try {
    ChipOperations(session, &progress_, chip_).Run(request);
  } catch (const ChipFailure& failure) {
    progress_.End();
    NoteWhatWasForced();
    throw Worded(failure);
  }
  progress_.End();
  session.Close();
  NoteWhatWasForced();
  Report();
}

void Programmer::NoteWhatWasForced() const {
  if (chip_.erasedFirst) {
    Note("the signature reads " + ChipCatalog::SignatureText(chip_.signature) +
         " and lock bit 2 is programmed: a locked chip may hide its signature, so it was erased "
         "first");
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
      return CliError(CliError::kFailed, std::string(failure.what()) + "; --force goes on anyway");
    case ChipFailure::Kind::ReadProtected:
      return CliError(CliError::kFailed, std::string(failure.what()) +
                                             "; only a chip erase clears it, together with the "
                                             "flash; --force reads anyway");
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
    throw CliError(CliError::kFailed, "the target's signature reads " + bytes + ": " +
                                          ChipCatalog::ExplainUnknown(chip_.signature));
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
