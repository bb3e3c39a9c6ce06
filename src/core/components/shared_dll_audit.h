// The shared-DLL audit: lists every file of the registry's shared-file table
// (HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\SharedDLLs, one value per file,
// named by its full path, holding the number of programs that use it) whose count has dropped to 0.
// It only reads; deleting a listed file is the user's later choice.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/registry.h"
#include "scan/scan_sink.h"

namespace kelvo::components {

inline constexpr std::string_view kSharedDllsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

// The type label of the audit's rows (UTF-8).
inline constexpr std::string_view kAuditLabel = "冗余的DLL或组件文件";

struct AuditSummary {
  platform::RegStatus openStatus = platform::kRegSuccess;  // of the table; non-zero: not read
  platform::RegStatus endStatus = platform::kRegSuccess;   // that ended the enumeration
  std::size_t examined = 0;                                // entries enumerated
  std::size_t redundant = 0;                               // rows added
  std::size_t unreadable = 0;  // entries that could not be read or are not a count
};

// Adds one row (rule scan::kAuditRule) per entry whose count is 0 to the sink, and ticks the sink
// after each enumeration attempt, so that its row count is shown. An entry that cannot be
// read, is not of a count type (1-4) or is a text that is not a number is never listed.
void AuditSharedDlls(scan::ScanSink& sink);
AuditSummary AuditSharedDlls(scan::ScanSink& sink, platform::Registry& registry,
                             const platform::FileSizeLookup& fileSize);

}  // namespace kelvo::components
