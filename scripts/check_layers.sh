#!/usr/bin/env bash
# The program's layers above the engine (link/, param/, display/, app/) reach it
# only through its public headers at the top of runtime/, and know no Qt; nor
# do they know the features beside them (the line monitor, the word table,
# watch and keep, parameter sets, the sensor search, the process start-up), which reach them only through the
# engine's seams.
# protocol/, the sensor's frames and rules, knows nothing but itself and the
# standard library: no program, no engine, no feature, no Qt; nor does
# netport/, the network ports' URLs and Telnet client.
# The command-line program's core (cli/, not cli/qt/) is pure: no Qt, no
# engine, no program variables; its sensor side (cli/qt/) reaches the engine
# through its public headers only and knows neither Qt Gui nor widgets.
# Prints every include that breaks this and fails; silent when all is well.
# Usage: scripts/check_layers.sh [SOURCE_DIR]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"
status=0
bad=$(grep -rnE '#include[[:space:]]*[<"](runtime/|monitor/|fields/|watch/|sets/|ports/|program/|netport/|Q[A-Za-z]*[>/])' link param display app |
  grep -vE '#include[[:space:]]*"runtime/(userint|rs232|utility)\.h"' || true)
if [ -n "$bad" ]; then
  echo "These includes reach past the engine's public headers, into Qt or into a feature:"
  echo "$bad"
  status=1
fi
bad=$(grep -rnE '#include[[:space:]]*("|<Q)' protocol | grep -vE '#include[[:space:]]*"protocol/' || true)
if [ -n "$bad" ]; then
  echo "These includes take protocol/ out of itself, into the program, the engine or Qt:"
  echo "$bad"
  status=1
fi
bad=$(grep -nE '#include[[:space:]]*[<"](runtime/|link/|param/|display/|app/|Q[A-Za-z]*[>/])' cli/*.h cli/*.cpp || true)
if [ -n "$bad" ]; then
  echo "These includes take the command-line program's core out of pure code:"
  echo "$bad"
  status=1
fi
bad=$(grep -nE '#include[[:space:]]*[<"](runtime/[a-z_]+/|link/|param/|display/|app/|QtGui|QtWidgets|QWidget|QApplication|QGui)' cli/qt/*.h cli/qt/*.cpp || true)
if [ -n "$bad" ]; then
  echo "These includes take the command-line program past the engine's public headers or into a display:"
  echo "$bad"
  status=1
fi
bad=$(grep -rnE '#include[[:space:]]*("|<Q)' netport | grep -vE '#include[[:space:]]*"netport/' || true)
if [ -n "$bad" ]; then
  echo "These includes take netport/ out of itself, into the program, the engine or Qt:"
  echo "$bad"
  status=1
fi
exit $status
