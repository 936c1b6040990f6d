// A clearly visible keyboard focus: a 2-pixel ring in the theme's highlight
// colour around whichever control of the panel has the focus, the same for
// every kind (the style's own focus marks are faint and differ by kind).
// It lies above the controls and lets the mouse through.
// Private to the engine: only runtime/ (and the engine's own tests) include it.
#pragma once

#include <QPointer>
#include <QWidget>

class PanelWindow;

class FocusRing : public QWidget {
  Q_OBJECT
 public:
  explicit FocusRing(PanelWindow* panel);
  // The widget the ring is drawn around, or nullptr while it is hidden.
  QWidget* target() const { return target_; }
  // Goes round its target where it now stands (after the panel was laid out).
  void place();

  static constexpr int kWidth = 2;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void follow(QWidget* focus);

  PanelWindow* panel_;
  QPointer<QWidget> target_;
};
