#!/usr/bin/env bash
# Runs the tool against the simulated sensor: scripts/demo.sh BUILD_DIR
#
# Starts BUILD_DIR/vantrel-sim on a pseudo-terminal linked into a private
# temporary directory, points the tool's COM1 at it (VANTREL_COM1) and runs
# BUILD_DIR/vantrel. The simulator is stopped when the tool exits.
#
# Without a display the tool runs under Xvfb for a few seconds (DEMO_SECONDS,
# default 4, after its window has appeared) and a screenshot is saved to
# BUILD_DIR/demo.png.
set -eu

die() {
  echo "demo: $*" >&2
  exit 1
}

# Runs inside Xvfb: starts the tool, waits (with a deadline) until one of its
# windows is on screen, lets it run, takes a screenshot, stops the tool.
# Prints the seconds the tool ran.
headless() {
  local tool=$1 shot=$2 seconds=$3 work=$4 pid start shown=0
  start=$(date +%s.%N)
  "$tool" >"$work/tool.log" 2>&1 &
  pid=$!
  for _ in $(seq 150); do
    kill -0 "$pid" 2>/dev/null || break
    if ! command -v xwininfo >/dev/null 2>&1; then
      sleep 2  # cannot see windows: give it a moment
      shown=1
      break
    fi
    for id in $(xwininfo -root -children 2>/dev/null | awk '/^ +0x/ {print $1}'); do
      if xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable'; then
        shown=1
        break 2
      fi
    done
    sleep 0.1
  done
  if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid" || true
    echo "demo: the tool ended before it showed a window:" >&2
    cat "$work/tool.log" >&2
    return 1
  fi
  [ "$shown" = 1 ] || echo "demo: no window after 15 s; taking the screenshot anyway" >&2
  sleep "$seconds"
  if command -v import >/dev/null 2>&1; then
    import -window root "$shot"
  else
    echo "demo: 'import' (imagemagick) is missing: no screenshot" >&2
  fi
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f\n", b - a }'
}

# Inside Xvfb the script runs itself again in this mode.
if [ "${1:-}" = "--inside-xvfb" ]; then
  shift
  headless "$@"
  exit
fi

[ $# -eq 1 ] || die "usage: scripts/demo.sh BUILD_DIR"
build=${1%/}
sim="$build/vantrel-sim"
tool="$build/vantrel"
[ -x "$sim" ] && [ -x "$tool" ] || die "$build/vantrel or $build/vantrel-sim is not built yet: run 'make' first"

work=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-demo.XXXXXX")
link="$work/COM1"
sim_pid=""
tool_pid=""

cleanup() {
  status=$?
  trap - EXIT INT TERM
  if [ -n "$tool_pid" ] && kill -0 "$tool_pid" 2>/dev/null; then
    kill "$tool_pid" 2>/dev/null || true
    wait "$tool_pid" 2>/dev/null || true
  fi
  if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

"$sim" --link "$link" >"$work/sim.log" 2>&1 &
sim_pid=$!

# The simulator prints its device and creates the link once the pty is ready.
for _ in $(seq 100); do
  [ -L "$link" ] && break
  kill -0 "$sim_pid" 2>/dev/null || break
  sleep 0.05
done
if [ ! -L "$link" ]; then
  cat "$work/sim.log" >&2
  die "the simulated sensor did not start"
fi
head -n 1 "$work/sim.log"
export VANTREL_COM1="$link"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  # Interactive: the simulator stops when the tool's window is closed.
  "$tool" &
  tool_pid=$!
  wait "$tool_pid" || status=$?
  tool_pid=""
  exit "${status:-0}"
fi

if ! command -v xvfb-run >/dev/null 2>&1; then
  die "no display, and xvfb-run is not installed to run the tool without one.
      Install it with 'make deps' (as root) or: apt-get install xvfb xauth imagemagick"
fi

shot="$build/demo.png"
seconds=${DEMO_SECONDS:-4}


rm -f "$shot"
self="$(cd "$(dirname "$0")" && pwd)/$(basename "$0")"
ran=$(xvfb-run -a -s "-screen 0 1280x800x24" bash "$self" --inside-xvfb "$tool" "$shot" "$seconds" "$work")
if [ -f "$shot" ]; then
  echo "no display: ran the tool under Xvfb for $ran s; screenshot in $shot"
else
  echo "no display: ran the tool under Xvfb for $ran s; no screenshot taken"
fi
