// What assistive technology reads from the program's panels, queried through
// Qt's accessibility layer.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QElapsedTimer>
#include <QWidget>

#include "runtime/inspect.h"
#include "runtime/inspect_widgets.h"
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
      EXPECT_EQ(InspectAccessibleName(panel, c.id), c.label) << c.name;
      // The widget's own name is the label too, drop-downs included (Qt
      // would name them by their current item).
      QAccessibleInterface* own =
          QAccessible::queryAccessibleInterface(InspectControlWidget(panel, c.id));
      ASSERT_NE(own, nullptr);
      EXPECT_EQ(own->text(QAccessible::Name).toStdString(), c.label) << c.name;
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

TEST(Accessibility, AStatusTextChangingEveryRoundIsHeardAtMostTwiceASecondTheNewestLast) {
  RegisterRecorders();
  const int main = LoadPanel(0, RealResource().c_str(), 1);
  ASSERT_GT(main, 0);
  RecordAccessibleAnnouncements(true);
  QElapsedTimer clock;
  clock.start();
  int n = 0;
  std::string newest;
  while (clock.elapsed() < 1200) {
    newest = "Pass " + std::to_string(++n);
    SetCtrlVal(main, 33, newest.c_str());
    // The scope gets a new picture in every round as well.
    DeleteGraphPlot(main, 36, UI_ALL_PLOTS, UI_REDRAW_NONE);
    PlotRectangle(main, 36, n, 0.25, n + 10, 1, 0xFF0000, 0xFF0000);
    ProcessSystemEvents();
  }
  const double seconds = clock.elapsed() / 1000.0;
  ASSERT_GT(n, 20);
  // The scope's picture is paced the same way, its newest picture told last.
  const std::string scope = InspectAccessibleName(main, 36) + ": ";
  const auto heardFrom = [](const std::string& prefix) {
    std::vector<std::string> heard;
    for (const std::string& a : AccessibleAnnouncements())
      if (a.rfind(prefix, 0) == 0) heard.push_back(a);
    return heard;
  };
  const std::string newestPicture = std::to_string(n) + " to " + std::to_string(n + 10) + ";";
  ASSERT_TRUE(WaitUntil(
      [&] {
        const auto pictures = heardFrom(scope);
        const auto status = heardFrom("Status: ");
        return !pictures.empty() && pictures.back().find(newestPicture) != std::string::npos &&
               status.back() == "Status: " + newest;
      },
      2.0));
  const double allowed = 2.0 * (clock.elapsed() / 1000.0) + 1;
  const auto status = heardFrom("Status: ");
  EXPECT_GE(status.size(), 3u);
  EXPECT_LE(status.size(), allowed) << seconds;
  EXPECT_EQ(status.front(), "Status: Pass 1");
  EXPECT_EQ(status.back(), "Status: " + newest);
  const auto pictures = heardFrom(scope);
  EXPECT_GE(pictures.size(), 3u);
  EXPECT_LE(pictures.size(), allowed);
  RecordAccessibleAnnouncements(false);
  DiscardPanel(main);
}

TEST(Accessibility, LongStatusTextIsWholeInTooltipTextAndValueAndShortenedInTheMiddle) {
  RegisterRecorders();
  const int main = LoadPanel(0, RealResource().c_str(), 1);
  ASSERT_GT(main, 0);
  std::string path = "Parameter file written: /home/operator/";
  for (int i = 0; i < 12; ++i) path += "line-sensor-settings/";
  path += "QVORpara.dat";
  SetCtrlVal(main, 33, path.c_str());
  QWidget* line = InspectControlWidget(main, 33);
  EXPECT_EQ(line->toolTip().toStdString(), path);
  EXPECT_EQ(InspectAccessibleValue(main, 33), path);
  EXPECT_EQ(TextInterfaceOf(main, 33)->text(0, -1).toStdString(), path);
  char back[600] = "";
  GetCtrlVal(main, 33, back, sizeof back);
  EXPECT_EQ(std::string(back), path);
  // On screen: its start and its file name, with the middle left out.
  const QString shown = line->property("text").toString();
  EXPECT_LT(shown.size(), static_cast<int>(path.size()));
  EXPECT_TRUE(shown.startsWith("Parameter file written:")) << shown.toStdString();
  EXPECT_TRUE(shown.endsWith("QVORpara.dat")) << shown.toStdString();
  EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
  DiscardPanel(main);
}

