// Deleting needs DELETE access to the entry, or FILE_DELETE_CHILD on its folder. The folder is
// asked once; only where it refuses is each entry opened for DELETE, without following a reparse
// point. Sharing errors (a file in use) are not a matter of rights and are left to the removal.
#include <windows.h>

#include <system_error>

#include "platform/removal_rights.h"
#include "platform/win32/long_path.h"
#include "platform/win32/win32_handle.h"

namespace kelvo::platform {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kOpenAsIs = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;

// ERROR_ACCESS_DENIED when the rights are missing, ERROR_SUCCESS when granted.
DWORD TryOpen(const NativeString& path, DWORD access) {
  std::error_code ec;
  const NativeString longPath = ToLongPath(path, ec);
  if (ec) return ERROR_INVALID_NAME;
  UniqueHandle handle(::CreateFileW(longPath.c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                                    kOpenAsIs, nullptr));
  return handle ? ERROR_SUCCESS : ::GetLastError();
}

class Win32RemovalRights final : public RemovalRights {
 public:
  bool NeedsAdministrator(NativeStringView path) override {
    const std::size_t cut = path.find_last_of(L"\\/");
    if (cut == NativeStringView::npos || cut + 1 == path.size()) return false;
    const NativeString folder(path.substr(0, cut + 1));
    if (folder != folder_) {
      folder_ = folder;
      folderGrants_ = TryOpen(folder, FILE_DELETE_CHILD) == ERROR_SUCCESS;
    }
    if (folderGrants_) return false;
    return TryOpen(NativeString(path), DELETE) == ERROR_ACCESS_DENIED;
  }

 private:
  NativeString folder_;
  bool folderGrants_ = false;
};

}  // namespace

std::unique_ptr<RemovalRights> MakeNativeRemovalRights() {
  return std::make_unique<Win32RemovalRights>();
}

}  // namespace kelvo::platform
