// "Compare" on the main panel: opens the compare window and reads the sets
// afresh each time (Ctrl+D). Ctrl+Shift+S there sends and verifies
// (sets/views/send_verify.h), as the window's "Send and verify" does. Both
// are dimmed while another operation talks to the sensor.
#pragma once

void InstallCompare();
void UninstallCompare();
