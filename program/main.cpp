// The process start-up: the features beside the panels (the line monitor,
// watch and keep), then the program.
//
//   vantrel [--port P] [--trace FILE] | --help | --version
//
// --port P starts the program on port P instead of COM1: a port number ("3",
// "COM3"), or a device as VANTREL_COM<n> takes it (a path, a name in /dev, a
// network port "rfc2217://HOST:PORT" or "tcp://HOST:PORT"), which COM1 is
// then mapped to for the session. The window's title names the port.
// --trace FILE records the sensor line from the first byte on into FILE (a
// trace file, as the line monitor saves). The option is taken out of the
// arguments before the program and the engine see them; a missing FILE or an
// unknown "--" option ends the process with a usage line and exit code 2.
// --help and --version print to standard output and end with 0 before anything
// starts, as installed programs do.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/vantrel.h"
#include "monitor/qt/line_monitor.h"
#include "ports/qt/find_sensor.h"
#include "program/port_option.h"
#include "runtime/rs232.h"
#include "runtime/utility.h"
#include "sets/views/compare.h"
#include "watch/qt/watch_tools.h"

namespace {

constexpr char kUsage[] = "usage: vantrel [--port P] [--trace FILE] | --help | --version\n";

constexpr char kHelp[] =
    "Vantrel: configure and observe a Q-VOR optical line sensor on RS-232.\n"
    "\n"
    "Options:\n"
    "  --port P       start on port P instead of COM1: a number (3, COM3), a device\n"
    "                 (/dev/ttyUSB0, ttyUSB0) or a serial device server on the\n"
    "                 network (rfc2217://HOST:PORT, tcp://HOST:PORT)\n"
    "  --trace FILE   record the sensor line from the first byte on into FILE\n"
    "                 (a trace file, as the line monitor saves)\n"
    "  --help         this text\n"
    "  --version      the program's version\n"
    "\n"
    "Environment:\n"
    "  VANTREL_COM<n> the device of port COM<n> (1..10), a path or a name in /dev,\n"
    "                 e.g. VANTREL_COM1=/dev/ttyUSB0; unset, COM1-COM4 are\n"
    "                 /dev/ttyS0-3, COM5-COM8 /dev/ttyUSB0-3, COM9-COM10 /dev/ttyACM0-1\n"
    "\n"
    "The program opens COM1 at start-up.";

// Where this program's documentation lies: the source tree of a program run
// from its build folder, otherwise where the package installs it.
std::string DocumentationDir() {
  char dir[UI_PATH_MAX] = "";
  if (GetProjectDir(dir, sizeof dir) == 0) {
    std::error_code error;
    const std::filesystem::path source = std::filesystem::weakly_canonical(
        std::filesystem::path(dir) / VANTREL_SOURCE_FROM_PROGRAM, error);
    if (!error && std::filesystem::is_regular_file(source / "README.md", error))
      return source.string();
  }
  return VANTREL_DOC_DIR;
}

void PrintHelp() {
  const std::string docs = DocumentationDir();
  std::fputs(kUsage, stdout);
  std::fputs(kHelp, stdout);
  std::printf(
      " Documentation: %s/README.md\nand %s/docs/, the man pages vantrel(1) and "
      "vantrel-sim(1).\n",
      docs.c_str(), docs.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const char* traceFile = nullptr;
  const char* port = nullptr;
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0) {
      PrintHelp();
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::puts("vantrel " VANTREL_VERSION);
      return 0;
    }
    if (std::strcmp(argv[i], "--trace") == 0 || std::strcmp(argv[i], "--port") == 0) {
      if (i + 1 >= argc) {
        std::fputs(kUsage, stderr);
        return 2;
      }
      (argv[i][2] == 't' ? traceFile : port) = argv[i + 1];
      ++i;
    } else if (std::strncmp(argv[i], "--", 2) == 0) {
      std::fprintf(stderr, "vantrel: unknown option %s\n%s", argv[i], kUsage);
      return 2;
    } else {
      argv[kept++] = argv[i];
    }
  }
  argv[kept] = nullptr;
  if (port != nullptr) {
    PortOption chosen;
    std::string error;
    if (!ParsePortOption(port, &chosen, &error)) {
      std::fprintf(stderr, "vantrel: %s\n%s", error.c_str(), kUsage);
      return 2;
    }
    startCom = chosen.number;
    if (!chosen.device.empty()) SetComPortDevice(chosen.number, chosen.device.c_str());
  }
  if (!InstallLineMonitor(traceFile)) return 1;
  InstallWatchTools();
  InstallCompare();
  InstallFindSensor();
  return WinMain(kept, argv);
}
