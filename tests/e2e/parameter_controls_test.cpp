// The parameter controls of both panels against the running program: the
// graphs, displays and dimmed states they change at once, the variables they
// leave alone, and the port change that brings the link up again.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "display/data_curve.h"
#include "link/sensor_info.h"
#include "runtime/rs232.h"
#include "runtime/testing/inspect_widgets.h"
#include "tests/e2e/operated_program.h"
#include "tests/support/wait.h"

namespace {
using Texts = std::vector<std::string>;
using Orders = std::vector<int>;

class ParameterControls : public OperatedProgram {
 protected:
  static sim::Config SmallLine() {
    sim::Config config = Unpaced();
    config.ccd_type = 3;  // 512 pixels
    return config;
  }
  // A sensor that never answers: the bring-up's waits pass on a clock that
  // moves on by itself, so they cost no real time.
  void StartSilent() {
    sim::Config config = Unpaced();
    config.faults.silent = true;
    SetTestTimer(0.0, 0.01);
    Start(config);
    ReleaseTestTimer();
  }
  static float ScaleFactorShown() {
    float factor = 0;
    GetCtrlVal(panelPopUp, NUM_ScalFact, &factor);
    return factor;
  }
  // The data graph's threshold line: the second of its two curves.
  static std::vector<double> ThresholdLine() {
    const auto plots = InspectGraphPlots(panelHandle, GRAPH_Data);
    if (plots.size() != 2) return {};
    return plots[1].y;
  }
};
}  // namespace

TEST_F(ParameterControls, ThresholdLineFollowsTheEditOnCommitAndOnPressButVThdStays) {
  Start();
  const uint16_t threshold = vThd;
  ASSERT_EQ(SimulateEnterValue(panelHandle, NEDITVideoThreshold, 700), 0);
  EXPECT_EQ(ThresholdLine(), std::vector<double>(VIDEO_SAMPLES, 700.0));
  EXPECT_EQ(thdArray[255], 700);
  EXPECT_EQ(vThd, threshold);

  // A press redraws at the value the control holds before the click changes it.
  SetCtrlVal(panelHandle, NEDITVideoThreshold, 600);
  ASSERT_EQ(SimulatePress(panelHandle, NEDITVideoThreshold), 0);
  EXPECT_EQ(ThresholdLine(), std::vector<double>(VIDEO_SAMPLES, 600.0));
  SimulateRelease(panelHandle, NEDITVideoThreshold);
  EXPECT_EQ(vThd, threshold);
  EXPECT_EQ(TakeOrders(), Orders{}) << "nothing goes to the sensor";
}

TEST_F(ParameterControls, RightLimitBeyondTheLineIsCutBackAndMovesCursorThree) {
  // A teach value inside the line, and the right limit entered inside it
  // first: cutting back then shows in the field and on cursor 3.
  Start(SmallLine(), TestParams({{sim::kTVal, 100}}));
  ASSERT_EQ(ccdmaxpixel, 512);
  eEnd = 300;
  ASSERT_EQ(SimulateEnterValue(panelHandle, NEDITEdgeRight, 400), 0);
  EXPECT_EQ(U16(panelHandle, NEDITEdgeRight), 400);
  EXPECT_EQ(eEnd, 300) << "changed only when cut back";
  EXPECT_DOUBLE_EQ(CursorX(3), 400.0);

  // The field itself accepts no pixel beyond the line: 1500 becomes 512 as it
  // is entered, so nothing is left for the callback to cut back.
  ASSERT_EQ(SimulateEnterValue(panelHandle, NEDITEdgeRight, 1500), 0);
  EXPECT_EQ(U16(panelHandle, NEDITEdgeRight), 512);
  EXPECT_EQ(eEnd, 300);
  EXPECT_DOUBLE_EQ(CursorX(3), 512.0);
  ASSERT_EQ(SimulateEnterValue(panelHandle, NEDITEdgeLeft, 600), 0);
  EXPECT_EQ(U16(panelHandle, NEDITEdgeLeft), 512);
  ShowSettingsPanel();
  ASSERT_EQ(SimulateEnterValue(panelPopUp, NEDITTeach, 700), 0);
  EXPECT_EQ(U16(panelPopUp, NEDITTeach), 512);
}

