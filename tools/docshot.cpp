// vantrel-docshot: pictures for the documentation, taken from the real program
// against the simulated sensor (paced like a real 19200-baud line).
//
//   vantrel-docshot Vantrel.uir out.png           both panels after start-up
//   vantrel-docshot --run Vantrel.uir out.png     the main panel while Run goes on
//   vantrel-docshot --video Vantrel.uir out.png   the main panel while Video data goes on
//   vantrel-docshot --screen Vantrel.uir out.png  the whole screen after the settings
//                                                 button was clicked (where the windows lie)
//   vantrel-docshot --monitor-run Vantrel.uir out.png    the line monitor during Run
//   vantrel-docshot --monitor-video Vantrel.uir out.png  the line monitor during Video data
//   vantrel-docshot --trend Vantrel.uir out.png          the trend window after a Run of 40 s
//   vantrel-docshot --frozen-data Vantrel.uir out.png    the main panel during Video data,
//                                                        frozen, the data graph zoomed to a
//                                                        dragged rectangle, the read-out
//                                                        under the pointer
//   vantrel-docshot --compare Vantrel.uir out.png        the compare window: RAM, EEPROM and
//                                                        the panels differing in three values
//   vantrel-docshot --find-sensor Vantrel.uir out.png    the Find sensor window after probing
//                                                        two simulated sensors (COM1, COM2)
//                                                        and a silent one (COM3)
//   vantrel-docshot --grown Vantrel.uir out.png          the main panel while Run goes on, its
//                                                        window grown to the screen's room
//   vantrel-docshot --beside Vantrel.uir out.png         the whole screen after Trend was
//                                                        opened (where a new window lies)
//
// The program starts as usual (COM1 is the simulator's pseudo-terminal). For
// the live pictures the command button is clicked as the operator would; the
// picture is taken from inside the running loop, then Stop is pressed.
#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/vantrel.h"
#include "display/controls.h"
#include "monitor/qt/line_monitor.h"
#include "ports/qt/find_sensor.h"
#include "runtime/testing/inspect.h"
#include "runtime/testing/inspect_widgets.h"
#include "runtime/userint.h"
#include "runtime/utility.h"
#include "sets/views/compare.h"
#include "sim/sim_thread.h"
#include "tools/panel_image.h"
#include "watch/qt/watch_tools.h"

