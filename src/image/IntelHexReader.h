#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/Buffer.h"

// Reads an Intel HEX file into a memory image, one line at a time.
//
//   IntelHexReader reader("firmware.hex", 8192);
//   while (std::getline(in, line)) reader.ReadLine(line);  // throws on a bad line
//   reader.Finish();                                        // throws when no end record came
//   Buffer image = reader.Image();
//
// Record types 00 (data), 01 (end), 02 (extended segment address) and 04 (extended linear
// address) are used; 03 and 05 (start addresses) are checked and ignored. Bytes no record
// covers are FF, as in erased flash. Every error is an Exception that names the file and the
// line: "firmware.hex line 12: checksum mismatch (found 3A, computed 4C)"; a character it
// quotes is shown printable ('\x00', '\r', '\x1B'). Blank lines, spaces before a record and
// comment lines (';' or '#' first) are allowed anywhere, and counted; any other text or record
// after the end record is an error. Two records that give one address different values are an
// error naming both lines; the same value twice is not. A UTF-8 byte-order mark before the
// first record, and DOS end-of-file marks (Ctrl-Z) or NUL padding after the last, are taken.
class IntelHexReader {
 public:
  IntelHexReader(std::string fileName, uint32_t memorySize);

  void ReadLine(const std::string& line);
  void Finish();
  const Buffer& Image() const { return image_; }

  // The whole text at once: ReadLine for each line, then Finish.
  static Buffer Parse(const std::string& text, const std::string& fileName, uint32_t memorySize);

 private:
  [[noreturn]] void Fail(const std::string& reason) const;
  void ProcessRecord(const std::string& line);
  std::vector<uint8_t> DecodeBytes(const std::string& digits) const;
  void Apply(const std::vector<uint8_t>& record);
  void StoreData(uint16_t offset, const uint8_t* data, size_t count);
  void RequireLength(uint8_t type, size_t length, size_t wanted) const;

  std::string fileName_;
  Buffer image_;
  uint32_t lineNumber_ = 0;
  uint32_t records_ = 0;
  // The line that last set each address, 0 for none yet.
  std::vector<uint32_t> lineOf_;
  bool ended_ = false;
  bool endOfFileMark_ = false;
  uint32_t base_ = 0;  // from the last 02 or 04 record
};
