// The rows of a clean that only an administrator could remove: counted apart, named with the way
// to clean them, and with --admin handed to the administrator step (pkexec kelvo-cli clean --from
// - --yes, the elevation command named by KELVO_ELEVATE), whose report is put in the usual words.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "clean_command.h"
#include "cleanup/deletion.h"

namespace CLI {
class App;
}

namespace kelvo::cli {

void AddAdminOption(CLI::App& command, bool& admin);

// Takes the rows the effective user could not remove out of rows, keeping the order of both.
std::vector<cleanup::DeletionRequest> TakeAdminRows(std::vector<cleanup::DeletionRequest>& rows);

// ", N need administrator rights" for a scan's summary, or nothing.
std::string NeedAdminText(std::uint64_t count);

// What the dry run says of them (their paths too when --admin would clean them), or nothing.
std::string AdminDryRunText(const std::vector<cleanup::DeletionRequest>& adminRows,
                            const CleanOptions& options);
// For the question: ", then N files (B bytes) as administrator" with --admin, else what stays.
std::string AdminQuestionText(const std::vector<cleanup::DeletionRequest>& adminRows,
                              const CleanOptions& options);
// After the user's own rows: the note that they were left alone and how to clean them.
std::string AdminLeftText(const std::vector<cleanup::DeletionRequest>& adminRows);

// Runs the administrator step for the rows, prints its report as a clean prints its own, and
// returns the exit status (kExitPartial when a row was not removed or the step did not answer).
int RunAdminStep(const std::vector<cleanup::DeletionRequest>& adminRows,
                 const CleanOptions& options);

}  // namespace kelvo::cli
