#include "scan/location_finder.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>

#include "platform/drives.h"
#include "platform/native_path.h"
#include "scan/cache_formats.h"
#include "scan/folder_glob.h"

namespace kelvo::scan {
namespace {

constexpr std::string_view kDeveloperCaches[] = {".npm/_cacache", ".cargo/registry/cache",
                                                 ".gradle/caches", "go/pkg/mod/cache/download"};

NativeString WithSeparator(NativeString path) {
  return platform::WithTrailingSeparator(std::move(path));
}

// The user's own folders below the home as given and resolved, each with a final separator; the
// home itself is none of them (user-dirs.dirs names it to turn a folder off).
std::vector<NativeString> OwnFolders(platform::FileSystem& fs,
                                     const std::vector<NativeString>& folders,
                                     const NativeString& canonicalHome) {
  std::vector<NativeString> own;
  for (const NativeString& folder : folders) {
    NativeString resolved;
    for (NativeString form :
         {WithSeparator(folder),
          fs.ResolveRoot(WithSeparator(folder), resolved) ? NativeString() : resolved})
      if (!form.empty() && form != canonicalHome && form.starts_with(canonicalHome))
        own.push_back(std::move(form));
  }
  return own;
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
  std::vector<LocationRefusal> refused;

 private:
  FolderGlob& finder_;
};

void AddBrowserCaches(Collector& c, FolderGlob& finder, platform::FileSystem& fs,
                      LocationProbes& probes, const Homes& h) {
  for (GlobMatch& m : finder.Expand(h.cache, h.cacheBelow + "mozilla/firefox/*/cache2")) {
    const NativeString profile = m.stars.at(0);
    Candidate& added = c.Push(kBrowserCache, std::move(m.path));
    for (const NativeString& lock :
         {WithSeparator(h.home) + Utf8ToNative(".mozilla/firefox/") + profile +
              Utf8ToNative("/lock"),
          WithSeparator(h.config) + Utf8ToNative(h.configBelow + "mozilla/firefox/") + profile +
              Utf8ToNative("/lock")})
      if (added.lock.empty() && probes.LockHeld(lock, LockStyle::kFirefox)) added.lock = lock;
  }
  // The engine's caches, on the cache side or the settings side; the app runs while the lock in
  // its folder on the settings side is held.
  const std::pair<NativeString, std::string> sides[] = {{h.cache, h.cacheBelow},
                                                        {h.config, h.configBelow}};
  for (const auto& [base, below] : sides) {
    NativeString baseFolder = WithSeparator(base) + Utf8ToNative(below);
    NativeString canonicalBase;
    if (fs.ResolveRoot(baseFolder, canonicalBase)) continue;
    for (EngineCache& cache : FindEngineCaches(fs, canonicalBase)) {
      Candidate& added = c.Push(kBrowserCache, std::move(cache.path));
      for (const NativeString& app : cache.appFolders) {
        const NativeString lock = WithSeparator(h.config) + Utf8ToNative(h.configBelow) +
                                  app.substr(canonicalBase.size()) + Utf8ToNative("SingletonLock");
        if (probes.LockHeld(lock, LockStyle::kChromium)) {
          added.lock = lock;
          break;
        }
      }
    }
  }
}

bool Below(const NativeString& path, const NativeString& folder) {
  return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0;
}

NativeString WithoutSeparator(NativeString path) {
  if (path.size() > 1 && path.back() == platform::kSeparator) path.pop_back();
  return path;
}

// Whose a folder is, as the trash needs it: a folder of its own (no link) of the effective user.
const char* NotOwnFolder(LocationProbes& probes, const NativeString& folder) {
  const auto owner = probes.OwnerOf(WithoutSeparator(folder));
  if (!owner || owner->link || !owner->directory) return "is no folder";
  if (owner->user != probes.EffectiveUser()) return "belongs to another user";
  return nullptr;
}

// A trash folder: its items in files/, their descriptions in info/ (paired: a description goes
// only with its item). Only the user's own trash is taken, as trashing takes only that one.
void AddTrash(Collector& c, FolderGlob& finder, LocationProbes& probes, const NativeString& trash) {
  if (const char* why = NotOwnFolder(probes, trash)) {
    c.refused.push_back({kTrash, trash, std::string("a trash that ") + why});
    return;
  }
  std::vector<GlobMatch> files = finder.Expand(trash, "files");
  const NativeString items = files.empty() ? trash + Utf8ToNative("files/") : files[0].path;
  if (!files.empty()) c.Push(kTrash, std::move(files[0].path)).folder.trashFiles = true;
  for (GlobMatch& info : finder.Expand(trash, "info"))
    c.Push(kTrash, std::move(info.path), LocationFiles::kTrashInfo).folder.trashItems = items;
}

// The trash folders of one disk: .Trash-UID at its top, and UID inside a shared .Trash that is a
// sticky folder (where users cannot remove each other's folders), no link.
void AddDiskTrash(Collector& c, FolderGlob& finder, LocationProbes& probes, const NativeString& top,
                  const std::string& userId) {
  for (GlobMatch& own : finder.Expand(top, ".Trash-" + userId))
    AddTrash(c, finder, probes, own.path);
  for (GlobMatch& shared : finder.Expand(top, ".Trash")) {
    const auto owner = probes.OwnerOf(WithoutSeparator(shared.path));
    std::vector<GlobMatch> mine = finder.Expand(shared.path, userId);
    if (mine.empty()) continue;
    if (!owner || owner->link || !owner->directory || !owner->sticky) {
      c.refused.push_back({kTrash, mine[0].path, "a shared trash that is not sticky"});
      continue;
    }
    AddTrash(c, finder, probes, mine[0].path);
  }
}

// Why a folder is no application cache: every old file in it would be offered, so it must be
// the user's cache, in a home that exists.
std::string NotAnAppCache(LocationProbes& probes, const NativeString& cache, bool homeExists,
                          const NativeString& home) {
  if (!homeExists) return "no application cache without a home folder";
  if (home.starts_with(cache)) return "no application cache: it holds the home folder";
  if (Below(cache, home)) return {};
  // Outside the home only a folder of the user's own; the system's folders are all root's, so
  // for root only one inside the home.
  const auto owner = probes.OwnerOf(WithoutSeparator(cache));
  if (!owner || owner->link || !owner->directory || owner->user != probes.EffectiveUser() ||
      probes.EffectiveUser() == 0)
    return "no application cache: outside the home and not the user's own";
  return {};
}

}  // namespace

FoundLocations FindLocations(const LocationSet& wanted, const platform::UserFolders& user,
                             const std::vector<NativeString>& diskTops, platform::FileSystem& fs,
                             LocationProbes& probes) {
  FolderGlob finder(fs);
  Collector c(finder);
  std::vector<Homes> homes{{user.home, user.cacheHome, user.configHome, "", ""}};
  for (GlobMatch& app : finder.Expand(user.home, ".var/app/*"))
    homes.push_back({app.path, app.path, app.path, "cache/", "config/"});

  c.Add(kThumbnails, user.cacheHome, "thumbnails");
  c.Add(kThumbnails, user.home, ".thumbnails");

  for (GlobMatch& trash : finder.Expand(user.dataHome, "Trash"))
    AddTrash(c, finder, probes, trash.path);
  for (const NativeString& top : diskTops) AddDiskTrash(c, finder, probes, top, user.userId);

  for (const Homes& h : homes) AddBrowserCaches(c, finder, fs, probes, h);

  const std::size_t firstAppCache = c.all.size();
  NativeString home;
  const bool homeExists = !fs.ResolveRoot(WithSeparator(user.home), home);
  for (const Homes& h : homes)
    for (GlobMatch& cache : finder.Expand(h.cache, h.cacheBelow)) {
      std::string why = NotAnAppCache(probes, cache.path, homeExists, home);
      if (why.empty())
        c.Push(kAppCache, std::move(cache.path));
      else
        c.refused.push_back({kAppCache, std::move(cache.path), std::move(why)});
    }
  for (std::size_t i = firstAppCache; i < c.all.size(); ++i) {
    c.all[i].folder.defaultDays = kAppCacheDays;
    c.all[i].folder.settingsAtTop = true;
  }

  if (!user.downloads.empty())
    for (GlobMatch& d : finder.Expand(user.downloads, ""))
      c.Push(kPartialDownloads, std::move(d.path), LocationFiles::kPartialDownloads, false)
          .folder.defaultDays = kPartialDownloadDays;
  // A snap's own home: its shared (common) folder and one per revision.
  c.Add(kSnapCache, user.home, "snap/*/*/.cache");
  for (std::string_view tool : kDeveloperCaches) c.Add(kDeveloperCache, user.home, tool);
  if (wanted[kDeveloperCache] && homeExists) {
    // Tagged folders elsewhere than in the places of other locations.
    std::vector<NativeString> notBelow;
    for (const Candidate& other : c.all) notBelow.push_back(other.folder.path);
    for (const NativeString& base : {user.cacheHome, user.dataHome})
      for (GlobMatch& m : finder.Expand(base, "")) notBelow.push_back(m.path);
    // A tag is a file anyone can plant: the user's own folders are never a cache, nor is a folder
    // above one of them.
    const std::vector<NativeString> own = OwnFolders(fs, user.documentFolders, home);
    notBelow.insert(notBelow.end(), own.begin(), own.end());
    for (NativeString& tagged : FindTaggedCaches(fs, probes, home, notBelow)) {
      const NativeString above = WithSeparator(tagged);
      if (std::any_of(own.begin(), own.end(),
                      [&](const NativeString& folder) { return folder.starts_with(above); }))
        c.refused.push_back(
            {kDeveloperCache, std::move(tagged), "a cache tag above the user's own files"});
      else
        c.Push(kDeveloperCache, std::move(tagged));
    }
  }
  for (Candidate& cand : c.all)
    if (cand.folder.location == kSnapCache || cand.folder.location == kDeveloperCache)
      cand.folder.defaultDays = kAppCacheDays;

  const NativeString system = user.systemRoot.empty() ? Utf8ToNative("/") : user.systemRoot;
  c.Add(kCrashDumps, system, "var/lib/systemd/coredump");
  c.Add(kCrashDumps, system, "var/crash");
  // apt and pacman lock their caches while they download into them.
  const NativeString aptLock = WithSeparator(system) + Utf8ToNative("var/cache/apt/archives/lock");
  const NativeString pacmanLock = WithSeparator(system) + Utf8ToNative("var/lib/pacman/db.lck");
  const std::size_t firstApt = c.all.size();
  c.Add(kPackageCache, system, "var/cache/apt/archives", LocationFiles::kDebPackages, false);
  c.Add(kPackageCache, system, "var/cache/apt/archives/partial");
  if (c.all.size() > firstApt && probes.FileLockHeld(aptLock))
    for (std::size_t i = firstApt; i < c.all.size(); ++i) c.all[i].lock = aptLock;
  c.Add(kPackageCache, system, "var/cache/dnf");
  const std::size_t firstPacman = c.all.size();
  c.Add(kPackageCache, system, "var/cache/pacman/pkg");
  if (c.all.size() > firstPacman && probes.EntryExists(pacmanLock)) c.all.back().lock = pacmanLock;
  c.Add(kOldLogs, system, "var/log", LocationFiles::kRotatedLogs);

  // Files that programs hold open are in use, whatever their age.
  std::shared_ptr<const OpenFiles> open;
  auto openNow = [&] {
    if (!open) open = probes.FilesOpenNow();
    return open;
  };
  for (GlobMatch& tmp : finder.Expand(system, "var/tmp")) {
    Candidate& added = c.Push(kOldTempFiles, std::move(tmp.path));
    added.folder.defaultDays = kAppCacheDays;
    if (wanted[kOldTempFiles]) added.folder.openFiles = openNow();
    // systemd's private temporary folders of services that run: theirs to remove. vi.recover
    // holds what editors saved of unsaved work when they were killed.
    for (GlobMatch& own : finder.Expand(added.folder.path, "*"))
      if (own.stars.at(0).starts_with(Utf8ToNative("systemd-private-")) ||
          own.stars.at(0) == Utf8ToNative("vi.recover"))
        added.folder.skip.push_back(std::move(own.path));
  }
  for (GlobMatch& journal : finder.Expand(system, "var/log/journal/*")) {
    Candidate& added =
        c.Push(kArchivedJournal, std::move(journal.path), LocationFiles::kArchivedJournal, false);
    if (wanted[kArchivedJournal]) added.folder.openFiles = openNow();
  }

  // A folder inside another location's is that one's, not entered from the outer one.
  for (Candidate& outer : c.all)
    for (const Candidate& inner : c.all)
      if (outer.folder.recursive && Below(inner.folder.path, outer.folder.path) &&
          std::find(outer.folder.skip.begin(), outer.folder.skip.end(), inner.folder.path) ==
              outer.folder.skip.end())
        outer.folder.skip.push_back(inner.folder.path);

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
  for (LocationRefusal& r : c.refused)
    if (wanted[static_cast<std::size_t>(r.location)]) found.refused.push_back(std::move(r));
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
