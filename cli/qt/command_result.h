// What a command leaves behind, and how it reaches its reader: the data on
// standard output whatever --quiet says, a confirmation unless --quiet, the
// failure as one line on standard error, or all of it as one JSON object.
#pragma once

#include <string>

#include "cli/exit_codes.h"
#include "cli/invocation.h"
#include "cli/json.h"

namespace cli {

struct CommandResult {
  int status = kExitDone;
  std::string failure;  // the line on standard error; names the port or the file
  std::string data;     // the result itself (a parameter file, a backup, a table)
  std::string note;     // a confirmation ("the sensor answered the line check")
  JsonObject json;      // the command's fields for --json

  // Sets status and failure; returns the result, for `return result.Fail(...)`.
  CommandResult& Fail(int exitStatus, const std::string& line);
};

// Prints the result as the options ask and returns its exit status.
int Deliver(const Invocation& invocation, const CommandResult& result);

}  // namespace cli
