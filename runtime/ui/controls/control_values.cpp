// Control values and attributes as the program sees them: typed values in and
// out, Latin-1 texts, attributes by number.
#include <QApplication>
#include <cmath>
#include <cstring>
#include <limits>

#include "runtime/engine/engine.h"
#include "runtime/ui/controls/control.h"
#include "runtime/ui/graph/graph_widget.h"
#include "runtime/ui/panels/panel_window.h"

namespace {

// Numbers for integer targets: truncated toward zero and held within the
// target's range (a float control read as an integer, for example).
template <typename T>
T ToInteger(double v) {
  if (std::isnan(v)) return 0;
  const double t = std::trunc(v);
  const double lo = static_cast<double>(std::numeric_limits<T>::min());
  const double hi = static_cast<double>(std::numeric_limits<T>::max());
  return static_cast<T>(std::clamp(t, lo, hi));
}

template <typename T>
int GetInteger(int panel, int control, T* value) {
  Control* c = FindControl(panel, control);
  if (c == nullptr) return FindPanel(panel) ? UIE_NO_SUCH_CONTROL : UIE_NO_SUCH_PANEL;
  if (value == nullptr) return UIE_BAD_VALUE;
  double v = 0.0;
  const int r = c->getNumber(&v);
  if (r < 0) return r;
  *value = ToInteger<T>(v);
  return 0;
}

int SetNumber(int panel, int control, double value) {
  Control* c = FindControl(panel, control);
  if (c == nullptr) return FindPanel(panel) ? UIE_NO_SUCH_CONTROL : UIE_NO_SUCH_PANEL;
  return c->setNumber(value);
}

Control* Find(int panel, int control, int* error) {
  Control* c = FindControl(panel, control);
  if (c == nullptr) *error = FindPanel(panel) ? UIE_NO_SUCH_CONTROL : UIE_NO_SUCH_PANEL;
  return c;
}

}  // namespace

int GetCtrlVal(int panel, int control, uint16_t* value) {
  return GetInteger(panel, control, value);
}

int GetCtrlVal(int panel, int control, int* value) {
  return GetInteger(panel, control, value);
}

int GetCtrlVal(int panel, int control, float* value) {
  int error = 0;
  Control* c = Find(panel, control, &error);
  if (c == nullptr) return error;
  if (value == nullptr) return UIE_BAD_VALUE;
  double v = 0.0;
  const int r = c->getNumber(&v);
  if (r < 0) return r;
  *value = static_cast<float>(v);
  return 0;
}

int GetCtrlVal(int panel, int control, double* value) {
  int error = 0;
  Control* c = Find(panel, control, &error);
  if (c == nullptr) return error;
  if (value == nullptr) return UIE_BAD_VALUE;
  return c->getNumber(value);
}

int GetCtrlVal(int panel, int control, char* text, size_t textSize) {
  int error = 0;
  Control* c = Find(panel, control, &error);
  if (c == nullptr) return error;
  if (text == nullptr || textSize == 0) return UIE_BAD_VALUE;
  QString value;
  const int r = c->getText(&value);
  if (r < 0) return r;
  // Characters outside Latin-1 become '?', as toLatin1 does.
  const QByteArray bytes = value.toLatin1();
  const size_t n = std::min(textSize - 1, static_cast<size_t>(bytes.size()));
  std::memcpy(text, bytes.constData(), n);
  text[n] = '\0';
  return 0;
}

int SetCtrlVal(int panel, int control, uint16_t value) {
  return SetNumber(panel, control, value);
}
int SetCtrlVal(int panel, int control, int value) {
  return SetNumber(panel, control, value);
}
int SetCtrlVal(int panel, int control, unsigned value) {
  return SetNumber(panel, control, value);
}
int SetCtrlVal(int panel, int control, float value) {
  return SetNumber(panel, control, value);
}
int SetCtrlVal(int panel, int control, double value) {
  return SetNumber(panel, control, value);
}

int SetCtrlVal(int panel, int control, const char* text) {
  int error = 0;
  Control* c = Find(panel, control, &error);
  if (c == nullptr) return error;
  if (text == nullptr) return UIE_BAD_VALUE;
  return c->setText(QString::fromLatin1(text));
}

