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
# Every feature folder (monitor/, watch/, sets/, ports/, fields/ and any folder
# added beside them) reaches the program only through its front door: it
# includes nothing but the engine's public headers, protocol/, the program's
# events and face (app/program_events.h, app/program_face.h), fields/, Qt and
# its own files, and it attaches without looking widgets up (no findChild, no
# application-wide event filter).
# Publishing's core (publish/) is pure: no Qt, no engine, no program, no
# sockets; its libmosquitto layer (publish/mosquitto/) knows no Qt either.
# Prints every include or call that breaks this and fails; silent when all is well.
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
bad=$(grep -rnE '#include[[:space:]]*[<"](runtime/|link/|param/|display/|app/|cli/qt/|mosquitto|sys/socket|Q[A-Za-z]*[>/.])' publish/*.h publish/*.cpp || true)
bad+=$(grep -rnE '#include[[:space:]]*[<"](runtime/|link/|param/|display/|app/|cli/qt/|Q[A-Za-z]*[>/.])' publish/mosquitto || true)
if [ -n "$bad" ]; then
  echo "These includes take publishing's core out of pure code, or its libmosquitto layer into Qt or the engine:"
  echo "$bad"
  status=1
fi

# The folders that are no feature: the program, the engine, the protocol, the
# simulator, the process start-up, and what tests, measures or documents them.
# The command-line program (cli/, with publish/, its publisher) and netport/
# are no features of the desktop program; cli/ and netport/ have rules above.
not_features='^(app|link|param|display|runtime|protocol|sim|program|cli|publish|netport|tests|bench|tools|docs|scripts|packaging|build.*)$'
for folder in */; do
  folder=${folder%/}
  [[ $folder =~ $not_features ]] && continue
  [ -n "$(find "$folder" \( -name '*.cpp' -o -name '*.h' \) -print -quit)" ] || continue
  bad=$(grep -rnE '#include[[:space:]]*"' "$folder" --include='*.cpp' --include='*.h' |
    grep -vE "#include[[:space:]]*\"($folder/|fields/|protocol/|app/program_(events|face)\\.h\"|runtime/[A-Za-z0-9_]+\\.h\")" ||
    true)
  if [ -n "$bad" ]; then
    echo "These includes take the feature $folder/ past the program's front door:"
    echo "$bad"
    status=1
  fi
  bad=$(grep -rnE 'findChild|(qApp|QCoreApplication::instance\(\)|QApplication::instance\(\))->installEventFilter' \
    "$folder" --include='*.cpp' --include='*.h' || true)
  if [ -n "$bad" ]; then
    echo "These attach the feature $folder/ by looking widgets up instead of through the panel's slots:"
    echo "$bad"
    status=1
  fi
done
exit $status
