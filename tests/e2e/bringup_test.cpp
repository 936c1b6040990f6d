// Link bring-up at start-up against a sensor the test plays byte by byte: the
// exchanges, what the status line ends with, what the panels and graphs show.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QPoint>
#include <QWidget>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "display/data_curve.h"
#include "display/panel_values.h"
#include "link/reply_wait.h"
#include "param/transfer.h"
#include "runtime/rs232.h"
#include "runtime/testing/inspect_widgets.h"
#include "tests/e2e/operated_program.h"
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

class BringUp : public OperatedProgram {
 protected:
  void Start(ScriptedSensor& sensor) {
    ASSERT_TRUE(sensor.ok());
    ASSERT_NO_FATAL_FAILURE(StartOn(sensor.slavePath()));
  }
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
                                             "Init COM-Port ...",
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
  // The line check packs the variables (the panel's values); with no reply in
  // between the CCD query carries the same package.
  const std::vector<Words> sent = sensor.RequestWords();
  EXPECT_EQ(sent[0], PackedVariables());
  EXPECT_EQ(sent[1], sent[0]);
  EXPECT_EQ(InspectShownTexts(panelHandle, TEXT_Status),
            (std::vector<std::string>{"InitVars", "Init COM-Port ...", "Timeout-RS-232...",
                                      "Error reading CCD-info - parameters unread"}));
  const auto times = sensor.Times();
  // The program waits more than 1.5 s; the sensor sees each request within a
  // few milliseconds of its departure.
  EXPECT_GT(times[1] - times[0], 1.45) << "the CCD query follows the line check's full wait";
  EXPECT_EQ(StatusLine(), "Error reading CCD-info - parameters unread");
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

  // The five information texts stand on the main panel, created last, in
  // this order, where and how they are meant to look.
  struct InfoText {
    std::string text;
    int left, top, points;
  };
  const InfoText expected[] = {{"PC-SOFTWARE: Q-VOR Series", 15, 8, 11},
                               {"Vendrix GmbH", 15, 21, 11},
                               {"Tel: +44 20 7946 0321", 15, 36, 11},
                               {"Vantrel", 175, 30, 18},
                               {"V1.21", 320, 36, 11}};
  const std::vector<ControlInfo> controls = InspectPanelControls(panelHandle);
  ASSERT_GE(controls.size(), 5u);
  for (size_t i = 0; i < 5; ++i) {
    const int id = controls[controls.size() - 5 + i].id;
    SCOPED_TRACE(expected[i].text);
    EXPECT_EQ(InspectTextBoxLine(panelHandle, id, 0), expected[i].text);
    const QWidget* widget = InspectControlWidget(panelHandle, id);
    ASSERT_NE(widget, nullptr);
    const QPoint at = widget->mapTo(InspectPanelWindow(panelHandle), QPoint(0, 0));
    EXPECT_EQ(at, QPoint(expected[i].left, expected[i].top));
    int value = 0;
    GetCtrlAttribute(panelHandle, id, UI_ATTR_TEXT_COLOR, &value);
    EXPECT_EQ(value, 0x0080FF);
    GetCtrlAttribute(panelHandle, id, UI_ATTR_TEXT_BGCOLOR, &value);
    EXPECT_EQ(value, 0xFFFFFF);
    GetCtrlAttribute(panelHandle, id, UI_ATTR_TEXT_POINT_SIZE, &value);
    EXPECT_EQ(value, expected[i].points);
  }
}

TEST_F(BringUp, TheWindowIsUpWithInitComPortBeforeTheFirstRequestLeaves) {
  ScriptedSensor sensor([](uint16_t, const Words&) { return std::vector<uint8_t>{}; });
  // What the status line and the sensor had when the main panel was shown.
  struct ShowWatch : QObject {
    ScriptedSensor* sensor;
    std::string status;
    size_t requests = 99;
    explicit ShowWatch(ScriptedSensor* s) : sensor(s) {}
    bool eventFilter(QObject* object, QEvent* event) override {
      if (event->type() == QEvent::Show && status.empty() &&
          object == InspectPanelWindow(panelHandle)) {
        status = StatusLine();
        requests = sensor->Orders().size();
      }
      return false;
    }
  } watch(&sensor);
  QCoreApplication::instance()->installEventFilter(&watch);
  SetTestTimer(0.0, 0.1);  // the silent waits pass without costing real time
  Start(sensor);
  QCoreApplication::instance()->removeEventFilter(&watch);
  ASSERT_EQ(sensor.Orders(), (std::vector<uint16_t>{5, 10}));
  EXPECT_EQ(watch.status, "Init COM-Port ...");
  EXPECT_EQ(watch.requests, 0u) << "shown before the line check reached the sensor";
}

