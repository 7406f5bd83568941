#!/usr/bin/env bash
# Whole-process benchmark of the per-device views against device list, on
# generated hosts. Prints a table and PASS/FAIL per target; exits 1 when a
# target fails.
#
#   bench/device-views.sh [--build-dir DIR] [--runs N] [--keep DIR]
#
#   --build-dir DIR  release build to use (default: build/release); it needs
#                    the targets orlocli, orlocli-host and core-storage
#   --runs N         timed runs per command (default 20)
#   --keep DIR       write the generated hosts and hyperfine's JSON there
#
# Targets:
#   1. On a generated host of 1,024 devices with 4 paths each, scsi device list,
#      device stats get and device uidmap list each take at most 1.2 times the
#      median of device list, measured in the same run.
#   2. Growth: 16 times the devices (256 -> 4,096) take at most 20 times as
#      long, after subtracting the time on a host without devices.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$ROOT/build/release"
RUNS=20
KEEP=""
while [ $# -gt 0 ]; do
  case "$1" in
  --build-dir) BUILD=$(cd "$ROOT" && realpath -m "$2"); shift 2 ;;
  --runs) RUNS="$2"; shift 2 ;;
  --keep) KEEP="$2"; shift 2 ;;
  -h | --help) sed -n '2,18p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
  *) echo "bench/device-views.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done
for tool in hyperfine jq; do
  command -v "$tool" >/dev/null || { echo "bench/device-views.sh: $tool is missing" >&2; exit 2; }
done
grep -q 'CMAKE_BUILD_TYPE:STRING=Release' "$BUILD/CMakeCache.txt" ||
  { echo "bench/device-views.sh: $BUILD is not a release build" >&2; exit 2; }
ORLOCLI="$BUILD/bin/orlocli"
HOSTTOOL="$BUILD/bin/orlocli-host"

if [ -n "$KEEP" ]; then
  mkdir -p "$KEEP"
  WORK=$(realpath "$KEEP")
else
  WORK=$(mktemp -d /tmp/orlocli-views-XXXXXX)
  trap 'rm -rf "$WORK"' EXIT
fi
export XDG_STATE_HOME="$WORK/state" ORLOCLI_HOST=

for n in 0 256 1024 4096; do
  "$HOSTTOOL" generate --devices "$n" --paths-per-device 4 "$WORK/d$n.json" >/dev/null
done

MEDIANS=()
measure() { # name, runs, commands...: medians in ms, in order, in MEDIANS
  local name="$1" runs="$2"
  shift 2
  hyperfine -N --style none --warmup 2 --runs "$runs" --export-json "$WORK/$name.hyperfine.json" "$@" \
    >/dev/null 2>"$WORK/$name.err" || { cat "$WORK/$name.err" >&2; exit 1; }
  mapfile -t MEDIANS < <(jq -r '.results[].median * 1000' "$WORK/$name.hyperfine.json")
}
ROWS=()
FAILED=0
row() { # target, figure, limit, verdict
  ROWS+=("$(printf '%-58s %12s %12s  %s' "$1" "$2" "$3" "$4")")
  [ "$4" = PASS ] || FAILED=1
}
verdict() { awk -v a="$1" -v b="$2" 'BEGIN { print (a <= b) ? "PASS" : "FAIL" }'; }
ms() { printf '%.2f ms' "$1"; }

VIEWS=("device list" "scsi device list" "device stats get" "device uidmap list")
run_of() { # host, command words
  local words="$2"
  case "$words" in
  "scsi device list") echo "$ORLOCLI --host $1 storage core scsi device list" ;;
  *) echo "$ORLOCLI --host $1 storage core $words" ;;
  esac
}

# 1. Against device list on 1,024 devices.
args=()
for v in "${VIEWS[@]}"; do args+=("$(run_of "$WORK/d1024.json" "$v")"); done
measure d1024 "$RUNS" "${args[@]}"
list_ms=${MEDIANS[0]}
limit=$(awk -v l="$list_ms" 'BEGIN { print l * 1.2 }')
row "device list, 1,024 devices" "$(ms "$list_ms")" "" "PASS"
for i in 1 2 3; do
  row "${VIEWS[$i]}, 1,024 devices" "$(ms "${MEDIANS[$i]}")" "<= $(ms "$limit")" \
    "$(verdict "${MEDIANS[$i]}" "$limit")"
done

# 2. Growth from 256 to 4,096 devices, net of the host without devices.
args=()
for host in d0 d256 d4096; do
  for v in "${VIEWS[@]}"; do args+=("$(run_of "$WORK/$host.json" "$v")"); done
done
measure growth "$((RUNS / 2 > 5 ? RUNS / 2 : 5))" "${args[@]}"
n=${#VIEWS[@]}
GROWTH=()
for i in "${!VIEWS[@]}"; do
  empty=${MEDIANS[$i]}
  small=${MEDIANS[$((n + i))]}
  big=${MEDIANS[$((2 * n + i))]}
  ratio=$(awk -v e="$empty" -v s="$small" -v b="$big" 'BEGIN { printf "%.1f", (b - e) / (s - e) }')
  row "${VIEWS[$i]}: growth (4,096 - none) / (256 - none)" "${ratio}x" "<= 20x" "$(verdict "$ratio" 20)"
  GROWTH+=("$(printf '  %-20s no devices %9s   256 devices %9s   4,096 devices %9s' "${VIEWS[$i]}" \
    "$(ms "$empty")" "$(ms "$small")" "$(ms "$big")")")
done

echo "orlocli device views: $(nproc) CPUs, $(uname -r), build $BUILD"
printf '%-58s %12s %12s  %s\n' "Target" "Figure" "Limit" "Result"
printf '%s\n' "${ROWS[@]}"
echo "Medians of the growth runs:"
printf '%s\n' "${GROWTH[@]}"
exit "$FAILED"
