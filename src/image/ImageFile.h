#pragma once

#include <cstdint>
#include <string>

#include "image/Buffer.h"

// Image files on disk, in the format the file name's extension picks: ".hex" and ".ihx"
// (any case) are Intel HEX, every other name is a raw image (byte i is address i).
//
// Loading checks the file first and changes the image only when the whole file was good:
// a missing, unreadable, empty or folder path, or a bad HEX line, throws Exception naming the
// file (and the line) and leaves the image as it was. A raw file fills the image from its
// start, up to the image's size, and leaves the bytes after it as they were; a HEX file
// replaces the whole image, with FF where it has no data.
class ImageFile {
 public:
  enum class Format { Raw, IntelHex };

  struct LoadResult {
    Format format = Format::Raw;
    uint64_t fileSize = 0;
    // Raw: the bytes taken from the file. HEX: the image size.
    uint32_t bytesLoaded = 0;
    // Raw only: the file is longer than the image, and only its first bytes were used.
    bool longerThanImage = false;
  };

  static Format FormatOf(const std::string& path);
  static LoadResult Load(const std::string& path, Buffer& image);
  // Writes all of `image`; an existing file is replaced whole or left as it was.
  static void Save(const std::string& path, const Buffer& image);
};
