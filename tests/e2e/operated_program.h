// The real program started against a sensor on a pty, and both torn down after
// the test: Start() for the simulated sensor (unpaced unless the config says
// otherwise, its RAM preset if given); StartSensor() and StartOn(device) for
// tests that keep the bring-up's requests, put the sensor behind another path
// or play the sensor themselves. Then the status texts shown since a mark, the
// orders the sensor received, the settings panel brought into view.
#pragma once

#include <QTimer>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "runtime/testing/inspect.h"
#include "sim/sim_thread.h"
#include "tests/e2e/program.h"
#include "tests/support/test_params.h"
#include "tests/support/wait.h"

class OperatedProgram : public ::testing::Test {
 protected:
  // Starts the simulated sensor and the program against it, and forgets the
  // bring-up's requests and texts.
  void Start(sim::Config config = Unpaced(), std::optional<ParamWords> ram = std::nullopt) {
    ASSERT_NO_FATAL_FAILURE(StartSensor(config, ram));
    ASSERT_NO_FATAL_FAILURE(StartOn(sensor_->SlavePath()));
    sensor_->ClearRequests();
    MarkTexts();
  }
  // A fresh simulated sensor on a new pty (the one before, if any, is gone).
  void StartSensor(sim::Config config = Unpaced(), std::optional<ParamWords> ram = std::nullopt) {
    if (sensor_) sensor_->Stop();
    sensor_ = std::make_unique<sim::SimThread>(config);
    if (ram) sensor_->SetRam(*ram);
    std::string error;
    ASSERT_TRUE(sensor_->Start(&error)) << error;
  }
  // Starts the program against `device`. A loop that never ends would hang the
  // test: after 20 s it is stopped and the test fails.
  void StartOn(const std::string& device) {
    ASSERT_EQ(StartProgram(device), 0);
    started_ = true;
    watchdog_.setSingleShot(true);
    QObject::connect(&watchdog_, &QTimer::timeout, [this] {
      watchdogFired_ = true;
      stop_flag = 1;
    });
    watchdog_.start(20000);
  }
  static sim::Config Unpaced() {
    sim::Config config;
    config.paced = false;
    return config;
  }
  void TearDown() override {
    ReleaseTestTimer();
    ClearFileSelectAnswers();
    ClearConfirmAnswers();
    EXPECT_FALSE(watchdogFired_) << "the loop did not end by itself";
    if (started_) ShutDown();
    started_ = false;
    if (sensor_) sensor_->Stop();
  }

  // Status texts shown from here on.
  void MarkTexts() { textsBefore_ = InspectShownTexts(panelHandle, TEXT_Status).size(); }
  std::vector<std::string> TextsSinceMark() const {
    const std::vector<std::string> all = InspectShownTexts(panelHandle, TEXT_Status);
    EXPECT_LT(all.size(), 64u) << "the engine keeps 64 texts; the mark may have moved";
    return std::vector<std::string>(all.begin() + std::min(textsBefore_, all.size()), all.end());
  }

  void ShowSettingsPanel() {
    ASSERT_EQ(InspectPanelVisible(panelPopUp), 0);
    ASSERT_EQ(SimulateClick(panelHandle, BTNSettings), 0);
    ASSERT_EQ(InspectPanelVisible(panelPopUp), 1);
  }
  void Silence() {
    sensor_->Update([](sim::Config& c) { c.faults.silent = true; });
  }
  // Returns once nothing the program sent is still on its way to the sensor.
  void AwaitSentRequests() {
    const size_t skipped = sensor_->DiscardedBytes() + kMarkerBytes;
    SendMarker(sensor_->SlavePath());
    EXPECT_TRUE(WaitUntil([&] { return sensor_->DiscardedBytes() >= skipped; }, 2.0));
  }
  // The orders the sensor received so far, none still on the way; then forgotten.
  std::vector<int> TakeOrders() {
    AwaitSentRequests();
    const std::vector<int> orders = sensor_->Orders();
    sensor_->ClearRequests();
    return orders;
  }
  static void PressStop() { ASSERT_EQ(SimulateClick(panelHandle, BTNStop), 0); }

  static ParamWords Package() {
    ParamWords words{};
    for (int i = 0; i < 16; ++i) words[i] = pp[i];
    return words;
  }
  // The package the variables make now (pp is packed as a side effect).
  static ParamWords PackedVariables() {
    CopyVarsToPP();
    return Package();
  }
  // The parameter variables in package order.
  static ParamWords Variables() {
    return {power, pwrMode, vThd,  bVal,  polarity, eMode,  eBeg,  eEnd,
            tVal,  tTol,    iGain, ePoti, ccdMode,  pStart, bMode, para15};
  }
  static double CursorX(int cursor) {
    double x = -1, y = -1;
    InspectGraphCursor(panelHandle, GRAPH_Scope, cursor, &x, &y);
    return x;
  }

  std::unique_ptr<sim::SimThread> sensor_;
  bool started_ = false;
  size_t textsBefore_ = 0;
  QTimer watchdog_;
  bool watchdogFired_ = false;
};
