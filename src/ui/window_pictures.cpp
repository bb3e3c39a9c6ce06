#include "window_pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace kelvo::ui::pictures {

namespace {
const QColor kFrameDark(24, 64, 140);
const QColor kFrameMid(52, 108, 196);
const QColor kFrameLight(120, 170, 235);

QPixmap Canvas(int w, int h) {
  QPixmap p(w, h);
  p.fill(Qt::transparent);
  return p;
}
}  // namespace

QPixmap TitleBar() {
  QPixmap p(475, 44);
  QPainter g(&p);
  QLinearGradient fill(0, 0, 0, 44);
  fill.setColorAt(0.0, kFrameLight);
  fill.setColorAt(0.45, kFrameMid);
  fill.setColorAt(1.0, kFrameDark);
  g.fillRect(p.rect(), fill);
  g.setPen(QColor(255, 255, 255, 90));
  g.drawLine(0, 1, 474, 1);
  return p;
}

QPixmap SideEdge() {
  QPixmap p(8, 160);
  QPainter g(&p);
  QLinearGradient fill(0, 0, 8, 0);
  fill.setColorAt(0.0, kFrameDark);
  fill.setColorAt(0.5, kFrameMid);
  fill.setColorAt(1.0, kFrameDark);
  g.fillRect(p.rect(), fill);
  return p;
}

QPixmap BottomEdge() {
  QPixmap p(475, 8);
  QPainter g(&p);
  QLinearGradient fill(0, 0, 0, 8);
  fill.setColorAt(0.0, kFrameMid);
  fill.setColorAt(1.0, kFrameDark);
  g.fillRect(p.rect(), fill);
  return p;
}

QIcon DriveIcon() {
  QPixmap p = Canvas(16, 16);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(QColor(80, 80, 80));
  g.setBrush(QColor(200, 200, 205));
  g.drawRoundedRect(QRectF(1.5, 5.5, 13, 6), 1.5, 1.5);
  g.setBrush(QColor(60, 200, 80));
  g.setPen(Qt::NoPen);
  g.drawEllipse(QRectF(11, 8, 2, 2));
  return QIcon(p);
}

QIcon SpecialFolderIcon() {
  QPixmap p = Canvas(16, 16);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(QColor(170, 120, 20));
  g.setBrush(QColor(250, 205, 90));
  QPainterPath folder;
  folder.moveTo(1.5, 4.5);
  folder.lineTo(6, 4.5);
  folder.lineTo(7.5, 6);
  folder.lineTo(14.5, 6);
  folder.lineTo(14.5, 13.5);
  folder.lineTo(1.5, 13.5);
  folder.closeSubpath();
  g.drawPath(folder);
  return QIcon(p);
}

QIcon RootIcon() {
  QPixmap p = Canvas(16, 16);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(QColor(30, 60, 130));
  g.setBrush(QColor(90, 140, 220));
  g.drawRect(QRectF(2.5, 2.5, 11, 8));
  g.setBrush(QColor(200, 225, 255));
  g.drawRect(QRectF(4, 4, 8, 5));
  g.setBrush(QColor(90, 140, 220));
  g.drawRect(QRectF(5.5, 12.5, 5, 1.5));
  return QIcon(p);
}

QIcon RowIcon() {
  QPixmap p = Canvas(16, 16);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(QColor(110, 110, 110));
  g.setBrush(Qt::white);
  QPainterPath page;
  page.moveTo(3.5, 1.5);
  page.lineTo(10, 1.5);
  page.lineTo(12.5, 4);
  page.lineTo(12.5, 14.5);
  page.lineTo(3.5, 14.5);
  page.closeSubpath();
  g.drawPath(page);
  g.setPen(QColor(200, 60, 40));
  g.drawLine(QPointF(5.5, 7), QPointF(10.5, 12));
  g.drawLine(QPointF(10.5, 7), QPointF(5.5, 12));
  return QIcon(p);
}

QPixmap TipsIcon() {
  QPixmap p = Canvas(32, 32);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(QPen(QColor(30, 70, 150), 1.5));
  g.setBrush(QColor(70, 130, 220));
  g.drawEllipse(QRectF(2, 2, 28, 28));
  g.setPen(Qt::NoPen);
  g.setBrush(Qt::white);
  g.drawEllipse(QRectF(14, 7, 4, 4));
  g.drawRoundedRect(QRectF(14, 13, 4, 12), 1.5, 1.5);
  return p;
}

}  // namespace kelvo::ui::pictures
