#pragma once

#include <termios.h>

#include "platform/LineSettings.h"

// The line settings in termios terms, for the POSIX serial port. Only what a UART can make
// exactly is accepted: standard baud rates, 5 to 8 data bits, the five parities (mark and
// space where the system has stick parity), one stop bit, 1.5 with 5 data bits, 2 otherwise.

// Every byte passes as it is: no line editing, echo, signals, CR/LF translation, XON/XOFF,
// break or parity marking, no hardware flow control, modem lines not waited for; a read
// returns as soon as one byte is there.
void MakeRawLine(termios& line);

// Sets speed, data bits, parity and stop bits in `line` and makes it raw. Returns false,
// leaving `line` as it was, for a value termios cannot express.
bool PutLineSettings(const LineSettings& settings, termios& line);

// Reads speed, data bits, parity and stop bits; a speed outside the standard rates reads 0.
// abortOnError is left as it is: termios has no such flag.
void TakeLineSettings(const termios& line, LineSettings& settings);

// Whether the parts PutLineSettings() sets are equal in both.
bool SameLineSettings(const termios& a, const termios& b);
