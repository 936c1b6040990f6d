// What assistive technology reads from the program's panels, queried through
// Qt's accessibility layer.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QWidget>

#include "runtime/inspect.h"
#include "runtime/inspect_widgets.h"
#include "runtime/userint.h"
#include "tests/engine/ui_recorder.h"

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
      // The widget's own name is the label too, except for drop-downs, which
      // Qt names by their current text on Linux.
      QAccessibleInterface* own =
          QAccessible::queryAccessibleInterface(InspectControlWidget(panel, c.id));
      ASSERT_NE(own, nullptr);
      if (c.kind != "ring") {
        EXPECT_EQ(own->text(QAccessible::Name).toStdString(), c.label) << c.name;
      }
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
  EXPECT_NE(graph.find("1 plot"), std::string::npos) << graph;
  EXPECT_NE(graph.find("cursor T at 300, 0.75"), std::string::npos) << graph;
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

TEST(Accessibility, EveryNewStatusTextAndTextBoxLineIsAnnouncedOnce) {
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
  EXPECT_EQ(AccessibleAnnouncements(),
            (std::vector<std::string>{"Status: Transmit...", "Status: Line Ok!", "CCD: TCD1201",
                                      "Status: Timeout-RS-232...", readout}));
  RecordAccessibleAnnouncements(false);
  DiscardPanel(settings);
  DiscardPanel(main);
}
