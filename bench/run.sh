#!/usr/bin/env bash
# Measures the file conversions against what a user would run instead (perl and python3) and
# prints a table: each measure, ours, perl's, python's, the ratio, the target, met or not.
#
# It builds what it needs in Release (build/bench/native and build/bench/windows), generates
# its inputs into a temporary folder (random binary numbers of 1 to 31 digits, one a line
# with CR LF, as UTF-16LE of 10 and 200 MiB, and their ASCII forms for perl, python3 and the
# converter), and runs the Windows program under wine in a wine prefix of its own
# (build/bench/wine) on a virtual display. Takes a few minutes; needs about 2 GB of disk
# below build/.
#
# Every target is judged on inputs written in 4 KiB pieces, as most programs write their
# files: the page cache then holds them in 4 KiB pages (a mapped view on Windows faults in
# 4 KiB pages too). The same bytes written in one piece, which Linux holds in large folios,
# give a second table for reference. Beside each measure stand its ratio to perl and its
# ratio to its floor: what the machine allows for the same bytes, measured on the same run
# (reading the input with plain reads, writing the result, and flushing it where the program
# flushes).
#
#   bench/run.sh            # everything
#   BENCH_RUNS=5 bench/run.sh   # rounds of the 200 MiB pipeline (median); default 3
#   BENCH_SMALL_RUNS=30 bench/run.sh   # rounds of the 10 MiB pipeline; default 15
#
# The 10 MiB figures are noise-bound: a 10 MiB run of ours lasts about as long as the
# scatter of a run's start on this kind of machine. They are shown for reference, with
# more rounds; the targets are judged on the 200 MiB figures (bench/compare.sh tells what a
# change buys).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
BUILD="$ROOT/build/bench"
# Before scripts/common.sh, whose wine settings take them up.
export VORNEL_WINEPREFIX="$BUILD/wine/prefix"
export VORNEL_WINE_HOME="$BUILD/wine/home"
. scripts/common.sh

RUNS="${BENCH_RUNS:-3}"
SMALL_RUNS="${BENCH_SMALL_RUNS:-15}"

# ---- Set-up and builds ----

VORNEL_PACKAGES+=(perl python3 time)
install_packages
# The ordinary python3 of the system when there is one (no version-manager shims in the way).
PYTHON="$(command -v /usr/bin/python3 || command -v python3)"

log "building the native benchmark programs (Release)"
cmake -S . -B "$BUILD/native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORNEL_TESTS=OFF \
  -DVORNEL_BENCH=ON >/dev/null
cmake --build "$BUILD/native" -- -j"$(nproc)" >/dev/null
log "building Vornel.exe and the wine drivers (Release)"
toolchain=()
[ -f "$BUILD/windows/CMakeCache.txt" ] || toolchain=(--toolchain cmake/mingw-w64.cmake)
cmake -S . -B "$BUILD/windows" -G Ninja "${toolchain[@]}" \
  -DCMAKE_BUILD_TYPE=Release -DVORNEL_TESTS=OFF -DVORNEL_BENCH=ON >/dev/null
cmake --build "$BUILD/windows" --target Vornel vornel_bench_wine_batch vornel_bench_wine_dialog \
  vornel_bench_wine_hand_off \
  vornel-convert vornel_bench_wine_convert vornel_bench_wine_view_keys \
  vornel_bench_wine_accessibility -- -j"$(nproc)" >/dev/null

NATIVE="$BUILD/native/bench"
WINDOWS="$BUILD/windows"
mkdir -p "$BUILD"
make_bench_scratch "$BUILD"

log "generating the inputs"
write_bench_inputs "$NATIVE/vornel_bench_inputs"
SIZE10=$(stat -c %s "$TMP/numbers-10.tbin")
SIZE200=$(stat -c %s "$TMP/numbers-200.tbin")

# key=value lines of a measuring program, as shell variables with a prefix: "P_key=value".
collect() {
  local prefix="$1"
  shift
  local output="$TMP/collected.txt" line
  if ! "$@" >"$output"; then
    log "failed: $*"
    exit 1
  fi
  while IFS= read -r line; do
    line="${line%$'\r'}"
    [[ "$line" == *=* ]] && printf -v "${prefix}_${line%%=*}" '%s' "${line#*=}"
  done <"$output"
}