TEST_F(ParameterControls, RightLimitOnTheLongLineAndTheLeftLimitMoveTheirCursorsOnly) {
  Start(Unpaced(), TestParams({{sim::kEEnd, 900}}));  // the cursor away from the line's end
  ASSERT_EQ(ccdmaxpixel, 1024);
  eEnd = 700;
  eBeg = 5;
  ASSERT_EQ(SimulateEnterValue(panelHandle, NEDITEdgeRight, 1500), 0);
  EXPECT_EQ(U16(panelHandle, NEDITEdgeRight), 1024);
  EXPECT_EQ(eEnd, 700);
  EXPECT_DOUBLE_EQ(CursorX(3), 1024.0);

  eEnd = 700;
  ASSERT_EQ(SimulateEnterValue(panelHandle, NEDITEdgeRight, 1000), 0);
  EXPECT_EQ(U16(panelHandle, NEDITEdgeRight), 1000);
  EXPECT_DOUBLE_EQ(CursorX(3), 1000.0);
  // The whole line is not beyond it.
  ASSERT_EQ(SimulateEnterValue(panelHandle, NEDITEdgeRight, 1024), 0);
  EXPECT_EQ(U16(panelHandle, NEDITEdgeRight), 1024);
  EXPECT_DOUBLE_EQ(CursorX(3), 1024.0);
  EXPECT_EQ(eEnd, 700);

  ASSERT_EQ(SimulateEnterValue(panelHandle, NEDITEdgeLeft, 200), 0);
  EXPECT_DOUBLE_EQ(CursorX(2), 200.0);
  double x = 0, y = 0;
  InspectGraphCursor(panelHandle, GRAPH_Scope, 2, &x, &y);
  EXPECT_DOUBLE_EQ(y, 1.0);
  EXPECT_EQ(eBeg, 5);
  EXPECT_EQ(TakeOrders(), Orders{});
}

TEST_F(ParameterControls, BeforeAnyCcdInformationTheRightLimitKeepsToTheLongerLine) {
  StartSilent();
  ASSERT_EQ(ccdmaxpixel, 0);
  const uint16_t end = eEnd;
  ASSERT_EQ(SimulateEnterValue(panelHandle, NEDITEdgeRight, 800), 0);
  EXPECT_EQ(U16(panelHandle, NEDITEdgeRight), 800) << "never cut back to an empty window";
  EXPECT_EQ(eEnd, end);
  EXPECT_DOUBLE_EQ(CursorX(3), 800.0);
}

TEST_F(ParameterControls, PixelStartIsHeldToAWindowThatFitsTheLine) {
  Start();
  ShowSettingsPanel();
  ASSERT_EQ(SimulateSelectItem(panelPopUp, RING_CCDMode, 1), 0);
  const uint16_t start = pStart;
  ASSERT_EQ(SimulateEnterValue(panelPopUp, NSLIDE_PixelStart, 800), 0);
  EXPECT_EQ(U16(panelPopUp, NSLIDE_PixelStart), 769);
  EXPECT_EQ(U16(panelPopUp, NUM_PixelEnd), 1024);
  EXPECT_EQ(InspectAccessibleValue(panelPopUp, NUM_PixelEnd), "1024");
  ASSERT_EQ(SimulateEnterValue(panelPopUp, NSLIDE_PixelStart, 500), 0);
  EXPECT_EQ(U16(panelPopUp, NSLIDE_PixelStart), 500);
  EXPECT_EQ(U16(panelPopUp, NUM_PixelEnd), 755);
  EXPECT_EQ(pStart, start);
}

TEST_F(ParameterControls, PixelStartOnTheSmallLine) {
  Start(SmallLine());
  ShowSettingsPanel();
  ASSERT_EQ(SimulateSelectItem(panelPopUp, RING_CCDMode, 1), 0);
  ASSERT_EQ(SimulateEnterValue(panelPopUp, NSLIDE_PixelStart, 300), 0);
  EXPECT_EQ(U16(panelPopUp, NSLIDE_PixelStart), 257);
  EXPECT_EQ(U16(panelPopUp, NUM_PixelEnd), 512);
}

