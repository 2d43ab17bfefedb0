// SPDX-License-Identifier: MIT
#pragma once
// A list box whose lines hold tab-separated columns, laid out at tab stops
// given in dialog units (a quarter of the average character width of the
// list box's own font).

#include <QListWidget>
#include <QStyledItemDelegate>
#include <vector>

#include "accounting/ConnectionLog.h"

namespace tarifuhr {

// The average character width dialog units are counted in: that of the
// letters A-Z and a-z, as the platform measured it. The font's own figure
// (OS/2 table) runs far below it for some fonts and leaves the columns too
// narrow for their texts.
double DialogBaseWidth(const QFontMetricsF& metrics);
// Pixel positions of tab stops in dialog units for a font.
std::vector<int> TabStopPixels(const std::vector<int>& dialogUnits, const QFontMetricsF& metrics);
// Where each column of `line` starts: a column wider than the room to the
// next stop pushes the rest to the following stop.
std::vector<int> ColumnPositions(const QStringList& columns, const std::vector<int>& stops,
                                 const QFontMetrics& metrics);
// The stops every line fits: each stop where it is given, or moved right as
// far as the widest text before it needs (with a blank after it), so that a
// column's texts all begin at one place.
std::vector<int> StopsForLines(const std::vector<QStringList>& lines, const std::vector<int>& stops,
                               const QFontMetrics& metrics);

class TabStopListBox : public QListWidget {
  Q_OBJECT
 public:
  // Texts begin this far into the list, as the headings above them do.
  static constexpr int kTextInset = 2;

  explicit TabStopListBox(QWidget* parent = nullptr);
  ~TabStopListBox() override;
  // Dialog units of the list box's font, followed when the font changes.
  void SetTabStops(const std::vector<int>& dialogUnits);
  // The stops as given, and as moved for the lines shown.
  const std::vector<int>& TabStopsPixels() const { return stopPixels_; }
  const std::vector<int>& ColumnStops() const { return columnStops_; }
  // Where column `i`'s texts begin, in the list's coordinates.
  int ColumnLeft(size_t i) const;
  // The room the given stops leave column `i` (the last one to the list's
  // right edge): a text that fits it is never cut.
  int ColumnWidth(size_t i) const;
  void SetItemHeight(int h) { itemHeight_ = h; }
  int ItemHeight() const { return itemHeight_; }

 signals:
  // The stops moved: headings placed over the columns follow them.
  void ColumnsChanged();

 protected:
  void changeEvent(QEvent* event) override;

 private:
  class Delegate;
  void FitColumns();

  std::vector<int> dialogUnits_;
  std::vector<int> stopPixels_;
  std::vector<int> columnStops_;
  int itemHeight_ = 16;
};

// The connection log's list box as the log sees it.
class LogListAdapter : public LogListView {
 public:
  explicit LogListAdapter(QListWidget& list) : list_(list) {}
  QListWidget& List() { return list_; }
  void Clear() override;
  int Count() const override;
  void Add(const std::string& line) override;
  void Set(int index, const std::string& line) override;
  bool HasFocus() const override;
  bool ShowsLastLine() const override;
  void SelectLast() override;
  void ScrollToLast() override;
  void BeginUpdate() override;
  void EndUpdate() override;

 private:
  QListWidget& list_;
};

}  // namespace tarifuhr
