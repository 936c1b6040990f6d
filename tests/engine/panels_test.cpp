// Loading panels from the resource: the program's real panels, errors, panel
// windows, closing and discarding.
#include <gtest/gtest.h>

#include <unistd.h>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QWidget>
#include <map>
#include <set>
#include <tuple>

#include "runtime/testing/inspect.h"
#include "runtime/testing/inspect_widgets.h"
#include "runtime/userint.h"
#include "runtime/window_place.h"
#include "tests/engine/ui_recorder.h"
#include "tests/support/wait.h"

using namespace uitest;

namespace {

using Row = std::tuple<int, std::string, std::string, std::string>;  // id, name, kind, callback

const std::set<Row> kMainPanel = {
    {2, "DropDCom", "ring", "CC_DropDCom"},
    {3, "BTNRun", "command", "CC_BTNRun"},
    {4, "SW_PowerMode", "switch", ""},
    {5, "BTNStop", "command", "CC_BTNStop"},
    {6, "BTNTeach", "command", "CC_ButtonTeach"},
    {7, "BTNSend", "command", "CC_BTNSend"},
    {8, "BTNSettings", "command", "CC_BTN_CCDSettings"},
    {10, "RBTFile", "radio", "CC_RBTFile"},
    {11, "RBTEeprom", "radio", "CC_RBTEeprom"},
    {12, "RBTRam", "radio", "CC_RBTRam"},
    {13, "SW_Polarity", "switch", ""},
    {14, "BTNData", "command", "CC_BTNData"},
    {15, "TEXT_SetSource", "text", ""},
    {16, "BTNGet", "command", "CC_BTNGet"},
    {17, "DropDEvalmode", "ring", "CC_DropDEvalmode"},
    {19, "NUM_MeasuredValue", "numeric", ""},
    {20, "NUM_TeachValue", "numeric", ""},
    {21, "NUM_Tolerance", "numeric", ""},
    {22, "NUM_FirstEdge", "numeric", ""},
    {23, "NUM_SecondEdge", "numeric", ""},
    {30, "NEDITVideoThreshold", "numeric", "CC_NEDITVideoThreshold"},
    {31, "NEDITEdgeRight", "numeric", "CC_NEDITEdgeRight"},
    {32, "NEDITEdgeLeft", "numeric", "CC_NEDITEdgeLeft"},
    {33, "TEXT_Status", "text", ""},
    {34, "GRAPH_Data", "graph", ""},
    {35, "BINSWITCH_UM", "switch", "CC_BINSWITCH_UM"},
    {36, "GRAPH_Scope", "graph", ""},
    {38, "NUM_Power", "numeric", ""},
};

const std::set<Row> kSettingsPanel = {
    {2, "TEXTBOX_CCDInfo", "textbox", ""},
    {3, "NSLIDE_PixelStart", "slide", "CC_NSLIDE_PixelStart"},
    {4, "NUM_PixelEnd", "numeric", ""},
    {6, "BTNTeachBackGround", "command", "CC_BTNTeachBackGround"},
    {7, "NUM_BGValue", "numeric", ""},
    {8, "LED_TeachBackGround", "led", ""},
    {9, "BIN_Sw_EnableTol", "switch", "CC_BIN_Sw_EnableTol"},
    {10, "BIN_Switch_VGain", "switch", "CC_BIN_Switch_VGain"},
    {12, "RING_CCDBGMode", "ring", "CC_RING_CCDBGMode"},
    {13, "RING_CCDMode", "ring", "CC_RING_CCDMode"},
    {14, "NUM_ScalFact", "numeric", "CC_NUM_ScalFact"},
    {15, "NEDITTolerance", "numeric", "CC_NEDITTolerance"},
    {16, "NEDITTeach", "numeric", "CC_NEDITTeach"},
    {17, "BTNClose", "command", ""},
};

std::set<Row> Table(int panel) {
  std::set<Row> rows;
  for (const ControlInfo& c : InspectPanelControls(panel))
    rows.insert(Row{c.id, c.name, c.kind, c.callback});
  return rows;
}

QJsonObject ResourcePanel(int number) {
  QFile f(QString::fromStdString(RealResource()));
  f.open(QIODevice::ReadOnly);
  for (const QJsonValue& v : QJsonDocument::fromJson(f.readAll())["panels"].toArray())
    if (v["number"].toInt() == number) return v.toObject();
  return {};
}

QSize ResourcePanelSize(int number) {
  const QJsonObject p = ResourcePanel(number);
  return QSize(p["width"].toInt(), p["height"].toInt());
}

QRect Available(QWidget* window) {
  return window->screen()->availableGeometry();
}

// The program's two panels, loaded as the program loads them.
struct RealPanels {
  RealPanels() {
    RegisterRecorders();
    main = LoadPanel(0, RealResource().c_str(), 1);
    settings = LoadPanel(main, RealResource().c_str(), 2);
  }
  ~RealPanels() {
    DiscardPanel(settings);
    DiscardPanel(main);
  }
  int main, settings;
};

const char* const kMinimal = R"({"format": "vantrel-panel-resource", "version": 1,
  "panels": [ {"number": 1, "width": 100, "height": 50, "controls": [%s]} ]})";

