// The sensor search's requests, the judging of their replies and its words.
#include <gtest/gtest.h>

#include "ports/probe_frames.h"
#include "ports/search_result.h"

namespace ports {
namespace {

std::vector<uint8_t> Bytes(size_t count, uint8_t fill = 0) {
  return std::vector<uint8_t>(count, fill);
}

TEST(SensorSearch, RepliesAreJudged) {
  std::vector<uint8_t> frame = Bytes(36);
  frame[1] = 0xAA;
  EXPECT_EQ(JudgeLineCheck(frame), LineCheck::kSensor);
  EXPECT_EQ(JudgeLineCheck(std::vector<uint8_t>(frame.begin(), frame.end() - 1)),
            LineCheck::kIncomplete);
  frame[1] = 0x55;
  EXPECT_EQ(JudgeLineCheck(frame), LineCheck::kWrongSync);
  frame[0] = 0x01;
  frame[1] = 0xAA;
  EXPECT_EQ(JudgeLineCheck(frame), LineCheck::kWrongSync) << "the whole first word";

  std::vector<uint8_t> firmware = Bytes(72);
  const std::string text = "FW 2.07 \xB5";
  std::copy(text.begin(), text.end(), firmware.begin());
  EXPECT_EQ(FirmwareText(firmware), std::optional<std::string>("FW 2.07 \xC2\xB5"));
  EXPECT_EQ(FirmwareText(Bytes(71)), std::nullopt);
  firmware[40] = 'x';
  EXPECT_EQ(FirmwareText(firmware), std::nullopt) << "text after the padding";
  firmware[40] = 0;
  firmware[2] = 0x07;
  EXPECT_EQ(FirmwareText(firmware), std::nullopt) << "a control byte";
}

TEST(SensorSearch, SummariesAndFreePortNumbers) {
  const PortResult sensor{Outcome::kSensor, "", ""}, none{Outcome::kNoAnswer, "", ""};
  EXPECT_EQ(ResultText(sensor), "Sensor answers (no firmware text)");
  EXPECT_EQ(SearchSummary({}), "Find sensor: no serial port to probe");
  EXPECT_EQ(SearchSummary({none, sensor}), "Find sensor: a sensor answers on 1 of 2 ports");
  EXPECT_EQ(FreePortNumber({{true, false}, {false, true}, {false, false}}), 3);
  EXPECT_EQ(FreePortNumber({{true, false}, {false, true}}), 0);
}

}  // namespace
}  // namespace ports
