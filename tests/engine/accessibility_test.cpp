// What assistive technology reads from the program's panels, queried through
// Qt's accessibility layer.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QElapsedTimer>
#include <QWidget>
#include <tuple>

#include "runtime/testing/inspect.h"
#include "runtime/testing/inspect_widgets.h"
#include "runtime/userint.h"
#include "tests/engine/ui_recorder.h"
#include "tests/support/wait.h"

using namespace uitest;

TEST(Accessibility, EveryControlOfBothPanelsIsNamedByItsLabel) {
  RegisterRecorders();
  const int main = LoadPanel(0, RealResource().c_str(), 1);
  const int settings = LoadPanel(main, RealResource().c_str(), 2);
  ASSERT_GT(settings, 0);
  for (int panel : {main, settings}) {
    const auto controls = InspectPanelControls(panel);
    ASSERT_FALSE(controls.empty());
    for (const ControlInfo& c : controls) {
      ASSERT_FALSE(c.label.empty()) << c.name;
      // An indicator lamp carries its state in its name.
      const std::string name = c.kind == "led" ? c.label + ": off" : c.label;
      EXPECT_EQ(InspectAccessibleName(panel, c.id), name) << c.name;
      // The widget's own name is the label too, drop-downs included (Qt
      // would name them by their current item).
      QAccessibleInterface* own =
          QAccessible::queryAccessibleInterface(InspectControlWidget(panel, c.id));
      ASSERT_NE(own, nullptr);
      EXPECT_EQ(own->text(QAccessible::Name).toStdString(), name) << c.name;
    }
  }
  DiscardPanel(settings);
  DiscardPanel(main);
}

TEST(Accessibility, ValuesOfNumericsSwitchesStatusLineAndGraphAreReadable) {
  RegisterRecorders();
  const int main = LoadPanel(0, RealResource().c_str(), 1);
  ASSERT_GT(main, 0);
  EXPECT_EQ(InspectAccessibleValue(main, 38), "500");  // power
  SetCtrlVal(main, 22, 417);
  EXPECT_EQ(InspectAccessibleValue(main, 22), "417");  // a read-out
  EXPECT_EQ(InspectAccessibleValue(main, 35), "pixel");
  SetCtrlVal(main, 35, 0);
  EXPECT_EQ(InspectAccessibleValue(main, 35), "\xC2\xB5m");
  EXPECT_EQ(InspectAccessibleValue(main, 12), "on");  // store radio
  EXPECT_EQ(InspectAccessibleValue(main, 17), "Second edge");

  SetCtrlVal(main, 33, "Echo Check - Line Ok!");
  EXPECT_EQ(InspectAccessibleValue(main, 33), "Echo Check - Line Ok!");
  EXPECT_EQ(InspectAccessibleName(main, 33), "Status");

  SetAxisScalingMode(main, 36, UI_AXIS_X, UI_SCALE_MANUAL, 256, 512);
  SetGraphCursor(main, 36, 1, 300, 0.75);
  PlotRectangle(main, 36, 0, 0.25, 400, 1, 0xFF0000, 0xFF0000);
  const std::string graph = InspectAccessibleValue(main, 36);
  EXPECT_NE(graph.find("x axis 256 to 512"), std::string::npos) << graph;
  EXPECT_NE(graph.find("shadow up to the edges 0 to 400"), std::string::npos) << graph;
  EXPECT_NE(graph.find("measured position (M) at 300"), std::string::npos) << graph;
  DiscardPanel(main);

  KindsPanel p;
  EXPECT_EQ(InspectAccessibleValue(p.handle(), kLamp), "off");
  SetCtrlVal(p.handle(), kLamp, 1);
  EXPECT_EQ(InspectAccessibleValue(p.handle(), kLamp), "on");
  EXPECT_EQ(InspectAccessibleValue(p.handle(), kFactor), "1.000");
}

