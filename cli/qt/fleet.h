// --sensors FILE --all: the command on every sensor of a machine at once. The
// engine keeps one port state per process, so each sensor gets a process of
// its own: this program again, with --port and the sensor's name put for
// {name} in every argument. A summary table follows (name, port, result).
#pragma once

#include "cli/invocation.h"

namespace cli {

// Runs them all and prints the table (or, with --json, one object with each
// sensor's own result); 0 only when every sensor succeeded, else the highest
// exit status among them. A sensors file that cannot be read: 4.
int RunOnEverySensor(const Invocation& invocation);

}  // namespace cli
