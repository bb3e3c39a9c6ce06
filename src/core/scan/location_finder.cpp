#include "scan/location_finder.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>

#include "platform/drives.h"
#include "platform/process_probe.h"
#include "scan/browser_lock.h"
#include "scan/folder_glob.h"

namespace kelvo::scan {
namespace {

constexpr std::string_view kChromiumFamily[] = {
    "chromium", "google-chrome", "BraveSoftware/Brave-Browser", "microsoft-edge", "vivaldi"};
constexpr std::string_view kChromiumCaches[] = {"Cache", "Code Cache", "GPUCache"};

NativeString WithSeparator(NativeString path) {
  if (path.empty() || path.back() != platform::kSeparator) path.push_back(platform::kSeparator);
  return path;
}

// Where one set of XDG folders lives: the user's own, or a flatpak application's.
struct Homes {
  NativeString home;
  NativeString cache;
  NativeString config;
  std::string cacheBelow;   // "" or "cache/": the cache folder's path below the base
  std::string configBelow;  // "" or "config/"
};

struct Candidate {
  LocationFolder folder;
  NativeString lock;  // when a program that runs holds it (a browser, a package manager)
};

class Collector {
 public:
  Collector(FolderGlob& finder) : finder_(finder) {}

  void Add(int location, const NativeString& base, std::string_view relative,
           LocationFiles files = LocationFiles::kAll, bool recursive = true) {
    for (GlobMatch& m : finder_.Expand(base, relative))
      Push(location, std::move(m.path), files, recursive);
  }

  Candidate& Push(int location, NativeString path, LocationFiles files = LocationFiles::kAll,
                  bool recursive = true) {
    Candidate c;
    c.folder.location = location;
    c.folder.path = std::move(path);
    c.folder.files = files;
    c.folder.recursive = recursive;
    all.push_back(std::move(c));
    return all.back();
  }

  std::vector<Candidate> all;