namespace {

QAccessibleTextInterface* TextInterfaceOf(int panel, int control) {
  QAccessibleInterface* iface =
      QAccessible::queryAccessibleInterface(InspectControlWidget(panel, control));
  return iface != nullptr ? iface->textInterface() : nullptr;
}

}  // namespace

TEST(Accessibility, StatusLineAndTextBoxGiveTheirTextThroughTheTextInterface) {
  RegisterRecorders();
  const int main = LoadPanel(0, RealResource().c_str(), 1);
  const int settings = LoadPanel(main, RealResource().c_str(), 2);
  ASSERT_GT(settings, 0);

  SetCtrlVal(main, 33, "Timeout-RS-232...");
  QAccessibleInterface* status =
      QAccessible::queryAccessibleInterface(InspectControlWidget(main, 33));
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(status->role(), QAccessible::StatusBar);
  EXPECT_EQ(status->text(QAccessible::Name).toStdString(), "Status");
  QAccessibleTextInterface* statusText = TextInterfaceOf(main, 33);
  ASSERT_NE(statusText, nullptr);
  EXPECT_EQ(statusText->text(0, -1).toStdString(), "Timeout-RS-232...");
  EXPECT_EQ(statusText->characterCount(), 17);
  EXPECT_EQ(statusText->text(8, 14).toStdString(), "RS-232");
  SetCtrlVal(main, 33, "Line Ok!");
  EXPECT_EQ(statusText->text(0, -1).toStdString(), "Line Ok!");
  // A text too long for the line: whole in its text, value and tooltip; on
  // screen its start and its file name with the middle left out.
  std::string path = "Parameter file written: /home/operator/";
  for (int i = 0; i < 12; ++i) path += "line-sensor-settings/";
  SetCtrlVal(main, 33, (path += "QVORpara.dat").c_str());
  QWidget* line = InspectControlWidget(main, 33);
  EXPECT_EQ(statusText->text(0, -1).toStdString() + InspectAccessibleValue(main, 33), path + path);
  EXPECT_EQ(line->toolTip().toStdString(), path);
  const QString shown = line->property("text").toString();
  EXPECT_TRUE(shown.startsWith("Parameter file written: /home/") &&
              shown.endsWith("/QVORpara.dat") && shown.contains(QChar(0x2026)))
      << shown.toStdString();

  // A read-out is read-only text, its number as shown.
  SetCtrlVal(main, 22, 4095);
  QAccessibleInterface* readout =
      QAccessible::queryAccessibleInterface(InspectControlWidget(main, 22));
  ASSERT_NE(readout, nullptr);
  EXPECT_EQ(readout->role(), QAccessible::StaticText);
  EXPECT_TRUE(readout->state().readOnly);
  QAccessibleTextInterface* readoutText = TextInterfaceOf(main, 22);
  ASSERT_NE(readoutText, nullptr);
  EXPECT_EQ(readoutText->text(0, -1).toStdString(), "4095");
  SetCtrlVal(main, 22, 7);
  EXPECT_EQ(readoutText->text(0, -1).toStdString(), "7");

  // The CCD description carries the micro sign (Latin-1 0xB5).
  ReplaceTextBoxLine(settings, 2, 0, "TCD1304 3648 pixel 8\xB5m");
  QAccessibleTextInterface* info = TextInterfaceOf(settings, 2);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->text(0, -1).toStdString(), "TCD1304 3648 pixel 8\xC2\xB5m");
  EXPECT_EQ(InspectAccessibleName(settings, 2), "CCD");
  DiscardPanel(settings);
  DiscardPanel(main);
}

