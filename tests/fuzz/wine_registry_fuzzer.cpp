// Fuzz target: any bytes as a Wine registry file. The reader must never crash, hang or read out of
// bounds, and what it returns must be usable: every key found again by its path, names surviving
// the UTF-8 round trip, and the shared-DLL audit running over it with every key closed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "components/registry_value.h"
#include "components/shared_dll_audit.h"
#include "platform/posix/wine_prefix.h"
#include "platform/posix/wine_registry_file.h"
#include "text/utf16_text.h"

namespace {

using namespace kelvo;

// Stops the run loudly: a failed property is a finding like a crash.
void Check(bool ok) {
  if (!ok) std::abort();
}

class CountingSink final : public scan::ScanSink {
 public:
  void FolderReached(NativeStringView) override { std::abort(); }
  void RowFound(scan::JunkItem item) override {
    Check(item.rule == scan::kAuditRule);
    ++rows;
  }
  void FolderUnreadable(NativeStringView, std::error_code) override { std::abort(); }
  void ProgressTick() override { ++ticks; }
  void WalkEnded() override { std::abort(); }

  std::size_t rows = 0;
  std::size_t ticks = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto parsed = platform::wine::WineRegistryFile::Parse(text);
  if (!parsed) {
    Check(!parsed.error().empty());
    return 0;
  }
  Check(parsed->problems().size() <= parsed->problemCount());
  for (const auto& key : parsed->keys()) {
    Check(parsed->FindKey(key.path()) == &key);
    Check(text::Utf8ToUtf16(text::Utf16ToUtf8(key.path())) == key.path());
    for (const auto& value : key.values()) {
      Check(key.FindValue(value.name) == &value);
      Check(text::Utf8ToUtf16(text::Utf16ToUtf8(value.name)) == value.name);
      if (value.type == 1 || value.type == 2) {
        std::u16string units;
        for (std::size_t i = 0; i + 1 < value.data.size(); i += 2)
          units.push_back(static_cast<char16_t>(value.data[i] | (value.data[i + 1] << 8)));
        components::TextIsZero(units);
      }
    }
  }

  auto file = std::make_shared<const platform::wine::WineRegistryFile>(std::move(*parsed));
  auto registry =
      platform::WineRegistry::WithLoader([file](platform::RegRoot, platform::RegStatus& status) {
        status = platform::kRegSuccess;
        return file;
      });
  CountingSink sink;
  const auto summary = components::AuditSharedDlls(sink, *registry, {});
  Check(summary.redundant == sink.rows);
  Check(sink.ticks >= summary.examined);  // one tick per attempt
  Check(registry->OpenKeyCount() == 0);
  return 0;
}
