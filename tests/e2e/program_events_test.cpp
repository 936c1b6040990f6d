// The program tells its observers what it decides, where it decides it: the
// port opened and the set read at the bring-up, a set sent, a loop's start, the
// frames it drew, its time-out and its end, each operation's beginning and end.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/e2e/during_loop.h"
#include "tests/e2e/event_transcript.h"
#include "tests/e2e/operated_program.h"

namespace {
using Lines = std::vector<std::string>;
class ProgramEvents : public OperatedProgram {};
}  // namespace

TEST_F(ProgramEvents, AreToldWhereTheProgramDecidesThem) {
  const ParamWords ram = DistinctTestParams();
  StartSensor(Unpaced(), ram);
  EventTranscript told;
  StartOn(sensor_->SlavePath());
  EXPECT_EQ(told.Take(), (Lines{"operation 1", "opened 1 " + sensor_->SlavePath(),
                                "read 1" + EventTranscript::Words(ram.data()), "operation 0"}));

  ASSERT_EQ(SetCtrlVal(panelHandle, NUM_Power, 650), 0);
  ASSERT_EQ(SimulateClick(panelHandle, BTNSend), 0);
  EXPECT_EQ(told.Take(),
            (Lines{"operation 3", "sent 1" + EventTranscript::Words(PackedVariables().data()),
                   "operation 0"}));
  EXPECT_EQ(PackedVariables()[0], 650);

  // Stopped after some frames: every frame it drew, the last one on the scope.
  for (const auto& [button, loop] : {std::pair{BTNRun, 1}, {BTNData, 2}}) {
    sensor_->ClearRequests();
    WhenReady stop([&] { return std::ranges::count(sensor_->Orders(), 8) >= 3; },
                   [] { PressStop(); });
    ASSERT_EQ(SimulateClick(panelHandle, button), 0);
    const auto measured = std::ranges::count(TakeOrders(), 8);
    const std::string n = std::to_string(loop);
    const Lines ran = told.Take();
    EXPECT_EQ(ran, (Lines{"operation " + std::to_string(loop == 1 ? 6 : 7), "loop " + n,
                          ran.size() > 2 ? ran[2] : "", "ended " + n + " 0", "operation 0"}));
    EXPECT_TRUE(told.frames == measured || told.frames == measured - 1) << told.frames;
    ASSERT_EQ(told.lastFrame.size(), 16u);
    EXPECT_EQ(told.lastFrame[0], U16(panelHandle, NUM_FirstEdge));
    EXPECT_EQ(told.lastFrame[1], U16(panelHandle, NUM_SecondEdge));
  }

  // A sensor that falls silent: the measurement's time-out ends the Run.
  Silence();
  ASSERT_EQ(SimulateClick(panelHandle, BTNRun), 0);
  EXPECT_EQ(told.Take(), (Lines{"operation 6", "loop 1", "timeout", "ended 1 1", "operation 0"}));
}
