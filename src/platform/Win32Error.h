#pragma once

#include <windows.h>

#include <string>

// The system's own words for a Win32 error code, as FormatMessage gives them, with the code:
// "Access is denied (error 5)". Windows only.
inline std::string Win32ErrorText(DWORD code) {
  char text[512] = {};
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                code, 0, text, sizeof text, nullptr);
  // The text ends in a full stop and a line break, which would break up our sentences.
  while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' ||
                        text[length - 1] == '.' || text[length - 1] == ' ')) {
    --length;
  }
  std::string reason(text, length);
  if (reason.empty()) reason = "unknown error";
  return reason + " (error " + std::to_string(code) + ")";
}
