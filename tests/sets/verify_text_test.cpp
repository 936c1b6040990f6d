#include "sets/verify_text.h"

#include <gtest/gtest.h>

namespace {

using Set = std::array<uint16_t, 16>;

Set With(std::initializer_list<std::pair<int, uint16_t>> changes) {
  Set set{};
  for (size_t i = 0; i < set.size(); ++i) set[i] = static_cast<uint16_t>(100 + i);
  for (const auto& [index, value] : changes) set[static_cast<size_t>(index)] = value;
  return set;
}

}  // namespace

TEST(VerifyText, SaysAgreementOrNamesTheDifferences) {
  const Set sent = With({});
  EXPECT_EQ(sets::VerifyText("RAM", sent, sent, 1024), "RAM holds the 16 parameters sent");
  // By the panels' labels, a value the sensor does not accept with its range.
  EXPECT_EQ(sets::VerifyText("EEPROM", sent, With({{8, 1}, {9, 2}}), 1024),
            "EEPROM holds Teach value 1, sent 108; Tolerance 2, sent 109");
  EXPECT_EQ(sets::VerifyText("RAM", sent, With({{8, 600}}), 512),
            "RAM holds Teach value 600 (outside 0..512), sent 108");
  // As many in full as the status line holds.
  EXPECT_EQ(sets::VerifyText("RAM", sent, With({{0, 1}, {9, 2}, {15, 3}, {14, 4}}), 1024),
            "RAM holds Power 1, sent 100; Tolerance 2, sent 109; and 2 more (see Compare)");
}
