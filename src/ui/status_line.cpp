#include "status_line.h"

#include <QFontMetrics>

namespace kelvo::ui {

StatusLine::StatusLine(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::RichText);
  setWordWrap(false);
}

void StatusLine::SetParts(QStringList parts, std::vector<Link> links, QString extraTip) {
  parts_ = std::move(parts);
  links_ = std::move(links);
  extraTip_ = std::move(extraTip);
  Render();
}

QString StatusLine::FullText() const {
  QStringList all = parts_;
  for (const Link& link : links_) all << link.text;
  return all.join(Separator());
}

void StatusLine::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  Render();
}

void StatusLine::Render() {
  const QFontMetrics metrics(font());
  QString linkTexts;
  for (const Link& link : links_) linkTexts += Separator() + link.text;
  // A few pixels spare: the label's margins and the rich text's rounding.
  const int room = width() - metrics.horizontalAdvance(linkTexts) - 6;
  const QString plain = parts_.join(Separator());
  const QString shown = metrics.elidedText(plain, Qt::ElideRight, std::max(room, 0));
  elided_ = shown != plain;
  QString html = shown.toHtmlEscaped();
  for (const Link& link : links_) {
    if (!html.isEmpty()) html += Separator().toHtmlEscaped();
    html += QStringLiteral("<a href=\"%1\">%2</a>").arg(link.href, link.text.toHtmlEscaped());
  }
  setText(html);
  QString tip = elided_ ? FullText() : QString();
  if (!extraTip_.isEmpty()) tip += (tip.isEmpty() ? QString() : QStringLiteral("\n")) + extraTip_;
  setToolTip(tip);
}

}  // namespace kelvo::ui
