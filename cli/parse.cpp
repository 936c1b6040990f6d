// The command line against the table: each option looked up by its long or
// short form, its value checked where it is taken, then what the options ask
// of each other checked once the whole line is read.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "cli/invocation.h"

namespace cli {
namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

std::string Shown(const OptionSpec& option) {
  return std::string("--") + option.name;
}

// The option spelled `arg` ("--store", "--store=ram", "-o", "-oFILE"), with the
// value given inside it; null when there is none of that name.
const OptionSpec* LookUp(std::string_view arg, std::string* inlineValue, bool* hasInline) {
  *hasInline = false;
  if (StartsWith(arg, "--")) {
    std::string_view name = arg.substr(2);
    if (const size_t eq = name.find('='); eq != std::string_view::npos) {
      *inlineValue = std::string(name.substr(eq + 1));
      *hasInline = true;
      name = name.substr(0, eq);
    }
    for (const OptionSpec& option : kOptions) {
      if (name == option.name) return &option;
    }
    return nullptr;
  }
  for (const OptionSpec& option : kOptions) {
    if (option.letter != 0 && arg.size() >= 2 && arg[1] == option.letter) {
      if (arg.size() > 2) {
        if (option.argument == nullptr) return nullptr;  // "-qx" is no option
        *inlineValue = std::string(arg.substr(2));
        *hasInline = true;
      }
      return &option;
    }
  }
  return nullptr;
}

// A number of seconds (or frames) as the options take them: the whole text a
// number, above 0 and at most `most`.
bool PositiveNumber(const std::string& text, double most, double* out) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (errno != 0 || end == text.c_str() || *end != '\0' || !std::isfinite(value)) return false;
  if (!(value > 0.0) || value > most) return false;
  *out = value;
  return true;
}

bool OneOf(const std::string& value, const char* choices) {
  std::istringstream words(choices);
  for (std::string word; words >> word;) {
    if (word == value) return true;
  }
  return false;
}

class Parser {
 public:
  ParseResult Run(const std::vector<std::string>& args);

 private:
  bool Fail(std::string error) {
    result_.error = std::move(error);
    return false;
  }
  bool Take(const OptionSpec& option, const std::string& value);
  bool TakeText(const OptionSpec& option, const std::string& value, std::string* field) {
    if (value.empty()) return Fail(Shown(option) + " needs " + option.argument);
    *field = value;
    return true;
  }
  bool Check();

  ParseResult result_;
  Invocation& inv_ = result_.invocation;
  bool formatGiven_ = false;
  bool portGiven_ = false;
};

bool Parser::Take(const OptionSpec& option, const std::string& value) {
  if (option.choices[0] != '\0' && !OneOf(value, option.choices)) {
    return Fail(Shown(option) + " takes " + option.argument + ", not '" + value + "'");
  }
  switch (option.id) {
    case Option::kPort:
      if (value.empty()) return Fail("--port needs a port: a number, a device or a name");
      inv_.port = value;
      portGiven_ = true;
      return true;
    case Option::kTimeout:
      if (!PositiveNumber(value, 60.0, &inv_.timeout))
        return Fail("--timeout takes seconds above 0 and at most 60, not '" + value + "'");
      return true;
    case Option::kJson:
      inv_.json = true;
      return true;
    case Option::kQuiet:
      inv_.quiet = true;
      return true;
    case Option::kTrace:
      if (!inv_.trace.empty()) return Fail("the line can be traced into one file only");
      if (value.empty()) return Fail("--trace needs a file");
      inv_.trace = value;
      return true;
    case Option::kSensors:
      if (value.empty()) return Fail("--sensors needs a file");
      inv_.sensors = value;
      return true;
    case Option::kAll:
      inv_.all = true;
      return true;
    case Option::kHelp:
      inv_.help = true;
      return true;
    case Option::kVersion:
      inv_.version = true;
      return true;
    case Option::kStore:
      inv_.store = value == "eeprom" ? Store::kEeprom : Store::kRam;
      return true;
    case Option::kOutput:
      if (value.empty()) return Fail("-o needs a file");
      inv_.output = value;
      return true;
    case Option::kNoVerify:
      inv_.noVerify = true;
      return true;
    case Option::kDryRun:
      inv_.dryRun = true;
      return true;
    case Option::kForce:
      inv_.force = true;
      return true;
    case Option::kCount: {
      double frames = 0.0;
      if (!PositiveNumber(value, 1e12, &frames) || frames != std::floor(frames))
        return Fail("-n takes a whole number of frames above 0, not '" + value + "'");
      inv_.count = static_cast<long>(frames);
      return true;
    }
    case Option::kFormat:
      inv_.format = value == "jsonl" ? RowFormat::kJsonl : RowFormat::kCsv;
      formatGiven_ = true;
      return true;
    case Option::kDuration:
      if (!PositiveNumber(value, 1e9, &inv_.duration))
        return Fail("--duration takes seconds above 0, not '" + value + "'");
      return true;
    case Option::kQos:
      inv_.qos = value == "1" ? 1 : 0;
      return true;
    // publish's own, checked by publish together with its conf file.
    case Option::kMqtt:
      return TakeText(option, value, &inv_.mqtt);
    case Option::kClientId:
      return TakeText(option, value, &inv_.clientId);
    case Option::kUsername:
      return TakeText(option, value, &inv_.username);
    case Option::kPasswordFile:
      return TakeText(option, value, &inv_.passwordFile);
    case Option::kCafile:
      return TakeText(option, value, &inv_.cafile);
    case Option::kConfig:
      return TakeText(option, value, &inv_.config);
  }
  return true;
}

