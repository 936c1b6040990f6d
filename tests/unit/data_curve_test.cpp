// The data graph: the video line and the threshold line against the x array,
// and the x-axis rule by CCD mode, as display lists.
#include <gtest/gtest.h>

#include <vector>

#include "display/data_curve.h"
#include "display/panel_values.h"
#include "display/scope.h"
#include "link/data_block.h"
#include "link/sensor_info.h"
#include "param/params.h"
#include "runtime/testing/inspect.h"
#include "tests/unit/live_panels.h"

namespace {
GraphAxisInfo Axis(int axis) {
  GraphAxisInfo info;
  EXPECT_EQ(InspectGraphAxis(panelHandle, GRAPH_Data, axis, &info), 0);
  return info;
}

class DataCurve : public LivePanels {
 protected:
  void SetUp() override {
    LivePanels::SetUp();
    ccdMode = 0;
    ccdmaxpixel = 1024;
    pix1 = 0;
  }
};
}  // namespace

TEST_F(DataCurve, WholeLineSamplesAtEveryFourthOrSecondPixel) {
  ApplyXAxisRule();
  for (int i = 0; i < VIDEO_SAMPLES; ++i) ASSERT_EQ(xArray[i], 4 * i) << i;
  EXPECT_DOUBLE_EQ(Axis(UI_AXIS_X).min, 1.0);
  EXPECT_DOUBLE_EQ(Axis(UI_AXIS_X).max, 1024.0);

  ccdmaxpixel = 512;
  ApplyXAxisRule();
  for (int i = 0; i < VIDEO_SAMPLES; ++i) ASSERT_EQ(xArray[i], 2 * i) << i;
  EXPECT_DOUBLE_EQ(Axis(UI_AXIS_X).max, 512.0);

  // Before any CCD information: every second pixel, the axis left as it was.
  ccdmaxpixel = 0;
  for (uint16_t& x : xArray) x = 7;
  ApplyXAxisRule();
  for (int i = 0; i < VIDEO_SAMPLES; ++i) ASSERT_EQ(xArray[i], 2 * i) << i;
  EXPECT_DOUBLE_EQ(Axis(UI_AXIS_X).max, 512.0);
}

TEST_F(DataCurve, WindowModesPlaceTheSamplesFromTheWindowStart) {
  for (uint16_t mode : {1, 2}) {
    ccdMode = mode;
    pix1 = 100;
    ApplyXAxisRule();
    for (int i = 0; i < VIDEO_SAMPLES; ++i) ASSERT_EQ(xArray[i], 100 + i) << i;
    EXPECT_DOUBLE_EQ(Axis(UI_AXIS_X).min, 100.0);
    EXPECT_DOUBLE_EQ(Axis(UI_AXIS_X).max, 356.0);
  }
  pix1 = 768;
  ApplyWindowXAxis();
  EXPECT_EQ(xArray[255], 1023);
  EXPECT_DOUBLE_EQ(Axis(UI_AXIS_X).max, 1024.0);
}

TEST_F(DataCurve, TheCurveIsTheVideoLineAndTheThresholdLineOnly) {
  ccdMode = 1;
  pix1 = 200;
  ApplyXAxisRule();
  uint16_t samples[VIDEO_SAMPLES];
  for (int i = 0; i < VIDEO_SAMPLES; ++i) samples[i] = static_cast<uint16_t>(4 * i);
  SetThresholdArray(700);
  PlotDATACurve(samples);
  PlotDATACurve(samples);

  const std::vector<GraphPlotInfo> plots = InspectGraphPlots(panelHandle, GRAPH_Data);
  ASSERT_EQ(plots.size(), 2u);
  for (int i = 0; i < VIDEO_SAMPLES; ++i) {
    ASSERT_EQ(plots[0].x[i], 200 + i);
    ASSERT_EQ(plots[0].y[i], 4 * i);
    ASSERT_EQ(plots[1].x[i], 200 + i);
    ASSERT_EQ(plots[1].y[i], 700);
  }
  EXPECT_EQ(plots[0].color, 0xFF0000);
  EXPECT_EQ(plots[1].color, 0x008000);
  for (const GraphPlotInfo& p : plots) {
    EXPECT_EQ(p.kind, GraphPlotKind::XY);
    EXPECT_EQ(p.plotStyle, 5);
    EXPECT_EQ(p.pointStyle, 10);
    EXPECT_EQ(p.lineStyle, 0);
    EXPECT_EQ(p.pointFrequency, 1);
  }
  EXPECT_DOUBLE_EQ(Axis(UI_AXIS_LEFT_Y).min, 0.0);
  EXPECT_DOUBLE_EQ(Axis(UI_AXIS_LEFT_Y).max, 1023.0);
  EXPECT_DOUBLE_EQ(Axis(UI_AXIS_X).min, 200.0) << "the curve never sets the x axis";
  EXPECT_EQ(InspectGraphSummaryWords(panelHandle, GRAPH_Data),
            "Video line from 0 to 1020; threshold 700");
}

TEST_F(DataCurve, SettingThePanelValuesRedrawsTheLastLineWithTheCheckedThreshold) {
  for (int i = 0; i < VIDEO_SAMPLES; ++i) adcbuf[i] = static_cast<uint16_t>(i);
  ApplyXAxisRule();
  vThd = 2000;  // out of range: the check makes it 512
  SetPanelValues();
  const std::vector<GraphPlotInfo> plots = InspectGraphPlots(panelHandle, GRAPH_Data);
  ASSERT_EQ(plots.size(), 2u);
  EXPECT_EQ(plots[0].y[255], 255);
  EXPECT_EQ(plots[1].y[0], 512);
  EXPECT_EQ(thdArray[255], 512);
  for (uint16_t& sample : adcbuf) sample = 0;
}