TEST_F(BringUp, WrongReplySyncSkipsParametersAndFirmware) {
  ScriptedSensor sensor([](uint16_t order, const Words& words) {
    std::vector<uint8_t> reply = GoodReply(order, words);
    if (reply.size() == 36) reply[1] = 0x55;  // 00 55 instead of 00 AA
    return reply;
  });
  Start(sensor);

  EXPECT_EQ(sensor.Orders(), (std::vector<uint16_t>{5, 10}));
  // The line check's reply (its words are the request's, echoed) landed in pp,
  // and its sync word went into word 0: the CCD query sends that unrepacked.
  const std::vector<Words> sent = sensor.RequestWords();
  ASSERT_EQ(sent.size(), 2u);
  Words expected = sent[0];
  expected[0] = 0x0055;
  EXPECT_EQ(sent[1], expected);
  const std::vector<std::string> shown = InspectShownTexts(panelHandle, TEXT_Status);
  EXPECT_NE(std::find(shown.begin(), shown.end(), "read error - not sync byte 0xAA!"), shown.end());
  // The CCD reply lacks the reply sync too: no answer, nothing taken from it.
  EXPECT_EQ(StatusLine(), "Error reading CCD-info - parameters unread");
  EXPECT_EQ(ccdmaxpixel, 0);
}

TEST_F(BringUp, NoDeviceShowsTheOpenFailureAndSendsNothing) {
  ASSERT_EQ(StartProgram("/nonexistent/vantrel-test-port"), 0);
  started_ = true;
  EXPECT_EQ(StatusLine(), "No serial port found - parameters unread");
  EXPECT_EQ(InspectPanelVisible(panelHandle), 1);
  EXPECT_EQ(GetInQLen(com), RS232_PORT_NOT_OPEN);
  // Nothing claims to have reached a sensor that is not there.
  ASSERT_EQ(SimulateClick(panelHandle, BTNSend), 0);
  EXPECT_EQ(StatusLine(), "Nothing sent: COM1 is not open");
  SetTestTimer(0.0, 0.25);
  ASSERT_EQ(SimulateClick(panelHandle, BTNTeach), 0);
  ReleaseTestTimer();
  EXPECT_EQ(StatusLine(), "Timeout-RS-232...");
}

TEST_F(BringUp, ShortFirmwareReplyIsReportedAndDropped) {
  ScriptedSensor sensor([](uint16_t order, const Words& words) {
    if (order == 7) return ScriptedSensor::Text(kFirmware, 71);
    return GoodReply(order, words);
  });
  Start(sensor);
  EXPECT_EQ(sensor.Orders(), (std::vector<uint16_t>{5, 2, 7, 10}));
  const std::vector<std::string> shown = InspectShownTexts(panelHandle, TEXT_Status);
  ASSERT_GE(shown.size(), 3u);
  EXPECT_EQ(
      std::vector<std::string>(shown.end() - 3, shown.end()),
      (std::vector<std::string>{"Waiting for firmware info ...", "Timeout - reading firmware info!",
                                "Error reading firmware-info!"}));
  EXPECT_EQ(StatusLine(), "Error reading firmware-info!");
  EXPECT_STREQ(szVersion, "");
  EXPECT_EQ(ccdmaxpixel, 1024) << "the notification is back for the CCD query";
}

