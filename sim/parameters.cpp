#include "sim/parameters.h"

namespace sim {

int CcdPixels(int type) {
  return type == 3 ? 512 : 1024;
}

int CcdResolution(int type) {
  return type == 1 ? 78 : 250;
}

Words DefaultParameters(int ccd_type) {
  return Words{500, 0,   512, 64, 1, 1, 1, static_cast<uint16_t>(CcdPixels(ccd_type)),
               512, 100, 1,   1,  0, 1, 0, 1000};
}

bool IsParameterSet(const Words& w) {
  static constexpr uint16_t kMax[16] = {1000, 1,   1023, 1023, 1, 3,    1024, 1024,
                                        1024, 512, 1,    1,    2, 1023, 2,    1200};
  for (int i = 0; i < 16; ++i) {
    if (w[i] > kMax[i]) return false;
  }
  return w[kPara15] >= 800;
}

}  // namespace sim
