#include "admin/elevation_command.h"

#include <cstdlib>
#include <string_view>

namespace kelvo::admin {

std::vector<NativeString> ElevationCommand(const NativeString& cli, bool toTrash) {
  const char* named = std::getenv(kElevateVariable);
  std::string_view elevation = named && *named ? named : kDefaultElevation;
  std::vector<NativeString> argv;
  while (!elevation.empty()) {
    const std::size_t start = elevation.find_first_not_of(' ');
    if (start == std::string_view::npos) break;
    elevation.remove_prefix(start);
    const std::size_t end = std::min(elevation.find(' '), elevation.size());
    argv.push_back(Utf8ToNative(elevation.substr(0, end)));
    elevation.remove_prefix(end);
  }
  argv.push_back(cli);
  for (const char* arg : {"clean", "--from", "-", "--yes"}) argv.push_back(AsciiToNative(arg));
  if (toTrash) argv.push_back(AsciiToNative("--trash"));
  return argv;
}

}  // namespace kelvo::admin
