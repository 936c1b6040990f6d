// Events the operator's actions deliver to control callbacks, through real Qt
// mouse and key events.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "runtime/testing/inspect.h"
#include "runtime/testing/inspect_widgets.h"
#include "runtime/userint.h"
#include "runtime/utility.h"
#include "tests/engine/ui_recorder.h"
#include "tests/support/wait.h"

using namespace uitest;
using Ev = std::vector<int>;

namespace {
constexpr int kEndOfPressHandler = -1;
}

TEST(CommandButton, ClickDeliversPressThenCommit) {
  KindsPanel p;
  ASSERT_EQ(SimulateClick(p.handle(), kGo), 0);
  EXPECT_EQ(EventsOf(kGo), (Ev{UI_EVENT_LEFT_PRESS, UI_EVENT_COMMIT}));

  // A release away from the button cancels the click after its press.
  ClearEvents();
  QWidget* button = InspectControlWidget(p.handle(), kGo);
  QTest::mousePress(button, Qt::LeftButton, {}, button->rect().center());
  QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(-20, -20));
  EXPECT_EQ(EventsOf(kGo), (Ev{UI_EVENT_LEFT_PRESS}));

  // Right button: nothing.
  ClearEvents();
  QTest::mouseClick(button, Qt::RightButton);
  EXPECT_TRUE(EventsOf(kGo).empty());
}

TEST(CommandButton, KeyboardActivationDeliversPressThenCommit) {
  KindsPanel p;
  QWidget* button = InspectControlWidget(p.handle(), kGo);
  QTest::keyClick(button, Qt::Key_Space);
  QTest::keyClick(button, Qt::Key_Return);
  EXPECT_EQ(EventsOf(kGo), (Ev{3, 1, 3, 1}));
}

TEST(CommandButton, CommitFollowsWhenPressHandlerDimsTheButton) {
  KindsPanel p;
  int dimmedAtCommit = -1;
  SetHook(kGo, [&](int panel, int control, int event) {
    if (event == UI_EVENT_LEFT_PRESS) SetCtrlAttribute(panel, control, UI_ATTR_DIMMED, 1);
    if (event == UI_EVENT_COMMIT) {
      GetCtrlAttribute(panel, control, UI_ATTR_DIMMED, &dimmedAtCommit);
      SetCtrlAttribute(panel, control, UI_ATTR_DIMMED, 0);
    }
  });
  // The release goes to the (now disabled) button as a real one would.
  QWidget* button = InspectControlWidget(p.handle(), kGo);
  QTest::mousePress(button, Qt::LeftButton, {}, button->rect().center());
  EXPECT_FALSE(button->isEnabled());
  QTest::mouseRelease(button, Qt::LeftButton, {}, button->rect().center());
  EXPECT_EQ(EventsOf(kGo), (Ev{UI_EVENT_LEFT_PRESS, UI_EVENT_COMMIT}));
  EXPECT_EQ(dimmedAtCommit, 1);
  EXPECT_TRUE(button->isEnabled());
}

TEST(CommandButton, CommitFollowsDimmingAlsoThroughTheWindowSystemPath) {
  // Mouse events given to the native window go the way a real mouse's do: the
  // window finds the widget under the pointer and sends the release to the
  // widget that got the press.
  KindsPanel p;
  SetHook(kGo, [&](int panel, int control, int event) {
    if (event == UI_EVENT_LEFT_PRESS) SetCtrlAttribute(panel, control, UI_ATTR_DIMMED, 1);
  });
  QWidget* window = InspectPanelWindow(p.handle());
  QWidget* button = InspectControlWidget(p.handle(), kGo);
  const QPoint at = button->mapTo(window, button->rect().center());
  QTest::mousePress(window->windowHandle(), Qt::LeftButton, {}, at);
  QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, {}, at);
  EXPECT_EQ(EventsOf(kGo), (Ev{UI_EVENT_LEFT_PRESS, UI_EVENT_COMMIT}));
}

