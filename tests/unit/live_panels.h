// Both panels of the program's resource, loaded for tests of the drawing
// procedures (no sensor, no bring-up).
#pragma once

#include <cstdlib>

#include <gtest/gtest.h>

#include "display/controls.h"
#include "runtime/testing/resource_path.h"
#include "runtime/userint.h"

class LivePanels : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* uir = PanelResourcePath();
    panelHandle = LoadPanel(0, uir, 1);
    ASSERT_GT(panelHandle, 0);
    panelPopUp = LoadPanel(panelHandle, uir, 2);
    ASSERT_GT(panelPopUp, 0);
  }
  void TearDown() override {
    DiscardPanel(panelPopUp);
    DiscardPanel(panelHandle);
  }
};
