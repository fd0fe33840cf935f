#include "device/ChipOperations.h"

#include <algorithm>
#include <optional>

#include "image/TraceFile.h"

namespace {

constexpr uint32_t kPageSize = ProgrammingSession::kPageSize;
constexpr uint32_t kImageSize = 8192;  // both chips are handled as 8 KB
constexpr int8_t kLB2 = 0x02;

}  // namespace

ChipOperations::ChipOperations(ProgrammingSession& session, ProcessListener* listener,
                               ChipOutcome& outcome)
    : session_(session), listener_(listener), outcome_(outcome) {}

void ChipOperations::Run(const ChipRequest& request) {
  request_ = &request;
  outcome_ = ChipOutcome{};
  int32_t word = session_.ReadSignature();
  outcome_.signature = word;
  outcome_.found = ChipCatalog::FindBySignature(word);
  // The lock bits tell a chip that hides its signature from one whose reads fail.
  if (!outcome_.found && ChipCatalog::IsBlankSignature(word)) {
    outcome_.lockBits = session_.ReadLockBits();
  }
  if (request.operation == Operation::Signature) {
    outcome_.chip = outcome_.found;
    return;
  }
  word = EraseWhatHidesItsSignature(word);
  Identify(word);
  session_.CheckStop();
  Dispatch();
}

void ChipOperations::Dispatch() {
  switch (request_->operation) {
    case Operation::ReadLockBits:
      outcome_.lockBits = session_.ReadLockBits();
      return;
    case Operation::WriteLockBits:
      return WriteLockBits();
    case Operation::Read:
      return ReadFlash();
    case Operation::Write:
      return Write();
    case Operation::Verify:
      return Verify();
    case Operation::Erase:
      return Erase();
    case Operation::BlankCheck:
      return BlankCheck();
    case Operation::Signature:
      return;
  }
}

ChipFailure::Facts ChipOperations::SignatureFacts() const {
  ChipFailure::Facts facts;
  facts.signature = outcome_.signature;
  facts.found = outcome_.found;
  facts.chip = request_->chosen ? request_->chosen : outcome_.chip;
  facts.operation = request_->operation;
  facts.lockBits = outcome_.lockBits.value_or(0);
  return facts;
}

void ChipOperations::Fail(ChipFailure::Kind kind, ChipFailure::Facts facts) const {
  throw ChipFailure(kind, facts);
}

void ChipOperations::Identify(int32_t word) {
  const ChipCatalog::Chip* chosen = request_->chosen;
  const ChipCatalog::Chip* found = ChipCatalog::FindBySignature(word);
  outcome_.signature = word;
  outcome_.found = found;
  if (found && (!chosen || found == chosen)) {
    outcome_.chip = found;
    return;
  }
  if (!request_->force) {
    Fail(found ? ChipFailure::Kind::OtherChip : ChipFailure::Kind::UnknownChip, SignatureFacts());
  }
  // Unknown, the 8 KB chip is the safe guess: it covers the smaller one's addresses too.
  outcome_.chip = chosen ? chosen : &ChipCatalog::Chips().back();
  outcome_.forcedPastSignature = true;
}

// Erasing a chip is never a guess: only a blank signature with lock bit 2 programmed may be a
// locked chip, and it is erased only when the user asked for that (or forced). A signature of
// another kind names some other chip, which is left alone.
int32_t ChipOperations::EraseWhatHidesItsSignature(int32_t word) {
  if (!outcome_.MayHideItsSignature()) return word;
  const bool erases =
      request_->operation == Operation::Erase || request_->operation == Operation::Write;
  const bool asked = request_->force || request_->eraseLocked;
  if (!erases || !asked) {
    if (!request_->force) Fail(ChipFailure::Kind::HiddenSignature, SignatureFacts());
    return word;  // forced on as the chosen chip, without an erase nobody asked for
  }
  EraseOnce();
  outcome_.erasedFirst = true;
  outcome_.signatureBeforeErase = word;
  return session_.ReadSignature();
}