TEST(CommandButton, ReleaseDuringLongPressHandlerCommitsAfterItReturns) {
  KindsPanel p;
  const int panel = p.handle();
  bool released = false;
  size_t eventsWhenReleased = 0;
  SetHook(kGo, [&](int, int, int event) {
    if (event != UI_EVENT_LEFT_PRESS) return;
    // The operator lets go while the handler still waits, processing events.
    QTimer::singleShot(0, [&] {
      SimulateRelease(panel, kGo);
      released = true;
      eventsWhenReleased = Events().size();
    });
    ASSERT_TRUE(WaitUntil([&] { return released; }, 5.0));
    for (int i = 0; i < 20; ++i) ProcessSystemEvents();
    EXPECT_EQ(Events().size(), eventsWhenReleased) << "commit delivered inside the press handler";
    Mark(kEndOfPressHandler);
  });
  ASSERT_EQ(SimulatePress(panel, kGo), 0);
  ASSERT_EQ(Events().size(), 3u);
  EXPECT_EQ(Events()[0].event, UI_EVENT_LEFT_PRESS);
  EXPECT_EQ(Events()[1].event, kEndOfPressHandler);
  EXPECT_EQ(Events()[2].event, UI_EVENT_COMMIT);
}

TEST(CommandButton, OtherCallbacksRunInsideAWaitingPressHandler) {
  KindsPanel p;
  const int panel = p.handle();
  SetHook(kGo, [&](int, int, int event) {
    if (event != UI_EVENT_LEFT_PRESS) return;
    QTimer::singleShot(0, [&] { SimulateToggle(panel, kMode); });
    EXPECT_TRUE(WaitUntil([] { return EventsOf(kMode).size() == 2; }, 5.0));
  });
  SimulateClick(panel, kGo);
  EXPECT_EQ(EventsOf(kMode), (Ev{UI_EVENT_VALUE_CHANGED, UI_EVENT_COMMIT}));
  EXPECT_EQ(EventsOf(kGo), (Ev{UI_EVENT_LEFT_PRESS, UI_EVENT_COMMIT}));
  EXPECT_EQ(Events().back().control, kGo);
}

TEST(NumericEdit, TypedValueDeliversChangeThenCommitAndEnterAlwaysCommits) {
  KindsPanel p;
  ASSERT_EQ(SimulateEnterValue(p.handle(), kCount, 42), 0);
  uint16_t v = 0;
  GetCtrlVal(p.handle(), kCount, &v);
  EXPECT_EQ(v, 42);
  EXPECT_EQ(EventsOf(kCount), (Ev{UI_EVENT_VALUE_CHANGED, UI_EVENT_COMMIT}));

  // Enter on an unchanged value commits it again; leaving the field does not.
  ClearEvents();
  SimulateEnterValue(p.handle(), kCount, 42);
  EXPECT_EQ(EventsOf(kCount), (Ev{UI_EVENT_COMMIT}));
  ClearEvents();
  QWidget* window = InspectPanelWindow(p.handle());
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));  // focus moves only there
  QWidget* field = InspectControlWidget(p.handle(), kCount);
  field->setFocus(Qt::TabFocusReason);
  QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(field, "42");
  InspectControlWidget(p.handle(), kFactor)->setFocus(Qt::TabFocusReason);
  EXPECT_TRUE(EventsOf(kCount).empty());

  // An arrow key steps and commits at once.
  QTest::keyClick(InspectControlWidget(p.handle(), kCount), Qt::Key_Up);
  GetCtrlVal(p.handle(), kCount, &v);
  EXPECT_EQ(v, 43);
  EXPECT_EQ(EventsOf(kCount), (Ev{UI_EVENT_VALUE_CHANGED, UI_EVENT_COMMIT}));
}

TEST(NumericEdit, PressIsDeliveredBeforeTheArrowChangesTheValue) {
  KindsPanel p;
  uint16_t seenAtPress = 0;
  SetHook(kCount, [&](int panel, int control, int event) {
    if (event == UI_EVENT_LEFT_PRESS) GetCtrlVal(panel, control, &seenAtPress);
  });
  QWidget* spin = InspectControlWidget(p.handle(), kCount);
  const QPoint upArrow(spin->width() - 6, spin->height() / 4);
  QTest::mouseClick(spin, Qt::LeftButton, {}, upArrow);
  uint16_t after = 0;
  GetCtrlVal(p.handle(), kCount, &after);
  EXPECT_EQ(seenAtPress, 5);
  EXPECT_EQ(after, 6);
  EXPECT_EQ(EventsOf(kCount), (Ev{3, 2, 1}));
}

