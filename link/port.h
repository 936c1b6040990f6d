// The serial port of the sensor link: opening and configuring it, the receive
// notification that takes in every 36-byte reply, and the link bring-up.
#pragma once

#include <cstdint>

#include "protocol/frame.h"

extern int32_t com;              // number of the port in use (1 = COM1)
extern int32_t ret;              // result of the last bring-up step
extern int32_t rx_flag;          // 1 once a 36-byte reply has been taken into pp
extern int32_t graphrefresh;     // raised with rx_flag; the run loop redraws and clears it
extern int32_t nBytesW;          // bytes queued by the last write
extern int32_t nBytesR;          // bytes read by the last direct read
extern int32_t awaitedOrder;     // order code whose 36-byte reply the notification takes
extern int32_t rejectedReplies;  // 36-byte frames discarded because they answered nothing awaited

constexpr int32_t eventMask = 0x8006;  // notify count reached | event character | output empty
constexpr int32_t NOTIFY_COUNT = protocol::kFrameLength;  // one reply frame
constexpr int32_t QUEUE_SIZE = 4096;
constexpr long BAUD_RATE = 19200;
constexpr double PORT_TIMEOUT = 2.0;  // seconds, read/write time-out of the port

// Opens port `port`, installs the receive notification, checks the line and,
// when the check succeeds, reads the RAM parameter set and the firmware text;
// the CCD information is asked for in every case. Every outcome ends in the
// status line, with " - parameters unread" when no set was read (a set read
// from a sensor before counts as unread from the start: it may be another
// sensor's); nothing here stops the program. The caller holds the sensor
// (app/sensor_operation.h).
void InitRS232(int port);

// The receive notification: takes the 36 bytes of a reply frame into szReadBuf
// and discards anything further. A frame that answers `awaitedOrder` goes into
// pp and raises rx_flag and graphrefresh; any other is counted in
// rejectedReplies and leaves pp and the flags alone, so the wait goes on. Acts
// on the notify-count event only; a lost port's device coming back brings the
// link up again (ReconnectReturnedPort). Runs only while events are processed.
void RX_Receive_Function(int port, int events, void* data);

// Installs (or removes) the receive notification on port `com`.
void InstallReceiveNotification();
void RemoveReceiveNotification();

// The status-line message for a negative result of opening the port.
const char* OpenErrorMessage(int result);