TEST_F(ParameterControls, PixelStartBeforeAnyCcdInformationKeepsToTheSmallLine) {
  StartSilent();
  ASSERT_EQ(ccdmaxpixel, 0);
  ShowSettingsPanel();
  ASSERT_EQ(SimulateSelectItem(panelPopUp, RING_CCDMode, 1), 0);
  ASSERT_EQ(SimulateEnterValue(panelPopUp, NSLIDE_PixelStart, 600), 0);
  EXPECT_EQ(U16(panelPopUp, NSLIDE_PixelStart), 257);
  EXPECT_EQ(U16(panelPopUp, NUM_PixelEnd), 512);
  ASSERT_EQ(SimulateEnterValue(panelPopUp, NSLIDE_PixelStart, 100), 0);
  EXPECT_EQ(U16(panelPopUp, NSLIDE_PixelStart), 100);
  EXPECT_EQ(U16(panelPopUp, NUM_PixelEnd), 355);
}

// The unit switch converts what the fields show now, edits included; the
// entries keep their pixels, so switching there and back sends what was typed.
TEST_F(ParameterControls, UnitSwitchConvertsWhatIsShownAndSendsThePixelsTyped) {
  Start(Unpaced(), TestParams({{sim::kEMode, 2}, {sim::kEPoti, 0}}));
  ShowSettingsPanel();
  ASSERT_EQ(SimulateToggle(panelPopUp, BIN_Sw_EnableTol), 0);
  ASSERT_EQ(SimulateToggle(panelPopUp, BIN_Sw_EnableTol), 0);  // the tolerance edit open
  struct Row {
    int* panel;
    int control;
    uint16_t typed;  // pixels, 0 for a read-out
    const char *before, *micrometres;
    int word;  // sent in this package word, -1 for a read-out
  };
  const Row rows[] = {
      {&panelPopUp, NEDITTeach, 1000, "1000 pixel", "7800 \u00b5m", 8},
      {&panelPopUp, NEDITTolerance, 50, "50 pixel", "390 \u00b5m", 9},
      {&panelHandle, NEDITEdgeLeft, 10, "10 pixel", "78 \u00b5m", 6},
      {&panelHandle, NEDITEdgeRight, 900, "900 pixel", "7020 \u00b5m", 7},
      {&panelHandle, NUM_TeachValue, 0, "1000 pixel", "7800 \u00b5m", -1},
      {&panelHandle, NUM_Tolerance, 0, "50 pixel", "390 \u00b5m", -1},
      {&panelHandle, NUM_FirstEdge, 0, "0 pixel", "0 \u00b5m", -1},
  };
  for (const Row& row : rows) {
    if (row.typed != 0) {
      ASSERT_EQ(SimulateEnterValue(*row.panel, row.control, row.typed), 0);
    }
  }
  const auto shown = [&](const Row& row) {
    return InspectAccessibleValue(*row.panel, row.control);
  };
  for (const Row& row : rows) EXPECT_EQ(shown(row), row.before) << row.control;
  ASSERT_EQ(SimulateToggle(panelHandle, BINSWITCH_UM), 0);  // micrometres
  for (const Row& row : rows) EXPECT_EQ(shown(row), row.micrometres) << row.control;
  ASSERT_EQ(SimulateToggle(panelHandle, BINSWITCH_UM), 0);  // pixels
  for (const Row& row : rows) EXPECT_EQ(shown(row), row.before) << row.control;
  ASSERT_EQ(SimulateClick(panelHandle, BTNSend), 0);
  AwaitSentRequests();
  ASSERT_EQ(sensor_->Requests().size(), 1u);
  for (const Row& row : rows) {
    if (row.word >= 0) {
      EXPECT_EQ(sensor_->Requests()[0].words[row.word], row.typed) << row.word;
    }
  }
  sensor_->ClearRequests();

  // Typed in micrometres: the nearest pixel, shown as such; beyond the range
  // the limit, and the field says so.
  ASSERT_EQ(SimulateToggle(panelHandle, BINSWITCH_UM), 0);
  ASSERT_EQ(SimulateEnterValue(panelPopUp, NEDITTeach, 4000), 0);
  EXPECT_EQ(InspectAccessibleValue(panelPopUp, NEDITTeach), "4001 \u00b5m");
  EXPECT_EQ(InspectAccessibleValue(panelHandle, NUM_TeachValue), "4001 \u00b5m")
      << "the edit's value without the scale factor";
  ASSERT_EQ(SimulateEnterValue(panelPopUp, NEDITTolerance, 9999), 0);
  EXPECT_EQ(InspectControlWidget(panelPopUp, NEDITTolerance)->toolTip().toStdString(),
            "9999 \u00b5m is beyond 0..3993 \u00b5m: set to 3993 \u00b5m");
  ASSERT_EQ(SimulateEnterValue(panelPopUp, NUM_ScalFact, 1.1), 0);
  ASSERT_EQ(SimulateToggle(panelHandle, BINSWITCH_UM), 0);
  ASSERT_EQ(SimulateToggle(panelHandle, BINSWITCH_UM), 0);
  EXPECT_EQ(InspectAccessibleValue(panelHandle, NUM_TeachValue), "4401 \u00b5m")
      << "the switch shows the teach value scaled";
  ASSERT_EQ(SimulateClick(panelHandle, BTNSend), 0);
  AwaitSentRequests();
  EXPECT_EQ(sensor_->Requests()[0].words[8], 513);
  EXPECT_EQ(sensor_->Requests()[0].words[9], 512);
  EXPECT_EQ(tVal, 513) << "read from the panels by the send";
}