void ChipOperations::EraseOnce() {
  if (outcome_.erased) return;
  BeginPhase(ProcessListener::PHASE_ERASING);
  // Said before: a failure or a stop in the middle leaves a chip that may be erased.
  outcome_.erased = true;
  session_.ChipErase();
  outcome_.eraseFinished = true;
  outcome_.lockBits = 0;
}

// With lock bit 2 programmed the chip answers FF to every read: a file of it is no backup.
void ChipOperations::CheckReadable() {
  outcome_.lockBits = session_.ReadLockBits();
  if ((*outcome_.lockBits & kLB2) == 0) return;
  if (!request_->force) Fail(ChipFailure::Kind::ReadProtected, SignatureFacts());
  outcome_.forcedPastProtection = true;
}

// A chip with less flash than the image folds the upper addresses onto the lower ones, so
// the upper part must be erased (FF) or a copy of the lower (as a read of such a chip gives).
void ChipOperations::CheckFitsFlash(const Buffer& image) const {
  const uint32_t flash = outcome_.chip->flashSize;
  if (std::optional<uint32_t> address = ImageCheck::FirstFoldingAddress(image, flash)) {
    ChipFailure::Facts facts = SignatureFacts();
    facts.chip = outcome_.chip;
    facts.foldingAddress = *address;
    Fail(ChipFailure::Kind::ImageFolds, facts);
  }
}

std::vector<uint8_t> ChipOperations::FlashPages() const {
  std::vector<uint8_t> pages;
  for (uint32_t page = 0; page < outcome_.chip->flashSize / kPageSize; ++page) {
    pages.push_back(static_cast<uint8_t>(page));
  }
  return pages;
}

// The erase leaves every page FF: only a page with another byte needs writing.
std::vector<uint8_t> ChipOperations::PagesWithData(const Buffer& image) const {
  std::vector<uint8_t> pages;
  for (uint8_t page : FlashPages()) {
    const uint8_t* bytes = &image[page * kPageSize];
    if (std::any_of(bytes, bytes + kPageSize, [](uint8_t b) { return b != Buffer::kErased; })) {
      pages.push_back(page);
    }
  }
  return pages;
}

void ChipOperations::BeginPhase(ProcessListener::Phase phase) {
  if (!listener_) return;
  listener_->Notify(phase, ProcessListener::NOTIFY_PHASE);
  listener_->Notify(0, ProcessListener::NOTIFY_PROGRESS);
}

void ChipOperations::Progress(size_t done, size_t total) {
  if (listener_) {
    listener_->Notify(static_cast<int>(done * 100 / total), ProcessListener::NOTIFY_PROGRESS);
  }
}

void ChipOperations::ReadPages(const std::vector<uint8_t>& pages, Buffer& into,
                               ProcessListener::Phase phase) {
  if (pages.empty()) return;
  TraceFile trace(TraceFile::kReadName, request_->traceFiles);
  std::vector<uint8_t> bytes(pages.size() * kPageSize);
  BeginPhase(phase);
  session_.ReadPagesStreamed(pages, bytes.data(), trace, [&](size_t done) {
    Progress(done + 1, pages.size());
    if (done + 1 < pages.size()) session_.CheckStop();
  });
  for (size_t i = 0; i < pages.size(); ++i) {
    std::copy_n(&bytes[i * kPageSize], kPageSize, &into[pages[i] * kPageSize]);
  }
}

void ChipOperations::WritePages(const std::vector<uint8_t>& pages, const Buffer& image) {
  outcome_.pagesToWrite = static_cast<int>(pages.size());
  outcome_.pagesWritten = 0;
  if (pages.empty()) return;
  TraceFile trace(TraceFile::kWriteName, request_->traceFiles);
  BeginPhase(ProcessListener::PHASE_WRITING);
  for (size_t i = 0; i < pages.size(); ++i) {
    session_.CheckStop();
    outcome_.pageCutShort = pages[i];  // until its write is through
    session_.WritePage(pages[i], &image[pages[i] * kPageSize], trace);
    outcome_.pageCutShort = ChipOutcome::kNotDone;
    outcome_.writtenPages.push_back(pages[i]);
    ++outcome_.pagesWritten;
    Progress(i + 1, pages.size());
  }
}