TEST(NumericEdit, FloatAndIntEntriesKeepTheirType) {
  KindsPanel p;
  SimulateEnterValue(p.handle(), kFactor, 1.05);
  float f = 0;
  GetCtrlVal(p.handle(), kFactor, &f);
  EXPECT_EQ(f, 1.05f);
  EXPECT_EQ(EventsOf(kFactor), (Ev{2, 1}));

  SimulateEnterValue(p.handle(), kOffset, -42);
  int i = 0;
  GetCtrlVal(p.handle(), kOffset, &i);
  EXPECT_EQ(i, -42);
}

TEST(Slide, DragReportsChangesAndOneCommitOnRelease) {
  KindsPanel p;
  ASSERT_EQ(SimulateEnterValue(p.handle(), kStart, 300), 0);
  uint16_t v = 0;
  GetCtrlVal(p.handle(), kStart, &v);
  EXPECT_EQ(v, 300);
  const Ev events = EventsOf(kStart);
  ASSERT_GE(events.size(), 3u);
  EXPECT_EQ(events.front(), UI_EVENT_LEFT_PRESS);
  EXPECT_EQ(events.back(), UI_EVENT_COMMIT);
  EXPECT_EQ(std::count(events.begin(), events.end(), UI_EVENT_COMMIT), 1);
  EXPECT_GE(std::count(events.begin(), events.end(), UI_EVENT_VALUE_CHANGED), 1);

  ClearEvents();
  QTest::keyClick(InspectControlWidget(p.handle(), kStart), Qt::Key_Right);
  GetCtrlVal(p.handle(), kStart, &v);
  EXPECT_EQ(v, 301);
  EXPECT_EQ(EventsOf(kStart), (Ev{2, 1}));

  // Enter on the slide commits its value as it stands, as on a numeric field.
  ClearEvents();
  QTest::keyClick(InspectControlWidget(p.handle(), kStart), Qt::Key_Return);
  GetCtrlVal(p.handle(), kStart, &v);
  EXPECT_EQ(v, 301);
  EXPECT_EQ(EventsOf(kStart), (Ev{UI_EVENT_COMMIT}));
}

TEST(TwoStateControls, OperatorFlipDeliversChangeThenCommit) {
  KindsPanel p;
  const int h = p.handle();
  ASSERT_EQ(SimulateToggle(h, kMode), 0);
  uint16_t v = 0;
  GetCtrlVal(h, kMode, &v);
  EXPECT_EQ(v, 1);
  EXPECT_EQ(EventsOf(kMode), (Ev{2, 1}));

  // A mouse click gives the press first.
  ClearEvents();
  SimulateClick(h, kMode);
  GetCtrlVal(h, kMode, &v);
  EXPECT_EQ(v, 0);
  EXPECT_EQ(EventsOf(kMode), (Ev{3, 2, 1}));

  // Radio buttons: the engine does not keep a group exclusive.
  ClearEvents();
  SimulateToggle(h, kEeprom);
  uint16_t ram = 0, eeprom = 0;
  GetCtrlVal(h, kRam, &ram);
  GetCtrlVal(h, kEeprom, &eeprom);
  EXPECT_EQ(ram, 1);
  EXPECT_EQ(eeprom, 1);
  EXPECT_EQ(EventsOf(kEeprom), (Ev{2, 1}));

  // An indicator lamp cannot be switched by the operator; the other can.
  EXPECT_LT(SimulateToggle(h, kLamp), 0);
  SimulateClick(h, kLamp);
  GetCtrlVal(h, kLamp, &v);
  EXPECT_EQ(v, 0);
  EXPECT_EQ(SimulateToggle(h, kHotLamp), 0);
  GetCtrlVal(h, kHotLamp, &v);
  EXPECT_EQ(v, 1);
  EXPECT_EQ(EventsOf(kHotLamp), (Ev{2, 1}));
}

TEST(Ring, SelectionDeliversChangeThenCommitAndTheShownItemACommitAlone) {
  KindsPanel p;
  ASSERT_EQ(SimulateSelectItem(p.handle(), kChoice, 2), 0);
  int v = 0;
  GetCtrlVal(p.handle(), kChoice, &v);
  EXPECT_EQ(v, 2);
  EXPECT_EQ(EventsOf(kChoice), (Ev{2, 1}));
  ClearEvents();
  EXPECT_EQ(SimulateSelectItem(p.handle(), kChoice, 2), 0);
  EXPECT_EQ(EventsOf(kChoice), (Ev{1}));
  EXPECT_LT(SimulateSelectItem(p.handle(), kChoice, 7), 0);

  ASSERT_EQ(SimulateSelectItem(p.handle(), kPort, 5), 0);
  GetCtrlVal(p.handle(), kPort, &v);
  EXPECT_EQ(v, 5);
}

