// Link bring-up at start-up against a sensor the test plays byte by byte: the
// exchanges, what the status line ends with, what the panels and graphs show.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "display/datacurve.h"
#include "display/panelvalues.h"
#include "link/replywait.h"
#include "param/transfer.h"
#include "runtime/rs232.h"
#include "tests/e2e/program.h"
#include "tests/support/scripted_sensor.h"
#include "tests/support/wait.h"

namespace {
using Words = ScriptedSensor::Words;

const Words kRam = {321, 1, 600, 70, 0, 2, 5, 1000, 400, 50, 0, 0, 1, 300, 1, 1100};
const std::string kFirmware = "Q-VOR MK test firmware 3.14";

// A well-behaved sensor: answers every order as a real one would.
std::vector<uint8_t> GoodReply(uint16_t order, const Words& words, Words ccd = {1, 1024, 78}) {
  switch (order) {
    case 2:
      return ScriptedSensor::Frame(0x00AA, 2, kRam);
    case 5:
      return ScriptedSensor::Frame(0x00AA, 5, words);
    case 7:
      return ScriptedSensor::Text(kFirmware, 72);
    case 10:
      return ScriptedSensor::Frame(0x00AA, 10, ccd);
    default:
      return {};
  }
}

class BringUp : public ::testing::Test {
 protected:
  void Start(ScriptedSensor& sensor) {
    ASSERT_TRUE(sensor.ok());
    ASSERT_EQ(StartProgram(sensor.slavePath()), 0);
    started_ = true;
  }
  void TearDown() override {
    if (started_) ShutDown();
  }
  bool started_ = false;
};
}  // namespace

TEST_F(BringUp, GoodSensorGivesParametersFirmwareAndCcdInThatOrder) {
  ScriptedSensor sensor([](uint16_t order, const Words& words) { return GoodReply(order, words); });
  Start(sensor);

  EXPECT_EQ(sensor.Orders(), (std::vector<uint16_t>{5, 2, 7, 10}));
  EXPECT_EQ(StatusLine(), kFirmware);
  EXPECT_EQ(std::string(szVersion), kFirmware);
  const std::vector<std::string> shown = InspectShownTexts(panelHandle, TEXT_Status);
  const std::vector<std::string> expected = {"InitVars",
                                             "Echo Check - Line Ok!",
                                             "Waiting for parameter-frame ...",
                                             "Parameter-frame received! - Line Ok!",
                                             "Waiting for firmware info ...",
                                             kFirmware,
                                             kFirmware};
  EXPECT_EQ(shown, expected) << "the last text is the bring-up's closing report";
  EXPECT_EQ(InspectPanelVisible(panelHandle), 1);
  EXPECT_EQ(InspectPanelVisible(panelPopUp), 0);

  // The sensor's RAM set reached the variables and both panels (range-checked).
  EXPECT_EQ(power, 321);
  EXPECT_EQ(U16(panelHandle, NUM_Power), 321);
  EXPECT_EQ(U16(panelHandle, NEDITVideoThreshold), 600);
  EXPECT_EQ(U16(panelHandle, DropDEvalmode), 2);
  EXPECT_EQ(U16(panelPopUp, NEDITTeach), 400);
  EXPECT_EQ(U16(panelPopUp, NSLIDE_PixelStart), 300);
  EXPECT_EQ(U16(panelPopUp, NUM_PixelEnd), 555);
  float factor = 0;
  GetCtrlVal(panelPopUp, NUM_ScalFact, &factor);
  EXPECT_FLOAT_EQ(factor, 1.1f);
  EXPECT_EQ(U16(panelHandle, BINSWITCH_UM), 1);

  // The CCD reply adapted the edge limits, the slider, the data graph's axis
  // and the description.
  EXPECT_EQ(ccdmaxpixel, 1024);
  EXPECT_EQ(eBeg, 1);
  EXPECT_EQ(eEnd, 1024);
  int maximum = 0;
  GetCtrlAttribute(panelPopUp, NSLIDE_PixelStart, UI_ATTR_MAX_VALUE, &maximum);
  EXPECT_EQ(maximum, 1024);
  EXPECT_EQ(InspectTextBoxLine(panelPopUp, TEXTBOX_CCDInfo, 0),
            "  CCD-SENSOR: 1024 pixel; 7.8\xB5m pixel-pitch, 8.0mm working range");
  // CCD mode 1 came with the RAM set: the axis is the window from pix1.
  GraphAxisInfo axis;
  ASSERT_EQ(InspectGraphAxis(panelHandle, GRAPH_Data, UI_AXIS_X, &axis), 0);
  EXPECT_DOUBLE_EQ(axis.min, pix1);
  EXPECT_DOUBLE_EQ(axis.max, pix1 + 256.0);
}

