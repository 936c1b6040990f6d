// User-interface operations of the run-time engine: start-up, panels,
// controls, graphs, the event loop and callbacks.
//
// Everything here runs on the one user-interface thread. Panels and controls
// are addressed by integer handles and ids; no Qt type crosses this header.
// Results: 0 (or a positive handle/id) on success, a negative code on failure.
// The application does not examine most results; tests do.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/event_wait.h"

// ---- Events delivered to callbacks -----------------------------------------
constexpr int UI_EVENT_COMMIT = 1;         // the operator completed a change or a click
constexpr int UI_EVENT_VALUE_CHANGED = 2;  // the operator changed the value
constexpr int UI_EVENT_LEFT_PRESS = 3;     // left mouse button went down on the control
constexpr int UI_EVENT_CLOSE = 11;         // the operator asked to close the panel window

// ---- Control attributes (SetCtrlAttribute / GetCtrlAttribute) ----------------
constexpr int UI_ATTR_DIMMED = 500;        // 1 dimmed (inactive), 0 active
constexpr int UI_ATTR_VISIBLE = 530;       // 1 visible, 0 hidden
constexpr int UI_ATTR_TEXT_BGCOLOR = 680;  // 0xRRGGBB
constexpr int UI_ATTR_TEXT_FONT = 682;  // font name (text overload); "AppFont" = application font
constexpr int UI_ATTR_TEXT_POINT_SIZE = 686;  // points
constexpr int UI_ATTR_TEXT_COLOR = 690;       // 0xRRGGBB
constexpr int UI_ATTR_MAX_VALUE = 730;        // maximum of a numeric control or slide
// A note on a value the program had to replace (text overload): a non-empty note
// marks the control with a coloured frame and becomes its tooltip and accessible
// description; "" removes the mark, and so does the operator's next change of
// the value. GetCtrlAttribute reads 1 while the control is marked.
constexpr int UI_ATTR_CORRECTION_NOTE = 2000;
// What a graph shows, in the program's words (text overload), for assistive
// technology: the graph's summary until its plots are next all deleted.
// Without such words a graph sums itself up from its legend and its cursors.
// Screen readers get the summary as the graph's description, which follows
// the graph at most twice a second. Other controls refuse it (UIE_BAD_VALUE).
constexpr int UI_ATTR_GRAPH_SUMMARY = 2001;

// ---- Control kinds (NewCtrl and the panel resource) --------------------------
constexpr int UI_CTRL_TEXT_MSG = 160;  // a text message (static text) created at run time

// ---- Graph constants --------------------------------------------------------
constexpr int UI_AXIS_X = 0;
constexpr int UI_AXIS_LEFT_Y = 1;
constexpr int UI_SCALE_MANUAL = 0;    // axis scaling mode: fixed min..max
constexpr int UI_ALL_PLOTS = -1;      // DeleteGraphPlot: every plot (never the cursors)
constexpr int UI_REDRAW_NONE = 0;     // DeleteGraphPlot redraw modes; both leave painting
constexpr int UI_REDRAW_DELAYED = 1;  //   to the throttled repaint
constexpr int UI_TYPE_U16 = 6;        // PlotXY array type: uint16_t

// ---- Error results ----------------------------------------------------------
constexpr int UIE_NO_SUCH_PANEL = -1;
constexpr int UIE_NO_SUCH_CONTROL = -2;
constexpr int UIE_BAD_VALUE = -3;               // wrong value type or attribute for this control
constexpr int UIE_FILE_NOT_FOUND = -4;          // LoadPanel: resource file missing or unreadable
constexpr int UIE_BAD_RESOURCE = -5;            // LoadPanel: resource file malformed
constexpr int UIE_NO_SUCH_RESOURCE_PANEL = -6;  // LoadPanel: panel number not in the file
constexpr int UIE_NOT_INITIALISED = -7;         // InitRuntime was not called (or failed)

// ---- Callback forms ---------------------------------------------------------
// Control callback: (panel, control, event, callback data, event data 1, 2) -> 0.
using CtrlCallbackPtr = int (*)(int panel, int control, int event, void* callbackData,
                                int eventData1, int eventData2);
// Panel callback: (panel, event, callback data, event data 1, 2) -> 0.
using PanelCallbackPtr = int (*)(int panel, int event, void* callbackData, int eventData1,
                                 int eventData2);

// Register callbacks by the names the panel resource uses. Must happen before
// LoadPanel; a name the resource uses but nobody registered leaves that control
// without a callback (and is reported once on stderr). Registering a name again
// replaces the earlier function.
void RegisterCtrlCallback(const char* name, CtrlCallbackPtr fn);
void RegisterPanelCallback(const char* name, PanelCallbackPtr fn);

// ---- Engine start-up ----------------------------------------------------------
// Creates the application object. Returns 1 when ready, 0 when the engine cannot
// start (for example no display is reachable; a one-line reason goes to stderr).
// Calling it again after success returns 1 and does nothing.
int InitRuntime(int argc, char** argv);

