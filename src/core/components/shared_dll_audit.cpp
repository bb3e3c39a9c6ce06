#include "components/shared_dll_audit.h"

#include "components/registry_value.h"
#include "platform/native_path.h"
#include "scan/junk_rules.h"

namespace kelvo::components {
namespace {

scan::JunkItem AuditRow(const NativeString& name, const platform::FileSizeLookup& fileSize) {
  scan::JunkItem item;
  item.fileName = platform::GetFileName<NativeChar>(name, static_cast<NativeChar>('\\'));
  item.fullPath = name;
  item.typeLabel = Utf8ToNative(kAuditLabel);
  if (fileSize) item.size = fileSize(name);
  item.rule = scan::kAuditRule;
  return item;
}

}  // namespace

AuditSummary AuditSharedDlls(scan::ScanSink& sink, platform::Registry& registry,
                             const platform::FileSizeLookup& fileSize) {
  AuditSummary summary;
  const NativeString subkey = AsciiToNative(kSharedDllsKey);
  const auto key =
      registry.OpenKey(platform::RegRoot::kLocalMachine, subkey, platform::kKeyQueryValue);
  if (!key) {
    summary.openStatus = key.error();
    return summary;
  }
  summary.openStatus = platform::kRegSuccess;
  platform::ScopedRegKey closer(registry, *key);

  bool more = true;
  for (std::uint32_t index = 0; more; sink.ProgressTick()) {
    const auto entry = registry.ValueAt(*key, index);
    if (!entry && entry.error() == platform::kRegMoreData) {
      ++summary.unreadable;  // larger than any registry entry: skip it, go on
      ++index;
      continue;
    }
    if (!entry && entry.error() == platform::kRegInvalidData) {
      ++summary.examined;  // an entry that may have been a count of 0: counted, not listed
      ++summary.unreadable;
      ++index;
      continue;
    }
    if (!entry) {
      summary.endStatus = entry.error();
      more = false;
      continue;
    }
    ++summary.examined;
    ++index;
    const NativeString name = platform::CutAtNul(entry->name);
    const auto value = ReadRegValue(registry, platform::RegRoot::kLocalMachine, subkey, name);
    const auto* text = value ? std::get_if<std::u16string>(&*value) : nullptr;
    if (!value || std::holds_alternative<std::monostate>(*value) || (text && !TextIsZero(*text))) {
      ++summary.unreadable;
      continue;
    }
    if (!IsZeroCount(*value)) continue;
    sink.RowFound(AuditRow(name, fileSize));
    ++summary.redundant;
  }
  return summary;
}

void AuditSharedDlls(scan::ScanSink& sink) {
  AuditSharedDlls(sink, platform::NativeRegistry(), platform::NativeWindowsFileSize);
}

}  // namespace kelvo::components
