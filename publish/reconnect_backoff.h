// How long a publisher waits before it tries the broker again: doubling
// from half a second to at most five, so that a broker back after a restart
// is found within seconds and a broker that stays away costs one attempt
// every five seconds. Pure.
#pragma once

namespace publish {

constexpr double kFirstRetrySeconds = 0.5;
constexpr double kLongestRetrySeconds = 5.0;

// Seconds before the next attempt after `failures` (1 or more) failed in a
// row: 0.5, 1, 2, 4, 5, 5, ... `spread` (-1..1, a random draw) moves the wait
// by up to a fifth either way, so that publishers that lost the same broker
// do not all come back in the same instant.
double ReconnectDelay(int failures, double spread);

}  // namespace publish
