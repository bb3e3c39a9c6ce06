#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/posix/unique_fd.h"
#include "platform/posix/whole_file.h"
#include "platform/posix/wine_prefix.h"
#include "text/utf16_text.h"

namespace kelvo::platform {
namespace {

RegStatus StatusFromErrno(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return kRegAccessDenied;
    case ENOENT:
    case ENOTDIR:
      return kRegFileNotFound;
    default:
      return kRegCorrupt;
  }
}

}  // namespace

WineRegistry::WineRegistry(Loader load) : load_(std::move(load)) {}

WineRegistry::WineRegistry(std::function<std::string()> prefix) {
  load_ = [this, prefix = std::move(prefix)](RegRoot root, RegStatus& status) {
    return LoadFromPrefix(prefix, root, status);
  };
}

std::unique_ptr<WineRegistry> WineRegistry::WithLoader(Loader load) {
  return std::unique_ptr<WineRegistry>(new WineRegistry(std::move(load)));
}

std::shared_ptr<const wine::WineRegistryFile> WineRegistry::LoadFromPrefix(
    const std::function<std::string()>& prefix, RegRoot root, RegStatus& status) {
  const std::string folder = prefix();
  if (folder.empty()) {  // no $WINEPREFIX and no home folder: there is no prefix
    status = kRegFileNotFound;
    return nullptr;
  }
  const std::string path = folder + (root == RegRoot::kLocalMachine ? "/system.reg" : "/user.reg");
  // Non-blocking: a FIFO or device put there must not hold the open; only a plain file is read.
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  struct stat st;
  if (!fd || ::fstat(fd.get(), &st) != 0) {
    status = StatusFromErrno(errno);
    return nullptr;
  }
  if (!S_ISREG(st.st_mode)) {
    status = kRegNotAFile;
    return nullptr;
  }
  if (static_cast<std::uint64_t>(st.st_size) > kLargestRegistryFile) {
    status = kRegFileTooLarge;
    return nullptr;
  }
  const std::int64_t modifiedNs =
      static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  CachedFile& cached = cache_[root == RegRoot::kLocalMachine ? 0 : 1];
  {
    std::lock_guard lock(mutex_);
    if (cached.file && cached.path == path && cached.device == st.st_dev &&
        cached.inode == st.st_ino && cached.size == static_cast<std::uint64_t>(st.st_size) &&
        cached.modifiedNs == modifiedNs) {
      status = kRegSuccess;
      return cached.file;
    }
  }
  auto text = ReadWholeFile(fd.get(), kLargestRegistryFile);
  if (!text) {
    status = text.error() == std::errc::file_too_large ? kRegFileTooLarge : kRegCorrupt;
    return nullptr;
  }
  auto parsed = wine::WineRegistryFile::Parse(*text);
  if (!parsed) {
    status = kRegCorrupt;
    return nullptr;
  }
  auto file = std::make_shared<const wine::WineRegistryFile>(std::move(*parsed));
  std::lock_guard lock(mutex_);
  cached = {path,
            static_cast<std::uint64_t>(st.st_dev),
            static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::uint64_t>(st.st_size),
            modifiedNs,
            file};
  status = kRegSuccess;
  return file;
}

Result<RegKey, RegStatus> WineRegistry::OpenKey(RegRoot root, NativeStringView subkey,
                                                std::uint32_t access) {
  RegStatus status = kRegSuccess;
  auto file = load_(root, status);
  if (!file) return Unexpected<RegStatus>{status == kRegSuccess ? kRegFileNotFound : status};
  const auto* record = file->FindKey(text::Utf8ToUtf16(NativeToUtf8(subkey)));
  if (!record) return Unexpected<RegStatus>{kRegFileNotFound};
  std::lock_guard lock(mutex_);
  const std::uintptr_t handle = nextHandle_++;
  open_[handle] = {std::move(file), record, access};
  return RegKey{handle};
}

bool WineRegistry::Find(RegKey key, OpenedKey& out) {
  std::lock_guard lock(mutex_);
  auto it = open_.find(key.value);
  if (it == open_.end()) return false;
  out = it->second;
  return true;
}

namespace {

bool TooLarge(const wine::RegistryValue& value) {
  return value.name.size() + 1 > kLargestValueName || value.data.size() > kLargestValueData;
}

}  // namespace

Result<RegEntry, RegStatus> WineRegistry::ValueAt(RegKey key, std::uint32_t index) {
  OpenedKey opened;
  if (!Find(key, opened)) return Unexpected<RegStatus>{kRegInvalidHandle};
  if (!(opened.access & kKeyQueryValue)) return Unexpected<RegStatus>{kRegAccessDenied};
  const auto& values = opened.record->values();
  // Lines of the key that could not be read come after its values, one entry each.
  if (index >= values.size())
    return Unexpected<RegStatus>{index - values.size() < opened.record->unreadableValues()
                                     ? kRegInvalidData
                                     : kRegNoMoreItems};
  const wine::RegistryValue& value = values[index];
  if (TooLarge(value)) return Unexpected<RegStatus>{kRegMoreData};
  return RegEntry{Utf8ToNative(text::Utf16ToUtf8(value.name)), value.type, value.data};
}

Result<RegEntry, RegStatus> WineRegistry::Value(RegKey key, NativeStringView name) {
  OpenedKey opened;
  if (!Find(key, opened)) return Unexpected<RegStatus>{kRegInvalidHandle};
  if (!(opened.access & kKeyQueryValue)) return Unexpected<RegStatus>{kRegAccessDenied};
  const auto* value = opened.record->FindValue(text::Utf8ToUtf16(NativeToUtf8(name)));
  if (!value) return Unexpected<RegStatus>{kRegFileNotFound};
  if (value->data.size() > kLargestValueData) return Unexpected<RegStatus>{kRegMoreData};
  return RegEntry{NativeString(name), value->type, value->data};
}

RegStatus WineRegistry::CloseKey(RegKey key) {
  std::lock_guard lock(mutex_);
  return open_.erase(key.value) ? kRegSuccess : kRegInvalidHandle;
}

std::size_t WineRegistry::OpenKeyCount() {
  std::lock_guard lock(mutex_);
  return open_.size();
}

}  // namespace kelvo::platform