# Peak resident size in bytes of a command, by /usr/bin/time.
peak_rss() {
  local report="$TMP/time.txt"
  /usr/bin/time -f '%M' -o "$report" "$@" >/dev/null
  echo $(($(tail -n 1 "$report") * 1024))
}

# ---- Native: the conversion pipeline side by side with perl and python3 ----

log "pipeline, 10 MiB: ours, perl, python3 ($SMALL_RUNS runs each)"
collect P10 "$NATIVE/vornel_bench_pipeline" "$TMP/numbers-10.tbin" "$TMP/numbers-10.txt" "$TMP" \
  "$SMALL_RUNS" "$PYTHON"
log "pipeline, 200 MiB written in pieces: ours, perl, python3 ($RUNS runs each)"
collect P200 "$NATIVE/vornel_bench_pipeline" "$TMP/numbers-200.tbin" "$TMP/numbers-200.txt" \
  "$TMP" "$RUNS" "$PYTHON"
mv "$TMP/ours.out" "$TMP/expected-200.result"
log "pipeline, 200 MiB written in one piece: ours ($RUNS runs)"
collect PW200 "$NATIVE/vornel_bench_pipeline" "$TMP/numbers-200-whole.tbin" \
  "$TMP/numbers-200-whole.txt" "$TMP" "$RUNS" -

# ---- Native: the converter and the floors ----

log "vornel-convert, UTF-16 and ASCII, file to file and pipe to pipe, and the floors ($RUNS rounds)"
collect V "$NATIVE/vornel_bench_convert" "$BUILD/native/vornel-convert" "$TMP/expected-200.result" \
  "$TMP" "$RUNS" "utf16=$TMP/numbers-200.tbin" "ascii=$TMP/numbers-200.txt" \
  "utf16_whole=$TMP/numbers-200-whole.tbin" "ascii_whole=$TMP/numbers-200-whole.txt"

# ---- Native: peak memory of a batch run ----

