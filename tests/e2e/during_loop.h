// Acting from inside a running acquisition loop. A loop runs inside the
// callback that started it and processes events; an action scheduled here
// runs from that event processing, as the operator's press would.
#pragma once

#include <QTimer>

#include <functional>
#include <memory>

// Runs `action` once, at the first processing of events at which `ready()`
// holds (a zero-interval timer: looked at in every round of event processing).
// Each instance has its own timer, so one may fire inside the action of another
// (a Stop pressed inside a Run started from an earlier action).
class WhenReady {
 public:
  WhenReady(std::function<bool()> ready, std::function<void()> action)
      : ready_(std::move(ready)), action_(std::move(action)) {
    timer_.setInterval(0);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (fired_ || !ready_()) return;
      fired_ = true;
      timer_.stop();
      action_();
    });
    timer_.start();
  }
  bool fired() const { return fired_; }

 private:
  std::function<bool()> ready_;
  std::function<void()> action_;
  QTimer timer_;
  bool fired_ = false;
};
