#include "watch/qt/trend.h"

#include <QKeySequence>
#include <QPointer>
#include <QPushButton>
#include <memory>

#include "runtime/feature_window.h"
#include "runtime/panel_slots.h"
#include "watch/qt/freeze.h"
#include "watch/qt/trend_window.h"

namespace watch {
namespace {

// The scope's title row: Trend, then Freeze (before the scope in the
// keyboard's order).
constexpr char kSlot[] = "scope-title";

struct Trend {
  Freeze freeze;  // before the window, which is bound to it
  std::unique_ptr<TrendWindow> window;
  int panel = 0;
  QPointer<QPushButton> trendButton, freezeButton;

  ~Trend() {
    RemovePanelSlotsListener(&Trend::Attach, this);
    delete trendButton;
    delete freezeButton;
  }

  void showWindow() { OpenFeatureWindow(window.get(), PanelWindowOf(panel)); }

  static void Attach(int panel, void* trend) { static_cast<Trend*>(trend)->attach(panel); }

  void attach(int shown) {
    // A new main panel has its graphs free: the state starts afresh.
    freeze.setFrozen(false);
    panel = shown;
    // The trend watches every Run from the first panel on, shown or not.
    if (!window) window = std::make_unique<TrendWindow>(freeze);
    trendButton = new QPushButton;
    trendButton->setAutoDefault(false);
    QObject::connect(trendButton, &QPushButton::clicked, [this] { showWindow(); });
    if (AddSlotCommand(
            panel, kSlot, trendButton,
            {"Trend", "Trend", "The measured value over the Run and its statistics (Ctrl+T)",
             QKeySequence(Qt::CTRL | Qt::Key_T), 0}) != 0)
      delete trendButton;

    freezeButton = new QPushButton;
    freezeButton->setCheckable(true);
    freezeButton->setAutoDefault(false);
    QObject::connect(freezeButton, &QPushButton::toggled, &freeze, &Freeze::setFrozen);
    QObject::connect(&freeze, &Freeze::changed, freezeButton, &QPushButton::setChecked);
    if (AddSlotCommand(panel, kSlot, freezeButton,
                       {"Freeze", "Freeze", "Hold the graphs and the trend on screen (Ctrl+F)",
                        QKeySequence(Qt::CTRL | Qt::Key_F), 1}) != 0)
      delete freezeButton;
  }
};

Trend* g_trend = nullptr;

}  // namespace
}  // namespace watch

void InstallTrend() {
  using watch::g_trend;
  if (g_trend != nullptr) return;
  g_trend = new watch::Trend;
  AddPanelSlotsListener(&watch::Trend::Attach, g_trend);
}

void UninstallTrend() {
  using watch::g_trend;
  if (g_trend == nullptr) return;
  g_trend->freeze.setFrozen(false);
  delete g_trend;
  g_trend = nullptr;
}
