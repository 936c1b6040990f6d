// The run command: live measurement frames drawn on the scope, one request
// after each reply, until the stop button or a silent sensor ends it.
#pragma once

// Run (commit): sends the variables with the measurement order and, for every
// frame that comes back, draws the scope and sends the next request. Returns
// when the stop button was pressed or no frame came within TIMEOUT of the
// last request. Other callbacks run nested inside, another Run included.
int CC_BTNRun(int panel, int control, int event, void* callbackData, int eventData1,
              int eventData2);
