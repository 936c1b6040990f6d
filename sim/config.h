// Everything that shapes one simulated sensor: the CCD, the scene, the stores,
// the pacing and the fault switches.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "sim/faults.h"
#include "sim/replay_script.h"
#include "sim/scene.h"
#include "sim/sensor_model.h"

namespace sim {

struct Config {
  int ccd_type = 1;                         // 1, 2 (1024 pixels) or 3 (512 pixels)
  bool paced = true;                        // replies at 19200 baud; false: at once
  uint64_t seed = 1;                        // noise, pixel deviations and garbage bytes
  std::string firmware = kDefaultFirmware;  // at most 72 characters are sent
  std::string eeprom_path;                  // EEPROM file; empty: kept in memory only
  SceneConfig scene;                        // object, motion and noise
  Faults faults;
  bool log = false;  // one line per request to the request log
  // Replay: requests are answered with what this trace recorded instead of
  // by the sensor model (the fault switches do not apply). Null: the model.
  std::shared_ptr<const ReplayScript> replay;
};

inline ModelConfig ModelPart(const Config& config) {
  ModelConfig model;
  model.ccd_type = config.ccd_type;
  model.seed = config.seed;
  model.firmware = config.firmware;
  model.scene = config.scene;
  return model;
}

}  // namespace sim
