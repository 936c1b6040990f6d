// Control values and attributes as the program sets and reads them.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFont>
#include <QLabel>
#include <cstring>

#include "runtime/testing/inspect.h"
#include "runtime/testing/inspect_widgets.h"
#include "runtime/ui/controls/control.h"
#include "runtime/ui/panels/message_popup.h"
#include "runtime/userint.h"
#include "tests/engine/ui_recorder.h"

using namespace uitest;

TEST(NumericValues, ProgramValuesAreClampedAndConvertedToTheControlsType) {
  KindsPanel p;
  const int h = p.handle();
  uint16_t u = 0;
  SetCtrlVal(h, kCount, 2000);
  GetCtrlVal(h, kCount, &u);
  EXPECT_EQ(u, 1000);
  SetCtrlVal(h, kCount, -5);
  GetCtrlVal(h, kCount, &u);
  EXPECT_EQ(u, 0);
  SetCtrlVal(h, kCount, static_cast<uint16_t>(812));
  double d = 0;
  GetCtrlVal(h, kCount, &d);
  EXPECT_EQ(d, 812.0);

  // A float control holds a single-precision value; integer reads truncate.
  SetCtrlVal(h, kFactor, 1100 / 1000.0);
  float f = 0;
  GetCtrlVal(h, kFactor, &f);
  EXPECT_EQ(f, 1.1f);
  EXPECT_EQ(f * 1000.0f, 1100.0f);
  GetCtrlVal(h, kFactor, &u);
  EXPECT_EQ(u, 1);
  SetCtrlVal(h, kFactor, 1.25);
  GetCtrlVal(h, kFactor, &f);
  EXPECT_EQ(f, 1.2f);

  int i = 0;
  SetCtrlVal(h, kOffset, -42);
  GetCtrlVal(h, kOffset, &i);
  EXPECT_EQ(i, -42);
  GetCtrlVal(h, kOffset, &u);  // negative into unsigned: held at 0
  EXPECT_EQ(u, 0);

  // Switches and lamps hold 0 or 1.
  SetCtrlVal(h, kMode, 7);
  GetCtrlVal(h, kMode, &u);
  EXPECT_EQ(u, 1);
}

TEST(NumericValues, MaximumAttributeReclampsTheValue) {
  KindsPanel p;
  const int h = p.handle();
  SetCtrlVal(h, kStart, 1000);
  ASSERT_EQ(SetCtrlAttribute(h, kStart, UI_ATTR_MAX_VALUE, 511), 0);
  uint16_t v = 0;
  GetCtrlVal(h, kStart, &v);
  EXPECT_EQ(v, 511);
  int max = 0;
  GetCtrlAttribute(h, kStart, UI_ATTR_MAX_VALUE, &max);
  EXPECT_EQ(max, 511);
  SetCtrlAttribute(h, kStart, UI_ATTR_MAX_VALUE, 1024);
  SetCtrlVal(h, kStart, 1024);
  GetCtrlVal(h, kStart, &v);
  EXPECT_EQ(v, 1024);

  SetCtrlVal(h, kCount, 900);
  SetCtrlAttribute(h, kCount, UI_ATTR_MAX_VALUE, 512);
  GetCtrlVal(h, kCount, &v);
  EXPECT_EQ(v, 512);
  EXPECT_EQ(SetCtrlAttribute(h, kOffset, UI_ATTR_MAX_VALUE, -200), UIE_BAD_VALUE);  // below min
  EXPECT_EQ(SetCtrlAttribute(h, kGo, UI_ATTR_MAX_VALUE, 5), UIE_BAD_VALUE);
}

