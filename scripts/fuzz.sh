#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a set time each, starting
# from the seed corpus in tests/fuzz/corpus/<target> (copied, so that what the
# fuzzer finds stays in the build directory), and prints one line per target.
# Usage: scripts/fuzz.sh BUILD_DIR SECONDS [TARGET...]
set -euo pipefail
build=${1:?build directory}
seconds=${2:?seconds per target}
shift 2
root="$(cd "$(dirname "$0")/.." && pwd)"
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(link_fuzz parafile_fuzz panel_resource_fuzz request_framer_fuzz trace_fuzz backup_fuzz telnet_fuzz)

status=0
for t in "${targets[@]}"; do
  bin="$build/tests/fuzz/$t"
  corpus="$build/fuzz-corpus/$t"
  mkdir -p "$corpus" "$build/fuzz-findings/$t"
  cp -n "$root/tests/fuzz/corpus/$t"/* "$corpus"/ 2>/dev/null || true
  dict=()
  [ -f "$root/tests/fuzz/$t.dict" ] && dict=(-dict="$root/tests/fuzz/$t.dict")
  log="$build/fuzz-$t.log"
  # stderr of the program under test (missing-callback notes and the like) is
  # kept out of the log's way; findings are still reported by the fuzzer.
  if ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
     "$bin" "$corpus" "${dict[@]}" -max_total_time="$seconds" -print_final_stats=1 \
       -close_fd_mask=1 -artifact_prefix="$build/fuzz-findings/$t/" >"$log" 2>&1; then
    result=ok
  else
    result="FINDING (see $log)"
    status=1
  fi
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -ao 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  echo "fuzz: $t ${seconds}s executions=${execs:-?} coverage=${cov:-?} $result"
done
exit $status
