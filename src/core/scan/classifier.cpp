#include "scan/classifier.h"

#include <algorithm>

#include "platform/native_path.h"
#include "platform/process_probe.h"
#include "scan/keep_list.h"
#include "scan/package_filter.h"

namespace kelvo::scan {

using platform::EntryType;

namespace {
bool EndsWithAscii(NativeStringView name, std::string_view tail) {
  if (name.size() <= tail.size()) return false;
  for (std::size_t i = 0; i < tail.size(); ++i)
    if (name[name.size() - tail.size() + i] != static_cast<NativeChar>(tail[i])) return false;
  return true;
}

// keepassxc.ini, app.conf: a program's settings, though kept in its cache.
bool IsSettingsName(NativeStringView name) {
  return EndsWithAscii(name, ".ini") || EndsWithAscii(name, ".conf");
}

// Rules that can match a folder: the name rules and the marker rules (never the zero-byte rule).
bool CouldAnyRuleMatch(const MarkerCounts& markers, NativeStringView name) {
  for (std::uint32_t count : markers)
    if (count) return true;
  return MatchingNameRules<NativeChar>(name).any();
}
}  // namespace

Classifier::Classifier(RuleSource& rules, ScanSink& sink, PackageFilter* packageFiles,
                       const KeepList* keep)
    : rules_(rules),
      sink_(sink),
      packageFiles_(packageFiles),
      keep_(keep),
      nameRuleSuffix_(Utf8ToNative(kNameRuleLabelSuffix)),
      emptyFolderLabel_(Utf8ToNative(kEmptyFolderLabel)) {
  for (int rule = kTempFolderRule; rule <= kInternetCacheRule; ++rule)
    fixedLabels_[static_cast<std::size_t>(rule)] = Utf8ToNative(FixedLabel(rule));
  for (std::size_t i = 0; i < kLocations.size(); ++i)
    locationLabels_[i] = Utf8ToNative(kLocations[i].label);
}

void Classifier::SetRoot(const LocationFolder* location, const AgeLimit& age) {
  location_ = location;
  modifiedBefore_ = age.ModifiedBefore();
  locationModifiedBefore_ = age.ModifiedBefore(location ? location->defaultDays : 0);
}

void Classifier::ClassifyFolder(const FolderToClassify& folder) {
  const platform::Listing& listing = *folder.listing;
  if (listing.empty() && !folder.isRoot && !folder.locationRowsOnly &&
      rules_.Current()[kZeroByteRule]) {
    // Without its trailing separator the folder's path names the folder itself.
    NativeStringView path = folder.path.substr(0, folder.path.size() - 1);
    JunkItem item;
    item.fileName = platform::GetFileName(path);
    item.fullPath = NativeString(path);
    item.typeLabel = emptyFolderLabel_;
    item.rule = kZeroByteRule;
    item.identity = folder.identity;
    item.emptyFolder = true;
    item.root = NativeString(folder.root);
    Add(std::move(item));
  }
  const auto& entries = listing.entries();
  for (std::size_t i = 0; i < entries.size(); ++i)
    ClassifyEntry(folder, listing.Name(entries[i]), listing.CName(entries[i]), (*folder.facts)[i]);
}

void Classifier::ClassifyEntry(const FolderToClassify& folder, NativeStringView name,
                               const NativeChar* cname, EntryFacts& facts) {
  sink_.ProgressTick();
  // A folder that carries no attribute besides the folder bit is not examined.
  if ((facts.attributes & ~platform::attr::kDirectory) == 0) {
    // Only the read-only bit, which the listing may not tell, could still make it examined. It is
    // asked for only when some rule, ticked or not, could report the entry at all.
    if (facts.attributesComplete || !CouldAnyRuleMatch(*folder.markers, name)) return;
    facts.attributes =
        EnsureStat(folder, cname, facts) ? facts.stat.attributes : platform::attr::kQueryFailed;
    facts.attributesComplete = true;
    if ((facts.attributes & ~platform::attr::kDirectory) == 0) return;
  }

  const RuleSwitches on = folder.locationRowsOnly ? RuleSwitches() : rules_.Current();
  if (!folder.locationRowsOnly) lastRules_ = on;
  const RuleSwitches nameHits = MatchingNameRules<NativeChar>(name) & on;
  for (std::size_t rule = 1; nameHits.any() && rule <= kPatternCount; ++rule) {
    if (!nameHits[rule]) continue;
    NativeString fullPath(folder.path);
    fullPath += name;
    AddRow(folder, name, cname, facts, static_cast<int>(rule),
           platform::GetExtension(fullPath) + nameRuleSuffix_);
  }

  const MarkerCounts& markers = *folder.markers;
  auto markerRows = [&](int markerIndex) {
    const int rule = kMarkerRules[static_cast<std::size_t>(markerIndex)];
    if (!on[static_cast<std::size_t>(rule)]) return;
    for (std::uint32_t n = 0; n < markers[static_cast<std::size_t>(markerIndex)]; ++n)
      AddRow(folder, name, cname, facts, rule, fixedLabels_[static_cast<std::size_t>(rule)]);
  };
  markerRows(0);  // temp

  if (on[kZeroByteRule] && (facts.type == EntryType::kFile || facts.type == EntryType::kUnknown) &&
      EnsureStat(folder, cname, facts) && facts.stat.type == EntryType::kFile &&
      facts.stat.size == 0)
    AddRow(folder, name, cname, facts, kZeroByteRule, fixedLabels_[kZeroByteRule]);

  for (int m = 1; m < kMarkerCount; ++m) markerRows(m);

  // Every regular file the location takes is one of its rows, after the rules' own.
  if (!location_) return;
  bool regular = (facts.type == EntryType::kFile || facts.type == EntryType::kUnknown) &&
                 LocationFileMatches(location_->files, name) && EnsureStat(folder, cname, facts) &&
                 facts.stat.type == EntryType::kFile;
  if (regular && location_->openFiles &&
      location_->openFiles->contains({facts.stat.device, facts.stat.inode}))
    regular = false;  // in use
  if (regular && location_->settingsAtTop && IsSettingsName(name) &&
      std::count(folder.path.begin() + static_cast<std::ptrdiff_t>(location_->path.size()),
                 folder.path.end(), platform::kSeparator) <= 1) {
    if (settingsInCaches_) settingsInCaches_->fetch_add(1, std::memory_order_relaxed);
    regular = false;
  }
  const int rule = LocationRule(location_->location);
  const NativeString& label = locationLabels_[static_cast<std::size_t>(location_->location)];
  if (location_->files == LocationFiles::kTrashInfo) {
    if (regular) AddTrashInfoRow(folder, name, cname, facts, rule, label);
    return;
  }
  const bool offered = regular && AddRow(folder, name, cname, facts, rule, label);
  if (!location_->trashFiles || facts.type == EntryType::kDirectory) return;
  NativeString path(folder.path);
  path += name;
  if (offered)
    trashItems_.try_emplace(TrashItemOf(path), true);
  else
    NoteLeftOut(path);
}

NativeString Classifier::TrashItemOf(NativeStringView path) const {
  const NativeStringView root = location_->path;
  const std::size_t end = path.find(platform::kSeparator, root.size());
  return NativeString(path.substr(0, end));
}

void Classifier::NoteLeftOut(NativeStringView path) {
  if (location_ && location_->trashFiles && path.size() > location_->path.size())
    trashItems_[TrashItemOf(path)] = false;
}

void Classifier::AddTrashInfoRow(const FolderToClassify& folder, NativeStringView name,
                                 const NativeChar* cname, EntryFacts& facts, int rule,
                                 const NativeString& label) {
  static constexpr std::size_t kSuffix = 10;  // ".trashinfo"
  NativeString item = location_->trashItems;
  item += name.substr(0, name.size() - kSuffix);
  const auto seen = trashItems_.find(item);
  // With its item whole, the description goes with it, whatever its own age; without an item
  // (gone, an orphan) it is a row of its own. Else the item stays, and so does its description.
  if (seen != trashItems_.end()) {
    if (seen->second) AddRow(folder, name, cname, facts, rule, label, /*ageApplies=*/false);
    return;
  }
  if (!platform::EntryExists(item)) AddRow(folder, name, cname, facts, rule, label);
}

bool Classifier::EnsureStat(const FolderToClassify& folder, const NativeChar* cname,
                            EntryFacts& facts) {
  if (facts.statKnown) return true;
  if (folder.directory->Stat(cname, facts.stat)) return false;
  facts.statKnown = true;
  return true;
}

bool Classifier::AddRow(const FolderToClassify& folder, NativeStringView name,
                        const NativeChar* cname, EntryFacts& facts, int rule,
                        const NativeString& label, bool ageApplies) {
  JunkItem item;
  item.fileName = NativeString(name);
  item.fullPath = NativeString(folder.path);
  item.fullPath += name;
  item.typeLabel = label;
  item.rule = rule;
  item.root = NativeString(folder.root);
  if (EnsureStat(folder, cname, facts)) {
    item.identity = IdentityOf(facts.stat);
    if (facts.stat.type != EntryType::kDirectory) {
      item.size = facts.stat.size;
      item.bytesOnDisk = facts.stat.allocated;
      item.links = facts.stat.links;
    }
  }
  return Add(std::move(item), ageApplies);
}

bool Classifier::Add(JunkItem item, bool ageApplies) {
  const auto& before = LocationOfRule(item.rule) ? locationModifiedBefore_ : modifiedBefore_;
  // Under an age limit a row whose age cannot be told is left out.
  if (ageApplies && before &&
      !(item.identity && item.identity->modified && *item.identity->modified <= *before))
    return false;
  if (keep_ && keep_->Keeps(item.fullPath)) {
    if (item.fullPath != lastHeldBack_) {
      keep_->CountHeldBack();
      lastHeldBack_ = item.fullPath;
    }
    return false;
  }
  if (packageFiles_ &&
      packageFiles_->KeepsOut(item.fullPath, PackageFilter::PathForm::kResolved,
                              LocationOfRule(item.rule) ? PackageFilter::Hit::kInLocation
                                                        : PackageFilter::Hit::kByRule))
    return false;
  sink_.RowFound(std::move(item));
  return true;
}

}  // namespace kelvo::scan
