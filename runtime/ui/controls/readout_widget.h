// A numeric read-out: the number right-aligned on a light display panel.
// Read-outs are rewritten with every measurement, so this one paints itself in
// a few plain fills, opaque (the group box behind it is not repainted with
// it), with its text laid out once per change rather than once per paint (a
// number without the shaping a text needs), and at most once a screen frame
// however fast the values come (the newest value is on screen within a frame). What it shows is its
// accessible text at once, and each change is announced. A unit, when it has one, stands after the
// number in a lighter colour and is part of that text ("3993 µm"); it is laid
// out once per unit, not per value.
// Private to the engine: only runtime/ (and the engine's own tests) include it.
#pragma once

#include <QElapsedTimer>
#include <QGlyphRun>
#include <QRawFont>
#include <QStaticText>
#include <QString>
#include <QTimer>
#include <QWidget>

class ReadoutWidget : public QWidget {
  Q_OBJECT
 public:
  explicit ReadoutWidget(QWidget* parent = nullptr);

  // The number and its unit, as a screen reader reads them.
  QString text() const { return unit_.isEmpty() ? text_ : text_ + ' ' + unit_; }
  // Shows `text`; an unchanged text costs nothing.
  void setText(const QString& text);
  // Shows `unit` ("" for none) after the number.
  void setUnit(const QString& unit);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void schedulePaint();
  void layOut();
  int unitWidth() const;  // the unit's room at the right, gap included

  QString text_;
  // A number is set glyph by glyph from the font's own advances: figures need
  // no shaping, and shaping each new value was most of a read-out's cost.
  // Other texts (or a font without some glyph) go through the text layout.
  QRawFont raw_;
  QGlyphRun glyphs_;  // empty: the text is shown through `shown_`
  qreal glyphsWidth_ = 0;
  QStaticText shown_;
  QString unit_;
  QStaticText unitShown_;
  QElapsedTimer sinceLastPaint_;
  QTimer paintTimer_;  // a paint due when the last one is a frame old
};
