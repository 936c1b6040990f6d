// What the CCD line sees: a lit background with a dark object drifting slowly
// back and forth in front of it, plus noise.
//
// Positions are in pixels: pixel p (1-based) is centred at p. The object's
// shadow covers [centre - width/2, centre + width/2] with slightly soft edges.
// The light level follows the power word, the power mode and the gain switch;
// the illumination falls off toward the ends of the line (to 70 % at the
// ends) and every pixel has a small fixed sensitivity deviation (+-2 %, fixed
// per seed). Levels are counts 0..1023.
//
// Everything is a pure function of (config, pixel count, seed, step, power
// words): the same inputs give the same line, whatever was computed before.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/protocol.h"

namespace sim {

struct SceneConfig {
  double object_centre = 0.5;  // rest position of the object's centre, fraction of the line
  double object_width = 0.15;  // width of the shadow, fraction of the line
  double drift = 0.25;         // amplitude of the motion, fraction of the line (0 = still)
  int drift_period = 300;      // scene steps for one full swing back and forth
  double noise = 4.0;          // RMS noise, counts (0 = none)
};

// Dark level of the line (no light), counts.
constexpr double kDarkLevel = 24.0;

// Light level at the centre of the line without object, before saturation:
// power (at most 1000) x 1.6, x 0.625 with low gain (iGain 0), x 1.25 with
// power mode 1. The defaults (500, mode 0, high gain) give 800 counts.
double LightLevel(const Words& params);

// Centre of the object at `step`, in pixels.
double ObjectCentre(const SceneConfig& scene, int pixels, uint64_t step);
// Half the shadow's width, in pixels.
double ObjectHalfWidth(const SceneConfig& scene, int pixels);

// The raw video of the whole line at `step` (index 0 is pixel 1).
std::vector<uint16_t> RawLine(const SceneConfig& scene, int pixels, uint64_t seed, uint64_t step,
                              const Words& params);

}  // namespace sim
