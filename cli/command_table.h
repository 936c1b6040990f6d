// The one table of vantrel-cli's commands and options. Parsing, --help, the
// man page and the bash completion are all made from it, so that a command or
// an option added here is known everywhere at once. Pure: no Qt.
#pragma once

#include <cstdint>
#include <string_view>

namespace cli {

enum class Option : int {
  // Before or after the command.
  kPort,
  kTimeout,
  kJson,
  kQuiet,
  kTrace,
  kSensors,
  kAll,
  kHelp,
  kVersion,
  // After a command that takes them; in this order in its synopsis.
  kStore,
  kOutput,
  kNoVerify,
  kDryRun,
  kForce,
  kCount,
  kFormat,
  kDuration,
  kMqtt,
  kClientId,
  kUsername,
  kPasswordFile,
  kQos,
  kCafile,
  kConfig,  // the last: a new option goes after it and kOptionCount follows
};
constexpr int kOptionCount = static_cast<int>(Option::kConfig) + 1;

struct OptionSpec {
  Option id;
  const char* name;      // the long form without "--": "store"
  char letter;           // the short form's letter ('o' for -o), 0: none
  const char* argument;  // what follows it ("FILE", "S"), null for a switch
  const char* choices;   // the values it takes, separated by spaces ("ram eeprom"); "" any
  bool global;           // given with any command
  const char* help;      // one sentence for --help and the man page
};

// Indexed by Option.
extern const OptionSpec kOptions[kOptionCount];

enum class Command : int {
  kCheck,
  kIdentify,
  kGet,
  kSend,
  kCompare,
  kPorts,
  kBackup,
  kRestore,
  kWatch,
  kTrace,
  kPublish,  // the last: a new command goes after it and kCommandCount follows
};
constexpr int kCommandCount = static_cast<int>(Command::kPublish) + 1;

// What a command's operands are, for the completion.
enum class Operands { kNone, kFile, kSetSources, kTracedCommand };

struct CommandSpec {
  Command id;
  const char* name;
  const char* operands;  // as the synopsis shows them: "FILE", "A B", ""
  int minOperands, maxOperands;
  Operands kind;
  uint32_t options;         // the command's own options: bit n for Option n
  bool fleet;               // runs on every sensor of --sensors FILE with --all
  const char* summary;      // one line for --help
  const char* description;  // the man page's paragraph
};

// Indexed by Command.
extern const CommandSpec kCommands[kCommandCount];

constexpr uint32_t Bit(Option option) {
  return 1u << static_cast<int>(option);
}
inline bool Takes(const CommandSpec& command, Option option) {
  return (command.options & Bit(option)) != 0;
}
const OptionSpec& Spec(Option option);
const CommandSpec& Spec(Command command);
// The command named `name`, or null.
const CommandSpec* FindCommand(std::string_view name);

// The program's name, as it is installed.
constexpr const char* kProgram = "vantrel-cli";
// The set sources compare takes besides a file.
constexpr const char* kSetSources = "ram eeprom defaults";

}  // namespace cli