namespace {

QAccessibleInterface* Of(int panel, int control) {
  return QAccessible::queryAccessibleInterface(InspectControlWidget(panel, control));
}

}  // namespace

TEST(Accessibility, SwitchesLampWindowsFramesAndDropDownsAreReadAsTheyAre) {
  RegisterRecorders();
  const int main = LoadPanel(0, RealResource().c_str(), 1);
  const int settings = LoadPanel(main, RealResource().c_str(), 2);
  ASSERT_GT(settings, 0);

  // Switches: checked state and both state words.
  struct SwitchCase {
    int panel, id;
    const char *on, *off;
  };
  for (const SwitchCase& c :
       {SwitchCase{main, 35, "pixel", "\xC2\xB5m"}, SwitchCase{main, 4, "auto", "fixed"},
        SwitchCase{main, 13, "positive", "negative"}, SwitchCase{settings, 10, "high", "low"},
        SwitchCase{settings, 9, "sensor", "panel"}}) {
    QAccessibleInterface* sw = Of(c.panel, c.id);
    ASSERT_NE(sw, nullptr);
    EXPECT_EQ(sw->role(), QAccessible::CheckBox);
    EXPECT_EQ(sw->text(QAccessible::Description).toStdString(),
              std::string(c.on) + " when checked, " + c.off + " when not");
    SetCtrlVal(c.panel, c.id, 1);
    EXPECT_TRUE(sw->state().checked);
    EXPECT_EQ(sw->text(QAccessible::Value).toStdString(), c.on);
    SetCtrlVal(c.panel, c.id, 0);
    EXPECT_FALSE(sw->state().checked);
    EXPECT_EQ(sw->text(QAccessible::Value).toStdString(), c.off);
  }

  // The background-teach lamp: an indicator, read-only, on while lit.
  QAccessibleInterface* lamp = Of(settings, 8);
  ASSERT_NE(lamp, nullptr);
  EXPECT_EQ(lamp->role(), QAccessible::Indicator);
  EXPECT_TRUE(lamp->state().readOnly);
  SetCtrlVal(settings, 8, 1);
  EXPECT_TRUE(lamp->state().checked);
  EXPECT_EQ(lamp->text(QAccessible::Value).toStdString(), "on");
  SetCtrlVal(settings, 8, 0);
  EXPECT_FALSE(lamp->state().checked);

  // Windows: the main panel a frame, the settings panel a dialog, by title.
  QAccessibleInterface* mainWindow =
      QAccessible::queryAccessibleInterface(InspectPanelWindow(main));
  QAccessibleInterface* settingsWindow =
      QAccessible::queryAccessibleInterface(InspectPanelWindow(settings));
  EXPECT_EQ(mainWindow->role(), QAccessible::Window);
  EXPECT_EQ(mainWindow->text(QAccessible::Name).toStdString(), "Vantrel - Q-VOR line sensor");
  EXPECT_EQ(settingsWindow->role(), QAccessible::Dialog);
  EXPECT_EQ(settingsWindow->text(QAccessible::Name).toStdString(), "Sensor settings");

  // Frames hold their controls; controls outside every frame are not in one.
  const auto frameOf = [](QAccessibleInterface* iface) -> std::string {
    for (QAccessibleInterface* p = iface->parent(); p != nullptr; p = p->parent())
      if (p->role() == QAccessible::Grouping) return p->text(QAccessible::Name).toStdString();
    return "";
  };
  EXPECT_EQ(frameOf(Of(main, 12)), "Parameter store");
  EXPECT_EQ(frameOf(Of(main, 7)), "Parameter store");
  EXPECT_EQ(frameOf(Of(main, 38)), "Sensor parameters");
  EXPECT_EQ(frameOf(Of(main, 19)), "Measurement");
  EXPECT_EQ(frameOf(Of(settings, 8)), "Background");
  EXPECT_EQ(frameOf(Of(main, 3)), "");
  EXPECT_EQ(frameOf(Of(main, 36)), "");

  // Drop-downs are named by their label, their item is their value.
  QAccessibleInterface* mode = Of(main, 17);
  EXPECT_EQ(mode->role(), QAccessible::ComboBox);
  EXPECT_EQ(mode->text(QAccessible::Name).toStdString(), "Evaluation mode");
  SetCtrlVal(main, 17, 2);
  EXPECT_EQ(mode->text(QAccessible::Value).toStdString(), "Width x scale factor");
  EXPECT_EQ(Of(main, 2)->text(QAccessible::Name).toStdString(), "Serial port");
  EXPECT_EQ(Of(settings, 13)->text(QAccessible::Name).toStdString(), "CCD mode");
  DiscardPanel(settings);
  DiscardPanel(main);
}

