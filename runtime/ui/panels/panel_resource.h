// Reading the panel resource (docs/panel-resource.md): one panel of the JSON
// file into plain descriptions that the panel builder turns into widgets.
// Pure apart from Qt's JSON and string classes; no widgets are created here.
// Private to the engine: only runtime/ (and the engine's own tests) include it.
#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

struct RingItemSpec {
  int value = 0;
  QString text;
};

struct AxisSpec {
  QString label;
  double min = 0.0, max = 1.0;
  bool ticks = true;  // false: the axis shows no tick labels
};

struct CursorSpec {
  int color = 0xFFFFFF;
  QString label;
  QString text;  // what the cursor marks, in words ("" = its label)
};

// What plots of one colour show, for the graph's description in words.
struct LegendSpec {
  int color = 0;
  QString text;
};

// How a control or a frame follows a window of another size than its panel:
// shares of the difference in width (x) and height (y) by which it moves and
// grows. `larger` applies to extra room, `smaller` to missing room (the same
// shares unless the resource gives its own). All zero: it stays as placed.
struct ResizeShares {
  double moveX = 0.0, moveY = 0.0, growX = 0.0, growY = 0.0;
  bool any() const { return moveX != 0.0 || moveY != 0.0 || growX != 0.0 || growY != 0.0; }
};
struct ResizeSpec {
  ResizeShares larger, smaller;
  bool any() const { return larger.any() || smaller.any(); }
};

struct ControlSpec {
  int id = 0;
  QString name, kind, label, callback;
  int left = 0, top = 0, width = 0, height = 0;
  ResizeSpec resize;
  bool dimmed = false;
  bool visible = true;

  double number = 0.0;  // initial value of value-holding kinds
  QString text;         // initial value of "text" and "textbox"

  // numeric
  QString mode = "edit";  // numeric: "edit" or "indicator"; led: the same, "indicator" by default
  QString type = "u16";   // "u16", "int" or "float"
  double min = 0.0, max = 65535.0, step = 1.0;
  int precision = 0;
  // switch, led
  QString onText = "on", offText = "off";
  int onColor = 0x00C853;
  // ring
  QString style = "ring";  // "ring" or "dropdown"
  bool comPorts = false;   // items are the serial ports
  std::vector<RingItemSpec> items;
  // graph
  AxisSpec xAxis, yAxis;
  std::vector<CursorSpec> cursors;
  std::vector<LegendSpec> legend;
  // command
  bool closesPanel = false;  // the button asks to close its panel, as the window's close button
};

struct DecorationSpec {
  QString label;
  int left = 0, top = 0, width = 0, height = 0;
  ResizeSpec resize;
};

struct PanelSpec {
  int number = 0;
  QString name, title, callback;
  int width = 0, height = 0;
  // The smallest size the panel is laid out at (its own size unless given);
  // a window smaller still scrolls.
  int minWidth = 0, minHeight = 0;
  bool hasPosition = false;
  int left = 0, top = 0;
  int escapeControl = 0;  // the command button Escape activates; 0 for none
  std::vector<ControlSpec> controls;
  std::vector<DecorationSpec> decorations;
};

// Reads every panel of the resource text and describes panel `panelNumber`
// (and, when `all` is given, every panel of the file). Returns 0,
// UIE_BAD_RESOURCE (malformed file or any malformed panel; `error` says what
// and where) or UIE_NO_SUCH_RESOURCE_PANEL.
int ParsePanelResource(const QByteArray& json, int panelNumber, PanelSpec* out, QString* error,
                       std::vector<PanelSpec>* all = nullptr);

// "0xRRGGBB" (or a JSON number) to an integer colour; false when malformed.
bool ParseColor(const QString& text, int* color);