TEST(Indicators, OnlyThePressIsDelivered) {
  KindsPanel p;
  SimulateClick(p.handle(), kReadout);
  EXPECT_EQ(EventsOf(kReadout), (Ev{UI_EVENT_LEFT_PRESS}));
  EXPECT_LT(SimulateEnterValue(p.handle(), kReadout, 3), 0);
}

TEST(ProgramChanges, SetCtrlValAndAttributesRaiseNoEvent) {
  KindsPanel p;
  const int h = p.handle();
  SetCtrlVal(h, kCount, 17);
  SetCtrlVal(h, kCount, 2000);  // clamped, still silent
  SetCtrlVal(h, kFactor, 1.1);
  SetCtrlVal(h, kOffset, -3);
  SetCtrlVal(h, kStart, 77);
  SetCtrlAttribute(h, kStart, UI_ATTR_MAX_VALUE, 50);  // re-clamps the value
  SetCtrlVal(h, kMode, 1);
  SetCtrlVal(h, kRam, 0);
  SetCtrlVal(h, kHotLamp, 1);
  SetCtrlVal(h, kChoice, 0);
  SetCtrlVal(h, kChoice, 9);  // placeholder item
  SetCtrlVal(h, kPort, 3);
  SetCtrlAttribute(h, kCount, UI_ATTR_MAX_VALUE, 10);
  SetCtrlAttribute(h, kCount, UI_ATTR_DIMMED, 1);
  for (int i = 0; i < 10; ++i) ProcessSystemEvents();
  EXPECT_TRUE(Events().empty());
}

TEST(ProgramChanges, DimmedControlsTakeNoOperatorAction) {
  KindsPanel p;
  const int h = p.handle();
  for (int id : {kGo, kCount, kMode, kChoice}) SetCtrlAttribute(h, id, UI_ATTR_DIMMED, 1);
  EXPECT_LT(SimulateClick(h, kGo), 0);
  EXPECT_LT(SimulateEnterValue(h, kCount, 9), 0);
  EXPECT_LT(SimulateToggle(h, kMode), 0);
  EXPECT_LT(SimulateSelectItem(h, kChoice, 2), 0);
  // Real events on the dimmed widget are ignored too.
  QTest::mouseClick(InspectControlWidget(h, kGo), Qt::LeftButton);
  QTest::keyClick(InspectControlWidget(h, kGo), Qt::Key_Space);
  EXPECT_TRUE(Events().empty());
}

TEST(Reentrancy, PanelDiscardedInsideCallbacksReportsNothingMore) {
  RegisterRecorders();
  const int h = LoadPanel(0, KindsResource().c_str(), 1);
  ASSERT_GT(h, 0);
  DisplayPanel(h);
  QPointer<QWidget> window = InspectPanelWindow(h);
  ClearEvents();
  SetHook(kGo, [](int panel, int, int event) {
    if (event == UI_EVENT_LEFT_PRESS) DiscardPanel(panel);
  });
  SimulateClick(h, kGo);
  EXPECT_EQ(EventsOf(kGo), (Ev{UI_EVENT_LEFT_PRESS}));
  EXPECT_EQ(DisplayPanel(h), UIE_NO_SUCH_PANEL);
  ASSERT_TRUE(WaitUntil([&] { return window.isNull(); }, 5.0));  // destroyed once safe

  // Discarded by the value-changed callback: the commit goes nowhere.
  const int h2 = LoadPanel(0, KindsResource().c_str(), 1);
  DisplayPanel(h2);
  ClearEvents();
  SetHook(kMode, [](int panel, int, int event) {
    if (event == UI_EVENT_VALUE_CHANGED) DiscardPanel(panel);
  });
  SimulateToggle(h2, kMode);
  EXPECT_EQ(EventsOf(kMode), (Ev{UI_EVENT_VALUE_CHANGED}));
  ClearHooks();
  ProcessSystemEvents();
}

