#!/usr/bin/env bash
# Start-up cost of orlocli, whole process (dynamic loader included), on a fresh
# default host, next to the floor for a program of our shape: a dynamically
# linked C++ hello-world built by the same build (target startup-floor).
#
#   bench/startup.sh [--build-dir DIR] [--runs N] [--no-build]
#   bench/startup.sh --check FACTOR --build-dir DIR
#
#   --build-dir DIR  build to measure (default: build/release, the preset's)
#   --runs N         timed runs per command for the wall medians (default 200)
#   --no-build       use the build as it is
#   --check FACTOR   regression guard (ctest startup_budget): exit 1 when
#                    `storage core adapter list` executes more than FACTOR times
#                    the hello-world's instructions, both counted in this run
#
# Instructions are counted by valgrind's callgrind from the first instruction
# of the loader to exit; they do not depend on the machine's load, unlike the
# wall-clock medians (hyperfine when installed, else a timed loop), which are
# compared with `lsblk -J` measured in the same run.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$ROOT/build/release"
RUNS=200
BUILD_IT=1
CHECK=""
while [ $# -gt 0 ]; do
  case "$1" in
  --build-dir) BUILD=$(cd "$ROOT" && realpath -m "$2"); shift 2 ;;
  --runs) RUNS="$2"; shift 2 ;;
  --no-build) BUILD_IT=0; shift ;;
  --check) CHECK="$2"; BUILD_IT=0; shift 2 ;;
  -h | --help) sed -n '2,20p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
  *) echo "bench/startup.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done

if ! command -v valgrind >/dev/null; then
  echo "bench/startup.sh: valgrind is missing (tools/deps installs it)" >&2
  exit 1
fi
if [ "$BUILD_IT" = 1 ]; then
  [ -f "$BUILD/build.ninja" ] || cmake --preset release >/dev/null
  cmake --build "$BUILD" --target orlocli orlocli-host core-storage startup-floor >/dev/null
fi
BIN="$BUILD/bin"
for tool in orlocli orlocli-host startup-floor libcore-storage.so; do
  [ -e "$BIN/$tool" ] || { echo "bench/startup.sh: $BIN/$tool is not built" >&2; exit 1; }
done

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
HOST="$WORK/host.json"
"$BIN/orlocli-host" init --profile default "$HOST" >/dev/null

# The same environment for every command, so that its size (which the loader
# and libc walk) does not differ between them.
run() { env -i PATH=/usr/bin:/bin LC_ALL=C "$@"; }

# Instructions of one whole process; with a second argument, also the loader's
# share (instructions spent inside ld.so, exclusive).
instructions() {
  local out="$WORK/callgrind.out"
  run valgrind --tool=callgrind --callgrind-out-file="$out" "$@" >/dev/null 2>"$WORK/valgrind.err" || {
    echo "bench/startup.sh: failed under valgrind: $*" >&2
    cat "$WORK/valgrind.err" >&2
    exit 1
  }
  sed -n 's/^summary: *\([0-9]*\).*/\1/p' "$out"
}
loader_instructions() {
  callgrind_annotate --threshold=100 "$WORK/callgrind.out" 2>/dev/null |
    awk '/\/ld-linux[^ ]*\]$/ { gsub(",", "", $1); sum += $1 } END { print sum + 0 }'
}

ADAPTERS=("$BIN/orlocli" --host "$HOST" storage core adapter list)
floor=$(instructions "$BIN/startup-floor")

if [ -n "$CHECK" ]; then
  adapters=$(instructions "${ADAPTERS[@]}")
  budget=$(awk -v f="$CHECK" -v h="$floor" 'BEGIN { printf "%d", f * h }')
  ratio=$(awk -v a="$adapters" -v h="$floor" 'BEGIN { printf "%.2f", a / h }')
  echo "storage core adapter list: $adapters instructions, ${ratio}x the hello-world's $floor" \
       "(budget ${CHECK}x = $budget)"
  if [ "$adapters" -gt "$budget" ]; then
    echo "FAIL: start-up over budget; see bench/startup.sh and docs/architecture.md (Build and start-up)"
    exit 1
  fi
  exit 0
fi

floor_loader=$(loader_instructions)
printf '%-34s %14s %8s %14s\n' "whole process (callgrind)" instructions "x floor" "in ld.so"
printf '%-34s %14s %8s %14s\n' "C++ hello-world (floor)" "$floor" "1.00" "$floor_loader"
measure() {
  local label="$1"
  shift
  local count loader
  count=$(instructions "$@")
  loader=$(loader_instructions)
  printf '%-34s %14s %8s %14s\n' "$label" "$count" \
    "$(awk -v a="$count" -v h="$floor" 'BEGIN { printf "%.2f", a / h }')" "$loader"
}
measure "orlocli --version" "$BIN/orlocli" --version
measure "orlocli storage core adapter list" "${ADAPTERS[@]}"
measure "orlocli --help" "$BIN/orlocli" --host "$HOST" --help

# Wall-clock medians, in milliseconds.
median_ms() {
  if command -v hyperfine >/dev/null; then
    hyperfine -N --warmup 5 --runs "$RUNS" --export-json "$WORK/h.json" "$(printf '%q ' "$@")" >/dev/null 2>&1
    python3 -c 'import json,sys; print("%.2f" % (json.load(open(sys.argv[1]))["results"][0]["median"] * 1000))' \
      "$WORK/h.json"
    return
  fi
  local i start times=()
  for ((i = 0; i < 5; i++)); do "$@" >/dev/null 2>&1 || true; done
  for ((i = 0; i < RUNS; i++)); do
    start=$EPOCHREALTIME
    "$@" >/dev/null 2>&1 || true
    times+=("$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.3f", (b - a) * 1000 }')")
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{ v[NR] = $1 } END { printf "%.2f", (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
echo
echo "wall-clock medians of $RUNS runs ($(command -v hyperfine >/dev/null && echo hyperfine || echo timed loop)):"
printf '%-34s %10s\n' "lsblk -J" "$(median_ms lsblk -J) ms"
printf '%-34s %10s\n' "C++ hello-world (floor)" "$(median_ms "$BIN/startup-floor") ms"
printf '%-34s %10s\n' "orlocli --version" "$(median_ms "$BIN/orlocli" --version) ms"
printf '%-34s %10s\n' "orlocli storage core adapter list" "$(median_ms "${ADAPTERS[@]}") ms"
printf '%-34s %10s\n' "orlocli --help" "$(median_ms "$BIN/orlocli" --host "$HOST" --help) ms"
