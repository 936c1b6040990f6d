// The simulated sensor itself, without any file descriptor: requests in,
// reply bytes out, with the parameter stores, the scene and the taught
// background as state. Not thread-safe; the server serialises access.
//
// Orders:
//  1 write RAM, 3 write EEPROM: store the 16 words as sent; no reply.
//  2 read RAM, 4 read EEPROM: frame with the stored words.
//  5 echo check: frame echoing the request's words.
//  6 teach: words that form a parameter set (IsParameterSet) with background
//    mode 2 in word 14 ask for a background teach: the set is taken into RAM,
//    a fresh raw line is taken with it and learnt as the background. Any
//    other words ask for a set-point teach: the current line is measured with
//    the RAM set and a found value becomes tVal in RAM (no value found: tVal
//    stays). Both reply with a frame of the RAM words.
//  7 firmware info: 72 bytes of text.
//  8 measure: words that form a parameter set are first taken into RAM (the
//    PC's run loop sends its parameters with every request; its data loop
//    re-sends the last measurement words, which never form a set and are
//    ignored). Then the line is measured with the RAM set; frame with the
//    measurement words (see MeasurementWords).
//  9 video block: word 0 = block start (first of 64 samples), word 1 =
//    last-block flag (not used). 128 bytes: samples start..start+63 of the
//    current 256-sample line; samples past 255 read 0.
// 10 CCD info: frame with type, pixel count, resolution (pitch in 0.1 um).
//
// Scene time: the object moves one scene step per measured line. A request
// for video block 0 takes a fresh line and advances the scene by 10 steps (a
// video pass keeps the line about ten times as long as a measurement). The
// next measurement evaluates that same line instead of taking a new one, so
// the video and the measurement of a pass agree; any other measurement takes
// a fresh line. The scene never depends on the wall clock.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sim/evaluation.h"
#include "sim/protocol.h"
#include "sim/scene.h"
#include "sim/scene_line.h"

namespace sim {

constexpr const char* kDefaultFirmware = "Q-VOR simulated line sensor  FW 2.07  2026-11-30";
constexpr uint64_t kVideoPassSteps = 10;

struct ModelConfig {
  int ccd_type = 1;  // 1, 2, 3; another code is reported as is, with 1024 pixels
  uint64_t seed = 1;
  std::string firmware = kDefaultFirmware;  // at most 72 characters are sent
  SceneConfig scene;
};

enum class TeachKind { kNone, kSetPoint, kBackground };

class SensorModel {
 public:
  // Power-on with the default EEPROM for the CCD type; RAM is a copy of it.
  explicit SensorModel(const ModelConfig& config);
  // Power-on with a given EEPROM content; RAM is a copy of it.
  SensorModel(const ModelConfig& config, const Words& eeprom);

  // Takes effect at once. A new CCD type (another pixel count) drops the taught
  // background and the current line; the stores are kept.
  void SetConfig(const ModelConfig& config);
  const ModelConfig& config() const { return config_; }

  // Handles one request; returns the reply bytes (none for orders 1 and 3 and
  // for codes outside 1..10).
  std::vector<uint8_t> Handle(int order, const Words& words);

  const Words& Ram() const { return ram_; }
  const Words& Eeprom() const { return eeprom_; }
  void SetRam(const Words& words) { ram_ = words; }
  void SetEeprom(const Words& words) { eeprom_ = words; }
  // Called after every EEPROM write (order 3) with the new content.
  void OnEepromWrite(std::function<void(const Words&)> hook) { eeprom_hook_ = std::move(hook); }

  int Pixels() const;
  uint64_t SceneStep() const { return step_; }
  bool HasLine() const { return have_line_; }
  const Line& CurrentLine() const { return line_; }       // after background correction
  const Line& Background() const { return background_; }  // empty until taught
  TeachKind LastTeach() const { return last_teach_; }
  // First pixel of the readout window for the RAM's CCD mode.
  int WindowStart() const;

 private:
  void Acquire(uint64_t advance);
  void PickWindow();
  std::vector<uint8_t> Frame(int order, const Words& words) const;
  std::vector<uint8_t> Measure(const Words& words);
  std::vector<uint8_t> Teach(const Words& words);
  std::vector<uint8_t> VideoBlock(const Words& words);

  ModelConfig config_;
  Words ram_{};
  Words eeprom_{};
  std::function<void(const Words&)> eeprom_hook_;

  SceneLine scene_line_;  // its tables outlive one line
  uint64_t step_ = 0;
  bool have_line_ = false;
  bool video_since_measure_ = false;
  Line raw_;
  Line line_;
  Line background_;
  int picked_start_ = 0;  // CCD mode 2's own window choice
  uint16_t measurements_ = 0;
  TeachKind last_teach_ = TeachKind::kNone;
};

}  // namespace sim
