#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "image/Buffer.h"
#include "platform/Exception.h"

// Image files on disk, raw (byte i is address i) or Intel HEX.
//
// Loading decides the format by content as well as by name, unless a format is forced, for a
// file of any size: a file named ".hex" or ".ihx" (any case) is HEX, and an error by its
// first bad line when it is not; any other file is HEX when its content is HEX records (see
// ImageContent: records after blank lines, leading spaces, comment lines and a byte-order
// mark, damaged ones included, whose bad line is then the error), so that firmware.ihex,
// .h86, .a51 or .txt files are not written into flash as ASCII text; text with no record at
// all is refused as no image (PlainText); anything else is raw. Saving takes the format from
// the name alone: ".hex" and ".ihx" are HEX.
//
// Loading checks the file first and changes the image only when the whole file was good:
// a missing, unreadable, empty or folder path, or a bad HEX line, throws Exception naming the
// file (and the line) and leaves the image as it was. A raw file fills the image from its
// start, up to the image's size, and leaves the bytes after it as they were; a HEX file
// replaces the whole image, with FF where it has no data.
class ImageFile {
 public:
  enum class Format { Raw, IntelHex };

  // A text file with no Intel HEX record: no image, unless loaded with the raw format forced.
  class PlainText : public Exception {
   public:
    using Exception::Exception;
  };

  struct LoadResult {
    Format format = Format::Raw;
    uint64_t fileSize = 0;
    // Raw: the bytes taken from the file. HEX: the image size.
    uint32_t bytesLoaded = 0;
    // Raw only: the file is longer than the image, and only its first bytes were used.
    bool longerThanImage = false;

    // For a raw file longer than the image: what was left out, for a warning naming `path`;
    // empty otherwise.
    std::string TruncationNote(const std::string& path, uint32_t imageSize) const;
  };

  // The format a file name stands for: ".hex" and ".ihx" (any case) are HEX.
  static Format FormatOf(const std::string& path);
  // "raw" or "hex" (any case); nothing for another word.
  static std::optional<Format> FormatNamed(const std::string& name);

  // The one way to load an image file, by the rules above; `forced` overrides them.
  static LoadResult Load(const std::string& path, Buffer& image,
                         std::optional<Format> forced = std::nullopt);
  // The same rules on a file's content already in memory; `path` names it in messages and
  // gives the extension.
  static LoadResult LoadContent(const std::string& path, const std::string& content, Buffer& image,
                                std::optional<Format> forced = std::nullopt);

  // Checks, before anything is read from a chip, that `path` can take a saved image: it is
  // not a folder, a device, a FIFO or a socket (after symbolic links), and its folder exists.
  // Throws Exception saying what is wrong.
  static void CheckSaveTarget(const std::string& path);
  // Writes all of `image`, in `forced` or the name's format; an existing file is replaced
  // whole or left as it was (see WriteFileAtomically for links and permissions).
  static void Save(const std::string& path, const Buffer& image,
                   std::optional<Format> forced = std::nullopt);
  // Writes all of `image` to an open stream (the standard output); throws Exception naming
  // `name` when the stream fails.
  static void Write(std::ostream& out, const Buffer& image, Format format, const std::string& name);
  // The bytes of a file holding `image` in `format`.
  static std::string Encode(const Buffer& image, Format format);
};