TEST_F(BringUp, WholeLineModeSpreadsTheSamplesOverTheLine) {
  for (const uint16_t pixels : {1024, 512}) {
    SCOPED_TRACE(pixels);
    ScriptedSensor sensor([pixels](uint16_t order, const Words& words) {
      if (order == 2) {
        Words ram = kRam;
        ram[12] = 0;  // CCD mode 0: whole line
        return ScriptedSensor::Frame(0x00AA, 2, ram);
      }
      return GoodReply(order, words, Words{pixels == 1024 ? uint16_t{1} : uint16_t{3}, pixels});
    });
    Start(sensor);
    const int step = pixels == 1024 ? 4 : 2;
    for (int i = 0; i < VIDEO_SAMPLES; ++i) ASSERT_EQ(xArray[i], step * i) << i;
    GraphAxisInfo axis;
    InspectGraphAxis(panelHandle, GRAPH_Data, UI_AXIS_X, &axis);
    EXPECT_DOUBLE_EQ(axis.min, 1.0);
    EXPECT_DOUBLE_EQ(axis.max, pixels);
    EXPECT_EQ(eEnd, pixels);
    ShutDown();
    started_ = false;
  }
}

TEST_F(BringUp, SilentSensorTimesOutThenStillAsksForTheCcd) {
  ScriptedSensor sensor([](uint16_t, const Words&) { return std::vector<uint8_t>{}; });
  Start(sensor);

  ASSERT_EQ(sensor.Orders(), (std::vector<uint16_t>{5, 10}));
  EXPECT_EQ(InspectShownTexts(panelHandle, TEXT_Status),
            (std::vector<std::string>{"InitVars", "Timeout-RS-232...", "Error reading CCD-info"}));
  const auto times = sensor.Times();
  // The program waits more than 1.5 s; the sensor sees each request within a
  // few milliseconds of its departure.
  EXPECT_GT(times[1] - times[0], 1.45) << "the CCD query follows the line check's full wait";
  EXPECT_EQ(StatusLine(), "Error reading CCD-info");
  EXPECT_EQ(InspectPanelVisible(panelHandle), 1);

  // The panels keep the resource's values, the scope its starting picture.
  EXPECT_EQ(U16(panelHandle, NUM_Power), 500);
  EXPECT_EQ(power, 500);
  double x = 0, y = 0;
  InspectGraphCursor(panelHandle, GRAPH_Scope, 1, &x, &y);
  EXPECT_DOUBLE_EQ(x, 512);
  EXPECT_DOUBLE_EQ(y, 1.0);
  InspectGraphCursor(panelHandle, GRAPH_Scope, 3, &x, &y);
  EXPECT_DOUBLE_EQ(x, 512);
  const auto plots = InspectGraphPlots(panelHandle, GRAPH_Scope);
  ASSERT_EQ(plots.size(), 1u);
  EXPECT_EQ(plots[0].kind, GraphPlotKind::Rectangle);
  EXPECT_EQ(plots[0].color, 0x00FF00);
  EXPECT_EQ(plots[0].x, (std::vector<double>{412, 612}));
  EXPECT_EQ(plots[0].y, (std::vector<double>{0.0, 0.25}));

  // The five information texts stand on the main panel.
  int texts = 0;
  for (const ControlInfo& control : InspectPanelControls(panelHandle)) {
    if (control.id > NUM_Power) ++texts;
  }
  EXPECT_EQ(texts, 5);
}

TEST_F(BringUp, WrongReplySyncSkipsParametersAndFirmware) {
  ScriptedSensor sensor([](uint16_t order, const Words& words) {
    std::vector<uint8_t> reply = GoodReply(order, words);
    if (reply.size() == 36) reply[1] = 0x55;  // 00 55 instead of 00 AA
    return reply;
  });
  Start(sensor);

  EXPECT_EQ(sensor.Orders(), (std::vector<uint16_t>{5, 10}));
  EXPECT_EQ(StatusLine(), "read error - not sync byte 0xAA!");
  EXPECT_EQ(ccdmaxpixel, 1024) << "the CCD query does not look at the sync";
}