TEST(Accessibility, GraphsSayWhatTheyShowFromTheirPlotsAndCursors) {
  RegisterRecorders();
  const int main = LoadPanel(0, RealResource().c_str(), 1);
  ASSERT_GT(main, 0);
  // The data graph: video line, threshold line and the window on the x axis.
  std::vector<uint16_t> x(256), video(256), threshold(256, 480);
  for (int i = 0; i < 256; ++i) {
    x[i] = static_cast<uint16_t>(300 + i);
    video[i] = static_cast<uint16_t>(40 + (i * 7) % 900);
  }
  video[17] = 12;
  SetAxisScalingMode(main, 34, UI_AXIS_X, UI_SCALE_MANUAL, 300, 556);
  PlotXY(main, 34, x.data(), video.data(), 256, UI_TYPE_U16, UI_TYPE_U16, 5, 10, 0, 1, 0xFF0000);
  PlotXY(main, 34, x.data(), threshold.data(), 256, UI_TYPE_U16, UI_TYPE_U16, 5, 10, 0, 1,
         0x008000);
  EXPECT_EQ(InspectAccessibleValue(main, 34),
            "video line lowest 12, highest 936; threshold at 480; "
            "x axis 300 to 556 pixel, y axis 0 to 1023 counts");

  // The scope: shadows up to both edges, the band, the window frame, the
  // measured position and the evaluation limits; a plot of another colour is
  // only counted.
  SetAxisScalingMode(main, 36, UI_AXIS_X, UI_SCALE_MANUAL, 0, 1024);
  PlotRectangle(main, 36, 0, 0.25, 120, 1, 0xFF0000, 0xFF0000);
  PlotRectangle(main, 36, 1024, 1, 410, 0.25, 0xFF0000, 0xFF0000);
  PlotRectangle(main, 36, 240, 0, 300, 0.25, 0x00FF00, 0x00FF00);
  PlotRectangle(main, 36, 0, 0, 1023, 1, 0xA0A0A0, 0xA0A0A0);
  PlotRectangle(main, 36, 5, 0, 6, 1, 0x123456, 0x123456);
  SetGraphCursor(main, 36, 1, 265, 0.75);
  SetGraphCursor(main, 36, 2, 10, 0.75);
  SetGraphCursor(main, 36, 3, 900, 0.75);
  EXPECT_EQ(InspectAccessibleValue(main, 36),
            "shadow up to the edges 0 to 120 and 410 to 1024; tolerance band 240 to 300; "
            "pixel window 0 to 1023; 1 plot; measured position (M) at 265; "
            "evaluation from (L) at 10; evaluation to (R) at 900; x axis 0 to 1024 pixel, "
            "y axis 0 to 1");
  DiscardPanel(main);
}
