// Moving the parameter set between the panels and the three stores, through the
// real callbacks and the real engine, against the simulated sensor on a pty:
// what the sensor received (order and all 16 words), what its stores hold, what
// the panels show and what the status line said, in order.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <array>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "display/panel_values.h"
#include "param/parafile.h"
#include "param/transfer.h"
#include "runtime/testing/inspect_widgets.h"
#include "runtime/utility.h"
#include "tests/e2e/operated_program.h"
#include "tests/support/wait.h"

namespace {
using Words = std::array<uint16_t, 16>;

// A parameter set that differs from the resource's initial values in every word.
const Words kPanelSet = {640, 1, 480, 70, 0, 2, 20, 900, 300, 40, 0, 0, 1, 200, 1, 1150};

class Transfer : public OperatedProgram {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(Start());
    DisplayPanel(panelPopUp);  // the operator's actions need the panel shown
  }
  // The operator's edits, on both panels, without raising events.
  static void EnterOnPanels(const Words& w) {
    SetCtrlVal(panelHandle, NUM_Power, w[0]);
    SetCtrlVal(panelHandle, SW_PowerMode, w[1]);
    SetCtrlVal(panelHandle, NEDITVideoThreshold, w[2]);
    SetCtrlVal(panelPopUp, NUM_BGValue, w[3]);
    SetCtrlVal(panelHandle, SW_Polarity, w[4]);
    SetCtrlVal(panelHandle, DropDEvalmode, w[5]);
    SetCtrlVal(panelHandle, NEDITEdgeLeft, w[6]);
    SetCtrlVal(panelHandle, NEDITEdgeRight, w[7]);
    SetCtrlVal(panelPopUp, NEDITTeach, w[8]);
    SetCtrlVal(panelPopUp, NEDITTolerance, w[9]);
    SetCtrlVal(panelPopUp, BIN_Switch_VGain, w[10]);
    SetCtrlVal(panelPopUp, BIN_Sw_EnableTol, w[11]);
    SetCtrlVal(panelPopUp, RING_CCDMode, w[12]);
    SetCtrlVal(panelPopUp, NSLIDE_PixelStart, w[13]);
    SetCtrlVal(panelPopUp, RING_CCDBGMode, w[14]);
    SetCtrlVal(panelPopUp, NUM_ScalFact, w[15] / 1000.0);
  }
  static Words OnPanels() {
    float factor = 0;
    GetCtrlVal(panelPopUp, NUM_ScalFact, &factor);
    return {U16(panelHandle, NUM_Power),           U16(panelHandle, SW_PowerMode),
            U16(panelHandle, NEDITVideoThreshold), U16(panelPopUp, NUM_BGValue),
            U16(panelHandle, SW_Polarity),         U16(panelHandle, DropDEvalmode),
            U16(panelHandle, NEDITEdgeLeft),       U16(panelHandle, NEDITEdgeRight),
            U16(panelPopUp, NEDITTeach),           U16(panelPopUp, NEDITTolerance),
            U16(panelPopUp, BIN_Switch_VGain),     U16(panelPopUp, BIN_Sw_EnableTol),
            U16(panelPopUp, RING_CCDMode),         U16(panelPopUp, NSLIDE_PixelStart),
            U16(panelPopUp, RING_CCDBGMode),       ScaleFactorToPara15(factor)};
  }
  // The set on the scope: the grey window frame's corners, then the green
  // band over it from x to x, then cursors 1, 2 and 3.
  static std::vector<double> SetOnScope() {
    const std::vector<GraphPlotInfo> plots = InspectGraphPlots(panelHandle, GRAPH_Scope);
    if (plots.size() != 2) return {};
    const GraphPlotInfo &frame = plots[0], &band = plots[1];
    EXPECT_EQ(frame.fillColor, 0xA0A0A0);
    EXPECT_EQ(band.fillColor, 0x00FF00);
    EXPECT_EQ(band.y, (std::vector<double>{0.0, 0.25}));
    return {frame.x[0], frame.y[0], frame.x[1], frame.y[1], band.x[0],
            band.x[1],  CursorX(1), CursorX(2), CursorX(3)};
  }
};
}  // namespace

