// Runs a fuzz target over saved inputs, for builds without libFuzzer: every file named on the
// command line, or found directly inside a folder named there, is passed to the target once.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::string> InputsOf(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return {};
  if (!S_ISDIR(st.st_mode)) return {path};
  std::vector<std::string> files;
  if (DIR* dir = ::opendir(path.c_str())) {
    while (dirent* entry = ::readdir(dir)) {
      std::string name = entry->d_name;
      if (name == "." || name == ".." || name[0] == '.') continue;
      files.push_back(path + "/" + name);
    }
    ::closedir(dir);
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t count = 0;
  for (int i = 1; i < argc; ++i) {
    const std::vector<std::string> inputs = InputsOf(argv[i]);
    if (inputs.empty()) {
      std::fprintf(stderr, "no inputs at %s\n", argv[i]);
      return 1;
    }
    for (const std::string& input : inputs) {
      std::ifstream in(input, std::ios::binary);
      const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                    std::istreambuf_iterator<char>()};
      LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      ++count;
    }
  }
  std::printf("%zu inputs replayed\n", count);
  return count ? 0 : 1;
}
