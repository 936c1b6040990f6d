// Inspection seam of the serial operations, for tests only.
#pragma once

// How many error reports port `port`'s device has raised since it was last
// opened: the harmless ones included, the time-outs of the engine's own polls
// not (0 for a port never opened). A device that went away must not keep
// raising them: the engine closes the port instead.
long InspectComErrorReports(int port);
