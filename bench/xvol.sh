#!/usr/bin/env bash
# Whole-process benchmark of the virtual-volume PE lists on generated hosts.
# Prints a table of the figures and PASS/FAIL per target; exits 1 when a target
# fails.
#
#   bench/xvol.sh [--build-dir DIR] [--runs N] [--no-build] [--keep DIR]
#
# Targets, on a host of 2,000 storage containers and 500 PEs:
#   1. storage xvol protocolendpoint list and storage xvol storagearray
#      protocolendpoint list, in the simple and json formats: each median below
#      that of jq . STATE > /dev/null, measured in the same run.
#   2. Growth: 8 times the containers (16,000, the same 500 PEs) take at most
#      10 times as long, after subtracting the time on a host without virtual
#      volumes.
set -euo pipefail

# shellcheck source=bench/lib.sh
. "$(dirname "$0")/lib.sh"
RUNS=20
bench_setup bench/xvol.sh '2,15p' "$@"

"$HOSTTOOL" generate --xvol-containers 2000 --xvol-pes 500 "$WORK/c2000.json" >/dev/null
"$HOSTTOOL" generate --xvol-containers 16000 --xvol-pes 500 "$WORK/c16000.json" >/dev/null
"$HOSTTOOL" generate "$WORK/c0.json" >/dev/null

COMMANDS=("protocolendpoint list --formatter simple" "protocolendpoint list --formatter json"
  "storagearray protocolendpoint list --formatter simple" "storagearray protocolendpoint list --formatter json")
AREA=xvol

# 1. Against jq on the same state.
args=()
for c in "${COMMANDS[@]}"; do args+=("$(run_of "$WORK/c2000.json" "$c")"); done
measure c2000 "$RUNS" "${args[@]}" "jq . $WORK/c2000.json"
jq_ms=${MEDIANS[4]}
declare -A small
for i in "${!COMMANDS[@]}"; do
  small[$i]=${MEDIANS[$i]}
  row "${COMMANDS[$i]}, 2,000 containers (vs jq . $(ms "$jq_ms"))" "$(ms "${MEDIANS[$i]}")" "< $(ms "$jq_ms")" \
    "$(below "${MEDIANS[$i]}" "$jq_ms")"
done

# 2. Growth with the containers.
args=()
for c in "${COMMANDS[@]}"; do args+=("$(run_of "$WORK/c16000.json" "$c")"); done
for c in "${COMMANDS[@]}"; do args+=("$(run_of "$WORK/c0.json" "$c")"); done
measure growth "$((RUNS / 2 > 5 ? RUNS / 2 : 5))" "${args[@]}"
n=${#COMMANDS[@]}
for i in "${!COMMANDS[@]}"; do
  big=${MEDIANS[$i]}
  base=${MEDIANS[$((i + n))]}
  factor=$(awk -v b="$big" -v s="${small[$i]}" -v z="$base" 'BEGIN { printf "%.1f", (b - z) / (s - z) }')
  row "${COMMANDS[$i]}: 16,000 / 2,000 containers ($(ms "$big") / $(ms "${small[$i]}"), base $(ms "$base"))" \
    "${factor}x" "<= 10x" "$(verdict "$factor" 10)"
done

echo "xvol benchmark: $(nproc) CPUs, $(uname -r), build $BUILD"
echo "state file of 2,000 containers and 500 PEs: $(($(stat -c %s "$WORK/c2000.json") / 1024)) KiB"
echo
printf '%-72s %12s %14s  %s\n' "Target" "Figure" "Limit" "Result"
printf '%s\n' "${ROWS[@]}"
exit "$FAILED"