void ChipOperations::Compare(const Buffer& actual, const Buffer& expected,
                             const std::vector<uint8_t>& pages) const {
  ChipFailure::Facts facts = SignatureFacts();
  facts.chip = outcome_.chip;
  for (uint8_t page : pages) {
    facts.difference.Include(actual, expected, page * kPageSize, (page + 1u) * kPageSize);
  }
  if (facts.difference.count == 0) return;
  facts.compared = static_cast<uint32_t>(pages.size() * kPageSize);
  Fail(ChipFailure::Kind::Mismatch, facts);
}

void ChipOperations::ReadFlash() {
  CheckReadable();
  auto image = std::make_shared<Buffer>(kImageSize);
  ReadPages(FlashPages(), *image, ProcessListener::PHASE_READING);
  // A 4 KB chip ignores A12: its upper half reads as a copy of the lower.
  const uint32_t flash = outcome_.chip->flashSize;
  for (uint32_t a = flash; a < image->Size(); ++a) (*image)[a] = (*image)[a % flash];
  outcome_.image = std::move(image);
}

void ChipOperations::Write() {
  const Buffer& image = *request_->image;
  CheckFitsFlash(image);
  const std::vector<uint8_t> written = PagesWithData(image);
  EraseOnce();
  WritePages(written, image);
  if (request_->check == ChipRequest::Check::None) {
    // The answers of the last bytes prove they reached the chip before the session ends.
    return session_.CollectAnswers();
  }
  ReadBackAndCompare(request_->check == ChipRequest::Check::Whole ? FlashPages() : written, image,
                     ProcessListener::PHASE_VERIFYING);
  session_.CollectAnswers();
}

void ChipOperations::Verify() {
  const Buffer& image = *request_->image;
  CheckFitsFlash(image);
  CheckReadable();
  ReadBackAndCompare(FlashPages(), image, ProcessListener::PHASE_VERIFYING);
}

// The erase cleared the lock bits: the blank check needs no look at them.
void ChipOperations::Erase() {
  EraseOnce();
  if (request_->check == ChipRequest::Check::None) return session_.CollectAnswers();
  CheckBlank();
}

void ChipOperations::BlankCheck() {
  CheckReadable();
  CheckBlank();
}

void ChipOperations::CheckBlank() {
  ReadBackAndCompare(FlashPages(), Buffer(kImageSize), ProcessListener::PHASE_BLANK_CHECK);
}

// The chip's bytes are kept in the outcome, so that a mismatch can be shown beside the file's.
void ChipOperations::ReadBackAndCompare(const std::vector<uint8_t>& pages, const Buffer& expected,
                                        ProcessListener::Phase phase) {
  auto chip = std::make_shared<Buffer>(kImageSize);
  outcome_.readBack = chip;
  ReadPages(pages, *chip, phase);
  Compare(*chip, expected, pages);
  outcome_.pagesVerified = static_cast<int>(pages.size());
}

void ChipOperations::WriteLockBits() {
  const unsigned mode = request_->lockMode & 0x07;
  session_.WriteLockBits(static_cast<unsigned char>(mode));
  if (request_->check == ChipRequest::Check::None) return session_.CollectAnswers();
  const int8_t bits = session_.ReadLockBits();
  outcome_.lockBits = bits;
  if ((static_cast<unsigned>(bits) & mode) == mode) return;
  ChipFailure::Facts facts = SignatureFacts();
  facts.lockMode = mode;
  facts.lockBits = bits;
  Fail(ChipFailure::Kind::LockBitsNotTaken, facts);
}
