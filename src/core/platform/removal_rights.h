// Whether the effective user may remove an entry, or only an administrator could: told before
// anyone asks, so that such rows are counted apart instead of failing one by one.
#pragma once

#include <memory>

#include "platform/native_string.h"

namespace kelvo::platform {

class RemovalRights {
 public:
  virtual ~RemovalRights() = default;
  // True when the effective user lacks the right to remove the entry at path (absolute) and an
  // administrator has it. False when the user may remove it, when nobody may (a read-only mount:
  // an administrator would fail as well), and when it cannot be told (the entry or its folder is
  // gone). The answer about a folder is kept, so the rows of one folder cost one check and, in a
  // sticky folder, one status read each.
  virtual bool NeedsAdministrator(NativeStringView path) = 0;
};

// The rights of this process's effective user.
std::unique_ptr<RemovalRights> MakeNativeRemovalRights();

}  // namespace kelvo::platform
