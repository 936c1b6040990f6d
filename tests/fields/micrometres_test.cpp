// The word table's micrometre rules and the conversion the read-outs use:
// integer truncation, the scale factor as the single-precision value held.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "fields/micrometres.h"

namespace {

using fields::MicrometreRule;

TEST(Micrometres, PitchByCcdType) {
  for (const auto& [type, pitch] :
       {std::pair{0, 7800}, {1, 7800}, {2, 25000}, {3, 25000}, {4, 7800}}) {
    EXPECT_EQ(fields::PixelPitchNm(type), pitch) << type;
  }
}

TEST(Micrometres, ConversionTruncatesAndScales) {
  struct Row {
    uint16_t pixels;
    int32_t pitch;
    float scale;
    int64_t unscaled;
    int64_t scaled;
  };
  // 0.9f is 0.89999997...: 1000 pixels give 7019, not 7020.
  for (const Row& row : {Row{1023, 7800, 1.0f, 7979, 7979}, Row{1, 25000, 2.0f, 25, 50},
                         Row{1000, 7800, 0.9f, 7800, 7019},
                         Row{65535, 25000, 1.0f, 1638375, 1638375}, Row{512, 7800, NAN, 3993, 0}}) {
    EXPECT_EQ(fields::MicrometresInt(row.pixels, row.pitch), row.unscaled) << row.pixels;
    EXPECT_EQ(fields::MicrometresScaled(row.pixels, row.pitch, row.scale), row.scaled)
        << row.pixels;
  }
}

TEST(Micrometres, EachWordByItsRule) {
  std::string rules;
  for (const fields::Word& word : fields::kParameters) {
    rules += "-ps"[static_cast<int>(word.micrometres)];
  }
  rules += ' ';
  for (const fields::Word& word : fields::kMeasurement) {
    rules += "-ps"[static_cast<int>(word.micrometres)];
  }
  EXPECT_EQ(rules, "------ppsp---p-- ppsspp---");
  // Scaled, plain pitch, and none (the word itself).
  EXPECT_EQ(fields::Micrometres(fields::kMeasurement[2], 1000, 7800, 0.9f), 7019);
  EXPECT_EQ(fields::Micrometres(fields::kMeasurement[0], 1000, 7800, 0.9f), 7800);
  EXPECT_EQ(fields::Micrometres(fields::kMeasurement[6], 2, 7800, 0.9f), 2);
}

}  // namespace
