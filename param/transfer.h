// Moving the parameter set between the panels and the three stores: the
// sensor's RAM, its EEPROM and a parameter file.
#pragma once

#include <cstdint>

constexpr int32_t RAM = 1;
constexpr int32_t EEPROM = 2;
constexpr int32_t DATFILE = 3;

extern int32_t target;  // the selected store

// Reads the store into the variables when it is the sensor's RAM or EEPROM
// (order 2 or 4, reply wait of 1.5 s), then sets the unit switch to pixels,
// writes the variables to the panels and shows the outcome. For DATFILE only the
// panels are refreshed. Processes events while it waits; callbacks run nested.
void PushGET(int32_t store);

// Send (left mouse press): "Transmit...", then the panel's values to the
// selected store: order 1 (RAM) or 3 (EEPROM) with no reply awaited ("Line Ok!"
// once all 36 bytes are queued, otherwise what kept them from the line), or the
// parameter file through the save dialog (cancelled: the status line shows
// again what it showed before).
int CC_BTNSend(int panel, int control, int event, void* callbackData, int eventData1,
               int eventData2);
// Get (commit): the selected store into the variables and both panels; for the
// file store the load dialog first.
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
