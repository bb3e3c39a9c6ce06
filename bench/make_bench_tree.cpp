// Builds a seeded, reproducible folder tree for the scan benchmarks: a heavy-tailed number of files
// per folder, a realistic spread of depths, junk names, temp folders, the special browser folders,
// hidden folders and empty files. The same arguments always give the same tree.
//
//   make_bench_tree [--files=N] [--folders=M] [--seed=S] [--max-depth=D] OUTDIR
//
// OUTDIR must not exist yet. Sizes are set with ftruncate, so the files take almost no disk space.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace {

// splitmix64: small, fast and the same on every platform (unlike the standard distributions).
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }  // [0, 1)
  std::uint64_t Below(std::uint64_t n) { return Next() % n; }
  bool Chance(double p) { return Uniform() < p; }
  double Normal() {
    double u1 = Uniform();
    if (u1 < 1e-300) u1 = 1e-300;
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * Uniform());
  }

 private:
  std::uint64_t state_;
};

struct Options {
  long files = 1000000;
  long folders = 71429;
  std::uint64_t seed = 42;
  int maxDepth = 12;
  std::string out;
};

struct Folder {
  std::uint32_t parent = 0;
  std::uint8_t depth = 0;
  std::string name;
  std::uint32_t files = 0;
};

const std::array<std::string_view, 18> kPlainExtensions = {
    ".txt",  ".jpg", ".png", ".c",  ".h",   ".so",  ".dat", ".log", ".html",
    ".json", ".xml", ".py",  ".js", ".css", ".pdf", ".mp3", ".ini", ""};
// Junk by name under the recommended patterns, and near misses that are not.
const std::array<std::string_view, 12> kJunkExtensions = {
    ".tmp", ".TMP", ".bak", ".old", ".chk", ".gid", ".$$$", ".@@@", ".dir", ".Tmp", "~", "$"};
const std::array<std::string_view, 6> kNearMisses = {".tmp.txt", ".wbk",  ".ftg",
                                                     ".xlk",     ".bak1", "_tmp"};
const std::array<std::string_view, 5> kTempNames = {"temp", "Temp", "TEMP", "tmp", "Temporary"};
const std::array<std::string_view, 4> kSpecialNames = {"Recent", "History", "Cookies",
                                                       "Temporary Internet Files"};
const std::array<std::string_view, 4> kHiddenNames = {".cache", ".git", ".config", ".local"};

std::string Word(Random& r, std::size_t minLen, std::size_t maxLen) {
  static constexpr std::string_view kChars =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-";
  const std::size_t len = minLen + r.Below(maxLen - minLen + 1);
  std::string w;
  for (std::size_t i = 0; i < len; ++i) w.push_back(kChars[r.Below(i == 0 ? 52 : kChars.size())]);
  return w;
}

std::string Base36(std::uint64_t v) {
  std::string s;
  do {
    s.push_back("0123456789abcdefghijklmnopqrstuvwxyz"[v % 36]);
    v /= 36;
  } while (v);
  return s;
}

bool ParseArgs(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    std::string_view a = argv[i];
    auto value = [&](std::string_view key) -> const char* {
      return a.substr(0, key.size()) == key ? argv[i] + key.size() : nullptr;
    };
    if (const char* v = value("--files=")) {
      o.files = std::atol(v);
    } else if (const char* v2 = value("--folders=")) {
      o.folders = std::atol(v2);
    } else if (const char* v3 = value("--seed=")) {
      o.seed = std::strtoull(v3, nullptr, 10);
    } else if (const char* v4 = value("--max-depth=")) {
      o.maxDepth = std::atoi(v4);
    } else if (!a.empty() && a[0] != '-' && o.out.empty()) {
      o.out = std::string(a);
    } else {
      return false;
    }
  }
  return !o.out.empty() && o.files >= 0 && o.folders >= 1 && o.maxDepth >= 1 && o.maxDepth < 200;
}

// Folder shapes: depth drawn from a bell-shaped weight table, parent drawn among the folders one
// level up, names unique within their parent.
std::vector<Folder> MakeFolders(Random& r, const Options& o) {
  std::vector<Folder> folders(1);
  std::vector<std::vector<std::uint32_t>> byDepth(static_cast<std::size_t>(o.maxDepth) + 1);
  byDepth[0].push_back(0);
  const std::array<double, 12> weights = {1, 3, 6, 10, 14, 16, 15, 12, 9, 6, 4, 2};
  double total = 0;
  for (int d = 1; d <= o.maxDepth; ++d)
    total += weights[static_cast<std::size_t>(std::min(d, 12) - 1)];
  std::unordered_set<std::string> specialTaken;  // "parent/name" of fixed names already used
  for (long i = 1; i < o.folders; ++i) {
    double pick = r.Uniform() * total;
    int depth = 1;
    while (depth < o.maxDepth) {
      pick -= weights[static_cast<std::size_t>(std::min(depth, 12) - 1)];
      if (pick < 0) break;
      ++depth;
    }
    while (byDepth[static_cast<std::size_t>(depth - 1)].empty()) --depth;
    const auto& candidates = byDepth[static_cast<std::size_t>(depth - 1)];
    Folder f;
    f.parent = candidates[r.Below(candidates.size())];
    f.depth = static_cast<std::uint8_t>(depth);
    const double kind = r.Uniform();
    std::string_view fixed;
    if (kind < 0.0060) {
      fixed = kTempNames[r.Below(kTempNames.size())];
    } else if (kind < 0.0070) {
      fixed = kSpecialNames[r.Below(kSpecialNames.size())];
    } else if (kind < 0.0100) {
      fixed = kHiddenNames[r.Below(kHiddenNames.size())];
    }
    if (!fixed.empty() &&
        specialTaken.insert(std::to_string(f.parent) + "/" + std::string(fixed)).second) {
      f.name = std::string(fixed);
    } else {
      f.name = Word(r, 3, 12) + "_" + Base36(static_cast<std::uint64_t>(i));
    }
    byDepth[static_cast<std::size_t>(depth)].push_back(static_cast<std::uint32_t>(folders.size()));
    folders.push_back(std::move(f));
  }
  return folders;
}

