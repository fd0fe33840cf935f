#pragma once

#include <string>

// Every message the command line prints goes through this, because messages carry text from
// outside: file and port names, USB descriptor strings, bytes of a bad input line. A control
// character among them could clear the terminal, move its cursor, or cut a log line in two.
//
// Printable characters pass unchanged, UTF-8 letters too ("Sériový"). C0 controls and DEL
// become \t, \n, \r or \xNN; C1 controls (U+0080 to U+009F, which some terminals obey as
// escape sequences) and bytes that are not UTF-8 become \xNN, one per byte.
std::string EscapeControlCharacters(const std::string& text);
