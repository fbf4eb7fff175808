#include "shell/Pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace veska {

namespace {

constexpr int kIconSize = 18;

// A relation line from the left (parent, one end) to the right (child): a
// plain line for a foreign-key relation, a double line for master-detail;
// the child end shows a crow's foot for "many" and a circle for "one".
void DrawRelationIcon(QPainter& p, bool many, bool master)
{
  p.setBrush(Qt::NoBrush);
  p.drawLine(QPointF(2, 4), QPointF(2, 14));  // parent bar
  if (master) {
    p.drawLine(QPointF(2, 7.5), QPointF(12, 7.5));
    p.drawLine(QPointF(2, 10.5), QPointF(12, 10.5));
  } else {
    p.drawLine(QPointF(2, 9), QPointF(12, 9));
  }
  if (many) {
    p.drawLine(QPointF(12, 9), QPointF(16.5, 4));
    p.drawLine(QPointF(12, 9), QPointF(16.5, 9));
    p.drawLine(QPointF(12, 9), QPointF(16.5, 14));
  } else {
    p.drawEllipse(QPointF(14.5, 9), 2.5, 2.5);
  }
}

void DrawIcon(QPainter& p, TToolIcon kind)
{
  const QColor ink(0x20, 0x20, 0x20);
  QPen pen(ink, 1.2);
  pen.setJoinStyle(Qt::MiterJoin);
  p.setPen(pen);
  switch (kind) {
  case TToolIcon::Open: {
    p.setBrush(QColor(0xE8, 0xC0, 0x50));
    p.drawPolygon(QPolygonF({{1.5, 4.5}, {6.5, 4.5}, {8, 6}, {14.5, 6}, {14.5, 15.5}, {1.5, 15.5}}));
    p.setBrush(QColor(0xF6, 0xDA, 0x80));
    p.drawPolygon(QPolygonF({{3.5, 8.5}, {17, 8.5}, {14.5, 15.5}, {1.5, 15.5}}));
    break;
  }
  case TToolIcon::Save:
    p.setBrush(QColor(0x30, 0x50, 0xA0));
    p.drawRect(QRectF(2.5, 2.5, 13, 13));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5, 2.5, 8, 5));
    p.setBrush(QColor(0xC0, 0xC0, 0xC0));
    p.drawRect(QRectF(5, 10.5, 8, 5));
    break;
  case TToolIcon::Print:
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5, 1.5, 8, 6));
    p.setBrush(QColor(0xA0, 0xA0, 0xA0));
    p.drawRect(QRectF(1.5, 7.5, 15, 6));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5, 11.5, 8, 5));
    break;
  case TToolIcon::Exit:
    p.setBrush(QColor(0x8B, 0x5A, 0x2B));
    p.drawRect(QRectF(4.5, 1.5, 9, 15));
    p.setBrush(QColor(0xF0, 0xD0, 0x40));
    p.drawEllipse(QPointF(11, 9.5), 1, 1);
    break;
  case TToolIcon::Pointer: {
    p.setBrush(Qt::white);
    QPolygonF arrow({{4, 1.5}, {4, 14}, {7, 11}, {9.5, 16.5}, {11.5, 15.5}, {9, 10}, {13, 10}});
    p.drawPolygon(arrow);
    break;
  }
  case TToolIcon::Entity:
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 3.5, 13, 11));
    p.drawLine(QPointF(2.5, 7.5), QPointF(15.5, 7.5));
    p.drawLine(QPointF(4.5, 10.5), QPointF(12, 10.5));
    break;
  case TToolIcon::RelationManyForeign: DrawRelationIcon(p, true, false); break;
  case TToolIcon::RelationOneForeign: DrawRelationIcon(p, false, false); break;
  case TToolIcon::RelationManyMaster: DrawRelationIcon(p, true, true); break;
  case TToolIcon::RelationOneMaster: DrawRelationIcon(p, false, true); break;
  case TToolIcon::Text: {
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(16);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(0, 0, kIconSize, kIconSize), Qt::AlignCenter, QStringLiteral("A"));
    break;
  }
  case TToolIcon::Delete:
    p.setPen(QPen(QColor(0xC0, 0x10, 0x10), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4, 4), QPointF(14, 14));
    p.drawLine(QPointF(14, 4), QPointF(4, 14));
    break;
  case TToolIcon::ZoomOut:
  case TToolIcon::ZoomIn:
    p.setBrush(QColor(0xE0, 0xF0, 0xFF));
    p.drawEllipse(QPointF(7.5, 7.5), 5.5, 5.5);
    p.setPen(QPen(ink, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(11.5, 11.5), QPointF(16, 16));
    p.setPen(QPen(ink, 1.5));
    p.drawLine(QPointF(5, 7.5), QPointF(10, 7.5));
    if (kind == TToolIcon::ZoomIn)
      p.drawLine(QPointF(7.5, 5), QPointF(7.5, 10));
    break;
  }
}

