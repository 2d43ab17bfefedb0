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

QIcon ProgramIcon() {
  QPixmap pm(64, 64);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(QColor(0xBA, 0xFF, 0xB7));
  p.setPen(QPen(QColor(0x00, 0x00, 0xD9), 5));
  p.drawEllipse(4, 4, 56, 56);
  p.setPen(QPen(Qt::black, 5, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(32, 32, 32, 14);
  p.drawLine(32, 32, 45, 38);
  return QIcon(pm);
}

}  // namespace tarifuhr
