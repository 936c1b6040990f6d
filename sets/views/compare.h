// "Compare" on the main panel: opens the compare window and reads the sets
// afresh each time (Ctrl+D).
#pragma once

void InstallCompare();
void UninstallCompare();
