// Places on a panel for the features beside the program: the panel resource
// declares them ("slots" of a panel, docs/panel-resource.md), and a feature
// puts its commands and indicators there by the slot's name. The engine gives
// each its place (the slot's cell, laid out with the panel like its controls),
// its place in the keyboard's Tab cycle (where the slot stands among the
// panel's controls) and its shortcut on the panel's window. A feature never
// looks for widgets by object names, accessible names or pixel positions.
//
// Qt-typed: for the feature layers' Qt code only. The program's layers (link/,
// param/, display/, app/) never include it (scripts/check_layers.sh). All of
// it runs on the user-interface thread.
#pragma once

#include <QKeySequence>
#include <QString>

class QAbstractButton;
class QWidget;

// Told once for every panel that declares slots, when it is first shown (its
// program has set it up by then), and at once for such panels already shown
// when the listener is added. A pair already added is not added twice.
using PanelSlotsListener = void (*)(int panel, void* context);
void AddPanelSlotsListener(PanelSlotsListener listener, void* context);
void RemovePanelSlotsListener(PanelSlotsListener listener, void* context);

// A feature's command in a slot.
struct SlotCommand {
  QString label;           // the button's text; '&' before a letter makes it the mnemonic
  QString accessibleName;  // what a screen reader calls it
  QString toolTip;
  QKeySequence shortcut;  // on the panel's window: activates it as a click does; empty: none
  // Its cell in the slot (0 first), which is also its order among the slot's
  // commands in the Tab cycle.
  int position = 0;
};

// Puts `button` (the feature's own, of any button class, checkable or not) into
// the command slot `slot` of `panel`: its texts, the cell at `position`, its
// place in the Tab cycle, its shortcut (which goes with the button). The panel
// takes it as a child; the feature may delete it. Returns 0, UIE_NO_SUCH_PANEL,
// or UIE_BAD_VALUE when the panel has no such command slot or no such cell.
int AddSlotCommand(int panel, const char* slot, QAbstractButton* button,
                   const SlotCommand& command);

// Puts `indicator` into the indicator slot `slot` of `panel` (as a child),
// sized to its size hint against the slot's edge; it keeps that edge whenever
// it asks for another size (QWidget::updateGeometry). An indicator carries its
// state in its accessible name. Returns 0 or a code as AddSlotCommand.
int AddSlotIndicator(int panel, const char* slot, QWidget* indicator);

// The window of `panel`, for a feature's window opened beside it and for
// shortcuts of its own; null when there is no such panel.
QWidget* PanelWindowOf(int panel);

// The graph control `graph` of `panel` handed to a feature by its control id:
// the widget that paints it (for a picture of what it shows); null when there
// is no such graph. Freeze, zoom and read-out go through runtime/graph_view.h.
QWidget* GraphOf(int panel, int graph);
