#include "cli/help_text.h"

#include <sstream>

#include "cli/exit_codes.h"

namespace cli {
namespace {

constexpr int kWidth = 79;
constexpr int kHelpColumn = 24;  // where the explanations start in --help

constexpr const char* kAbout =
    "The Q-VOR optical line sensor from a script: its line check, identity and parameter sets, "
    "backups and measurements, on one sensor or every sensor of a machine at once. Plain text "
    "by default, JSON on request, exit codes a script can trust.";

constexpr const char* kEnvironment =
    "VANTREL_COM<n> is the device of port COM<n> (1..10), a path or a name in /dev, e.g. "
    "VANTREL_COM1=/dev/ttyUSB0. Unset, COM1-COM4 are /dev/ttyS0-3, COM5-COM8 /dev/ttyUSB0-3 "
    "and COM9-COM10 /dev/ttyACM0-1.";

constexpr const char* kSensorsFile =
    "--sensors FILE names a machine's sensors, one a line: a name (letters, digits, '.', '_', "
    "'-') and its port as --port takes it. Blank lines and lines starting with '#' are skipped. "
    "With --all the command runs on every sensor at once, each in a process of its own; a "
    "summary table (name, port, result) follows, and the exit status is 0 only when every "
    "sensor succeeded, else the highest status a sensor gave.";

// `text` broken into lines of at most kWidth, the first starting at `first`
// characters (already written), every further one indented by `indent`.
std::string Wrap(const std::string& text, int first, int indent) {
  std::istringstream words(text);
  std::string out;
  int column = first;
  bool lineEmpty = true;
  for (std::string word; words >> word;) {
    if (!lineEmpty && column + 1 + static_cast<int>(word.size()) > kWidth) {
      out += "\n" + std::string(static_cast<size_t>(indent), ' ');
      column = indent;
      lineEmpty = true;
    }
    if (!lineEmpty) {
      out += ' ';
      ++column;
    }
    out += word;
    column += static_cast<int>(word.size());
    lineEmpty = false;
  }
  return out + "\n";
}

// "  left" padded to the help column, then the explanation wrapped beside it.
std::string Row(const std::string& left, const std::string& text) {
  std::string out = "  " + left;
  if (static_cast<int>(out.size()) + 1 >= kHelpColumn) {
    out += "\n";
    out += std::string(kHelpColumn, ' ');
  } else {
    out += std::string(static_cast<size_t>(kHelpColumn) - out.size(), ' ');
  }
  return out + Wrap(text, kHelpColumn, kHelpColumn);
}

// "-o, --output FILE", "--store ram|eeprom", "-q, --quiet".
std::string OptionForm(const OptionSpec& option) {
  std::string form;
  if (option.letter != 0) form = std::string("-") + option.letter + ", ";
  form += std::string("--") + option.name;
  if (option.argument != nullptr) form += std::string(" ") + option.argument;
  return form;
}

// How a synopsis shows an option: the short form where there is one.
std::string SynopsisForm(const OptionSpec& option) {
  std::string form = option.letter != 0 && option.argument != nullptr
                         ? std::string("-") + option.letter
                         : std::string("--") + option.name;
  if (option.argument != nullptr) form += std::string(" ") + option.argument;
  return "[" + form + "]";
}

// roff text: backslashes and hyphens of options escaped, a leading dot kept
// from being a request.
std::string Roff(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";
    } else {
      out += c;
    }
  }
  if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out = "\\&" + out;
  return out;
}

std::string RoffOption(const OptionSpec& option) {
  std::string out = ".TP\n";
  if (option.letter != 0) out += std::string("\\fB\\-") + option.letter + "\\fR, ";
  out += std::string("\\fB\\-\\-") + Roff(option.name) + "\\fR";
  if (option.argument != nullptr) out += std::string(" \\fI") + Roff(option.argument) + "\\fR";
  return out + "\n" + Roff(option.help) + ".\n";
}

}  // namespace

std::string Synopsis(const CommandSpec& command) {
  std::string text = command.name;
  if (command.operands[0] != '\0') text += std::string(" ") + command.operands;
  for (const OptionSpec& option : kOptions) {
    if (Takes(command, option.id)) text += " " + SynopsisForm(option);
  }
  return text;
}

