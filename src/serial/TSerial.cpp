#include "serial/TSerial.h"

#include "serial/PortOpenError.h"

TSerial::TSerial(int32_t portNumber, PortOpener& opener)
    : portNumber_(portNumber), opener_(opener) {}

TSerial::TSerial(std::string deviceName, PortOpener& opener)
    : portNumber_(0), opener_(opener), fixedName_(std::move(deviceName)) {}

TSerial::~TSerial() { Close(); }

void TSerial::SetPort(int32_t portNumber) { portNumber_.store(portNumber); }

std::string TSerial::DeviceName() const {
  return fixedName_.empty() ? "COM" + std::to_string(GetPort()) : fixedName_;
}

void TSerial::Open() {
  if (open_) return;
  const std::string name = DeviceName();
  // The opener may tell more of where the name led; what it does not, the link knows.
  PortOpenFailure failure = PortOpenFailure::Of(name);
  handle_ = opener_.Open(name, failure);
  if (!handle_) throw PortOpenError(failure);
  openedName_ = name;
  // open_ is set last, but the setters below must reach the driver already.
  open_ = true;
  Configure();
  if (stateRefused_) {
    Close();
    failure.cause = PortOpenFailure::Cause::SettingsRefused;
    failure.reason = "the driver refused the line settings (" + std::to_string(baudRate_) +
                     " baud, 8 data bits, no parity, 1 stop bit)";
    throw PortOpenError(failure);
  }
}

void TSerial::Configure() {
  FetchState();
  ApplyState();
  // The driver's own settings may be ones it cannot take back (a custom speed); only a
  // refusal of the settings below counts.
  stateRefused_ = false;
  SetWriteTimeoutMultiplier(writeMultiplier_);
  SetWriteTimeoutConstant(writeConstant_);
  SetRts(rtsState_);
  // Each setting in a read-modify-write of its own, in this fixed order.
  ChangeState([this](LineSettings& s) { s.baudRate = baudRate_; });
  ChangeState([this](LineSettings& s) { s.parity = parity_; });
  ChangeState([this](LineSettings& s) { s.stopBits = stopBits_; });
  ChangeState([this](LineSettings& s) { s.byteSize = byteSize_; });
  SetReadTimeout(readConstant_);
}

void TSerial::Close() {
  if (!open_) return;
  // Some drivers discard what is still queued when the port closes: the last bytes of the
  // last page would never reach the chip.
  handle_->DrainOutput();
  handle_.reset();
  open_ = false;
}

namespace {

IoResult NotOpen() { return IoResult::Failed("the link is not open"); }

}  // namespace

IoResult TSerial::WriteByte(uint8_t byte) { return open_ ? handle_->WriteByte(byte) : NotOpen(); }

IoResult TSerial::ReadByte(uint8_t* destination) {
  return open_ ? handle_->ReadByte(destination) : NotOpen();
}

void TSerial::PurgeInput() {
  if (open_) handle_->PurgeInput();
}

void TSerial::SetRts(bool asserted) {
  if (open_) handle_->SetRts(asserted);
}

void TSerial::SetQueueSizes(uint32_t inputBytes, uint32_t outputBytes) {
  if (open_) handle_->SetupQueues(inputBytes, outputBytes);
}

void TSerial::FetchState() {
  if (open_) handle_->GetState(lineSettings_);
}

void TSerial::ApplyState() {
  if (!open_) return;
  lineSettings_.abortOnError = true;
  if (!handle_->SetState(lineSettings_)) stateRefused_ = true;
}

template <typename Change>
void TSerial::ChangeState(Change change) {
  FetchState();
  change(lineSettings_);
  ApplyState();
}

template <typename Change>
void TSerial::ChangeTimeouts(Change change) {
  if (!open_) return;
  handle_->GetTimeouts(timeouts_);
  change(timeouts_);
  handle_->SetTimeouts(timeouts_);
}

void TSerial::SetReadTimeout(uint32_t ms) {
  ChangeTimeouts([ms](CommTimeouts& t) { t.readTotalTimeoutConstant = ms; });
}

void TSerial::SetWriteTimeoutMultiplier(uint32_t msPerByte) {
  ChangeTimeouts([msPerByte](CommTimeouts& t) { t.writeTotalTimeoutMultiplier = msPerByte; });
}

void TSerial::SetWriteTimeoutConstant(uint32_t ms) {
  ChangeTimeouts([ms](CommTimeouts& t) { t.writeTotalTimeoutConstant = ms; });
}
