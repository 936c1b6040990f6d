// The line monitor's table view: as the table follows the line, only the rows
// that came are painted. What was on screen moves up by as many rows as came
// (a copy of its pixels, not a paint), where Qt's table would lay itself out
// and repaint every visible cell for each new row.
#pragma once

#include <QTableView>
#include <functional>

class LineTableView : public QTableView {
  Q_OBJECT
 public:
  using QTableView::QTableView;

  // Runs `follow` (the model's Follow: rows come at the bottom, old ones may
  // leave at the top; true when rows came or went), then shows the newest row
  // when `toNewest`. Through a filter (the model is not the line table) or
  // when the rows were built afresh, the table is repainted as Qt does it.
  void FollowLine(const std::function<bool()>& follow, bool toNewest);

 protected:
  void doItemsLayout() override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  bool quiet_ = false;  // laying out and scrolling leave the viewport's pixels alone
};
