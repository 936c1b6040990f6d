// Reading one panel of the JSON panel resource. Every field is checked for its
// type so that a hand-edited file with a slip gives a clear message instead of
// a half-built panel.
#include "runtime/ui/panels/panel_resource.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSet>
#include <cmath>

#include "runtime/userint.h"

namespace {

const QStringList kKinds = {"numeric", "slide",   "switch", "radio",   "led",
                            "ring",    "command", "text",   "textbox", "graph"};

// Collects the first error; every reader returns false once one is recorded.
class Reader {
 public:
  explicit Reader(QString where) : where_(std::move(where)) {}

  bool fail(const QString& what) {
    if (error_.isEmpty()) error_ = where_ + ": " + what;
    return false;
  }
  const QString& error() const { return error_; }

  bool integer(const QJsonObject& o, const char* key, int* out, bool required) {
    const QJsonValue v = o.value(key);
    if (v.isUndefined()) return required ? fail(QString("missing \"%1\"").arg(key)) : true;
    const double d = v.toDouble(NAN);
    if (!v.isDouble() || std::floor(d) != d || std::fabs(d) > 2147483647.0)
      return fail(QString("\"%1\" must be an integer").arg(key));
    *out = static_cast<int>(d);
    return true;
  }

  bool number(const QJsonObject& o, const char* key, double* out, bool required) {
    const QJsonValue v = o.value(key);
    if (v.isUndefined()) return required ? fail(QString("missing \"%1\"").arg(key)) : true;
    if (!v.isDouble()) return fail(QString("\"%1\" must be a number").arg(key));
    *out = v.toDouble();
    return true;
  }

  bool string(const QJsonObject& o, const char* key, QString* out, bool required) {
    const QJsonValue v = o.value(key);
    if (v.isUndefined()) return required ? fail(QString("missing \"%1\"").arg(key)) : true;
    if (!v.isString()) return fail(QString("\"%1\" must be a text").arg(key));
    *out = v.toString();
    return true;
  }

  bool boolean(const QJsonObject& o, const char* key, bool* out) {
    const QJsonValue v = o.value(key);
    if (v.isUndefined()) return true;
    if (!v.isBool()) return fail(QString("\"%1\" must be true or false").arg(key));
    *out = v.toBool();
    return true;
  }

  bool color(const QJsonObject& o, const char* key, int* out) {
    const QJsonValue v = o.value(key);
    if (v.isUndefined()) return true;
    if (v.isDouble() && v.toDouble() >= 0 && v.toDouble() <= 0xFFFFFF) {
      *out = v.toInt();
      return true;
    }
    if (v.isString() && ParseColor(v.toString(), out)) return true;
    return fail(QString("\"%1\" must be a colour \"0xRRGGBB\"").arg(key));
  }

