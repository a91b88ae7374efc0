#!/bin/sh
# Installs what the build needs, builds everything and runs every test, in
# stages:
#   release   the optimised build with warnings as errors and all ctest
#             suites (unit, workflow, fault injection, power loss, crash,
#             archive, command line, headless window)
#   lint      formatting and clang-tidy (tools/lint.sh)
#   windows   the Windows programs cross-built with MinGW-w64 and their
#             suites run under Wine
#   dist      the release archives (tools/dist.sh), tried as a player would
#             under Wine and on Linux (tools/dist/check-release.sh), then
#             built once more in another folder, without the compiler
#             cache, and compared byte for byte (tools/dist/reproducible.sh)
#   asan      the Linux suites built with AddressSanitizer and
#             UndefinedBehaviorSanitizer
#   tsan      the suites that run threads built with ThreadSanitizer
#   fuzz      each libFuzzer harness for FUZZ_SECONDS (60 by default; bundle
#             inspection, description decoding and the frame summary for
#             FUZZ_SHORT_SECONDS, 20 by default), two at a time
#
#   tools/test.sh                     every stage
#   tools/test.sh --quick             release and lint only
#   tools/test.sh --only windows      the named stages only (several may be
#                                     given, comma-separated or repeated)
#
# Two lanes run side by side, each taking its stages in turn: the Linux
# lane (release, lint, asan, tsan, fuzz) and the Windows lane (windows,
# dist), whose Wine suites wait on Wine's server more than on the
# processor. Each stage writes its output to build/test-logs/STAGE.log; the
# log of a stage that fails is printed. A compiler cache (ccache, in its
# usual folder) serves every build but the reproducibility check's.
set -e
cd "$(dirname "$0")/.."
root=$PWD

all_stages="release lint windows dist asan tsan fuzz"
chosen=""
while [ $# -gt 0 ]; do
  case "$1" in
    --quick) chosen="$chosen release lint" ;;
    --only)
      shift
      [ $# -gt 0 ] || { echo "test.sh: --only needs a stage: $all_stages" >&2; exit 2; }
      chosen="$chosen $(echo "$1" | tr ',' ' ')"
      ;;
    --only=*) chosen="$chosen $(echo "${1#--only=}" | tr ',' ' ')" ;;
    -h | --help)
      sed -n '2,/^set -e/p' "$0" | sed '$d; s/^# \{0,1\}//'
      exit 0
      ;;
    *) echo "test.sh: unknown argument $1 (see tools/test.sh --help)" >&2; exit 2 ;;
  esac
  shift
done
[ -n "$chosen" ] || chosen=$all_stages
for stage in $chosen; do
  case " $all_stages " in
    *" $stage "*) ;;
    *) echo "test.sh: no stage $stage; the stages are: $all_stages" >&2; exit 2 ;;
  esac
done
wanted() { case " $chosen " in *" $1 "*) return 0 ;; esac; return 1; }

tools/install-deps.sh
if wanted windows || wanted dist; then
  tools/install-windows-deps.sh
fi

# The compiler cache, for the builds configured from here on. Paths below the
# source folder are hashed relative to it, so another clone in the same
# place hits too.
export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
export CCACHE_BASEDIR="$root"
export CCACHE_MAXSIZE="${CCACHE_MAXSIZE:-6G}"

# The tests' temporary folders on a file system in memory where there is
# one: the suites write and flush thousands of small game folders, which
# costs many times more on a disk and proves nothing more. Open to every
# user, as /tmp is: some tests run programs as an ordinary user.
scratch=""
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  scratch=$(mktemp -d /dev/shm/vantor-tests.XXXXXX)
  chmod 1777 "$scratch"
  export TMPDIR="$scratch"
fi
logs="$root/build/test-logs"
mkdir -p "$logs"
rm -f "$logs"/*.log "$logs"/*.failed

stage_release() {
  cmake --workflow --preset release
}
stage_lint() {
  tools/lint.sh
}
stage_windows() {
  cmake --preset windows
  cmake --build --preset windows
  tools/wine/session.sh run ctest --preset windows
}
stage_dist() {
  tools/dist.sh
  tools/wine/session.sh run tools/dist/check-release.sh
  tools/dist/reproducible.sh
}
stage_asan() {
  cmake --workflow --preset asan
}
stage_tsan() {
  cmake --workflow --preset tsan
}
stage_fuzz() {
  FUZZ_JOBS=2 tools/fuzz.sh
}

# Runs the stages given in turn, each into its log; stops the lane at the
# first that fails.
run_lane() {
  for stage in "$@"; do
    wanted "$stage" || continue
    started=$(date +%s)
    echo "== $stage: started"
    if "stage_$stage" >"$logs/$stage.log" 2>&1; then
      echo "== $stage: passed in $(($(date +%s) - started)) s"
    else
      echo "== $stage: FAILED after $(($(date +%s) - started)) s; the end of build/test-logs/$stage.log:"
      tail -n 300 "$logs/$stage.log"
      : >"$logs/$stage.failed"
      return 1
    fi
  done
}

begun=$(date +%s)
# Ctrl-C or a stop ends both lanes and everything they started.
trap 'trap - INT TERM; kill 0 2>/dev/null; exit 130' INT TERM
lane_pids=""
run_lane release lint asan tsan fuzz &
lane_pids="$lane_pids $!"
run_lane windows dist &
lane_pids="$lane_pids $!"
failed=0
for pid in $lane_pids; do
  wait "$pid" || failed=1
done
[ -n "$scratch" ] && rm -rf "$scratch"
total=$(($(date +%s) - begun))
if [ "$failed" != 0 ]; then
  echo "== test.sh: failed ($(cd "$logs" && ls ./*.failed | sed 's|^\./||; s|\.failed$||' | tr '\n' ' ')) after $total s"
  exit 1
fi
echo "== test.sh: every stage passed ($chosen) in $total s"
