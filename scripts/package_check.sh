#!/usr/bin/env bash
# Checks the Debian package as an operator's machine gets it (as root):
#   - the desktop entry and the software centre's data inside the .deb validate;
#   - lintian finds no error (its warnings and notes are printed);
#   - apt-get installs it; the INSTALLED program, headless, runs its start-up
#     against the INSTALLED simulator until its trace shows the firmware reply's
#     text, and SIGTERM ends it with exit code 0 and the port closed;
#   - the INSTALLED vantrel-cli (no Qt Gui or widgets among its libraries, its
#     man page and bash completion in place) reads the same simulator's identity;
#   - apt-get purges it and none of its files remain.
#
#   scripts/package_check.sh [BUILD_DIR]      (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
deadline_s=30

fail() { echo "package_check: FAIL: $*" >&2; exit 1; }
say() { echo "package_check: $*"; }

[ "$(id -u)" = 0 ] || fail "run as root (it installs and removes the package)"
debs=("$build"/vantrel_*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || fail "expected one $build/vantrel_*.deb (make package)"
deb=${debs[0]}
say "checking $deb"

work=$(mktemp -d /tmp/vantrel-package-check.XXXXXX)
chmod 700 "$work"
sim_pid=""
app_pid=""
installed_here=0
cleanup() {
  [ -n "$app_pid" ] && kill -KILL "$app_pid" 2>/dev/null || true
  [ -n "$sim_pid" ] && kill -TERM "$sim_pid" 2>/dev/null || true
  if [ "$installed_here" = 1 ] && dpkg-query -W -f='${Status}' vantrel 2>/dev/null | grep -q installed; then
    DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y -qq vantrel >/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# Waits until the command succeeds, at most $1 seconds.
wait_for() {
  local limit=$1
  shift
  local end=$((SECONDS + limit))
  until "$@"; do
    [ $SECONDS -lt $end ] || return 1
    sleep 0.1
  done
}

# 1. The package's contents.
dpkg-deb -x "$deb" "$work/root"
desktop=("$work"/root/usr/share/applications/*.desktop)
metainfo=("$work"/root/usr/share/metainfo/*.metainfo.xml)
desktop-file-validate "${desktop[@]}" || fail "desktop entry"
appstreamcli validate --no-net "${metainfo[@]}" || fail "metainfo"
say "desktop entry and metainfo valid"

# 2. lintian: errors fail, the rest is shown.
lintian --fail-on error --info "$deb" || fail "lintian reports errors"
say "lintian: no errors"

# 3. Install.
export DEBIAN_FRONTEND=noninteractive
installed_here=1
if ! apt-get install -y -qq "./$deb"; then
  apt-get update -qq
  apt-get install -y -qq "./$deb" || fail "apt-get install"
fi
version=$(dpkg-query -W -f='${Version}' vantrel)
[ "$(readlink /usr/bin/vantrel)" = ../lib/vantrel/vantrel ] || fail "/usr/bin/vantrel is not the link"
[ -f /usr/lib/vantrel/Vantrel.uir ] || fail "no panel resource beside the program"
[ "$(/usr/bin/vantrel --version)" = "vantrel ${version%-*}" ] || fail "vantrel --version"
[ "$(/usr/bin/vantrel-sim --version)" = "vantrel-sim ${version%-*}" ] || fail "vantrel-sim --version"
[ "$(/usr/bin/vantrel-cli --version)" = "vantrel-cli ${version%-*}" ] || fail "vantrel-cli --version"
/usr/bin/vantrel --help | grep -q VANTREL_COM || fail "vantrel --help"
/usr/bin/vantrel-cli --help | grep -q "Exit codes" || fail "vantrel-cli --help"
[ -f /usr/share/man/man1/vantrel-cli.1.gz ] || fail "no man page of vantrel-cli"
[ -f /usr/share/bash-completion/completions/vantrel-cli ] || fail "no bash completion of vantrel-cli"
if ldd /usr/bin/vantrel-cli | grep -E 'libQt6(Gui|Widgets)'; then fail "vantrel-cli needs a display's libraries"; fi
/usr/bin/vantrel-sim --help >/dev/null || fail "vantrel-sim --help"
say "installed $version"

# 4. The installed program against the installed simulator, headless.
firmware="Vantrel package check"
/usr/bin/vantrel-sim --link "$work/sensor" --firmware "$firmware" >"$work/sim.out" 2>&1 &
sim_pid=$!
wait_for "$deadline_s" test -L "$work/sensor" || fail "the simulator made no link: $(cat "$work/sim.out")"
(cd "$work" && exec env QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work" HOME="$work" \
  VANTREL_COM1="$work/sensor" /usr/bin/vantrel --trace "$work/start.trace" \
  >"$work/vantrel.out" 2>&1) &
app_pid=$!
# The trace is written entry by entry: the firmware reply's comment carries its text.
if ! wait_for "$deadline_s" grep -q "Firmware info reply: \"$firmware" "$work/start.trace" 2>/dev/null; then
  cat "$work/start.trace" "$work/vantrel.out" 2>/dev/null || true
  fail "no firmware reply in the trace within ${deadline_s} s"
fi
say "the installed program read the firmware text"
kill -TERM "$app_pid"
status=0
wait "$app_pid" || status=$?
app_pid=""
[ "$status" = 0 ] || fail "vantrel ended with $status after SIGTERM: $(cat "$work/vantrel.out")"
tail -n 1 "$work/start.trace" | grep -q " closed " || fail "the port was not closed last: $(tail -n 3 "$work/start.trace")"
say "SIGTERM: exit 0, port closed"
/usr/bin/vantrel-cli --port "$work/sensor" identify >"$work/identify.out" 2>&1 ||
  fail "vantrel-cli identify: $(cat "$work/identify.out")"
grep -q "^firmware: $firmware" "$work/identify.out" || fail "vantrel-cli identify: $(cat "$work/identify.out")"
say "the installed vantrel-cli read the sensor's identity"
kill -TERM "$sim_pid"
wait "$sim_pid" || true
sim_pid=""

# 5. Purge: nothing of the package stays.
dpkg-query -L vantrel >"$work/files"
apt-get remove --purge -y -qq vantrel
installed_here=0
left=""
while IFS= read -r path; do
  [ -n "$path" ] && [ "$path" != "/." ] || continue
  if [ -d "$path" ] && [ ! -L "$path" ]; then
    # Shared folders (/usr/bin, the icon theme's) stay; the package's own go.
    case "$path" in /usr/lib/vantrel | /usr/share/doc/vantrel | /usr/share/doc/vantrel/*) left="$left $path" ;; esac
  elif [ -e "$path" ] || [ -L "$path" ]; then
    left="$left $path"
  fi
done <"$work/files"
[ -z "$left" ] || fail "left after purge:$left"
state=$(dpkg-query -W -f='${Status}' vantrel 2>/dev/null || true)
[ -z "$state" ] || [[ $state == *not-installed ]] || fail "dpkg still has vantrel: $state"
say "purged, no file left"
say "OK"
