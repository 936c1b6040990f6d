#include "cli/qt/command_result.h"

#include "cli/qt/output.h"

namespace cli {

CommandResult& CommandResult::Fail(int exitStatus, const std::string& line) {
  status = exitStatus;
  failure = line;
  return *this;
}

int Deliver(const Invocation& invocation, const CommandResult& result) {
  if (!result.failure.empty()) Complain(result.failure);
  if (invocation.json) {
    JsonObject object = ResultObject(Spec(invocation.command).name, result.status);
    object.Append(result.json);
    if (!result.failure.empty()) object.Add("error", result.failure);
    Print(object.Text() + "\n");
  } else {
    if (!result.data.empty()) Print(result.data);
    if (!result.note.empty() && !invocation.quiet) Print(result.note);
  }
  return result.status;
}

}  // namespace cli
