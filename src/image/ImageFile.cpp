#include "image/ImageFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "image/IntelHexReader.h"
#include "image/IntelHexWriter.h"
#include "platform/AtomicFile.h"
#include "platform/Exception.h"

namespace {

using FilePointer = std::unique_ptr<FILE, int (*)(FILE*)>;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

[[noreturn]] void CannotOpen(const std::string& path, int error) {
  throw Exception("cannot open " + path + ": " + std::strerror(error));
}

// The checks every input file passes before it is read: it exists, is a file, is not empty.
uint64_t CheckedSize(const std::string& path) {
  std::error_code error;
  auto status = std::filesystem::status(path, error);
  if (error) CannotOpen(path, error.value());
  if (std::filesystem::is_directory(status)) {
    throw Exception(path + " is a folder, not an image file");
  }
  if (!std::filesystem::is_regular_file(status)) {
    throw Exception(path + " is not a regular file");
  }
  uint64_t size = std::filesystem::file_size(path, error);
  if (error) CannotOpen(path, error.value());
  if (size == 0) throw Exception(path + " is empty (0 bytes)");
  return size;
}

void LoadRaw(const std::string& path, Buffer& image, ImageFile::LoadResult& result) {
  FilePointer file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) CannotOpen(path, errno);
  Buffer loaded = image;
  loaded.LoadFrom(file.get(), loaded.Size());
  bool more = std::fgetc(file.get()) != EOF;
  if (std::ferror(file.get())) {
    throw Exception("cannot read " + path + ": " + std::strerror(errno));
  }
  if (loaded.Count() == 0) throw Exception(path + " is empty (0 bytes)");
  result.bytesLoaded = loaded.Count();
  result.longerThanImage = more;
  image = loaded;
}

// Far beyond what any HEX file of a memory this size holds (about 2.8 text bytes a data
// byte): a bigger file is not one, and is not read into memory line by line.
constexpr uint64_t kHexBytesPerImageByte = 64;

void LoadHex(const std::string& path, Buffer& image, ImageFile::LoadResult& result) {
  if (result.fileSize > kHexBytesPerImageByte * image.Size() + 4096) {
    throw Exception(path + " is " + std::to_string(result.fileSize) +
                    " bytes, far too large for an Intel HEX image of " +
                    std::to_string(image.Size()) + " bytes");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) CannotOpen(path, errno);
  IntelHexReader reader(path, image.Size());
  std::string line;
  while (std::getline(in, line)) reader.ReadLine(line);
  if (in.bad()) throw Exception("cannot read " + path + ": " + std::strerror(errno));
  reader.Finish();
  result.bytesLoaded = image.Size();
  image = reader.Image();
}

}  // namespace

ImageFile::Format ImageFile::FormatOf(const std::string& path) {
  std::string extension = Lower(std::filesystem::path(path).extension().string());
  return extension == ".hex" || extension == ".ihx" ? Format::IntelHex : Format::Raw;
}

ImageFile::LoadResult ImageFile::Load(const std::string& path, Buffer& image) {
  LoadResult result;
  result.format = FormatOf(path);
  result.fileSize = CheckedSize(path);
  if (result.format == Format::IntelHex) {
    LoadHex(path, image, result);
  } else {
    LoadRaw(path, image, result);
  }
  return result;
}

void ImageFile::Save(const std::string& path, const Buffer& image) {
  if (FormatOf(path) == Format::Raw) {
    image.SaveTo(path);
    return;
  }
  std::string text = IntelHexWriter::Write(image);
  WriteFileAtomically(path, text.data(), text.size());
}
