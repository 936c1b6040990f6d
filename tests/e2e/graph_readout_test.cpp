// The read-outs under the pointer on the running program's graphs, read the
// way a screen reader reads them: the graph's description while the keyboard's
// marker shows.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QTest>

#include "display/data_curve.h"
#include "param/params.h"
#include "runtime/testing/inspect_widgets.h"
#include "tests/e2e/operated_program.h"
#include "watch/qt/watch_tools.h"

namespace {

class GraphReadout : public OperatedProgram {
 protected:
  void SetUp() override { InstallWatchTools(); }
  void TearDown() override {
    OperatedProgram::TearDown();
    UninstallWatchTools();
  }
  // The description after `key` on the focused graph.
  static std::string After(QWidget* graph, Qt::Key key) {
    QTest::keyClick(graph, key);
    return QAccessible::queryAccessibleInterface(graph)
        ->text(QAccessible::Description)
        .toStdString();
  }
};

}  // namespace

TEST_F(GraphReadout, TellsThePixelItsMicrometresAndTheVideoLevelThere) {
  Start();
  // A whole-line picture: sample i drawn at pixel 4i with level 1000 - i.
  for (int i = 0; i < VIDEO_SAMPLES; ++i) {
    xArray[i] = static_cast<uint16_t>(4 * i);
    adcbuf[i] = static_cast<uint16_t>(1000 - i);
  }
  QWidget* data = InspectControlWidget(panelHandle, GRAPH_Data);
  data->setFocus(Qt::TabFocusReason);
  // The marker starts mid-view (pixel 512) and moves a pixel a key; pixel 513
  // lies nearest the sample drawn at 512, pixel 515 nearest the one at 516.
  // Then the graph's summary of what is drawn (the bring-up drew no video).
  const std::string drawn = "; Video line from 0 to 0; threshold 512";
  EXPECT_EQ(After(data, Qt::Key_Right), "pixel 513 · level 872" + drawn);
  EXPECT_EQ(After(data, Qt::Key_Right), "pixel 514 · level 872" + drawn);
  EXPECT_EQ(After(data, Qt::Key_Right), "pixel 515 · level 871" + drawn);

  QWidget* scope = InspectControlWidget(panelHandle, GRAPH_Scope);
  scope->setFocus(Qt::TabFocusReason);
  // Before any frame the scope sums itself up from what the set read at the
  // bring-up drew (the sensor's window ends at pixel 1024).
  const std::string start =
      "; tolerance band 412 to 612; pixel window 0 to 1023; measured position (M) at 512; "
      "evaluation from (L) at 1; evaluation to (R) at 1024";
  EXPECT_EQ(After(scope, Qt::Key_Right), "pixel 512" + start);
  // The unit switch to micrometres: pixels x 7.8 um, truncated, not scaled.
  ASSERT_EQ(SetCtrlVal(panelHandle, BINSWITCH_UM, 0), 0);
  scaleF = 2.0f;
  EXPECT_EQ(After(scope, Qt::Key_Right), "pixel 513 · 4001 µm" + start);
}
