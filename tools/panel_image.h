// Writes the main panel and the settings panel side by side into one PNG, as
// they are painted (at scale 2 the picture is twice as large).
#pragma once

// Returns 0, or -1 when a panel does not exist or the file cannot be written.
int SavePanelsSideBySide(int mainPanel, int settingsPanel, const char* pngPath);

// Writes one panel, as it is painted, into a PNG. Returns 0, or -1.
int SavePanel(int panel, const char* pngPath);
