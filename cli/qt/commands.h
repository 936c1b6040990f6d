// vantrel-cli's commands against the sensor, one handler for each command of
// the table (cli/command_table.h), and what they share: the port of --port
// opened once, the parameter sets read and checked.
#pragma once

#include "cli/invocation.h"
#include "cli/qt/command_result.h"
#include "cli/qt/sensor_link.h"
#include "protocol/frame.h"

namespace cli {

// Runs the command of `invocation` on one sensor and prints its result;
// returns its exit status.
int RunCommand(const Invocation& invocation);

// The handlers (sensor_commands.cpp, set_commands.cpp, backup_commands.cpp,
// watch_command.cpp).
CommandResult Check(const Invocation& invocation);
CommandResult Identify(const Invocation& invocation);
CommandResult Ports(const Invocation& invocation);
CommandResult Get(const Invocation& invocation);
CommandResult Send(const Invocation& invocation);
CommandResult Compare(const Invocation& invocation);
CommandResult Backup(const Invocation& invocation);
CommandResult Restore(const Invocation& invocation);
CommandResult Watch(const Invocation& invocation);
CommandResult Publish(const Invocation& invocation);  // publish_command.cpp

// Opens the port of --port; false with the result failed (a port that is no
// port: 2; one that cannot be opened: 5). Adds "port" and "device" to the
// result's JSON either way.
bool OpenLink(const Invocation& invocation, SensorLink* link, CommandResult* result);
// The link's failure as the result's.
CommandResult& LinkFailed(const SensorLink& link, CommandResult* result);

// Order 2 or 4: the sensor's RAM or EEPROM set.
int ReadOrder(Store store);
// Order 1 or 3: a write to RAM or EEPROM.
int WriteOrder(Store store);
const char* StoreName(Store store);  // "RAM", "EEPROM"

}  // namespace cli
