#include "summary_view.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "size_words.h"

namespace kelvo::ui {

namespace {
constexpr int kNameWidth = 170;
constexpr int kBarWidth = 150;
constexpr int kMargin = 6;

QString CountsText(const scan::TallyCounts& c, double share) {
  return QCoreApplication::translate(
             "kelvo::ui::SummaryView", "%n 个文件", nullptr,
             static_cast<int>(std::min<std::uint64_t>(c.files, INT32_MAX))) +
         QStringLiteral(", %1 (%2), %3%")
             .arg(SizeText(c.bytes),
                  QCoreApplication::translate("kelvo::ui::SummaryView", "占用 %1")
                      .arg(SizeText(c.bytesOnDisk)))
             .arg(share * 100.0, 0, 'f', 1);
}
}  // namespace

SummaryChart::SummaryChart(QWidget* parent) : QWidget(parent) {
  setObjectName("summaryChart");
  setMouseTracking(true);
}

void SummaryChart::SetBars(std::vector<SummaryBar> bars) {
  bars_ = std::move(bars);
  updateGeometry();
  resize(width(), sizeHint().height());
  update();
}

int SummaryChart::LineHeight() const {
  return QFontMetrics(font()).height() + 8;
}

int SummaryChart::LineOf(int bar) const {
  // The kinds' heading, the kinds, the disks' heading, the disks.
  const bool disk = bars_[static_cast<std::size_t>(bar)].kind == SummaryBar::Kind::kDisk;
  return 1 + bar + (disk ? 1 : 0);
}

QRect SummaryChart::BarRect(int bar) const {
  return QRect(0, LineOf(bar) * LineHeight(), width(), LineHeight());
}

int SummaryChart::BarAt(const QPoint& point) const {
  for (int i = 0; i < static_cast<int>(bars_.size()); ++i)
    if (BarRect(i).contains(point)) return i;
  return -1;
}

QSize SummaryChart::sizeHint() const {
  const int lines = bars_.empty() ? 2 : LineOf(static_cast<int>(bars_.size()) - 1) + 1;
  const int text = QFontMetrics(font()).horizontalAdvance(
      QStringLiteral("0000000 files, 000.0 MB (000.0 MB on disk), 100.0%"));
  return QSize(kNameWidth + kBarWidth + text + 4 * kMargin, lines * LineHeight() + kMargin);
}

void SummaryChart::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  const QFontMetrics metrics(font());
  const int h = LineHeight();
  QFont bold = font();
  bold.setBold(true);
  auto heading = [&](int line, const QString& text) {
    p.setFont(bold);
    p.setPen(QColor(40, 60, 110));
    p.drawText(QRect(kMargin, line * h, width() - 2 * kMargin, h), Qt::AlignVCenter, text);
    p.setFont(font());
  };
  heading(0, tr("按类别"));
  bool disksHeaded = false;
  for (int i = 0; i < static_cast<int>(bars_.size()); ++i) {
    const SummaryBar& bar = bars_[static_cast<std::size_t>(i)];
    const QRect r = BarRect(i);
    if (bar.kind == SummaryBar::Kind::kDisk && !disksHeaded) {
      heading(r.top() / h - 1, tr("按磁盘"));
      disksHeaded = true;
    }
    p.setPen(palette().color(QPalette::WindowText));
    const QRect name(kMargin, r.top(), kNameWidth - kMargin, h);
    p.drawText(name, Qt::AlignVCenter | Qt::AlignLeft,
               metrics.elidedText(bar.name, Qt::ElideMiddle, name.width()));
    const QRect track(kNameWidth, r.top() + 4, kBarWidth, h - 8);
    p.fillRect(track, QColor(232, 238, 248));
    const int filled = static_cast<int>(bar.share * kBarWidth + 0.5);
    p.fillRect(QRect(track.left(), track.top(), std::max(filled, bar.counts.files ? 1 : 0),
                     track.height()),
               QColor(70, 120, 200));
    // The ticked part of the bar, darker.
    if (bar.counts.bytesOnDisk && bar.checked.files) {
      const double part = static_cast<double>(bar.checked.bytesOnDisk) /
                          static_cast<double>(bar.counts.bytesOnDisk);
      p.fillRect(QRect(track.left(), track.bottom() - 2, static_cast<int>(filled * part + 0.5), 3),
                 QColor(20, 50, 120));
    }
    const QRect text(kNameWidth + kBarWidth + kMargin, r.top(),
                     width() - kNameWidth - kBarWidth - 2 * kMargin, h);
    p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft,
               metrics.elidedText(CountsText(bar.counts, bar.share), Qt::ElideRight, text.width()));
  }
  if (bars_.empty()) {
    p.setPen(QColor(120, 120, 120));
    p.drawText(QRect(kMargin, h, width() - 2 * kMargin, h), Qt::AlignVCenter, tr("列表中没有文件"));
  } else if (!disksHeaded) {
    heading(LineOf(static_cast<int>(bars_.size()) - 1) + 1, tr("按磁盘"));
  }
}

