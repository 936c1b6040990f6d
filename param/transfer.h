// Moving the parameter set between the panels and the three stores: the
// sensor's RAM, its EEPROM and a parameter file; and whose values the panels
// hold.
#pragma once

#include <cstdint>

constexpr int32_t RAM = 1;
constexpr int32_t EEPROM = 2;
constexpr int32_t DATFILE = 3;

extern int32_t target;  // the selected store

// Whose values the panels and the variables hold. Until a set was read from
// the sensor, loaded from a file or sent to the sensor by the operator they
// hold the program's start values, which are no sensor's: SET_UNREAD.
constexpr int32_t SET_UNREAD = 0;
constexpr int32_t SET_READ = 1;    // read from the sensor's RAM or EEPROM (setStore)
constexpr int32_t SET_LOADED = 2;  // loaded from the parameter file file_name
constexpr int32_t SET_SENT = 3;    // sent to the sensor's RAM or EEPROM (setStore)
extern int32_t setOrigin;
extern int32_t setStore;  // RAM or EEPROM, for SET_READ and SET_SENT

// Takes note of where the panels' set came from and says so in the mark beside
// the store selector (TEXT_SetSource).
void NoteSetOrigin(int32_t origin, int32_t store);
// A link brought up anew talks to a sensor that may not be the one read
// before: a set read from the sensor is unread again. Loaded and sent sets are
// the operator's choice and stay.
void ForgetSensorSet();
// Run and Video data send the set only when it is no unread one: an unread set
// is read from the sensor's RAM first. Returns 1 when the panels then hold a
// set read or chosen; 0 when that read failed, with "Not started: ..." in the
// status line saying what to do. The caller holds the sensor.
int ReadSetIfUnread();
// The text the status line adds to an outcome while the set is unread.
constexpr const char* UNREAD_NOTE = " - parameters unread";

// Reads the store into the variables when it is the sensor's RAM or EEPROM
// (order 2 or 4, reply wait of 1.5 s), then sets the unit switch to pixels,
// writes the variables to the panels and shows the outcome. For DATFILE only the
// panels are refreshed. Processes events while it waits; callbacks run nested.
void PushGET(int32_t store);

// The panels' values to the sensor's RAM or EEPROM (order 1 or 3, no reply
// awaited): "Transmit...", then "Line Ok!" once all 36 bytes are queued, or
// what kept them from the line. Nothing is sent when a value lies outside
// what the sensor accepts or the evaluation window runs backwards ("Not
// sent: ..." names them). The EEPROM is written only when the operator says
// yes to a box that shows what changes (its present set read first with order
// 4). Returns 1 when the whole frame was queued. The caller holds the sensor.
int SendPanelSet(int32_t store);

// Send (left mouse press): the panel's values to the selected store
// (SendPanelSet), or the parameter file through the save dialog (cancelled:
// the status line shows again what it showed before). Nothing while another
// operation talks to the sensor.
int CC_BTNSend(int panel, int control, int event, void* callbackData, int eventData1,
               int eventData2);
// Get (commit): the selected store into the variables and both panels; for the
// file store the load dialog first. Nothing while another operation runs.
int CC_BTNGet(int panel, int control, int event, void* callbackData, int eventData1,
              int eventData2);
// Store radio buttons (value change): exactly one is on and `target` names it;
// switching the selected one off falls back to RAM.
int CC_RBTRam(int panel, int control, int event, void* callbackData, int eventData1,
              int eventData2);
int CC_RBTEeprom(int panel, int control, int event, void* callbackData, int eventData1,
                 int eventData2);
int CC_RBTFile(int panel, int control, int event, void* callbackData, int eventData1,
               int eventData2);
// After a read whose values the range check had to replace: "Out of range: <n>
// values replaced (see marked controls)" in the status line; nothing otherwise.
void ReportReplacedValues();
// Says in the status line that the last write did not queue the whole frame:
// "Nothing sent: COM<n> is not open", "Nothing sent: COM<n> refused the write"
// or "Only <k> of 36 bytes sent on COM<n>".
void ReportUnsentFrame();
// Puts exactly one store button on and makes `target` name it (raises no event).
void SelectStore(int32_t store);
// Registers the callbacks above by the names the panel resource uses.
void RegisterTransferCallbacks();
