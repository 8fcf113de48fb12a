// Replays fuzz inputs without libFuzzer: each file named, or directly in a
// named directory, goes once through LLVMFuzzerTestOneInput, so the ordinary
// test run (with the build's sanitizers) exercises the seed corpora.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  std::vector<fs::path> files;
  std::error_code error;
  for (int i = 1; i < argc; ++i) {
    if (!fs::is_directory(argv[i], error)) files.emplace_back(argv[i]);
    for (const auto& entry : fs::directory_iterator(argv[i], error))
      if (entry.is_regular_file(error)) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(data.data(), data.size());
  }
  std::printf("replayed %zu inputs\n", files.size());
  return files.empty() ? 1 : 0;
}
