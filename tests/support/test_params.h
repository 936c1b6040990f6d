// The sensor's parameter set the tests start from, and variants of it with
// some words changed, so each test names only the words it depends on.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <utility>

#include "sim/parameters.h"

using ParamWords = std::array<uint16_t, 16>;

// The simulated sensor's power-on set with its 1024-pixel CCD.
inline constexpr ParamWords kTestParams = {500, 0,   512, 64, 1, 1, 1, 1024,
                                           512, 100, 1,   1,  0, 1, 0, 1000};

inline ParamWords TestParams(std::initializer_list<std::pair<sim::Param, uint16_t>> changed = {}) {
  ParamWords words = kTestParams;
  for (const auto& [place, value] : changed) words[place] = value;
  return words;
}

// A set that differs from the power-on one in most words, with background mode
// 2 (the one that offers the background teach): what the panels show after a
// read cannot have been there before it.
inline ParamWords DistinctTestParams() {
  return TestParams({{sim::kPower, 640},
                     {sim::kPwrMode, 1},
                     {sim::kVThd, 480},
                     {sim::kEMode, 0},
                     {sim::kEBeg, 20},
                     {sim::kEEnd, 900},
                     {sim::kTVal, 300},
                     {sim::kTTol, 40},
                     {sim::kBMode, 2},
                     {sim::kPara15, 950}});
}
