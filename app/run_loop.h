// The run command: live measurement frames drawn on the scope, one request
// after each reply, until the stop button or a silent sensor ends it.
#pragma once

// Run (commit): sends the variables with the measurement order and, for every
// frame that comes back, draws the scope and sends the next request. Returns
// when the stop button was pressed or no frame came within TIMEOUT of the
// last request. An unread set is read from the sensor's RAM first, and the
// Run refused when that fails. Nothing while another operation talks to the
// sensor; other callbacks run nested inside, and the commands that would talk
// to the sensor find it held.
int CC_BTNRun(int panel, int control, int event, void* callbackData, int eventData1,
              int eventData2);