TEST_F(Transfer, SendWritesThePanelValuesToTheSelectedStoreOnThePress) {
  const Words ram = sensor_->Ram();
  EnterOnPanels(kPanelSet);

  ASSERT_EQ(SimulateToggle(panelHandle, RBTEeprom), 0);
  EXPECT_EQ(target, EEPROM);
  MarkTexts();
  // The EEPROM is written once the operator has seen what changes and said yes.
  QueueConfirmAnswer(1);
  ASSERT_EQ(SimulatePress(panelHandle, BTNSend), 0);
  // Acts before the release: the frame is on the line already.
  ASSERT_TRUE(sensor_->WaitForRequests(2, 2.0));
  EXPECT_EQ(sensor_->Orders(), (std::vector<int>{4, 3}));
  EXPECT_EQ(sensor_->Requests()[1].words, kPanelSet);
  EXPECT_EQ(ConfirmQuestions().at(0).substr(97, 20), "\n\nPower: 500 -> 640\n");
  EXPECT_EQ(TextsSinceMark(), (std::vector<std::string>{"Transmit...", "Line Ok!"}));
  ASSERT_EQ(SimulateRelease(panelHandle, BTNSend), 0);
  ASSERT_TRUE(WaitUntil([&] { return sensor_->Eeprom() == kPanelSet; }, 2.0));
  EXPECT_EQ(sensor_->Ram(), ram) << "the EEPROM order leaves the RAM alone";
  EXPECT_EQ(Variables(), kPanelSet) << "the panel values were read into the variables";

  Words second = kPanelSet;
  second[0] = 100;
  second[9] = 12;
  EnterOnPanels(second);
  ASSERT_EQ(SimulateToggle(panelHandle, RBTRam), 0);
  MarkTexts();
  ASSERT_EQ(SimulateClick(panelHandle, BTNSend), 0);
  ASSERT_TRUE(sensor_->WaitForRequests(3, 2.0));
  EXPECT_EQ(sensor_->Orders(), (std::vector<int>{4, 3, 1})) << "one frame per click";
  EXPECT_EQ(sensor_->Requests()[2].words, second);
  ASSERT_TRUE(WaitUntil([&] { return sensor_->Ram() == second; }, 2.0));
  EXPECT_EQ(sensor_->Eeprom(), kPanelSet);
  EXPECT_EQ(TextsSinceMark(), (std::vector<std::string>{"Transmit...", "Line Ok!"}));
  EXPECT_EQ(TakeOrders(), (std::vector<int>{4, 3, 1}))
      << "no reply is awaited, nothing else is sent";
}

