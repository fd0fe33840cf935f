#include <windows.h>

#include <ctype.h>
#include <string.h>

#include "platform/NativePort.h"
#include "platform/PortName.h"
#include "platform/Win32Error.h"

namespace {

// A Windows communications port, opened synchronously: ReadFile and WriteFile block for at
// most the driver's time-outs, which SetTimeouts() hands to it as they are. The line settings
// and time-outs found at opening are put back at closing, for the next program on the port.
class Win32CommPort : public CommPort {
 public:
  explicit Win32CommPort(HANDLE handle) : handle_(handle), found_(EmptyDcb()) {
    GetCommState(handle_, &found_);
    foundTimeoutsKnown_ = GetCommTimeouts(handle_, &foundTimeouts_) != 0;
  }
  ~Win32CommPort() override {
    SetCommState(handle_, &found_);
    if (foundTimeoutsKnown_) SetCommTimeouts(handle_, &foundTimeouts_);
    CloseHandle(handle_);
  }
  Win32CommPort(const Win32CommPort&) = delete;
  Win32CommPort& operator=(const Win32CommPort&) = delete;

  bool GetState(LineSettings& settings) override {
    DCB dcb = EmptyDcb();
    if (!GetCommState(handle_, &dcb)) return false;
    settings.baudRate = dcb.BaudRate;
    settings.byteSize = dcb.ByteSize;
    settings.parity = dcb.Parity;
    settings.stopBits = dcb.StopBits;
    settings.abortOnError = dcb.fAbortOnError != 0;
    return true;
  }

  // Read-modify-write: every DCB member the link does not name stays as the driver held it.
  bool SetState(const LineSettings& settings) override {
    DCB dcb = EmptyDcb();
    if (!GetCommState(handle_, &dcb)) return false;
    dcb.BaudRate = settings.baudRate;
    dcb.ByteSize = settings.byteSize;
    dcb.Parity = settings.parity;
    dcb.StopBits = settings.stopBits;
    dcb.fAbortOnError = settings.abortOnError ? TRUE : FALSE;
    return SetCommState(handle_, &dcb) != 0;
  }

  bool GetTimeouts(CommTimeouts& timeouts) override {
    COMMTIMEOUTS held{};
    if (!GetCommTimeouts(handle_, &held)) return false;
    timeouts.readIntervalTimeout = held.ReadIntervalTimeout;
    timeouts.readTotalTimeoutMultiplier = held.ReadTotalTimeoutMultiplier;
    timeouts.readTotalTimeoutConstant = held.ReadTotalTimeoutConstant;
    timeouts.writeTotalTimeoutMultiplier = held.WriteTotalTimeoutMultiplier;
    timeouts.writeTotalTimeoutConstant = held.WriteTotalTimeoutConstant;
    return true;
  }

  bool SetTimeouts(const CommTimeouts& timeouts) override {
    COMMTIMEOUTS wanted{};
    wanted.ReadIntervalTimeout = timeouts.readIntervalTimeout;
    wanted.ReadTotalTimeoutMultiplier = timeouts.readTotalTimeoutMultiplier;
    wanted.ReadTotalTimeoutConstant = timeouts.readTotalTimeoutConstant;
    wanted.WriteTotalTimeoutMultiplier = timeouts.writeTotalTimeoutMultiplier;
    wanted.WriteTotalTimeoutConstant = timeouts.writeTotalTimeoutConstant;
    return SetCommTimeouts(handle_, &wanted) != 0;
  }

  bool SetRts(bool asserted) override {
    return EscapeCommFunction(handle_, asserted ? SETRTS : CLRRTS) != 0;
  }

  bool SetupQueues(uint32_t inputBytes, uint32_t outputBytes) override {
    return SetupComm(handle_, inputBytes, outputBytes) != 0;
  }

  IoResult WriteByte(uint8_t byte) override {
    DWORD written = 0;
    if (!WriteFile(handle_, &byte, 1, &written, nullptr)) return Failure();
    return written == 1 ? IoResult::Moved() : IoResult::TimedOut();
  }