int SetCtrlAttribute(int panel, int control, int attribute, int value) {
  int error = 0;
  Control* c = Find(panel, control, &error);
  if (c == nullptr) return error;
  switch (attribute) {
    case UI_ATTR_DIMMED:
      c->setDimmed(value != 0);
      return 0;
    case UI_ATTR_VISIBLE:
      c->setShown(value != 0);
      return 0;
    case UI_ATTR_TEXT_COLOR:
      c->setTextColor(value);
      return 0;
    case UI_ATTR_TEXT_BGCOLOR:
      c->setTextBackground(value);
      return 0;
    case UI_ATTR_TEXT_POINT_SIZE:
      if (value <= 0 || value > 400) return UIE_BAD_VALUE;
      c->setTextPixelSize(value);
      return 0;
    case UI_ATTR_MAX_VALUE:
      return c->setMaximum(value);
    default:
      return UIE_BAD_VALUE;
  }
}

int SetCtrlAttribute(int panel, int control, int attribute, const char* text) {
  int error = 0;
  Control* c = Find(panel, control, &error);
  if (c == nullptr) return error;
  if (text == nullptr) return UIE_BAD_VALUE;
  if (attribute == UI_ATTR_CORRECTION_NOTE) {
    c->setCorrectionNote(QString::fromLatin1(text));
    return 0;
  }
  if (attribute == UI_ATTR_GRAPH_SUMMARY) {
    auto* graph = qobject_cast<GraphWidget*>(c->body());
    if (graph == nullptr) return UIE_BAD_VALUE;
    graph->setSummaryWords(QString::fromLatin1(text));
    return 0;
  }
  if (attribute != UI_ATTR_TEXT_FONT) return UIE_BAD_VALUE;
  c->setTextFont(QString::fromLatin1(text));
  return 0;
}

int GetCtrlAttribute(int panel, int control, int attribute, int* value) {
  int error = 0;
  Control* c = Find(panel, control, &error);
  if (c == nullptr) return error;
  if (value == nullptr) return UIE_BAD_VALUE;
  switch (attribute) {
    case UI_ATTR_DIMMED:
      *value = c->dimmed() ? 1 : 0;
      return 0;
    case UI_ATTR_VISIBLE:
      *value = c->shown() ? 1 : 0;
      return 0;
    case UI_ATTR_TEXT_COLOR:
      *value = c->textColor();
      return 0;
    case UI_ATTR_TEXT_BGCOLOR:
      *value = c->textBackground();
      return 0;
    case UI_ATTR_TEXT_POINT_SIZE:
      *value = c->textPixelSize();
      return 0;
    case UI_ATTR_CORRECTION_NOTE:
      *value = c->marked() ? 1 : 0;
      return 0;
    case UI_ATTR_MAX_VALUE: {
      double max = 0.0;
      const int r = c->getMaximum(&max);
      if (r < 0) return r;
      *value = ToInteger<int>(max);
      return 0;
    }
    default:
      return UIE_BAD_VALUE;
  }
}

int SetCtrlShownUnit(int panel, int control, double factor, double divisor, const char* unit) {
  int error = 0;
  Control* c = Find(panel, control, &error);
  if (c == nullptr) return error;
  if (unit == nullptr || !(factor > 0.0) || !(divisor > 0.0) || !std::isfinite(factor) ||
      !std::isfinite(divisor))
    return UIE_BAD_VALUE;
  return c->setShownUnit(factor, divisor, QString::fromLatin1(unit));
}

int NewCtrl(int panel, int kind, const char* label, int top, int left) {
  PanelWindow* window = FindPanel(panel);
  if (window == nullptr) return UIE_NO_SUCH_PANEL;
  if (kind != UI_CTRL_TEXT_MSG) return UIE_BAD_VALUE;
  return window->addTextMessage(QString::fromLatin1(label != nullptr ? label : ""), left, top);
}

int ReplaceTextBoxLine(int panel, int control, int line, const char* text) {
  int error = 0;
  Control* c = Find(panel, control, &error);
  if (c == nullptr) return error;
  if (text == nullptr) return UIE_BAD_VALUE;
  return c->replaceLine(line, QString::fromLatin1(text));
}