std::string UsageLine() {
  return std::string("usage: ") + kProgram +
         " [--port P] [--timeout S] [--json] [--quiet] [--trace FILE] COMMAND ...\n";
}

std::string HelpText() {
  std::string text = UsageLine() + "       " + kProgram + " --sensors FILE --all COMMAND ...\n\n";
  text += Wrap(kAbout, 0, 0) + "\nCommands:\n";
  for (const CommandSpec& command : kCommands) text += Row(Synopsis(command), command.summary);
  text += "\nOptions, before or after the command:\n";
  for (const OptionSpec& option : kOptions) {
    if (option.global) text += Row(OptionForm(option), option.help);
  }
  text += "\nOptions of the commands that take them:\n";
  for (const OptionSpec& option : kOptions) {
    if (!option.global) text += Row(OptionForm(option), option.help);
  }
  text += "\n" + Wrap(kSensorsFile, 0, 0);
  text += "\nExit codes:\n";
  for (const ExitCodeText& exit : kExitCodes)
    text += "  " + std::to_string(exit.code) + "  " + Wrap(exit.meaning, 5, 5);
  text += "\n" + Wrap(kEnvironment, 0, 0);
  text += std::string("\n") + kProgram + " COMMAND --help tells more of a command; man " +
          kProgram + " tells all.\n";
  return text;
}

std::string CommandHelp(const CommandSpec& command) {
  std::string text = std::string("usage: ") + kProgram + " [options] " + Synopsis(command) + "\n\n";
  text += Wrap(command.description, 0, 0);
  bool any = false;
  for (const OptionSpec& option : kOptions) {
    if (!Takes(command, option.id)) continue;
    if (!any) text += "\nOptions:\n";
    any = true;
    text += Row(OptionForm(option), option.help);
  }
  text += std::string("\n") + kProgram + " --help lists the options every command takes.\n";
  return text;
}

std::string ManPage(const std::string& version) {
  std::string page =
      std::string(".TH VANTREL\\-CLI 1 \"\" \"vantrel ") + Roff(version) + "\" \"User Commands\"\n";
  page += ".SH NAME\nvantrel\\-cli \\- the Q\\-VOR optical line sensor from a script\n";
  page +=
      ".SH SYNOPSIS\n.B vantrel\\-cli\n[\\fIOPTIONS\\fR] \\fICOMMAND\\fR ...\n.br\n"
      ".B vantrel\\-cli\n\\fB\\-\\-sensors\\fR \\fIFILE\\fR \\fB\\-\\-all\\fR \\fICOMMAND\\fR "
      "...\n";
  page += ".SH DESCRIPTION\n" + Roff(kAbout) + "\n";
  page += ".SH COMMANDS\n";
  for (const CommandSpec& command : kCommands) {
    page += ".TP\n\\fB" + Roff(Synopsis(command)) + "\\fR\n" + Roff(command.description) + "\n";
  }
  page += ".SH OPTIONS\nThese go before or after the command:\n";
  for (const OptionSpec& option : kOptions) {
    if (option.global) page += RoffOption(option);
  }
  page += ".PP\nThese go after a command that takes them:\n";
  for (const OptionSpec& option : kOptions) {
    if (!option.global) page += RoffOption(option);
  }
  page += ".SH SENSORS OF A MACHINE\n" + Roff(kSensorsFile) + "\n";
  page +=
      ".SH OUTPUT\nStandard output holds only the result; every failure is one line on "
      "standard error naming the port or the file and the reason. With \\fB\\-\\-json\\fR "
      "the result is one JSON object carrying \\fBformat_version\\fR and "
      "\\fBexit_status\\fR. A pipe closed early (\\fBwatch | head\\fR) ends the program "
      "quietly with 0.\n";
  page += ".SH EXIT STATUS\nFrozen: scripts depend on them.\n";
  for (const ExitCodeText& exit : kExitCodes) {
    page += ".TP\n.B " + std::to_string(exit.code) + "\n" + Roff(exit.meaning) + ".\n";
  }
  page += ".SH ENVIRONMENT\n" + Roff(kEnvironment) + "\n";
  page +=
      ".SH EXAMPLES\nBack up every sensor of a machine:\n.PP\n.nf\n"
      "vantrel\\-cli \\-\\-sensors press.sensors \\-\\-all backup \\-o "
      "\\(aqbackups/{name}.backup\\(aq\n.fi\n.PP\nWatch 100 frames as JSON lines:\n.PP\n"
      ".nf\nvantrel\\-cli \\-\\-port COM3 watch \\-n 100 \\-\\-format jsonl\n.fi\n";
  page += ".SH SEE ALSO\n.BR vantrel (1),\n.BR vantrel\\-sim (1)\n";
  return page;
}

