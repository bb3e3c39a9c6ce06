#include "scan/browser_lock.h"

#include <charconv>

#include "platform/process_probe.h"

namespace kelvo::scan {
namespace {

std::optional<long long> Number(std::string_view text) {
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value <= 0) return std::nullopt;
  return value;
}

}  // namespace

std::optional<LockOwner> ParseLockText(std::string_view text, LockStyle style) {
  const std::string_view mark = style == LockStyle::kFirefox ? ":+" : "-";
  const std::size_t at = text.rfind(mark);
  if (at == std::string_view::npos || at == 0) return std::nullopt;
  const auto pid = Number(text.substr(at + mark.size()));
  if (!pid) return std::nullopt;
  LockOwner owner;
  owner.host = std::string(text.substr(0, at));
  owner.pid = *pid;
  return owner;
}

bool LockHeld(const NativeString& lockPath, LockStyle style) {
  if (!platform::EntryExists(lockPath)) return false;
  // A lock that is no link (a plain file), or whose link cannot be read, says nothing of who holds
  // it: the cache is left alone.
  const auto text = platform::ReadLinkText(lockPath);
  if (!text) return true;
  const auto owner = ParseLockText(*text, style);
  if (!owner) return true;
  // A profile on a shared home may be in use on another machine, whose processes cannot be seen.
  if (style == LockStyle::kChromium && owner->host != platform::HostName()) return true;
  if (style == LockStyle::kFirefox && !platform::IsOwnAddress(owner->host)) return true;
  return platform::ProcessRuns(owner->pid);
}

}  // namespace kelvo::scan
