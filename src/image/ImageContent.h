#pragma once

#include <string>

// What the bytes of an image file are, told by its content alone:
//   HexRecords  Intel HEX: the first line that says anything is a whole record; or the file
//               is text and some line is a record (a ':' first), damaged ones included, so
//               that the HEX reader names the bad line instead of flash getting the text
//   Binary      anything else that is not text: raw bytes, byte i at address i
//   PlainText   text with no record at all: no memory image
// Text is what a person edits: lines (LF, CR LF or CR ends, at least one) of printable ASCII
// and UTF-8, and tabs. Before the first record a UTF-8 byte-order mark, blank lines, leading spaces and
// comment lines (starting with ';' or '#') may come; after the last, DOS end-of-file marks
// (Ctrl-Z) and NUL padding. Raw 8051 code is no such text: its opcodes include control
// bytes, and erased flash (FF) is no UTF-8.
class ImageContent {
 public:
  enum class Kind { HexRecords, Binary, PlainText };

  // `start` is the file's first bytes, all of them when `whole`: a multi-byte character cut
  // off at its end, and padding that may go on past it, are taken as text.
  static Kind Of(const std::string& start, bool whole);
};
