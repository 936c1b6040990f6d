// Reactions of the main panel's parameter controls. They act on controls and
// graphs only; of the parameter variables they change eEnd alone (when the
// right limit is cut back), besides `com`. Everything else the operator types
// reaches its variable at the next reading of the panels.
#pragma once

// Commit or left press: the threshold line of the data graph is redrawn at the
// control's value (on a press, the value before the click changes it). vThd
// keeps its value.
int CC_NEDITVideoThreshold(int panel, int control, int event, void* callbackData, int eventData1,
                           int eventData2);
// Value change: the scale factor is editable only in evaluation mode 2.
int CC_DropDEvalmode(int panel, int control, int event, void* callbackData, int eventData1,
                     int eventData2);
// Commit (every choice ends in one): closes the port, takes the new port
// number into `com`, shows "Init COM-Port ..." and brings the link up again on
// it, once. Nothing while another operation talks to the sensor. Runs reply
// waits; callbacks run nested.
int CC_DropDCom(int panel, int control, int event, void* callbackData, int eventData1,
                int eventData2);
// Commit: scope cursor 2 follows the left limit. eBeg keeps its value. A left
// limit beyond the right one is not taken: the edit shows its former value
// again and the status line says why.
int CC_NEDITEdgeLeft(int panel, int control, int event, void* callbackData, int eventData1,
                     int eventData2);
// Commit: a right limit beyond the line (1024 pixels before the sensor has
// said) is cut back to it (then eEnd too); scope cursor 3 follows. A right
// limit before the left one is not taken, as for the left limit.
int CC_NEDITEdgeRight(int panel, int control, int event, void* callbackData, int eventData1,
                      int eventData2);
// Value change: every read-out and pixel entry in the chosen unit, from what
// it shows now (display_unit.h); no value changes.
int CC_BINSWITCH_UM(int panel, int control, int event, void* callbackData, int eventData1,
                    int eventData2);
// Commit: shows the settings panel when hidden, hides it when shown.
int CC_BTN_CCDSettings(int panel, int control, int event, void* callbackData, int eventData1,
                       int eventData2);
