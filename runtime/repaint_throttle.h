// Painting a widget at most once per screen refresh, however often it changes.
//
// A widget that changes faster than the screen shows (a read-out, a graph, a
// strip chart) tells its throttle what changed; the throttle hands that to Qt
// to paint at the next refresh: at once when its last paint is a refresh old,
// otherwise when it will be. Changes that come in between are gathered into
// one paint, their regions joined, so the newest change is on screen within
// one refresh and nothing is painted twice for it.
//
// What changed may be told as it happens (request with a region), or asked for
// when the paint is handed over (the widget's `changed` function): a widget
// whose picture is rebuilt piece by piece (a graph's plots deleted, then drawn
// again) knows only then what differs from what the screen shows.
//
// The engine's event loop hands over every due paint before it waits, so a
// change made by polling code (the Run loop) is painted in the round that
// follows it; in any other event loop (a dialog's) a zero timer does it.
// All on the user-interface thread.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QRegion>
#include <QTimer>
#include <functional>

class QPainter;
class QWidget;

class RepaintThrottle : public QObject {
 public:
  // Asked at each hand-over for the region that differs from the screen, in
  // `widget`'s coordinates (empty: nothing to paint).
  using ChangedFn = std::function<QRegion()>;

  explicit RepaintThrottle(QWidget* widget, ChangedFn changed = {});
  ~RepaintThrottle() override;

  // `region` changed.
  void request(const QRegion& region);
  // Something changed; the `changed` function says what, at the hand-over
  // (without one: the whole widget).
  void request();
  // Everything changed.
  void requestAll();
  // Forgets what waits (a frozen picture keeps what the screen shows).
  void cancel();
  // Whether a change waits for its paint.
  bool waiting() const { return waiting_; }

  // Hands what waits to painting now, whether due or not.
  void flush();

  // Whether `painter`, open on the widget in its paintEvent, paints the
  // screen (the window's backing store) rather than a copy (QWidget::grab):
  // only a paint of the screen changes what the screen shows.
  bool paintsScreen(const QPainter& painter) const;

  // The screen's refresh period for `widget`, in milliseconds (60 Hz when the
  // screen does not say).
  static int FrameMs(const QWidget* widget);

 private:
  void schedule();

  QWidget* widget_;
  ChangedFn changed_;
  QRegion region_;
  bool ask_ = false;  // the changed function is to be asked
  bool all_ = false;
  bool waiting_ = false;
  QTimer timer_;
  QElapsedTimer sinceFlush_;
};