TEST(Accessibility, EveryNewStatusTextAndTextBoxLineIsAnnouncedOnceTheNewestAfterAPause) {
  RegisterRecorders();
  const int main = LoadPanel(0, RealResource().c_str(), 1);
  const int settings = LoadPanel(main, RealResource().c_str(), 2);
  ASSERT_GT(settings, 0);
  RecordAccessibleAnnouncements(true);
  SetCtrlVal(main, 33, "Transmit...");
  SetCtrlVal(main, 33, "Line Ok!");
  SetCtrlVal(main, 33, "Line Ok!");  // unchanged: nothing new to hear
  ReplaceTextBoxLine(settings, 2, 0, "TCD1201");
  ReplaceTextBoxLine(settings, 2, 0, "TCD1201");
  SetCtrlVal(main, 33, "Timeout-RS-232...");
  SetCtrlVal(main, 22, 611);
  SetCtrlVal(main, 22, 611);  // a read-out given the same measurement again
  const std::string readout = InspectAccessibleName(main, 22) + ": 611";
  // "Line Ok!" came too soon after "Transmit..." and was overtaken: only the
  // newest status text is heard once the pause is over.
  EXPECT_EQ(AccessibleAnnouncements(),
            (std::vector<std::string>{"Status: Transmit...", "CCD: TCD1201", readout}));
  EXPECT_TRUE(WaitUntil([] { return AccessibleAnnouncements().size() == 4; }, 3.0));
  EXPECT_EQ(AccessibleAnnouncements().back(), "Status: Timeout-RS-232...");
  RecordAccessibleAnnouncements(false);
  DiscardPanel(settings);
  DiscardPanel(main);
}

TEST(Accessibility, StatusAndScopeChangingEveryRoundAreHeardTwiceASecondTheNewestLast) {
  RegisterRecorders();
  const int main = LoadPanel(0, RealResource().c_str(), 1);
  RecordAccessibleAnnouncements(true);
  QElapsedTimer clock;
  clock.start();
  int n = 0;
  for (; clock.elapsed() < 1200; ProcessSystemEvents()) {
    SetCtrlVal(main, 33, ("Pass " + std::to_string(++n)).c_str());
    DeleteGraphPlot(main, 36, UI_ALL_PLOTS, UI_REDRAW_NONE);
    PlotRectangle(main, 36, n, 0.25, n + 10, 1, 0xFF0000, 0xFF0000);
  }
  const auto heard = [](const std::string& prefix) {
    std::vector<std::string> from;
    for (const std::string& a : AccessibleAnnouncements())
      if (a.rfind(prefix, 0) == 0) from.push_back(a);
    return from;
  };
  const std::string scope = InspectAccessibleName(main, 36) + ": ";
  const std::string newestPicture = std::to_string(n) + " to " + std::to_string(n + 10) + ";";
  ASSERT_TRUE(WaitUntil(
      [&] {
        return heard("Status: ").back() == "Status: Pass " + std::to_string(n) &&
               heard(scope).back().find(newestPicture) != std::string::npos;
      },
      2.0));
  const double allowed = 2.0 * clock.elapsed() / 1000.0 + 1;  // one each half second
  for (const std::string& prefix : {std::string("Status: "), scope}) {
    EXPECT_GE(heard(prefix).size(), 3u) << prefix;
    EXPECT_LE(heard(prefix).size(), allowed) << prefix << " of " << n;
  }
  EXPECT_EQ(heard("Status: ").front(), "Status: Pass 1");
  RecordAccessibleAnnouncements(false);
  DiscardPanel(main);
}

namespace {

QAccessibleInterface* Of(int panel, int control) {
  return QAccessible::queryAccessibleInterface(InspectControlWidget(panel, control));
}

std::string FrameOf(int panel, int control) {
  for (QAccessibleInterface* p = Of(panel, control)->parent(); p != nullptr; p = p->parent())
    if (p->role() == QAccessible::Grouping) return p->text(QAccessible::Name).toStdString();
  return "";
}

}  // namespace

