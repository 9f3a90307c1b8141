#!/usr/bin/env bash
# Static analysis of the project's own code with clang-tidy (checks in .clang-tidy) and
# cppcheck. The common and POSIX code goes through the native build's compile commands, the
# Windows-only code (and every file again for cppcheck) through the windows build's, with
# clang aimed at mingw-w64. Every finding is an error: exits non-zero on any.
#
#   scripts/analyse.sh
#
# Configures build/native and build/windows when they have no compile_commands.json yet;
# VORNEL_NATIVE_BUILD and VORNEL_WINDOWS_BUILD name other build folders.
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cd "$VORNEL_ROOT" || exit 1

NATIVE_BUILD="${VORNEL_NATIVE_BUILD:-build/native}"
WINDOWS_BUILD="${VORNEL_WINDOWS_BUILD:-build/windows}"
# The project's own code. bench/ (built on request only) and packaging/ are not analysed.
OWN_FOLDERS=(tuning convert storage pipeline cli ui app tests fuzz samples)
OWN_PATTERN="^($(IFS='|' && echo "${OWN_FOLDERS[*]}"))/"
MINGW_CXX=x86_64-w64-mingw32-g++-posix
JOBS="$(nproc)"
OUT="build/analysis"

# Writes to $2 a copy of the compilation database in folder $1 that holds one compile command
# for each source of the project's own targets (none of GoogleTest's, none of packaging/'s,
# whose test program borrows two test sources with a define cppcheck cannot read), and prints
# those sources, relative to the top.
own_database() {
  mkdir -p "$(dirname "$2")"
  python3 - "$1/compile_commands.json" "$2" "$VORNEL_ROOT" "${OWN_FOLDERS[@]}" <<'PY'
import json, os, shlex, sys
source, target, root, *own = sys.argv[1:]
def output_of(entry):
    words = shlex.split(entry["command"])
    return words[words.index("-o") + 1] if "-o" in words else ""
def own_file(path):
    relative = os.path.relpath(path, root)
    return relative.split(os.sep)[0] in own and relative.endswith((".cpp", ".cc"))
entries = {}
for e in json.load(open(source)):
    if own_file(e["file"]) and output_of(e).split("/")[0] in own:
        entries.setdefault(e["file"], e)  # once per source: fuzz/replay_main.cpp is in three
entries = list(entries.values())
json.dump(entries, open(target, "w"), indent=1)
for name in sorted({os.path.relpath(e["file"], root) for e in entries}):
    print(name)
PY
}

# Configures a preset into a build folder unless it already has a compilation database.
ensure_database() {
  local preset="$1" dir="$2"
  [ -f "$dir/compile_commands.json" ] && return 0
  log "configuring $preset in $dir"
  cmake --preset "$preset" -B "$dir" >/dev/null
}

# clang's flags for the mingw-w64 target: g++'s own libstdc++ headers (clang does not find
# them in Debian's versioned "12-posix" folder), and no complaint about g++-only warnings.
mingw_tidy_args() {
  echo --extra-arg=--target=x86_64-w64-mingw32 --extra-arg=-nostdinc++
  "$MINGW_CXX" -xc++ -E -v - </dev/null 2>&1 |
    sed -n '/search starts here:/,/End of search list/p' | grep '/c++' |
    while read -r dir; do echo "--extra-arg=-isystem$dir"; done
}

# Runs clang-tidy on one file ($2) with the arguments for its kind ($1: native, windows or
# plain-native, plain-windows for a file that no build compiles). Its report goes to a file of
# its own in $TIDY_OUT, and its name to $TIDY_OUT/failed when it found anything.
tidy_one() {
  local kind="$1" file="$2" report start=$SECONDS args
  report="$TIDY_OUT/$(echo "$file" | tr '/' '_').txt"
  case "$kind" in
    native) args="-p $OUT/native" ;;
    windows) args="-p $OUT/windows $MINGW_ARGS" ;;
    plain-native) args="" ;;
    plain-windows) args="$MINGW_ARGS" ;;
  esac
  local compiler=()
  [[ "$kind" == plain-* ]] && compiler=(-- -std=c++20 -I.)
  # Clang's own -Wreserved-identifier stands in for bugprone-reserved-identifier (see
  # .clang-tidy); the g++-only -Wno-restrict of the compile commands is no error for clang.
  # shellcheck disable=SC2086
  clang-tidy --quiet --extra-arg=-Wreserved-identifier --extra-arg=-Wno-unknown-warning-option \
    $args "$file" "${compiler[@]}" >"$report" 2>&1 || echo "$file" >>"$TIDY_OUT/failed"
  echo "$((SECONDS - start)) s $file" >>"$TIDY_OUT/times"
  sed -i -E '/^[0-9]+ (warning|error)s?( and [0-9]+ errors?)? generated\.$/d' "$report"
}
export -f tidy_one