std::string Minimal(const std::string& controls) {
  std::string s = kMinimal;
  s.replace(s.find("%s"), 2, controls);
  return s;
}

}  // namespace

TEST(RealPanels, HoldEveryControlOfTheControlTable) {
  RealPanels p;
  ASSERT_GT(p.main, 0);
  ASSERT_EQ(p.settings, p.main + 1);  // handles count up in load order
  EXPECT_EQ(Table(p.main), kMainPanel);
  EXPECT_EQ(Table(p.settings), kSettingsPanel);
}

TEST(RealPanels, StartWithTheParameterDefaults) {
  RealPanels p;
  ASSERT_GT(p.settings, 0);
  const std::map<int, int> mainValues = {
      {38, 500}, {4, 0},  {30, 512}, {13, 1}, {17, 1}, {32, 1}, {31, 512}, {20, 512},
      {21, 100}, {35, 1}, {12, 1},   {11, 0}, {10, 0}, {2, 1},  {22, 0},
  };
  for (const auto& [id, expected] : mainValues) {
    int v = -1;
    EXPECT_EQ(GetCtrlVal(p.main, id, &v), 0) << "control " << id;
    EXPECT_EQ(v, expected) << "main panel control " << id;
  }
  const std::map<int, int> settingsValues = {{13, 0}, {3, 1}, {4, 256},  {12, 0},  {7, 64},
                                             {10, 1}, {9, 1}, {16, 512}, {15, 100}};
  for (const auto& [id, expected] : settingsValues) {
    int v = -1;
    GetCtrlVal(p.settings, id, &v);
    EXPECT_EQ(v, expected) << "settings panel control " << id;
  }
  float scale = 0;
  EXPECT_EQ(GetCtrlVal(p.settings, 14, &scale), 0);
  EXPECT_EQ(scale, 1.0f);
  // The micrometre text of the unit switch came through the resource's UTF-8.
  SetCtrlVal(p.main, 35, 0);
  EXPECT_EQ(InspectAccessibleValue(p.main, 35), "\xC2\xB5m");
}