std::string BashCompletion() {
  std::string commands, globals, valued, values;
  for (const CommandSpec& command : kCommands) commands += std::string(command.name) + " ";
  for (const OptionSpec& option : kOptions) {
    std::string forms = std::string("--") + option.name;
    if (option.letter != 0) forms += std::string(" -") + option.letter;
    if (option.global) globals += forms + " ";
    if (option.argument == nullptr) continue;
    // What follows an option that takes a value: its choices, files, or nothing to offer.
    std::string pattern = std::string("--") + option.name;
    if (option.letter != 0) pattern += std::string("|-") + option.letter;
    valued += (valued.empty() ? "" : "|") + pattern;
    values += "    " + pattern + ") ";
    if (option.choices[0] != '\0') {
      values +=
          std::string("COMPREPLY=($(compgen -W \"") + option.choices + "\" -- \"$cur\")) ;;\n";
    } else if (std::string(option.argument) == "FILE") {
      values += "_filedir ;;\n";
    } else {
      values += ";;\n";
    }
  }
  std::string script =
      "# bash completion for vantrel-cli, made from its table of commands and options\n"
      "_vantrel_cli() {\n"
      "  local cur prev words cword\n"
      "  _init_completion || return\n"
      "  case \"$prev\" in\n" +
      values +
      "  esac\n"
      "  case \"$prev\" in " +
      valued +
      ") return ;; esac\n"
      "  local i command=\"\"\n"
      "  for ((i = 1; i < cword; i++)); do\n"
      "    case \"${words[i]}\" in\n"
      "      " +
      valued + ") ((i++)) ;;\n";
  for (const CommandSpec& command : kCommands) {
    // "trace FILE --": the traced command follows.
    if (command.kind != Operands::kTracedCommand) continue;
    script +=
        std::string("      ") + command.name +
        ") if ((i + 2 < cword)) && [[ ${words[i+2]} == -- ]]; then ((i += 2)); else command=" +
        command.name + "; break; fi ;;\n";
  }
  script +=
      "      -*) ;;\n"
      "      *) command=\"${words[i]}\"; break ;;\n"
      "    esac\n"
      "  done\n"
      "  local options=\"" +
      globals +
      "\" operands=\"\" files=0\n"
      "  case \"$command\" in\n"
      "    \"\") operands=\"" +
      commands + "\" ;;\n";
  for (const CommandSpec& command : kCommands) {
    std::string own;
    for (const OptionSpec& option : kOptions) {
      if (!Takes(command, option.id)) continue;
      own += std::string(" --") + option.name;
      if (option.letter != 0) own += std::string(" -") + option.letter;
    }
    std::string line = std::string("    ") + command.name + ")";
    if (!own.empty()) line += " options+=\"" + own + "\";";
    if (command.kind == Operands::kSetSources)
      line += std::string(" operands=\"") + kSetSources + "\";";
    if (command.kind != Operands::kNone) line += " files=1;";
    script += line + " ;;\n";
  }
  script +=
      "  esac\n"
      "  if [[ $cur == -* ]]; then\n"
      "    COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
      "  else\n"
      "    COMPREPLY=($(compgen -W \"$operands\" -- \"$cur\"))\n"
      "    ((files)) && _filedir\n"
      "  fi\n"
      "}\n"
      "complete -F _vantrel_cli vantrel-cli\n";
  return script;
}

}  // namespace cli