TEST(RingValues, UnknownValueGetsAPlaceholderUntilAnotherIsSet) {
  KindsPanel p;
  const int h = p.handle();
  auto* combo = qobject_cast<QComboBox*>(InspectControlWidget(h, kChoice));
  ASSERT_NE(combo, nullptr);
  SetCtrlVal(h, kChoice, 4);
  int v = 0;
  GetCtrlVal(h, kChoice, &v);
  EXPECT_EQ(v, 4);
  EXPECT_EQ(combo->count(), 4);
  EXPECT_EQ(InspectAccessibleValue(h, kChoice), "4 (?)");
  SetCtrlVal(h, kChoice, 9);  // one placeholder at a time
  EXPECT_EQ(combo->count(), 4);
  SetCtrlVal(h, kChoice, 2);
  GetCtrlVal(h, kChoice, &v);
  EXPECT_EQ(v, 2);
  EXPECT_EQ(combo->count(), 3);

  // The operator choosing a real item also removes it.
  SetCtrlVal(h, kChoice, 4);
  ASSERT_EQ(SimulateSelectItem(h, kChoice, 0), 0);
  EXPECT_EQ(combo->count(), 3);
  EXPECT_EQ(EventsOf(kChoice), (std::vector<int>{2, 1}));

  // Serial ports show their device.
  auto* ports = qobject_cast<QComboBox*>(InspectControlWidget(h, kPort));
  ASSERT_EQ(ports->count(), 10);
  EXPECT_TRUE(ports->itemText(0).startsWith("COM1  "));
  EXPECT_GT(ports->itemText(0).size(), 6);
}

TEST(TextValues, Latin1TextsRoundTripAndShowAsUnicode) {
  KindsPanel p;
  const int h = p.handle();
  const char* ccd = "  CCD-SENSOR: 512 pixel; 25\xB5m pixel-pitch, 12,8mm working range";
  ASSERT_EQ(ReplaceTextBoxLine(h, kInfo, 0, ccd), 0);
  EXPECT_EQ(InspectTextBoxLine(h, kInfo, 0), ccd);
  EXPECT_NE(InspectAccessibleValue(h, kInfo).find("25\xC2\xB5m"), std::string::npos);

  char text[16];
  SetCtrlVal(h, kStatus, "Timeout-RS-232... \xB5");
  ASSERT_EQ(GetCtrlVal(h, kStatus, text, sizeof text), 0);
  EXPECT_STREQ(text, "Timeout-RS-232.");  // cut to the buffer, terminated
  char full[72];
  GetCtrlVal(h, kStatus, full, sizeof full);
  EXPECT_STREQ(full, "Timeout-RS-232... \xB5");

  // Text and number do not mix.
  EXPECT_EQ(SetCtrlVal(h, kStatus, 5), UIE_BAD_VALUE);
  EXPECT_EQ(SetCtrlVal(h, kCount, "5"), UIE_BAD_VALUE);
  EXPECT_EQ(GetCtrlVal(h, kCount, text, sizeof text), UIE_BAD_VALUE);
  uint16_t u = 0;
  EXPECT_EQ(GetCtrlVal(h, kStatus, &u), UIE_BAD_VALUE);
  EXPECT_EQ(GetCtrlVal(h, kGo, &u), UIE_BAD_VALUE);
}

TEST(TextValues, ReplacingALineBeyondTheEndAddsLines) {
  KindsPanel p;
  const int h = p.handle();
  ASSERT_EQ(ReplaceTextBoxLine(h, kInfo, 2, "third"), 0);
  EXPECT_EQ(InspectTextBoxLine(h, kInfo, 0), "");
  EXPECT_EQ(InspectTextBoxLine(h, kInfo, 2), "third");
  ReplaceTextBoxLine(h, kInfo, 0, "first");
  EXPECT_EQ(InspectTextBoxLine(h, kInfo, 0), "first");
  EXPECT_EQ(InspectTextBoxLine(h, kInfo, 2), "third");
  EXPECT_EQ(ReplaceTextBoxLine(h, kInfo, -1, "x"), UIE_BAD_VALUE);
}

// The status line's history and the message record are kept by the test
// seams through the engine's observers only: with none set, as in the program,
// nothing is kept, and the texts are still shown.
TEST(TextValues, WithoutObserversNoTextIsKept) {
  KindsPanel p;
  const int h = p.handle();
  ClearMessagePopupTexts();
  SetCtrlVal(h, kStatus, "kept");
  MessagePopup("Kept", "said");
  const TextShownObserver texts = SetTextShownObserver(nullptr);
  const MessagePopupObserver messages = SetMessagePopupObserver(nullptr);
  SetCtrlVal(h, kStatus, "not kept");
  EXPECT_EQ(MessagePopup("Not kept", "said"), 0);
  SetTextShownObserver(texts);
  SetMessagePopupObserver(messages);
  EXPECT_EQ(InspectShownTexts(h, kStatus), std::vector<std::string>{"kept"});
  EXPECT_EQ(MessagePopupTexts(), std::vector<std::string>{"Kept: said"});
  EXPECT_EQ(InspectTextBoxLine(h, kStatus, 0), "not kept");
}