void SummaryChart::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  if (const int bar = BarAt(event->position().toPoint()); bar >= 0) emit barClicked(bar);
}

SummaryView::SummaryView(ResultsModel& model, QWidget* parent) : QDialog(parent), model_(model) {
  setObjectName("summaryView");
  setWindowTitle(Title());
  auto* hint = new QLabel(tr("每个文件只计一次. 单击一行:"), this);
  hint->setWordWrap(true);
  tickMode_ = new QRadioButton(tr("勾选它的全部行 (已全部勾选时取消勾选)"), this);
  tickMode_->setObjectName("tickMode");
  tickMode_->setChecked(true);
  showMode_ = new QRadioButton(tr("列表只显示它的行"), this);
  showMode_->setObjectName("showMode");
  chart_ = new SummaryChart(this);
  auto* scroll = new QScrollArea(this);
  scroll->setWidget(chart_);
  scroll->setWidgetResizable(true);
  scroll->setBackgroundRole(QPalette::Base);
  total_ = new QLabel(this);
  total_->setObjectName("summaryTotal");
  total_->setWordWrap(true);
  auto* close = new QPushButton(tr("关闭"), this);
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  showAll_ = new QPushButton(tr("显示全部行"), this);
  showAll_->setObjectName("showAllRows");
  connect(showAll_, &QPushButton::clicked, this, [this] { model_.SetScope({}); });
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(showAll_);
  buttons->addStretch(1);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(hint);
  layout->addWidget(tickMode_);
  layout->addWidget(showMode_);
  layout->addWidget(scroll, 1);
  layout->addWidget(total_);
  layout->addLayout(buttons);
  resize(chart_->sizeHint().width() + 40, 360);

  connect(chart_, &SummaryChart::barClicked, this, [this](int bar) {
    if (showMode_->isChecked())
      ShowBarRows(bar);
    else
      ToggleBar(bar);
  });
  auto markDirty = [this] { dirty_ = true; };
  connect(&model_, &ResultsModel::totalsChanged, this, markDirty);
  connect(&model_, &ResultsModel::checksChanged, this, markDirty);
  timer_.setInterval(kRefreshMs);
  connect(&timer_, &QTimer::timeout, this, [this] {
    if (dirty_ && isVisible()) Refresh();
  });
  timer_.start();
  Refresh();
}

void SummaryView::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Refresh();
}

void SummaryView::Refresh() {
  dirty_ = false;
  showAll_->setEnabled(model_.Scope().kind != RowScope::Kind::kAll);
  chart_->SetBars(SummaryBars(model_.Tally(), model_.CheckedTally()));
  const scan::TallyCounts& t = model_.Tally().Total();
  const scan::TallyCounts& c = model_.CheckedTally().Total();
  total_->setText(tr("共 %1: %2 (占用 %3); 已选 %4 (占用 %5)")
                      .arg(tr("%n 个文件", nullptr,
                              static_cast<int>(std::min<std::uint64_t>(t.files, INT32_MAX))))
                      .arg(SizeText(t.bytes), SizeText(t.bytesOnDisk),
                           tr("%n 个文件", nullptr,
                              static_cast<int>(std::min<std::uint64_t>(c.files, INT32_MAX))),
                           SizeText(c.bytesOnDisk)));
}

void SummaryView::ToggleBar(int index) {
  const auto& bars = chart_->Bars();
  if (index < 0 || index >= static_cast<int>(bars.size())) return;
  const SummaryBar bar = bars[static_cast<std::size_t>(index)];
  const bool tick = !bar.AllChecked();
  if (bar.kind == SummaryBar::Kind::kKind)
    model_.SetKindChecked(bar.rule, bar.emptyFolder, tick);
  else
    model_.SetDiskChecked(bar.device, tick);
  Refresh();
}

void SummaryView::ShowBarRows(int index) {
  const auto& bars = chart_->Bars();
  if (index < 0 || index >= static_cast<int>(bars.size())) return;
  const SummaryBar& bar = bars[static_cast<std::size_t>(index)];
  RowScope scope;
  scope.name = bar.name;
  if (bar.kind == SummaryBar::Kind::kKind) {
    scope.kind = RowScope::Kind::kKind;
    scope.rule = bar.rule;
    scope.emptyFolder = bar.emptyFolder;
  } else {
    scope.kind = RowScope::Kind::kDisk;
    scope.device = bar.device;
  }
  model_.SetScope(scope);
  Refresh();
}

}  // namespace kelvo::ui