TEST(Accessibility, SwitchesLampWindowsFramesAndDropDownsAreReadAsTheyAre) {
  RegisterRecorders();
  const int main = LoadPanel(0, RealResource().c_str(), 1);
  const int settings = LoadPanel(main, RealResource().c_str(), 2);
  // Switches: role, checked state and both state words; the lamp: an indicator.
  struct Case {
    int panel, id;
    QAccessible::Role role;
    const char *on, *off;
  };
  for (const Case& c : {Case{main, 35, QAccessible::CheckBox, "pixel", "\xC2\xB5m"},
                        Case{main, 4, QAccessible::CheckBox, "auto", "fixed"},
                        Case{main, 13, QAccessible::CheckBox, "positive", "negative"},
                        Case{settings, 10, QAccessible::CheckBox, "high", "low"},
                        Case{settings, 9, QAccessible::CheckBox, "sensor", "panel"},
                        Case{settings, 8, QAccessible::Indicator, "on", "off"}}) {
    QAccessibleInterface* sw = Of(c.panel, c.id);
    EXPECT_EQ(sw->role(), c.role) << c.id;
    if (c.role == QAccessible::CheckBox) {
      EXPECT_EQ(sw->text(QAccessible::Description).toStdString(),
                std::string(c.on) + " when checked, " + c.off + " when not");
    } else {
      EXPECT_TRUE(sw->state().readOnly);
    }
    for (int value : {1, 0}) {
      SetCtrlVal(c.panel, c.id, value);
      EXPECT_EQ(sw->state().checked, value == 1) << c.id;
      EXPECT_EQ(sw->text(QAccessible::Value).toStdString(), value == 1 ? c.on : c.off);
      if (c.role == QAccessible::Indicator) {
        EXPECT_EQ(sw->text(QAccessible::Name).toStdString(),
                  std::string("teaching: ") + (value == 1 ? c.on : c.off));
      }
    }
  }
  // Windows by title: the main panel a frame, the settings panel a dialog.
  for (auto [panel, role, title] :
       {std::tuple{main, QAccessible::Window, "Vantrel - Q-VOR line sensor"},
        std::tuple{settings, QAccessible::Dialog, "Sensor settings"}}) {
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(InspectPanelWindow(panel));
    EXPECT_EQ(window->role(), role);
    EXPECT_EQ(window->text(QAccessible::Name).toStdString(), title);
  }
  // Frames hold their controls.
  EXPECT_EQ(FrameOf(main, 12) + "|" + FrameOf(main, 7) + "|" + FrameOf(main, 38) + "|" +
                FrameOf(main, 19) + "|" + FrameOf(settings, 8) + "|" + FrameOf(main, 3),
            "Parameter store|Parameter store|Sensor parameters|Measurement|Background|");
  // Drop-downs: named by their label, their item is their value.
  EXPECT_EQ(Of(main, 17)->role(), QAccessible::ComboBox);
  SetCtrlVal(main, 17, 2);
  EXPECT_EQ(Of(main, 17)->text(QAccessible::Value).toStdString(), "Width x scale factor");
  EXPECT_EQ(Of(main, 17)->text(QAccessible::Name).toStdString(), "Evaluation mode");
  DiscardPanel(settings);
  DiscardPanel(main);
}