log "native batch run, 200 MiB: peak resident size"
documents="$TMP/documents"
mkdir -p "$documents/Brindlecot/Tavernic/AutoFile" "$documents/Brindlecot/Tavernic/Result"
ln -f "$TMP/numbers-200.tbin" "$documents/Brindlecot/Tavernic/AutoFile/Quillet.tbin"
NATIVE_PEAK=$(peak_rss "$NATIVE/vornel_bench_batch" "$documents")
[ ! -e "$documents/Brindlecot/Tavernic/AutoFile/Quillet.tbin" ] || {
  log "the native batch run did not convert its input"
  exit 1
}
PERL_PEAK=$(peak_rss perl -ne 'tr/\r\n//d; print oct("0b$_"),"\r\n"' "$TMP/numbers-200.txt")
PYTHON_PEAK=$(peak_rss "$PYTHON" -c 'import sys
write = sys.stdout.buffer.write
for line in open(sys.argv[1], "rb"):
    write(b"%d\r\n" % int(line, 2))' "$TMP/numbers-200.txt")

log "vornel-convert, 200 MiB from a pipe to a pipe: peak resident size"
CONVERT_PEAK=$(cat "$TMP/numbers-200.tbin" | peak_rss "$BUILD/native/vornel-convert")

# ---- Native: the dialog's logic without a window ----

log "dialog logic without a window, 10 MiB"
mkdir -p "$TMP/documents-dialog"
collect L "$NATIVE/vornel_bench_dialog" "$TMP/documents-dialog" "$TMP/numbers-10.tbin"

# ---- Windows program under wine ----

ensure_wine_prefix
start_xvfb
# One wine server for all the runs, the prefix's services started before the first: else the
# first runs after a pause pay for them, and the one-line run, the start-up that is subtracted
# from the others, comes out longer than a 10 MiB run.
HOME="$VORNEL_WINE_HOME" wineserver -p
WINE_UP=1
HOME="$VORNEL_WINE_HOME" wine wineboot >/dev/null 2>&1 </dev/null
wine_exec() { "$ROOT/scripts/wine-exec.sh" "$@"; }
win() { HOME="$VORNEL_WINE_HOME" WINEPREFIX="$VORNEL_WINEPREFIX" winepath -w "$1" 2>/dev/null; }

tavernic="$VORNEL_WINE_HOME/Documents/Brindlecot/Tavernic"
rm -rf "$VORNEL_WINE_HOME/Documents/Brindlecot"
mkdir -p "$tavernic/AutoFile" "$tavernic/Result"
EXE="$(win "$WINDOWS/Vornel.exe")"
batch_runs() {  # prefix, input, runs[, one-line input run before each]
  collect "$1" wine_exec "$WINDOWS/bench/vornel_bench_wine_batch.exe" "$EXE" "$(win "$2")" \
    "$(win "$tavernic/AutoFile")\\Quillet.tbin" "$(win "$tavernic/Result")\\Ostrum.tbin" "$3" \
    ${4:+"$(win "$4")"}
}
log "batch runs of Vornel.exe under wine: one line, 10 MiB, 200 MiB (in pieces, in one piece)"
batch_runs W1 "$TMP/one-line.tbin" 9
batch_runs W10 "$TMP/numbers-10.tbin" 9 "$TMP/one-line.tbin"
batch_runs W200 "$TMP/numbers-200.tbin" 9 "$TMP/one-line.tbin"
batch_runs WW200 "$TMP/numbers-200-whole.tbin" 9 "$TMP/one-line.tbin"

# The same work without the start of a wine process, whose time scatters by more than the
# run's own: the hand-off run timed inside a process of its own, for reference.
log "the hand-off run under wine, 200 MiB, timed in its process"
handoff="$VORNEL_WINE_HOME/hand-off"
rm -rf "$handoff"
mkdir -p "$handoff/temp" "$handoff/auto" "$handoff/result"
collect H200 wine_exec "$WINDOWS/bench/vornel_bench_wine_hand_off.exe" \
  "$(win "$TMP/numbers-200.tbin")" "$(win "$handoff/temp")" "$(win "$handoff/auto")" \
  "$(win "$handoff/result")" 9

log "vornel-convert.exe under wine: one line, 200 MiB (in pieces, in one piece)"
convert_runs() {  # prefix, input, runs[, one-line input run before each]
  collect "$1" wine_exec "$WINDOWS/bench/vornel_bench_wine_convert.exe" \
    "$(win "$WINDOWS/vornel-convert.exe")" "$(win "$2")" "$(win "$TMP")\\converted.txt" "$3" \
    ${4:+"$(win "$4")"}
}
convert_runs C1 "$TMP/one-line.tbin" 9
convert_runs C200 "$TMP/numbers-200.tbin" 9 "$TMP/one-line.tbin"
convert_runs CW200 "$TMP/numbers-200-whole.tbin" 9 "$TMP/one-line.tbin"

log "the wine process of a 200 MiB batch run: peak resident size"
ln -f "$TMP/numbers-200.tbin" "$tavernic/AutoFile/Quillet.tbin"
WINE_RSS=$(peak_rss "$ROOT/scripts/wine-exec.sh" "$WINDOWS/Vornel.exe")
[ ! -e "$tavernic/AutoFile/Quillet.tbin" ] || {
  log "the wine batch run did not convert its input"
  exit 1
}

log "interactive conversion under wine: 10 and 200 MiB in turn, and Cancel in runs on 200 MiB"
rm -rf "$tavernic/AutoFile"
collect D wine_exec "$WINDOWS/bench/vornel_bench_wine_dialog.exe" "$EXE" \
  "$(win "$TMP/numbers-10.tbin")" "$(win "$TMP/numbers-200.tbin")" 5 5
log "the text view's keys under wine, 200 MiB: Down, Page Down, Up, Page Up, each with its paint"
collect K wine_exec "$WINDOWS/bench/vornel_bench_wine_view_keys.exe" "$EXE" \
  "$(win "$TMP/numbers-200.tbin")" 300
log "the text views' accessibility under wine, 200 MiB: MSAA and UI Automation from outside"
collect A wine_exec "$WINDOWS/bench/vornel_bench_wine_accessibility.exe" "$EXE" \
  "$(win "$TMP/numbers-200.tbin")" 9

# ---- The tables ----

ms() { awk -v s="$1" 'BEGIN { printf "%.0f ms", s * 1000 }'; }
mb() { awk -v b="$1" 'BEGIN { printf "%.0f MB", b / 1000000 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b <= 0) print "-"; else printf "%.1f×", a / b }'; }
sum() { awk -v a="$1" -v b="$2" -v c="${3:-0}" 'BEGIN { print a + b + c }'; }
# Whether value $1 meets "op target" ($2 $3) and, when given, value $4 meets "op target" ($5 $6).
met() { awk -v v="$1" -v op="$2" -v t="$3" -v w="${4:-}" -v op2="${5:-}" -v t2="${6:-}" 'BEGIN {
  ok = (op == ">=") ? v >= t : v <= t
  if (op2 != "") ok = ok && ((op2 == ">=") ? w >= t2 : w <= t2)
  print ok ? "met" : "NOT met" }'; }
# A verdict that, where the target is missed, also tells whether the floor alone misses it:
# met-or-not of ours ($1) and of the floor ($2). A target the floor misses cannot be met on this
# machine whatever the program does.
verdict() {
  if [ "$1" = met ]; then echo met; elif [ "$2" = met ]; then echo "NOT met"; else
    echo "NOT met, floor too"; fi
}

header() {
  row "Measure" "Ours" "perl" "python3" "× perl" "Floor" "Ours/floor" "Target" "Met"
  row "$(printf '%.0s-' {1..56})" "--------" "-------" "-------" "-------" "-------" "----------" \
    "------------------------" "------------------"
}
row() {  # measure ours perl python ratio floor over-floor target met
  printf '| %-56s | %8s | %7s | %7s | %7s | %7s | %10s | %-24s | %-18s |\n' "$@"
}
# A timed measure against perl, with its floor: title seconds floor-seconds target-ratio
# [floor-target]; the target on the floor ratio, when given, must be met too.
timed_row() {
  local over rp rf target ours_met
  over=$(awk -v a="$2" -v f="$3" 'BEGIN { print (f > 0 ? a / f : 0) }')
  rp=$(awk -v p="$P200_perl_s" -v o="$2" 'BEGIN { print (o > 0 ? p / o : 0) }')
  rf=$(awk -v p="$P200_perl_s" -v f="$3" 'BEGIN { print (f > 0 ? p / f : 0) }')
  if [ -n "${5:-}" ]; then
    target=">= $4× perl, <= $5× fl"
    ours_met=$(met "$rp" ">=" "$4" "$over" "<=" "$5")
  else
    target=">= $4× perl"
    ours_met=$(met "$rp" ">=" "$4")
  fi
  row "$1" "$(ms "$2")" "$(ms "$P200_perl_s")" "$(ms "$P200_python_s")" \
    "$(ratio "$P200_perl_s" "$2")" "$(ms "$3")" "$(ratio "$2" "$3")" "$target" \
    "$(verdict "$ours_met" "$(met "$rf" ">=" "$4")")"
}
note() { row "$1" "$2" "" "" "" "" "" "" ""; }

# Beyond start-up: the median of each run less the one-line run just before it. The median run
# less the median one-line run, taken from nine of each in a row, drifted with the machine: on
# 2026-12-09 it put the 200 MiB batch run at 104 ms in one run of this script and at 41 ms in
# the next (whole runs 586 and 498 ms), below the time its reads and writes alone take.
W200_BEYOND="$W200_beyond_seconds"
WW200_BEYOND="$WW200_beyond_seconds"
C200_BEYOND="$C200_beyond_seconds"
CW200_BEYOND="$CW200_beyond_seconds"
W10_BEYOND="$W10_beyond_seconds"
# The 10 MiB run's own work is smaller than the start-up's scatter: its share of the 200 MiB
# run's time beyond start-up stands in when that is larger.
W10_SCALED=$(awk -v w="$W200_BEYOND" -v a="$SIZE10" -v b="$SIZE200" 'BEGIN { print w * a / b }')
W10_BASIS=$(awk -v m="$W10_BEYOND" -v s="$W10_SCALED" 'BEGIN { print (m > s ? m : s) }')
r10=$(awk -v p="$P10_perl_s" -v o="$P10_ours_s" 'BEGIN { print p / o }')
mem_native=$(awk -v m="$NATIVE_PEAK" -v s="$SIZE200" 'BEGIN { print m / s }')
mem_wine=$(awk -v m="$W200_peak_working_set_bytes" -v s="$SIZE200" 'BEGIN { print m / s }')
dialog_ratio=$(awk -v c="$D_cancel_file_convert_seconds" -v b="$W200_BEYOND" \
  'BEGIN { print (b > 0 ? c / b : 1e9) }')
read_ratio=$(awk -v c="$D_cancel_file_read_seconds" -v b="$W200_BEYOND" \
  'BEGIN { print (b > 0 ? c / b : 1e9) }')
dialog_ratio10=$(awk -v c="$D_convert_seconds" -v b="$W10_BASIS" 'BEGIN { print c / b }')

# The rows of one kind of input: key suffix ("" or _whole), pipeline prefix, batch and
# converter-under-wine times beyond start-up.
kind_rows() {
  local k="$1" pipeline="$2" batch="$3" wine_convert="$4"
  local r16 ra w16 f16 fa
  r16="V_utf16${k}_read_s"; ra="V_ascii${k}_read_s"
  f16=$(sum "${!r16}" "$V_write_s" "$V_flush_s")  # read, write, flush: UTF-16 input
  fa=$(sum "${!ra}" "$V_write_s" "$V_flush_s")
  w16=$(sum "${!r16}" "$V_write_s")  # read and write, no flush
  # The pipes alone, the result passed on after the input's end, as the converter does.
  local p16="V_utf16${k}_withheld_s" pa="V_ascii${k}_withheld_s"
  local ours="${pipeline}_ours_s" file16="V_utf16${k}_file_s" filea="V_ascii${k}_file_s"
  local pipe16="V_utf16${k}_pipe_s" pipea="V_ascii${k}_pipe_s"
  timed_row "Pipeline, UTF-16 (native, in-process, no flush)" "${!ours}" "$w16" 20
  timed_row "vornel-convert, UTF-16, file to file (native)" "${!file16}" "$f16" 20
  timed_row "vornel-convert, ASCII, file to file (native)" "${!filea}" "$fa" 20
  timed_row "vornel-convert, UTF-16, pipe to pipe (native)" "${!pipe16}" "${!p16}" 15
  timed_row "vornel-convert, ASCII, pipe to pipe (native)" "${!pipea}" "${!pa}" 15
  timed_row "Vornel.exe batch under wine, beyond start-up" "$batch" "$f16" 10 1.5
  timed_row "vornel-convert.exe under wine, beyond start-up" "$wine_convert" "$f16" 10
}

echo
echo "Machine: $(lscpu | sed -n 's/^Model name: *//p' | head -n 1), $(nproc) cores;" \
  "$(date -u +%Y-%m-%d); load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "Inputs: $P10_numbers and $P200_numbers random binary numbers of 1 to 31 digits" \
  "($(mb "$SIZE10") and $(mb "$SIZE200") of UTF-16LE, half as much ASCII); times are medians."
echo "Floors on this run (200 MiB): plain reads of the UTF-16 input $(ms "$V_utf16_read_s")," \
  "of the ASCII input $(ms "$V_ascii_read_s"); writing the result $(ms "$V_write_s")," \
  "flushing it $(ms "$V_flush_s"); filling 200 MiB of new memory on two threads $(ms "$V_fresh_s")."
echo "A measure's floor: read + write, and + flush where the program flushes (file to file);" \
  "from a pipe to a pipe the pipes alone (cat | a program that reads its input and passes the" \
  "result on | cat), the result passed on after the input's end, as the converter does:" \
  "UTF-16 $(ms "$V_utf16_withheld_s"), ASCII $(ms "$V_ascii_withheld_s");" \
  "passed on while the input is read: $(ms "$V_utf16_pipes_s") and $(ms "$V_ascii_pipes_s")."
echo
echo "Inputs written in 4 KiB pieces, as users' files are (the targets):"
echo
header
row "Pipeline, 10 MiB (native), noise-bound" "$(ms "$P10_ours_s")" "$(ms "$P10_perl_s")" \
  "$(ms "$P10_python_s")" "$(ratio "$P10_perl_s" "$P10_ours_s")" "" "" "(>= 20× perl)" \
  "($(met "$r10" ">=" 20))"
kind_rows "" P200 "$W200_BEYOND" "$C200_BEYOND"
note "  (median one-line batch run: the start-up)" "$(ms "$W1_seconds")"
note "  (median whole 200 MiB batch run)" "$(ms "$W200_seconds")"
note "  (the hand-off run alone, timed in its process)" "$(ms "$H200_seconds")"
note "  (median one-line run of vornel-convert.exe)" "$(ms "$C1_seconds")"
row "Peak resident size, vornel-convert, 200 MiB piped" "$(mb "$CONVERT_PEAK")" "" "" "" "" "" \
  "<= 64 MiB" "$(met "$CONVERT_PEAK" "<=" $((64 << 20)))"
row "Peak memory, native batch run, 200 MiB" "$(mb "$NATIVE_PEAK")" "$(mb "$PERL_PEAK")" \
  "$(mb "$PYTHON_PEAK")" "$(awk -v r="$mem_native" 'BEGIN { printf "%.2f×in", r }')" "" "" \
  "<= 2.5× in" "$(met "$mem_native" "<=" 2.5)"
row "Peak working set, Vornel.exe under wine, 200 MiB" "$(mb "$W200_peak_working_set_bytes")" \
  "" "" "$(awk -v r="$mem_wine" 'BEGIN { printf "%.2f×in", r }')" "" "" "<= 2.5× in" \
  "$(met "$mem_wine" "<=" 2.5)"
row "Peak resident size, wine process, 200 MiB" "$(mb "$WINE_RSS")" "" "" \
  "$(awk -v m="$WINE_RSS" -v s="$SIZE200" 'BEGIN { printf "%.2f×in", m / s }')" "" "" \
  "<= 2.5× in" \
  "$(met "$(awk -v m="$WINE_RSS" -v s="$SIZE200" 'BEGIN { print m / s }')" "<=" 2.5)"
# The dialog holds every number's value (4 bytes), from which its results view forms each line
# as it reads it: new memory that it fills once, at the rate filling 200 MiB on two threads took.
convert_memory=$(awk -v n="$P200_numbers" 'BEGIN { print 4 * n }')
convert_floor=$(awk -v f="$V_fresh_s" -v b="$convert_memory" 'BEGIN { print f * b / (200 * 1048576) }')
row "Convert file data, 200 MiB, click to results" "$(ms "$D_cancel_file_convert_seconds")" "" \
  "" "" "$(ms "$convert_floor")" "$(ratio "$D_cancel_file_convert_seconds" "$convert_floor")" \
  "<= 3× batch ($(awk -v r="$dialog_ratio" 'BEGIN { printf "%.1f×", r }'))" \
  "$(verdict "$(met "$dialog_ratio" "<=" 3)" \
    "$(met "$(awk -v f="$convert_floor" -v b="$W200_BEYOND" 'BEGIN { print f / b }')" "<=" 3)")"
note "  (floor: filling $(mb "$convert_memory") of new memory: the values)" \
  "$(ms "$convert_floor")"
note "  (3× the batch run beyond start-up)" "$(ms "$(awk -v b="$W200_BEYOND" 'BEGIN { print 3 * b }')")"
row "Convert file data, 10 MiB, click to results" "$(ms "$D_convert_seconds")" "" "" "" "" "" \
  "(<= 3×: $(awk -v r="$dialog_ratio10" 'BEGIN { printf "%.1f×", r }'))" \
  "($(met "$dialog_ratio10" "<=" 3))"
note "  (batch under wine, 10 MiB, beyond start-up: noise)" "$(ms "$W10_BEYOND")"
note "  (1/20 of the 200 MiB run's; the larger is the basis)" "$(ms "$W10_SCALED")"
note "  (the dialog's logic alone, native, no window)" "$(ms "$L_convert_seconds")"
read_floor=$(sum "$V_utf16_read_s" "$V_fresh_s")
row "Read file, 200 MiB, click to text shown" "$(ms "$D_cancel_file_read_seconds")" "" "" "" \
  "$(ms "$read_floor")" "$(ratio "$D_cancel_file_read_seconds" "$read_floor")" \
  "<= 2× batch ($(awk -v r="$read_ratio" 'BEGIN { printf "%.1f×", r }'))" \
  "$(verdict "$(met "$read_ratio" "<=" 2)" \
    "$(met "$(awk -v f="$read_floor" -v b="$W200_BEYOND" 'BEGIN { print f / b }')" "<=" 2)")"
note "  (floor: plain reads + filling 200 MiB of new memory on two threads)" "$(ms "$V_fresh_s")"
row "Read file, 10 MiB, click to text shown" "$(ms "$D_read_seconds")" "" "" "" "" "" "-" ""
note "  (the dialog's logic alone, native, no window)" "$(ms "$L_read_seconds")"
row "Cancel answered, splitting phase (200 MiB run)" \
  "$([ "$D_cancel_split_hit" = 1 ] && ms "$D_cancel_split_seconds" || echo "no run")" "" "" "" \
  "" "" "<= 100 ms" \
  "$([ "$D_cancel_split_hit" = 1 ] && met "$D_cancel_split_seconds" "<=" 0.1 || echo "NOT met")"
# A click sent once the run shows the conversion phase is taken at the pump after the next one;
# a phase shorter than that ends first, and nothing is measured.
row "Cancel answered, conversion phase (200 MiB run)" \
  "$([ "$D_cancel_convert_hit" = 1 ] && ms "$D_cancel_convert_seconds" || echo "no click")" "" "" \
  "" "" "" "<= 100 ms" \
  "$([ "$D_cancel_convert_hit" = 1 ] && met "$D_cancel_convert_seconds" "<=" 0.1 ||
    echo "not measured")"