TEST_F(Transfer, GetShowsTheStoreOnBothPanelsRangeCheckedAndOnlyOnTheCompletedClick) {
  const Words ramSet = {1500, 1, 600, 1024, 0, 7, 5, 1000, 400, 513, 0, 0, 1, 300, 2, 1100};
  const Words eepromSet = {200, 0, 300, 50, 1, 2, 10, 800, 500, 60, 1, 1, 0, 1, 1, 900};
  sensor_->SetRam(ramSet);
  sensor_->SetEeprom(eepromSet);

  for (const int32_t store : {RAM, EEPROM}) {
    SCOPED_TRACE(store);
    sensor_->ClearRequests();
    if (store == EEPROM) {
      ASSERT_EQ(SimulateToggle(panelHandle, RBTEeprom), 0);
    }
    SetCtrlVal(panelHandle, BINSWITCH_UM, 0);
    const Words sent = Variables();  // the variables go out as they stand
    MarkTexts();

    ASSERT_EQ(SimulatePress(panelHandle, BTNGet), 0);
    EXPECT_TRUE(TakeOrders().empty()) << "get waits for the completed click";
    ASSERT_EQ(SimulateRelease(panelHandle, BTNGet), 0);
    ASSERT_TRUE(WaitUntil([&] { return TextsSinceMark().size() >= 2; }, 3.0));

    ASSERT_EQ(sensor_->Orders(), (std::vector<int>{store == RAM ? 2 : 4}));
    EXPECT_EQ(sensor_->Requests()[0].words, sent);
    std::vector<std::string> texts = {"Waiting for parameter-frame ...",
                                      "Parameter-frame received! - Line Ok!"};
    if (store == RAM) texts.push_back("Out of range: 4 values replaced (see marked controls)");
    EXPECT_EQ(TextsSinceMark(), texts);
    EXPECT_EQ(U16(panelHandle, BINSWITCH_UM), 1) << "values are shown in pixels after a get";
  }
  EXPECT_EQ(OnPanels(), eepromSet);
  EXPECT_EQ(Variables(), eepromSet);
  // CCD mode 0: the frame around the whole line, the band at 500 +- 60, M at
  // the teach value, L and R at the evaluation limits.
  EXPECT_EQ(SetOnScope(), (std::vector<double>{0, 0, 1023, 1, 440, 560, 500, 10, 800}));

  // The RAM set again, to see the range check: power 1500 -> 500, eMode 7 -> 3,
  // bVal 1024 -> 60, tTol 513 -> 128; the rest as the sensor holds them.
  ASSERT_EQ(SimulateToggle(panelHandle, RBTRam), 0);
  ASSERT_EQ(SimulateClick(panelHandle, BTNGet), 0);
  ASSERT_TRUE(WaitUntil(
      [] { return StatusLine() == "Out of range: 4 values replaced (see marked controls)"; }, 3));
  // Each replaced value is marked, saying what the sensor held; the others not.
  EXPECT_EQ(InspectControlWidget(panelHandle, NUM_Power)->toolTip().toStdString(),
            "From the sensor's RAM: 1500 is outside 0..1000, shown as 500");
  EXPECT_EQ(InspectControlWidget(panelPopUp, NEDITTolerance)->toolTip().toStdString(),
            "From the sensor's RAM: 513 is outside 0..512, shown as 128");
  int marked = -1;
  GetCtrlAttribute(panelHandle, NEDITVideoThreshold, UI_ATTR_CORRECTION_NOTE, &marked);
  EXPECT_EQ(marked, 0);
  GetCtrlAttribute(panelHandle, DropDEvalmode, UI_ATTR_CORRECTION_NOTE, &marked);
  EXPECT_EQ(marked, 1);
  // The operator's own value removes the mark.
  ASSERT_EQ(SimulateEnterValue(panelHandle, NUM_Power, 700), 0);
  GetCtrlAttribute(panelHandle, NUM_Power, UI_ATTR_CORRECTION_NOTE, &marked);
  EXPECT_EQ(marked, 0);
  SetCtrlVal(panelHandle, NUM_Power, 500);
  Words checked = ramSet;
  checked[0] = 500;
  checked[5] = 3;
  checked[3] = 60;
  checked[9] = 128;
  EXPECT_EQ(Variables(), checked);
  EXPECT_EQ(OnPanels(), checked);
  EXPECT_EQ(U16(panelHandle, NUM_TeachValue), 400);
  EXPECT_EQ(U16(panelHandle, NUM_Tolerance), 128);
  // CCD mode 1: the frame around the window of 256 pixels from pixel start,
  // the band of the tolerance as replaced.
  EXPECT_EQ(SetOnScope(), (std::vector<double>{300, 0, 555, 1, 272, 528, 400, 5, 1000}));
  EXPECT_EQ(U16(panelPopUp, NUM_PixelEnd), 555);
}

TEST_F(Transfer, GetFromASilentSensorTimesOutAfterTheLimitAndShowsTheVariables) {
  sensor_->Update([](sim::Config& c) { c.faults.silent = true; });
  const Words before = Variables();
  SetCtrlVal(panelHandle, NUM_Power, 777);  // typed, never sent: the panel shows the variable again
  SetCtrlVal(panelHandle, BINSWITCH_UM, 0);
  // The clock moves 10 ms per reading: the wait must give up at the first
  // reading beyond 1.5 s, not at 1.5 s itself.
  SetTestTimer(100.0, 0.01);
  MarkTexts();
  ASSERT_EQ(SimulateClick(panelHandle, BTNGet), 0);
  ASSERT_TRUE(WaitUntil([&] { return TextsSinceMark().size() >= 2; }, 10.0));
  EXPECT_GT(tdiff, TIMEOUT);
  EXPECT_LT(tdiff, TIMEOUT + 0.015);
  ReleaseTestTimer();
  EXPECT_EQ(TextsSinceMark(),
            (std::vector<std::string>{"Waiting for parameter-frame ...", "Timeout-RS-232..."}));
  EXPECT_EQ(Variables(), before);
  EXPECT_EQ(U16(panelHandle, NUM_Power), before[0]);
  EXPECT_EQ(U16(panelHandle, BINSWITCH_UM), 1);
}