QPixmap IconPixmap(TToolIcon kind, qreal ratio)
{
  QPixmap pixmap(QSize(kIconSize, kIconSize) * ratio);
  pixmap.setDevicePixelRatio(ratio);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  DrawIcon(p, kind);
  return pixmap;
}

}  // namespace

QIcon ToolIcon(TToolIcon kind)
{
  QIcon icon;
  icon.addPixmap(IconPixmap(kind, 1.0));
  icon.addPixmap(IconPixmap(kind, 2.0));
  return icon;
}

namespace {

const QColor kPictureInk(0x22, 0x33, 0x66);

// The small diagram of the program picture, a parent box joined to two
// children, laid out in the area (0, 0, w, h); the boxes fill the band from
// 8% to 62% of its height.
void DrawPictureDiagram(QPainter& p, qreal w, qreal h, qreal penWidth)
{
  p.setPen(QPen(kPictureInk, penWidth));
  p.setBrush(QColor(0xF2, 0xF6, 0xFF));
  const QRectF parent(w * 0.38, h * 0.08, w * 0.24, h * 0.2);
  const QRectF left(w * 0.08, h * 0.42, w * 0.24, h * 0.2);
  const QRectF right(w * 0.68, h * 0.42, w * 0.24, h * 0.2);
  for (const QRectF& box : {parent, left, right}) {
    p.drawRect(box);
    p.drawLine(QPointF(box.left(), box.top() + box.height() * 0.35), QPointF(box.right(), box.top() + box.height() * 0.35));
  }
  const qreal midY = (parent.bottom() + left.top()) / 2;
  p.drawLine(QPointF(parent.center().x(), parent.bottom()), QPointF(parent.center().x(), midY));
  p.drawLine(QPointF(left.center().x(), midY), QPointF(right.center().x(), midY));
  for (const QRectF& child : {left, right}) {
    const qreal x = child.center().x();
    p.drawLine(QPointF(x, midY), QPointF(x, child.top()));
    // crow's foot at the child end
    p.drawLine(QPointF(x, child.top() - h * 0.05), QPointF(x - w * 0.03, child.top()));
    p.drawLine(QPointF(x, child.top() - h * 0.05), QPointF(x + w * 0.03, child.top()));
  }
}

}  // namespace

void PaintProgramIcon(QPainter& p, qreal side)
{
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  // A white tile with a thin rounded border, so that the icon reads on dark
  // and light backgrounds alike.
  const qreal margin = side / 32;
  const qreal border = qMax(1.0, side / 48);
  p.setPen(QPen(kPictureInk, border));
  p.setBrush(Qt::white);
  const QRectF tile(margin, margin, side - 2 * margin, side - 2 * margin);
  p.drawRoundedRect(tile.adjusted(border / 2, border / 2, -border / 2, -border / 2), side / 8, side / 8);
  // The diagram's boxes take the band from 8% to 62% of the height they are
  // drawn in, and 84% of the width; the height is chosen so that the band is
  // 70% of the tile, centred.
  const qreal h = side * 0.7 / 0.54;
  p.translate(0, side * 0.15 - h * 0.08);
  DrawPictureDiagram(p, side, h, qMax(1.0, side / 40));
  p.restore();
}

QIcon ProgramIcon()
{
  QIcon icon;
  for (const int side : {16, 24, 32, 48, 64, 128, 256}) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    PaintProgramIcon(p, side);
    p.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

QPixmap ProgramPicture(QSize size, qreal devicePixelRatio)
{
  QPixmap pixmap(size * devicePixelRatio);
  pixmap.setDevicePixelRatio(devicePixelRatio);
  pixmap.fill(Qt::white);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);

  const qreal w = size.width();
  const qreal h = size.height();
  DrawPictureDiagram(p, w, h, 2);
  const QColor ink = kPictureInk;

  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(qMax(10, int(h * 0.16)));
  font.setBold(true);
  p.setFont(font);
  p.setPen(ink);
  p.drawText(QRectF(0, h * 0.66, w, h * 0.2), Qt::AlignCenter, QStringLiteral("Veska"));
  font.setBold(false);
  font.setPixelSize(qMax(8, int(h * 0.06)));
  p.setFont(font);
  p.drawText(QRectF(0, h * 0.86, w, h * 0.1), Qt::AlignCenter, QStringLiteral("Data modelling"));
  return pixmap;
}

}  // namespace veska
