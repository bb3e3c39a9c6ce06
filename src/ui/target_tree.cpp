#include "target_tree.h"

#include <QHeaderView>

#include "scan/locations.h"
#include "type_words.h"
#include "ui_fonts.h"
#include "ui_text.h"
#include "window_pictures.h"

namespace kelvo::ui {

namespace {
constexpr int kNodeRole = Qt::UserRole;
constexpr int kKeyRole = Qt::UserRole + 1;
constexpr int kImageRole = Qt::UserRole + 2;
const char* const kDrivesRootKey = "a";
const char* const kSpecialRootKey = "b";
const char* const kLocationsRootKey = "c";
}  // namespace

TargetTree::TargetTree(LiveOptions& options, QWidget* parent)
    : QTreeWidget(parent), options_(options) {
  setColumnCount(1);
  header()->hide();
  // The tree is narrow. A small indentation and icons, and a smaller size (Chinese glyphs keep
  // theirs) let every fixed node show whole; a text that still does not fit, such as a long mount
  // path, is shortened in its middle (both ends stay) with the whole text in its tooltip, rather
  // than cut off at the edge behind a sideways scroll.
  setIndentation(8);
  setIconSize(QSize(14, 14));
  setFont(UiFont(7.5));
  setRootIsDecorated(false);  // both roots stay expanded; their arrows would only take room
  header()->setSectionResizeMode(QHeaderView::Stretch);
  header()->setStretchLastSection(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setTextElideMode(Qt::ElideMiddle);
  setSelectionMode(QAbstractItemView::SingleSelection);
  connect(this, &QTreeWidget::itemChanged, this, &TargetTree::OnItemChanged);
}

QTreeWidgetItem* TargetTree::AddNode(QTreeWidgetItem* parent, const QString& key,
                                     const QString& text, int image) {
  auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
  const int number = static_cast<int>(nodes_.size()) + 1;
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  item->setText(0, text);
  item->setToolTip(0, text);  // the whole text, also where the tree is scrolled away from it
  item->setData(0, kNodeRole, number);
  item->setData(0, kKeyRole, key);
  item->setData(0, kImageRole, image);
  switch (image) {
    case 1:
      item->setIcon(0, pictures::DriveIcon());
      break;
    case 2:
      item->setIcon(0, pictures::SpecialFolderIcon());
      break;
    default:
      item->setIcon(0, pictures::RootIcon());
  }
  item->setCheckState(0, Qt::Unchecked);
  nodes_.push_back(item);
  return item;
}

void TargetTree::createtv(const std::vector<platform::Drive>& drives) {
  if (built_) return;
  built_ = true;
  const QSignalBlocker quiet(this);
  QTreeWidgetItem* drivesRoot = AddNode(nullptr, kDrivesRootKey, tr("扫描硬盘"), 3);
  keys_.push_back(AsciiToNative(kDrivesRootKey));
  for (const auto& drive : drives) {
    AddNode(drivesRoot, ToQString(drive.key), ToQString(drive.text), 1);
    keys_.push_back(drive.key);  // the exact bytes, whatever the text shows
  }
  scrollToItem(nodes_.back());
  if (nodes_.back()->parent()) nodes_.back()->parent()->setExpanded(true);

  QTreeWidgetItem* specialRoot = AddNode(nullptr, kSpecialRootKey, tr("扫描特殊文件夹"), 3);
  keys_.push_back(AsciiToNative(kSpecialRootKey));
  // Key and text; the keys stay Chinese whatever the language.
  const char* const special[4][2] = {{"最近的文档记录", QT_TR_NOOP("最近的文档")},
                                     {"历史记录", QT_TR_NOOP("历史记录")},
                                     {"IE COOKIES", QT_TR_NOOP("IE COOKIES")},
                                     {"IE 临时缓存文件夹", QT_TR_NOOP("IE 临时缓存文件夹")}};
  for (const auto& s : special) {
    AddNode(specialRoot, QString::fromUtf8(s[0]), tr(s[1]), 2);
    keys_.push_back(Utf8ToNative(s[0]));
  }
  specialRoot->setExpanded(true);
  scrollToItem(nodes_.back());

  // The common junk locations, in their table's order; each node's key is the location's key.
  QTreeWidgetItem* locationsRoot = AddNode(nullptr, kLocationsRootKey, tr("扫描常见垃圾位置"), 3);
  keys_.push_back(AsciiToNative(kLocationsRootKey));
  for (const scan::LocationInfo& location : scan::kLocations) {
    const QString label =
        QString::fromUtf8(location.label.data(), static_cast<qsizetype>(location.label.size()));
    AddNode(locationsRoot,
            QString::fromLatin1(location.key.data(), static_cast<qsizetype>(location.key.size())),
            TypeWords(label), 2);
    keys_.push_back(AsciiToNative(location.key));
  }
  locationsRoot->setExpanded(true);
  options_.SetNodes(static_cast<int>(drives.size()), keys_);
}

QString TargetTree::Key(int node) const {
  return Node(node)->data(0, kKeyRole).toString();
}

int TargetTree::ImageOf(int node) const {
  return Node(node)->data(0, kImageRole).toInt();
}

void TargetTree::SetTicked(int node, bool on) {
  Node(node)->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
}

void TargetTree::OnItemChanged(QTreeWidgetItem* item, int column) {
  if (column != 0) return;
  const int number = item->data(0, kNodeRole).toInt();
  const bool ticked = item->checkState(0) == Qt::Checked;
  options_.SetNodeTicked(number, ticked);
  const QString key = item->data(0, kKeyRole).toString();
  if (item->parent() == nullptr && key == QLatin1String(kDrivesRootKey)) {
    const int drives = item->childCount();
    for (int i = 2; i <= drives + 1 && i <= NodeCount(); ++i)
      Node(i)->setCheckState(0, Node(number)->checkState(0));
  } else if (item->parent() == nullptr && key == QLatin1String(kSpecialRootKey)) {
    for (int i = 0; i < 4 && i < item->childCount(); ++i)
      item->child(i)->setCheckState(0, item->checkState(0));
  } else if (item->parent() == nullptr && key == QLatin1String(kLocationsRootKey)) {
    for (int i = 0; i < item->childCount(); ++i)
      item->child(i)->setCheckState(0, item->checkState(0));
  }
}

}  // namespace kelvo::ui
