// Intel HEX: whatever the reader takes, the writer writes so that the reader takes it again
// and gives the same image. Anything the reader refuses must be refused with an Exception,
// never a crash.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzCheck.h"
#include "image/IntelHexReader.h"
#include "image/IntelHexWriter.h"
#include "platform/Exception.h"

namespace {
constexpr uint32_t kMemory = 8192;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  Buffer first(kMemory);
  try {
    first = IntelHexReader::Parse(text, "input.hex", kMemory);
  } catch (const Exception&) {
    return 0;
  }
  Buffer second(kMemory);
  try {
    second = IntelHexReader::Parse(IntelHexWriter::Write(first), "written.hex", kMemory);
  } catch (const Exception&) {
    Require(false, "the reader refuses what the writer wrote");
  }
  Require(std::memcmp(first.Data(), second.Data(), kMemory) == 0,
          "parse, write, parse again gives another image");
  return 0;
}
