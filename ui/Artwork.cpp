// SPDX-License-Identifier: MIT
#include "ui/Artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace tarifuhr {

QPixmap HeaderBarPicture() {
  QPixmap pm(402, 25);
  QPainter p(&pm);
  QLinearGradient g(0, 0, 402, 0);
  g.setColorAt(0, Qt::white);
  g.setColorAt(1, QColor(0x3C, 0xB0, 0x3C));
  p.fillRect(pm.rect(), g);
  return pm;
}

QPixmap ChevronPicture() {
  QPixmap pm(26, 21);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient g(0, 0, 0, 21);
  g.setColorAt(0, QColor(0xC8, 0xF5, 0xC0));
  g.setColorAt(1, QColor(0x2E, 0x9E, 0x2E));
  p.fillRect(pm.rect(), g);
  QPainterPath chevron;
  chevron.moveTo(7, 7);
  chevron.lineTo(13, 13);
  chevron.lineTo(19, 7);
  p.setPen(QPen(Qt::black, 2.5));
  p.drawPath(chevron);
  return pm;
}

namespace {

// The clock face in a 64-unit square: a green dial with a blue rim and two
// black hands from its centre.
constexpr int kUnits = 64;
constexpr int kDialLeft = 4, kDialSize = 56, kRimWidth = 5, kHandWidth = 5;
constexpr QPoint kCentre(32, 32), kHourHand(32, 14), kMinuteHand(45, 38);
const QColor kDialColour(0xBA, 0xFF, 0xB7);
const QColor kRimColour(0x00, 0x00, 0xD9);

}  // namespace

QImage ProgramPicture(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(double(size) / kUnits, double(size) / kUnits);
  p.setBrush(kDialColour);
  p.setPen(QPen(kRimColour, kRimWidth));
  p.drawEllipse(kDialLeft, kDialLeft, kDialSize, kDialSize);
  p.setPen(QPen(Qt::black, kHandWidth, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(kCentre, kHourHand);
  p.drawLine(kCentre, kMinuteHand);
  return image;
}

QString ProgramPictureSvg() {
  const double radius = kDialSize / 2.0;
  return QStringLiteral(
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%1\" viewBox=\"0 0 %1 %1\">\n"
             "  <title>Tarifuhr</title>\n"
             "  <circle cx=\"%2\" cy=\"%3\" r=\"%4\" fill=\"%5\" stroke=\"%6\" stroke-width=\"%7\"/>\n"
             "  <g stroke=\"#000000\" stroke-width=\"%8\" stroke-linecap=\"round\">\n"
             "    <line x1=\"%9\" y1=\"%10\" x2=\"%11\" y2=\"%12\"/>\n"
             "    <line x1=\"%9\" y1=\"%10\" x2=\"%13\" y2=\"%14\"/>\n"
             "  </g>\n"
             "</svg>\n")
      .arg(kUnits)
      .arg(kDialLeft + radius)
      .arg(kDialLeft + radius)
      .arg(radius)
      .arg(kDialColour.name(), kRimColour.name())
      .arg(kRimWidth)
      .arg(kHandWidth)
      .arg(kCentre.x())
      .arg(kCentre.y())
      .arg(kHourHand.x())
      .arg(kHourHand.y())
      .arg(kMinuteHand.x())
      .arg(kMinuteHand.y());
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 22, 24, 32, 48, 64}) icon.addPixmap(QPixmap::fromImage(ProgramPicture(size)));
  return icon;
}

}  // namespace tarifuhr
