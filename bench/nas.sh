#!/usr/bin/env bash
# Whole-process benchmark of the NAS volume lists on generated hosts.
# Prints a table of the figures and PASS/FAIL per target; exits 1 when a target
# fails.
#
#   bench/nas.sh [--build-dir DIR] [--runs N] [--no-build] [--keep DIR]
#
# Targets, on a host of 4,096 NAS mounts (NFS v3 and v4.1 in turn):
#   1. storage nfs list and storage nfs41 list, in the table and json
#      formats: each median below that of jq . STATE > /dev/null, measured in
#      the same run.
#   2. Growth: 16 times the mounts (65,536) take at most 20 times as long,
#      after subtracting the time on a host without NAS mounts.
set -euo pipefail

# shellcheck source=bench/lib.sh
. "$(dirname "$0")/lib.sh"
RUNS=20
bench_setup bench/nas.sh '2,14p' "$@"

"$HOSTTOOL" generate --nas-mounts 4096 "$WORK/n4096.json" >/dev/null
"$HOSTTOOL" generate --nas-mounts 65536 "$WORK/n65536.json" >/dev/null
"$HOSTTOOL" generate "$WORK/n0.json" >/dev/null

# "nfs list" and "nfs41 list" differ in the area word.
COMMANDS=("list --formatter table" "list --formatter json")
AREAS=(nfs nfs41)

# 1. Against jq on the same state.
args=()
for AREA in "${AREAS[@]}"; do for c in "${COMMANDS[@]}"; do args+=("$(run_of "$WORK/n4096.json" "$c")"); done; done
measure n4096 "$RUNS" "${args[@]}" "jq . $WORK/n4096.json"
jq_ms=${MEDIANS[4]}
LABELS=()
for AREA in "${AREAS[@]}"; do for c in "${COMMANDS[@]}"; do LABELS+=("$AREA $c"); done; done
declare -A small
for i in "${!LABELS[@]}"; do
  small[$i]=${MEDIANS[$i]}
  row "${LABELS[$i]}, 4,096 mounts (vs jq . $(ms "$jq_ms"))" "$(ms "${MEDIANS[$i]}")" "< $(ms "$jq_ms")" \
    "$(below "${MEDIANS[$i]}" "$jq_ms")"
done

# 2. Growth with the mounts.
args=()
for AREA in "${AREAS[@]}"; do for c in "${COMMANDS[@]}"; do args+=("$(run_of "$WORK/n65536.json" "$c")"); done; done
for AREA in "${AREAS[@]}"; do for c in "${COMMANDS[@]}"; do args+=("$(run_of "$WORK/n0.json" "$c")"); done; done
measure growth "$((RUNS / 2 > 5 ? RUNS / 2 : 5))" "${args[@]}"
n=${#LABELS[@]}
for i in "${!LABELS[@]}"; do
  big=${MEDIANS[$i]}
  base=${MEDIANS[$((i + n))]}
  factor=$(awk -v b="$big" -v s="${small[$i]}" -v z="$base" 'BEGIN { printf "%.1f", (b - z) / (s - z) }')
  row "${LABELS[$i]}: 65,536 / 4,096 mounts ($(ms "$big") / $(ms "${small[$i]}"), base $(ms "$base"))" \
    "${factor}x" "<= 20x" "$(verdict "$factor" 20)"
done

echo "NAS benchmark: $(nproc) CPUs, $(uname -r), build $BUILD"
echo "state file of 4,096 NAS mounts: $(($(stat -c %s "$WORK/n4096.json") / 1024)) KiB"
echo
printf '%-72s %12s %14s  %s\n' "Target" "Figure" "Limit" "Result"
printf '%s\n' "${ROWS[@]}"
exit "$FAILED"
