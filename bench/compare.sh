#!/usr/bin/env bash
# Compares two builds of the program on the benchmark's measures, side by side in one session:
# each round measures the old build and the new one, one after the other (which of them goes
# first alternates from round to round), so that the machine's drift hits both alike, and the
# table gives the medians of the rounds. bench/run.sh measures one build against perl and
# python3; this tells what a change of the program buys.
#
#   bench/compare.sh OLD [NEW]
#   COMPARE_ROUNDS=7 COMPARE_MEASURES="pipeline batch" bench/compare.sh a1f8975
#
# OLD and NEW are git revisions or source folders (a scratch copy with a change not committed);
# NEW is this tree when left out. A revision is unpacked into build/compare/src-<commit>; each
# build goes to build/compare/<name>/{native,windows}, in Release as bench/run.sh builds. The
# drivers that measure Vornel.exe from outside come from this tree and serve both builds; the
# native measuring programs are each build's own.
#
# COMPARE_ROUNDS     rounds (default 5): each measure's median is of that many rounds
# COMPARE_MEASURES   any of: pipeline batch converter memory dialog (default all)
# COMPARE_INPUTS     any of: pieces whole (default both): the 200 MiB inputs written in 4 KiB
#                    pieces, as users' files are, and the same bytes written in one piece, which
#                    the page cache holds in large folios (see bench/make_inputs.cpp); the
#                    memory and dialog measures take the written-in-pieces input
# COMPARE_PEERS=1    also time perl and python3 in the pipeline rounds (for the ratios)
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
BUILD="$ROOT/build/compare"
# Before scripts/common.sh, whose wine settings take them up.
export VORNEL_WINEPREFIX="$BUILD/wine/prefix"
export VORNEL_WINE_HOME="$BUILD/wine/home"
. scripts/common.sh

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  sed -n '2,20p' "${BASH_SOURCE[0]}" >&2
  exit 2
fi
ROUNDS="${COMPARE_ROUNDS:-5}"
MEASURES=" ${COMPARE_MEASURES:-pipeline batch converter memory dialog} "
INPUTS="${COMPARE_INPUTS:-pieces whole}"
PEERS="${COMPARE_PEERS:-0}"
wants() { [[ "$MEASURES" == *" $1 "* ]]; }
wine_wanted() { wants batch || wants converter || wants dialog || wants memory; }
# The file names' and the figures' suffix of an input kind.
suffix_of() { if [ "$1" = whole ]; then echo -whole; else echo ""; fi; }
key_of() { if [ "$1" = whole ]; then echo _whole; else echo ""; fi; }

VORNEL_PACKAGES+=(perl python3 time)
install_packages
PYTHON="$(command -v /usr/bin/python3 || command -v python3)"
mkdir -p "$BUILD"

# ---- The two source trees and their builds ----

# Prints the source folder of a revision or folder, unpacking a revision the first time.
source_of() {
  if [ -d "$1" ]; then
    (cd "$1" && pwd)
    return
  fi
  local commit dir
  commit="$(git rev-parse --verify --quiet "$1^{commit}")" || {
    log "neither a folder nor a revision: $1"
    exit 2
  }
  dir="$BUILD/src-${commit:0:12}"
  if [ ! -f "$dir/.unpacked" ]; then
    rm -rf "$dir" && mkdir -p "$dir"
    git archive "$commit" | tar -x -C "$dir"
    touch "$dir/.unpacked"
  fi
  echo "$dir"
}

# A short name for the builds of a revision or folder.
name_of() {
  if [ -d "$1" ]; then
    echo "dir-$(basename "$(cd "$1" && pwd)")-$(cd "$1" && pwd | md5sum | cut -c1-6)"
  else
    git rev-parse --short=12 "$1^{commit}"
  fi
}

