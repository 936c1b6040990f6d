// Request and reply frames of the sensor link and the order codes, under the
// names the program's procedures use; the layout and the rules themselves are
// protocol/'s. The program's own buffers and variables live here.
#pragma once

#include <cstdint>

#include "param/params.h"
#include "protocol/frame.h"
#include "protocol/orders.h"

static_assert(PNUM == protocol::kFrameWords, "a frame carries the whole package");

constexpr int32_t FRAME_LEN = protocol::kFrameLength;  // 36 bytes, every request
constexpr int32_t TXSYNC = protocol::kRequestSync;     // the transmit sync word
constexpr int32_t RXSYNC = protocol::kReplySync;       // reply sync word the line check requires
constexpr int32_t BUF_LEN = 1024;

// Order codes.
constexpr uint16_t ORD_WRITE_RAM = protocol::kWriteRam;
constexpr uint16_t ORD_READ_RAM = protocol::kReadRam;
constexpr uint16_t ORD_WRITE_EEPROM = protocol::kWriteEeprom;
constexpr uint16_t ORD_READ_EEPROM = protocol::kReadEeprom;
constexpr uint16_t ORD_ECHO_CHECK = protocol::kEchoCheck;  // reply sync must be RXSYNC
constexpr uint16_t ORD_TEACH = protocol::kTeach;
constexpr uint16_t ORD_FIRMWARE_INFO = protocol::kFirmwareInfo;  // raw firmware text
constexpr uint16_t ORD_MEASURE = protocol::kMeasure;
constexpr uint16_t ORD_DATA64 = protocol::kData64;  // raw: 64 video words
constexpr uint16_t ORD_CCD_INFO = protocol::kCcdInfo;

// The transmit sync word (TXSYNC), also the notification's event character. It lives
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
// The program's character buffers as the bytes protocol/ reads and writes.
inline const uint8_t* AsBytes(const char* buffer) {
  return reinterpret_cast<const uint8_t*>(buffer);
}
inline uint8_t* AsBytes(char* buffer) {
  return reinterpret_cast<uint8_t*>(buffer);
}

// 1 when the 36-byte frame `reply` answers the request with `orderCode`
// (protocol::ReplyAnswers); a frame that does not must not reach the package.
int ReplyAnswers(const char* reply, int orderCode);
