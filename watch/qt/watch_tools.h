// Watch and keep beside the program's panels: the trend window with the run
// statistics, Freeze, the read-outs under the pointer on both graphs, Record
// and Export, each with its command on the main panel.
#pragma once

// Called before the program starts (or, in tests, with the application
// already there): the commands go into the main panel's slots when it is
// shown. The trend and the recording take the Runs and frames the program
// tells (app/program_events.h), with or without the line monitor.
void InstallWatchTools();
// Removes the commands and closes the windows; a recording in progress is
// closed with what it holds. For tests, which install them afresh each time.
void UninstallWatchTools();