// ---- Panels -----------------------------------------------------------------
// Loads panel `panelNumber` (1, 2, ...) of the resource file `fileName`.
// parent 0 = top-level window; otherwise the handle of the parent panel: the new
// panel is a tool window owned by the parent. Handles count from 1 in load order.
// Returns the handle (> 0) or a UIE_ code. The panel starts hidden.
int LoadPanel(int parent, const char* fileName, int panelNumber);
// Why the last LoadPanel of a resource file failed: the line it also wrote on
// stderr (resource path and reason), as Latin-1, cut to textSize - 1
// characters; empty after a successful load. Returns 0.
int GetPanelLoadError(char* text, size_t textSize);
int DisplayPanel(int panel);
int HidePanel(int panel);
// Panel attributes: UI_ATTR_TITLE, the window's title (Latin-1 text).
constexpr int UI_ATTR_TITLE = 1100;
int SetPanelAttribute(int panel, int attribute, const char* text);
int DiscardPanel(int panel);

// ---- Event loop -------------------------------------------------------------
// Runs callbacks until QuitUserInterface is called; returns the value passed to
// it. A quit asked for inside a nested wait takes effect once control is back in
// this loop.
int RunUserInterface();
int QuitUserInterface(int returnCode);
// ProcessSystemEvents and SetWaitDeadline, one round of event processing and
// the running wait's deadline: runtime/event_wait.h (included above).

// ---- Messages -----------------------------------------------------------------
// Shows `message` (Latin-1) in a modal box titled `title` with an OK button, and
// returns once the operator has closed it. Where no one can see the box (the
// offscreen platform) it returns at once. Runs a nested event loop.
int MessagePopup(const char* title, const char* message);
// Asks `question` (Latin-1, lines apart by "\n") in a modal box titled `title`
// with Yes and No, No the default; returns 1 for Yes, 0 for No or a closed
// box. Where no one can see the box (the offscreen platform) it returns 0 at
// once: nothing asked is done. Runs a nested event loop.
int ConfirmPopup(const char* title, const char* question);

// ---- Control values -----------------------------------------------------------
// The value is converted to and from the control's own type. Text controls take
// and give Latin-1 text. SetCtrlVal never raises an event.
int GetCtrlVal(int panel, int control, uint16_t* value);
int GetCtrlVal(int panel, int control, int* value);
int GetCtrlVal(int panel, int control, float* value);
int GetCtrlVal(int panel, int control, double* value);
int GetCtrlVal(int panel, int control, char* text, size_t textSize);
int SetCtrlVal(int panel, int control, uint16_t value);
int SetCtrlVal(int panel, int control, int value);
int SetCtrlVal(int panel, int control, unsigned value);
int SetCtrlVal(int panel, int control, float value);
int SetCtrlVal(int panel, int control, double value);
int SetCtrlVal(int panel, int control, const char* text);

int SetCtrlAttribute(int panel, int control, int attribute, int value);
int SetCtrlAttribute(int panel, int control, int attribute, const char* text);
int GetCtrlAttribute(int panel, int control, int attribute, int* value);

// A numeric control holds its value in its own unit: GetCtrlVal, SetCtrlVal,
// its range and its events all use that unit. It may show the value in
// another one: trunc(value x factor / divisor), with `unit` (Latin-1, "" for
// none) after the number. A number the operator types is read in the shown
// unit and taken as the nearest whole value of the control's own unit; with
// factor / divisor at 1 or more every number shown stands for exactly one
// value held, so showing another unit and back changes no value. A
// whole-number edit takes any factor; a real-number edit and a read-out show
// their value itself (factor equal to divisor) and take the unit alone.
int SetCtrlShownUnit(int panel, int control, double factor, double divisor, const char* unit);

// Creates a control of `kind` (UI_CTRL_TEXT_MSG) at (top, left) panel pixels;
// label may be "" for none. Returns the new control id (> 0) or a UIE_ code.
int NewCtrl(int panel, int kind, const char* label, int top, int left);

// Replaces line `line` (0-based) of a text box; missing lines are added.
int ReplaceTextBoxLine(int panel, int control, int line, const char* text);

// ---- Graphs -----------------------------------------------------------------
// A graph keeps a display list of plots (in drawing order) and three cursors that
// are not plots. Changing the list is cheap; painting is throttled to the
// screen's refresh rate. Colours are 0xRRGGBB.
//
// Adds an XY curve of n points; xType/yType give the element type of the arrays
// (UI_TYPE_U16). Returns the plot handle (> 0).
int PlotXY(int panel, int graph, const void* x, const void* y, int n, int xType, int yType,
           int plotStyle, int pointStyle, int lineStyle, int pointFrequency, int color);
// Adds a rectangle given by two opposite corners in any order, clipped to the
// axes when painted. Returns the plot handle (> 0).
int PlotRectangle(int panel, int graph, double x1, double y1, double x2, double y2, int color,
                  int fillColor);
// Deletes one plot (its handle) or all plots (UI_ALL_PLOTS); cursors stay.
int DeleteGraphPlot(int panel, int graph, int plot, int redrawMode);
// Fixes the range of an axis (UI_AXIS_X or UI_AXIS_LEFT_Y) in mode UI_SCALE_MANUAL.
// A range with max <= min is refused (UIE_BAD_VALUE) and the axis is unchanged.
int SetAxisScalingMode(int panel, int graph, int axis, int mode, double min, double max);
// Moves cursor 1, 2 or 3 to (x, y) in axis units.
int SetGraphCursor(int panel, int graph, int cursor, double x, double y);
