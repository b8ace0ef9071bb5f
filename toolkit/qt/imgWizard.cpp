#include "toolkit/qt/imgWizard.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <initializer_list>

namespace velloran {
namespace {

// A closed outline through `corners`.
QPainterPath Polygon(std::initializer_list<QPointF> corners) {
  QPainterPath path;
  path.addPolygon(QPolygonF(QList<QPointF>(corners)));
  path.closeSubpath();
  return path;
}

// Everything is drawn on a 16-unit grid and scaled, so each size stays sharp.
void DrawPage(QPainter& p) {
  const QPainterPath sheet =
      Polygon({{3.5, 1.5}, {10.5, 1.5}, {13.5, 4.5}, {13.5, 14.5}, {3.5, 14.5}});
  p.setPen(QPen(QColor(0x5a, 0x64, 0x70), 1.0));
  p.setBrush(QColor(0xfc, 0xfc, 0xfc));
  p.drawPath(sheet);
  QPainterPath fold;
  fold.moveTo(10.5, 1.5);
  fold.lineTo(10.5, 4.5);
  fold.lineTo(13.5, 4.5);
  p.setBrush(QColor(0xd8, 0xdc, 0xe2));
  p.drawPath(fold);
  p.setPen(QPen(QColor(0x3c, 0x78, 0xc8), 1.0));
  for (double y : {6.5, 8.5, 10.5, 12.5})
    p.drawLine(QPointF(5.5, y), QPointF(y < 7 ? 9.5 : 11.5, y));
}

void DrawGroup(QPainter& p) {
  p.setPen(QPen(QColor(0x8a, 0x63, 0x12), 1.0));
  const QPainterPath back =
      Polygon({{1.5, 3.5}, {6.0, 3.5}, {7.5, 5.0}, {14.5, 5.0}, {14.5, 13.5}, {1.5, 13.5}});
  p.setBrush(QColor(0xe0, 0xb0, 0x48));
  p.drawPath(back);
  p.setPen(QPen(QColor(0x9a, 0x9a, 0x9a), 1.0));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(3.5, 5.5, 9.0, 5.0));
  p.setPen(QPen(QColor(0x8a, 0x63, 0x12), 1.0));
  p.setBrush(QColor(0xf4, 0xc9, 0x5d));
  p.drawRect(QRectF(1.5, 7.5, 13.0, 6.0));
}

void DrawPrinter(QPainter& p) {
  p.setPen(QPen(QColor(0x55, 0x55, 0x55), 1.0));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(4.5, 1.5, 7.0, 4.0));  // paper in the tray
  p.setBrush(QColor(0x9a, 0xa3, 0xad));
  p.drawRoundedRect(QRectF(1.5, 5.5, 13.0, 6.0), 1.2, 1.2);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(4.5, 9.5, 7.0, 5.0));  // printed sheet
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x2e, 0x9e, 0x44));
  const QPainterPath arrow = Polygon({{9.0, 11.0},
                                      {12.5, 11.0},
                                      {12.5, 9.0},
                                      {16.0, 12.5},
                                      {12.5, 16.0},
                                      {12.5, 14.0},
                                      {9.0, 14.0}});
  p.drawPath(arrow);
}

void DrawNew(QPainter& p) {
  DrawPage(p);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xf2, 0xb7, 0x05));
  const QPainterPath star = Polygon({{12.0, 8.5},
                                     {13.0, 11.0},
                                     {15.5, 12.0},
                                     {13.0, 13.0},
                                     {12.0, 15.5},
                                     {11.0, 13.0},
                                     {8.5, 12.0},
                                     {11.0, 11.0}});
  p.drawPath(star);
}

void DrawOpen(QPainter& p) {
  p.setPen(QPen(QColor(0x8a, 0x63, 0x12), 1.0));
  p.setBrush(QColor(0xe0, 0xb0, 0x48));
  const QPainterPath back =
      Polygon({{1.5, 3.5}, {5.5, 3.5}, {7.0, 5.0}, {12.5, 5.0}, {12.5, 13.5}, {1.5, 13.5}});
  p.drawPath(back);
  p.setBrush(QColor(0xf6, 0xd3, 0x7a));
  const QPainterPath front = Polygon({{3.5, 7.5}, {15.5, 7.5}, {12.5, 13.5}, {1.5, 13.5}});
  p.drawPath(front);
}

void DrawSave(QPainter& p) {
  p.setPen(QPen(QColor(0x1f, 0x3f, 0x73), 1.0));
  p.setBrush(QColor(0x3a, 0x6e, 0xc0));
  const QPainterPath disk =
      Polygon({{1.5, 1.5}, {12.5, 1.5}, {14.5, 3.5}, {14.5, 14.5}, {1.5, 14.5}});
  p.drawPath(disk);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(3.5, 1.5, 8.0, 5.0));
  p.setBrush(QColor(0xd0, 0xd8, 0xe4));
  p.drawRect(QRectF(3.5, 9.5, 9.0, 5.0));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x1f, 0x3f, 0x73));
  p.drawRect(QRectF(8.5, 2.5, 2.0, 3.0));
}

void DrawHelp(QPainter& p) {
  p.setPen(QPen(QColor(0x1f, 0x4e, 0x9a), 1.0));
  p.setBrush(QColor(0x35, 0x7a, 0xd8));
  p.drawEllipse(QRectF(1.5, 1.5, 13.0, 13.0));
  QFont font(QStringLiteral("Sans"));
  font.setBold(true);
  font.setPixelSize(11);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(QRectF(1.5, 1.5, 13.0, 13.0), Qt::AlignCenter, QStringLiteral("?"));
}

template <typename Draw>
QIcon Render(Draw draw) {
  QIcon icon;
  for (int size : {16, 24, 32, 48}) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, size > 16);
    p.scale(size / 16.0, size / 16.0);
    draw(p);
    p.end();
    icon.addPixmap(pm);
  }
  return icon;
}

}  // namespace

QIcon imgWizardPicture(int index) {
  switch (index) {
    case 1:
      return Render(DrawPage);
    case 2:
      return Render(DrawGroup);
    default:
      return {};
  }
}

QIcon ToolbarPicture(const char* name) {
  const QByteArray which(name);
  if (which == "new") return Render(DrawNew);
  if (which == "open") return Render(DrawOpen);
  if (which == "save") return Render(DrawSave);
  if (which == "help") return Render(DrawHelp);
  return {};
}

QIcon VelloranIcon() { return Render(DrawPrinter); }

}  // namespace velloran
