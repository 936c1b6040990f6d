// Watch and keep beside the program's panels: the trend window with the run
// statistics, Freeze, the read-outs under the pointer on both graphs, Record
// and Export, each with its command on the main panel.
#pragma once

// Called before the program starts (or, in tests, with the application
// already there): the commands appear on the main panel when it is shown.
// Needs the line monitor installed for the trend and the recording to see
// the line.
void InstallWatchTools();
// Removes the commands and closes the windows; a recording in progress is
// closed with what it holds. For tests, which install them afresh each time.
void UninstallWatchTools();
