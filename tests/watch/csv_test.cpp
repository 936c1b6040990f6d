// The recording's and the video export's text: golden header and rows with
// quoting and the micro sign, the first and last video rows of both x rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

#include "watch/csv_field.h"
#include "watch/recording_csv.h"
#include "watch/video_csv.h"

constexpr int VIDEO_SAMPLES = watch::kVideoSamples;

namespace {

TEST(RecordingCsv, HeaderAndRows) {
  watch::RecordingInfo info;
  info.started = "2026-12-08 01:45:11";
  info.port = "COM5";
  info.device = "/dev/pts/3";
  info.firmware = "Q-VOR \"B\" 2.1, M\xFCnchen";
  info.ccd = "1024 pixel, 7.8 \xB5m";
  info.pitchNm = 7800;
  info.parameters = {500, 0, 512, 64, 1, 1, 1, 512, 512, 100, 1, 1, 0, 1, 0, 1000};
  const std::string text =
      watch::RecordingHeader(info) +
      watch::RecordingRow(0, {100, 300, 612, 512, 100, 0, 2, 800, 790}, 7800, 1.0f) +
      watch::RecordingRow(250, {100, 300, 1000, 1100, 99, 0, 2, 800, 790}, 7800, 0.9f);
  EXPECT_EQ(text,
            "# Vantrel recording\r\n"
            "# started,2026-12-08 01:45:11\r\n"
            "# port,COM5\r\n"
            "# device,/dev/pts/3\r\n"
            "# firmware,\"Q-VOR \"\"B\"\" 2.1, M\xC3\xBCnchen\"\r\n"
            "# CCD,\"1024 pixel, 7.8 \xC2\xB5m\"\r\n"
            "# pixel pitch nm,7800\r\n"
            "# power,500\r\n# pwrMode,0\r\n# vThd,512\r\n# bVal,64\r\n"
            "# polarity,1\r\n# eMode,1\r\n# eBeg,1\r\n# eEnd,512\r\n"
            "# tVal,512\r\n# tTol,100\r\n# iGain,1\r\n# ePoti,1\r\n"
            "# ccdMode,0\r\n# pStart,1\r\n# bMode,0\r\n# para15,1000\r\n"
            "time_ms,edge1,edge2,value,teach,tolerance,pix1,edcnt,mvstart,mvend,value_um,inside\r\n"
            "0,100,300,612,512,100,0,2,800,790,4773,1\r\n"
            "250,100,300,1000,1100,99,0,2,800,790,7019,0\r\n");
}

TEST(RecordingCsv, FieldsQuotedWhenTheyMustBe) {
  for (const auto& [in, out] : {std::pair<std::string, std::string>{"COM1", "COM1"},
                                {"a,b", "\"a,b\""},
                                {"a\"b", "\"a\"\"b\""},
                                {"a\rb", "\"a\rb\""},
                                {"a\nb", "\"a\nb\""}}) {
    EXPECT_EQ(watch::CsvField(in), out);
  }
}

TEST(VideoCsv, RowsFollowTheGivenPositions) {
  std::array<uint16_t, VIDEO_SAMPLES> levels{}, thresholds{}, whole{}, window{};
  for (int i = 0; i < VIDEO_SAMPLES; ++i) {
    levels[i] = static_cast<uint16_t>(1000 - i);
    thresholds[i] = 512;
    whole[i] = static_cast<uint16_t>(4 * i);     // mode 0 on a 1024-pixel line
    window[i] = static_cast<uint16_t>(300 + i);  // a window from pixel 300
  }
  const std::string head = "position,level,threshold\r\n";
  const std::string wholeText = watch::VideoCsv(whole, levels, thresholds);
  EXPECT_EQ(wholeText.substr(0, head.size() + 12), head + "0,1000,512\r\n");
  EXPECT_TRUE(wholeText.ends_with("\r\n1016,746,512\r\n1020,745,512\r\n"));
  const std::string windowText = watch::VideoCsv(window, levels, thresholds);
  EXPECT_EQ(windowText.substr(0, head.size() + 14), head + "300,1000,512\r\n");
  EXPECT_TRUE(windowText.ends_with("\r\n555,745,512\r\n"));
  EXPECT_EQ(std::count(windowText.begin(), windowText.end(), '\n'), 257);
}

}  // namespace
