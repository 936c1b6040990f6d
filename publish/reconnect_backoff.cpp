#include "publish/reconnect_backoff.h"

#include <algorithm>

namespace publish {

double ReconnectDelay(int failures, double spread) {
  double delay = kFirstRetrySeconds;
  for (int i = 1; i < failures && delay < kLongestRetrySeconds; ++i) delay *= 2.0;
  delay = std::min(delay, kLongestRetrySeconds);
  return delay * (1.0 + 0.2 * std::clamp(spread, -1.0, 1.0));
}

}  // namespace publish