[ "$D_cancel_convert_hit" = 1 ] ||
  note "  (no click landed: the phase ended before a click sent once it showed was taken)" ""
# A held key repeats about 30 times a second: a key with its paint keeps up within 33 ms.
for key in down page_down up page_up; do
  median="K_${key}_median_ms"
  row "Text view, 200 MiB: ${key/_/ } with its paint (median)" \
    "$(awk -v m="${!median}" 'BEGIN { printf "%.1f ms", m }')" "" "" "" "<= 33 ms" \
    "$(met "${!median}" "<=" 33)"
done
row "  (a key the view ignores: the measuring's own time)" \
  "$(awk -v m="$K_ignored_median_ms" 'BEGIN { printf "%.1f ms", m }')" "" "" "" "" ""
# Each group's slowest query (median of 9). From outside, each call is a round trip between
# two wine processes; the dialog's edit box, whose object wine answers, shows what that costs.
row "Text view, 200 MiB: MSAA query from outside (slowest)" "$(ms "$A_msaa_slowest_median_seconds")" \
  "" "" "" "<= 10 ms" "$(met "$A_msaa_slowest_median_seconds" "<=" 0.01)"
row "  (the same on the dialog's edit box: wine's own)" \
  "$(ms "$A_edit_msaa_slowest_median_seconds")" "" "" "" "" ""
