#include "publish/topics.h"

namespace publish {

Topics TopicsUnder(const std::string& prefix) {
  return {prefix + "/measurement", prefix + "/status", prefix + "/identity",
          prefix + "/parameters"};
}

}  // namespace publish
