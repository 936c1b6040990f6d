// What the operator types into a numeric field is what the program gets, or
// the nearest limit: never a number that lost some of its digits. And the
// mouse wheel changes only the control that has the keyboard focus.
#include <gtest/gtest.h>

#include <QtTest/qtestspontaneevent.h>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QWheelEvent>

#include "runtime/testing/inspect.h"
#include "runtime/testing/inspect_widgets.h"
#include "runtime/userint.h"
#include "tests/engine/ui_recorder.h"

using namespace uitest;
using Ev = std::vector<int>;

namespace {

// Types `text` over the field's contents, key by key, and presses Enter.
void TypeAndEnter(int panel, int control, const char* text) {
  QWidget* field = InspectControlWidget(panel, control);
  field->setFocus(Qt::TabFocusReason);
  QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(field, text);
  QTest::keyClick(field, Qt::Key_Return);
}

std::string Shown(int panel, int control) {
  auto* box = qobject_cast<QAbstractSpinBox*>(InspectControlWidget(panel, control));
  return box != nullptr ? box->text().toStdString() : std::string();
}

// What the field says about its value, as a screen reader reads it.
std::string Note(int panel, int control) {
  return InspectControlWidget(panel, control)->accessibleDescription().toStdString();
}

// One notch of the wheel, turned down, over `target`, as the window system
// delivers it (passed on to the parents while nobody takes it).
void WheelOver(QWidget* target) {
  const QPointF at = QPointF(target->rect().center());
  QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QSpontaneKeyEvent::setSpontaneous(&wheel);
  qApp->notify(target, &wheel);
}

// Focus moves (and leaving a field ends its entry) only in the active window.
void Activate(int panel) {
  QWidget* window = InspectPanelWindow(panel);
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

}  // namespace

TEST(TypedEntry, ANumberBeyondTheRangeBecomesTheNearestLimitShownAndCommitted) {
  KindsPanel p;
  const int h = p.handle();
  Activate(h);
  TypeAndEnter(h, kCount, "1500");  // the range is 0..1000
  uint16_t count = 0;
  GetCtrlVal(h, kCount, &count);
  EXPECT_EQ(count, 1000) << "not 150, the digits that fitted";
  EXPECT_EQ(Shown(h, kCount), "1000");
  EXPECT_EQ(Note(h, kCount), "1500 is beyond 0..1000: set to 1000");
  EXPECT_EQ(EventsOf(kCount), (Ev{UI_EVENT_VALUE_CHANGED, UI_EVENT_COMMIT}));

  ClearEvents();
  TypeAndEnter(h, kFactor, "1.5");  // 0.8..1.2
  float factor = 0;
  GetCtrlVal(h, kFactor, &factor);
  EXPECT_EQ(factor, 1.2f);
  EXPECT_EQ(Shown(h, kFactor), "1.200");
  EXPECT_EQ(Note(h, kFactor), "1.5 is beyond 0.800..1.200: set to 1.200");
  EXPECT_EQ(EventsOf(kFactor), (Ev{UI_EVENT_VALUE_CHANGED, UI_EVENT_COMMIT}));

  // More decimals than shown: rounded, not cut after the third.
  ClearEvents();
  TypeAndEnter(h, kFactor, "0.95961");
  GetCtrlVal(h, kFactor, &factor);
  EXPECT_EQ(factor, 0.96f);
  TypeAndEnter(h, kFactor, "0.1");
  GetCtrlVal(h, kFactor, &factor);
  EXPECT_EQ(factor, 0.8f);

  TypeAndEnter(h, kOffset, "-250");  // -100..100
  int offset = 0;
  GetCtrlVal(h, kOffset, &offset);
  EXPECT_EQ(offset, -100);

  // Leaving the field ends the entry the same way.
  ClearEvents();
  QWidget* field = InspectControlWidget(h, kCount);
  field->setFocus(Qt::TabFocusReason);
  QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(field, "2048");
  InspectControlWidget(h, kOffset)->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(EventsOf(kCount), (Ev{}));  // already at 1000: nothing changed
  EXPECT_EQ(Note(h, kCount), "2048 is beyond 0..1000: set to 1000");
  QTest::keyClick(field, Qt::Key_Down);
  GetCtrlVal(h, kCount, &count);
  ASSERT_EQ(count, 999);
  EXPECT_EQ(Note(h, kCount), "") << "the next change clears it";
  ClearEvents();
  field->setFocus(Qt::TabFocusReason);
  QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(field, "2048");
  InspectControlWidget(h, kOffset)->setFocus(Qt::TabFocusReason);
  GetCtrlVal(h, kCount, &count);
  EXPECT_EQ(count, 1000);
  EXPECT_EQ(EventsOf(kCount), (Ev{UI_EVENT_VALUE_CHANGED, UI_EVENT_COMMIT}));
}

TEST(TypedEntry, TheProgramsPanelsTakeTheValuesItsCallbacksCutBack) {
  RegisterRecorders();
  const int main = LoadPanel(0, RealResource().c_str(), 1);
  const int settings = LoadPanel(main, RealResource().c_str(), 2);
  ASSERT_GT(settings, 0);
  DisplayPanel(main);
  DisplayPanel(settings);
  SetCtrlAttribute(settings, 14, UI_ATTR_DIMMED, 0);
  ClearEvents();

  // Each field accepts what the parameters' range check accepts: beyond it, the
  // nearest limit, before any callback sees the value.
  TypeAndEnter(main, 31, "1500");  // right edge limit: no pixel beyond 1024
  uint16_t edge = 0;
  GetCtrlVal(main, 31, &edge);
  EXPECT_EQ(edge, 1024);
  EXPECT_EQ(EventsOf(31), (Ev{UI_EVENT_VALUE_CHANGED, UI_EVENT_COMMIT}));
  TypeAndEnter(main, 32, "70000");
  GetCtrlVal(main, 32, &edge);
  EXPECT_EQ(edge, 1024);

  // A whole-number field never loses a keystroke: "7.5" is refused (not taken
  // as 75) and the field keeps its value; "-5" is the nearest limit, not 5.
  TypeAndEnter(main, 30, "700");
  TypeAndEnter(main, 30, "7.5");
  uint16_t threshold = 0;
  GetCtrlVal(main, 30, &threshold);
  EXPECT_EQ(threshold, 700);
  EXPECT_EQ(InspectControlWidget(main, 30)->toolTip().toStdString(),
            "7.5 is not a whole number: kept 700");
  TypeAndEnter(main, 30, "-5");
  GetCtrlVal(main, 30, &threshold);
  EXPECT_EQ(threshold, 0);
  EXPECT_EQ(InspectControlWidget(main, 30)->toolTip().toStdString(),
            "-5 is beyond 0..1023: set to 0")
      << "the refusal's words replaced by what was done";

  float factor = 0;
  for (const auto& [typed, taken] :
       {std::pair{"1.15", 1.15f}, {"1.25", 1.2f}, {"0.5", 0.8f}, {"99", 1.2f}}) {
    TypeAndEnter(settings, 14, typed);
    GetCtrlVal(settings, 14, &factor);
    EXPECT_EQ(factor, taken) << typed;
  }
  DiscardPanel(settings);
  DiscardPanel(main);
}

TEST(Wheel, ChangesOnlyTheControlThatHasTheFocus) {
  KindsPanel p;
  const int h = p.handle();
  Activate(h);
  InspectControlWidget(h, kGo)->setFocus(Qt::TabFocusReason);
  auto* countField = qobject_cast<QAbstractSpinBox*>(InspectControlWidget(h, kCount));
  ASSERT_NE(countField, nullptr);
  // Over a spin box the wheel first reaches its text field.
  WheelOver(countField->findChild<QLineEdit*>());
  WheelOver(InspectControlWidget(h, kFactor));
  WheelOver(InspectControlWidget(h, kChoice));
  WheelOver(InspectControlWidget(h, kPort));
  WheelOver(InspectControlWidget(h, kStart));
  EXPECT_TRUE(Events().empty());
  uint16_t count = 0;
  int port = 0;
  GetCtrlVal(h, kCount, &count);
  GetCtrlVal(h, kPort, &port);
  EXPECT_EQ(count, 5);
  EXPECT_EQ(port, 1);
  EXPECT_EQ(QApplication::focusWidget() == countField, false);

  // Once focused, the wheel steps it as usual.
  InspectControlWidget(h, kPort)->setFocus(Qt::TabFocusReason);
  WheelOver(InspectControlWidget(h, kPort));
  GetCtrlVal(h, kPort, &port);
  EXPECT_NE(port, 1);
  EXPECT_EQ(EventsOf(kPort), (Ev{UI_EVENT_VALUE_CHANGED, UI_EVENT_COMMIT}));
  countField->setFocus(Qt::TabFocusReason);
  WheelOver(countField->findChild<QLineEdit*>());
  GetCtrlVal(h, kCount, &count);
  EXPECT_NE(count, 5);
}
