#include "cli/FailureMessage.h"

#include <new>

#include "cli/CliError.h"
#include "cli/PortFailureLine.h"
#include "platform/ControlEscapes.h"
#include "serial/PortOpenError.h"

namespace {

// The lines of a message joined: "first: second".
std::string OneLine(std::string message) {
  for (size_t at; (at = message.find('\n')) != std::string::npos;) message.replace(at, 1, ": ");
  return message;
}

}  // namespace

std::string FailureMessage::Of(const std::exception& failure) {
  std::string text;
  if (auto* open = dynamic_cast<const PortOpenError*>(&failure)) {
    text = PortFailureLine(open->Failure());
  } else if (dynamic_cast<const std::bad_alloc*>(&failure)) {
    text = "out of memory";
  } else {
    text = failure.what();
  }
  return EscapeControlCharacters(OneLine(text));
}

int FailureMessage::StatusOf(const std::exception& failure) {
  auto* error = dynamic_cast<const CliError*>(&failure);
  return error ? error->Status() : CliError::kFailed;
}
