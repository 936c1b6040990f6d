// Freeze: one state that holds the main panel's two graphs (the scope and the
// video line) and the trend on screen while acquisition goes on. The data
// keeps arriving, counted and kept; only painting holds. Released, each shows
// its newest state at once. The panel's and the trend window's Freeze toggles
// are bound to this state through changed().
#pragma once

#include <QObject>

namespace watch {

class Freeze : public QObject {
  Q_OBJECT
 public:
  // Releases the graphs when it goes while frozen.
  ~Freeze() override;

  bool frozen() const { return frozen_; }
  // Holds (or releases) both graphs and tells changed() when the state
  // changes; nothing happens when it is as asked. A graph that cannot be held
  // (no main panel) is said in the status line; the trend is held all the same.
  void setFrozen(bool frozen);

 signals:
  void changed(bool frozen);

 private:
  bool frozen_ = false;
};

}  // namespace watch