# Builds the native measuring programs and Vornel.exe of source $1 into $BUILD/$2.
build_tree() {
  local src="$1" out="$BUILD/$2"
  log "building $2 (Release) from $src"
  cmake -S "$src" -B "$out/native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORNEL_TESTS=OFF \
    -DVORNEL_BENCH=ON >/dev/null
  cmake --build "$out/native" -- -j"$(nproc)" >/dev/null
  local toolchain=()
  [ -f "$out/windows/CMakeCache.txt" ] || toolchain=(--toolchain "$src/cmake/mingw-w64.cmake")
  cmake -S "$src" -B "$out/windows" -G Ninja "${toolchain[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DVORNEL_TESTS=OFF -DVORNEL_BENCH=ON >/dev/null
  cmake --build "$out/windows" --target Vornel vornel-convert -- -j"$(nproc)" >/dev/null
}

OLD_SRC="$(source_of "$1")"
NEW_SRC="$(source_of "${2:-$ROOT}")"
OLD_NAME="$(name_of "$1")"
NEW_NAME="$(name_of "${2:-$ROOT}")"
[ "$OLD_NAME" != "$NEW_NAME" ] || {
  log "the two builds are the same: $OLD_NAME"
  exit 2
}
build_tree "$OLD_SRC" "$OLD_NAME"
build_tree "$NEW_SRC" "$NEW_NAME"

log "building the drivers from outside (Release) from $ROOT"
toolchain=()
[ -f "$BUILD/drivers/CMakeCache.txt" ] || toolchain=(--toolchain cmake/mingw-w64.cmake)
cmake -S . -B "$BUILD/drivers" -G Ninja "${toolchain[@]}" -DCMAKE_BUILD_TYPE=Release \
  -DVORNEL_TESTS=OFF -DVORNEL_BENCH=ON >/dev/null
cmake --build "$BUILD/drivers" --target vornel_bench_wine_batch vornel_bench_wine_dialog \
  vornel_bench_wine_convert -- -j"$(nproc)" >/dev/null
DRIVERS="$BUILD/drivers/bench"
cmake -S . -B "$BUILD/drivers-native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORNEL_TESTS=OFF \
  -DVORNEL_BENCH=ON >/dev/null
cmake --build "$BUILD/drivers-native" --target vornel_bench_convert vornel_bench_inputs \
  -- -j"$(nproc)" >/dev/null
NATIVE_DRIVERS="$BUILD/drivers-native/bench"

make_bench_scratch "$BUILD"

log "generating the inputs"
write_bench_inputs "$NATIVE_DRIVERS/vornel_bench_inputs"
SIZE200=$(stat -c %s "$TMP/numbers-200.tbin")

# ---- Measures of one build; each appends "measure value" lines to $TMP/<side>.txt ----

# key=value lines of a measuring program, as "prefix_key value" lines in $TMP/collected.txt.
# A program that fails is run once more (wine now and then fails to start a process on a busy
# machine); a second failure ends the comparison.
collect() {
  local prefix="$1" line
  shift
  if ! "$@" >"$TMP/raw.txt"; then
    log "failed, trying once more: $*"
    "$@" >"$TMP/raw.txt" || {
      log "failed again: $*"
      exit 1
    }
  fi
  : >"$TMP/collected.txt"
  while IFS= read -r line; do
    line="${line%$'\r'}"
    [[ "$line" == *=* ]] && echo "${prefix}_${line%%=*} ${line#*=}" >>"$TMP/collected.txt"
  done <"$TMP/raw.txt"
}
value() { awk -v k="$1" '$1 == k { print $2 }' "$TMP/collected.txt"; }
# Every figure goes to $RESULTS/<side>.txt as it is measured.
RESULTS="$BUILD/results-$OLD_NAME-$NEW_NAME-$(date -u +%Y%m%dT%H%M%SZ)"
mkdir -p "$RESULTS"
record() { echo "$2 $3" >>"$RESULTS/$1.txt"; }

