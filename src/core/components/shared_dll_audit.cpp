#include "components/shared_dll_audit.h"

#include <algorithm>

#include "components/registry_value.h"
#include "scan/junk_rules.h"
#include "scan/path_functions.h"

namespace kelvo::components {
namespace {

// Buffers start as the table's entries usually need and grow up to what any registry allows.
constexpr std::uint32_t kFirstNameCapacity = 256;
constexpr std::uint32_t kFirstDataCapacity = 256;
constexpr std::uint32_t kLargestNameCapacity = 32768;
constexpr std::uint32_t kLargestDataCapacity = 64u << 20;

scan::JunkItem AuditRow(const NativeString& name, const platform::FileSizeLookup& fileSize) {
  scan::JunkItem item;
  item.fileName = scan::GetFileName<NativeChar>(name, static_cast<NativeChar>('\\'));
  item.fullPath = name;
  item.typeLabel = Utf8ToNative(scan::kAuditLabel);
  if (fileSize) item.size = fileSize(name);
  item.rule = scan::kAuditRule;
  return item;
}

}  // namespace

AuditSummary AuditSharedDlls(scan::ScanSink& sink, platform::Registry& registry,
                             const platform::FileSizeLookup& fileSize) {
  AuditSummary summary;
  const NativeString subkey = AsciiToNative(kSharedDllsKey);
  platform::RegKey key;
  summary.openStatus =
      registry.OpenKey(platform::RegRoot::kLocalMachine, subkey, platform::kKeyQueryValue, key);
  if (summary.openStatus != platform::kRegSuccess) return summary;
  platform::ScopedRegKey closer(registry, key);

  std::uint32_t nameCapacity = kFirstNameCapacity;
  std::uint32_t dataCapacity = kFirstDataCapacity;
  bool more = true;
  for (std::uint32_t index = 0; more; sink.ProgressTick()) {
    platform::EnumeratedValue entry;
    const platform::RegStatus status =
        registry.EnumValue(key, index, nameCapacity, dataCapacity, entry);
    if (status == platform::kRegMoreData) {
      const std::uint32_t grownName = std::min(nameCapacity * 2, kLargestNameCapacity);
      const std::uint32_t grownData =
          std::min(std::max(dataCapacity * 2, entry.requiredDataSize), kLargestDataCapacity);
      if (grownName != nameCapacity || grownData != dataCapacity) {
        nameCapacity = grownName;  // the same entry again, with larger buffers
        dataCapacity = grownData;
      } else {
        ++summary.unreadable;  // larger than any registry entry: skip it, go on
        ++index;
      }
      continue;
    }
    if (status == platform::kRegInvalidData) {
      ++summary.examined;  // an entry that may have been a count of 0: counted, not listed
      ++summary.unreadable;
      ++index;
      continue;
    }
    if (status != platform::kRegSuccess) {
      summary.endStatus = status;
      more = false;
      continue;
    }
    ++summary.examined;
    ++index;
    const NativeString name = scan::CutAtNul(entry.name);
    RegValue value;
    const platform::RegStatus read =
        ReadRegValue(registry, platform::RegRoot::kLocalMachine, subkey, name, value);
    const auto* text = std::get_if<std::u16string>(&value);
    if (read != platform::kRegSuccess || std::holds_alternative<std::monostate>(value) ||
        (text && !TextIsZero(*text))) {
      ++summary.unreadable;
      continue;
    }
    if (!IsZeroCount(value)) continue;
    sink.RowFound(AuditRow(name, fileSize));
    ++summary.redundant;
  }
  return summary;
}

void AuditSharedDlls(scan::ScanSink& sink) {
  AuditSharedDlls(sink, platform::NativeRegistry(), platform::NativeWindowsFileSize);
}

}  // namespace kelvo::components
