// SPDX-License-Identifier: MIT
#include "ui/ScreenFit.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>

namespace tarifuhr {
namespace {

class ScreenFitFilter : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    // A window the user brings back keeps the size the user left it at.
    if (event->type() == QEvent::Show && !event->spontaneous())
      if (auto* w = qobject_cast<QWidget*>(watched); w && w->isWindow()) FitIntoScreen(*w);
    return false;
  }
};

// The frame the window manager puts around the window: known once it is
// mapped, before that a title bar's height as the style draws it.
QSize FrameExtra(const QWidget& window) {
  const QSize known = window.frameGeometry().size() - window.size();
  if (!known.isEmpty() || window.windowFlags() & Qt::FramelessWindowHint) return known.expandedTo({0, 0});
  const int border = window.style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, &window);
  return {2 * border, window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window) + 2 * border};
}

}  // namespace

QWidget* ScrollingForm(QWidget* window, QLayout* buttons) {
  auto* scroll = new QScrollArea(window);
  scroll->setObjectName(QStringLiteral("form"));
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  auto* form = new QWidget(scroll);
  // The form's own background, not the scroll area's.
  form->setAutoFillBackground(false);
  scroll->viewport()->setAutoFillBackground(false);
  scroll->setWidget(form);
  auto* layout = new QVBoxLayout(window);
  layout->addWidget(scroll, 1);
  layout->addLayout(buttons);
  return form;
}

void FitIntoScreen(QWidget& window) {
  QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  const QSize extra = FrameExtra(window);
  // A form in a scroll area asks for what it needs, up to the screen.
  QSize wanted = window.size();
  if (auto* scroll = window.findChild<QScrollArea*>(QStringLiteral("form")); scroll && scroll->widget()) {
    const QSize form = scroll->widget()->sizeHint();
    const QSize chrome = window.sizeHint() - scroll->sizeHint();
    wanted = wanted.expandedTo(form + chrome + QSize(scroll->verticalScrollBar()->sizeHint().width(), 0));
  }
  const QSize room = area.size() - extra;
  const QSize size = wanted.boundedTo(room).expandedTo(window.minimumSize());
  if (size != window.size()) window.resize(size);
  const QSize outer = size + extra;
  const QPoint at(
      std::clamp(window.x(), area.left(), std::max(area.left(), area.right() + 1 - outer.width())),
      std::clamp(window.y(), area.top(), std::max(area.top(), area.bottom() + 1 - outer.height())));
  if (at != window.pos()) window.move(at);
}

void KeepOnScreen(QWidget& window) { window.installEventFilter(new ScreenFitFilter(&window)); }

}  // namespace tarifuhr
