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
#   4. Volumes: on a generated host of 4,096 volumes, filesystem list and olfs
#      extent list, in the table and json formats, each below jq . STATE; 16
#      times the volumes (1,024 -> 16,384) at most 20 times as long, net of the
#      host without volumes.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$ROOT/build/release"
RUNS=30
BUILD_IT=1
KEEP=""
while [ $# -gt 0 ]; do
  case "$1" in
  --build-dir) BUILD=$(cd "$ROOT" && realpath -m "$2"); shift 2 ;;
  --runs) RUNS="$2"; shift 2 ;;
  --no-build) BUILD_IT=0; shift ;;
  --keep) KEEP="$2"; shift 2 ;;
  -h | --help) sed -n '2,25p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
  *) echo "bench/run.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done

# --- tools -------------------------------------------------------------------
need=()
command -v hyperfine >/dev/null || need+=(hyperfine)
[ -x /usr/bin/time ] || need+=(time)
command -v jq >/dev/null || need+=(jq)
command -v lsblk >/dev/null || need+=(util-linux)
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
if [ ${#need[@]} -gt 0 ]; then
  if [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null; then
    apt-get install -y --no-install-recommends "${need[@]}" >/dev/null
  else
    echo "bench/run.sh: missing ${need[*]}; install them (Debian packages) or run as root" >&2
    exit 2
  fi
fi

# --- build -------------------------------------------------------------------
if [ "$BUILD_IT" -eq 1 ]; then
  (cd "$ROOT" && cmake --preset release -B "$BUILD" >/dev/null &&
    cmake --build "$BUILD" -j2 --target orlocli orlocli-host core-storage >/dev/null)
fi
grep -q 'CMAKE_BUILD_TYPE:STRING=Release' "$BUILD/CMakeCache.txt" ||
  { echo "bench/run.sh: $BUILD is not a release build" >&2; exit 2; }
ORLOCLI="$BUILD/bin/orlocli"
HOSTTOOL="$BUILD/bin/orlocli-host"

if [ -n "$KEEP" ]; then
  mkdir -p "$KEEP"
  WORK=$(realpath "$KEEP")
else
  WORK=$(mktemp -d /tmp/orlocli-bench-XXXXXX)
  trap 'rm -rf "$WORK"' EXIT
fi
# No default host of the user is read or created.
export XDG_STATE_HOME="$WORK/state" ORLOCLI_HOST=

"$HOSTTOOL" init --force --profile default "$WORK/default.json" >/dev/null
"$HOSTTOOL" generate --devices 1024 --paths-per-device 4 "$WORK/d1024.json" >/dev/null
"$HOSTTOOL" generate --devices 0 "$WORK/d0.json" >/dev/null
"$HOSTTOOL" generate --devices 256 --paths-per-device 4 "$WORK/d256.json" >/dev/null
"$HOSTTOOL" generate --devices 4096 --paths-per-device 4 "$WORK/d4096.json" >/dev/null
for n in 0 1024 4096 16384; do
  "$HOSTTOOL" generate --devices 64 --volumes "$n" "$WORK/v$n.json" >/dev/null
done

# --- measuring ---------------------------------------------------------------
# hyperfine over the given commands (no shell in between; it discards their
# output); leaves the medians in ms, in order, in MEDIANS.
MEDIANS=()
measure() {
  local name="$1" runs="$2"
  shift 2
  hyperfine -N --style none --warmup 3 --runs "$runs" --export-json "$WORK/$name.hyperfine.json" "$@" \
    >/dev/null 2>"$WORK/$name.hyperfine.err" ||
    { cat "$WORK/$name.hyperfine.err" >&2; exit 1; }
  mapfile -t MEDIANS < <(jq -r '.results[].median * 1000' "$WORK/$name.hyperfine.json")
}

# Peak resident memory in KiB of one run.
peak_kib() {
  /usr/bin/time -v "$@" 2>&1 >/dev/null | sed -n 's/.*Maximum resident set size (kbytes): //p'
}

ROWS=()
FAILED=0
row() { # target, figure, limit, verdict
  ROWS+=("$(printf '%-68s %12s %14s  %s' "$1" "$2" "$3" "$4")")
  [ "$4" = PASS ] || FAILED=1
}
verdict() { awk -v a="$1" -v b="$2" 'BEGIN { print (a <= b) ? "PASS" : "FAIL" }'; }
ms() { printf '%.2f ms' "$1"; }

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
run_of() { # host file, command words
  local host="$1" words="$2" verb rest
  verb=${words%% --*}
  rest=${words#"$verb"}
  echo "$ORLOCLI --host $host$rest storage core $verb"
}
args=()
for c in "${COMMANDS[@]}"; do args+=("$(run_of "$STATE" "$c")"); done
measure d1024 "$((RUNS / 2 > 5 ? RUNS / 2 : 5))" "${args[@]}" "jq . $STATE"
jq_ms=${MEDIANS[4]}
memory_limit_kib=$(((3 * state_bytes + 16 * 1024 * 1024) / 1024))
for i in "${!COMMANDS[@]}"; do
  row "${COMMANDS[$i]}, 1,024 devices (vs jq . $(ms "$jq_ms"))" "$(ms "${MEDIANS[$i]}")" "< $(ms "$jq_ms")" \
    "$(awk -v a="${MEDIANS[$i]}" -v b="$jq_ms" 'BEGIN { print (a < b) ? "PASS" : "FAIL" }')"
done
for c in "${COMMANDS[@]}"; do
  # shellcheck disable=SC2046 # the command line is split into its words on purpose
  kib=$(peak_kib $(run_of "$STATE" "$c"))
  row "${c}, 1,024 devices: peak memory" "$((kib / 1024)) MiB" "<= $((memory_limit_kib / 1024)) MiB" \
    "$(verdict "$kib" "$memory_limit_kib")"
done

# 3. Growth from 256 to 4,096 devices, net of the host without devices.
args=()
for host in d0 d256 d4096; do
  for c in "${COMMANDS[@]}"; do args+=("$(run_of "$WORK/$host.json" "$c")"); done
done
measure growth "$((RUNS / 3 > 5 ? RUNS / 3 : 5))" "${args[@]}"
n=${#COMMANDS[@]}
for i in "${!COMMANDS[@]}"; do
  empty=${MEDIANS[$i]}
  small=${MEDIANS[$((n + i))]}
  big=${MEDIANS[$((2 * n + i))]}
  ratio=$(awk -v e="$empty" -v s="$small" -v b="$big" 'BEGIN { printf "%.1f", (b - e) / (s - e) }')
  row "${COMMANDS[$i]}: growth (4,096 - none) / (256 - none)" "${ratio}x" "<= 20x" "$(verdict "$ratio" 20)"
  GROWTH+=("$(printf '  %-32s no devices %9s   256 devices %9s   4,096 devices %9s' "${COMMANDS[$i]}" \
    "$(ms "$empty")" "$(ms "$small")" "$(ms "$big")")")
done

# 4. Volumes: against jq on 4,096 volumes, and growth from 1,024 (256 volumes
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
printf '%-68s %12s %14s  %s\n' "Target" "Figure" "Limit" "Result"
printf '%s\n' "${ROWS[@]}"
echo
echo "For reference: orlocli --version (starting the tool, no host, no plug-in): $(ms "$floor_ms")"
echo "Medians of the growth runs:"
printf '%s\n' "${GROWTH[@]}"
exit "$FAILED"
