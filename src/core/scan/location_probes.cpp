#include "scan/location_probes.h"

namespace kelvo::scan {
namespace {

class SystemLocationProbes final : public LocationProbes {
 public:
  bool LockHeld(const NativeString& lock, LockStyle style) override {
    return scan::LockHeld(lock, style);
  }
  bool FileLockHeld(const NativeString& path) override { return platform::FileLockHeld(path); }
  bool EntryExists(const NativeString& path) override { return platform::EntryExists(path); }
  std::optional<platform::EntryOwner> OwnerOf(const NativeString& path) override {
    return platform::OwnerOf(path);
  }
  std::uint32_t EffectiveUser() override { return platform::EffectiveUserId(); }
  std::string FileStart(const NativeString& path, std::size_t bytes) override {
    return platform::ReadFileStart(path, bytes);
  }
  std::shared_ptr<const OpenFiles> FilesOpenNow() override {
    const auto ids = platform::OpenFileIds();
    return std::make_shared<const OpenFiles>(ids.begin(), ids.end());
  }
};

}  // namespace

LocationProbes& SystemProbes() {
  static SystemLocationProbes probes;
  return probes;
}

}  // namespace kelvo::scan
