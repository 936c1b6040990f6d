#include "sim/sensor_model.h"

#include "sim/parameters.h"

namespace sim {

SensorModel::SensorModel(const ModelConfig& config)
    : SensorModel(config, DefaultParameters(config.ccd_type)) {}

SensorModel::SensorModel(const ModelConfig& config, const Words& eeprom)
    : config_(config), ram_(eeprom), eeprom_(eeprom) {
  picked_start_ = InitialWindowStart(Pixels());
}

void SensorModel::SetConfig(const ModelConfig& config) {
  const bool new_line = CcdPixels(config.ccd_type) != Pixels();
  config_ = config;
  if (new_line) {
    background_.clear();
    line_.clear();
    raw_.clear();
    have_line_ = false;
    video_since_measure_ = false;
    picked_start_ = InitialWindowStart(Pixels());
  }
}

int SensorModel::Pixels() const {
  return CcdPixels(config_.ccd_type);
}

int SensorModel::WindowStart() const {
  switch (EffectiveCcdMode(ram_[kCcdMode])) {
    case 1:
      return ram_[kPStart];
    case 2:
      return picked_start_;
    default:
      return 1;
  }
}

void SensorModel::Acquire(uint64_t advance) {
  if (have_line_) step_ += advance;
  scene_line_.Make(config_.scene, Pixels(), config_.seed, step_, ram_, &raw_);
  line_ = CorrectBackground(raw_, ram_, background_);
  have_line_ = true;
  PickWindow();
}

void SensorModel::PickWindow() {
  if (have_line_ && EffectiveCcdMode(ram_[kCcdMode]) == 2) {
    picked_start_ = PickWindowStart(line_, ram_, picked_start_);
  }
}

std::vector<uint8_t> SensorModel::Frame(int order, const Words& words) const {
  return EncodeFrame(kReplySync, static_cast<uint16_t>(order), words);
}

std::vector<uint8_t> SensorModel::Handle(int order, const Words& words) {
  switch (order) {
    case kOrderWriteRam:
      ram_ = words;
      return {};
    case kOrderWriteEeprom:
      eeprom_ = words;
      if (eeprom_hook_) eeprom_hook_(eeprom_);
      return {};
    case kOrderReadRam:
      return Frame(order, ram_);
    case kOrderReadEeprom:
      return Frame(order, eeprom_);
    case kOrderEchoCheck:
      return Frame(order, words);
    case kOrderTeach:
      return Teach(words);
    case kOrderFirmwareInfo:
      return EncodeFirmwareText(config_.firmware);
    case kOrderMeasure:
      return Measure(words);
    case kOrderData64:
      return VideoBlock(words);
    case kOrderCcdInfo: {
      Words info{};
      info[0] = static_cast<uint16_t>(config_.ccd_type);
      info[1] = static_cast<uint16_t>(Pixels());
      info[2] = static_cast<uint16_t>(CcdResolution(config_.ccd_type));
      return Frame(order, info);
    }
    default:
      return {};
  }
}

std::vector<uint8_t> SensorModel::Measure(const Words& words) {
  if (IsParameterSet(words)) ram_ = words;
  if (!have_line_ || !video_since_measure_) {
    Acquire(1);
  } else {
    // Same line as the video pass; new parameters may move mode 2's window.
    PickWindow();
  }
  video_since_measure_ = false;
  ++measurements_;
  return Frame(kOrderMeasure, MeasurementWords(line_, ram_, WindowStart(), measurements_));
}

std::vector<uint8_t> SensorModel::Teach(const Words& words) {
  if (IsParameterSet(words) && words[kBMode] == 2) {
    ram_ = words;
    Acquire(1);
    background_ = LearnBackground(raw_, ram_[kVThd]);
    // The line in hand is now seen through the new background.
    line_ = CorrectBackground(raw_, ram_, background_);
    last_teach_ = TeachKind::kBackground;
  } else {
    if (!have_line_) Acquire(1);
    const Words measured = MeasurementWords(line_, ram_, WindowStart(), measurements_);
    if (measured[2] != 0) ram_[kTVal] = measured[2];
    last_teach_ = TeachKind::kSetPoint;
  }
  return Frame(kOrderTeach, ram_);
}

std::vector<uint8_t> SensorModel::VideoBlock(const Words& words) {
  const size_t start = words[0];
  if (start == 0) {
    Acquire(kVideoPassSteps);
  } else if (!have_line_) {
    Acquire(1);
  }
  video_since_measure_ = true;
  const VideoLine samples = VideoSamples(line_, EffectiveCcdMode(ram_[kCcdMode]), WindowStart());
  uint16_t block[kVideoBlockWords] = {};
  for (size_t i = 0; i < kVideoBlockWords; ++i) {
    if (start + i < samples.size()) block[i] = samples[start + i];
  }
  return EncodeRawWords(block, kVideoBlockWords);
}

}  // namespace sim