TEST(RealPanels, SettingsPanelIsAToolWindowOwnedByTheMainPanel) {
  RealPanels p;
  ASSERT_GT(p.settings, 0);
  QWidget* main = InspectPanelWindow(p.main);
  QWidget* settings = InspectPanelWindow(p.settings);
  EXPECT_EQ(InspectPanelVisible(p.main), 0);  // panels start hidden
  EXPECT_EQ(InspectPanelVisible(p.settings), 0);
  EXPECT_EQ(main->size(), ResourcePanelSize(1));
  EXPECT_EQ(settings->size(), ResourcePanelSize(2));
  EXPECT_EQ(settings->parentWidget(), main);
  EXPECT_EQ(settings->windowType(), Qt::Tool);
  EXPECT_EQ(main->windowTitle(), "Vantrel - Q-VOR line sensor");

  DisplayPanel(p.main);
  DisplayPanel(p.settings);
  EXPECT_EQ(InspectPanelVisible(p.settings), 1);
  HidePanel(p.settings);
  EXPECT_EQ(InspectPanelVisible(p.settings), 0);
  EXPECT_EQ(InspectPanelVisible(p.main), 1);
}

TEST(PanelLoading, ReportsMissingAndMalformedResources) {
  RegisterRecorders();
  EXPECT_EQ(LoadPanel(0, (TempDir() + "/nowhere.uir").c_str(), 1), UIE_FILE_NOT_FOUND);
  EXPECT_EQ(LoadPanel(0, WriteTempFile("bad.uir", "{ not json").c_str(), 1), UIE_BAD_RESOURCE);
  EXPECT_EQ(LoadPanel(0, WriteTempFile("other.uir", R"({"format": "x", "version": 1})").c_str(), 1),
            UIE_BAD_RESOURCE);
  EXPECT_EQ(LoadPanel(0, KindsResource().c_str(), 9), UIE_NO_SUCH_RESOURCE_PANEL);
  EXPECT_EQ(LoadPanel(12345, KindsResource().c_str(), 2), UIE_NO_SUCH_PANEL);

  const std::string control =
      R"({"id": 1, "kind": "%k", "left": 0, "top": 0, "width": 10, "height": 10})";
  auto withKind = [&](const std::string& kind) {
    std::string c = control;
    c.replace(c.find("%k"), 2, kind);
    return c;
  };
  const int ok = LoadPanel(0, WriteTempFile("ok.uir", Minimal(withKind("command"))).c_str(), 1);
  EXPECT_GT(ok, 0);
  DiscardPanel(ok);
  EXPECT_EQ(LoadPanel(0, WriteTempFile("kind.uir", Minimal(withKind("knob"))).c_str(), 1),
            UIE_BAD_RESOURCE);
  EXPECT_EQ(
      LoadPanel(0,
                WriteTempFile("twice.uir", Minimal(withKind("command") + "," + withKind("command")))
                    .c_str(),
                1),
      UIE_BAD_RESOURCE);
  EXPECT_EQ(LoadPanel(0,
                      WriteTempFile("noitems.uir",
                                    Minimal(R"({"id": 1, "kind": "ring", "left": 0, "top": 0,
                                          "width": 10, "height": 10, "items": []})"))
                          .c_str(),
                      1),
            UIE_BAD_RESOURCE);
}

int AControlCallback(int, int, int, void*, int, int) {
  return 0;
}
int APanelCallback(int, int, void*, int, int) {
  return 0;
}

