// Unlinking needs write and search permission on the folder, and in a sticky folder (/tmp) the
// entry or the folder must belong to the user as well. Root (CAP_FOWNER, CAP_DAC_OVERRIDE) needs
// neither; what stops root too (a read-only mount, an immutable file) is no reason to ask for it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/removal_rights.h"

namespace kelvo::platform {
namespace {

enum class FolderAccess { kUnknown, kWritable, kAdministratorOnly, kNobody };

class PosixRemovalRights final : public RemovalRights {
 public:
  bool NeedsAdministrator(NativeStringView path) override {
    if (user_ == 0) return false;
    const std::size_t cut = path.find_last_of('/');
    if (cut == NativeStringView::npos || cut + 1 == path.size()) return false;
    const NativeString folder(path.substr(0, cut == 0 ? 1 : cut));
    if (folder != folder_) Look(folder);
    if (access_ == FolderAccess::kAdministratorOnly) return true;
    if (access_ != FolderAccess::kWritable || !sticky_ || folderOwner_ == user_) return false;
    struct stat entry {};
    const NativeString name(path);
    return ::lstat(name.c_str(), &entry) == 0 && entry.st_uid != user_;
  }

 private:
  void Look(const NativeString& folder) {
    folder_ = folder;
    access_ = FolderAccess::kUnknown;
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) return;
    sticky_ = (st.st_mode & S_ISVTX) != 0;
    folderOwner_ = st.st_uid;
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0)
      access_ = FolderAccess::kWritable;
    else if (errno == EACCES || errno == EPERM)
      access_ = FolderAccess::kAdministratorOnly;
    else if (errno == EROFS)
      access_ = FolderAccess::kNobody;
  }

  const uid_t user_ = ::geteuid();
  NativeString folder_;
  FolderAccess access_ = FolderAccess::kUnknown;
  bool sticky_ = false;
  uid_t folderOwner_ = 0;
};

}  // namespace

std::unique_ptr<RemovalRights> MakeNativeRemovalRights() {
  return std::make_unique<PosixRemovalRights>();
}

}  // namespace kelvo::platform
