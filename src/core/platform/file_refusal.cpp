#include "platform/file_refusal.h"

#include <string>

namespace kelvo::platform {
namespace {

class FileRefusalCategoryImpl final : public std::error_category {
 public:
  const char* name() const noexcept override { return "kelvo-file"; }
  std::string message(int value) const override {
    switch (static_cast<FileRefusal>(value)) {
      case FileRefusal::kNotRegularFile:
        return "not a regular file";
      case FileRefusal::kForeignLink:
        return "a symbolic link or its target belongs to another user";
    }
    return "refused";
  }
};

}  // namespace

const std::error_category& FileRefusalCategory() {
  static const FileRefusalCategoryImpl category;
  return category;
}

}  // namespace kelvo::platform