TEST(TextMessages, NewCtrlPlacesStyledTextAtRunTime) {
  KindsPanel p;
  const int h = p.handle();
  const int id = NewCtrl(h, UI_CTRL_TEXT_MSG, "", 30, 175);
  EXPECT_EQ(id, 19);  // after the highest id of the panel
  SetCtrlAttribute(h, id, UI_ATTR_TEXT_FONT, "AppFont");
  SetCtrlAttribute(h, id, UI_ATTR_TEXT_COLOR, 0x0080FF);
  SetCtrlAttribute(h, id, UI_ATTR_TEXT_BGCOLOR, 0xFFFFFF);
  SetCtrlAttribute(h, id, UI_ATTR_TEXT_POINT_SIZE, 18);
  SetCtrlVal(h, id, "Vantrel");

  int value = 0;
  GetCtrlAttribute(h, id, UI_ATTR_TEXT_COLOR, &value);
  EXPECT_EQ(value, 0x0080FF);
  GetCtrlAttribute(h, id, UI_ATTR_TEXT_BGCOLOR, &value);
  EXPECT_EQ(value, 0xFFFFFF);
  GetCtrlAttribute(h, id, UI_ATTR_TEXT_POINT_SIZE, &value);
  EXPECT_EQ(value, 18);
  auto* label = qobject_cast<QLabel*>(InspectControlWidget(h, id));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text(), "Vantrel");
  EXPECT_EQ(label->font().pixelSize(), 18);
  EXPECT_EQ(label->mapTo(InspectPanelWindow(h), QPoint(0, 0)), QPoint(175, 30));
  EXPECT_GE(label->width(), label->sizeHint().width());  // sized to its text

  const auto controls = InspectPanelControls(h);
  EXPECT_EQ(controls.back().id, id);
  EXPECT_EQ(NewCtrl(h, 1, "", 0, 0), UIE_BAD_VALUE);
  EXPECT_EQ(NewCtrl(12345, UI_CTRL_TEXT_MSG, "", 0, 0), UIE_NO_SUCH_PANEL);
}

TEST(Attributes, DimmedAndVisibleRoundTrip) {
  KindsPanel p;
  const int h = p.handle();
  int v = -1;
  SetCtrlAttribute(h, kGo, UI_ATTR_DIMMED, 1);
  GetCtrlAttribute(h, kGo, UI_ATTR_DIMMED, &v);
  EXPECT_EQ(v, 1);
  EXPECT_FALSE(InspectControlWidget(h, kGo)->isEnabled());
  SetCtrlAttribute(h, kGo, UI_ATTR_DIMMED, 0);
  EXPECT_TRUE(InspectControlWidget(h, kGo)->isEnabled());

  SetCtrlAttribute(h, kScope, UI_ATTR_VISIBLE, 0);
  GetCtrlAttribute(h, kScope, UI_ATTR_VISIBLE, &v);
  EXPECT_EQ(v, 0);
  EXPECT_FALSE(InspectControlWidget(h, kScope)->isVisible());
  SetCtrlAttribute(h, kScope, UI_ATTR_VISIBLE, 1);
  EXPECT_TRUE(InspectControlWidget(h, kScope)->isVisible());

  EXPECT_EQ(SetCtrlAttribute(h, kGo, 12345, 1), UIE_BAD_VALUE);
  EXPECT_EQ(SetCtrlAttribute(h, 99, UI_ATTR_DIMMED, 1), UIE_NO_SUCH_CONTROL);
  EXPECT_EQ(SetCtrlAttribute(12345, kGo, UI_ATTR_DIMMED, 1), UIE_NO_SUCH_PANEL);
}
