#include "scan/classifier.h"

#include "scan/keep_list.h"
#include "scan/package_filter.h"
#include "scan/path_functions.h"

namespace kelvo::scan {

using platform::EntryType;

namespace {
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
  if (listing.empty() && !folder.isRoot && rules_.Current()[kZeroByteRule]) {
    // Without its trailing separator the folder's path names the folder itself.
    NativeStringView path = folder.path.substr(0, folder.path.size() - 1);
    JunkItem item;
    item.fileName = GetFileName(path);
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

  const RuleSwitches on = rules_.Current();
  lastRules_ = on;
  const RuleSwitches nameHits = MatchingNameRules<NativeChar>(name) & on;
  for (std::size_t rule = 1; nameHits.any() && rule <= kPatternCount; ++rule) {
    if (!nameHits[rule]) continue;
    NativeString fullPath(folder.path);
    fullPath += name;
    AddRow(folder, name, cname, facts, static_cast<int>(rule),
           GetExtension(fullPath) + nameRuleSuffix_);
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
  if (location_ && (facts.type == EntryType::kFile || facts.type == EntryType::kUnknown) &&
      LocationFileMatches(location_->files, name) && EnsureStat(folder, cname, facts) &&
      facts.stat.type == EntryType::kFile)
    AddRow(folder, name, cname, facts, LocationRule(location_->location),
           locationLabels_[static_cast<std::size_t>(location_->location)]);
}

bool Classifier::EnsureStat(const FolderToClassify& folder, const NativeChar* cname,
                            EntryFacts& facts) {
  if (facts.statKnown) return true;
  if (folder.directory->Stat(cname, facts.stat)) return false;
  facts.statKnown = true;
  return true;
}

void Classifier::AddRow(const FolderToClassify& folder, NativeStringView name,
                        const NativeChar* cname, EntryFacts& facts, int rule,
                        const NativeString& label) {
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
  Add(std::move(item));
}

void Classifier::Add(JunkItem item) {
  const auto& before = LocationOfRule(item.rule) ? locationModifiedBefore_ : modifiedBefore_;
  // Under an age limit a row whose age cannot be told is left out.
  if (before && !(item.identity && item.identity->modified && *item.identity->modified <= *before))
    return;
  if (keep_ && keep_->Keeps(item.fullPath)) {
    if (item.fullPath != lastHeldBack_) {
      keep_->CountHeldBack();
      lastHeldBack_ = item.fullPath;
    }
    return;
  }
  if (packageFiles_ && packageFiles_->KeepsOut(item.fullPath, PackageFilter::PathForm::kResolved))
    return;
  sink_.RowFound(std::move(item));
}

}  // namespace kelvo::scan
