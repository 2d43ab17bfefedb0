// SPDX-License-Identifier: MIT
#pragma once
// The program's pictures, drawn at run time: the header bars, the collapse
// button's chevron and the clock icon. The clock icon is also written out
// at build time, as SVG and PNGs, for the desktop's menu.

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

namespace tarifuhr {

QPixmap HeaderBarPicture();       // 402 x 25, white to green
QPixmap ChevronPicture();         // 26 x 21, black chevron on a green gradient
QIcon ProgramIcon();              // clock face, 16 to 64 pixels
QImage ProgramPicture(int size);  // the clock face, size x size, transparent around
QString ProgramPictureSvg();      // the same clock face as an SVG document

}  // namespace tarifuhr
