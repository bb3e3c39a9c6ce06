#include "platform/file_system.h"

namespace kelvo::platform {

void Listing::Add(NativeStringView name, EntryType type, std::uint32_t attributes,
                  bool attributesComplete) {
  Entry e;
  e.offset = static_cast<std::uint32_t>(names_.size());
  e.length = static_cast<std::uint32_t>(name.size());
  e.type = type;
  e.attributes = attributes;
  e.attributesComplete = attributesComplete;
  names_.append(name);
  names_.push_back(NativeChar{});
  entries_.push_back(e);
}

}  // namespace kelvo::platform
