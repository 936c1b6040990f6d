// The process start-up: the features beside the panels (the line monitor,
// watch and keep), then the program.
//
//   vantrel [--trace FILE]
//
// --trace FILE records the sensor line from the first byte on into FILE (a
// trace file, as the line monitor saves). The option is taken out of the
// arguments before the program and the engine see them; a missing FILE or an
// unknown "--" option ends the process with a usage line and exit code 2.
#include <cstdio>
#include <cstring>

#include "app/vantrel.h"
#include "monitor/qt/line_monitor.h"
#include "ports/qt/find_sensor.h"
#include "sets/views/compare.h"
#include "watch/qt/watch_tools.h"

namespace {

constexpr char kUsage[] = "usage: vantrel [--trace FILE]\n";

}  // namespace

int main(int argc, char** argv) {
  const char* traceFile = nullptr;
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--trace") == 0) {
      if (i + 1 >= argc) {
        std::fputs(kUsage, stderr);
        return 2;
      }
      traceFile = argv[++i];
    } else if (std::strncmp(argv[i], "--", 2) == 0) {
      std::fprintf(stderr, "vantrel: unknown option %s\n%s", argv[i], kUsage);
      return 2;
    } else {
      argv[kept++] = argv[i];
    }
  }
  argv[kept] = nullptr;
  if (!InstallLineMonitor(traceFile)) return 1;
  InstallWatchTools();
  InstallCompare();
  InstallFindSensor();
  return WinMain(kept, argv);
}
