// The two teach commands: the set-point teach of the main panel and the
// background teach of the settings panel. Both send the teach order, wait
// briefly for the sensor's answer and, once answered, read the parameter set
// back from the sensor's RAM so that the panels show what the sensor now holds.
// Their waits process events; other callbacks run nested inside them.
#pragma once

// The set-point teach's own wait limit. Unlike every other wait it ends when
// the limit is reached, not only once it is exceeded.
constexpr double TEACH_SETPOINT_LIMIT = 1.5;  // seconds

// Commit: sends the package as it stands (not refreshed from the panels),
// shows "Waiting for the teach answer ..." and waits up to
// TEACH_SETPOINT_LIMIT; an answer is said ("New setpoint value teached!") and
// followed by the RAM read-back, silence by "Timeout-RS-232...". Nothing while
// another operation talks to the sensor.
int CC_ButtonTeach(int panel, int control, int event, void* callbackData, int eventData1,
                   int eventData2);

// Left press: dims the button, lights the indicator, sends the panels' values
// with the teach order and waits up to TIMEOUT ("Teach order echo received! -
// Line Ok!" or "Timeout-RS-232..."); an unread set is not sent ("Not taught:
// ..."). Commit of the same click: RAM read-back when an answer came,
// indicator off, button active again, whatever the outcome. The press and the
// read-back are operations of their own: nothing else talks to the sensor
// during them.
int CC_BTNTeachBackGround(int panel, int control, int event, void* callbackData, int eventData1,
                          int eventData2);
