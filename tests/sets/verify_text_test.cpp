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
  EXPECT_EQ(sets::VerifyText("RAM", sent, sent), "RAM holds the 16 parameters sent");
  EXPECT_EQ(sets::VerifyText("EEPROM", sent, With({{0, 480}})), "EEPROM holds power 480, sent 100");
  EXPECT_EQ(sets::VerifyText("EEPROM", sent, With({{8, 1}, {9, 2}})),
            "EEPROM holds tVal 1, sent 108; tTol 2, sent 109");
  EXPECT_EQ(sets::VerifyText("RAM", sent, With({{0, 1}, {1, 2}, {15, 3}, {14, 4}})),
            "RAM holds power 1, sent 100; pwrMode 2, sent 101; and 2 more (see Compare)");
}
