#!/usr/bin/env bash
# Whole-process benchmark of the NMP device and path lists on generated hosts.
# Prints a table of the figures and PASS/FAIL per target; exits 1 when a target
# fails.
#
#   bench/nmp.sh [--build-dir DIR] [--runs N] [--no-build] [--keep DIR]
#
# Targets (generated hosts repeat a pattern of 16 devices, 13 of them under
# the NMP, 4 paths each):
#   1. storage nmp device list and storage nmp path list, in the simple and
#      json formats, on a host of 1,024 NMP devices (1,261 devices): each
#      median below that of jq . STATE > /dev/null, measured in the same run.
#   2. Growth: 16 times the devices (1,024 to 16,384 devices, 832 to 13,312
#      under the NMP) take at most 20 times as long, after subtracting the
#      time on a host without devices.
set -euo pipefail

# shellcheck source=bench/lib.sh
. "$(dirname "$0")/lib.sh"
RUNS=20
bench_setup bench/nmp.sh '2,16p' "$@"

"$HOSTTOOL" generate --devices 1261 "$WORK/n1024.json" >/dev/null
"$HOSTTOOL" generate --devices 1024 "$WORK/d1024.json" >/dev/null
"$HOSTTOOL" generate --devices 16384 "$WORK/d16384.json" >/dev/null
"$HOSTTOOL" generate --devices 0 "$WORK/d0.json" >/dev/null

COMMANDS=("device list --formatter simple" "device list --formatter json" "path list --formatter simple"
  "path list --formatter json")
AREA=nmp

# 1. Against jq on the same state.
args=()
for c in "${COMMANDS[@]}"; do args+=("$(run_of "$WORK/n1024.json" "$c")"); done
measure n1024 "$RUNS" "${args[@]}" "jq . $WORK/n1024.json"
jq_ms=${MEDIANS[4]}
for i in "${!COMMANDS[@]}"; do
  row "${COMMANDS[$i]}, 1,024 NMP devices (vs jq . $(ms "$jq_ms"))" "$(ms "${MEDIANS[$i]}")" "< $(ms "$jq_ms")" \
    "$(below "${MEDIANS[$i]}" "$jq_ms")"
done

# 2. Growth with the devices.
args=()
for c in "${COMMANDS[@]}"; do args+=("$(run_of "$WORK/d1024.json" "$c")"); done
for c in "${COMMANDS[@]}"; do args+=("$(run_of "$WORK/d16384.json" "$c")"); done
for c in "${COMMANDS[@]}"; do args+=("$(run_of "$WORK/d0.json" "$c")"); done
measure growth "$((RUNS / 2 > 5 ? RUNS / 2 : 5))" "${args[@]}"
n=${#COMMANDS[@]}
for i in "${!COMMANDS[@]}"; do
  small=${MEDIANS[$i]}
  big=${MEDIANS[$((i + n))]}
  base=${MEDIANS[$((i + 2 * n))]}
  factor=$(awk -v b="$big" -v s="$small" -v z="$base" 'BEGIN { printf "%.1f", (b - z) / (s - z) }')
  row "${COMMANDS[$i]}: 16,384 / 1,024 devices ($(ms "$big") / $(ms "$small"), base $(ms "$base"))" \
    "${factor}x" "<= 20x" "$(verdict "$factor" 20)"
done

echo "nmp benchmark: $(nproc) CPUs, $(uname -r), build $BUILD"
echo "state file of 1,024 NMP devices: $(($(stat -c %s "$WORK/n1024.json") / 1024)) KiB"
echo
printf '%-72s %12s %14s  %s\n' "Target" "Figure" "Limit" "Result"
printf '%s\n' "${ROWS[@]}"
exit "$FAILED"
