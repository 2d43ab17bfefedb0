// SPDX-License-Identifier: MIT
#pragma once
// Windows that fit the screen: a dialog's form in a scroll area with its
// buttons below it, and a window kept inside its screen's available area
// however large the scale makes it.

class QLayout;
class QWidget;

namespace tarifuhr {

// Lays `window` out as a form that scrolls when the screen is too small,
// followed by `buttons`, which stay in reach; returns the form's widget,
// for the caller's layout.
QWidget* ScrollingForm(QWidget* window, QLayout* buttons);

// No larger than the available area of the window's screen (its frame
// included) and moved into it.
void FitIntoScreen(QWidget& window);

// FitIntoScreen each time the program shows the window.
void KeepOnScreen(QWidget& window);

}  // namespace tarifuhr
