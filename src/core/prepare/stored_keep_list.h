// The keep-list as the settings file holds it, read again whenever the file changed, with the
// patterns given for one run added. Kept folders are also known by identity, so that a bind mount
// or another path to them is kept too.
#pragma once

#include <memory>
#include <system_error>
#include <vector>

#include "cleanup/keep_list_source.h"
#include "platform/file_stamp.h"
#include "platform/native_string.h"
#include "settings/keep_list_file.h"

namespace kelvo::prepare {

// The list of those entries and patterns, each kept folder with its identity where it exists.
scan::KeepList BuildKeepList(const std::vector<settings::KeepEntry>& entries,
                             const std::vector<NativeString>& patterns);

class StoredKeepList final : public cleanup::KeepListSource {
 public:
  // settingsPath empty: no stored list, only the patterns (and also, when given).
  StoredKeepList(NativeString settingsPath, std::vector<NativeString> patterns,
                 std::shared_ptr<const scan::KeepList> also = nullptr);

  // One look at the file's stamp per call; read again only when it changed.
  Result<std::shared_ptr<const scan::KeepList>> Current() override;

 private:
  std::shared_ptr<const scan::KeepList> Build(
      const std::vector<settings::KeepEntry>& entries) const;

  NativeString path_;
  std::vector<NativeString> patterns_;
  std::shared_ptr<const scan::KeepList> also_;
  bool loaded_ = false;
  platform::FileStamp stamp_;
  std::shared_ptr<const scan::KeepList> list_;
  std::error_code error_;
};

}  // namespace kelvo::prepare
