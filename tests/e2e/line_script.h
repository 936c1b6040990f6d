// A sensor played by the test for the acquisition loops: it brings the link up
// like a good sensor, answers measurement and video-block orders from the
// test's own scripts and keeps every request with its 16 words.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/scripted_sensor.h"
#include "tests/support/test_params.h"
#include "tests/support/wait.h"

struct LoggedRequest {
  uint16_t order = 0;
  ScriptedSensor::Words words{};
};

class LineScript {
 public:
  using Words = ScriptedSensor::Words;
  // Reply to the n-th (from 0) measurement request; none when empty.
  using MeasureReply = std::function<std::vector<uint8_t>(int n, const Words& words)>;
  // Reply to a video-block request.
  using BlockReply = std::function<std::vector<uint8_t>(int start, int last)>;

  inline static const Words kRam = TestParams({{sim::kPwrMode, 1},
                                               {sim::kBVal, 60},
                                               {sim::kEMode, 0},
                                               {sim::kTVal, 400},
                                               {sim::kTTol, 20},
                                               {sim::kIGain, 0},
                                               {sim::kBMode, 2}});

  LineScript(MeasureReply measure, BlockReply block = nullptr)
      : measure_(std::move(measure)),
        block_(std::move(block)),
        sensor_([this](uint16_t order, const Words& words) { return Answer(order, words); }) {}

  const ScriptedSensor& sensor() const { return sensor_; }
  std::vector<LoggedRequest> Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return log_;
  }
  // Requests from the first one with `order` on (what a loop sent after the bring-up).
  std::vector<LoggedRequest> From(uint16_t order) const {
    std::vector<LoggedRequest> all = Requests();
    size_t i = 0;
    while (i < all.size() && all[i].order != order) ++i;
    return std::vector<LoggedRequest>(all.begin() + static_cast<long>(i), all.end());
  }
  int Count(uint16_t order) const {
    int n = 0;
    for (const LoggedRequest& r : Requests()) n += (r.order == order);
    return n;
  }
  // Count(order) once nothing the program sent is still on its way.
  int CountArrived(uint16_t order) const {
    const int markers = Count(kMarkerOrder);
    SendMarker(sensor_.slavePath());
    EXPECT_TRUE(WaitUntil([&] { return Count(kMarkerOrder) > markers; }, 2.0));
    return Count(order);
  }

  // A measurement frame with the given words.
  static std::vector<uint8_t> Measurement(const Words& words) {
    return ScriptedSensor::Frame(0x00AA, 8, words);
  }
  // 128 raw bytes: the 64 words `first`, `first` + 1, ...
  static std::vector<uint8_t> Ramp(uint16_t first) {
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 64; ++i) {
      const uint16_t word = static_cast<uint16_t>(first + i);
      bytes.push_back(static_cast<uint8_t>(word >> 8));
      bytes.push_back(static_cast<uint8_t>(word & 0xFF));
    }
    return bytes;
  }

 private:
  std::vector<uint8_t> Answer(uint16_t order, const Words& words) {
    int measured = 0;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      for (const LoggedRequest& r : log_) measured += (r.order == 8);
      log_.push_back({order, words});
    }
    switch (order) {
      case 2:
        return ScriptedSensor::Frame(0x00AA, 2, kRam);
      case 5:
        return ScriptedSensor::Frame(0x00AA, 5, words);
      case 7:
        return ScriptedSensor::Text("line script firmware", 72);
      case 10:
        return ScriptedSensor::Frame(0x00AA, 10, Words{1, 1024, 78});
      case 8:
        return measure_ ? measure_(measured, words) : std::vector<uint8_t>{};
      case 9:
        return block_ ? block_(words[0], words[1]) : std::vector<uint8_t>{};
      default:
        return {};
    }
  }

  MeasureReply measure_;
  BlockReply block_;
  mutable std::mutex mutex_;
  std::vector<LoggedRequest> log_;
  ScriptedSensor sensor_;  // last: its thread calls Answer
};
