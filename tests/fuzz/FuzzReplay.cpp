// Feeds every file of the corpus folders named on the command line to the fuzz target it is
// linked with, as libFuzzer would, so that each input found once is tried on every test run
// and with every compiler. A broken property aborts; the input is named first.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> InputsIn(const std::vector<std::string>& places) {
  std::vector<fs::path> inputs;
  for (const std::string& place : places) {
    if (!fs::is_directory(place)) {
      inputs.emplace_back(place);
      continue;
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(place)) {
      if (entry.is_regular_file()) inputs.push_back(entry.path());
    }
  }
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<fs::path> inputs = InputsIn(std::vector<std::string>(argv + 1, argv + argc));
  if (inputs.empty()) {
    std::fprintf(stderr, "no corpus files given: nothing was replayed\n");
    return 1;
  }
  for (const fs::path& input : inputs) {
    std::ifstream in(input, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "cannot read %s\n", input.string().c_str());
      return 1;
    }
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::fprintf(stderr, "%s\n", input.filename().string().c_str());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
  std::printf("replayed %zu inputs\n", inputs.size());
  return 0;
}
