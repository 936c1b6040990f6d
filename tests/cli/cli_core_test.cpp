// vantrel-cli's pure core: the command line against the table, the port
// argument, the sensors file, the JSON text, the summary table, and the man
// page and completion the build made, in step with the table.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cli/exit_codes.h"
#include "cli/help_text.h"
#include "cli/invocation.h"
#include "cli/json.h"
#include "cli/port_argument.h"
#include "cli/sensors_file.h"
#include "cli/summary_table.h"

namespace {

TEST(CliParse, TakesWhatTheTableOffersAndRefusesTheRestWithOneLine) {
  struct Row {
    std::vector<std::string> args;
    std::string error;  // "" when the line is taken
  };
  const Row rows[] = {
      {{"--port", "COM3", "get", "--store=eeprom", "-o", "x.dat", "--json"}, ""},
      {{"trace", "t.trace", "--", "watch", "-n5", "--format", "jsonl"}, ""},
      {{"--sensors", "m", "--all", "send", "{name}.dat", "--timeout", "0.5"}, ""},
      {{"check", "--store", "ram"}, "--store is not an option of check"},
      {{"--store", "ram", "get"}, "--store goes after a command that takes it"},
      {{"--timeout", "0", "check"}, "--timeout takes seconds above 0 and at most 60, not '0'"},
      {{"watch", "-n", "2.5"}, "-n takes a whole number of frames above 0, not '2.5'"},
      {{"get", "--store", "flash"}, "--store takes ram|eeprom, not 'flash'"},
      {{"compare", "ram"}, "compare takes A B"},
      {{"check", "x"}, "check takes no operand"},
      {{"--port"}, "--port needs P"},
      {{"--json", "-x"}, "unknown option -x (vantrel-cli --help lists them)"},
      {{"frob"}, "unknown command 'frob' (vantrel-cli --help lists them)"},
      {{}, "no command given (vantrel-cli --help lists them)"},
      {{"trace", "t.trace"}, "trace takes FILE -- COMMAND..."},
      {{"watch", "--json", "--format", "csv"}, "--json and --format csv do not go together"},
      {{"--all", "check"}, "--all needs --sensors FILE"},
      {{"--sensors", "m", "check"}, "--sensors goes with --all"},
      {{"--sensors", "m", "--all", "watch"}, "watch does not run with --all"},
      {{"--sensors", "m", "--all", "--port", "3", "check"},
       "--all takes the ports from --sensors FILE, not from --port"},
      {{"--sensors", "m", "--all", "get"},
       "with --all, get writes to -o FILE with {name} in it (or prints --json)"},
      {{"--sensors", "m", "--all", "backup", "-o", "b"},
       "with --all, a file written needs {name} in its path: one file a sensor"},
  };
  for (const Row& row : rows) {
    const cli::ParseResult parsed = cli::Parse(row.args);
    EXPECT_EQ(parsed.ok, row.error.empty()) << row.error;
    EXPECT_EQ(parsed.error, row.error);
  }
  cli::Invocation get = cli::Parse(rows[0].args).invocation;
  EXPECT_EQ(get.command, cli::Command::kGet);
  EXPECT_EQ(get.store, cli::Store::kEeprom);
  EXPECT_EQ(get.output, "x.dat");
  EXPECT_TRUE(get.json);
  EXPECT_EQ(get.port, "COM3");
  const cli::Invocation traced = cli::Parse(rows[1].args).invocation;
  EXPECT_EQ(traced.command, cli::Command::kWatch);
  EXPECT_EQ(traced.trace, "t.trace");
  EXPECT_EQ(traced.count, 5);
  EXPECT_EQ(traced.format, cli::RowFormat::kJsonl);
  // Each sensor's run gets the line without --sensors and --all.
  EXPECT_EQ(cli::Parse(rows[2].args).invocation.forEachSensor,
            (std::vector<std::string>{"send", "{name}.dat", "--timeout", "0.5"}));
  EXPECT_EQ(cli::ForSensor("b/{name}-{name}.dat", "left"), "b/left-left.dat");
}

TEST(CliPortArgument, NumbersNamesAndDevices) {
  cli::PortArgument port;
  std::string error;
  ASSERT_TRUE(cli::ParsePortArgument("com7", &port, &error));
  EXPECT_EQ(port.number, 7);
  EXPECT_EQ(cli::PortLabel(port, "/dev/ttyUSB2"), "COM7 (/dev/ttyUSB2)");
  ASSERT_TRUE(cli::ParsePortArgument("ttyUSB0", &port, &error));
  EXPECT_EQ(port.number, 1);
  EXPECT_EQ(cli::PortLabel(port, "/dev/ttyUSB0"), "ttyUSB0");
  ASSERT_TRUE(cli::ParsePortArgument("", &port, &error));
  EXPECT_EQ(cli::PortName(port), "COM1");
  EXPECT_FALSE(cli::ParsePortArgument("11", &port, &error));
  EXPECT_EQ(error, "port 11: the ports are COM1 to COM10 (or give the device)");
}

TEST(CliSensorsFile, OneSensorALineOrTheLineAtFault) {
  const cli::SensorsFileResult good =
      cli::ParseSensorsFile("# press 2\n\n  left COM3\nright /dev/ttyUSB1 \n");
  ASSERT_TRUE(good.ok) << good.error;
  ASSERT_EQ(good.sensors.size(), 2u);
  EXPECT_EQ(good.sensors[1].name, "right");
  EXPECT_EQ(good.sensors[1].port, "/dev/ttyUSB1");
  const std::pair<const char*, const char*> bad[] = {
      {"left\n", "line 1: expected a name and a port"},
      {"a COM1\nb COM2 x\n", "line 2: expected a name and a port, found more after 'COM2'"},
      {"a/b COM1\n", "line 1: a name takes letters, digits, '.', '_' and '-', not 'a/b'"},
      {"a COM1\na COM2\n", "line 2: the name 'a' is given twice"},
      {"# none\n", "no sensor in the file"},
  };
  for (const auto& [text, error] : bad) EXPECT_EQ(cli::ParseSensorsFile(text).error, error);
}

TEST(CliJson, EscapesAndVersions) {
  EXPECT_EQ(cli::JsonString("a\"b\\c\n\x01\xB5\xC2\xB5"),
            "\"a\\\"b\\\\c\\n\\u0001\\ufffd\xC2\xB5\"");
  EXPECT_EQ(cli::ResultObject("get", 3).Add("x", true).AddNumber("m", 2.5, 2).Text(),
            "{\"format_version\":1,\"command\":\"get\",\"exit_status\":3,\"x\":true,\"m\":2.50}");
}

TEST(CliSummary, ARowASensorAndTheHighestStatus) {
  const std::vector<cli::SensorOutcome> outcomes = {
      {"left", "COM3", 0, "answered"},
      {"press-right", "COM4", 3, "no answer to Echo check"},
      {"mid", "/dev/ttyUSB0", 1, ""}};
  EXPECT_EQ(cli::SummaryTable(outcomes),
            "name         port          result\n"
            "left         COM3          ok: answered\n"
            "press-right  COM4          no answer: no answer to Echo check\n"
            "mid          /dev/ttyUSB0  differs\n");
  EXPECT_EQ(cli::FleetExitStatus(outcomes), 3);
  EXPECT_EQ(cli::FleetExitStatus({{"a", "1", 0, ""}}), 0);
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The man page and the completion in the build are what the table gives, and
// every command and option of the table is in both, with every exit code in
// the man page and in --help.
TEST(CliDocs, ManPageAndCompletionAreInStepWithTheTable) {
  const std::string man = cli::ManPage(VANTREL_VERSION);
  const std::string completion = cli::BashCompletion();
  EXPECT_EQ(ReadAll(VANTREL_CLI_DOCS_DIR "/vantrel-cli.1"), man);
  EXPECT_EQ(ReadAll(VANTREL_CLI_DOCS_DIR "/vantrel-cli.bash"), completion);
  const std::string help = cli::HelpText();
  for (const cli::OptionSpec& option : cli::kOptions) {
    const std::string name = option.name;
    EXPECT_NE(man.find("\\-\\-" +
                       [&] {
                         std::string roff;
                         for (char c : name)
                           roff += c == '-' ? std::string("\\-") : std::string(1, c);
                         return roff;
                       }()),
              std::string::npos)
        << name;
    EXPECT_NE(completion.find("--" + name), std::string::npos) << name;
    EXPECT_NE(help.find("--" + name), std::string::npos) << name;
  }
  for (const cli::CommandSpec& command : cli::kCommands) {
    EXPECT_NE(man.find(std::string("\\fB") + command.name), std::string::npos) << command.name;
    EXPECT_NE(completion.find(std::string(" ") + command.name + ")"), std::string::npos)
        << command.name;
  }
  for (const cli::ExitCodeText& exit : cli::kExitCodes) {
    EXPECT_NE(man.find(".TP\n.B " + std::to_string(exit.code) + "\n"), std::string::npos);
    EXPECT_NE(
        help.find("\n  " + std::to_string(exit.code) + "  " + std::string(exit.meaning, 0, 20)),
        std::string::npos);
  }
}

}  // namespace
