// The scene's shape of light, shadow and noise (sim/scene.h), shared by the
// functions that describe the scene and the one that makes its lines.
#pragma once

#include <cstdint>

namespace sim {

constexpr double kVignette = 0.3;      // light lost at the ends of the line
constexpr double kPixelSpread = 0.02;  // fixed sensitivity deviation per pixel
constexpr double kEdgeBlur = 0.7;      // softness of the shadow's edges, pixels
constexpr double kResidual = 0.04;     // light the object lets through

// Salt values keep the fixed pattern and the noise independent of each other.
constexpr uint64_t kPatternSalt = 0x5049584Cull;
constexpr uint64_t kNoiseSalt = 0x4E4F4953ull;

}  // namespace sim
