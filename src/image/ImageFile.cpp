#include "image/ImageFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>

#include "image/IntelHexReader.h"
#include "image/IntelHexWriter.h"
#include "platform/AtomicFile.h"
#include "platform/Exception.h"
#include "platform/FileKind.h"

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

// Far beyond what any HEX file of a memory this size holds (about 2.8 text bytes a data
// byte): a bigger file is not one, and is not read into memory.
uint64_t HexSizeLimit(const Buffer& image) { return 64ull * image.Size() + 4096; }

// At most `limit` bytes from the file's start: what any format needs of it.
std::string ReadStart(const std::string& path, uint64_t limit) {
  FilePointer file(std::fopen(path.c_str(), "rb"), &std::fclose);
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

bool IsHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

// One line of LooksLikeIntelHex: blank, or ':' and hexadecimal digits.
bool IsRecordOrBlank(const std::string& text, size_t begin, size_t end) {
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  if (begin == end) return true;
  if (text[begin] != ':' || end - begin < 2) return false;
  return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(begin) + 1,
                     text.begin() + static_cast<std::ptrdiff_t>(end), IsHexDigit);
}

// A record whose length matches its count byte: ':', count, address, type, data, checksum.
// Raw 8051 code does not begin with such a line, so a file that does is HEX even when a
// later line is damaged, and the reader names that line instead of flash getting the text.
bool IsWholeRecord(const std::string& text, size_t begin, size_t end) {
  if (!IsRecordOrBlank(text, begin, end) || end - begin < 11 || text[begin] != ':') return false;
  const unsigned count = static_cast<unsigned>(std::stoul(text.substr(begin + 1, 2), nullptr, 16));
  return end - begin == 1 + 2 * (count + 5);
}

// `content` holds the file's first bytes, all of them when fileSize is its size.
ImageFile::LoadResult Decode(const std::string& path, const std::string& content, uint64_t fileSize,
                             Buffer& image, std::optional<ImageFile::Format> forced) {
  using Format = ImageFile::Format;
  if (content.empty()) throw Exception(path + " is empty (0 bytes)");
  const bool whole = fileSize == content.size();
  ImageFile::LoadResult result;
  result.fileSize = fileSize;
  result.format = forced                                           ? *forced
                  : whole && ImageFile::LooksLikeIntelHex(content) ? Format::IntelHex
                                                                   : ImageFile::FormatOf(path);
  if (result.format == Format::IntelHex) {
    if (fileSize > HexSizeLimit(image)) {
      throw Exception(path + " is " + std::to_string(fileSize) +
                      " bytes, far too large for an Intel HEX image of " +
                      std::to_string(image.Size()) + " bytes");
    }
    image = IntelHexReader::Parse(content, path, image.Size());
    result.bytesLoaded = image.Size();
    return result;
  }
  result.bytesLoaded = static_cast<uint32_t>(std::min<uint64_t>(content.size(), image.Size()));
  result.longerThanImage = fileSize > image.Size();
  std::copy(content.begin(), content.begin() + result.bytesLoaded, image.Data());
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

ImageFile::LoadResult ImageFile::Load(const std::string& path, Buffer& image,
                                      std::optional<Format> forced) {
  const uint64_t size = CheckedSize(path);
  // One byte past the HEX limit tells a file too large for HEX, and is more than a raw
  // image needs to tell it is longer than the memory.
  const std::string content = ReadStart(path, HexSizeLimit(image) + 1);
  return Decode(path, content, std::max<uint64_t>(size, content.size()), image, forced);
}

ImageFile::LoadResult ImageFile::LoadContent(const std::string& path, const std::string& content,
                                             Buffer& image, std::optional<Format> forced) {
  return Decode(path, content, content.size(), image, forced);
}

// Lines end at LF or CR: a file with CR line ends (old Macintosh) is HEX too, and then
// refused by the reader with its CR shown, rather than taken as raw bytes.
bool ImageFile::LooksLikeIntelHex(const std::string& content) {
  const std::string& bom = "\xEF\xBB\xBF";
  size_t begin = content.compare(0, bom.size(), bom) == 0 ? bom.size() : 0;
  size_t end = content.find_last_not_of(" \t\r\n\x1A");
  if (end == std::string::npos || end < begin) return false;
  ++end;
  if (IsWholeRecord(content, begin, std::min(content.find_first_of("\r\n", begin), end))) {
    return true;
  }
  while (begin < end) {
    size_t lineEnd = std::min(content.find_first_of("\r\n", begin), end);
    if (!IsRecordOrBlank(content, begin, lineEnd)) return false;
    begin = lineEnd + 1;
  }
  return true;
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
