#include "cli/command_table.h"

namespace cli {

constexpr OptionSpec kOptions[kOptionCount] = {
    {Option::kPort, "port", 0, "P", "", true,
     "the sensor's port: a number (COM3, 3), a device path or a name in /dev as VANTREL_COM<n> "
     "takes it; COM1 when not given"},
    {Option::kTimeout, "timeout", 0, "S", "", true,
     "seconds to wait for each reply instead of the sensor's limits (1.5 s, 2.0 s for the "
     "firmware text)"},
    {Option::kJson, "json", 0, nullptr, "", true,
     "the result as JSON, with a format version and the exit status"},
    {Option::kQuiet, "quiet", 'q', nullptr, "", true,
     "no confirmations and no summary line: only data, failures and the exit status"},
    {Option::kTrace, "trace", 0, "FILE", "", true,
     "record the line in FILE, in the trace format the line monitor reads"},
    {Option::kSensors, "sensors", 0, "FILE", "", true,
     "a machine's sensors, one a line: a name and its port"},
    {Option::kAll, "all", 0, nullptr, "", true,
     "run the command on every sensor of --sensors FILE at once; {name} in an argument "
     "stands for each sensor's name"},
    {Option::kHelp, "help", 'h', nullptr, "", true, "this text, or the command's"},
    {Option::kVersion, "version", 0, nullptr, "", true, "the program's version"},
    {Option::kStore, "store", 0, "ram|eeprom", "ram eeprom", false,
     "the sensor's store; RAM when not given"},
    {Option::kOutput, "output", 'o', "FILE", "", false,
     "write to FILE, whole or not at all, instead of standard output"},
    {Option::kNoVerify, "no-verify", 0, nullptr, "", false,
     "do not read the store back to compare it with what was sent"},
    {Option::kDryRun, "dry-run", 0, nullptr, "", false,
     "print the requests instead of sending them; the port is not opened"},
    {Option::kForce, "force", 0, nullptr, "", false,
     "restore a backup taken from a sensor with another CCD type"},
    {Option::kCount, "count", 'n', "N", "", false, "stop after N frames"},
    {Option::kFormat, "format", 0, "csv|jsonl", "csv jsonl", false,
     "rows as CSV with the recording's header (csv, the default) or one JSON object a line"},
    {Option::kDuration, "duration", 0, "S", "", false, "stop after S seconds"},
    {Option::kMqtt, "mqtt", 0, "URL", "", false,
     "the broker and the topic prefix: mqtt://HOST[:PORT]/PREFIX, or mqtts:// for TLS "
     "(port 1883 or 8883 when not given)"},
    {Option::kClientId, "client-id", 0, "ID", "", false,
     "the client id at the broker; vantrel- and the prefix with - for / when not given"},
    {Option::kUsername, "username", 0, "U", "", false, "the user name at the broker"},
    {Option::kPasswordFile, "password-file", 0, "FILE", "", false,
     "a file whose first line is the broker's password (a password is never an argument: the "
     "process list would show it)"},
    {Option::kQos, "qos", 0, "0|1", "0 1", false,
     "the measurements' QoS: 1 (the default), every frame acknowledged by the broker and sent "
     "again after a reconnect; 0, sent once"},
    {Option::kCafile, "cafile", 0, "FILE", "", false,
     "the CA certificate that signed the broker's, for mqtts://; the system's CA certificates "
     "when not given"},
    {Option::kConfig, "config", 0, "FILE", "", false,
     "the publisher's settings, key = value a line: port, broker, prefix, client-id, username, "
     "password-file, qos, cafile; options given beside it win"},
};

constexpr CommandSpec kCommands[kCommandCount] = {
    {Command::kCheck, "check", "", 0, 0, Operands::kNone, 0, true,
     "the line check: whether the sensor answers",
     "Sends the line check and says whether the sensor answered it with the reply sync."},
    {Command::kIdentify, "identify", "", 0, 0, Operands::kNone, 0, true,
     "the firmware text, the CCD type, its pixel count and pixel pitch",
     "Asks the sensor for its firmware text and its CCD information and prints the firmware "
     "text, the CCD type, its description, the pixel count and the pixel pitch."},
    {Command::kGet, "get", "", 0, 0, Operands::kNone, Bit(Option::kStore) | Bit(Option::kOutput),
     true, "the 16-word parameter set, in the parameter file format",
     "Reads the parameter set from the sensor's RAM or EEPROM and writes it in the parameter "
     "file format (16 lines, one value each, in package order) to standard output or FILE. "
     "With --json, the parameters by name."},
    {Command::kSend, "send", "FILE", 1, 1, Operands::kFile,
     Bit(Option::kStore) | Bit(Option::kNoVerify) | Bit(Option::kDryRun), true,
     "a parameter file's set to the sensor, read back and compared",
     "Sends the parameter set of FILE to the sensor's RAM or EEPROM. A file that is not 16 "
     "whole numbers, holds a value the sensor does not accept (checked against the sensor's own "
     "line) or an evaluation window that runs backward is refused with the line and the range, "
     "and nothing is sent. The store is then read back and compared with what was "
     "sent (exit 1 when it differs)."},
    {Command::kCompare, "compare", "A B", 2, 2, Operands::kSetSources, 0, true,
     "two parameter sets, by parameter name; exit 1 when they differ",
     "Compares two parameter sets, each the sensor's ram, its eeprom, the program's defaults or "
     "a parameter file (./ram for a file of that name), and prints the parameters that differ "
     "with their meanings. Exit 1 when they differ."},
    {Command::kPorts, "ports", "", 0, 0, Operands::kNone, 0, false,
     "the serial ports, their stable names and whether each can be opened",
     "Lists the serial ports: the port number leading to each device, its stable name under "
     "/dev/serial/by-id where there is one, the USB description and serial number, and whether "
     "it can be opened now (free, busy, no permission, absent)."},
    {Command::kBackup, "backup", "", 0, 0, Operands::kNone, Bit(Option::kOutput), true,
     "the sensor's RAM and EEPROM sets, CCD and firmware, as a backup file",
     "Reads both parameter sets, the CCD information and the firmware text and writes them as "
     "a backup file, the format the desktop program reads and writes."},
    {Command::kRestore, "restore", "FILE", 1, 1, Operands::kFile,
     Bit(Option::kNoVerify) | Bit(Option::kDryRun) | Bit(Option::kForce), true,
     "a backup file back into the sensor's EEPROM and RAM",
     "Writes the EEPROM set of a backup file and reads it back, then the RAM set, and says "
     "whether both stores hold the backup. A malformed backup, a value the sensor does not "
     "accept, or a backup of another CCD type (without --force) is refused before anything is "
     "sent."},
    {Command::kWatch, "watch", "", 0, 0, Operands::kNone,
     Bit(Option::kCount) | Bit(Option::kFormat) | Bit(Option::kDuration), false,
     "the measurements, one row a frame, at the line's rate",
     "Runs the measurement loop and prints one row a frame, with the columns of the desktop "
     "program's recording, each row flushed as it comes. Ctrl+C or SIGTERM ends it cleanly; a "
     "summary line (frames, inside the band, min, max, mean) goes to standard error."},
    {Command::kTrace, "trace", "FILE -- COMMAND...", 2, -1, Operands::kTracedCommand, 0, false,
     "run COMMAND and record the line in FILE", "The same as --trace FILE COMMAND..."},
    {Command::kPublish, "publish", "", 0, 0, Operands::kNone,
     Bit(Option::kMqtt) | Bit(Option::kClientId) | Bit(Option::kUsername) |
         Bit(Option::kPasswordFile) | Bit(Option::kQos) | Bit(Option::kCafile) |
         Bit(Option::kConfig) | Bit(Option::kCount) | Bit(Option::kDuration),
     false, "the measurements and the sensor's state on an MQTT broker",
     "Runs the measurement loop and publishes under PREFIX on an MQTT broker: "
     "PREFIX/measurement, one JSON object a frame (seq from 1, time in UTC, time_ms and the "
     "recording's columns); PREFIX/status, retained, a JSON object whose state is online while "
     "the sensor answers, lost when it stops answering (it is asked again until it answers), "
     "offline at the end and as the broker's last will, and whose dropped counts the frames a "
     "full queue dropped; PREFIX/identity (port, firmware, CCD) and PREFIX/parameters (the 16 "
     "parameters by name), retained, published again when they change. Every retained topic is "
     "published again on every connect. The measurement loop never waits for the broker: a "
     "lost broker is tried again after 0.5 s, doubling to every 5 s, while the frames wait in "
     "a queue of 16384 frames (some ten minutes of a paced Run) and are sent in order when it "
     "is back; only a full queue drops its oldest frames. Ctrl+C or SIGTERM ends it cleanly, "
     "with the frames still queued sent first (5 s at most). An unknown host, or credentials or "
     "a certificate the broker refuses before the first connection, end it with exit 6. "
     "--config FILE is how the systemd unit vantrel-publish@NAME runs it, with "
     "/etc/vantrel/publish-NAME.conf."},
};

// Both tables are indexed by their enums: a row out of place would give one
// command another's options.
constexpr bool InEnumOrder() {
  for (int i = 0; i < kOptionCount; ++i) {
    if (static_cast<int>(kOptions[i].id) != i) return false;
  }
  for (int i = 0; i < kCommandCount; ++i) {
    if (static_cast<int>(kCommands[i].id) != i) return false;
  }
  return true;
}
static_assert(InEnumOrder(), "kOptions and kCommands follow the order of their enums");
static_assert(kOptionCount <= 32, "CommandSpec::options holds a bit for each option");

const OptionSpec& Spec(Option option) {
  return kOptions[static_cast<int>(option)];
}

const CommandSpec& Spec(Command command) {
  return kCommands[static_cast<int>(command)];
}

const CommandSpec* FindCommand(std::string_view name) {
  for (const CommandSpec& command : kCommands) {
    if (name == command.name) return &command;
  }
  return nullptr;
}

}  // namespace cli
