#!/usr/bin/env bash
# Whole-process benchmark of orlocli on the default host and on generated large
# hosts. Prints a table of the figures and PASS/FAIL per target; exits 1 when a
# target fails.
#
#   bench/run.sh [--build-dir DIR] [--runs N] [--no-build] [--keep DIR]
#
#   --build-dir DIR  release build to use (default: build/release, the preset's)
#   --runs N         timed runs per command (default 30; fewer on big hosts)
#   --no-build       use the build as it is
#   --keep DIR       write the generated hosts and hyperfine's JSON there
#
# Targets:
#   1. orlocli storage core adapter list on the default host: median at most
#      half of lsblk -J's median, measured in the same run.
#   2. On a generated host of 1,024 devices with 4 paths each, path list and
#      device list, in the simple and json formats: each median below that of
#      jq . STATE > /dev/null; peak memory at most 3 x the state file + 16 MiB.
#   3. Growth: 16 times the devices and paths (256 -> 4,096 devices) take at
#      most 20 times as long, after subtracting the time on a host without
#      devices.
#   4. Per-device views on the 1,024-device host: scsi device list, device
#      stats get and device uidmap list each at most 1.2 x device list's
#      median in the same run, and their growth as in 3.
#   5. Volumes: on a generated host of 4,096 volumes, filesystem list and olfs
#      extent list, in the table and json formats, each below jq . STATE; 16
#      times the volumes (1,024 -> 16,384) at most 20 times as long, net of the
#      host without volumes.
set -euo pipefail

# shellcheck source=bench/lib.sh
. "$(dirname "$0")/lib.sh"
bench_setup bench/run.sh '2,28p' "$@"

"$HOSTTOOL" init --force --profile default "$WORK/default.json" >/dev/null
"$HOSTTOOL" generate --devices 1024 --paths-per-device 4 "$WORK/d1024.json" >/dev/null
"$HOSTTOOL" generate --devices 0 "$WORK/d0.json" >/dev/null
"$HOSTTOOL" generate --devices 256 --paths-per-device 4 "$WORK/d256.json" >/dev/null
"$HOSTTOOL" generate --devices 4096 --paths-per-device 4 "$WORK/d4096.json" >/dev/null
for n in 0 1024 4096 16384; do
  "$HOSTTOOL" generate --devices 64 --volumes "$n" "$WORK/v$n.json" >/dev/null
done

# --- measuring ---------------------------------------------------------------
# Peak resident memory in KiB of one run.
peak_kib() {
  /usr/bin/time -v "$@" 2>&1 >/dev/null | sed -n 's/.*Maximum resident set size (kbytes): //p'
}

# 1. The default host against lsblk. orlocli --version only loads the tool and
# its libraries: the floor under any command, shown for reference.
measure default "$RUNS" "$ORLOCLI --host $WORK/default.json storage core adapter list" "lsblk -J" \
  "$ORLOCLI --version"
adapter_ms=${MEDIANS[0]}
lsblk_ms=${MEDIANS[1]}
floor_ms=${MEDIANS[2]}
half=$(awk -v l="$lsblk_ms" 'BEGIN { print l / 2 }')
row "adapter list, default host (vs lsblk -J $(ms "$lsblk_ms"))" "$(ms "$adapter_ms")" "<= $(ms "$half")" \
  "$(verdict "$adapter_ms" "$half")"

# 2. The 1,024-device host against jq, and its peak memory.
STATE="$WORK/d1024.json"
state_bytes=$(stat -c %s "$STATE")
COMMANDS=("path list --formatter simple" "path list --formatter json"
  "device list --formatter simple" "device list --formatter json")
AREA=core
args=()
for c in "${COMMANDS[@]}"; do args+=("$(run_of "$STATE" "$c")"); done
measure d1024 "$((RUNS / 2 > 5 ? RUNS / 2 : 5))" "${args[@]}" "jq . $STATE"
jq_ms=${MEDIANS[4]}
memory_limit_kib=$(((3 * state_bytes + 16 * 1024 * 1024) / 1024))
for i in "${!COMMANDS[@]}"; do
  row "${COMMANDS[$i]}, 1,024 devices (vs jq . $(ms "$jq_ms"))" "$(ms "${MEDIANS[$i]}")" "< $(ms "$jq_ms")" \
    "$(below "${MEDIANS[$i]}" "$jq_ms")"
done
for c in "${COMMANDS[@]}"; do
  # shellcheck disable=SC2046 # the command line is split into its words on purpose
  kib=$(peak_kib $(run_of "$STATE" "$c"))
  row "${c}, 1,024 devices: peak memory" "$((kib / 1024)) MiB" "<= $((memory_limit_kib / 1024)) MiB" \
    "$(verdict "$kib" "$memory_limit_kib")"
done