 private:
  QString where_;
  QString error_;
};

// A pair of shares [x, y], each from -1 to 1.
bool ReadShares(Reader& r, const QJsonObject& o, const char* key, double* x, double* y) {
  const QJsonValue v = o.value(key);
  if (v.isUndefined()) return true;
  const QJsonArray a = v.toArray();
  if (!v.isArray() || a.size() != 2 || !a.at(0).isDouble() || !a.at(1).isDouble() ||
      std::fabs(a.at(0).toDouble()) > 1.0 || std::fabs(a.at(1).toDouble()) > 1.0)
    return r.fail(QString("\"%1\" must be two shares [x, y] from -1 to 1").arg(key));
  *x = a.at(0).toDouble();
  *y = a.at(1).toDouble();
  return true;
}

// "move" and "grow" for a larger window, "shrinkMove" and "shrinkGrow" for a
// smaller one (the same unless given).
bool ReadResize(Reader& r, const QJsonObject& o, ResizeSpec* spec) {
  ResizeShares& l = spec->larger;
  if (!ReadShares(r, o, "move", &l.moveX, &l.moveY) ||
      !ReadShares(r, o, "grow", &l.growX, &l.growY))
    return false;
  spec->smaller = l;
  ResizeShares& s = spec->smaller;
  return ReadShares(r, o, "shrinkMove", &s.moveX, &s.moveY) &&
         ReadShares(r, o, "shrinkGrow", &s.growX, &s.growY);
}

bool ReadAxis(Reader& r, const QJsonObject& o, const char* key, AxisSpec* axis) {
  const QJsonValue v = o.value(key);
  if (v.isUndefined()) return true;
  if (!v.isObject()) return r.fail(QString("\"%1\" must be an object").arg(key));
  const QJsonObject a = v.toObject();
  if (!r.string(a, "label", &axis->label, false) || !r.number(a, "min", &axis->min, false) ||
      !r.number(a, "max", &axis->max, false) || !r.boolean(a, "ticks", &axis->ticks))
    return false;
  if (!(axis->max > axis->min)) return r.fail(QString("\"%1\" needs max > min").arg(key));
  return true;
}

bool ReadItems(Reader& r, const QJsonObject& o, ControlSpec* c) {
  const QJsonValue v = o.value("items");
  if (v.isString() && v.toString() == "com-ports") {
    c->comPorts = true;
    return true;
  }
  if (!v.isArray()) return r.fail("\"items\" must be a list or \"com-ports\"");
  for (const QJsonValue& entry : v.toArray()) {
    if (!entry.isObject()) return r.fail("each item must be an object");
    RingItemSpec item;
    if (!r.integer(entry.toObject(), "value", &item.value, true) ||
        !r.string(entry.toObject(), "text", &item.text, true))
      return false;
    c->items.push_back(item);
  }
  if (c->items.empty()) return r.fail("a ring needs at least one item");
  return true;
}

bool ReadLegend(Reader& r, const QJsonObject& o, ControlSpec* c) {
  const QJsonValue legend = o.value("legend");
  if (legend.isUndefined()) return true;
  if (!legend.isArray()) return r.fail("\"legend\" must be a list");
  for (const QJsonValue& entry : legend.toArray()) {
    if (!entry.isObject()) return r.fail("each legend entry must be an object");
    LegendSpec item;
    if (!r.color(entry.toObject(), "color", &item.color) ||
        !r.string(entry.toObject(), "text", &item.text, true))
      return false;
    c->legend.push_back(item);
  }
  return true;
}

bool ReadKindFields(Reader& r, const QJsonObject& o, ControlSpec* c) {
  const QString& k = c->kind;
  if (k == "text" || k == "textbox") return r.string(o, "value", &c->text, false);
  if (k == "command") return r.boolean(o, "closesPanel", &c->closesPanel);
  if (k == "graph") {
    c->xAxis = AxisSpec{"", 0.0, 100.0, true};
    c->yAxis = AxisSpec{"", 0.0, 100.0, true};
    if (!ReadAxis(r, o, "xAxis", &c->xAxis) || !ReadAxis(r, o, "yAxis", &c->yAxis)) return false;
    if (!ReadLegend(r, o, c)) return false;
    const QJsonValue cursors = o.value("cursors");
    if (cursors.isUndefined()) return true;
    if (!cursors.isArray()) return r.fail("\"cursors\" must be a list");
    for (const QJsonValue& entry : cursors.toArray()) {
      if (!entry.isObject()) return r.fail("each cursor must be an object");
      CursorSpec cursor;
      if (!r.color(entry.toObject(), "color", &cursor.color) ||
          !r.string(entry.toObject(), "label", &cursor.label, false) ||
          !r.string(entry.toObject(), "text", &cursor.text, false))
        return false;
      c->cursors.push_back(cursor);
    }
    if (c->cursors.size() != 3) return r.fail("a graph has either no cursors or three");
    return true;
  }

  // Kinds that hold a number.
  if (!r.number(o, "value", &c->number, false)) return false;
  if (k == "numeric" || k == "slide") {
    c->min = 0.0;
    c->max = k == "slide" ? 1023.0 : 65535.0;
    if (!r.number(o, "min", &c->min, false) || !r.number(o, "max", &c->max, false)) return false;
    if (!(c->max >= c->min)) return r.fail("\"max\" must not be below \"min\"");
  }
  if (k == "numeric") {
    if (!r.string(o, "mode", &c->mode, false) || !r.string(o, "type", &c->type, false) ||
        !r.number(o, "step", &c->step, false) || !r.integer(o, "precision", &c->precision, false))
      return false;
    if (c->mode != "edit" && c->mode != "indicator")
      return r.fail("\"mode\" must be \"edit\" or \"indicator\"");
    if (c->type != "u16" && c->type != "int" && c->type != "float")
      return r.fail("\"type\" must be \"u16\", \"int\" or \"float\"");
    if (c->precision < 0 || c->precision > 6) return r.fail("\"precision\" must be 0..6");
    if (!(c->step > 0.0)) return r.fail("\"step\" must be above 0");
    if (c->type == "u16" && (c->min < 0.0 || c->max > 65535.0))
      return r.fail("a u16 numeric needs 0 <= min <= max <= 65535");
  }
  if (k == "slide" && (c->min < 0.0 || c->max > 65535.0))
    return r.fail("a slide needs 0 <= min <= max <= 65535");
  if (k == "switch")
    return r.string(o, "onText", &c->onText, false) && r.string(o, "offText", &c->offText, false);
  if (k == "led") {
    c->mode = "indicator";
    if (!r.color(o, "onColor", &c->onColor) || !r.string(o, "mode", &c->mode, false)) return false;
    if (c->mode != "edit" && c->mode != "indicator")
      return r.fail("\"mode\" must be \"edit\" or \"indicator\"");
    return true;
  }
  if (k == "ring") {
    if (!r.string(o, "style", &c->style, false)) return false;
    if (c->style != "ring" && c->style != "dropdown")
      return r.fail("\"style\" must be \"ring\" or \"dropdown\"");
    return ReadItems(r, o, c);
  }
  return true;
}

bool ReadControl(const QJsonValue& v, int index, ControlSpec* c, QString* error) {
  Reader r(QString("control %1").arg(index + 1));
  if (!v.isObject()) {
    r.fail("must be an object");
    *error = r.error();
    return false;
  }
  const QJsonObject o = v.toObject();
  bool ok = r.integer(o, "id", &c->id, true) && r.string(o, "kind", &c->kind, true);
  if (ok) {
    // From here on name the control by its id, which is what people look for.
    r = Reader(QString("control id %1").arg(c->id));
    if (c->id <= 0) ok = r.fail("\"id\" must be positive");
  }
  ok = ok && (kKinds.contains(c->kind) || r.fail("unknown kind \"" + c->kind + "\""));
  ok = ok && r.string(o, "name", &c->name, false) && r.string(o, "label", &c->label, false) &&
       r.string(o, "callback", &c->callback, false) && r.integer(o, "left", &c->left, true) &&
       r.integer(o, "top", &c->top, true) && r.integer(o, "width", &c->width, true) &&
       r.integer(o, "height", &c->height, true) && r.boolean(o, "dimmed", &c->dimmed) &&
       r.boolean(o, "visible", &c->visible) && ReadResize(r, o, &c->resize);
  ok = ok && ((c->width > 0 && c->height > 0) || r.fail("width and height must be positive"));
  ok = ok && ReadKindFields(r, o, c);
  if (!ok) *error = r.error();
  return ok;
}

bool ReadPanel(const QJsonObject& o, PanelSpec* p, QString* error) {
  Reader r(QString("panel %1").arg(p->number));
  bool ok = r.string(o, "name", &p->name, false) && r.string(o, "title", &p->title, false) &&
            r.string(o, "callback", &p->callback, false) &&
            r.integer(o, "width", &p->width, true) && r.integer(o, "height", &p->height, true) &&
            r.integer(o, "escape", &p->escapeControl, false);
  ok = ok && ((p->width > 0 && p->height > 0) || r.fail("width and height must be positive"));
  p->minWidth = p->width;
  p->minHeight = p->height;
  ok = ok && r.integer(o, "minWidth", &p->minWidth, false) &&
       r.integer(o, "minHeight", &p->minHeight, false);
  ok = ok && ((p->minWidth > 0 && p->minWidth <= p->width && p->minHeight > 0 &&
               p->minHeight <= p->height) ||
              r.fail("minWidth and minHeight must be positive and at most width and height"));
  if (ok && (o.contains("left") || o.contains("top"))) {
    p->hasPosition = true;
    ok = r.integer(o, "left", &p->left, false) && r.integer(o, "top", &p->top, false);
  }
  if (!ok) {
    *error = r.error();
    return false;
  }

  const QJsonValue controls = o.value("controls");
  if (!controls.isArray()) {
    *error = r.error().isEmpty() ? QString("panel %1: \"controls\" must be a list").arg(p->number)
                                 : r.error();
    return false;
  }
  QSet<int> ids;
  const QJsonArray list = controls.toArray();
  for (int i = 0; i < list.size(); ++i) {
    ControlSpec c;
    if (!ReadControl(list.at(i), i, &c, error)) {
      *error = QString("panel %1, %2").arg(p->number).arg(*error);
      return false;
    }
    if (ids.contains(c.id)) {
      *error = QString("panel %1: control id %2 appears twice").arg(p->number).arg(c.id);
      return false;
    }
    ids.insert(c.id);
    p->controls.push_back(c);
  }
  if (p->escapeControl != 0) {
    bool isCommand = false;
    for (const ControlSpec& c : p->controls)
      if (c.id == p->escapeControl) isCommand = c.kind == "command";
    if (!isCommand) {
      *error = QString("panel %1: \"escape\" must name a command button").arg(p->number);
      return false;
    }
  }

  const QJsonValue decorations = o.value("decorations");
  if (decorations.isUndefined()) return true;
  if (!decorations.isArray()) {
    *error = QString("panel %1: \"decorations\" must be a list").arg(p->number);
    return false;
  }
  for (const QJsonValue& v : decorations.toArray()) {
    DecorationSpec d;
    Reader dr(QString("panel %1, decoration").arg(p->number));
    const QJsonObject dobj = v.toObject();
    if (!v.isObject() || !dr.string(dobj, "label", &d.label, false) ||
        !dr.integer(dobj, "left", &d.left, true) || !dr.integer(dobj, "top", &d.top, true) ||
        !dr.integer(dobj, "width", &d.width, true) ||
        !dr.integer(dobj, "height", &d.height, true) || !ReadResize(dr, dobj, &d.resize)) {
      *error = dr.error().isEmpty()
                   ? QString("panel %1: a decoration must be an object").arg(p->number)
                   : dr.error();
      return false;
    }
    p->decorations.push_back(d);
  }
  return true;
}

}  // namespace