peak_rss() {
  /usr/bin/time -f '%M' -o "$TMP/time.txt" "$@" >/dev/null
  echo $(($(tail -n 1 "$TMP/time.txt") * 1024))
}

measure_pipeline() {  # side name
  local native="$BUILD/$2/native/bench" src python=-
  if [ "$2" = "$OLD_NAME" ]; then src="$OLD_SRC"; else src="$NEW_SRC"; fi
  # A build whose driver cannot leave the peers out runs them, too.
  if [ "$PEERS" = 1 ] || ! grep -q 'PYTHON3|-' "$src/bench/pipeline_bench.cpp"; then
    python="$PYTHON"
  fi
  collect P10 "$native/vornel_bench_pipeline" "$TMP/numbers-10.tbin" "$TMP/numbers-10.txt" \
    "$TMP" 3 "$python"
  record "$1" pipeline10_ours_s "$(value P10_ours_s)"
  if [ "$PEERS" = 1 ]; then record "$1" pipeline10_perl_s "$(value P10_perl_s)"; fi
  local kind
  for kind in $INPUTS; do
    collect P200 "$native/vornel_bench_pipeline" "$TMP/numbers-200$(suffix_of "$kind").tbin" \
      "$TMP/numbers-200$(suffix_of "$kind").txt" "$TMP" 1 "$python"
    record "$1" "pipeline200$(key_of "$kind")_ours_s" "$(value P200_ours_s)"
    if [ "$PEERS" = 1 ]; then
      record "$1" "pipeline200$(key_of "$kind")_perl_s" "$(value P200_perl_s)"
      record "$1" "pipeline200$(key_of "$kind")_python_s" "$(value P200_python_s)"
    fi
  done
  rm -f "$TMP"/*.out
}

# The converter natively (UTF-16LE and ASCII, file to file and pipe to pipe) and under wine
# (UTF-16LE, file to file, beyond start-up).
measure_converter() {  # side name
  local kind suffix key
  for kind in $INPUTS; do
    suffix="$(suffix_of "$kind")"
    key="$(key_of "$kind")"
    collect V "$NATIVE_DRIVERS/vornel_bench_convert" "$BUILD/$2/native/vornel-convert" \
      "$TMP/expected-200.result" "$TMP" 1 "utf16=$TMP/numbers-200$suffix.tbin" \
      "ascii=$TMP/numbers-200$suffix.txt"
    local measure
    for measure in utf16_file utf16_pipe ascii_file ascii_pipe; do
      record "$1" "converter200${key}_${measure}_s" "$(value "V_${measure}_s")"
    done
  done
  if wants batch || wants converter; then
    local one whole
    collect C "$ROOT/scripts/wine-exec.sh" "$DRIVERS/vornel_bench_wine_convert.exe" \
      "$(win "$BUILD/$2/windows/vornel-convert.exe")" "$(win "$TMP/one-line.tbin")" \
      "$(win "$TMP")\\converted.txt" 5
    one="$(value C_seconds)"
    for kind in $INPUTS; do
      collect C "$ROOT/scripts/wine-exec.sh" "$DRIVERS/vornel_bench_wine_convert.exe" \
        "$(win "$BUILD/$2/windows/vornel-convert.exe")" \
        "$(win "$TMP/numbers-200$(suffix_of "$kind").tbin")" "$(win "$TMP")\\converted.txt" 5
      record "$1" "wine_converter200$(key_of "$kind")_beyond_s" \
        "$(awk -v a="$(value C_seconds)" -v b="$one" 'BEGIN { print a - b }')"
    done
  fi
}

measure_memory() {  # side name
  local documents="$TMP/documents"
  rm -rf "$documents"
  mkdir -p "$documents/Brindlecot/Tavernic/AutoFile" "$documents/Brindlecot/Tavernic/Result"
  ln -f "$TMP/numbers-200.tbin" "$documents/Brindlecot/Tavernic/AutoFile/Quillet.tbin"
  record "$1" native_peak_bytes "$(peak_rss "$BUILD/$2/native/bench/vornel_bench_batch" "$documents")"
  [ ! -e "$documents/Brindlecot/Tavernic/AutoFile/Quillet.tbin" ] || {
    log "the native batch run of $2 did not convert its input"
    exit 1
  }
  rm -rf "$documents"
  if wants batch || wants dialog; then
    mkdir -p "$tavernic/AutoFile" "$tavernic/Result"
    ln -f "$TMP/numbers-200.tbin" "$tavernic/AutoFile/Quillet.tbin"
    record "$1" wine_rss_bytes "$(peak_rss "$ROOT/scripts/wine-exec.sh" "$BUILD/$2/windows/Vornel.exe")"
    [ ! -e "$tavernic/AutoFile/Quillet.tbin" ] || {
      log "the wine batch run of $2 did not convert its input"
      exit 1
    }
  fi
}

# The best of $3 batch runs of Vornel.exe on input $2 (start-up times scatter upwards);
# prints its seconds and keeps the driver's lines in $TMP/collected.txt.
best_batch_run() {  # name input runs
  collect W "$ROOT/scripts/wine-exec.sh" "$DRIVERS/vornel_bench_wine_batch.exe" \
    "$(win "$BUILD/$1/windows/Vornel.exe")" "$(win "$TMP/$2.tbin")" \
    "$(win "$tavernic/AutoFile")\\Quillet.tbin" "$(win "$tavernic/Result")\\Ostrum.tbin" "$3"
  value W_best_seconds
}

measure_batch() {  # side name
  mkdir -p "$tavernic/AutoFile" "$tavernic/Result"
  local one ten whole kind
  one="$(best_batch_run "$2" one-line 9)"
  ten="$(best_batch_run "$2" numbers-10 5)"
  record "$1" batch_one_line_best_s "$one"
  record "$1" batch10_beyond_s "$(awk -v a="$ten" -v b="$one" 'BEGIN { print a - b }')"
  for kind in $INPUTS; do
    whole="$(best_batch_run "$2" "numbers-200$(suffix_of "$kind")" 5)"
    [ "$kind" != pieces ] || record "$1" wine_peak_working_set_bytes "$(value W_peak_working_set_bytes)"
    record "$1" "batch200$(key_of "$kind")_best_s" "$whole"
    record "$1" "batch200$(key_of "$kind")_beyond_s" \
      "$(awk -v a="$whole" -v b="$one" 'BEGIN { print a - b }')"
  done
}

measure_dialog() {  # side name
  local documents="$TMP/documents-dialog"
  mkdir -p "$documents"
  collect L "$BUILD/$2/native/bench/vornel_bench_dialog" "$documents" "$TMP/numbers-10.tbin"
  record "$1" logic_read10_s "$(value L_read_seconds)"
  record "$1" logic_convert10_s "$(value L_convert_seconds)"
  rm -rf "$documents" "$tavernic/AutoFile"
  collect D "$ROOT/scripts/wine-exec.sh" "$DRIVERS/vornel_bench_wine_dialog.exe" \
    "$(win "$BUILD/$2/windows/Vornel.exe")" "$(win "$TMP/numbers-10.tbin")" \
    "$(win "$TMP/numbers-200.tbin")" 5 3
  record "$1" dialog_read10_s "$(value D_read_seconds)"
  record "$1" dialog_convert10_s "$(value D_convert_seconds)"
  record "$1" dialog_read200_s "$(value D_cancel_file_read_seconds)"
  record "$1" dialog_convert200_s "$(value D_cancel_file_convert_seconds)"
  if [ "$(value D_cancel_split_hit)" = 1 ]; then
    record "$1" cancel_split_s "$(value D_cancel_split_seconds)"
  fi
  if [ "$(value D_cancel_convert_hit)" = 1 ]; then
    record "$1" cancel_convert_s "$(value D_cancel_convert_seconds)"
  fi
}

if wine_wanted; then
  ensure_wine_prefix
  start_xvfb
  # One wine server for the whole session, the prefix's services started before the first
  # measure: else the first program after a pause pays for them (a one-line run then takes
  # longer than a 200 MiB one).
  HOME="$VORNEL_WINE_HOME" wineserver -p
  WINE_UP=1
  HOME="$VORNEL_WINE_HOME" wine wineboot >/dev/null 2>&1 </dev/null
fi
win() { HOME="$VORNEL_WINE_HOME" WINEPREFIX="$VORNEL_WINEPREFIX" winepath -w "$1" 2>/dev/null; }
tavernic="$VORNEL_WINE_HOME/Documents/Brindlecot/Tavernic"
rm -rf "$VORNEL_WINE_HOME/Documents/Brindlecot"

measure_side() {  # side name
  if wants pipeline; then measure_pipeline "$@"; fi
  if wants converter; then measure_converter "$@"; fi
  if wants memory; then measure_memory "$@"; fi
  if wants batch; then measure_batch "$@"; fi
  if wants dialog; then measure_dialog "$@"; fi
}

# The result every converter must give, from the first build's pipeline.
if wants converter; then
  "$BUILD/$OLD_NAME/native/bench/vornel_bench_pipeline" "$TMP/numbers-200.tbin" \
    "$TMP/numbers-200.txt" "$TMP" 1 - >/dev/null
  mv "$TMP/ours.out" "$TMP/expected-200.result"
fi
# An untimed batch run of each build first: its program and the inputs come into the cache.
if wine_wanted; then
  mkdir -p "$tavernic/AutoFile" "$tavernic/Result"
  for name in "$OLD_NAME" "$NEW_NAME"; do best_batch_run "$name" numbers-10 1 >/dev/null; done
fi
: >"$RESULTS/old.txt"
: >"$RESULTS/new.txt"
for round in $(seq 1 "$ROUNDS"); do
  log "round $round of $ROUNDS"
  if [ $((round % 2)) = 1 ]; then
    measure_side old "$OLD_NAME"
    measure_side new "$NEW_NAME"
  else
    measure_side new "$NEW_NAME"
    measure_side old "$OLD_NAME"
  fi
done

# ---- The table ----

echo
echo "Machine: $(lscpu | sed -n 's/^Model name: *//p' | head -n 1), $(nproc) cores;" \
  "$(date -u +%Y-%m-%d); load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "Old: $1 ($OLD_NAME); new: ${2:-this tree} ($NEW_NAME); $ROUNDS rounds, medians."
echo "Every figure as it was measured: $RESULTS/{old,new}.txt"
echo
"$PYTHON" - "$RESULTS/old.txt" "$RESULTS/new.txt" "$SIZE200" <<'PY'
import statistics, sys
def load(path):
    values = {}
    for line in open(path):
        key, value = line.split()
        values.setdefault(key, []).append(float(value))
    return values
old, new, size = load(sys.argv[1]), load(sys.argv[2]), float(sys.argv[3])
def med(side, key):
    return statistics.median(side[key]) if key in side else None
rows = [("Pipeline, 10 MiB (native)", "pipeline10_ours_s", "ms")]
for key, kind in (("", "in pieces"), ("_whole", "in one piece")):
    rows += [
        (f"Pipeline, 200 MiB (native), {kind}", f"pipeline200{key}_ours_s", "ms"),
        ("  (perl, 200 MiB)", f"pipeline200{key}_perl_s", "ms"),
        (f"Batch under wine, 200 MiB, {kind}, beyond start-up", f"batch200{key}_beyond_s", "ms"),
        ("  (best whole 200 MiB run)", f"batch200{key}_best_s", "ms"),
        (f"vornel-convert, UTF-16, {kind}, file to file", f"converter200{key}_utf16_file_s", "ms"),
        (f"vornel-convert, UTF-16, {kind}, pipe to pipe", f"converter200{key}_utf16_pipe_s", "ms"),
        (f"vornel-convert, ASCII, {kind}, file to file", f"converter200{key}_ascii_file_s", "ms"),
        (f"vornel-convert, ASCII, {kind}, pipe to pipe", f"converter200{key}_ascii_pipe_s", "ms"),
        (f"vornel-convert.exe under wine, {kind}, beyond start-up",
         f"wine_converter200{key}_beyond_s", "ms"),
    ]
rows += [
    ("  (best one-line run: the start-up)", "batch_one_line_best_s", "ms"),
    ("Batch under wine, 10 MiB, beyond start-up (noise-bound)", "batch10_beyond_s", "ms"),
    ("Peak memory, native batch run, 200 MiB", "native_peak_bytes", "MB"),
    ("Peak working set under wine, 200 MiB", "wine_peak_working_set_bytes", "MB"),
    ("Peak resident size, wine process, 200 MiB", "wine_rss_bytes", "MB"),
    ("Read file, 10 MiB, click to text shown", "dialog_read10_s", "ms"),
    ("Convert file data, 10 MiB, click to results", "dialog_convert10_s", "ms"),
    ("Read file, 200 MiB, click to text shown", "dialog_read200_s", "ms"),
    ("Convert file data, 200 MiB, click to results", "dialog_convert200_s", "ms"),
    ("  (Read file, 10 MiB, dialog's logic alone, native)", "logic_read10_s", "ms"),
    ("  (Convert file data, 10 MiB, logic alone, native)", "logic_convert10_s", "ms"),
    ("Cancel answered, splitting phase", "cancel_split_s", "ms"),
    ("Cancel answered, conversion phase", "cancel_convert_s", "ms"),
]
def shown(v, unit):
    if v is None:
        return "-"
    return f"{v * 1000:.0f} ms" if unit == "ms" else f"{v / 1e6:.0f} MB"
print(f"| {'Measure':<62} | {'Old':>9} | {'New':>9} | {'New/old':>7} | {'Runs':>9} |")
print(f"| {'-' * 62} | {'-' * 9} | {'-' * 9} | {'-' * 7} | {'-' * 9} |")
for title, key, unit in rows:
    a, b = med(old, key), med(new, key)
    if a is None and b is None:
        continue
    change = f"{b / a:.2f}" if a and b else "-"
    runs = f"{len(old.get(key, []))} / {len(new.get(key, []))}"
    print(f"| {title:<62} | {shown(a, unit):>9} | {shown(b, unit):>9} | {change:>7} | {runs:>9} |")
def ratio(side, top, bottom):
    t, b = med(side, top), med(side, bottom)
    return f"{t / b:.1f}×" if t and b and b > 0 else "-"
print()
print("Ratios of the medians (old / new):")
print(f"  perl over the 200 MiB pipeline (>= 20×): {ratio(old, 'pipeline200_perl_s', 'pipeline200_ours_s')}"
      f" / {ratio(new, 'pipeline200_perl_s', 'pipeline200_ours_s')}")
print(f"  perl over the 200 MiB batch under wine (>= 10×): {ratio(old, 'pipeline200_perl_s', 'batch200_beyond_s')}"
      f" / {ratio(new, 'pipeline200_perl_s', 'batch200_beyond_s')}")
print(f"  Convert file data over the batch run, 200 MiB (<= 3×): {ratio(old, 'dialog_convert200_s', 'batch200_beyond_s')}"
      f" / {ratio(new, 'dialog_convert200_s', 'batch200_beyond_s')}")
for key in ("native_peak_bytes", "wine_peak_working_set_bytes", "wine_rss_bytes"):
    a, b = med(old, key), med(new, key)
    if a and b:
        print(f"  {key} over the input (<= 2.5×): {a / size:.2f}× / {b / size:.2f}×")
PY
