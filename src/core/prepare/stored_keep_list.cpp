#include "prepare/stored_keep_list.h"

#include "platform/file_system.h"
#include "platform/native_path.h"

namespace kelvo::prepare {
namespace {

Result<std::vector<settings::KeepEntry>> ReadEntries(const NativeString& path) {
  return settings::ReadKeepList(path);
}

}  // namespace

scan::KeepList BuildKeepList(const std::vector<settings::KeepEntry>& entries,
                             const std::vector<NativeString>& patterns) {
  scan::KeepList list;
  for (const settings::KeepEntry& e : entries) {
    if (e.kind == settings::KeepEntry::Kind::kPattern) {
      list.AddPattern(e.text);
      continue;
    }
    list.AddFolder(e.text);
    std::error_code ec;
    const NativeString folder = platform::WithTrailingSeparator(e.text);
    if (auto dir = platform::NativeFileSystem().OpenDirectory(folder, ec))
      list.AddFolderIdentity(dir->Device(), dir->Inode());
  }
  for (const NativeString& p : patterns) list.AddPattern(p);
  return list;
}

StoredKeepList::StoredKeepList(NativeString settingsPath, std::vector<NativeString> patterns,
                               std::shared_ptr<const scan::KeepList> also)
    : path_(std::move(settingsPath)), patterns_(std::move(patterns)), also_(std::move(also)) {}

std::shared_ptr<const scan::KeepList> StoredKeepList::Build(
    const std::vector<settings::KeepEntry>& entries) const {
  auto list = std::make_shared<scan::KeepList>(BuildKeepList(entries, patterns_));
  if (also_) list->Add(*also_);
  return list;
}

Result<std::shared_ptr<const scan::KeepList>> StoredKeepList::Current() {
  if (path_.empty()) {
    if (!list_) list_ = Build({});
    return list_;
  }
  const platform::FileStamp stamp = platform::StampOf(path_);
  if (!loaded_ || stamp != stamp_ || !stamp.readable) {
    loaded_ = true;
    stamp_ = stamp;
    auto entries = ReadEntries(path_);
    if (entries) {
      list_ = Build(*entries);
      error_.clear();
    } else {
      list_.reset();
      error_ = entries.error();
    }
  }
  if (!list_) return Unexpected(error_);
  return list_;
}

}  // namespace kelvo::prepare
