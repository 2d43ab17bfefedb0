// SPDX-License-Identifier: MIT
#pragma once
// The program's pictures, drawn at run time: the header bars, the collapse
// button's chevron and the clock icon.

#include <QIcon>
#include <QPixmap>

namespace tarifuhr {

QPixmap HeaderBarPicture();  // 402 x 25, white to green
QPixmap ChevronPicture();    // 26 x 21, black chevron on a green gradient
QIcon ProgramIcon();         // 64 x 64 clock face

}  // namespace tarifuhr
