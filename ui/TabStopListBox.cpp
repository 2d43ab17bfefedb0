// SPDX-License-Identifier: MIT
#include "ui/TabStopListBox.h"

#include <QPainter>
#include <QScrollBar>

namespace tarifuhr {

std::vector<int> TabStopPixels(const std::vector<int>& units, const QFontMetrics& metrics) {
  std::vector<int> out;
  for (int u : units) out.push_back(u * metrics.averageCharWidth() / 4);
  return out;
}

std::vector<int> ColumnPositions(const QStringList& columns, const std::vector<int>& stops,
                                 const QFontMetrics& metrics) {
  std::vector<int> pos;
  int x = 0;
  size_t nextStop = 0;
  for (int i = 0; i < columns.size(); ++i) {
    pos.push_back(x);
    const int end = x + metrics.horizontalAdvance(columns[i]);
    while (nextStop < stops.size() && stops[nextStop] <= end) ++nextStop;
    // Past the last stop, columns follow one another with one blank.
    x = nextStop < stops.size() ? stops[nextStop++] : end + metrics.horizontalAdvance(' ');
  }
  return pos;
}

class TabStopListBox::Delegate : public QStyledItemDelegate {
 public:
  explicit Delegate(TabStopListBox& box) : QStyledItemDelegate(&box), box_(box) {}
  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const bool selected = opt.state & QStyle::State_Selected;
    p->save();
    p->fillRect(opt.rect, selected ? opt.palette.highlight() : opt.palette.base());
    p->setPen(selected ? opt.palette.highlightedText().color() : opt.palette.text().color());
    p->setFont(opt.font);
    const QFontMetrics fm(opt.font);
    const QStringList columns = index.data().toString().split('\t');
    const std::vector<int> x = ColumnPositions(columns, box_.TabStopsPixels(), fm);
    for (int i = 0; i < columns.size(); ++i) {
      const QRect r(opt.rect.left() + x[i], opt.rect.top(), opt.rect.width() - x[i], opt.rect.height());
      p->drawText(r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, columns[i]);
    }
    p->restore();
  }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(option, index).width(), box_.ItemHeight()};
  }

 private:
  TabStopListBox& box_;
};

TabStopListBox::TabStopListBox(QWidget* parent) : QListWidget(parent) {
  setItemDelegate(new Delegate(*this));
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setUniformItemSizes(true);
}

void TabStopListBox::SetTabStops(const std::vector<int>& units, const QFontMetrics& metrics) {
  stopPixels_ = TabStopPixels(units, metrics);
  viewport()->update();
}

void LogListAdapter::Clear() { list_.clear(); }
int LogListAdapter::Count() const { return list_.count(); }
void LogListAdapter::Add(const std::string& line) { list_.addItem(QString::fromStdString(line)); }
void LogListAdapter::Set(int index, const std::string& line) {
  list_.item(index)->setText(QString::fromStdString(line));
}
bool LogListAdapter::HasFocus() const { return list_.hasFocus(); }
bool LogListAdapter::ShowsLastLine() const {
  const QScrollBar* bar = list_.verticalScrollBar();
  return bar->value() >= bar->maximum();
}
void LogListAdapter::SelectLast() {
  list_.setCurrentRow(list_.count() - 1);
  ScrollToLast();
}
void LogListAdapter::ScrollToLast() { list_.scrollToBottom(); }
void LogListAdapter::BeginUpdate() { list_.setUpdatesEnabled(false); }
void LogListAdapter::EndUpdate() { list_.setUpdatesEnabled(true); }

}  // namespace tarifuhr