# Growth of each command (words as for run_of) from 256 to 4,096 devices, net
# of the host without devices: one row per command.
growth() { # name, runs, commands...
  local name="$1" runs="$2"
  shift 2
  local commands=("$@") args=() host c i
  for host in d0 d256 d4096; do
    for c in "${commands[@]}"; do args+=("$(run_of "$WORK/$host.json" "$c")"); done
  done
  measure "$name" "$runs" "${args[@]}"
  local n=${#commands[@]} empty small big ratio
  for i in "${!commands[@]}"; do
    empty=${MEDIANS[$i]}
    small=${MEDIANS[$((n + i))]}
    big=${MEDIANS[$((2 * n + i))]}
    ratio=$(awk -v e="$empty" -v s="$small" -v b="$big" 'BEGIN { printf "%.1f", (b - e) / (s - e) }')
    row "${commands[$i]}: growth (4,096 - none) / (256 - none)" "${ratio}x" "<= 20x" "$(verdict "$ratio" 20)"
    GROWTH+=("$(printf '  %-32s no devices %9s   256 devices %9s   4,096 devices %9s' "${commands[$i]}" \
      "$(ms "$empty")" "$(ms "$small")" "$(ms "$big")")")
  done
}

# 3. Growth from 256 to 4,096 devices.
GROWTH=()
growth growth "$((RUNS / 3 > 5 ? RUNS / 3 : 5))" "${COMMANDS[@]}"

# 4. Per-device views against device list, and their growth.
VIEWS=("scsi device list" "device stats get" "device uidmap list")
args=("$(run_of "$STATE" "device list")")
for v in "${VIEWS[@]}"; do args+=("$(run_of "$STATE" "$v")"); done
measure views "$((RUNS / 2 > 5 ? RUNS / 2 : 5))" "${args[@]}"
views_limit=$(awk -v l="${MEDIANS[0]}" 'BEGIN { print l * 1.2 }')
for i in "${!VIEWS[@]}"; do
  row "${VIEWS[$i]}, 1,024 devices (vs device list $(ms "${MEDIANS[0]}"))" "$(ms "${MEDIANS[$((i + 1))]}")" \
    "<= $(ms "$views_limit")" "$(verdict "${MEDIANS[$((i + 1))]}" "$views_limit")"
done
growth views-growth "$((RUNS / 3 > 5 ? RUNS / 3 : 5))" "${VIEWS[@]}"

# 5. Volumes: against jq on 4,096 volumes, and growth from 1,024 (256 volumes
# cost too little above the empty host to be told from the machine's noise).
VSTATE="$WORK/v4096.json"
VCOMMANDS=("filesystem list --formatter table" "filesystem list --formatter json"
  "olfs extent list --formatter table" "olfs extent list --formatter json")
vrun_of() { # host file, command words
  local host="$1" words="$2" cmd rest
  cmd=${words%% --*}
  rest=${words#"$cmd"}
  echo "$ORLOCLI --host $host$rest storage $cmd"
}
args=()
for c in "${VCOMMANDS[@]}"; do args+=("$(vrun_of "$VSTATE" "$c")"); done
measure v4096 "$((RUNS / 2 > 5 ? RUNS / 2 : 5))" "${args[@]}" "jq . $VSTATE"
jq_ms=${MEDIANS[4]}
for i in "${!VCOMMANDS[@]}"; do
  row "${VCOMMANDS[$i]}, 4,096 volumes (vs jq . $(ms "$jq_ms"))" "$(ms "${MEDIANS[$i]}")" "< $(ms "$jq_ms")" \
    "$(awk -v a="${MEDIANS[$i]}" -v b="$jq_ms" 'BEGIN { print (a < b) ? "PASS" : "FAIL" }')"
done
args=()
for host in v0 v1024 v16384; do
  for c in "${VCOMMANDS[@]}"; do args+=("$(vrun_of "$WORK/$host.json" "$c")"); done
done
measure vgrowth "$((RUNS / 3 > 5 ? RUNS / 3 : 5))" "${args[@]}"
n=${#VCOMMANDS[@]}
for i in "${!VCOMMANDS[@]}"; do
  empty=${MEDIANS[$i]}
  small=${MEDIANS[$((n + i))]}
  big=${MEDIANS[$((2 * n + i))]}
  ratio=$(awk -v e="$empty" -v s="$small" -v b="$big" 'BEGIN { printf "%.1f", (b - e) / (s - e) }')
  row "${VCOMMANDS[$i]}: growth (16,384 - none) / (1,024 - none)" "${ratio}x" "<= 20x" "$(verdict "$ratio" 20)"
  GROWTH+=("$(printf '  %-32s no volumes %9s   1,024 volumes %9s   16,384 volumes %9s' "${VCOMMANDS[$i]}" \
    "$(ms "$empty")" "$(ms "$small")" "$(ms "$big")")")
done

# --- report ------------------------------------------------------------------
echo "orlocli benchmark: $(nproc) CPUs, $(uname -r), build $BUILD"
echo "state file of 1,024 devices x 4 paths: $((state_bytes / 1024)) KiB"
echo
printf '%-72s %12s %14s  %s\n' "Target" "Figure" "Limit" "Result"
printf '%s\n' "${ROWS[@]}"
echo
echo "For reference: orlocli --version (starting the tool, no host, no plug-in): $(ms "$floor_ms")"
echo "Medians of the growth runs:"
printf '%s\n' "${GROWTH[@]}"
exit "$FAILED"
