// Image files: a load that fails leaves the image exactly as it was; one that succeeds takes
// a raw file's bytes as they are. Each input is loaded from disk by the rules (content and
// name), and from memory under every name and forced format.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "FuzzCheck.h"
#include "image/ImageFile.h"
#include "platform/Exception.h"

namespace {

using Format = ImageFile::Format;
constexpr uint32_t kMemory = 8192;

// A folder of this process's own for the input file, removed at exit.
class ScratchFile {
 public:
  ScratchFile() {
    std::string pattern = (std::filesystem::temp_directory_path() / "isp89-fuzz-XXXXXX").string();
    Require(mkdtemp(pattern.data()) != nullptr, "a scratch folder can be made");
    folder_ = pattern;
  }
  ~ScratchFile() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  std::string Path() const { return folder_ + "/input.ihex"; }

 private:
  std::string folder_;
};

const std::string& InputPath() {
  static const ScratchFile file;
  static const std::string path = file.Path();
  return path;
}

Buffer Patterned() {
  Buffer image(kMemory);
  for (uint32_t i = 0; i < kMemory; ++i) image[i] = static_cast<uint8_t>(i * 7 + 3);
  return image;
}

bool Same(const Buffer& a, const Buffer& b) {
  return std::memcmp(a.Data(), b.Data(), kMemory) == 0;
}

template <typename LoadCall>
void CheckLoad(const std::string& content, LoadCall load) {
  const Buffer before = Patterned();
  Buffer image = before;
  ImageFile::LoadResult result;
  try {
    result = load(image);
  } catch (const Exception&) {
    Require(Same(before, image), "a failed load changed the image");
    return;
  }
  if (result.format == Format::Raw) {
    Require(result.bytesLoaded == std::min<size_t>(content.size(), kMemory),
            "a raw load reports the bytes it took");
    Require(std::memcmp(image.Data(), content.data(), result.bytesLoaded) == 0,
            "a raw load takes the file's bytes as they are");
    Require(std::memcmp(image.Data() + result.bytesLoaded, before.Data() + result.bytesLoaded,
                        kMemory - result.bytesLoaded) == 0,
            "a raw load leaves the bytes past the file as they were");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string content(reinterpret_cast<const char*>(data), size);
  std::ofstream(InputPath(), std::ios::binary | std::ios::trunc) << content;
  CheckLoad(content, [](Buffer& image) { return ImageFile::Load(InputPath(), image); });
  for (const char* name : {"input.hex", "input.bin"}) {
    for (std::optional<Format> forced :
         {std::optional<Format>(), std::optional<Format>(Format::Raw),
          std::optional<Format>(Format::IntelHex)}) {
      CheckLoad(content, [&](Buffer& image) {
        return ImageFile::LoadContent(name, content, image, forced);
      });
    }
  }
  return 0;
}