TEST_F(ParameterControls, ScaleFactorGoesIntoScaleFAndPara15ByTheSinglePrecisionRule) {
  Start();
  ShowSettingsPanel();
  ASSERT_EQ(SimulateSelectItem(panelHandle, DropDEvalmode, 2), 0);
  ASSERT_EQ(Dimmed(panelPopUp, NUM_ScalFact), 0);
  EXPECT_EQ(eMode, 1) << "the evaluation mode reaches eMode only with the panel values";

  ASSERT_EQ(SimulateEnterValue(panelPopUp, NUM_ScalFact, 1.15), 0);
  EXPECT_FLOAT_EQ(scaleF, 1.15f);
  EXPECT_EQ(para15, 1150);
  ASSERT_EQ(SimulateEnterValue(panelPopUp, NUM_ScalFact, 1.009), 0);
  EXPECT_FLOAT_EQ(scaleF, 1.009f);
  EXPECT_EQ(para15, 1008);
  ASSERT_EQ(SimulateEnterValue(panelPopUp, NUM_ScalFact, 0.9), 0);
  EXPECT_FLOAT_EQ(ScaleFactorShown(), 0.9f);
  EXPECT_EQ(para15, 900);
  // Beyond the sensor's 0.800..1.200 the field takes the nearest limit.
  ASSERT_EQ(SimulateEnterValue(panelPopUp, NUM_ScalFact, 1.5), 0);
  EXPECT_FLOAT_EQ(scaleF, 1.2f);
  EXPECT_EQ(para15, 1200);
  ASSERT_EQ(SimulateEnterValue(panelPopUp, NUM_ScalFact, 12.0), 0);
  EXPECT_EQ(para15, 1200);
  ASSERT_EQ(SimulateEnterValue(panelPopUp, NUM_ScalFact, 0.0), 0);
  EXPECT_EQ(para15, 800);
  ASSERT_EQ(SimulateSelectItem(panelHandle, DropDEvalmode, 1), 0);
  EXPECT_EQ(Dimmed(panelPopUp, NUM_ScalFact), 1);
  EXPECT_EQ(TakeOrders(), Orders{});

  // A parameter read that times out keeps the variables; the panels then limit
  // what no control could have given, and say so.
  para15 = 1500;
  Silence();
  SetTestTimer(0.0, 0.25);
  ASSERT_EQ(SimulateClick(panelHandle, BTNGet), 0);
  ReleaseTestTimer();
  EXPECT_EQ(InspectShownTexts(panelHandle, TEXT_Status).back(),
            "Out of range: 1 value replaced (see marked controls)");
  EXPECT_EQ(para15, 1200);
  EXPECT_FLOAT_EQ(ScaleFactorShown(), 1.2f);
}