TEST(Accessibility, GraphsSayWhatTheyShowFromTheirPlotsAndCursors) {
  RegisterRecorders();
  const int main = LoadPanel(0, RealResource().c_str(), 1);
  // The data graph: video line, threshold line, the window on the x axis.
  std::vector<uint16_t> x(256), video(256), threshold(256, 480);
  for (int i = 0; i < 256; ++i) {
    x[i] = static_cast<uint16_t>(300 + i);
    video[i] = static_cast<uint16_t>(i == 17 ? 12 : 40 + (i * 7) % 900);
  }
  SetAxisScalingMode(main, 34, UI_AXIS_X, UI_SCALE_MANUAL, 300, 556);
  for (auto [y, color] : {std::pair{&video, 0xFF0000}, std::pair{&threshold, 0x008000}})
    PlotXY(main, 34, x.data(), y->data(), 256, UI_TYPE_U16, UI_TYPE_U16, 5, 10, 0, 1, color);
  EXPECT_EQ(InspectAccessibleValue(main, 34),
            "video line lowest 12, highest 936; threshold at 480; "
            "x axis 300 to 556 pixel, y axis 0 to 1023 counts");
  // The scope: shadows up to both edges, band, window frame, cursors; a plot
  // of another colour is only counted.
  SetAxisScalingMode(main, 36, UI_AXIS_X, UI_SCALE_MANUAL, 0, 1024);
  PlotRectangle(main, 36, 0, 0.25, 120, 1, 0xFF0000, 0xFF0000);
  PlotRectangle(main, 36, 1024, 1, 410, 0.25, 0xFF0000, 0xFF0000);
  PlotRectangle(main, 36, 240, 0, 300, 0.25, 0x00FF00, 0x00FF00);
  PlotRectangle(main, 36, 0, 0, 1023, 1, 0xA0A0A0, 0xA0A0A0);
  PlotRectangle(main, 36, 5, 0, 6, 1, 0x123456, 0x123456);
  for (auto [cursor, at] : {std::pair{1, 265}, std::pair{2, 10}, std::pair{3, 900}})
    SetGraphCursor(main, 36, cursor, at, 0.75);
  EXPECT_EQ(InspectAccessibleValue(main, 36),
            "shadow up to the edges 0 to 120 and 410 to 1024; tolerance band 240 to 300; "
            "pixel window 0 to 1023; 1 plot; measured position (M) at 265; "
            "evaluation from (L) at 10; evaluation to (R) at 900; x axis 0 to 1024 pixel, "
            "y axis 0 to 1");
  DiscardPanel(main);
}

TEST(Accessibility, AGraphSumsItselfUpFromTheStartAndFollowsAtMostTwiceASecondOfTheEngineClock) {
  RegisterRecorders();
  const int main = LoadPanel(0, RealResource().c_str(), 1);
  SetTestTimer(100.0);
  const auto said = [main](int graph) {
    return Of(main, graph)->text(QAccessible::Description).toStdString();
  };
  // Before anything is drawn: the cursors in the resource's words.
  const std::string cursors =
      "measured position (M) at 0; evaluation from (L) at 0; evaluation to (R) at 0";
  EXPECT_EQ(said(36), cursors);
  EXPECT_EQ(said(34), "nothing drawn");
  ASSERT_EQ(SetCtrlAttribute(main, 36, UI_ATTR_GRAPH_SUMMARY, "Edges at pixel 300 and 700"), 0);
  AdvanceTestTimer(0.49);
  EXPECT_EQ(said(36), cursors) << "too soon";
  AdvanceTestTimer(0.01);
  EXPECT_EQ(said(36), "Edges at pixel 300 and 700");
  for (const char* words : {"Edges at pixel 310 and 710", "Edges at pixel 320 and 720"})
    SetCtrlAttribute(main, 36, UI_ATTR_GRAPH_SUMMARY, words);
  EXPECT_EQ(said(36), "Edges at pixel 300 and 700");
  AdvanceTestTimer(0.5);
  EXPECT_EQ(said(36), "Edges at pixel 320 and 720") << "the newest";
  // The words go with the plots they told of; then the legend and cursors tell.
  PlotRectangle(main, 36, 400, 0, 600, 0.25, 0x00FF00, 0x00FF00);
  DeleteGraphPlot(main, 36, UI_ALL_PLOTS, UI_REDRAW_NONE);
  PlotRectangle(main, 36, 410, 0, 610, 0.25, 0x00FF00, 0x00FF00);
  AdvanceTestTimer(0.5);
  EXPECT_EQ(said(36), "tolerance band 410 to 610; " + cursors);
  EXPECT_EQ(SetCtrlAttribute(main, 33, UI_ATTR_GRAPH_SUMMARY, "no graph"), UIE_BAD_VALUE);
  ReleaseTestTimer();
  DiscardPanel(main);
}
