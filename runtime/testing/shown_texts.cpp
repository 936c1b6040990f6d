// The texts each text control has shown, for tests that follow the status line
// through an operation. Kept per control while the control lives.
#include <QStringList>
#include <map>

#include "runtime/engine/engine.h"
#include "runtime/testing/inspect.h"
#include "runtime/ui/controls/control.h"

namespace {

constexpr int kTextsKept = 64;

// Never destroyed: controls may still go after the program's statics are gone.
std::map<const Control*, QStringList>& Shown() {
  static auto* shown = new std::map<const Control*, QStringList>;
  return *shown;
}

void Keep(const Control* control, const QString& text) {
  auto [it, added] = Shown().try_emplace(control);
  if (added) QObject::connect(control, &QObject::destroyed, [control] { Shown().erase(control); });
  it->second.append(text);
  if (it->second.size() > kTextsKept) it->second.removeFirst();
}

// Set as the program starts, in every program that links this file (one that
// uses the function below), so no text is missed from the first panel on.
[[maybe_unused]] const bool installed = (SetTextShownObserver(&Keep), true);

}  // namespace

std::vector<std::string> InspectShownTexts(int panel, int control) {
  std::vector<std::string> texts;
  const auto it = Shown().find(FindControl(panel, control));
  if (it == Shown().end()) return texts;
  for (const QString& text : it->second) texts.push_back(text.toLatin1().toStdString());
  return texts;
}
