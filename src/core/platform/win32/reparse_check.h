// A second look for reparse points, by path. A handle opened with FILE_FLAG_OPEN_REPARSE_POINT
// normally shows the link itself; Wine opens the target of its host links even then, and only the
// attributes by path still show the link. Code that must never pass through a link asks both.
#pragma once

#include <windows.h>

#include <string>

namespace kelvo::platform {

inline bool PathShowsReparsePoint(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace kelvo::platform