bool ParseColor(const QString& text, int* color) {
  const QString t = text.trimmed();
  if (!t.startsWith("0x", Qt::CaseInsensitive) || t.size() < 3 || t.size() > 8) return false;
  bool ok = false;
  const uint value = t.mid(2).toUInt(&ok, 16);
  if (!ok || value > 0xFFFFFFu) return false;
  *color = static_cast<int>(value);
  return true;
}

int ParsePanelResource(const QByteArray& json, int panelNumber, PanelSpec* out, QString* error,
                       std::vector<PanelSpec>* all) {
  QJsonParseError parseError;
  const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
  if (doc.isNull()) {
    *error = QString("not valid JSON at offset %1: %2")
                 .arg(parseError.offset)
                 .arg(parseError.errorString());
    return UIE_BAD_RESOURCE;
  }
  if (!doc.isObject()) {
    *error = "the file must hold one JSON object";
    return UIE_BAD_RESOURCE;
  }
  const QJsonObject root = doc.object();
  if (root.value("format").toString() != "vantrel-panel-resource") {
    *error = "\"format\" must read \"vantrel-panel-resource\"";
    return UIE_BAD_RESOURCE;
  }
  if (!root.value("version").isDouble() || root.value("version").toDouble() != 1.0) {
    *error = "\"version\" must be 1";
    return UIE_BAD_RESOURCE;
  }
  if (!root.value("panels").isArray()) {
    *error = "\"panels\" must be a list";
    return UIE_BAD_RESOURCE;
  }
  // Every panel is read, not only the one asked for: a fault anywhere in the
  // file is found before the first window is built.
  std::vector<PanelSpec> panels;
  for (const QJsonValue& v : root.value("panels").toArray()) {
    if (!v.isObject() || !v.toObject().value("number").isDouble()) {
      *error = "every panel must be an object with a \"number\"";
      return UIE_BAD_RESOURCE;
    }
    PanelSpec spec;
    if (!Reader("panel").integer(v.toObject(), "number", &spec.number, true)) {
      *error = "a panel \"number\" must be an integer";
      return UIE_BAD_RESOURCE;
    }
    for (const PanelSpec& earlier : panels) {
      if (earlier.number == spec.number) {
        *error = QString("panel number %1 appears twice").arg(spec.number);
        return UIE_BAD_RESOURCE;
      }
    }
    if (!ReadPanel(v.toObject(), &spec, error)) return UIE_BAD_RESOURCE;
    panels.push_back(std::move(spec));
  }
  for (const PanelSpec& spec : panels) {
    if (spec.number != panelNumber) continue;
    *out = spec;
    if (all != nullptr) *all = std::move(panels);
    return 0;
  }
  *error = QString("no panel number %1 in the file").arg(panelNumber);
  return UIE_NO_SUCH_RESOURCE_PANEL;
}
