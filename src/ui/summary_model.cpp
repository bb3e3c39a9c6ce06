#include "summary_model.h"

#include "type_words.h"
#include "ui_text.h"

namespace kelvo::ui {

namespace {
double Share(const scan::TallyCounts& part, const scan::TallyCounts& whole) {
  if (whole.bytesOnDisk)
    return static_cast<double>(part.bytesOnDisk) / static_cast<double>(whole.bytesOnDisk);
  return whole.files ? static_cast<double>(part.files) / static_cast<double>(whole.files) : 0.0;
}
}  // namespace

std::vector<SummaryBar> SummaryBars(const RowCounts& all, const RowCounts& checked) {
  std::vector<SummaryBar> bars;
  const scan::TallyCounts& whole = all.Total();
  const auto checkedKinds = checked.Kinds();
  const auto checkedDisks = checked.Disks();
  for (const auto& line : all.Kinds()) {
    SummaryBar bar;
    bar.kind = SummaryBar::Kind::kKind;
    bar.name = KindWords(line.kind.rule, line.kind.emptyFolder);
    bar.counts = line.counts;
    bar.share = Share(line.counts, whole);
    bar.rule = line.kind.rule;
    bar.emptyFolder = line.kind.emptyFolder;
    for (const auto& c : checkedKinds)
      if (c.kind.rule == bar.rule && c.kind.emptyFolder == bar.emptyFolder) bar.checked = c.counts;
    bars.push_back(bar);
  }
  for (const auto& line : all.Disks()) {
    SummaryBar bar;
    bar.kind = SummaryBar::Kind::kDisk;
    bar.name = line.root.empty() ? QStringLiteral("?") : ToQString(line.root);
    bar.counts = line.counts;
    bar.share = Share(line.counts, whole);
    bar.device = line.device;
    for (const auto& c : checkedDisks)
      if (c.device == bar.device) bar.checked = c.counts;
    bars.push_back(bar);
  }
  return bars;
}

}  // namespace kelvo::ui