TEST(PanelLoading, RefusesCallbacksOfTheWrongKindAndFaultsInAnyPanel) {
  RegisterCtrlCallback("KindTestControl", AControlCallback);
  RegisterPanelCallback("KindTestPanel", APanelCallback);
  const std::string button = R"({"id": 1, "kind": "command", "left": 0, "top": 0, "width": 10,
                                  "height": 10, "callback": "%c"})";
  auto resource = [&](const std::string& panelCallback, const std::string& controlCallback,
                      const std::string& secondPanelControls) {
    std::string c = button;
    c.replace(c.find("%c"), 2, controlCallback);
    return R"({"format": "vantrel-panel-resource", "version": 1, "panels": [
      {"number": 1, "width": 100, "height": 50, "callback": ")" +
           panelCallback + R"(", "controls": [)" + c + R"(]},
      {"number": 2, "width": 100, "height": 50, "controls": [)" +
           secondPanelControls + "]}]}";
  };
  const int good = LoadPanel(
      0, WriteTempFile("kinds-good.uir", resource("KindTestPanel", "KindTestControl", "")).c_str(),
      1);
  EXPECT_GT(good, 0);
  DiscardPanel(good);
  EXPECT_EQ(
      LoadPanel(0,
                WriteTempFile("kinds-panel.uir", resource("KindTestControl", "KindTestControl", ""))
                    .c_str(),
                1),
      UIE_BAD_RESOURCE);
  EXPECT_EQ(
      LoadPanel(
          0,
          WriteTempFile("kinds-ctrl.uir", resource("KindTestPanel", "KindTestPanel", "")).c_str(),
          1),
      UIE_BAD_RESOURCE);
  // A slip in panel 2 is found when panel 1 is loaded, before any window exists.
  EXPECT_EQ(LoadPanel(0,
                      WriteTempFile("kinds-second.uir",
                                    resource("KindTestPanel", "KindTestControl", "{\"id\": 1}"))
                          .c_str(),
                      1),
            UIE_BAD_RESOURCE);
}

TEST(PanelLoading, RelativeNamesLookBesideTheProgramFirst) {
  RegisterRecorders();
  const QString name = QString("panel-lookup-%1.uir").arg(getpid());
  const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(name);
  WriteTempFile(name.toStdString(), Minimal(""));
  const QString oldDir = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(TempDir())));

  // Only in the current directory: found there.
  int h = LoadPanel(0, name.toLocal8Bit().constData(), 1);
  EXPECT_GT(h, 0);
  DiscardPanel(h);

  // Beside the program too: that one wins (it has no panel 1).
  {
    QFile f(beside);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(R"({"format": "vantrel-panel-resource", "version": 1, "panels": []})");
  }
  EXPECT_EQ(LoadPanel(0, name.toLocal8Bit().constData(), 1), UIE_NO_SUCH_RESOURCE_PANEL);
  QFile::remove(beside);
  QDir::setCurrent(oldDir);
}

TEST(PanelClose, DeliversOnlyTheCloseEventAndTheWindowStays) {
  KindsPanel p;
  ASSERT_EQ(SimulateClosePanel(p.handle()), 0);
  ASSERT_EQ(Events().size(), 1u);
  EXPECT_EQ(Events()[0].panel, p.handle());
  EXPECT_EQ(Events()[0].event, UI_EVENT_CLOSE);
  ProcessSystemEvents();
  EXPECT_EQ(InspectPanelVisible(p.handle()), 1);

  // The program may hide the panel from its callback.
  SetHook(0, [](int panel, int, int) { HidePanel(panel); });
  SimulateClosePanel(p.handle());
  EXPECT_EQ(InspectPanelVisible(p.handle()), 0);
}

TEST(PanelClose, ChildPanelWithoutCallbackHides) {
  KindsPanel p;
  const int child = LoadPanel(p.handle(), KindsResource().c_str(), 2);
  DisplayPanel(child);
  ClearEvents();
  SimulateClosePanel(child);
  EXPECT_EQ(InspectPanelVisible(child), 0);
  EXPECT_TRUE(Events().empty());
  DiscardPanel(child);
}

TEST(PanelDiscard, HandleDiesAndChildrenGoWithTheParent) {
  RegisterRecorders();
  const int parent = LoadPanel(0, KindsResource().c_str(), 3);
  const int child = LoadPanel(parent, KindsResource().c_str(), 2);
  QPointer<QWidget> childWindow = InspectPanelWindow(child);
  ASSERT_EQ(DiscardPanel(parent), 0);
  EXPECT_TRUE(childWindow.isNull());
  EXPECT_EQ(DisplayPanel(child), UIE_NO_SUCH_PANEL);
  EXPECT_EQ(SetCtrlVal(child, 1, 1), UIE_NO_SUCH_PANEL);
  EXPECT_EQ(DiscardPanel(parent), UIE_NO_SUCH_PANEL);
  EXPECT_EQ(InspectPanelVisible(parent), UIE_NO_SUCH_PANEL);
}