TEST(CallbackRegistry, NamesResolveAtLoadAndUnknownNamesLeaveNoCallback) {
  static int calls = 0;
  RegisterCtrlCallback("Rec", [](int, int, int, void*, int, int) { return ++calls, 0; });
  RegisterRecorders();  // registering again replaces the function
  const int h = LoadPanel(0, KindsResource().c_str(), 1);
  DisplayPanel(h);
  ClearEvents();
  SimulateClick(h, kGo);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(EventsOf(kGo), (Ev{3, 1}));
  // A control without a callback works as a plain button and reports nothing.
  EXPECT_EQ(SimulateClick(h, kPlain), 0);
  EXPECT_TRUE(EventsOf(kPlain).empty());
  DiscardPanel(h);
}

namespace {

// A press and a release through the window system, as a real mouse delivers
// them: the application then knows when the button is up.
QPoint CentreIn(QWidget* window, QWidget* w) {
  return w->mapTo(window, w->rect().center());
}

}  // namespace

TEST(CommandButton, PressHandlerWithAModalDialogEndsTheClickCleanly) {
  KindsPanel p;
  const int panel = p.handle();
  QWidget* window = InspectPanelWindow(panel);
  auto* button = qobject_cast<QAbstractButton*>(InspectControlWidget(panel, kGo));
  ASSERT_NE(button, nullptr);
  const QPoint at = CentreIn(window, button);
  int dialogsShown = 0;
  SetHook(kGo, [&](int, int, int event) {
    if (event != UI_EVENT_LEFT_PRESS) return;
    // While the dialog is open the operator lets go of the button (over the
    // panel, which the dialog blocks), then the dialog is closed.
    QTimer::singleShot(0, [&] {
      QWidget* dialog = QApplication::activeModalWidget();
      if (dialog == nullptr) return;
      ++dialogsShown;
      QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, {}, at);
      QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
    });
    QDialog dialog(window);
    dialog.exec();
  });
  QTest::mousePress(window->windowHandle(), Qt::LeftButton, {}, at);
  EXPECT_EQ(dialogsShown, 1);
  EXPECT_EQ(EventsOf(kGo), (Ev{UI_EVENT_LEFT_PRESS})) << "no commit without a release over it";
  EXPECT_FALSE(button->isDown());
  // The click is over: a late release reaching the button completes nothing.
  QTest::mouseRelease(button, Qt::LeftButton, {}, button->rect().center());
  EXPECT_EQ(EventsOf(kGo), (Ev{UI_EVENT_LEFT_PRESS}));

  // The next click is a whole one again.
  ClearHooks();
  ClearEvents();
  QTest::mousePress(window->windowHandle(), Qt::LeftButton, {}, at);
  QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, {}, at);
  EXPECT_EQ(EventsOf(kGo), (Ev{UI_EVENT_LEFT_PRESS, UI_EVENT_COMMIT}));
  EXPECT_FALSE(button->isDown());
}

TEST(CommandButton, PressHandlerWithTheRealFileDialogEndsTheClickCleanly) {
  KindsPanel p;
  const int panel = p.handle();
  QWidget* window = InspectPanelWindow(panel);
  auto* button = qobject_cast<QAbstractButton*>(InspectControlWidget(panel, kGo));
  const QPoint at = CentreIn(window, button);
  ClearFileSelectAnswers();
  int chosen = -1;
  std::string title;
  SetHook(kGo, [&](int, int, int event) {
    if (event != UI_EVENT_LEFT_PRESS) return;
    QTimer::singleShot(50, [&] {
      QWidget* dialog = QApplication::activeModalWidget();
      if (dialog == nullptr) return;
      title = dialog->windowTitle().toStdString();
      QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, {}, at);
      QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
    });
    char path[260] = "";
    chosen = FileSelectPopup(TempDir().c_str(), "QVORpara.dat", "*.dat", "Save parameters", 1, 0, 1,
                             1, 1, path);
  });
  QTest::mousePress(window->windowHandle(), Qt::LeftButton, {}, at);
  EXPECT_EQ(title, "Save parameters");
  EXPECT_EQ(chosen, 0);
  EXPECT_EQ(EventsOf(kGo), (Ev{UI_EVENT_LEFT_PRESS}));
  EXPECT_FALSE(button->isDown());
  QTest::mouseRelease(button, Qt::LeftButton, {}, button->rect().center());
  EXPECT_EQ(EventsOf(kGo), (Ev{UI_EVENT_LEFT_PRESS}));
}
