#!/bin/sh
# Builds the libFuzzer harnesses with clang and runs each from the seed
# corpus in tests/fuzz/corpus. New inputs go to build/fuzz/corpus-*; crashes
# to build/fuzz/crash-*.
#
# Archive extraction, the update package and picture recognition run for
# FUZZ_SECONDS (60 by default); bundle inspection, description decoding and
# the frame summary, small and quick, for FUZZ_SHORT_SECONDS (20 by default,
# FUZZ_SECONDS when only that is given).
# FUZZ_JOBS harnesses run side by side (1 by default); each still gets its
# whole time.
# For a long run: FUZZ_SECONDS=3600 tools/fuzz.sh
# With --long each harness runs until 10 million executions instead (not for
# CI). Harness names after it run only those, e.g.
#   tools/fuzz.sh --long inspect_bundle description frame_summary
set -e
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-60}"
short_seconds="${FUZZ_SHORT_SECONDS:-${FUZZ_SECONDS:-20}}"
long=
if [ "$1" = "--long" ]; then
  long=1
  shift
fi
# name:seed folder:dictionary:run length
harnesses="extract_archive:archive:zip:full update_package:package:package:full picture_format:picture::full
inspect_bundle:bundle::short description:description::short frame_summary:frames::short"
if [ $# -gt 0 ]; then
  chosen=
  for name in "$@"; do
    found=
    for harness in $harnesses; do
      case "$harness" in "$name":*) found="$harness" ;; esac
    done
    [ -n "$found" ] || { echo "no harness $name" >&2; exit 2; }
    chosen="$chosen $found"
  done
  harnesses="$chosen"
fi
targets=
for harness in $harnesses; do targets="$targets fuzz_${harness%%:*}"; done
cmake --preset fuzz >/dev/null
# shellcheck disable=SC2086
cmake --build --preset fuzz --target $targets
jobs="${FUZZ_JOBS:-1}"
# Runs one harness; its summary or, when it finds a fault, the end of its
# log and where the input is.
run_harness() {
  harness=$1
  name="${harness%%:*}"
  rest="${harness#*:}"
  seeds="${rest%%:*}"
  rest="${rest#*:}"
  dict="${rest%%:*}"
  length="${rest#*:}"
  work="build/fuzz/corpus-$seeds"
  mkdir -p "$work"
  if [ -n "$long" ]; then
    limit="-runs=10000000"
    echo "== fuzz_$name for 10 million executions"
  elif [ "$length" = short ]; then
    limit="-max_total_time=$short_seconds"
    echo "== fuzz_$name for ${short_seconds}s"
  else
    limit="-max_total_time=$seconds"
    echo "== fuzz_$name for ${seconds}s"
  fi
  dict_option=
  [ -n "$dict" ] && dict_option="-dict=tests/fuzz/$dict.dict"
  log="build/fuzz/fuzz_$name.log"
  # shellcheck disable=SC2086
  if ! build/fuzz/fuzz/fuzz_"$name" $limit $dict_option -max_len=65536 -timeout=10 \
      -artifact_prefix="build/fuzz/crash-$name-" -print_final_stats=1 \
      "$work" "tests/fuzz/corpus/$seeds" >"$log" 2>&1; then
    tail -40 "$log"
    echo "fuzz_$name found a fault; the input is in build/fuzz/crash-$name-*"
    return 1
  fi
  grep -E "^#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb" "$log" |
    sed "s/^/fuzz_$name: /"
}

failed=0
running=0
pids=""
for harness in $harnesses; do
  run_harness "$harness" &
  pids="$pids $!"
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    for pid in $pids; do wait "$pid" || failed=1; done
    pids=""
    running=0
  fi
done
for pid in $pids; do wait "$pid" || failed=1; done
exit "$failed"
