// The data command: the CCD video line read live, block by block, with one
// measurement frame per pass for the scope.
#pragma once

// Data (commit): each pass reads the four video blocks, draws the data graph,
// asks for one measurement frame and draws the scope. A pass, once begun, is
// completed; the loop ends after the pass in which the stop button was pressed
// or the measurement frame did not come within TIMEOUT. The receive
// notification is removed during the block reads and installed at the end.
// An unread set is read first, as for Run; nothing while another operation
// talks to the sensor.
int CC_BTNData(int panel, int control, int event, void* callbackData, int eventData1,
               int eventData2);
