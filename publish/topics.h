// The topics a sensor is published under, all below one prefix
// ("plant/line1"):
//   PREFIX/measurement  one JSON object a frame, not retained
//   PREFIX/status       retained: the publisher's and the sensor link's state
//   PREFIX/identity     retained: firmware, CCD, port
//   PREFIX/parameters   retained: the 16 parameters by name
// Pure.
#pragma once

#include <string>

namespace publish {

struct Topics {
  std::string measurement;
  std::string status;
  std::string identity;
  std::string parameters;
};

Topics TopicsUnder(const std::string& prefix);

}  // namespace publish
