// Components as shared objects: dlopen/dlsym, and the entry run on a std::thread whose end is
// signalled through state shared with the waiter, so a thread that outlives the wait is harmless.
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/component_loader.h"
#include "platform/file_update.h"

namespace kelvo::platform {
namespace {

using Entry = std::int32_t (*)();

struct RunState {
  std::mutex mutex;
  std::condition_variable ended;
  bool done = false;
};

// Who may have written an entry: nobody but root and us, or (for a folder) anybody only under a
// root-owned sticky bit.
std::optional<std::string> NotOurs(const std::string& path, const struct stat& st, bool folder) {
  if (st.st_uid != 0 && st.st_uid != ::geteuid()) return path + " belongs to another user";
  if ((st.st_mode & (S_IWGRP | S_IWOTH)) == 0) return std::nullopt;
  if (folder && (st.st_mode & S_ISVTX) && st.st_uid == 0) return std::nullopt;
  return path + " is writable by group or others";
}

NativeString FolderOf(const NativeString& path) {
  auto slash = path.rfind('/');
  if (slash == NativeString::npos) return {};
  return slash == 0 ? "/" : path.substr(0, slash);
}

class PosixComponentLoader final : public ComponentLoader {
 public:
  bool Copy(const NativeString& from, const NativeString& to) override {
    const auto read = ReadWholeFile(from);
    if (!read) return false;
    const std::string& bytes = *read;
    // The system folder is ours on POSIX, so it is made on the first copy. Writing a new file and
    // renaming it keeps a library that some process has mapped intact.
    NativeString folder = FolderOf(to);
    if (!folder.empty() && MakeFolders(folder)) return false;
    return !UpdateFileAtomically(
        to, [&](std::string_view current, bool existed) -> std::optional<std::string> {
          if (existed && current == bytes) return std::nullopt;
          return bytes;
        });
  }

  bool IsPresent(const NativeString& path) override {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }

  LibraryHandle Load(const NativeString& path) override {
    // A name without a slash would be searched for in the library path instead.
    NativeString exact = path.find('/') == NativeString::npos ? "./" + path : path;
    return ::dlopen(exact.c_str(), RTLD_NOW | RTLD_LOCAL);
  }

  EntryAddress FindEntry(LibraryHandle library, const char* name) override {
    return ::dlsym(library, name);
  }

  void Unload(LibraryHandle library) override { ::dlclose(library); }

  std::optional<std::string> Untrusted(const NativeString& copy,
                                       const NativeString& source) override {
    struct stat st;
    if (::lstat(copy.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
      return copy + " is not a plain file";
    if (auto why = NotOurs(copy, st, false)) return why;
    char resolved[PATH_MAX];
    if (!::realpath(FolderOf(copy).c_str(), resolved))
      return FolderOf(copy) + " cannot be resolved";
    for (std::string folder = resolved;; folder = FolderOf(folder)) {
      if (::lstat(folder.c_str(), &st) != 0) return folder + " cannot be examined";
      if (auto why = NotOurs(folder, st, true)) return why;
      if (folder == "/") break;
    }
    const auto ours = ReadWholeFile(source);
    if (!ours) return "Kelvo has no " + source + " to compare it with";
    const auto theirs = ReadWholeFile(copy);
    if (!theirs || *ours != *theirs) return "it is not Kelvo's copy of " + source;
    return std::nullopt;
  }

  EntryRun RunEntry(EntryAddress entry, std::chrono::milliseconds limit) override {
    auto state = std::make_shared<RunState>();
    auto function = reinterpret_cast<Entry>(entry);
    std::thread worker;
    try {
      worker = std::thread([state, function] {
        function();
        std::lock_guard lock(state->mutex);
        state->done = true;
        state->ended.notify_all();
      });
    } catch (const std::system_error&) {
      return EntryRun::kNotStarted;
    }
    bool done;
    {
      std::unique_lock lock(state->mutex);
      done = state->ended.wait_for(lock, limit, [&] { return state->done; });
    }
    if (done) {
      worker.join();
      return EntryRun::kEnded;
    }
    worker.detach();
    return EntryRun::kStillRunning;
  }
};

}  // namespace

ComponentLoader& NativeComponentLoader() {
  static PosixComponentLoader loader;
  return loader;
}

}  // namespace kelvo::platform
