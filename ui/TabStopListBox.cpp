// SPDX-License-Identifier: MIT
#include "ui/TabStopListBox.h"

#include <QEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

namespace tarifuhr {

double DialogBaseWidth(const QFontMetricsF& metrics) {
  static const QString kLetters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  return metrics.horizontalAdvance(kLetters) / kLetters.size();
}

std::vector<int> TabStopPixels(const std::vector<int>& units, const QFontMetricsF& metrics) {
  const double base = DialogBaseWidth(metrics);
  std::vector<int> out;
  for (int u : units) out.push_back(static_cast<int>(std::lround(u * base / 4)));
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
    // A text that just fills its column leaves the next one in its place.
    while (nextStop < stops.size() && stops[nextStop] < end) ++nextStop;
    // Past the last stop, columns follow one another with one blank.
    x = nextStop < stops.size() ? stops[nextStop++] : end + metrics.horizontalAdvance(' ');
  }
  return pos;
}

std::vector<int> StopsForLines(const std::vector<QStringList>& lines, const std::vector<int>& stops,
                               const QFontMetrics& metrics) {
  std::vector<int> out = stops;
  const int blank = metrics.horizontalAdvance(' ');
  for (size_t i = 0; i < out.size(); ++i) {
    const int left = i == 0 ? 0 : out[i - 1];
    int widest = 0;
    for (const QStringList& columns : lines)
      if (static_cast<qsizetype>(i) < columns.size())
        widest = std::max(widest, metrics.horizontalAdvance(columns[static_cast<qsizetype>(i)]));
    if (left + widest > out[i]) out[i] = left + widest + blank;
    if (i + 1 < out.size()) out[i + 1] = std::max(out[i + 1], out[i]);
  }
  return out;
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
    const std::vector<int> x = ColumnPositions(columns, box_.ColumnStops(), fm);
    for (int i = 0; i < columns.size(); ++i) {
      const int left = kTextInset + x[i];
      const QRect r(opt.rect.left() + left, opt.rect.top(), opt.rect.width() - left, opt.rect.height());
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
  // Lines come and go and the live one changes every second.
  connect(model(), &QAbstractItemModel::rowsInserted, this, [this] { FitColumns(); });
  connect(model(), &QAbstractItemModel::rowsRemoved, this, [this] { FitColumns(); });
  connect(model(), &QAbstractItemModel::modelReset, this, [this] { FitColumns(); });
  connect(model(), &QAbstractItemModel::dataChanged, this, [this] { FitColumns(); });
}

// The model empties itself after the view is gone.
TabStopListBox::~TabStopListBox() { model()->disconnect(this); }

void TabStopListBox::SetTabStops(const std::vector<int>& units) {
  dialogUnits_ = units;
  stopPixels_ = TabStopPixels(units, QFontMetricsF(font()));
  columnStops_.clear();
  FitColumns();
}

void TabStopListBox::FitColumns() {
  std::vector<QStringList> lines;
  for (int i = 0; i < count(); ++i) lines.push_back(item(i)->text().split('\t'));
  std::vector<int> stops = StopsForLines(lines, stopPixels_, fontMetrics());
  if (stops == columnStops_) return;
  columnStops_ = std::move(stops);
  viewport()->update();
  emit ColumnsChanged();
}

int TabStopListBox::ColumnLeft(size_t i) const {
  return kTextInset +
         (i == 0 || columnStops_.empty() ? 0 : columnStops_[std::min(i, columnStops_.size()) - 1]);
}

int TabStopListBox::ColumnWidth(size_t i) const {
  const int left = i == 0 || stopPixels_.empty() ? 0 : stopPixels_[std::min(i, stopPixels_.size()) - 1];
  const int right = i < stopPixels_.size() ? stopPixels_[i] : width() - kTextInset;
  return right - left;
}

void TabStopListBox::changeEvent(QEvent* event) {
  QListWidget::changeEvent(event);
  if (event->type() == QEvent::FontChange && !dialogUnits_.empty()) SetTabStops(dialogUnits_);
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
