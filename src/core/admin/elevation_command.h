// The command line of the administrator step: the elevation command (pkexec unless KELVO_ELEVATE
// names another, split at blanks, so that tests can put a stand-in there), then
//   <kelvo-cli> clean --from - --yes [--trash]
#pragma once

#include <vector>

#include "platform/native_string.h"

namespace kelvo::admin {

inline constexpr const char* kElevateVariable = "KELVO_ELEVATE";
inline constexpr const char* kDefaultElevation = "pkexec";

std::vector<NativeString> ElevationCommand(const NativeString& cli, bool toTrash);

}  // namespace kelvo::admin
