#include "watch/qt/trend.h"

#include <QKeySequence>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <memory>

#include "runtime/feature_window.h"
#include "watch/qt/freeze.h"
#include "watch/qt/main_panel.h"
#include "watch/qt/trend_window.h"

namespace watch {
namespace {

// On the scope's title row (panel pixels): right of its title, above its
// plot area.
constexpr int kTrendLeft = 528, kFreezeLeft = 610, kTop = 107, kHeight = 24;
constexpr int kTrendWidth = 76, kFreezeWidth = 80;
constexpr char kScopeName[] = "Scope: edges, measured value, tolerance band";

struct Trend {
  Freeze freeze;  // before the window, which is bound to it
  std::unique_ptr<TrendWindow> window;
  std::unique_ptr<MainPanelWatcher> watcher;
  QPointer<QPushButton> trendButton, freezeButton;
  QPointer<QShortcut> trendShortcut, freezeShortcut;

  ~Trend() {
    delete trendButton;
    delete freezeButton;
    delete trendShortcut;
    delete freezeShortcut;
  }

  void showWindow() { OpenFeatureWindow(window.get(), watcher ? watcher->Panel() : nullptr); }

  void attach(QWidget* panel, QWidget* canvas) {
    // A new main panel has its graphs free: the state starts afresh.
    freeze.setFrozen(false);
    trendButton = new QPushButton("Trend", canvas);
    trendButton->setAccessibleName("Trend");
    trendButton->setToolTip("The measured value over the Run and its statistics (Ctrl+T)");
    trendButton->setAutoDefault(false);
    trendButton->setGeometry(kTrendLeft, kTop, kTrendWidth, kHeight);
    QObject::connect(trendButton, &QPushButton::clicked, [this] { showWindow(); });

    freezeButton = new QPushButton("Freeze", canvas);
    freezeButton->setAccessibleName("Freeze");
    freezeButton->setToolTip("Hold the graphs and the trend on screen (Ctrl+F)");
    freezeButton->setCheckable(true);
    freezeButton->setAutoDefault(false);
    freezeButton->setGeometry(kFreezeLeft, kTop, kFreezeWidth, kHeight);
    QObject::connect(freezeButton, &QPushButton::toggled, &freeze, &Freeze::setFrozen);
    QObject::connect(&freeze, &Freeze::changed, freezeButton, &QPushButton::setChecked);
    // In the keyboard's order just before the scope, which they stand above.
    for (QWidget* scope : canvas->findChildren<QWidget*>()) {
      if (scope->accessibleName() != kScopeName) continue;
      QWidget* before = scope->previousInFocusChain();
      while (before != scope && (before->focusPolicy() & Qt::TabFocus) == 0)
        before = before->previousInFocusChain();
      if (before != scope) QWidget::setTabOrder(before, trendButton);
      QWidget::setTabOrder(trendButton, freezeButton);
      break;
    }
    trendButton->show();
    freezeButton->show();

    trendShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_T), panel);
    QObject::connect(trendShortcut, &QShortcut::activated, [this] { showWindow(); });
    freezeShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), panel);
    QObject::connect(freezeShortcut, &QShortcut::activated, freezeButton, &QPushButton::toggle);
  }
};

Trend* g_trend = nullptr;

}  // namespace
}  // namespace watch

void InstallTrend() {
  using watch::g_trend;
  if (g_trend != nullptr) return;
  g_trend = new watch::Trend;
  g_trend->window = std::make_unique<watch::TrendWindow>(g_trend->freeze);
  g_trend->watcher = std::make_unique<watch::MainPanelWatcher>(
      [](QWidget* panel, QWidget* canvas) { g_trend->attach(panel, canvas); });
}

void UninstallTrend() {
  using watch::g_trend;
  if (g_trend == nullptr) return;
  g_trend->freeze.setFrozen(false);
  delete g_trend;
  g_trend = nullptr;
}