TEST_F(BringUp, NoDeviceShowsTheOpenFailureAndSendsNothing) {
  ASSERT_EQ(StartProgram("/nonexistent/vantrel-test-port"), 0);
  started_ = true;
  EXPECT_EQ(StatusLine(), "No serial port found");
  EXPECT_EQ(InspectPanelVisible(panelHandle), 1);
  EXPECT_EQ(GetInQLen(com), RS232_PORT_NOT_OPEN);
}

TEST_F(BringUp, ShortFirmwareReplyIsReportedAndDropped) {
  ScriptedSensor sensor([](uint16_t order, const Words& words) {
    if (order == 7) return ScriptedSensor::Text(kFirmware, 71);
    return GoodReply(order, words);
  });
  Start(sensor);
  EXPECT_EQ(sensor.Orders(), (std::vector<uint16_t>{5, 2, 7, 10}));
  EXPECT_EQ(StatusLine(), "Error reading firmware-info!");
  EXPECT_STREQ(szVersion, "");
  EXPECT_EQ(ccdmaxpixel, 1024) << "the notification is back for the CCD query";
}

TEST_F(BringUp, CcdReplyWithWrongEchoChangesOnlyTheCcdWords) {
  ScriptedSensor sensor([](uint16_t order, const Words& words) {
    if (order == 10) return ScriptedSensor::Frame(0x00AA, 9, Words{3, 512, 250});
    return GoodReply(order, words);
  });
  Start(sensor);
  EXPECT_EQ(StatusLine(), "Error reading CCD-info");
  EXPECT_EQ(ccdtype, 3);
  EXPECT_EQ(ccdmaxpixel, 512);
  EXPECT_EQ(eEnd, 1000) << "edge limits stay as the RAM set gave them";
  EXPECT_EQ(InspectTextBoxLine(panelPopUp, TEXTBOX_CCDInfo, 0), "");
}

TEST_F(BringUp, UnknownCcdTypeIsAcceptedWithoutDescription) {
  ScriptedSensor sensor([](uint16_t order, const Words& words) {
    return GoodReply(order, words, Words{7, 1024, 0});
  });
  Start(sensor);
  EXPECT_EQ(StatusLine(), kFirmware);
  EXPECT_EQ(InspectTextBoxLine(panelPopUp, TEXTBOX_CCDInfo, 0),
            "  CCD-SENSOR: no information avialable!");
}

TEST_F(BringUp, ReplyJustInsideTheTimeOutIsAccepted) {
  ScriptedSensor sensor([](uint16_t order, const Words& words) {
    if (order == 5) std::this_thread::sleep_for(std::chrono::milliseconds(1400));
    return GoodReply(order, words);
  });
  Start(sensor);
  EXPECT_EQ(sensor.Orders(), (std::vector<uint16_t>{5, 2, 7, 10}));
  EXPECT_EQ(StatusLine(), kFirmware);
}

TEST_F(BringUp, MissingPanelResourceEndsStartUpBeforeAnythingIsShownOrSent) {
  ScriptedSensor sensor([](uint16_t order, const Words& words) { return GoodReply(order, words); });
  setenv("VANTREL_COM1", sensor.slavePath().c_str(), 1);
  EXPECT_EQ(StartUp(0, nullptr, "/nonexistent/Vantrel.uir"), -1);
  EXPECT_FALSE(sensor.WaitForOrders(1, 0.2));
}

TEST_F(BringUp, ClosingTheMainPanelEndsTheEventLoop) {
  ScriptedSensor sensor([](uint16_t order, const Words& words) { return GoodReply(order, words); });
  Start(sensor);
  ASSERT_EQ(SimulateClosePanel(panelHandle), 0);
  EXPECT_EQ(RunUserInterface(), 0);
  EXPECT_EQ(InspectPanelVisible(panelHandle), 1) << "the window stays until it is discarded";
}

// Exchanges after start-up.
TEST_F(BringUp, ExtraBytesAfterAFrameAreDiscardedByTheNotification) {
  std::atomic<bool> extra{false};
  ScriptedSensor sensor([&extra](uint16_t order, const Words& words) {
    std::vector<uint8_t> reply = GoodReply(order, words);
    if (order == 5 && extra) reply.insert(reply.end(), {1, 2, 3, 4});
    return reply;
  });
  Start(sensor);
  extra = true;
  EXPECT_EQ(CheckComLine(com), 1);
  EXPECT_EQ(WordAt(szReadBuf, 0), 0x00AA);
  EXPECT_EQ(WordAt(szReadBuf, 2), 5);
  EXPECT_EQ(GetInQLen(com), 0) << "the 4 bytes beyond the frame are gone";
  EXPECT_EQ(StatusLine(), "Echo Check - Line Ok!");
}

