// Inspection and test seams of the run-time engine. The program itself does not
// use these; tests and benchmarks do, to look at what the operator would see
// without reading pixels, and to answer dialogs without a person. They live in
// the test-support library, which the program does not link: what they keep
// (shown texts, messages, announcements, paints, dialog requests) comes to them
// through the engine's observers and providers, none of which is set in the
// program.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "runtime/files/file_dialog.h"
#include "runtime/ui/graph/display_list.h"

// ---- Graph display lists --------------------------------------------------------
struct GraphAxisInfo {
  int mode = 0;
  double min = 0.0, max = 0.0;
};

// Plots in drawing order; empty when the panel or graph does not exist.
std::vector<GraphPlotInfo> InspectGraphPlots(int panel, int graph);
// Cursor 1..3 position; returns 0, or < 0 when there is no such cursor.
int InspectGraphCursor(int panel, int graph, int cursor, double* x, double* y);
int InspectGraphAxis(int panel, int graph, int axis, GraphAxisInfo* out);
// Number of times the graph has actually been painted (for the repaint throttle).
long InspectGraphPaintCount(int panel, int graph);
// How long changes of the display list waited until they were painted, over the
// paints since the last reset: for the newest change a paint showed, and for the
// oldest one it had waited for (seconds).
struct GraphPaintStats {
  long paints = 0;      // paints that showed a change
  long allDeleted = 0;  // times every plot was deleted (one per new picture)
  double newestMax = 0.0, newestSum = 0.0, oldestMax = 0.0;
};
int InspectGraphPaintStats(int panel, int graph, GraphPaintStats* out);
int ResetGraphPaintStats(int panel, int graph);

// ---- Panels and controls ----------------------------------------------------------
struct ControlInfo {
  int id = 0;
  std::string name;  // resource name, e.g. "NEDITVideoThreshold"
  std::string kind;  // resource kind, e.g. "numeric", "graph", "command"
  std::string label;
  std::string callback;  // resource callback name, "" for none
};

// Controls of a loaded panel in resource order (run-time controls last).
std::vector<ControlInfo> InspectPanelControls(int panel);
// 1 when the panel's window is shown, 0 when hidden, < 0 when no such panel.
int InspectPanelVisible(int panel);
// Line `line` of a text box, or of a text control (line 0), as Latin-1.
std::string InspectTextBoxLine(int panel, int control, int line);
// The last texts (at most 64) the program set on a text control since it was
// loaded, oldest first, as Latin-1.
std::vector<std::string> InspectShownTexts(int panel, int control);
// Text an assistive technology reads for the control, in UTF-8: its name (the
// caption it is labelled by, else its own accessible name) and its value (or
// text). Empty strings when no such control.
std::string InspectAccessibleName(int panel, int control);
std::string InspectAccessibleValue(int panel, int control);
// The words the program gave a graph for its summary (UI_ATTR_GRAPH_SUMMARY)
// and that still hold, as Latin-1; "" for none.
std::string InspectGraphSummaryWords(int panel, int graph);

// ---- Announcements to assistive technology --------------------------------------
// While recording, every change of text that the engine announces to assistive
// technology (status line, text boxes) is also kept here as "name: new text",
// oldest first, as a screen reader would hear it. Turning recording on or off
// forgets what was kept. The program never records.
void RecordAccessibleAnnouncements(bool on);
std::vector<std::string> AccessibleAnnouncements();

// ---- Operator simulation ----------------------------------------------------------
// Deliver the operator's actions through the same paths a real mouse or keyboard
// takes (events, dimming and ordering included). Each returns 0, or < 0 when the
// control cannot take the action.
// The panel must be shown and the control visible; a dimmed control takes no
// action (< 0), as for the operator.
//
// SimulateClick: left press, then release, with the mouse on the control (a
// control with a callback gets the press, event 3, first).
// SimulateEnterValue: a numeric edit field gets the focus from the keyboard,
// its text is replaced by the value and Enter is pressed (events 2 then 1 when
// the value changed); a slide's handle is pressed, dragged to the value and
// released (2 while it moves, 1 on release).
// SimulateSelectItem: the drop-down list is opened from the keyboard and the
// item carrying `value` is chosen (2 then 1 when it differs, 1 alone when it is
// the item already shown); < 0 when no item carries it.
// SimulateToggle: a switch, radio button or operator-settable lamp (LED of mode
// "edit") is flipped with the Space key (2 then 1); an indicator lamp: < 0.
// SimulateClosePanel: the close request the window's close button sends.
int SimulateClick(int panel, int control);  // press, then release, on the control
int SimulateEnterValue(int panel, int control, double value);  // type a value and commit
int SimulateSelectItem(int panel, int control, int value);     // pick a ring/drop-down item
int SimulateToggle(int panel, int control);                    // flip a switch, radio button or LED
int SimulateClosePanel(int panel);                             // the window's close button
// The two halves of a click, for tests that release while the press handler
// still runs. The release goes to the control however it changed meanwhile
// (dimmed, for example), as a real release goes to the widget that was pressed.
int SimulatePress(int panel, int control);
int SimulateRelease(int panel, int control);

// ---- File dialog seam ---------------------------------------------------------------
// While answers are queued, FileSelectPopup takes the next one instead of showing
// a dialog; every request is recorded (FileSelectRequest, in
// runtime/files/file_dialog.h). An answer with a result above 0 ends the dialog
// in the answered file's folder. Clearing also forgets where the dialogs ended.
void QueueFileSelectAnswer(int result, const std::string& path);
void ClearFileSelectAnswers();
std::vector<FileSelectRequest> FileSelectRequests();  // every request since the last clear

// ---- Message seam ---------------------------------------------------------------------
// Every MessagePopup since the last clear, oldest first, as "title: message"
// (Latin-1); recorded whether or not the box could be shown.
std::vector<std::string> MessagePopupTexts();
void ClearMessagePopupTexts();

// ---- Confirmation seam ----------------------------------------------------------------
// While answers are queued, ConfirmPopup takes the next one (1 yes, 0 no)
// instead of showing a box; unanswered, it says no where nobody can see it.
// Every question is recorded as "title: question" (Latin-1), oldest first.
void QueueConfirmAnswer(int yes);
std::vector<std::string> ConfirmQuestions();
void ClearConfirmAnswers();

// ---- Clock seam ---------------------------------------------------------------------
// While set, Timer() reports a test time instead of the real clock: it starts at
// `seconds` and moves on by `stepPerRead` after every read (0 = it stands still
// until AdvanceTestTimer). A hook, when given, runs after each read with the time
// that read reported (a test can make a reply arrive at a chosen moment). The
// program never touches this seam.
void SetTestTimer(double seconds, double stepPerRead = 0.0);
void AdvanceTestTimer(double seconds);
void OnTestTimerRead(std::function<void(double reported)> hook);
void ReleaseTestTimer();  // back to the real clock; drops the hook
int TestTimerIsSet();
