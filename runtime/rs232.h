// Serial-port operations of the run-time engine.
//
// Ports are numbered (1 = COM1). Port n is the device given to it by
// SetComPortDevice in this session, else the device named by the environment
// variable VANTREL_COM<n> when it is set (for example a pseudo-terminal of the
// simulated sensor), otherwise the default table of ComPortDevice().
// All operations run on the user-interface thread. Results below 0 are the
// error codes listed here.
#pragma once

#include <cstddef>

// ---- Error results ----------------------------------------------------------
constexpr int RS232_UNKNOWN_SYSTEM_ERROR = -1;
constexpr int RS232_INVALID_PORT_NUMBER = -2;  // port outside 1..ComPortCount()
constexpr int RS232_PORT_NOT_OPEN = -3;        // the port is closed (or vanished)
constexpr int RS232_IO_ERROR = -4;             // the OS refused a read, write or setting
constexpr int RS232_NO_SERIAL_PORT = -6;       // no such device
// Permission denied, or busy: the device is open in another port or another
// program, by whatever name (a symlink and the device's own name are one
// device); stderr says which.
constexpr int RS232_CANNOT_OPEN_PORT = -7;
constexpr int RS232_INVALID_PARAMETER = -13;  // bad baud rate, parity, bits or queue size
constexpr int RS232_TIMEOUT = -99;

// ---- Receive-notification events ---------------------------------------------
constexpr int COM_EVENT_CHAR = 0x0002;      // the event character arrived
constexpr int COM_EVENT_TX_EMPTY = 0x0004;  // the output queue became empty
constexpr int COM_EVENT_RECEIVE = 0x8000;   // the input queue holds at least the notify count
// The port's device went away (a USB adapter pulled out, the line hung up) and
// the engine closed the port. Reported once to the notification installed at
// that moment, whatever its mask: unlike the others this event cannot be
// missed by a program that only waits for data.
constexpr int COM_EVENT_ERROR = 0x0080;
// The device of a port closed on COM_EVENT_ERROR is there again at the port's
// path: the same device, not merely the same name (the same USB serial number
// where the device has one, else the same device number: the adapter plugged
// back in). The port stays closed until the program opens it. Reported once
// per return, whatever the mask, to the notification installed when the
// device went away (or, if none was at that moment, to the last one installed
// on the port), and only from RunUserInterface between its rounds: never
// inside ProcessSystemEvents, so never while an operation runs; a busy
// program hears of it when it is idle again. Opening or closing the port
// before then cancels it.
constexpr int COM_EVENT_DEVICE_BACK = 0x0100;
// A different device appeared at the path of a port closed on COM_EVENT_ERROR
// (another adapter as ttyUSB0, another pseudo-terminal behind the link): it is
// not opened and nothing is sent to it; stderr names it. Reported as
// COM_EVENT_DEVICE_BACK is, once per appearance, and the watch goes on: once
// that device has gone again, the lost one may still come back.
constexpr int COM_EVENT_OTHER_DEVICE = 0x0200;

// Notification function: called with the port, the events that occurred (a
// subset of the installed mask) and the installed data pointer.
using ComCallbackPtr = void (*)(int port, int eventMask, void* callbackData);

// ---- Port mapping -------------------------------------------------------------
constexpr int COM_PORT_COUNT = 10;
// Spare ports, numbered beyond the selector's: for a feature that looks at
// devices the selector does not number (the sensor search, every device at
// once). A spare port is opened with a device name only (no mapping leads to
// it), no selector shows it, and the serial tap does not see it (it is no part
// of the program's line); every operation works on it as on a numbered port.
constexpr int COM_SPARE_FIRST = 101;
constexpr int COM_SPARE_COUNT = 64;
// Device path of port n (1..COM_PORT_COUNT), honouring SetComPortDevice and
// VANTREL_COM<n>; "" for a
// number outside the range. The text stays valid until the next call.
const char* ComPortDevice(int port);
// Maps port `port` to `device` (a path or a bare name, as VANTREL_COM<n>) for
// the rest of the session; it takes precedence over VANTREL_COM<n>. "" (or
// null) gives the port back to VANTREL_COM<n> and the default table. A port
// already open keeps its device until it is opened again. The port selectors
// show the new device at once. Returns 0 or RS232_INVALID_PORT_NUMBER.
int SetComPortDevice(int port, const char* device);

// ---- Operations ---------------------------------------------------------------
// Opens and configures port `port`. deviceName "" means the mapped device (a
// spare port has none: RS232_NO_SERIAL_PORT).
// parity 0 none, 1 odd, 2 even; dataBits 5..8; stopBits 1 or 2; queue sizes
// > 0. Returns 0 on success or an error code; a port already open is closed and
// opened again. Failing to set DTR/RTS (as on a pseudo-terminal) is harmless.
int OpenComConfig(int port, const char* deviceName, long baudRate, int parity, int dataBits,
                  int stopBits, int inputQueueSize, int outputQueueSize);
// Closes the port; closing a closed port is harmless (returns 0).
int CloseCom(int port);
// Lets go of an open port's device for a while (another part of the program
// may open it meanwhile) and keeps what the port was given: its line
// settings, its time limit, its handshake and its receive notification.
// Until ResumeCom every operation acts as on a closed port (CloseCom ends
// the suspension and forgets all of it; OpenComConfig opens afresh). Returns
// 0, or RS232_PORT_NOT_OPEN when the port is not open.
int SuspendCom(int port);
// Opens the suspended port's device again with everything SuspendCom kept
// (bytes that arrived meanwhile are not the port's). Returns 0, or the error
// code of the open, and the port then stays suspended so that ResumeCom may
// be tried again; RS232_PORT_NOT_OPEN when the port is not suspended.
int ResumeCom(int port);
// Time limit of ComRd (and of a write that cannot complete), in seconds.
int SetComTime(int port, double seconds);
// 0 = no hardware handshake, 1 = RTS/CTS.
int SetCTSMode(int port, int mode);

// Installs the receive notification: `fn` is called, only while events are
// processed (ProcessSystemEvents, RunUserInterface), with COM_EVENT_RECEIVE when newly
// arrived bytes bring the input queue to at least `notifyCount`, with COM_EVENT_CHAR
// when `eventChar` arrived, with COM_EVENT_TX_EMPTY when the output queue has drained;
// only events in `eventMask` are reported (COM_EVENT_ERROR always is, once, when
// the device goes away, COM_EVENT_DEVICE_BACK once when it is back, and
// COM_EVENT_OTHER_DEVICE once for each different device that appears there).
// eventMask 0 (or fn null) removes it.
int InstallComCallback(int port, int eventMask, int notifyCount, int eventChar, ComCallbackPtr fn,
                       void* callbackData);

// Queues `count` bytes and pushes them to the OS at once. Returns the number of
// bytes queued or an error code.
int ComWrt(int port, const char* buffer, int count);
// Reads up to `count` bytes, waiting at most the port time-out for them to
// arrive. Returns the number read (fewer on time-out) or an error code. Does not
// process events and never runs the notification.
int ComRd(int port, char* buffer, int count);
// Number of bytes waiting in the input queue, including bytes the OS holds that
// have not been taken in yet. Does not process events.
int GetInQLen(int port);
// Discard every byte waiting in the input (output) queue, the OS's included.
int FlushInQ(int port);
int FlushOutQ(int port);
