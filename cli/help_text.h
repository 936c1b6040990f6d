// What vantrel-cli tells about itself, all made from the one table of
// commands and options: --help, a command's --help, the man page and the bash
// completion (both generated at build time). Pure: no Qt.
#pragma once

#include <string>

#include "cli/command_table.h"

namespace cli {

// "get [--store ram|eeprom] [-o FILE]".
std::string Synopsis(const CommandSpec& command);
// The one line that says how the program is called, with its newline.
std::string UsageLine();
// --help: commands, options, exit codes, the environment.
std::string HelpText();
// COMMAND --help: its synopsis, what it does, its options.
std::string CommandHelp(const CommandSpec& command);

// The man page vantrel-cli(1), in roff, for `version`.
std::string ManPage(const std::string& version);
// The bash completion of vantrel-cli: commands, options, their values, files.
std::string BashCompletion();

}  // namespace cli