namespace {
constexpr double LIVE_SECONDS = 2.0;  // the loop runs this long before the picture

void Settle(double seconds) {
  const double start = Timer();
  while (Timer() - start < seconds) ProcessSystemEvents();
}

// The line monitor's window, opened with its button on the main panel.
QWidget* OpenLineMonitor() {
  for (QWidget* top : QApplication::topLevelWidgets()) {
    for (QPushButton* b : top->findChildren<QPushButton*>())
      if (b->accessibleName() == "Line monitor") b->click();
  }
  for (QWidget* top : QApplication::topLevelWidgets())
    if (top->objectName() == "LineMonitorWindow" && top->isVisible()) return top;
  return nullptr;
}

// Presses the command with `accessibleName` on the main panel.
void Press(const char* accessibleName) {
  for (QWidget* top : QApplication::topLevelWidgets())
    for (QAbstractButton* b : top->findChildren<QAbstractButton*>())
      if (b->accessibleName() == accessibleName && b->isVisible()) {
        b->click();
        return;
      }
}

QWidget* Window(const char* objectName) {
  for (QWidget* top : QApplication::topLevelWidgets())
    if (top->objectName() == objectName && top->isVisible()) return top;
  return nullptr;
}

// A mouse event on `w` at a fraction of its size, as the window system sends it.
void Mouse(QWidget* w, QEvent::Type type, double fx, double fy, Qt::MouseButtons buttons) {
  const QPointF at(w->width() * fx, w->height() * fy);
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent event(type, at, w->mapToGlobal(at), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(w, &event);
}

// Freeze pressed, then the data graph zoomed to a rectangle dragged around
// the right edge of the shadow and the pointer rested on the video line there.
void FreezeAndZoomData() {
  Press("Freeze");
  QWidget* graph = InspectControlWidget(panelHandle, GRAPH_Data);
  graph->setFocus(Qt::MouseFocusReason);
  Mouse(graph, QEvent::MouseButtonPress, 0.45, 0.08, Qt::LeftButton);
  Mouse(graph, QEvent::MouseMove, 0.80, 0.80, Qt::LeftButton);
  Mouse(graph, QEvent::MouseButtonRelease, 0.80, 0.80, Qt::NoButton);
  Mouse(graph, QEvent::MouseMove, 0.55, 0.40, Qt::NoButton);
}

// Clicks `button`, takes the picture (of `window`, else of the main panel)
// after LIVE_SECONDS from inside the loop it starts, then presses Stop.
// Returns 0 when the picture was written.
int ShootLoop(int button, const char* png, QWidget* window = nullptr, double seconds = LIVE_SECONDS,
              void (*before)() = nullptr) {
  int result = -1;
  bool taken = false;
  // `before` runs halfway, so the picture shows what came after it too.
  if (before != nullptr) QTimer::singleShot(static_cast<int>(seconds * 500), before);
  QTimer::singleShot(static_cast<int>(seconds * 1000), [&] {
    if (window != nullptr) {
      result = window->grab().save(png) ? 0 : -1;
    } else {
      result = SavePanel(panelHandle, png);
    }
    taken = true;
    SimulateClick(panelHandle, BTNStop);
  });
  if (SimulateClick(panelHandle, button) != 0) {
    std::fprintf(stderr, "vantrel-docshot: the button did not take the click\n");
    return -1;
  }
  if (!taken) std::fprintf(stderr, "vantrel-docshot: the loop ended before the picture\n");
  return result;
}
}  // namespace

int main(int argc, char** argv) {
  int mode = 0;  // 0 panels, 1 run, 2 video
  if (argc == 4 && std::strcmp(argv[1], "--run") == 0) mode = 1;
  if (argc == 4 && std::strcmp(argv[1], "--video") == 0) mode = 2;
  if (argc == 4 && std::strcmp(argv[1], "--screen") == 0) mode = 3;
  if (argc == 4 && std::strcmp(argv[1], "--monitor-run") == 0) mode = 4;
  if (argc == 4 && std::strcmp(argv[1], "--monitor-video") == 0) mode = 5;
  if (argc == 4 && std::strcmp(argv[1], "--trend") == 0) mode = 6;
  if (argc == 4 && std::strcmp(argv[1], "--frozen-data") == 0) mode = 7;
  if (argc == 4 && std::strcmp(argv[1], "--compare") == 0) mode = 8;
  if (argc == 4 && std::strcmp(argv[1], "--find-sensor") == 0) mode = 9;
  if (argc == 4 && std::strcmp(argv[1], "--grown") == 0) mode = 10;
  if (argc == 4 && std::strcmp(argv[1], "--beside") == 0) mode = 11;
  if (!(argc == 3 || mode != 0)) {
    std::fprintf(stderr,
                 "usage: vantrel-docshot [--run|--video|--screen|--monitor-run|--monitor-video|\n"
                 "                        --trend|--frozen-data|--compare|--find-sensor|\n"
                 "                        --grown|--beside] "
                 "<panel resource> <out.png>\n");
    return 2;
  }
  const char* resource = argv[argc - 2];
  const char* png = argv[argc - 1];

  sim::SimThread sensor{sim::Config{}};
  std::string error;
  if (!sensor.Start(&error)) {
    std::fprintf(stderr, "vantrel-docshot: simulated sensor: %s\n", error.c_str());
    return 1;
  }
  setenv("VANTREL_COM1", sensor.SlavePath().c_str(), 1);
  // For the sensor search: a second sensor of another firmware, and a silent one.
  sim::Config secondConfig;
  secondConfig.firmware = "Q-VOR line sensor  FW 1.95  2024-03-12";
  sim::Config silentConfig;
  silentConfig.faults.silent = true;
  sim::SimThread second{secondConfig}, silent{silentConfig};
  if (mode == 9) {
    if (!second.Start(&error) || !silent.Start(&error)) {
      std::fprintf(stderr, "vantrel-docshot: simulated sensor: %s\n", error.c_str());
      return 1;
    }
    setenv("VANTREL_COM2", second.SlavePath().c_str(), 1);
    setenv("VANTREL_COM3", silent.SlavePath().c_str(), 1);
  }
  // As in the program: the line monitor's button and link light are on the panel.
  InstallLineMonitor(nullptr);
  InstallWatchTools();
  InstallCompare();
  InstallFindSensor();
  if (StartUp(1, argv, resource) != 0) return 1;

  int result = 0;
  if (mode == 0) {
    DisplayPanel(panelPopUp);
    Settle(0.5);
    result = SavePanelsSideBySide(panelHandle, panelPopUp, png);
  } else if (mode == 3) {
    Settle(0.5);
    SimulateClick(panelHandle, BTNSettings);
    Settle(0.5);
    QScreen* screen = QGuiApplication::primaryScreen();
    result = screen != nullptr && screen->grabWindow(0).save(png) ? 0 : -1;
  } else if (mode == 6) {
    Settle(0.3);
    Press("Trend");
    QWidget* window = Window("TrendWindow");
    if (window == nullptr) {
      std::fprintf(stderr, "vantrel-docshot: the trend window did not open\n");
      return 1;
    }
    window->resize(900, 560);
    result = ShootLoop(BTNRun, png, window, 40.0);
  } else if (mode == 8) {
    // The EEPROM holds an older set; the panels an edit not yet sent.
    std::array<uint16_t, 16> eeprom = sensor.Ram();
    eeprom[0] = 450;
    eeprom[8] = 300;
    sensor.SetEeprom(eeprom);
    SetCtrlVal(panelPopUp, NEDITTolerance, 80);
    Settle(0.3);
    Press("Compare");
    QWidget* window = Window("CompareWindow");
    if (window == nullptr) {
      std::fprintf(stderr, "vantrel-docshot: the compare window did not open\n");
      return 1;
    }
    Settle(0.3);
    result = window->grab().save(png) ? 0 : -1;
  } else if (mode == 9) {
    Settle(0.3);
    Press("Find sensor");
    QWidget* window = Window("FindSensorWindow");
    if (window == nullptr) {
      std::fprintf(stderr, "vantrel-docshot: the Find sensor window did not open\n");
      return 1;
    }
    Settle(2.5);  // the silent sensor's line check runs out after 1.5 s
    result = window->grab().save(png) ? 0 : -1;
  } else if (mode == 10) {
    QWidget* main = InspectPanelWindow(panelHandle);
    const QRect room = main->screen()->availableGeometry();
    main->setGeometry(room.left(), room.top(), room.width() - 16, room.height() - 40);
    Settle(0.3);
    result = ShootLoop(BTNRun, png, main);
  } else if (mode == 11) {
    Settle(0.3);
    Press("Trend");
    Settle(0.5);
    QScreen* screen = QGuiApplication::primaryScreen();
    result = screen != nullptr && screen->grabWindow(0).save(png) ? 0 : -1;
  } else if (mode == 7) {
    Settle(0.3);
    result = ShootLoop(BTNData, png, nullptr, 4.0, FreezeAndZoomData);
  } else if (mode >= 4) {
    Settle(0.3);
    QWidget* window = OpenLineMonitor();
    if (window == nullptr) {
      std::fprintf(stderr, "vantrel-docshot: the line monitor did not open\n");
      return 1;
    }
    window->resize(1040, 520);
    result = ShootLoop(mode == 4 ? BTNRun : BTNData, png, window);
  } else {
    Settle(0.3);
    result = ShootLoop(mode == 1 ? BTNRun : BTNData, png);
  }
  ShutDown();
  sensor.Stop();
  return result == 0 ? 0 : 1;
}
