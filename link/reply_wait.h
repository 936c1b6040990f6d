// The reply wait that every exchange uses, and the line check.
#pragma once

#include <cstdint>

#include "protocol/orders.h"

constexpr double TIMEOUT = protocol::kReplyLimit;  // seconds a sender waits for a 36-byte reply

extern double tstart;  // Timer() when the running wait began
extern double tdiff;   // time elapsed at the wait's last poll

// Writes the 36-byte frame of szWriteBuf to port `port` and keeps the count in
// nBytesW. Every request but the two writes makes its order code the one whose
// reply the receive notification takes.
void WriteFrame(int port);

// Waits for a 36-byte reply, processing events so that the receive
// notification can run: returns 1 as soon as rx_flag is set, 0 when more than
// `limit` seconds have passed since tstart (the caller sets tstart). A frame
// taken in during the last poll still counts. Callbacks run nested inside.
int WaitForRxFlag(double limit);

// The whole exchange for a 36-byte reply, with the frame already built in
// szWriteBuf: flushes both queues of `port`, clears rx_flag, writes the frame,
// starts the clock and waits up to TIMEOUT. Returns what WaitForRxFlag returns.
int ExchangeFrame(int port);

// Line check: sends the echo order and requires the reply sync RXSYNC. Returns
// 1 on success, 0 otherwise; the outcome is shown in the status line.
int CheckComLine(int port);
