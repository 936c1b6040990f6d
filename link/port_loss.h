// A sensor whose device goes away (a USB adapter pulled out, the line hung up)
// while its port is open: the engine then closes the port, and every further
// exchange would only sit out its time-out. The loops end at once instead and
// the operator reads one message naming the port. When the device is back the
// link comes up again by itself, as if the operator had chosen the port anew.
#pragma once

#include <cstdint>

extern int32_t comOpen;  // 1 from a successful opening of `com` by the bring-up

// Called by the bring-up with the result of opening the port.
void NotePortOpened(int result);

// 1 when the port `com` was opened by the bring-up and has since been closed by
// the engine because its device went away.
int PortLost();

// Shows "Sensor lost on COM<n> (<device>): device removed" in the status line,
// unless the line shows it already: each operation that meets the lost port
// says so once, and a loop that ends on it ends with it.
void ReportPortLost();

// Puts the loss text of ReportPortLost into szStatus; the caller shows it.
void SetLostStatusText();
// Puts into szStatus the loss text when the port is lost, else `text`; the
// caller shows it. An operation that gave up because the device went away
// ends saying so, not with a time-out that did not happen.
void SetStatusTextUnlessLost(const char* text);

// The engine saw the lost port's device come back: shows "Sensor back on
// COM<n> (<device>): reconnecting", then brings the link up as choosing the
// port does (close, InitRS232) and ends on "Sensor back on COM<n>: <the
// bring-up's outcome>". Does nothing unless the port is lost, or while
// another operation talks to the sensor. Runs nested callbacks (the bring-up
// processes events).
void ReconnectReturnedPort();

// The engine saw a device other than the lost one appear at the port's path
// (another adapter, another line): shows "Different device on COM<n>
// (<device>): not used" and sends it nothing; the link comes up only when the
// lost device returns or the operator chooses the port. Does nothing unless
// the port is lost.
void ReportOtherDevice();