ParseResult Parser::Run(const std::vector<std::string>& args) {
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!optionsEnded && arg == "--") {
      // "trace FILE -- COMMAND...": the rest is a command line of its own,
      // traced into FILE.
      if (inv_.haveCommand && inv_.command == Command::kTrace && inv_.operands.size() == 1) {
        const std::string file = inv_.operands.front();
        inv_.operands.clear();
        inv_.haveCommand = false;
        if (!Take(Spec(Option::kTrace), file)) return result_;
        inv_.forEachSensor.resize(inv_.forEachSensor.size() - 2);  // "trace FILE"
        inv_.forEachSensor.insert(inv_.forEachSensor.end(), {"--trace", file});
        continue;
      }
      optionsEnded = true;
      inv_.forEachSensor.push_back(arg);
      continue;
    }
    if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      std::string value;
      bool hasInline = false;
      const OptionSpec* option = LookUp(arg, &value, &hasInline);
      if (option == nullptr) {
        Fail("unknown option " + arg + " (" + kProgram + " --help lists them)");
        return result_;
      }
      if (!option->global && !(inv_.haveCommand && Takes(Spec(inv_.command), option->id))) {
        Fail(Shown(*option) + (inv_.haveCommand
                                   ? std::string(" is not an option of ") + Spec(inv_.command).name
                                   : " goes after a command that takes it"));
        return result_;
      }
      if (option->argument == nullptr && hasInline) {
        Fail(Shown(*option) + " takes no value");
        return result_;
      }
      const bool fleetOption = option->id == Option::kSensors || option->id == Option::kAll;
      if (!fleetOption) inv_.forEachSensor.push_back(arg);
      if (option->argument != nullptr && !hasInline) {
        if (i + 1 >= args.size()) {
          Fail(Shown(*option) + " needs " + option->argument);
          return result_;
        }
        value = args[++i];
        if (!fleetOption) inv_.forEachSensor.push_back(value);
      }
      if (!Take(*option, value)) return result_;
      continue;
    }
    inv_.forEachSensor.push_back(arg);
    if (!inv_.haveCommand) {
      const CommandSpec* command = FindCommand(arg);
      if (command == nullptr) {
        if (inv_.help) break;  // "--help nonsense": the general text
        Fail("unknown command '" + arg + "' (" + kProgram + " --help lists them)");
        return result_;
      }
      inv_.haveCommand = true;
      inv_.command = command->id;
      continue;
    }
    inv_.operands.push_back(arg);
  }
  result_.ok = Check();
  return result_;
}

bool Parser::Check() {
  if (inv_.help || inv_.version) return true;
  if (!inv_.haveCommand)
    return Fail(std::string("no command given (") + kProgram + " --help lists them)");
  const CommandSpec& command = Spec(inv_.command);
  if (inv_.command == Command::kTrace) return Fail("trace takes FILE -- COMMAND...");
  const int given = static_cast<int>(inv_.operands.size());
  if (given < command.minOperands || (command.maxOperands >= 0 && given > command.maxOperands)) {
    return Fail(std::string(command.name) + (command.maxOperands == 0
                                                 ? " takes no operand"
                                                 : std::string(" takes ") + command.operands));
  }
  if (inv_.json && inv_.command == Command::kWatch) {
    if (formatGiven_ && inv_.format == RowFormat::kCsv)
      return Fail("--json and --format csv do not go together");
    inv_.format = RowFormat::kJsonl;
  }
  if (inv_.command == Command::kPublish && inv_.mqtt.empty() && inv_.config.empty())
    return Fail("publish needs --mqtt URL or --config FILE");
  if (!inv_.sensors.empty() && !inv_.all) return Fail("--sensors goes with --all");
  if (!inv_.all) return true;
  if (inv_.sensors.empty()) return Fail("--all needs --sensors FILE");
  if (!command.fleet) return Fail(std::string(command.name) + " does not run with --all");
  if (portGiven_) return Fail("--all takes the ports from --sensors FILE, not from --port");
  const auto perSensor = [](const std::string& path) {
    return path.empty() || path.find("{name}") != std::string::npos;
  };
  if (!perSensor(inv_.output) || !perSensor(inv_.trace))
    return Fail("with --all, a file written needs {name} in its path: one file a sensor");
  const bool printsData = inv_.command == Command::kGet || inv_.command == Command::kBackup;
  if (printsData && inv_.output.empty() && !inv_.json)
    return Fail(std::string("with --all, ") + command.name +
                " writes to -o FILE with {name} in it (or prints --json)");
  return true;
}

}  // namespace

ParseResult Parse(const std::vector<std::string>& args) {
  Parser parser;
  return parser.Run(args);
}

}  // namespace cli
