#include "watch/qt/trend_window.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QShortcut>
#include <QVBoxLayout>

#include "runtime/feature_window.h"

namespace watch {
namespace {

constexpr char kStatisticsName[] = "runStatistics";
// The label follows the frames at most twice a second, by the line's clock (a
// frame's time); a time-out (1.5 s apart at least) and the Run's end at once.
constexpr double kStatisticsGapMs = 500.0;

// The statistics label read as "Run statistics" with the whole line as its
// value (a plain label would give only its name).
class StatisticsAccessible : public QAccessibleWidget {
 public:
  explicit StatisticsAccessible(QWidget* label)
      : QAccessibleWidget(label, QAccessible::StaticText) {}
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return widget()->accessibleDescription();
    return QAccessibleWidget::text(t);
  }
};

QAccessibleInterface* StatisticsFactory(const QString&, QObject* object) {
  auto* label = qobject_cast<QLabel*>(object);
  if (label != nullptr && label->objectName() == kStatisticsName)
    return new StatisticsAccessible(label);
  return nullptr;
}

}  // namespace

TrendWindow::TrendWindow(Freeze& freeze) {
  static const bool factoryInstalled = (QAccessible::installFactory(StatisticsFactory), true);
  (void)factoryInstalled;
  setObjectName("TrendWindow");
  setWindowTitle("Trend");
  setAttribute(Qt::WA_QuitOnClose, false);  // closing the main panel ends the program

  plot_ = new TrendPlot(series_, this);
  statisticsLabel_ = new QLabel(this);
  statisticsLabel_->setObjectName(kStatisticsName);
  statisticsLabel_->setAccessibleName("Run statistics");
  // Three lines always, so that new figures never move the plot (which would
  // repaint all of it).
  statisticsLabel_->setFixedHeight(3 * statisticsLabel_->fontMetrics().lineSpacing() + 4);
  statisticsLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  statisticsLabel_->setTextFormat(Qt::PlainText);
  freeze_ = new QPushButton("&Freeze", this);
  freeze_->setAccessibleName("Freeze");
  freeze_->setToolTip("Hold the graphs and the trend on screen while the Run goes on (Ctrl+F)");
  freeze_->setCheckable(true);
  freeze_->setChecked(freeze.frozen());
  freeze_->setAutoDefault(false);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(statisticsLabel_, 1);
  bottom->addWidget(freeze_, 0, Qt::AlignTop);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(plot_, 1);
  layout->addLayout(bottom);
  setTabOrder(plot_, freeze_);
  resize(760, 460);

  plot_->setFrozen(freeze.frozen());
  connect(freeze_, &QPushButton::toggled, &freeze, &Freeze::setFrozen);
  connect(&freeze, &Freeze::changed, this, [this](bool frozen) {
    freeze_->setChecked(frozen);
    plot_->setFrozen(frozen);
  });
  auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
  connect(shortcut, &QShortcut::activated, freeze_, &QPushButton::toggle);

  showStatistics();
  AddRunObserver(this);
  PrepareFeatureWindow(this, freeze_);
}

TrendWindow::~TrendWindow() {
  RemoveRunObserver(this);
}

void TrendWindow::RunStarted() {
  series_.Clear();
  statistics_.Reset();
  shownAtMs_ = -kStatisticsGapMs;
  plot_->seriesChanged();
  showStatistics();
}

void TrendWindow::FrameReceived(const RunFrame& frame) {
  const double seconds = frame.runMs / 1000.0;
  const uint16_t value = frame.words[fields::kMeasuredValue];
  const uint16_t teach = frame.words[fields::kTeachValue];
  const uint16_t tolerance = frame.words[fields::kTolerance];
  series_.Add(seconds, value, teach, tolerance);
  statistics_.AddFrame(seconds, value, teach, tolerance);
  plot_->seriesChanged();
  // Frames come many times a second: the label takes one at most every gap;
  // the newest frame's figures are shown with the next after it.
  if (frame.runMs < shownAtMs_ || frame.runMs - shownAtMs_ >= kStatisticsGapMs) {
    shownAtMs_ = frame.runMs;
    showStatistics();
  }
}

void TrendWindow::TimedOut() {
  statistics_.AddTimeout();
  showStatistics();
}

void TrendWindow::RunEnded() {
  showStatistics();  // the Run's last word, at once
}

// Shown one part a line; read as the whole line.
void TrendWindow::showStatistics() {
  const QString line = QString::fromStdString(statistics_.Text());
  if (line == statisticsLabel_->accessibleDescription()) return;
  statisticsLabel_->setText(QString(line).replace("; ", "\n"));
  statisticsLabel_->setAccessibleDescription(line);
  QAccessibleValueChangeEvent event(statisticsLabel_, line);
  QAccessible::updateAccessibility(&event);
}

}  // namespace watch
