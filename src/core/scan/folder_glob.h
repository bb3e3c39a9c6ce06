// Finding folders by a pattern below a base folder ("mozilla/firefox/*/cache2"): the base is taken
// as it is named, links included; below it no symbolic link is followed.
#pragma once

#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace kelvo::scan {

struct GlobMatch {
  NativeString path;                // canonical, ends with the separator
  std::vector<NativeString> stars;  // the names "*" stood for, in order
};

class FolderGlob {
 public:
  explicit FolderGlob(platform::FileSystem& fs) : fs_(fs) {}

  // The folders below base that relative ("/"-separated; "*" is any folder) names, "*" taken in
  // name order. Missing folders give nothing.
  std::vector<GlobMatch> Expand(const NativeString& base, std::string_view relative);

 private:
  void Descend(platform::Directory& dir, const std::vector<std::string_view>& parts, std::size_t i,
               const GlobMatch& at, std::vector<GlobMatch>& out);

  platform::FileSystem& fs_;
};

}  // namespace kelvo::scan
