// Request and reply frames of the sensor link and the order codes.
//
// Every request is 36 bytes: the sync word, the order code and 16 words, all
// big-endian. Most replies are 36-byte frames of the same layout (reply sync
// 0x00AA, order echo, 16 words); the firmware text (72 bytes) and a video block
// (128 bytes) come as raw replies without a header.
#pragma once

#include <cstdint>

#include "param/params.h"

constexpr int32_t FRAME_LEN = 2 * PNUM + 4;  // 36 bytes, every request
constexpr int32_t RXSYNC = 0x00AA;           // reply sync word the line check requires
constexpr int32_t BUF_LEN = 1024;

// Order codes.
constexpr uint16_t ORD_WRITE_RAM = 1;      // package to RAM, no reply
constexpr uint16_t ORD_READ_RAM = 2;       // RAM parameter set back
constexpr uint16_t ORD_WRITE_EEPROM = 3;   // package to EEPROM, no reply
constexpr uint16_t ORD_READ_EEPROM = 4;    // EEPROM parameter set back
constexpr uint16_t ORD_ECHO_CHECK = 5;     // line check; reply sync must be RXSYNC
constexpr uint16_t ORD_TEACH = 6;          // set-point or background teach
constexpr uint16_t ORD_FIRMWARE_INFO = 7;  // 72 raw bytes of firmware text
constexpr uint16_t ORD_MEASURE = 8;        // measurement words
constexpr uint16_t ORD_DATA64 = 9;         // 128 raw bytes: 64 video words
constexpr uint16_t ORD_CCD_INFO = 10;      // CCD type, pixel count, resolution

// The transmit sync word 0x55, also the notification's event character. It lives
// in the link's namespace because POSIX declares a global function sync().
namespace com232 {
extern int32_t sync;
}
extern int32_t order;             // order code of the request being sent
extern char szWriteBuf[BUF_LEN];  // transmit frame (bytes 0..35)
extern char szReadBuf[BUF_LEN];   // last reply: a 36-byte frame or a raw reply

// Builds the request frame in szWriteBuf: sync, the order code, then the PNUM
// words of `words`, each high byte first.
void FillTxBuf(uint16_t orderCode, const uint16_t* words);
// Decodes `count` reply words from szReadBuf (from byte 4 on) into pp; the
// header bytes 0..3 are ignored.
void GetRxBuf(int count);
// The big-endian word at `offset` of a byte buffer (bytes taken as unsigned).
uint16_t WordAt(const char* buffer, int offset);

// 1 when the 36-byte frame `reply` answers the request with `orderCode`: it
// starts with the reply sync 0x00AA followed by that order code. The line check
// judges the sync itself (it has a text of its own for a wrong one), so its
// reply needs only the echo. Anything else (a frame out of step after stray
// bytes, a late reply to an earlier request, another order's answer) is no
// answer and must not reach the package.
int ReplyAnswers(const char* reply, int orderCode);