install_packages || exit 1
ensure_database native "$NATIVE_BUILD" || exit 1
ensure_database windows "$WINDOWS_BUILD" || exit 1

mapfile -t native_files < <(own_database "$NATIVE_BUILD" "$OUT/native/compile_commands.json")
mapfile -t windows_files < <(own_database "$WINDOWS_BUILD" "$OUT/windows/compile_commands.json")
mapfile -t windows_only < <(comm -13 <(printf '%s\n' "${native_files[@]}") \
  <(printf '%s\n' "${windows_files[@]}"))
# Own sources that no build compiles (a sample kept out of CMake, say): plain C++20 flags,
# for Windows when they include <windows.h>.
mapfile -t unbuilt < <(comm -13 <(printf '%s\n' "${native_files[@]}" "${windows_files[@]}" | sort -u) \
  <(find "${OWN_FOLDERS[@]}" -name '*.cpp' 2>/dev/null | sort -u))

rm -rf "$OUT/tidy" && mkdir -p "$OUT/tidy" "$OUT/cppcheck-native" "$OUT/cppcheck-windows"
export OUT TIDY_OUT="$VORNEL_ROOT/$OUT/tidy"
MINGW_ARGS="$(mingw_tidy_args | tr '\n' ' ')"
export MINGW_ARGS

# One queue for both builds, the test programs (the slowest, with GoogleTest) first.
start=$SECONDS
log "clang-tidy: ${#native_files[@]} files (native), ${#windows_only[@]} Windows-only files (mingw-w64)"
{
  for file in "${native_files[@]}"; do echo "native $file"; done
  for file in "${windows_only[@]}"; do echo "windows $file"; done
  for file in "${unbuilt[@]}"; do
    log "clang-tidy: $file is in no build; plain C++20 flags"
    if grep -qi '#include <windows.h>' "$file"; then echo "plain-windows $file"; else echo "plain-native $file"; fi
  done
} | sort -k2,2 | awk '{ print ($2 ~ /^tests\//) ? 0 : 1, $0 }' | sort -s -k1,1 | cut -d' ' -f2- |
  xargs -P "$JOBS" -L 1 bash -c 'tidy_one "$1" "$2"' _
cat "$TIDY_OUT"/*.txt
tidy_unique="$(cat "$TIDY_OUT"/*.txt | grep -E '^[^ ].*: (warning|error): ' | sort -u | wc -l)"
tidy_status=0
[ -s "$TIDY_OUT/failed" ] && tidy_status=1
log "clang-tidy: $tidy_unique findings ($((SECONDS - start)) s)"

# cppcheck: warning, style, performance and portability, over both builds' own files.
# useStlAlgorithm is off: it asks for std::transform instead of short widening and copying
# loops, which read better as loops (clang-tidy's readability-use-anyofallof stays on).
start=$SECONDS
cppcheck_args=(--quiet -j "$JOBS" --std=c++20 --enable=warning,style,performance,portability
  --inline-suppr --suppress=missingIncludeSystem --suppress=useStlAlgorithm --error-exitcode=1
  --template='{file}:{line}:{column}: {severity}: {message} [{id}]')
cppcheck_status=0
cppcheck "${cppcheck_args[@]}" --project="$OUT/native/compile_commands.json" \
  --cppcheck-build-dir="$OUT/cppcheck-native" --library=posix,gnu,googletest \
  2>&1 | tee "$OUT/cppcheck-native.txt"
[ "${PIPESTATUS[0]}" -eq 0 ] || cppcheck_status=1
cppcheck "${cppcheck_args[@]}" --project="$OUT/windows/compile_commands.json" \
  --cppcheck-build-dir="$OUT/cppcheck-windows" --library=windows,googletest --platform=win64 \
  -D_WIN32 -D_WIN64 -D__MINGW32__ -D__MINGW64__ 2>&1 | tee "$OUT/cppcheck-windows.txt"
[ "${PIPESTATUS[0]}" -eq 0 ] || cppcheck_status=1
cppcheck_unique="$(cat "$OUT"/cppcheck-*.txt | grep -E '\[[A-Za-z0-9_]+\]$' | sort -u | wc -l)"
log "cppcheck: $cppcheck_unique findings ($((SECONDS - start)) s)"

if [ $tidy_status -eq 0 ] && [ $cppcheck_status -eq 0 ]; then
  log "static analysis: no findings"
  exit 0
fi
log "static analysis: findings above (clang-tidy: $tidy_unique, cppcheck: $cppcheck_unique)"
exit 1
