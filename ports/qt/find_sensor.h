// "Find sensor..." on the main panel (Ctrl+Shift+F), at the right end of the
// port selector's label row: probes every serial device the system lists and
// every mapped port number at once, lists what answered, and on "Use this
// port" chooses that port as the operator would in the port selector
// (ChoosePort, app/program_face.h): one bring-up. The program's open port is
// let go while the probes run (SuspendCom) and taken back after (ResumeCom).
// Dimmed, and its shortcut idle, while any operation talks to the sensor (the
// port selector is dimmed then too).
#pragma once

void InstallFindSensor();
void UninstallFindSensor();
