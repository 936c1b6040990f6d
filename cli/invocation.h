// A vantrel-cli command line, parsed against the one table of commands and
// options (cli/command_table.h). Pure: no Qt.
#pragma once

#include <string>
#include <vector>

#include "cli/command_table.h"

namespace cli {

enum class Store { kRam, kEeprom };
enum class RowFormat { kCsv, kJsonl };

struct Invocation {
  bool help = false;  // --help: the general text, or the command's
  bool version = false;
  bool haveCommand = false;
  Command command = Command::kCheck;

  std::string port;      // as given; empty: COM1
  double timeout = 0.0;  // seconds; 0: the sensor's limits
  bool json = false;
  bool quiet = false;
  std::string trace;  // empty: none
  std::string sensors;
  bool all = false;

  Store store = Store::kRam;
  std::string output;  // empty: standard output
  bool noVerify = false;
  bool dryRun = false;
  bool force = false;
  long count = 0;  // frames; 0: no limit
  RowFormat format = RowFormat::kCsv;
  double duration = 0.0;  // seconds; 0: no limit

  // publish: as given; empty (qos -1) when not given.
  std::string mqtt;
  std::string clientId;
  std::string username;
  std::string passwordFile;
  int qos = -1;
  std::string cafile;
  std::string config;

  std::vector<std::string> operands;
  // The arguments without --sensors FILE and --all: what each sensor's own
  // run of the program is given (cli/fleet.h).
  std::vector<std::string> forEachSensor;
};

struct ParseResult {
  bool ok = false;
  Invocation invocation;
  std::string error;  // one line, without the program's name
};

// Parses the arguments after the program's name. Options of the program go
// before or after the command, the command's own after it; "--name=value" and
// "--name value", "-o FILE" and "-n 5" are both taken; "--" ends the options.
// "trace FILE -- COMMAND..." is taken as "--trace FILE COMMAND...".
ParseResult Parse(const std::vector<std::string>& args);

}  // namespace cli
