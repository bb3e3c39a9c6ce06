// A file's whole content, for comparing; a file that cannot be read fails the test and gives "".
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/file_update.h"
#include "platform/native_string.h"

namespace kelvo::testing {

inline std::string FileText(const NativeString& path) {
  const auto bytes = platform::ReadWholeFile(path);
  EXPECT_TRUE(bytes) << NativeToUtf8(path);
  return bytes.value_or("");
}

}  // namespace kelvo::testing
