#!/usr/bin/env bash
# The program's layers above the engine (link/, param/, display/, app/) reach it
# only through its public headers at the top of runtime/, and know no Qt.
# Prints every include that breaks this and fails; silent when all is well.
# Usage: scripts/check_layers.sh [SOURCE_DIR]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"
bad=$(grep -rnE '#include[[:space:]]*[<"](runtime/|Q[A-Za-z]*[>/])' link param display app |
  grep -vE '#include[[:space:]]*"runtime/(userint|rs232|utility)\.h"' || true)
if [ -n "$bad" ]; then
  echo "These includes reach past the engine's public headers or into Qt:"
  echo "$bad"
  exit 1
fi
