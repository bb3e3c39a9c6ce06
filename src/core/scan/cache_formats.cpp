#include "scan/cache_formats.h"

#include <algorithm>
#include <iterator>
#include <memory>

namespace kelvo::scan {
namespace {

constexpr int kAppDepth = 3;
constexpr int kTagDepth = 6;
constexpr std::size_t kMostTagFolders = 20000;

struct Entries {
  std::vector<NativeString> folders;  // sorted
  std::vector<NativeString> files;
};

Entries ListOf(platform::Directory& dir) {
  Entries out;
  platform::Listing listing;
  if (dir.List(listing)) return out;
  for (const auto& e : listing.entries()) {
    platform::EntryType type = e.type;
    platform::EntryStat st;
    if (type == platform::EntryType::kUnknown && !dir.Stat(listing.CName(e), st)) type = st.type;
    if (type == platform::EntryType::kDirectory) out.folders.emplace_back(listing.Name(e));
    if (type == platform::EntryType::kFile) out.files.emplace_back(listing.Name(e));
  }
  std::sort(out.folders.begin(), out.folders.end());
  return out;
}

bool Has(const std::vector<NativeString>& names, std::string_view name) {
  return std::find(names.begin(), names.end(), Utf8ToNative(name)) != names.end();
}

bool HasDataFiles(const Entries& e) {
  return Has(e.files, "index") || std::any_of(e.files.begin(), e.files.end(), [](const auto& n) {
           return n.starts_with(Utf8ToNative("data_"));
         });
}

constexpr std::string_view kGpuCaches[] = {"GPUCache",        "DawnCache",     "DawnGraphiteCache",
                                           "DawnWebGPUCache", "GrShaderCache", "GraphiteDawnCache",
                                           "ShaderCache"};

bool IsEngineCacheName(std::string_view name) {
  return name == "Cache" || name == "Code Cache" ||
         std::find(std::begin(kGpuCaches), std::end(kGpuCaches), name) != std::end(kGpuCaches);
}

// Whether the folder named name, listed as inside, is one of the engine's caches.
bool IsEngineCache(std::string_view name, const Entries& inside) {
  if (name == "Cache") return Has(inside.folders, "Cache_Data") || HasDataFiles(inside);
  if (name == "Code Cache") return Has(inside.folders, "js") || Has(inside.folders, "wasm");
  return HasDataFiles(inside);
}

NativeString Joined(const NativeString& folder, const NativeString& name) {
  NativeString path = folder + name;
  path.push_back(platform::kSeparator);
  return path;
}

void Search(platform::Directory& dir, const NativeString& path, std::vector<NativeString> above,
            int depth, std::vector<EngineCache>& out) {
  const Entries entries = ListOf(dir);
  const std::size_t before = out.size();
  for (const NativeString& name : entries.folders) {
    std::error_code ec;
    std::unique_ptr<platform::Directory> child = dir.OpenChild(name.c_str(), ec);
    if (!child) continue;
    const std::string text = NativeToUtf8(name);
    if (depth > 0 && text == "Service Worker") {
      std::unique_ptr<platform::Directory> storage =
          child->OpenChild(Utf8ToNative("CacheStorage").c_str(), ec);
      if (storage) out.push_back({Joined(Joined(path, name), Utf8ToNative("CacheStorage")), above});
      continue;
    }
    if (depth > 0 && IsEngineCacheName(text) && IsEngineCache(text, ListOf(*child))) {
      out.push_back({Joined(path, name), above});
      continue;
    }
    if (depth < kAppDepth && text != "CachedData" && !name.starts_with(Utf8ToNative("."))) {
      std::vector<NativeString> next = above;
      next.push_back(Joined(path, name));
      Search(*child, Joined(path, name), std::move(next), depth + 1, out);
    }
  }
  // An Electron app's compiled code beside its engine caches.
  if (out.size() > before && depth > 0 && Has(entries.folders, "CachedData")) {
    std::error_code ec;
    if (dir.OpenChild(Utf8ToNative("CachedData").c_str(), ec))
      out.push_back({Joined(path, Utf8ToNative("CachedData")), above});
  }
}

}  // namespace

std::vector<EngineCache> FindEngineCaches(platform::FileSystem& fs, const NativeString& base) {
  std::vector<EngineCache> out;
  NativeString canonical;
  NativeString withSeparator = base;
  if (withSeparator.empty() || withSeparator.back() != platform::kSeparator)
    withSeparator.push_back(platform::kSeparator);
  if (fs.ResolveRoot(withSeparator, canonical)) return out;
  std::error_code ec;
  std::unique_ptr<platform::Directory> dir = fs.OpenDirectory(canonical, ec);
  if (dir) Search(*dir, canonical, {}, 0, out);
  return out;
}

std::vector<NativeString> FindTaggedCaches(platform::FileSystem& fs, LocationProbes& probes,
                                           const NativeString& home,
                                           const std::vector<NativeString>& notBelow) {
  std::vector<NativeString> out;
  NativeString canonical;
  NativeString withSeparator = home;
  if (withSeparator.empty() || withSeparator.back() != platform::kSeparator)
    withSeparator.push_back(platform::kSeparator);
  if (fs.ResolveRoot(withSeparator, canonical)) return out;
  std::error_code ec;
  std::unique_ptr<platform::Directory> top = fs.OpenDirectory(canonical, ec);
  if (!top) return out;
  std::size_t budget = kMostTagFolders;
  // Depth first, so that only the folders on the current path are open.
  auto search = [&](auto& self, platform::Directory& dir, const NativeString& path,
                    int depth) -> void {
    if (budget == 0) return;
    --budget;
    const Entries entries = ListOf(dir);
    if (depth > 0 && Has(entries.files, "CACHEDIR.TAG") &&
        probes.FileStart(path + Utf8ToNative("CACHEDIR.TAG"), kCacheDirTagSignature.size()) ==
            kCacheDirTagSignature) {
      out.push_back(path);
      return;
    }
    if (depth == kTagDepth) return;
    for (const NativeString& name : entries.folders) {
      // Huge, and never where a tool puts its tagged cache: the budget is better spent elsewhere.
      if (name == Utf8ToNative("node_modules") || name == Utf8ToNative(".git")) continue;
      const NativeString child = Joined(path, name);
      if (std::any_of(notBelow.begin(), notBelow.end(),
                      [&](const NativeString& skip) { return child.starts_with(skip); }))
        continue;
      if (auto opened = dir.OpenChild(name.c_str(), ec)) self(self, *opened, child, depth + 1);
    }
  };
  search(search, *top, canonical, 0);
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace kelvo::scan
