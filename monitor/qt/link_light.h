// The link light beside the status line: a coloured dot and a short text
// ("26.6 replies/s · 19 ms · 0 time-outs"). Assistive technology reads it as
// an indicator whose name carries its state ("Link: green, replies
// arriving"), with the whole view's text as its value and description; the
// description follows the figures at most twice a second. It only shows what
// it is given.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include "monitor/link_health.h"

class LinkLight : public QWidget {
  Q_OBJECT
 public:
  explicit LinkLight(QWidget* parent);

  // Puts the light's right edge at `right` and its top at `top` (parent's
  // pixels); it grows and shrinks to the left with its text.
  void PlaceRightAligned(int right, int top);
  // Shows `view` at `nowMs` (the line log's clock); nothing happens when it
  // reads as before.
  void Show(const monitor::LinkHealthView& view, double nowMs);
  const QString& shortText() const { return shortText_; }
  // Its accessible name: "Link: " with the colour and its meaning.
  const QString& stateName() const { return stateName_; }
  // What a screen reader reads as its value: the colour, then the view's text.
  const QString& spokenText() const { return spokenText_; }
  static constexpr double kDescriptionGapMs = 500.0;
  QColor dotColour() const;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void fit();

  int right_ = 0, top_ = 0;
  monitor::LinkColour colour_ = monitor::LinkColour::kGrey;
  QString shortText_;
  QString stateName_;
  QString spokenText_;
  double describedAtMs_ = 0.0;
  bool described_ = false;
};

// Makes assistive technology ask the light for its value (once per process).
void InstallLinkLightAccessibility();