  // Read into a byte of our own, so the caller's is not touched unless one arrived. A
  // synchronous read that returns nothing ran out its time-out.
  IoResult ReadByte(uint8_t* destination) override {
    uint8_t byte = 0;
    DWORD read = 0;
    if (!ReadFile(handle_, &byte, 1, &read, nullptr)) return Failure();
    if (read != 1) return IoResult::TimedOut();
    *destination = byte;
    return IoResult::Moved();
  }

  bool PurgeInput() override { return PurgeComm(handle_, PURGE_RXCLEAR) != 0; }

  bool DrainOutput() override { return FlushFileBuffers(handle_) != 0; }

 private:
  // With fAbortOnError the driver fails every read and write after a line error until the
  // error is cleared: that is a garbled or lost byte, not a port that went away.
  IoResult Failure() {
    const DWORD error = GetLastError();
    DWORD lineErrors = 0;
    if (error == ERROR_OPERATION_ABORTED && ClearCommError(handle_, &lineErrors, nullptr) &&
        lineErrors != 0) {
      return IoResult::LineError(LineErrorText(lineErrors));
    }
    return IoResult::Failed(Win32ErrorText(error));
  }

  static std::string LineErrorText(DWORD errors) {
    std::string text;
    const auto add = [&](DWORD flag, const char* name) {
      if (errors & flag) text += (text.empty() ? "" : ", ") + std::string(name);
    };
    add(CE_FRAME, "framing error");
    add(CE_RXPARITY, "parity error");
    add(CE_OVERRUN, "overrun");
    add(CE_RXOVER, "receive queue full");
    add(CE_BREAK, "break");
    return text.empty() ? "line error" : text;
  }

  static DCB EmptyDcb() {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    return dcb;
  }

  HANDLE handle_;
  DCB found_;
  COMMTIMEOUTS foundTimeouts_{};
  bool foundTimeoutsKnown_ = false;
};

// "COM12" alone names no file: ports above 9 open only as \\.\COM12, which works for all.
std::string DeviceFileName(const std::string& path) {
  return PortName::Parse(path).kind == PortName::Kind::Com ? "\\\\.\\" + path : path;
}

NativeOpenFailure OpenFailure(DWORD error) {
  NativeOpenFailure failure;
  failure.reason = Win32ErrorText(error);
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      failure.cause = NativeOpenFailure::Cause::NoDevice;
      break;
    // Share mode 0: a port that another program holds is refused as access denied.
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      failure.cause = NativeOpenFailure::Cause::InUse;
      break;
    default:
      break;
  }
  return failure;
}

// "\\.\com3", "COM3" and "\\.\COM3" name one port.
std::string Canonical(const std::string& name) {
  std::string text = name.compare(0, 4, "\\\\.\\") == 0 ? name.substr(4) : name;
  for (char& c : text) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

// Exclusive (share mode 0) and synchronous (no FILE_FLAG_OVERLAPPED). Windows' serial driver
// starts each opening with empty queues; other drivers need not (Wine on a pseudo-terminal
// keeps the bytes that arrived after the last program stopped reading), so the queues are
// purged once here: a stale answer would shift every answer of the next operation.
std::unique_ptr<CommPort> OpenNativePort(const std::string& path, NativeOpenFailure& failure) {
  HANDLE handle = CreateFileA(DeviceFileName(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    failure = OpenFailure(GetLastError());
    return nullptr;
  }
  // A file or another device would open too, and take the bytes without answering.
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (GetFileType(handle) != FILE_TYPE_CHAR || !GetCommState(handle, &dcb)) {
    CloseHandle(handle);
    failure = {NativeOpenFailure::Cause::NotSerial, "not a communications device", ""};
    return nullptr;
  }
  PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR);
  return std::make_unique<Win32CommPort>(handle);
}

std::string DefaultNativePortPath(int portNumber) {
  return "\\\\.\\COM" + std::to_string(portNumber);
}

bool SameNativeDevice(const std::string& first, const std::string& second) {
  return Canonical(first) == Canonical(second);
}

std::string NativeDeviceNote(const std::string&) { return "a port the system does not list"; }
