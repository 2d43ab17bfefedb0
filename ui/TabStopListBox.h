// SPDX-License-Identifier: MIT
#pragma once
// A list box whose lines hold tab-separated columns, laid out at tab stops
// given in dialog units (a quarter of the font's average character width).

#include <QListWidget>
#include <QStyledItemDelegate>
#include <vector>

#include "accounting/ConnectionLog.h"

namespace tarifuhr {

// Pixel positions of tab stops in dialog units for a font.
std::vector<int> TabStopPixels(const std::vector<int>& dialogUnits, const QFontMetrics& metrics);
// Where each column of `line` starts: a column wider than the room to the
// next stop pushes the rest to the following stop.
std::vector<int> ColumnPositions(const QStringList& columns, const std::vector<int>& stops,
                                 const QFontMetrics& metrics);

class TabStopListBox : public QListWidget {
  Q_OBJECT
 public:
  explicit TabStopListBox(QWidget* parent = nullptr);
  // Dialog units are taken in the given font (the window's).
  void SetTabStops(const std::vector<int>& dialogUnits, const QFontMetrics& metrics);
  const std::vector<int>& TabStopsPixels() const { return stopPixels_; }
  void SetItemHeight(int h) { itemHeight_ = h; }
  int ItemHeight() const { return itemHeight_; }

 private:
  class Delegate;
  std::vector<int> stopPixels_;
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
