// The fixed drives of Windows, in drive-letter order, with their volume labels.
#include <windows.h>

#include <array>

#include "platform/drives.h"

namespace kelvo::platform {
namespace {

// The root strings of every drive letter in use, "C:\" and so on.
std::vector<NativeString> LogicalDriveRoots() {
  std::vector<wchar_t> buffer(128);
  for (;;) {
    const DWORD length =
        ::GetLogicalDriveStringsW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length == 0) return {};
    if (length < buffer.size()) break;
    buffer.resize(length + 1);
  }
  std::vector<NativeString> roots;
  for (const wchar_t* p = buffer.data(); *p; p += roots.back().size() + 1) roots.emplace_back(p);
  return roots;
}

NativeString VolumeLabel(const NativeString& root) {
  std::array<wchar_t, MAX_PATH + 1> label{};
  // No "insert a disk" box for a drive without its medium.
  const UINT oldMode = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  const BOOL ok =
      ::GetVolumeInformationW(root.c_str(), label.data(), static_cast<DWORD>(label.size()), nullptr,
                              nullptr, nullptr, nullptr, 0);
  ::SetErrorMode(oldMode);
  return ok ? NativeString(label.data()) : NativeString();
}

}  // namespace

std::vector<Drive> ListFixedDrives() {
  std::vector<Drive> drives;
  for (NativeString& root : LogicalDriveRoots()) {
    if (::GetDriveTypeW(root.c_str()) != DRIVE_FIXED) continue;
    const NativeString label = VolumeLabel(root);
    Drive d;
    d.text = label.empty() ? root : root + L"(" + label + L")";
    d.key = std::move(root);
    drives.push_back(std::move(d));
  }
  return drives;
}

}  // namespace kelvo::platform
