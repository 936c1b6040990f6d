#include "sim/evaluation.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "sim/parameters.h"

namespace sim {
namespace {

struct EdgePair {
  int first = 0;
  int second = 0;
};

// The object's edges among the crossings, by polarity.
EdgePair FindEdges(const std::vector<Transition>& crossings, bool dark_object) {
  EdgePair edges;
  const bool opening_rises = !dark_object;
  size_t i = 0;
  while (i < crossings.size() && crossings[i].rising != opening_rises) ++i;
  if (i == crossings.size()) {
    // Only closing crossings: the object began before the window.
    if (!crossings.empty()) edges.first = crossings.front().pixel;
    return edges;
  }
  edges.first = crossings[i].pixel;
  for (size_t j = i + 1; j < crossings.size(); ++j) {
    if (crossings[j].rising != opening_rises) {
      edges.second = crossings[j].pixel;
      break;
    }
  }
  return edges;
}

uint16_t Clamp16(long v) {
  return static_cast<uint16_t>(std::clamp(v, 0L, 65535L));
}

}  // namespace

std::vector<Transition> FindTransitions(const Line& line, int first, int last, int threshold) {
  std::vector<Transition> crossings;
  const int n = static_cast<int>(line.size());
  first = std::max(first, 1);
  last = std::min(last, n);
  if (first > last) return crossings;
  bool bright = line[static_cast<size_t>(first - 1)] >= threshold;
  for (int p = first + 1; p <= last; ++p) {
    const int v = line[static_cast<size_t>(p - 1)];
    if (bright && v < threshold - kHysteresis) {
      bright = false;
      crossings.push_back({p, false});
    } else if (!bright && v > threshold + kHysteresis) {
      bright = true;
      crossings.push_back({p, true});
    }
  }
  return crossings;
}

Line CorrectBackground(const Line& raw, const Words& params, const Line& background) {
  Line out = raw;
  if (params[kBMode] == 1) {
    for (auto& v : out) v = static_cast<uint16_t>(v > params[kBVal] ? v - params[kBVal] : 0);
  } else if (params[kBMode] == 2 && background.size() == raw.size() && !raw.empty()) {
    double sum = 0;
    for (uint16_t b : background) sum += b;
    const double reference = sum / static_cast<double>(background.size());
    for (size_t i = 0; i < out.size(); ++i) {
      // A floor keeps a dark background pixel from blowing its level up.
      const double divisor = std::max<double>(background[i], 16.0);
      out[i] =
          static_cast<uint16_t>(std::clamp(std::lround(raw[i] * reference / divisor), 0L, 1023L));
    }
  }
  return out;
}

Line LearnBackground(const Line& raw, int threshold) {
  Line bg = raw;
  const int n = static_cast<int>(raw.size());
  int i = 0;
  while (i < n) {
    if (raw[static_cast<size_t>(i)] >= threshold) {
      ++i;
      continue;
    }
    int j = i;
    while (j < n && raw[static_cast<size_t>(j)] < threshold) ++j;
    // Dark stretch i..j-1, bright neighbours at i-1 and j (if they exist).
    const bool has_left = i > 0;
    const bool has_right = j < n;
    if (has_left || has_right) {
      const double a = has_left ? raw[static_cast<size_t>(i - 1)] : raw[static_cast<size_t>(j)];
      const double b = has_right ? raw[static_cast<size_t>(j)] : raw[static_cast<size_t>(i - 1)];
      const int span = j - i + 1;
      for (int k = i; k < j; ++k) {
        const double t = static_cast<double>(k - i + 1) / span;
        bg[static_cast<size_t>(k)] = static_cast<uint16_t>(std::lround(a + (b - a) * t));
      }
    }
    i = j;
  }
  return bg;
}

int EffectiveCcdMode(uint16_t ccd_mode) {
  return ccd_mode <= 2 ? ccd_mode : 0;
}

int InitialWindowStart(int pixels) {
  return (pixels - static_cast<int>(kVideoSamples)) / 2 + 1;
}

int PickWindowStart(const Line& line, const Words& params, int previous) {
  const int n = static_cast<int>(line.size());
  const auto crossings = FindTransitions(line, 1, n, params[kVThd]);
  const EdgePair edges = FindEdges(crossings, params[kPolarity] != 0);
  int centre = 0;
  if (edges.first != 0 && edges.second != 0) {
    centre = (edges.first + edges.second) / 2;
  } else if (edges.first != 0) {
    centre = edges.first;
  } else {
    return previous;
  }
  const int half = static_cast<int>(kVideoSamples) / 2;
  return std::clamp(centre - half, 1, std::max(1, n - static_cast<int>(kVideoSamples) + 1));
}

VideoLine VideoSamples(const Line& line, int ccd_mode, int window_start) {
  VideoLine samples{};
  const int n = static_cast<int>(line.size());
  if (ccd_mode == 0) {
    const int step = std::max(1, n / static_cast<int>(kVideoSamples));
    for (size_t i = 0; i < kVideoSamples; ++i) {
      const size_t index = static_cast<size_t>(step) * i;
      samples[i] = index < line.size() ? line[index] : 0;
    }
  } else {
    for (size_t i = 0; i < kVideoSamples; ++i) {
      const int pixel = window_start + static_cast<int>(i);
      samples[i] = (pixel >= 1 && pixel <= n) ? line[static_cast<size_t>(pixel - 1)] : 0;
    }
  }
  return samples;
}

Words MeasurementWords(const Line& line, const Words& params, int window_start, uint16_t counter) {
  Words w{};
  const int n = static_cast<int>(line.size());
  const int mode = EffectiveCcdMode(params[kCcdMode]);
  const int start = mode == 0 ? 1 : window_start;
  const int window_last = mode == 0 ? n : window_start + static_cast<int>(kVideoSamples) - 1;
  const int lo = std::max({static_cast<int>(params[kEBeg]), 1, start});
  const int hi = std::min({static_cast<int>(params[kEEnd]), n, window_last});

  w[3] = params[kTVal];
  w[4] = params[kTTol];
  w[5] = Clamp16(start);
  w[12] = counter;
  w[13] = static_cast<uint16_t>(mode);
  if (lo > hi) return w;

  const auto crossings = FindTransitions(line, lo, hi, params[kVThd]);
  const EdgePair edges = FindEdges(crossings, params[kPolarity] != 0);
  const bool both = edges.first != 0 && edges.second != 0;
  long value = 0;
  bool valid = false;
  switch (params[kEMode]) {
    case 0:
      value = edges.first;
      valid = edges.first != 0;
      break;
    case 1:
      value = edges.second;
      valid = edges.second != 0;
      break;
    case 2:
      if (both) {
        value = std::lround((edges.second - edges.first) * (params[kPara15] / 1000.0));
        valid = true;
      }
      break;
    case 3:
      if (both) {
        value = (edges.first + edges.second) / 2;
        valid = true;
      }
      break;
    default:
      break;
  }

  w[0] = Clamp16(edges.first);
  w[1] = Clamp16(edges.second);
  w[2] = Clamp16(value);
  w[6] = Clamp16(static_cast<long>(crossings.size()));
  w[7] = line[static_cast<size_t>(lo - 1)];
  w[8] = line[static_cast<size_t>(hi - 1)];
  w[9] = valid && std::labs(value - static_cast<long>(params[kTVal])) <= params[kTTol] ? 1 : 0;
  const auto [low, high] = std::minmax_element(line.begin() + (lo - 1), line.begin() + hi);
  w[10] = *high;
  w[11] = *low;
  return w;
}

}  // namespace sim
