// The two queries that tell the system which sensor it talks to: the CCD
// information (order 10) and the firmware text (order 7).
#pragma once

#include <cstdint>

#include "protocol/orders.h"
#include "protocol/raw_replies.h"

constexpr int32_t FIRMWARE_REPLY_LEN = protocol::kFirmwareReplyLength;  // raw bytes: 36 words
constexpr double FIRMWARE_TIMEOUT = protocol::kFirmwareReplyLimit;      // seconds
constexpr int VERSION_LEN = 72;  // characters, without the terminator
constexpr double RAW_REPLY_QUIET = protocol::kRawReplyQuiet;
constexpr int RAW_REPLY_QUIET_LOOKS = protocol::kRawReplyQuietLooks;

extern uint16_t ccdtype;                 // CCD type code reported by the sensor
extern uint16_t ccdmaxpixel;             // pixels of the line: 1024 or 512 once read, 0 before
extern uint16_t ccdresolution;           // reported with the type; kept, not used further
extern char szVersion[VERSION_LEN + 1];  // firmware text of the last reply

// Asks for the CCD information. With the right order echo it sets the edge
// limits (eBeg 1, eEnd the pixel count), the pixel-start slider's maximum, the
// data graph's x axis and the CCD description on the settings panel, and
// returns 1; otherwise 0 and nothing changes (a frame that does not echo order
// 10 is no answer: the receive notification does not take it). Writes nothing
// into the status line. Processes events while it waits.
int GetCCDInfo();

// Asks for the firmware text and shows it in the status line. Returns the
// number of bytes that were waiting when the wait ended; only exactly 72 bytes
// that make a text (printable characters, then zero padding) and after which
// the line stayed quiet are taken as the firmware text. More bytes, or bytes
// that are no text, give "Error reading firmware-info!". Removes the receive notification for its
// whole length and installs it again before it returns. Does NOT process events while it waits (up
// to 2 s).
int GetVERSIONInfo();

// 1 when `count` raw bytes are a firmware text: printable characters (no
// control codes), then nothing but zero bytes (protocol::IsFirmwareText).
int IsFirmwareText(const char* bytes, int count);

// The CCD description for the settings panel (Latin-1 text, micro sign 0xB5).
const char* CcdDescription(uint16_t type);