TEST(RealPanels, MainWindowFitsItsScreenAndScrollsToEveryControl) {
  RealPanels p;
  QWidget* main = InspectPanelWindow(p.main);
  DisplayPanel(p.main);
  // The test screen is narrower than the panel: the window fits, with room
  // for a title bar, and scrolls to the Run/Stop row.
  const QRect screen = Available(main);
  ASSERT_LT(screen.width(), ResourcePanelSize(1).width() + 16);
  EXPECT_LE(main->width() + 16, screen.width());
  EXPECT_LE(main->height() + 40, screen.height());
  auto* area = main->findChild<QScrollArea*>();
  area->verticalScrollBar()->setValue(area->verticalScrollBar()->maximum());
  for (int id : {3, 5, 14, 6}) {
    QWidget* button = InspectControlWidget(p.main, id);
    const QRect inView(button->mapTo(area->viewport(), QPoint(0, 0)), button->size());
    EXPECT_TRUE(area->viewport()->rect().contains(inView)) << id;
  }
  // A larger window gives its room to the graphs; the controls right of them
  // and below them move with it, and so does a button a feature put beside
  // the status line. At the least size nothing scrolls, and at every size no
  // two controls overlap.
  const auto box = [&](int id) {
    QWidget* w = InspectControlWidget(p.main, id);
    return QRect(w->mapTo(area->widget(), QPoint(0, 0)), w->size());
  };
  main->resize(ResourcePanelSize(1));
  QCoreApplication::processEvents();
  const std::map<int, QRect> before = {{36, box(36)}, {34, box(34)}, {3, box(3)},
                                       {38, box(38)}, {7, box(7)},   {2, box(2)}};
  auto* beside = new QWidget(area->widget());
  beside->setGeometry(600, 62, 90, 14);
  beside->show();
  main->resize(ResourcePanelSize(1) + QSize(200, 100));
  QCoreApplication::processEvents();
  EXPECT_EQ(area->widget()->size(), ResourcePanelSize(1) + QSize(200, 100));
  EXPECT_EQ(box(36), before.at(36).adjusted(0, 0, 200, 50)) << "the scope";
  EXPECT_EQ(box(34), before.at(34).adjusted(0, 50, 200, 100)) << "the data graph";
  EXPECT_EQ(box(3), before.at(3).translated(0, 100)) << "Run";
  EXPECT_EQ(box(38), before.at(38).translated(200, 0)) << "a parameter";
  EXPECT_EQ(box(7), before.at(7).translated(200, 100)) << "Send, with the store";
  EXPECT_EQ(box(2), before.at(2).translated(200, 0)) << "the port selector";
  EXPECT_EQ(beside->geometry(), QRect(800, 62, 90, 14));
  beside->setGeometry(600, 62, 80, 14);  // placed anew: laid out from there
  EXPECT_EQ(beside->geometry(), QRect(800, 62, 80, 14));
  for (const QSize size : {QSize(944, 555), QSize(1700, 1100)}) {
    main->resize(size);
    QCoreApplication::processEvents();
    EXPECT_EQ(area->widget()->size(), size);
    EXPECT_FALSE(area->verticalScrollBar()->isVisible()) << size.height();
    EXPECT_LE(box(3).bottom(), size.height() - 8);
    const std::vector<ControlInfo> controls = InspectPanelControls(p.main);
    for (size_t i = 0; i < controls.size(); ++i)
      for (size_t j = i + 1; j < controls.size(); ++j)
        EXPECT_FALSE(box(controls[i].id).intersects(box(controls[j].id)))
            << controls[i].name << " and " << controls[j].name << " at " << size.width();
  }
  EXPECT_EQ(beside->geometry().right(), box(33).right() - 20) << "it kept to the status line";
}

