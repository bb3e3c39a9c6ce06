#include "settings/boot_cleanup.h"

#include "platform/boot_script.h"
#include "platform/file_update.h"
#include "platform/known_folders.h"
#include "platform/native_path.h"

namespace kelvo::settings {
namespace {

constexpr char kDosEndOfFile = '\x1A';

std::string_view WithoutLineEnd(std::string_view line) {
  if (line.ends_with('\n')) line.remove_suffix(1);
  if (line.ends_with('\r')) line.remove_suffix(1);
  return line;
}

}  // namespace

BootCleanupTarget DefaultBootCleanupTarget() {
  platform::BootScriptLine boot = platform::TempCleanupLine(GetWinDir());
  return {boot.file, boot.line, boot.ending, AsciiToNative("/")};
}

std::optional<std::string> BootCleanupDoneBy(const BootCleanupTarget& target) {
  return platform::ExistingTempCleanupRule(target.configRoot, GetWinDir(), target.file);
}

std::optional<std::string> WithCleanupLine(std::string_view content,
                                           const BootCleanupTarget& target) {
  std::string_view body = content;
  bool endOfFileMark = body.ends_with(kDosEndOfFile);
  if (endOfFileMark) body.remove_suffix(1);

  std::string out;
  out.reserve(content.size() + target.line.size() + 2 * target.ending.size());
  int copies = 0;
  std::size_t pos = 0;
  while (pos < body.size()) {
    std::size_t nl = body.find('\n', pos);
    std::size_t end = nl == std::string_view::npos ? body.size() : nl + 1;
    std::string_view line = body.substr(pos, end - pos);
    pos = end;
    if (WithoutLineEnd(line) == target.line && ++copies > 1) continue;
    out.append(line);
  }
  if (copies == 1) return std::nullopt;
  if (copies == 0) {
    if (!out.empty() && out.back() != '\n') out.append(target.ending);
    out.append(target.line).append(target.ending);
  }
  if (endOfFileMark) out.push_back(kDosEndOfFile);
  return out;
}

std::error_code WriteBootCleanup(const BootCleanupTarget& target) {
  return platform::UpdateFileAtomically(target.file, [&](std::string_view current, bool) {
    return WithCleanupLine(current, target);
  });
}

NativeString GetWinDir() {
  return platform::WithTrailingSeparator(platform::OperatingSystemFolder());
}

}  // namespace kelvo::settings