TEST_F(ParameterControls, CcdModeAndToleranceSwitchDimTheirControlsOnly) {
  Start();
  ShowSettingsPanel();
  const uint16_t mode = ccdMode, enable = ePoti;
  ASSERT_EQ(SimulateSelectItem(panelPopUp, RING_CCDMode, 1), 0);
  EXPECT_EQ(Dimmed(panelPopUp, NSLIDE_PixelStart), 0);
  EXPECT_EQ(Dimmed(panelPopUp, NUM_PixelEnd), 0);
  ASSERT_EQ(SimulateSelectItem(panelPopUp, RING_CCDMode, 2), 0);
  EXPECT_EQ(Dimmed(panelPopUp, NSLIDE_PixelStart), 1);
  EXPECT_EQ(Dimmed(panelPopUp, NUM_PixelEnd), 1);
  EXPECT_EQ(ccdMode, mode);

  ASSERT_EQ(Dimmed(panelPopUp, NEDITTolerance), 1);
  ASSERT_EQ(SimulateToggle(panelPopUp, BIN_Sw_EnableTol), 0);  // to 0: tolerance from the panel
  EXPECT_EQ(Dimmed(panelPopUp, NEDITTolerance), 0);
  ASSERT_EQ(SimulateToggle(panelPopUp, BIN_Sw_EnableTol), 0);
  EXPECT_EQ(Dimmed(panelPopUp, NEDITTolerance), 1);
  EXPECT_EQ(ePoti, enable);

  const uint16_t gain = iGain;
  ASSERT_EQ(SimulateToggle(panelPopUp, BIN_Switch_VGain), 0);
  EXPECT_EQ(iGain, gain) << "the gain waits for the next reading of the panels";
}

TEST_F(ParameterControls, BackgroundModeOffersTheValueOrTheTeach) {
  Start();
  ShowSettingsPanel();
  const uint16_t mode = bMode;
  ASSERT_EQ(SimulateSelectItem(panelPopUp, RING_CCDBGMode, 1), 0);
  EXPECT_EQ(Dimmed(panelPopUp, NUM_BGValue), 0);
  EXPECT_EQ(Dimmed(panelPopUp, BTNTeachBackGround), 1);
  EXPECT_EQ(Dimmed(panelPopUp, LED_TeachBackGround), 1);

  ASSERT_EQ(SimulateSelectItem(panelPopUp, RING_CCDBGMode, 2), 0);
  EXPECT_EQ(Dimmed(panelPopUp, NUM_BGValue), 1);
  EXPECT_EQ(Dimmed(panelPopUp, BTNTeachBackGround), 0);
  EXPECT_EQ(Dimmed(panelPopUp, LED_TeachBackGround), 0);

  ASSERT_EQ(SimulateSelectItem(panelPopUp, RING_CCDBGMode, 0), 0);
  EXPECT_EQ(Dimmed(panelPopUp, NUM_BGValue), 1);
  EXPECT_EQ(Dimmed(panelPopUp, BTNTeachBackGround), 1);
  EXPECT_EQ(Dimmed(panelPopUp, LED_TeachBackGround), 1);
  EXPECT_EQ(bMode, mode);
}

