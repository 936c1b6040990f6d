// The real program started against the simulated sensor on COM1, for tests
// that operate its panels: the status texts shown since a mark, the words of
// the requests the sensor received, the settings panel brought into view.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "runtime/testing/inspect.h"
#include "sim/sim_thread.h"
#include "tests/e2e/program.h"

class OperatedProgram : public ::testing::Test {
 protected:
  // Starts the sensor (unpaced unless the config says otherwise), then the
  // program against it, and forgets the bring-up's requests.
  void Start(sim::Config config = Unpaced(), const std::array<uint16_t, 16>* ram = nullptr) {
    sensor_ = std::make_unique<sim::SimThread>(config);
    if (ram) sensor_->SetRam(*ram);
    std::string error;
    ASSERT_TRUE(sensor_->Start(&error)) << error;
    ASSERT_EQ(StartProgram(sensor_->SlavePath()), 0);
    started_ = true;
    sensor_->ClearRequests();
    MarkTexts();
  }
  static sim::Config Unpaced() {
    sim::Config config;
    config.paced = false;
    return config;
  }
  void TearDown() override {
    ReleaseTestTimer();
    if (started_) ShutDown();
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

  static std::array<uint16_t, 16> Package() {
    std::array<uint16_t, 16> words{};
    for (int i = 0; i < 16; ++i) words[i] = pp[i];
    return words;
  }
  static double CursorX(int cursor) {
    double x = -1, y = -1;
    InspectGraphCursor(panelHandle, GRAPH_Scope, cursor, &x, &y);
    return x;
  }

  std::unique_ptr<sim::SimThread> sensor_;
  bool started_ = false;
  size_t textsBefore_ = 0;
};
