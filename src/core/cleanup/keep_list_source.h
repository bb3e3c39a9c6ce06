// Where a removal takes its keep-list from: asked again before every row, so that an entry added
// while a question waited, or while a long deletion runs, holds from the next row on.
#pragma once

#include <memory>
#include <system_error>

#include "scan/keep_list.h"
#include "text/result.h"

namespace kelvo::cleanup {

class KeepListSource {
 public:
  virtual ~KeepListSource() = default;
  // The list as it stands now; an error when it cannot be read, which stops the removal: an
  // unreadable list is never taken for an empty one.
  virtual Result<std::shared_ptr<const scan::KeepList>> Current() = 0;
};

// A list that does not change (one given whole, tests).
class FixedKeepList final : public KeepListSource {
 public:
  explicit FixedKeepList(scan::KeepList list)
      : list_(std::make_shared<const scan::KeepList>(std::move(list))) {}
  Result<std::shared_ptr<const scan::KeepList>> Current() override { return list_; }

 private:
  std::shared_ptr<const scan::KeepList> list_;
};

}  // namespace kelvo::cleanup