TEST_F(BringUp, LateParameterFrameReachesOnlyThePackage) {
  std::atomic<bool> slow{false};
  ScriptedSensor sensor([&slow](uint16_t order, const Words& words) {
    if (order == 2 && slow) std::this_thread::sleep_for(std::chrono::milliseconds(1800));
    return GoodReply(order, words);
  });
  Start(sensor);
  slow = true;
  power = 111;
  PushGET(RAM);
  EXPECT_EQ(StatusLine(), "Timeout-RS-232...");
  EXPECT_EQ(power, 111);
  EXPECT_EQ(U16(panelHandle, NUM_Power), 111) << "the panel is refreshed from the variables";
  EXPECT_EQ(U16(panelHandle, BINSWITCH_UM), 1);
  ASSERT_TRUE(WaitUntil([] { return pp[0] == kRam[0]; }, 2.0)) << "the late frame lands in pp";
  EXPECT_EQ(rx_flag, 1);
  EXPECT_EQ(power, 111) << "but not in the variables";
}

TEST_F(BringUp, NotificationActsOnlyOnTheNotifyCountEvent) {
  ScriptedSensor sensor([](uint16_t order, const Words& words) { return GoodReply(order, words); });
  Start(sensor);
  rx_flag = 0;
  graphrefresh = 0;
  pp[0] = 4711;
  RX_Receive_Function(com, COM_EVENT_CHAR, nullptr);
  RX_Receive_Function(com, COM_EVENT_TX_EMPTY, nullptr);
  EXPECT_EQ(rx_flag, 0);
  EXPECT_EQ(graphrefresh, 0);
  EXPECT_EQ(pp[0], 4711);
}

TEST_F(BringUp, ParameterReadRangeChecksAndRedrawsThresholdAndWindowFrame) {
  ScriptedSensor sensor([](uint16_t order, const Words& words) {
    if (order == 2) {
      Words ram = kRam;
      ram[0] = 1500;  // power out of range
      ram[5] = 9;     // evaluation mode out of range
      ram[15] = 500;  // scale factor below its range
      return ScriptedSensor::Frame(0x00AA, 2, ram);
    }
    return GoodReply(order, words);
  });
  Start(sensor);
  EXPECT_EQ(power, 500);
  EXPECT_EQ(U16(panelHandle, NUM_Power), 500);
  EXPECT_EQ(U16(panelHandle, DropDEvalmode), 4);
  float factor = 0;
  GetCtrlVal(panelPopUp, NUM_ScalFact, &factor);
  EXPECT_FLOAT_EQ(factor, 0.8f);

  // Threshold line at vThd over the (still empty) video line.
  const auto data = InspectGraphPlots(panelHandle, GRAPH_Data);
  ASSERT_EQ(data.size(), 2u);
  EXPECT_EQ(data[0].color, 0xFF0000);
  EXPECT_EQ(data[1].color, 0x008000);
  EXPECT_EQ(data[1].y.front(), 600);
  EXPECT_EQ(data[0].y.front(), 0);

  // CCD mode 1 from pStart 300: a grey frame 300..555 over the full height,
  // the pixel window controls undimmed, the background value undimmed (mode 1).
  const auto scope = InspectGraphPlots(panelHandle, GRAPH_Scope);
  ASSERT_FALSE(scope.empty());
  const GraphPlotInfo& frame = scope.back();
  EXPECT_EQ(frame.color, 0xA0A0A0);
  EXPECT_EQ(frame.x, (std::vector<double>{300, 555}));
  EXPECT_EQ(frame.y, (std::vector<double>{0.0, 1.0}));
  EXPECT_EQ(Dimmed(panelPopUp, NSLIDE_PixelStart), 0);
  EXPECT_EQ(Dimmed(panelPopUp, NUM_PixelEnd), 0);
  EXPECT_EQ(Dimmed(panelPopUp, NUM_BGValue), 0);
  EXPECT_EQ(Dimmed(panelPopUp, BTNTeachBackGround), 1) << "background mode is not 2";
  EXPECT_EQ(Dimmed(panelPopUp, NUM_ScalFact), 1) << "evaluation mode 4 is not 2";
}