row "  (getting the object: AccessibleObjectFromWindow)" "$(ms "$A_msaa_connect_slowest_median_seconds")" \
  "" "" "" "" ""
row "Text view, 200 MiB: UI Automation property (slowest)" \
  "$(ms "$A_uia_properties_slowest_median_seconds")" "" "" "" "<= 10 ms" \
  "$(met "$A_uia_properties_slowest_median_seconds" "<=" 0.01)"
row "  (getting the node: UiaNodeFromHandle)" "$(ms "$A_uia_connect_slowest_median_seconds")" "" \
  "" "" "" ""
row "  (the same on the empty results view)" \
  "$(ms "$A_empty_uia_properties_slowest_median_seconds")" "" "" "" "" ""
row "  (the provider's own answer, in-process)" \
  "$(awk -v s="$A_provider_properties_slowest_median_seconds" 'BEGIN { printf "%.3f ms", s * 1000 }')" \
  "" "" "" "" ""
row "Text view, 200 MiB: Text/Value pattern, in-process" \
  "$(awk -v s="$A_patterns_slowest_median_seconds" 'BEGIN { printf "%.2f ms", s * 1000 }')" "" \
  "" "" "<= 10 ms" "$(met "$A_patterns_slowest_median_seconds" "<=" 0.01)"
echo
echo "The same bytes written in one piece (large folios in the page cache), for reference:"
echo
header
kind_rows _whole PW200 "$WW200_BEYOND" "$CW200_BEYOND"
echo
echo "× perl: perl's time over ours; for memory the peak over the input's size. Ours/floor: our"
echo "time over the floor's. For the dialog: its time over the batch run's time beyond start-up."
echo "NOT met, floor too: the floor alone misses the target, so no program can meet it here."
echo "Figures in parentheses are noise-bound (10 MiB: a run lasts about as long as the scatter of"
echo "the start-up), shown for reference; the targets are judged on the 200 MiB figures. Every"
echo "output of ours matched perl's and python3's byte for byte: $([ "$P10_same_output$P200_same_output" = 11 ] && echo yes || echo NO)."
