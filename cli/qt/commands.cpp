#include "cli/qt/commands.h"

#include "cli/port_argument.h"
#include "protocol/orders.h"

namespace cli {
namespace {

using Handler = CommandResult (*)(const Invocation&);

// Indexed by Command. trace never arrives here: its command line is parsed
// into --trace FILE and the command it traces.
constexpr Handler kHandlers[kCommandCount] = {
    Check, Identify, Get, Send, Compare, Ports, Backup, Restore, Watch, nullptr, Publish,
};

}  // namespace

int RunCommand(const Invocation& invocation) {
  const Handler handler = kHandlers[static_cast<int>(invocation.command)];
  if (handler == nullptr) {
    CommandResult result;
    return Deliver(invocation, result.Fail(kExitUsage, "trace takes FILE -- COMMAND..."));
  }
  return Deliver(invocation, handler(invocation));
}

bool OpenLink(const Invocation& invocation, SensorLink* link, CommandResult* result) {
  PortArgument port;
  std::string error;
  if (!ParsePortArgument(invocation.port, &port, &error)) {
    result->json.Add("port", invocation.port);
    result->Fail(kExitUsage, error);
    return false;
  }
  const bool opened = link->Open(port);
  result->json.Add("port", link->Name()).Add("device", link->Device());
  if (!opened) LinkFailed(*link, result);
  return opened;
}

CommandResult& LinkFailed(const SensorLink& link, CommandResult* result) {
  return result->Fail(link.FailureStatus(), link.Failure());
}

int ReadOrder(Store store) {
  return store == Store::kEeprom ? protocol::kReadEeprom : protocol::kReadRam;
}

int WriteOrder(Store store) {
  return store == Store::kEeprom ? protocol::kWriteEeprom : protocol::kWriteRam;
}

const char* StoreName(Store store) {
  return store == Store::kEeprom ? "EEPROM" : "RAM";
}

}  // namespace cli
