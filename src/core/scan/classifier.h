// Deciding which entries of one listed folder are junk, rule by rule in table order.
#pragma once

#include <array>
#include <atomic>
#include <unordered_map>
#include <vector>

#include "platform/file_system.h"
#include "scan/age_limit.h"
#include "scan/folder_markers.h"
#include "scan/junk_item.h"
#include "scan/locations.h"
#include "scan/rule_source.h"
#include "scan/scan_sink.h"

namespace kelvo::scan {

// What the walker already knows of an entry when it hands the folder over.
struct EntryFacts {
  platform::EntryType type = platform::EntryType::kUnknown;
  std::uint32_t attributes = 0;
  bool attributesComplete = true;  // false: a directory whose read-only bit is not known yet
  bool statKnown = false;
  platform::EntryStat stat;
};

struct FolderToClassify {
  NativeStringView path;  // ends with the separator
  NativeStringView root;
  bool isRoot = false;
  bool locationRowsOnly = false;  // the rules' rows came from another walk already
  EntryIdentity identity;         // of the folder itself
  const MarkerCounts* markers = nullptr;
  platform::Directory* directory = nullptr;
  const platform::Listing* listing = nullptr;
  std::vector<EntryFacts>* facts = nullptr;  // one per listing entry; filled further on demand
};

class KeepList;
class PackageFilter;

class Classifier {
 public:
  // Hits that packages own are kept out when packageFiles is given, and entries the keep-list
  // keeps when keep is.
  Classifier(RuleSource& rules, ScanSink& sink, PackageFilter* packageFiles = nullptr,
             const KeepList* keep = nullptr);

  // For the folders of the next root: the junk location it is (or none), whose files are rows too,
  // and the age a row's file must have.
  void SetRoot(const LocationFolder* location, const AgeLimit& age);

  // Examines every entry of the folder, in listing order; adds one row per matching rule.
  void ClassifyFolder(const FolderToClassify& folder);

  // An entry below the current location root that the walk leaves out (a folder kept, unreadable
  // or on another mount): in a trash, its item is then not whole and keeps its description.
  void NoteLeftOut(NativeStringView path);

  // Where to count the settings files left out of application caches.
  void CountSettingsIn(std::atomic<std::size_t>* counter) { settingsInCaches_ = counter; }

  // The rule switches read for the last examined entry.
  const RuleSwitches& LastRules() const { return lastRules_; }

 private:
  void ClassifyEntry(const FolderToClassify& folder, NativeStringView name, const NativeChar* cname,
                     EntryFacts& facts);
  // Whether the row was added (not held back by age, keep-list or package files).
  bool AddRow(const FolderToClassify& folder, NativeStringView name, const NativeChar* cname,
              EntryFacts& facts, int rule, const NativeString& label, bool ageApplies = true);
  void AddTrashInfoRow(const FolderToClassify& folder, NativeStringView name,
                       const NativeChar* cname, EntryFacts& facts, int rule,
                       const NativeString& label);
  bool EnsureStat(const FolderToClassify& folder, const NativeChar* cname, EntryFacts& facts);
  // The item at the top of the trash's files folder that path lies in (or is).
  NativeString TrashItemOf(NativeStringView path) const;

  bool Add(JunkItem item, bool ageApplies = true);

  RuleSource& rules_;
  ScanSink& sink_;
  const LocationFolder* location_ = nullptr;
  std::optional<std::int64_t> modifiedBefore_;          // rows of the rules
  std::optional<std::int64_t> locationModifiedBefore_;  // rows of the location
  std::array<NativeString, kLocationCount> locationLabels_;
  PackageFilter* packageFiles_;
  const KeepList* keep_;
  NativeString lastHeldBack_;  // an entry several rules report is held back once
  NativeString nameRuleSuffix_;
  NativeString emptyFolderLabel_;
  std::array<NativeString, kRuleCount + 1> fixedLabels_;
  RuleSwitches lastRules_;
  // The trash items walked so far: true while every file of the item is a row.
  std::unordered_map<NativeString, bool> trashItems_;
  std::atomic<std::size_t>* settingsInCaches_ = nullptr;
};

}  // namespace kelvo::scan
