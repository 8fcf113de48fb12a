// Replays fuzz inputs without libFuzzer: every file named on the command
// line, or found directly inside a named directory, is passed once to
// LLVMFuzzerTestOneInput. Used under g++ so that the corpus is exercised
// (with sanitizers, when the build has them) by the ordinary test run.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<std::string> ListInputs(const std::string& path) {
  std::vector<std::string> files;
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return files;
  if (!S_ISDIR(st.st_mode)) {
    files.push_back(path);
    return files;
  }
  DIR* dir = opendir(path.c_str());
  if (dir == nullptr) return files;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    std::string full = path + "/" + name;
    if (stat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode)) files.push_back(full);
  }
  closedir(dir);
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  size_t count = 0;
  for (int i = 1; i < argc; ++i) {
    for (const std::string& file : ListInputs(argv[i])) {
      std::ifstream in(file, std::ios::binary);
      std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      LLVMFuzzerTestOneInput(data.data(), data.size());
      ++count;
    }
  }
  std::printf("replayed %zu inputs\n", count);
  return count == 0 ? 1 : 0;
}