TEST_F(Transfer, StoreButtonsKeepExactlyOneOnAndTheSelectedOneStaysOn) {
  struct Step {
    int button;
    int32_t target;
    int ram, eeprom, file;
  };
  // Each step presses Space on one button the way the operator does; on the
  // selected button it changes nothing.
  const Step steps[] = {
      {RBTEeprom, EEPROM, 0, 1, 0}, {RBTFile, DATFILE, 0, 0, 1},  {RBTFile, DATFILE, 0, 0, 1},
      {RBTEeprom, EEPROM, 0, 1, 0}, {RBTEeprom, EEPROM, 0, 1, 0}, {RBTRam, RAM, 1, 0, 0},
      {RBTRam, RAM, 1, 0, 0},       {RBTFile, DATFILE, 0, 0, 1},  {RBTRam, RAM, 1, 0, 0},
  };
  int n = 0;
  for (const Step& s : steps) {
    SCOPED_TRACE(++n);
    ASSERT_EQ(SimulateToggle(panelHandle, s.button), 0);
    EXPECT_EQ(target, s.target);
    EXPECT_EQ(U16(panelHandle, RBTRam), s.ram);
    EXPECT_EQ(U16(panelHandle, RBTEeprom), s.eeprom);
    EXPECT_EQ(U16(panelHandle, RBTFile), s.file);
  }
  EXPECT_TRUE(TakeOrders().empty()) << "choosing a store sends nothing";
}

TEST_F(Transfer, DoubleClickOnFileThenSendWritesTheFileNotTheSensor) {
  ASSERT_EQ(SimulateClick(panelHandle, RBTFile), 0);
  ASSERT_EQ(SimulateClick(panelHandle, RBTFile), 0);
  EXPECT_EQ(target, DATFILE);
  EXPECT_EQ(U16(panelHandle, RBTFile) * 10 + U16(panelHandle, RBTRam), 10);
  const std::string path = testing::TempDir() + "/double-click.dat";
  std::remove(path.c_str());
  QueueFileSelectAnswer(UI_FILE_SELECTED_NEW, path);
  ASSERT_EQ(SimulateClick(panelHandle, BTNSend), 0);
  EXPECT_TRUE(TakeOrders().empty()) << "nothing goes to the sensor's RAM";
  std::ifstream written(path);
  int lines = 0;
  for (std::string l; std::getline(written, l);) ++lines;
  EXPECT_EQ(lines, 16);
}

TEST_F(Transfer, StoreButtonsAreOneTabStopAndArrowKeysSelect) {
  QWidget* window = InspectPanelWindow(panelHandle);
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  SelectStore(EEPROM);
  InspectControlWidget(panelHandle, NEDITEdgeRight)->setFocus();
  // Tab lands on the selected button and the next Tab leaves the group; the
  // arrow keys select round the group (RAM, EEPROM, File).
  const struct {
    Qt::Key key;
    int focus;
    int32_t target;
  } steps[] = {{Qt::Key_Tab, RBTEeprom, EEPROM},     {Qt::Key_Tab, BTNGet, EEPROM},
               {Qt::Key_Backtab, RBTEeprom, EEPROM}, {Qt::Key_Right, RBTFile, DATFILE},
               {Qt::Key_Down, RBTRam, RAM},          {Qt::Key_Left, RBTFile, DATFILE},
               {Qt::Key_Up, RBTEeprom, EEPROM}};
  for (const auto& s : steps) {
    QTest::keyClick(window->windowHandle(), s.key);
    EXPECT_EQ(QApplication::focusWidget(), InspectControlWidget(panelHandle, s.focus)) << s.key;
    EXPECT_EQ(target, s.target);
    EXPECT_EQ(U16(panelHandle, RBTRam) + U16(panelHandle, RBTEeprom) + U16(panelHandle, RBTFile),
              1);
  }
  EXPECT_TRUE(TakeOrders().empty()) << "choosing a store sends nothing";
}
