# Shared by the whole-process benchmarks (bench/run.sh, bench/xvol.sh): the
# common options, the tools, the release build, the work directory and the
# measuring helpers. Sourced, not run.
#
# bench_setup NAME HELP_LINES "$@" parses --build-dir, --runs, --no-build and
# --keep, installs what is missing (as root), builds, and sets ORLOCLI,
# HOSTTOOL and WORK.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build/release"
RUNS=30
BUILD_IT=1
KEEP=""

bench_setup() {
  local name="$1" help="$2"
  shift 2
  while [ $# -gt 0 ]; do
    case "$1" in
    --build-dir) BUILD=$(cd "$ROOT" && realpath -m "$2"); shift 2 ;;
    --runs) RUNS="$2"; shift 2 ;;
    --no-build) BUILD_IT=0; shift ;;
    --keep) KEEP="$2"; shift 2 ;;
    -h | --help) sed -n "$help" "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "$name: unknown argument $1" >&2; exit 2 ;;
    esac
  done

  local need=()
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
      echo "$name: missing ${need[*]}; install them (Debian packages) or run as root" >&2
      exit 2
    fi
  fi

  if [ "$BUILD_IT" -eq 1 ]; then
    (cd "$ROOT" && cmake --preset release -B "$BUILD" >/dev/null &&
      cmake --build "$BUILD" -j2 --target orlocli orlocli-host core-storage >/dev/null)
  fi
  grep -q 'CMAKE_BUILD_TYPE:STRING=Release' "$BUILD/CMakeCache.txt" ||
    { echo "$name: $BUILD is not a release build" >&2; exit 2; }
  ORLOCLI="$BUILD/bin/orlocli"
  HOSTTOOL="$BUILD/bin/orlocli-host"

  if [ -n "$KEEP" ]; then
    mkdir -p "$KEEP"
    WORK=$(realpath "$KEEP")
  else
    WORK=$(mktemp -d "/tmp/orlocli-${name##*/}-XXXXXX")
    # shellcheck disable=SC2064 # WORK is fixed from here on
    trap "rm -rf '$WORK'" EXIT
  fi
  # No default host of the user is read or created.
  export XDG_STATE_HOME="$WORK/state" ORLOCLI_HOST=
}

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

ROWS=()
FAILED=0
row() { # target, figure, limit, verdict
  ROWS+=("$(printf '%-72s %12s %14s  %s' "$1" "$2" "$3" "$4")")
  [ "$4" = PASS ] || FAILED=1
}
verdict() { awk -v a="$1" -v b="$2" 'BEGIN { print (a <= b) ? "PASS" : "FAIL" }'; }
below() { awk -v a="$1" -v b="$2" 'BEGIN { print (a < b) ? "PASS" : "FAIL" }'; }
ms() { printf '%.2f ms' "$1"; }

# The command line of "storage $AREA <verb> [--options]" on a host file.
run_of() { # host file, command words
  local host="$1" words="$2" verb rest
  verb=${words%% --*}
  rest=${words#"$verb"}
  echo "$ORLOCLI --host $host$rest storage $AREA $verb"
}