TEST_F(BringUp, CcdReplyWithWrongEchoIsNoAnswerAndChangesNothing) {
  ScriptedSensor sensor([](uint16_t order, const Words& words) {
    if (order == 10) return ScriptedSensor::Frame(0x00AA, 9, Words{3, 512, 250});
    return GoodReply(order, words);
  });
  Start(sensor);
  EXPECT_EQ(StatusLine(), "Error reading CCD-info");
  EXPECT_EQ(ccdtype, 0);
  EXPECT_EQ(ccdmaxpixel, 0);
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
  // The line check's reply leaves once the program's clock, standing still
  // meanwhile, reads 1.4 s after the request: the wait looks at 1.4 s for as
  // long as the reply takes to arrive, whatever the machine's load.
  std::atomic<bool> replyDue{false};
  ScriptedSensor sensor([&replyDue](uint16_t order, const Words& words) {
    if (order == 5) {
      const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
      while (!replyDue && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return GoodReply(order, words);
  });
  SetTestTimer(0.0);
  OnTestTimerRead([&](double) {
    if (replyDue || sensor.Orders().empty()) return;
    SetTestTimer(1.4);
    replyDue = true;
  });
  Start(sensor);
  EXPECT_TRUE(replyDue);
  EXPECT_EQ(sensor.Orders(), (std::vector<uint16_t>{5, 2, 7, 10}));
  EXPECT_EQ(StatusLine(), kFirmware);
  EXPECT_EQ(InspectShownTexts(panelHandle, TEXT_Status),
            (std::vector<std::string>{"InitVars", "Init COM-Port ...", "Echo Check - Line Ok!",
                                      "Waiting for parameter-frame ...",
                                      "Parameter-frame received! - Line Ok!",
                                      "Waiting for firmware info ...", kFirmware, kFirmware}));
}

// The limits on the program's clock: a wait ends only when more than its limit
// has passed, and a frame taken in at the last look still counts.
TEST_F(BringUp, WaitsEndStrictlyAfterTheirLimitAndAFrameAtTheLastLookCounts) {
  std::atomic<bool> silent{false};
  ScriptedSensor sensor([&silent](uint16_t order, const Words& words) {
    return silent ? std::vector<uint8_t>{} : GoodReply(order, words);
  });
  Start(sensor);
  silent = true;
  int reads = 0;
  OnTestTimerRead([&reads](double) { ++reads; });

  // Half a second per look: 1.5 s after the start is not yet a time-out.
  SetTestTimer(100.0, 0.5);
  EXPECT_EQ(CheckComLine(com), 0);
  EXPECT_EQ(reads, 5) << "start, then looks at 0.5, 1.0, 1.5 and 2.0 s";
  EXPECT_EQ(StatusLine(), "Timeout-RS-232...");

  reads = 0;
  SetTestTimer(100.0, 0.5);
  rx_flag = 1;  // a frame taken in earlier
  GetVERSIONInfo();
  EXPECT_EQ(rx_flag, 0) << "the firmware query leaves the flag cleared";
  EXPECT_EQ(reads, 6) << "start, then looks up to 2.5 s: 2.0 s is not yet a time-out";
  EXPECT_EQ(StatusLine(), "Timeout - reading firmware info!");

  // The parameter frame is taken in during the event processing after which
  // the clock reads 2.0 s: the read still succeeds. (The program's clock ran
  // ahead: the firmware query may still be on its way to the sensor, or have
  // been flushed before it got there; either way it goes unanswered.)
  sensor.WaitForOrders(6, 0.3);
  silent = false;
  SetTestTimer(100.0);
  // At the wait's first reading of the clock (its start) the reply is let
  // reach the port, with no events processed, so the notification cannot take
  // it in yet; then the clock moves on to 2.0 s for the next reading, which
  // follows the event processing that takes the frame in.
  bool jumped = false;
  OnTestTimerRead([&jumped](double) {
    if (jumped) return;
    jumped = true;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (GetInQLen(com) < FRAME_LEN && std::chrono::steady_clock::now() < until) {
    }
    // The count includes bytes that came after its look took the port's input
    // in; one more look takes those in too, so the frame is in the port.
    GetInQLen(com);
    SetTestTimer(102.0);
  });
  SimulateClick(panelHandle, BTNGet);
  EXPECT_DOUBLE_EQ(tdiff, 2.0);
  EXPECT_EQ(StatusLine(), "Parameter-frame received! - Line Ok!");
  EXPECT_EQ(power, kRam[0]);
}

TEST_F(BringUp, StartUpSetsPixelsAndTheSensorsToleranceWhateverTheResourceSays) {
  // The shipped resource starts both switches on already; one that starts them
  // off shows that the start-up sets them.
  std::ifstream in(PanelResourcePath());
  std::stringstream text;
  text << in.rdbuf();
  std::string resource = text.str();
  for (const char* name : {"\"BINSWITCH_UM\"", "\"BIN_Sw_EnableTol\""}) {
    const size_t at = resource.find("\"value\": 1", resource.find(name));
    ASSERT_NE(at, std::string::npos) << name;
    resource.replace(at, 10, "\"value\": 0");
  }
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("vantrel-switches-" + std::to_string(getpid()) + ".uir"))
                               .string();
  std::ofstream(path) << resource;
  ScriptedSensor sensor([](uint16_t, const Words&) { return std::vector<uint8_t>{}; });
  setenv("VANTREL_COM1", sensor.slavePath().c_str(), 1);
  ResetProgramState();
  SetTestTimer(0.0, 0.25);  // the unanswered waits sit out their limit in a few looks
  ASSERT_EQ(StartUp(0, nullptr, path.c_str()), 0);
  ReleaseTestTimer();
  started_ = true;
  std::filesystem::remove(path);
  EXPECT_EQ(U16(panelHandle, BINSWITCH_UM), 1);
  EXPECT_EQ(U16(panelPopUp, BIN_Sw_EnableTol), 1);
  EXPECT_EQ(stop_flag, 1);
  EXPECT_EQ(target, RAM);
}

TEST_F(BringUp, AFaultyPanelResourceIsToldInABoxAndEndsStartUpBeforeAnythingIsSent) {
  ScriptedSensor sensor([](uint16_t order, const Words& words) { return GoodReply(order, words); });
  setenv("VANTREL_COM1", sensor.slavePath().c_str(), 1);
  ClearMessagePopupTexts();
  EXPECT_EQ(StartUp(0, nullptr, "/nonexistent/Vantrel.uir"), -1);
  EXPECT_EQ(MessagePopupTexts(),
            (std::vector<std::string>{"Vantrel cannot start: panel resource "
                                      "/nonexistent/Vantrel.uir: cannot be read: No such file "
                                      "or directory"}));
  EXPECT_FALSE(sensor.WaitForOrders(1, 0.2));
}

TEST_F(BringUp, ClosingTheMainPanelEndsTheEventLoopAndShutdownClosesThePortChosenLast) {
  ScriptedSensor sensor([](uint16_t order, const Words& words) { return GoodReply(order, words); });
  ScriptedSensor second([](uint16_t order, const Words& words) { return GoodReply(order, words); });
  ASSERT_TRUE(second.ok());
  setenv("VANTREL_COM2", second.slavePath().c_str(), 1);
  Start(sensor);
  SimulateToggle(panelHandle, RBTEeprom);
  ASSERT_EQ(target, EEPROM);
  ASSERT_EQ(SimulateSelectItem(panelHandle, DropDCom, 2), 0);
  ASSERT_EQ(com, 2);
  EXPECT_EQ(target, RAM) << "a good line check selects the RAM store";
  ASSERT_GE(GetInQLen(2), 0) << "port 2 is open";

  ASSERT_EQ(SimulateClosePanel(panelHandle), 0);
  EXPECT_EQ(RunUserInterface(), 0);
  EXPECT_EQ(InspectPanelVisible(panelHandle), 1) << "the window stays until it is discarded";
  ShutDown();
  started_ = false;
  unsetenv("VANTREL_COM2");
  EXPECT_EQ(GetInQLen(2), RS232_PORT_NOT_OPEN) << "the port chosen last is closed";
  EXPECT_EQ(GetInQLen(1), RS232_PORT_NOT_OPEN);
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
  // The reply is held until the program, its clock stepping on at every look,
  // has given up waiting for it.
  std::atomic<bool> hold{false};
  ScriptedSensor sensor([&hold](uint16_t order, const Words& words) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (order == 2 && hold && std::chrono::steady_clock::now() < giveUp)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return GoodReply(order, words);
  });
  Start(sensor);
  hold = true;
  power = 111;
  SetCtrlVal(panelHandle, BINSWITCH_UM, 0);  // micrometres: the read sets pixels again
  SetTestTimer(0.0, 0.25);
  PushGET(RAM);
  ReleaseTestTimer();
  hold = false;
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
  std::atomic<bool> modesOff{false};
  ScriptedSensor sensor([&modesOff](uint16_t order, const Words& words) {
    if (order == 5) return ScriptedSensor::Frame(0x00AA, 5, Words{7, 7, 7, 7, 7, 7, 7, 7});
    if (order == 2 && modesOff) {
      Words ram = kRam;
      ram[11] = 0;  // tolerance switch off
      ram[14] = 0;  // background mode 0
      return ScriptedSensor::Frame(0x00AA, 2, ram);
    }
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
  // Which requests pack the variables and which send the last reply's words:
  // the parameter read packs them again (not the line check's reply), the
  // firmware and CCD queries send the RAM set as it came, before the range
  // check changed the variables.
  const std::vector<Words> sent = sensor.RequestWords();
  ASSERT_EQ(sensor.Orders(), (std::vector<uint16_t>{5, 2, 7, 10}));
  EXPECT_EQ(sent[1], sent[0]) << "order 2 packs the unchanged variables";
  Words ram = kRam;
  ram[0] = 1500;
  ram[5] = 9;
  ram[15] = 500;
  EXPECT_EQ(sent[2], ram) << "order 7 is not repacked";
  EXPECT_EQ(sent[3], ram) << "order 10 is not repacked";
  EXPECT_EQ(power, 500);
  EXPECT_EQ(U16(panelHandle, NUM_Power), 500);
  EXPECT_EQ(U16(panelHandle, DropDEvalmode), 3) << "replaced by a mode the sensor accepts";
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
  const GraphPlotInfo& frame = scope.front();
  EXPECT_EQ(frame.color, 0xA0A0A0);
  EXPECT_EQ(frame.x, (std::vector<double>{300, 555}));
  EXPECT_EQ(frame.y, (std::vector<double>{0.0, 1.0}));
  EXPECT_EQ((std::vector<double>{CursorX(1), CursorX(2), CursorX(3)}),
            (std::vector<double>{400, 5, 1000}))
      << "M at the teach value read, L and R at its evaluation limits";
  EXPECT_EQ(Dimmed(panelPopUp, NSLIDE_PixelStart), 0);
  EXPECT_EQ(Dimmed(panelPopUp, NUM_PixelEnd), 0);
  EXPECT_EQ(Dimmed(panelPopUp, NUM_BGValue), 0);
  EXPECT_EQ(Dimmed(panelPopUp, BTNTeachBackGround), 1) << "background mode is not 2";
  EXPECT_EQ(Dimmed(panelPopUp, NUM_ScalFact), 1) << "evaluation mode 3 is not 2";

  // Values that call for no dimming leave the states as they are: a tolerance
  // dimmed before stays dimmed, a background value active before stays active.
  SetCtrlAttribute(panelPopUp, NEDITTolerance, UI_ATTR_DIMMED, 1);
  SetCtrlAttribute(panelPopUp, NUM_BGValue, UI_ATTR_DIMMED, 0);
  SetCtrlAttribute(panelPopUp, BTNTeachBackGround, UI_ATTR_DIMMED, 0);
  modesOff = true;
  PushGET(RAM);
  ASSERT_EQ(bMode, 0);
  ASSERT_EQ(ePoti, 0);
  EXPECT_EQ(Dimmed(panelPopUp, NEDITTolerance), 1);
  EXPECT_EQ(Dimmed(panelPopUp, NUM_BGValue), 0);
  EXPECT_EQ(Dimmed(panelPopUp, BTNTeachBackGround), 0);
}
