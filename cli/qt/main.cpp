// vantrel-cli: the sensor from a script. Parses the command line against the
// one table of commands and options, then runs the command on one sensor, or
// on every sensor of --sensors FILE with --all, over the engine's serial
// channel without any display.
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/exit_codes.h"
#include "cli/help_text.h"
#include "cli/invocation.h"
#include "cli/qt/commands.h"
#include "cli/qt/fleet.h"
#include "cli/qt/output.h"
#include "cli/qt/sensor_link.h"
#include "cli/qt/trace_recorder.h"
#include "runtime/event_wait.h"

namespace {

int Run(int argc, char** argv) {
  const cli::ParseResult parsed = cli::Parse(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.ok) {
    cli::Complain(parsed.error);
    return cli::kExitUsage;
  }
  const cli::Invocation& invocation = parsed.invocation;
  if (invocation.help) {
    cli::Print(invocation.haveCommand && invocation.command != cli::Command::kTrace
                   ? cli::CommandHelp(cli::Spec(invocation.command))
                   : cli::HelpText());
    return cli::kExitDone;
  }
  if (invocation.version) {
    cli::Print(std::string(cli::kProgram) + " " VANTREL_VERSION "\n");
    return cli::kExitDone;
  }
  // Qt's own event dispatcher rather than glib's: there is no toolkit to
  // share a main loop with, and every round of a Run costs less (bench_cli).
  setenv("QT_NO_GLIB", "1", 0);
  if (!InitEventCore(argc, argv)) {
    cli::Complain("the engine could not start");
    return cli::kExitPort;
  }
  cli::KeepSerialReports();
  if (invocation.all) return cli::RunOnEverySensor(invocation);

  cli::TraceRecorder trace;
  std::string failure;
  if (!invocation.trace.empty() && !trace.Start(invocation.trace, &failure)) {
    cli::Complain(failure);
    return cli::kExitFile;
  }
  int status = cli::RunCommand(invocation);
  // The port is closed by now: the trace ends with it.
  if (const std::string stopped = trace.Stop(); !stopped.empty()) {
    cli::Complain(stopped);
    if (status == cli::kExitDone) status = cli::kExitFile;
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  // A reader that goes away shows as EPIPE on the next write, not as a signal.
  std::signal(SIGPIPE, SIG_IGN);
  return cli::FinalStatus(Run(argc, argv));
}
