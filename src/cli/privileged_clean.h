// The privileged side of the administrator step: kelvo-cli clean --from - --yes started by pkexec
// (or by root by hand) with a request on standard input. It reads no settings file of the user who
// asked (their keep-list comes with the request), refuses rows without a root and identity and
// roots that are not their own canonical path (a link on the way to the root), and answers with
// the json report of admin/admin_report.h on standard output.
#pragma once

#include <optional>
#include <string_view>

#include "clean_command.h"
#include "scan/keep_list.h"

namespace kelvo::cli {

inline constexpr const char* kAskingUserVariable = "PKEXEC_UID";

// Whether this run was started by pkexec for a user: then only a request given with --from is
// accepted, and nothing of the settings is read before it.
bool StartedForAnotherUser(const CleanOptions& options);

// Runs the request in text. ownKeep: the keep-list of the one running it, when that is the one who
// asked (root by hand); nullptr under pkexec.
int RunPrivilegedClean(std::string_view text, const CleanOptions& options,
                       const scan::KeepList* ownKeep);

// Reads the list named by --from and runs it as a request (the pkexec case).
int RunPrivilegedClean(const CleanOptions& options);

}  // namespace kelvo::cli
