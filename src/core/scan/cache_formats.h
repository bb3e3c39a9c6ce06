// Caches recognised by their format rather than by the program that writes them: the folders of
// the Chromium engine (browsers and Electron apps alike) and folders marked by a CACHEDIR.TAG.
// Below the folder searched from, no symbolic link is followed.
#pragma once

#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "scan/location_probes.h"

namespace kelvo::scan {

// "Signature: " and the tag's fixed hash, as the Cache Directory Tagging rules set them.
inline constexpr std::string_view kCacheDirTagSignature =
    "Signature: 8a477f597d28d172789f06886806bc55";

struct EngineCache {
  NativeString path;  // canonical, ends with the separator
  // The folders between the base and the cache ("Code/", "BraveSoftware/Brave-Browser/Default/"):
  // the app's own folder is one of them, where its SingletonLock lies.
  std::vector<NativeString> appFolders;
};

// The Chromium-engine caches in the app folders up to three levels below base, in name order: a
// Cache holding Cache_Data or an index; a Code Cache holding js or wasm; GPUCache, DawnCache,
// DawnGraphiteCache, DawnWebGPUCache, GrShaderCache, GraphiteDawnCache or ShaderCache holding an
// index or data_ files; Service Worker/CacheStorage; and CachedData beside one of those.
std::vector<EngineCache> FindEngineCaches(platform::FileSystem& fs, const NativeString& base);

// The folders below home (up to six levels, not below the folders in notBelow nor in
// node_modules or .git, at most 20,000 folders looked at) holding a CACHEDIR.TAG that starts with
// the signature. A tagged folder is not searched further.
std::vector<NativeString> FindTaggedCaches(platform::FileSystem& fs, LocationProbes& probes,
                                           const NativeString& home,
                                           const std::vector<NativeString>& notBelow);

}  // namespace kelvo::scan
