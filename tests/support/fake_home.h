// A typical Linux home and system tree with junk planted in every common location, built in a temp
// folder: the fixture of the location tests and the example the README documents.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/user_folders.h"
#include "temp_tree.h"

namespace kelvo::testing {

struct PlantedFile {
  std::string path;   // absolute
  int location = -1;  // the location whose row it is, -1: no row
  std::uint64_t size = 0;
};

class FakeHome {
 public:
  FakeHome();

  const TempTree& tree() const { return tree_; }
  TempTree& tree() { return tree_; }
  // HOME, the XDG folders and the system root of the fake tree.
  platform::UserFolders Folders() const;
  std::string DiskTop() const { return tree_.Path("sys/"); }
  const std::vector<PlantedFile>& planted() const { return planted_; }
  // A Chromium-family cache whose browser runs (its lock names this process): never offered.
  std::string RunningBrowserCache() const {
    return tree_.Path("home/.cache/google-chrome/Default/Cache/");
  }
  std::string RunningBrowserLock() const {
    return tree_.Path("home/.config/google-chrome/SingletonLock");
  }

  // Sets a file's modification time to daysOld days ago.
  void SetAge(const std::string& relative, int daysOld);

  // Points HOME, XDG_CACHE_HOME, XDG_CONFIG_HOME, XDG_DATA_HOME and KELVO_SYSTEM_ROOT at the
  // fake tree for as long as it lives; restores the old values after.
  class Environment {
   public:
    explicit Environment(const FakeHome& home);
    ~Environment();
    Environment(const Environment&) = delete;
    Environment& operator=(const Environment&) = delete;

   private:
    std::vector<std::pair<std::string, std::string>> saved_;  // name, value ("\0" when unset)
  };

 private:
  // A file of size bytes, last modified daysOld days ago.
  void Plant(const std::string& relative, int location, std::uint64_t size, int daysOld = 0);

  TempTree tree_;
  std::vector<PlantedFile> planted_;
};

}  // namespace kelvo::testing
