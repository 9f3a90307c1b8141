#!/usr/bin/env bash
# Fuzzes every target with libFuzzer for SECONDS each (default 300):
#   fuzz/run.sh [SECONDS]
# Installs clang and its fuzzer runtime when missing, builds the targets with clang,
# AddressSanitizer and UBSan in build/fuzz, runs each on a copy of its committed corpus
# (fuzz/corpus/<target>, dictionary fuzz/<target>.dict) and prints, per target, the
# executions, the run time and the crashes found. Crash inputs are left in
# build/fuzz/crashes/<target>/. Exits non-zero when a target crashed or could not run.
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"

seconds="${1:-300}"
case "$seconds" in
  '' | *[!0-9]* | 0)
    echo "usage: $0 [SECONDS]  (time per target, default 300)" >&2
    exit 2
    ;;
esac

targets=(decode settings pipeline)
# Longest input per target: long enough for lines over 31 characters and for texts beyond
# the settings reader's interesting lengths.
declare -A max_len=([decode]=4096 [settings]=4096 [pipeline]=8192)

# clang and its fuzzer runtime (libclang-rt-14-dev holds libclang_rt.fuzzer), with the build
# tools; install_packages installs only what is missing.
VORNEL_PACKAGES=(clang libclang-rt-14-dev cmake ninja-build)
install_packages || exit 1

build="$VORNEL_ROOT/build/fuzz"
log "building the fuzz targets in build/fuzz"
cmake -S "$VORNEL_ROOT" -B "$build" -G Ninja \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVORNEL_SANITIZE=ON -DVORNEL_FUZZ=ON -DVORNEL_TESTS=OFF >/dev/null || exit 1
cmake --build "$build" --target "${targets[@]/#/fuzz_}" -- -j"$(nproc)" >/dev/null || {
  log "build failed"
  exit 1
}

status=0
summary=()
for t in "${targets[@]}"; do
  work="$build/corpus/$t"
  crashes="$build/crashes/$t"
  logs="$build/logs/$t"
  rm -rf "$work" "$crashes" "$logs"
  mkdir -p "$work" "$crashes" "$logs"
  cp -r "$VORNEL_ROOT/fuzz/corpus/$t/." "$work/"

  log "fuzzing $t for $seconds s"
  # libFuzzer stops at the first crash; the target then starts again on the grown corpus
  # until its time is used up, so that one crash does not end the whole run.
  executions=0
  start=$(date +%s)
  round=0
  while :; do
    left=$((seconds - ($(date +%s) - start)))
    [ "$left" -gt 0 ] || break
    round=$((round + 1))
    "$build/fuzz/fuzz_$t" -max_total_time="$left" -max_len="${max_len[$t]}" \
      -dict="$VORNEL_ROOT/fuzz/$t.dict" -artifact_prefix="$crashes/" -print_final_stats=1 "$work" \
      >"$logs/round-$round.log" 2>&1
    rc=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *\([0-9]*\).*/\1/p' "$logs/round-$round.log")
    # Without the final statistics, the last progress line tells the executions.
    [ -n "$runs" ] || runs=$(sed -n 's/^#\([0-9][0-9]*\).*/\1/p' "$logs/round-$round.log" | tail -n 1)
    executions=$((executions + ${runs:-0}))
    [ $rc -eq 0 ] && break
    if ! grep -q -e '^artifact_prefix' -e 'Test unit written to' "$logs/round-$round.log"; then
      log "$t did not run (see $logs/round-$round.log)"
      status=1
      break
    fi
    [ "$round" -lt 20 ] || break
  done
  elapsed=$(($(date +%s) - start))
  found=$(find "$crashes" -type f | wc -l)
  [ "$found" -eq 0 ] || status=1
  summary+=("$(printf '%-10s %14s %14s %10s' "$t" "$executions" "$elapsed" "$found")")
done

printf '\n%-10s %14s %14s %10s\n' target executions "run time (s)" crashes
printf '%s\n' "${summary[@]}"
if [ $status -ne 0 ]; then
  log "crash inputs are in build/fuzz/crashes/; logs in build/fuzz/logs/"
fi
exit $status
