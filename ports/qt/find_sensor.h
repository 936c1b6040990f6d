// "Find sensor..." on the main panel (Ctrl+Shift+F), at the right end of the
// port selector's label row: probes every serial device the system lists and
// every mapped port number at once, lists what answered, and on "Use this
// port" selects that port in the port selector as the operator would, so the
// program's own port change follows. The program's open port is let go while
// the probes run (SuspendCom) and taken back after (ResumeCom). Dimmed, and
// its shortcut idle, whenever the port selector is dimmed.
#pragma once

void InstallFindSensor();
void UninstallFindSensor();