TEST_F(ParameterControls, SettingsButtonTogglesThePanelAndItsCloseButtonHidesItAlike) {
  Start();
  ASSERT_EQ(SimulateClick(panelHandle, BTNSettings), 0);
  EXPECT_EQ(InspectPanelVisible(panelPopUp), 1);
  EXPECT_EQ(hidePopUp, 0);
  ASSERT_EQ(SimulateClick(panelHandle, BTNSettings), 0);
  EXPECT_EQ(InspectPanelVisible(panelPopUp), 0);
  EXPECT_EQ(hidePopUp, 1);

  ASSERT_EQ(SimulateClick(panelHandle, BTNSettings), 0);
  ASSERT_EQ(SimulateClosePanel(panelPopUp), 0);
  EXPECT_EQ(InspectPanelVisible(panelPopUp), 0);
  EXPECT_EQ(hidePopUp, 1);
  EXPECT_EQ(InspectPanelVisible(panelHandle), 1);
  ASSERT_EQ(SimulateClick(panelHandle, BTNSettings), 0);
  EXPECT_EQ(InspectPanelVisible(panelPopUp), 1) << "the next click shows it again";

  // The panel's own Close button (id 17) and Escape on it close it alike.
  QWidget* settings = InspectPanelWindow(panelPopUp);
  ASSERT_EQ(SimulateClick(panelPopUp, 17), 0);
  EXPECT_EQ(InspectPanelVisible(panelPopUp) * 10 + hidePopUp, 1);
  ASSERT_EQ(SimulateClick(panelHandle, BTNSettings), 0);
  // The window system may hand the activation back to the main window once
  // more: the key goes in only when the settings panel holds the focus.
  QWidget* teach = InspectControlWidget(panelPopUp, NEDITTeach);
  ASSERT_TRUE(WaitUntil(
      [&] {
        settings->activateWindow();
        teach->setFocus();
        return QApplication::focusWidget() == teach;
      },
      2.0));
  QTest::keyClick(settings->windowHandle(), Qt::Key_Escape);
  EXPECT_EQ(InspectPanelVisible(panelPopUp) * 10 + hidePopUp, 1);
}

TEST_F(ParameterControls, PortWithoutSensorAndBackBringsTheLinkUpAgain) {
  setenv("VANTREL_COM2", "/nonexistent/vantrel-no-sensor", 1);
  Start();
  ASSERT_EQ(SimulateSelectItem(panelHandle, DropDCom, 2), 0);
  EXPECT_EQ(com, 2);
  // One selection, one bring-up; the set read from COM1's sensor is no longer
  // this port's.
  const Texts noSensor = TextsSinceMark();
  ASSERT_EQ(noSensor.size(), 2u);
  EXPECT_EQ(noSensor[0], "Init COM-Port ...");
  EXPECT_EQ(noSensor[1], "No serial port found - parameters unread");
  EXPECT_EQ(GetInQLen(1), RS232_PORT_NOT_OPEN) << "the old port was closed";
  EXPECT_EQ(TakeOrders(), Orders{});

  MarkTexts();
  ASSERT_EQ(SimulateSelectItem(panelHandle, DropDCom, 1), 0);
  EXPECT_EQ(com, 1);
  EXPECT_EQ(sensor_->Orders(), (Orders{5, 2, 7, 10}));
  const Texts bringUp = {"Init COM-Port ...",
                         "Echo Check - Line Ok!",
                         "Waiting for parameter-frame ...",
                         "Parameter-frame received! - Line Ok!",
                         "Waiting for firmware info ...",
                         sim::kDefaultFirmware,
                         sim::kDefaultFirmware};
  EXPECT_EQ(TextsSinceMark(), bringUp);
  EXPECT_EQ(StatusLine(), std::string(sim::kDefaultFirmware));
  unsetenv("VANTREL_COM2");
}

TEST_F(ParameterControls, ChoosingTheSelectedPortAgainReopensItOnce) {
  Start();
  ASSERT_EQ(U16(panelHandle, DropDCom), 1);
  ASSERT_EQ(SimulateSelectItem(panelHandle, DropDCom, 1), 0);
  EXPECT_EQ(com, 1);
  // The item already shown gives a commit alone: one bring-up, a new line check.
  EXPECT_EQ(sensor_->Orders(), (Orders{5, 2, 7, 10}));
  EXPECT_EQ(TextsSinceMark(),
            (Texts{"Init COM-Port ...", "Echo Check - Line Ok!", "Waiting for parameter-frame ...",
                   "Parameter-frame received! - Line Ok!", "Waiting for firmware info ...",
                   sim::kDefaultFirmware, sim::kDefaultFirmware}));
  EXPECT_GE(GetInQLen(1), 0) << "port 1 is open again";

  // An arrow key on the selector is one choice too: one bring-up.
  setenv("VANTREL_COM2", sensor_->SlavePath().c_str(), 1);
  sensor_->ClearRequests();
  QTest::keyClick(InspectControlWidget(panelHandle, DropDCom), Qt::Key_Down);
  unsetenv("VANTREL_COM2");
  EXPECT_EQ(com, 2);
  EXPECT_EQ(TakeOrders(), (Orders{5, 2, 7, 10}));
}