// Files per folder: log-normal with median 5 and mean 14, capped at 3,001 (one folder has exactly
// that many), then adjusted to the exact total.
void SpreadFiles(Random& r, const Options& o, std::vector<Folder>& folders) {
  constexpr std::uint32_t kMaxFiles = 3001;
  const double mu = std::log(5.0), sigma = 1.435;
  long sum = 0;
  for (Folder& f : folders) {
    double n = std::floor(std::exp(mu + sigma * r.Normal()));
    f.files = static_cast<std::uint32_t>(std::clamp(n, 0.0, static_cast<double>(kMaxFiles)));
    sum += f.files;
  }
  if (folders.size() > 1 && o.files >= kMaxFiles) {
    Folder& big = folders[1 + r.Below(folders.size() - 1)];
    sum += kMaxFiles - big.files;
    big.files = kMaxFiles;
  }
  while (sum != o.files) {
    Folder& f = folders[r.Below(folders.size())];
    if (sum < o.files && f.files < kMaxFiles) {
      ++f.files;
      ++sum;
    } else if (sum > o.files && f.files > 0 && f.files != kMaxFiles) {
      --f.files;
      --sum;
    }
  }
}

std::string FileName(Random& r, std::uint32_t index) {
  std::string name;
  const double kind = r.Uniform();
  if (kind < 0.003) name = "~$";
  name += Word(r, 2, 14) + "." + Base36(index);
  if (kind < 0.003) {
    name += ".docx";
  } else if (kind < 0.033) {
    name += kJunkExtensions[r.Below(kJunkExtensions.size())];
  } else if (kind < 0.038) {
    name += kNearMisses[r.Below(kNearMisses.size())];
  } else {
    name += kPlainExtensions[r.Below(kPlainExtensions.size())];
  }
  return name;
}

std::uint64_t FileSize(Random& r) {
  if (r.Chance(0.01)) return 0;
  return 1 + static_cast<std::uint64_t>(std::exp(7.0 + 2.5 * r.Normal())) % (64ull << 20);
}

int Fail(const std::string& what) {
  std::fprintf(stderr, "make_bench_tree: %s: %s\n", what.c_str(), std::strerror(errno));
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseArgs(argc, argv, o)) {
    std::fprintf(stderr,
                 "usage: make_bench_tree [--files=N] [--folders=M] [--seed=S] [--max-depth=D] "
                 "OUTDIR\n");
    return 2;
  }
  Random r(o.seed);
  std::vector<Folder> folders = MakeFolders(r, o);
  SpreadFiles(r, o, folders);

  // Paths are built from the parents; parents always come first.
  std::vector<std::string> paths(folders.size());
  paths[0] = o.out;
  while (paths[0].size() > 1 && paths[0].back() == '/') paths[0].pop_back();
  if (::mkdir(paths[0].c_str(), 0755) != 0) return Fail("mkdir " + paths[0]);
  for (std::size_t i = 1; i < folders.size(); ++i) {
    paths[i] = paths[folders[i].parent] + "/" + folders[i].name;
    if (::mkdir(paths[i].c_str(), 0755) != 0) return Fail("mkdir " + paths[i]);
  }

  long files = 0, empty = 0;
  for (std::size_t i = 0; i < folders.size(); ++i) {
    int dir = ::open(paths[i].c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return Fail("open " + paths[i]);
    for (std::uint32_t k = 0; k < folders[i].files; ++k) {
      const std::string name = FileName(r, k);
      const std::uint64_t size = FileSize(r);
      int fd = ::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
      if (fd < 0) return Fail("create " + paths[i] + "/" + name);
      if (size && ::ftruncate(fd, static_cast<off_t>(size)) != 0) return Fail("ftruncate " + name);
      ::close(fd);
      ++files;
      if (size == 0) ++empty;
    }
    ::close(dir);
  }
  std::printf("%s: %zu folders, %ld files, %ld empty\n", paths[0].c_str(), folders.size(), files,
              empty);
  return 0;
}