 private:
  FolderGlob& finder_;
};

void AddBrowserCaches(Collector& c, FolderGlob& finder, const Homes& h) {
  for (GlobMatch& m : finder.Expand(h.cache, h.cacheBelow + "mozilla/firefox/*/cache2")) {
    const NativeString profile = m.stars.at(0);
    Candidate& added = c.Push(kBrowserCache, std::move(m.path));
    for (const NativeString& lock :
         {WithSeparator(h.home) + Utf8ToNative(".mozilla/firefox/") + profile +
              Utf8ToNative("/lock"),
          WithSeparator(h.config) + Utf8ToNative(h.configBelow + "mozilla/firefox/") + profile +
              Utf8ToNative("/lock")})
      if (added.lock.empty() && LockHeld(lock, LockStyle::kFirefox)) added.lock = lock;
  }
  for (std::string_view browser : kChromiumFamily) {
    const NativeString lock = WithSeparator(h.config) +
                              Utf8ToNative(h.configBelow + std::string(browser) + "/SingletonLock");
    const bool running = LockHeld(lock, LockStyle::kChromium);
    const std::pair<NativeString, std::string> sides[] = {{h.cache, h.cacheBelow},
                                                          {h.config, h.configBelow}};
    for (const auto& [base, below] : sides)
      for (std::string_view cache : kChromiumCaches)
        for (GlobMatch& m :
             finder.Expand(base, below + std::string(browser) + "/*/" + std::string(cache)))
          c.Push(kBrowserCache, std::move(m.path)).lock = running ? lock : NativeString();
  }
}

bool Below(const NativeString& path, const NativeString& folder) {
  return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0;
}

}  // namespace

FoundLocations FindLocations(const LocationSet& wanted, const platform::UserFolders& user,
                             const std::vector<NativeString>& diskTops, platform::FileSystem& fs) {
  FolderGlob finder(fs);
  Collector c(finder);
  std::vector<Homes> homes{{user.home, user.cacheHome, user.configHome, "", ""}};
  for (GlobMatch& app : finder.Expand(user.home, ".var/app/*"))
    homes.push_back({app.path, app.path, app.path, "cache/", "config/"});

  c.Add(kThumbnails, user.cacheHome, "thumbnails");
  c.Add(kThumbnails, user.home, ".thumbnails");

  for (const char* part : {"Trash/files", "Trash/info"}) c.Add(kTrash, user.dataHome, part);
  for (const NativeString& top : diskTops)
    for (const char* part : {"files", "info"})
      c.Add(kTrash, top, ".Trash-" + user.userId + "/" + part);

  for (const Homes& h : homes) AddBrowserCaches(c, finder, h);

  const std::size_t firstAppCache = c.all.size();
  for (const Homes& h : homes) c.Add(kAppCache, h.cache, h.cacheBelow);
  // A cache folder set to the home folder, or to one that holds it, would make every old file of
  // the home an application cache: such a setting is no cache folder.
  NativeString home;
  if (!fs.ResolveRoot(WithSeparator(user.home), home))
    c.all.erase(
        std::remove_if(c.all.begin() + static_cast<std::ptrdiff_t>(firstAppCache), c.all.end(),
                       [&](const Candidate& app) { return home.starts_with(app.folder.path); }),
        c.all.end());
  // What the locations above cover is theirs; the rest of a cache is the application cache.
  for (std::size_t i = firstAppCache; i < c.all.size(); ++i) {
    LocationFolder& app = c.all[i].folder;
    app.defaultDays = kAppCacheDays;
    for (std::size_t j = 0; j < firstAppCache; ++j)
      if (Below(c.all[j].folder.path, app.path)) app.skip.push_back(c.all[j].folder.path);
  }

  const NativeString system = user.systemRoot.empty() ? Utf8ToNative("/") : user.systemRoot;
  c.Add(kCrashDumps, system, "var/lib/systemd/coredump");
  c.Add(kCrashDumps, system, "var/crash");
  // apt and pacman lock their caches while they download into them.
  const NativeString aptLock = WithSeparator(system) + Utf8ToNative("var/cache/apt/archives/lock");
  const NativeString pacmanLock = WithSeparator(system) + Utf8ToNative("var/lib/pacman/db.lck");
  const std::size_t firstApt = c.all.size();
  c.Add(kPackageCache, system, "var/cache/apt/archives", LocationFiles::kDebPackages, false);
  c.Add(kPackageCache, system, "var/cache/apt/archives/partial");
  if (c.all.size() > firstApt && platform::FileLockHeld(aptLock))
    for (std::size_t i = firstApt; i < c.all.size(); ++i) c.all[i].lock = aptLock;
  c.Add(kPackageCache, system, "var/cache/dnf");
  const std::size_t firstPacman = c.all.size();
  c.Add(kPackageCache, system, "var/cache/pacman/pkg");
  if (c.all.size() > firstPacman && platform::EntryExists(pacmanLock))
    c.all.back().lock = pacmanLock;
  c.Add(kOldLogs, system, "var/log", LocationFiles::kRotatedLogs);

  FoundLocations found;
  std::stable_sort(c.all.begin(), c.all.end(), [](const Candidate& a, const Candidate& b) {
    return a.folder.location < b.folder.location;
  });
  for (Candidate& cand : c.all) {
    if (!wanted[static_cast<std::size_t>(cand.folder.location)]) continue;
    const bool seen =
        std::any_of(found.folders.begin(), found.folders.end(),
                    [&](const LocationFolder& f) { return f.path == cand.folder.path; });
    if (seen) continue;
    if (!cand.lock.empty()) {
      found.skipped.push_back({cand.folder.location, cand.folder.path, cand.lock});
      continue;
    }
    found.folders.push_back(std::move(cand.folder));
  }
  return found;
}

void AddLocationRoots(ScanRequest& request, const FoundLocations& found) {
  auto at = request.roots.begin();
  while (at != request.roots.end() && at->kind != RootKind::kAudit) ++at;
  for (const LocationFolder& folder : found.folders)
    at = std::next(request.roots.insert(at, ScanRoot(RootKind::kLocation, folder.path, folder)));
}

std::vector<NativeString> TrashDiskTops(const platform::UserFolders& user) {
  if (!user.systemRoot.empty()) return {WithSeparator(user.systemRoot)};
  std::vector<NativeString> tops;
  for (const platform::Drive& d : platform::ListFixedDrives()) tops.push_back(d.key);
  return tops;
}

}  // namespace kelvo::scan
