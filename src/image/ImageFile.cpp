#include "image/ImageFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>

#include "image/ImageContent.h"
#include "image/IntelHexReader.h"
#include "image/IntelHexWriter.h"
#include "platform/AtomicFile.h"
#include "platform/Exception.h"
#include "platform/FileKind.h"
#include "platform/PlainFile.h"

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

[[noreturn]] void CannotSave(const std::string& path, const std::error_code& error) {
  throw Exception("cannot save " + path + ": " + error.message());
}

// The checks every input file passes before it is read: it exists, is a file, is not empty.
uint64_t CheckedSize(const std::string& path) {
  std::error_code error;
  auto status = std::filesystem::status(path, error);
  if (error) CannotOpen(path, error.value());
  if (!std::filesystem::is_regular_file(status)) {
    throw Exception(path + " is " + FileKindText(status.type()) + ", not an image file");
  }
  uint64_t size = std::filesystem::file_size(path, error);
  if (error) CannotOpen(path, error.value());
  if (size == 0) throw Exception(path + " is empty (0 bytes)");
  return size;
}

// Far beyond what any HEX file of an 8 KB memory holds, comments and all: a bigger file is
// not one, and is not read into memory.
constexpr uint64_t kHexLimit = 16u << 20;
// Enough of a file's start to tell its format by, and all that a raw image takes.
constexpr uint64_t kSample = 64u << 10;

// At most `limit` bytes from the file's start: what any format needs of it.
std::string ReadStart(const std::string& path, uint64_t limit) {
  FilePointer file(OpenFileForReading(path), &std::fclose);
  if (!file) CannotOpen(path, errno);
  std::string content;
  char chunk[65536];
  while (content.size() < limit) {
    size_t wanted = static_cast<size_t>(std::min<uint64_t>(sizeof chunk, limit - content.size()));
    size_t got = std::fread(chunk, 1, wanted, file.get());
    content.append(chunk, got);
    if (got < wanted) break;
  }
  if (std::ferror(file.get())) {
    throw Exception("cannot read " + path + ": " + std::strerror(errno));
  }
  return content;
}

ImageFile::Format FormatFor(const std::string& path, const std::string& start, bool whole,
                            std::optional<ImageFile::Format> forced) {
  using Format = ImageFile::Format;
  if (forced) return *forced;
  if (ImageFile::FormatOf(path) == Format::IntelHex) return Format::IntelHex;
  switch (ImageContent::Of(start, whole)) {
    case ImageContent::Kind::HexRecords:
      return Format::IntelHex;
    case ImageContent::Kind::Binary:
      return Format::Raw;
    case ImageContent::Kind::PlainText:
      break;
  }
  throw ImageFile::PlainText(path + " is text with no Intel HEX record in it, not a memory image");
}

// `content` holds the file's first bytes, fileSize in all.
ImageFile::LoadResult TakeRaw(const std::string& content, uint64_t fileSize, Buffer& image) {
  ImageFile::LoadResult result;
  result.format = ImageFile::Format::Raw;
  result.fileSize = fileSize;
  result.bytesLoaded = static_cast<uint32_t>(std::min<uint64_t>(content.size(), image.Size()));
  result.longerThanImage = fileSize > image.Size();
  std::copy(content.begin(), content.begin() + result.bytesLoaded, image.Data());
  return result;
}

[[noreturn]] void TooLargeForHex(const std::string& path, uint64_t size, const Buffer& image) {
  throw Exception(path + " is " + std::to_string(size) +
                  " bytes, far too large for an Intel HEX image of " +
                  std::to_string(image.Size()) + " bytes");
}

ImageFile::LoadResult TakeHex(const std::string& path, const std::string& content, Buffer& image) {
  if (content.size() > kHexLimit) TooLargeForHex(path, content.size(), image);
  image = IntelHexReader::Parse(content, path, image.Size());
  ImageFile::LoadResult result;
  result.format = ImageFile::Format::IntelHex;
  result.fileSize = content.size();
  result.bytesLoaded = image.Size();
  return result;
}

}  // namespace

std::string ImageFile::LoadResult::TruncationNote(const std::string& path,
                                                  uint32_t imageSize) const {
  if (!longerThanImage) return {};
  const std::string size = std::to_string(imageSize);
  return path + " is " + std::to_string(fileSize) + " bytes, longer than the " + size +
         "-byte memory; the first " + size + " bytes are used";
}

ImageFile::Format ImageFile::FormatOf(const std::string& path) {
  std::string extension = Lower(std::filesystem::path(path).extension().string());
  return extension == ".hex" || extension == ".ihx" ? Format::IntelHex : Format::Raw;
}

std::optional<ImageFile::Format> ImageFile::FormatNamed(const std::string& name) {
  const std::string lower = Lower(name);
  if (lower == "raw") return Format::Raw;
  if (lower == "hex") return Format::IntelHex;
  return std::nullopt;
}

// The format is told by the file's start, whatever its size; only a HEX file is read whole.
ImageFile::LoadResult ImageFile::Load(const std::string& path, Buffer& image,
                                      std::optional<Format> forced) {
  const uint64_t size = CheckedSize(path);
  const std::string start = ReadStart(path, kSample);
  if (start.empty()) throw Exception(path + " is empty (0 bytes)");
  const bool whole = start.size() >= size;
  if (FormatFor(path, start, whole, forced) == Format::Raw) {
    return TakeRaw(start, std::max<uint64_t>(size, start.size()), image);
  }
  if (size > kHexLimit) TooLargeForHex(path, size, image);
  return TakeHex(path, whole ? start : ReadStart(path, kHexLimit + 1), image);
}

ImageFile::LoadResult ImageFile::LoadContent(const std::string& path, const std::string& content,
                                             Buffer& image, std::optional<Format> forced) {
  if (content.empty()) throw Exception(path + " is empty (0 bytes)");
  if (FormatFor(path, content, true, forced) == Format::Raw) {
    return TakeRaw(content, content.size(), image);
  }
  return TakeHex(path, content, image);
}

void ImageFile::CheckSaveTarget(const std::string& path) {
  namespace fs = std::filesystem;
  const fs::path target(FollowLinks(path));
  std::error_code error;
  const fs::file_status status = fs::status(target, error);
  if (fs::is_directory(status)) throw Exception(path + " is a folder; name a file to write");
  if (fs::exists(status) && !fs::is_regular_file(status)) {
    throw Exception(path + " is " + FileKindText(status.type()) +
                    ", not a regular file; name a file to write");
  }
  if (error && error != std::errc::no_such_file_or_directory) CannotSave(path, error);
  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  if (!fs::is_directory(folder, error)) {
    throw Exception("cannot save " + path + ": there is no folder " + folder.string());
  }
  // Found now rather than after a whole read of the chip.
  if (int refused = FolderRefusesNewFiles(folder.string())) {
    CannotSave(path, std::error_code(refused, std::generic_category()));
  }
}

std::string ImageFile::Encode(const Buffer& image, Format format) {
  if (format == Format::IntelHex) return IntelHexWriter::Write(image);
  return std::string(reinterpret_cast<const char*>(image.Data()), image.Size());
}

void ImageFile::Save(const std::string& path, const Buffer& image, std::optional<Format> forced) {
  const std::string bytes = Encode(image, forced.value_or(FormatOf(path)));
  WriteFileAtomically(path, bytes.data(), bytes.size());
}

void ImageFile::Write(std::ostream& out, const Buffer& image, Format format,
                      const std::string& name) {
  const std::string bytes = Encode(image, format);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.flush();
  if (!out) throw Exception("cannot write the image to " + name);
}
