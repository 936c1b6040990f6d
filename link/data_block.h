// The sensor's video line, read in blocks of 64 words.
#pragma once

#include <cstdint>

#include "protocol/orders.h"
#include "protocol/raw_replies.h"

constexpr int32_t DATA_BLOCK_WORDS = protocol::kVideoBlockWords;
constexpr int VIDEO_SAMPLES = 4 * DATA_BLOCK_WORDS;  // the video line as read: four blocks

extern uint16_t adcbuf[VIDEO_SAMPLES];  // video samples; block k fills words 64k..64k+63
extern int32_t ref_flag;                // last-block flag of the latest block read
// 1 once a whole block of levels came from the sensor: before that adcbuf holds
// the zeros it started with, nothing the sensor said. InitVars clears it.
extern int32_t videoLineRead;

constexpr int32_t DATA_REPLY_LEN = protocol::kVideoBlockLength;  // 128 raw bytes, no header
constexpr uint16_t VIDEO_LEVEL_MAX = protocol::kVideoLevelMax;   // video levels are 0..1023 counts

// Asks for the 64 video words from `start` (0, 64, 128 or 192) with the
// last-block flag `last` and stores the raw reply into adcbuf from `start` on.
// Polls the input queue itself, processing events meanwhile: the receive
// notification must be removed by the caller. Only a whole block of 64 levels
// (0..1023) replaces the block's words; a short or garbled reply leaves them
// as they were. The outcome ends in the status line, which is left alone while
// it already says so. Returns 1.
int ReadData64(int start, int last);

// 1 when the first 128 bytes of `bytes` are 64 video levels (each word 0..1023;
// protocol::IsVideoBlock).
int IsVideoBlock(const char* bytes);
