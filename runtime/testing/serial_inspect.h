// Inspection seam of the serial operations, for tests only.
#pragma once

#include <string>

// How many error reports port `port`'s device has raised since it was last
// opened: the harmless ones included, the time-outs of the engine's own polls
// not (0 for a port never opened). A device that went away must not keep
// raising them: the engine closes the port instead.
long InspectComErrorReports(int port);

// Which path the serial ports opened from now on run (until chosen again):
// Default: the build's own (the assisted path with the frame hold where the OS
//   layer can count the kernel's queue and Qt's port is as expected).
// Portable: QSerialPort alone, as a build without the OS layer runs them.
// UnexpectedNotifier: each port gets a second read notifier before the channel
//   looks at it, so the check at open must fall back to the portable path.
enum class ComPathForTests { Default, Portable, UnexpectedNotifier };
void ChooseComPathForTests(ComPathForTests path);

// Gives the device `device` leads to now (a pseudo-terminal, by its path or a
// symlink) the USB serial number `serial`, as an adapter carries one, so that
// the engine tells it from another device ("" takes it back); a later device
// of the same name is another device. Until ClearComUsbSerialsForTests, the
// system's own numbers are not looked at: every device without one here has
// none.
void SetComUsbSerialForTests(const std::string& device, const std::string& serial);
void ClearComUsbSerialsForTests();
