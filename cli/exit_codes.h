// The exit codes of vantrel-cli. Scripts depend on them: they are frozen, and
// --help and the man page list them from kExitCodes.
#pragma once

namespace cli {

enum ExitCode : int {
  kExitDone = 0,
  kExitDiffer = 1,  // compared sets differ, or a store does not hold what was sent
  kExitUsage = 2,   // the command line is wrong
  kExitLine = 3,    // no answer, or a fault on the line (time-out, wrong sync or echo, port lost)
  kExitFile = 4,    // a file could not be read or written (or was refused)
  kExitPort = 5,    // the port could not be opened, or is busy
  kExitBroker = 6,  // publish: the broker cannot be reached with the settings given
};

struct ExitCodeText {
  int code;
  const char* meaning;
};

inline constexpr ExitCodeText kExitCodes[] = {
    {kExitDone, "done"},
    {kExitDiffer, "the compared sets differ, or a store does not hold what was sent"},
    {kExitUsage, "the command line is wrong"},
    {kExitLine, "no answer, or a fault on the line (time-out, wrong sync or echo, port lost)"},
    {kExitFile, "a file could not be read or written, or was refused"},
    {kExitPort, "the port could not be opened, or is busy"},
    {kExitBroker,
     "publish: the MQTT broker cannot be reached with the settings given (unknown host, "
     "credentials or certificate refused)"},
};

}  // namespace cli
