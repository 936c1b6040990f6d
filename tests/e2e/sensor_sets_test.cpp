// Reading the sensor's stores and the panels beside the program: what the
// sensor received, and that the program's variables, package and panels keep
// what they held.
#include <gtest/gtest.h>

#include "param/transfer.h"
#include "sets/sensor/sensor_sets.h"
#include "tests/e2e/during_loop.h"
#include "tests/e2e/operated_program.h"

namespace {

class SensorSets : public OperatedProgram {};

ParamWords Changed(ParamWords words, int index, uint16_t value) {
  words[static_cast<size_t>(index)] = value;
  return words;
}

}  // namespace

TEST_F(SensorSets, ReadsRamAndEepromLeavingTheProgramsSetAsItWas) {
  const ParamWords ram = Changed(kTestParams, 0, 480);
  const ParamWords eeprom = Changed(Changed(kTestParams, 0, 500), 8, 300);
  Start(Unpaced(), ram);
  sensor_->SetEeprom(eeprom);
  // The panels hold an edit the program has not taken yet.
  ASSERT_EQ(SetCtrlVal(panelHandle, NUM_Power, 650), 0);
  const ParamWords variables = Variables(), package = Package();
  const sets::ParameterSet panels = sets::PanelParameterSet();
  EXPECT_EQ(panels[0], 650);
  EXPECT_EQ(Variables(), variables) << "reading the panels takes nothing over";
  MarkTexts();

  sets::ParameterSet fromRam{}, fromEeprom{};
  EXPECT_EQ(sets::ReadSensorStore(RAM, &fromRam), sets::StoreReadResult::kRead);
  EXPECT_EQ(sets::ReadSensorStore(EEPROM, &fromEeprom), sets::StoreReadResult::kRead);
  EXPECT_EQ(fromRam, ram);
  EXPECT_EQ(fromEeprom, eeprom);
  EXPECT_EQ(TakeOrders(), (std::vector<int>{2, 4}));
  EXPECT_EQ(Variables(), variables);
  EXPECT_EQ(Package(), package);
  EXPECT_EQ(sets::PanelParameterSet(), panels);
  EXPECT_EQ(TextsSinceMark(), std::vector<std::string>{});

  // A silent sensor: no answer, and still nothing taken over.
  Silence();
  EXPECT_EQ(sets::ReadSensorStore(RAM, &fromRam), sets::StoreReadResult::kNoAnswer);
  EXPECT_EQ(fromRam, ram) << "left as it was";
  EXPECT_EQ(Package(), package);
  EXPECT_EQ(Variables(), variables);
}

TEST_F(SensorSets, SendsNothingWhileALoopOwnsTheLine) {
  Start();
  sets::ParameterSet set{};
  sets::StoreReadResult during = sets::StoreReadResult::kRead;
  WhenReady stop([&] { return sensor_->Orders().size() >= 3; },
                 [&] {
                   sensor_->ClearRequests();
                   during = sets::ReadSensorStore(EEPROM, &set);
                   PressStop();
                 });
  ASSERT_EQ(SimulateClick(panelHandle, BTNRun), 0);
  ASSERT_TRUE(stop.fired());
  EXPECT_EQ(during, sets::StoreReadResult::kLoopRuns);
  for (int order : TakeOrders()) EXPECT_EQ(order, 8) << "only the loop's own requests";
}
