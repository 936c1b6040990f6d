#include "protocol/ccd.h"

namespace protocol {

const char* CcdDescription(uint16_t type) {
  switch (type) {
    case 1:
      return "  CCD-SENSOR: 1024 pixel; 7.8\xB5m pixel-pitch, 8.0mm working range";
    case 2:
      return "  CCD-SENSOR: 1024 pixel; 25\xB5m pixel-pitch, 25,6mm working range";
    case 3:
      return "  CCD-SENSOR: 512 pixel; 25\xB5m pixel-pitch, 12,8mm working range";
    default:
      return "  CCD-SENSOR: no information avialable!";
  }
}

}  // namespace protocol