TEST(RealPanels, SettingsPanelOpensBesideTheMainPanelWhereTheScreenAllows) {
  const int outerWidth = ResourcePanelSize(2).width() + 16;  // with its frame
  const int screenRight = QGuiApplication::primaryScreen()->availableGeometry().right() + 1;
  // Where the main window is (x, width; 0 = as it opens) and which way the
  // settings panel then opens: right of it (1), left of it (-1), without room
  // on either side over its left part, the graphs (0), never over its
  // parameters.
  const int cases[][3] = {{0, 200, 1}, {screenRight - 200, 200, -1}, {0, 0, 0}};
  for (const auto& c : cases) {
    RealPanels p;
    QWidget* main = InspectPanelWindow(p.main);
    DisplayPanel(p.main);
    if (c[1] > 0) main->setGeometry(c[0], 0, c[1], 150);
    DisplayPanel(p.settings);
    const QRect frame = main->frameGeometry();
    const int x = c[2] > 0   ? frame.right() + 1 + 8
                  : c[2] < 0 ? frame.left() - 8 - outerWidth
                             : frame.left();
    EXPECT_EQ(InspectPanelWindow(p.settings)->pos(), QPoint(x, 0)) << c[2];
  }
}

TEST(RealPanels, KeyboardFocusIsRingedInTheHighlightColourOnEveryKind) {
  RealPanels p;
  QWidget* main = InspectPanelWindow(p.main);
  DisplayPanel(p.main);
  main->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(main));
  auto* ring = main->findChild<QWidget*>("focusRing");
  const QColor highlight = main->palette().color(QPalette::Active, QPalette::Highlight);
  const auto rect = [main](QWidget* w) { return QRect(w->mapTo(main, QPoint(0, 0)), w->size()); };
  // Run, a drop-down, a numeric edit, a switch, a radio button; then Stop,
  // which takes the focus when the focused radio button is dimmed.
  for (int id : {3, 17, 30, 35, 12, 5}) {
    QWidget* body = InspectControlWidget(p.main, id);
    if (id == 5)
      SetCtrlAttribute(p.main, 12, UI_ATTR_DIMMED, 1);
    else
      body->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), body);
    ASSERT_TRUE(ring->isVisible());
    EXPECT_TRUE(rect(ring).adjusted(2, 2, -2, -2).contains(rect(body))) << id;
    const QImage image = ring->grab().toImage();
    for (int in = 0; in < 2; ++in) {  // two pixels wide on the left and at the bottom
      EXPECT_EQ(image.pixelColor(in, image.height() / 2), highlight) << id;
      EXPECT_EQ(image.pixelColor(image.width() / 2, image.height() - 1 - in), highlight) << id;
    }
  }
}

TEST(WindowPlace, BesideTheOtherWindowElseNarrowedOnTheWiderSideElseOverItsLeftPart) {
  const QRect screen(0, 0, 1920, 1200), scaled150(0, 0, 1280, 800);
  const struct {
    QRect other;
    QSize outer;
    int least;
    QRect screen, placed;
  } rows[] = {
      {{0, 0, 1056, 680}, {776, 500}, 300, screen, {1064, 0, 776, 500}},      // right
      {{800, 100, 1056, 680}, {776, 500}, 300, screen, {16, 100, 776, 500}},  // left
      {{400, 0, 1056, 680}, {776, 500}, 300, screen, {1464, 0, 456, 500}},    // narrowed
      {{0, 0, 1056, 680}, {556, 560}, 556, scaled150, {0, 0, 556, 560}},      // over the graphs
      {{0, 700, 400, 400}, {776, 600}, 300, screen, {408, 600, 776, 600}},    // kept on screen
  };
  for (const auto& row : rows)
    EXPECT_EQ(PlaceBeside(row.outer, row.least, row.other, row.screen), row.placed)
        << row.other.x();
}
