// What each widget's repaint throttle handed to painting, for tests of the
// partial repaints: the region a change asked for, not a timing.
#include <QObject>
#include <QWidget>
#include <map>

#include "runtime/testing/inspect_widgets.h"
#include "runtime/ui/repaint_pass.h"

namespace {

// Never destroyed: widgets may still go after the program's statics are gone.
std::map<const QWidget*, RepaintRecord>& Records() {
  static auto* all = new std::map<const QWidget*, RepaintRecord>;
  return *all;
}

void Follow(const QWidget* widget, const QRegion& region) {
  auto [it, added] = Records().try_emplace(widget);
  if (added) QObject::connect(widget, &QObject::destroyed, [widget] { Records().erase(widget); });
  it->second.last = region;
  ++it->second.count;
}

// Set as the program starts, in every program that links this file.
[[maybe_unused]] const bool installed = (SetRepaintObserver(&Follow), true);

}  // namespace

RepaintRecord InspectRepaints(const QWidget* widget) {
  const auto it = Records().find(widget);
  return it != Records().end() ? it->second : RepaintRecord{};
}
