#!/bin/sh
# Builds the libFuzzer harnesses with clang and runs each for a while
# (FUZZ_SECONDS, 60 by default) from the seed corpus in tests/fuzz/corpus.
# New inputs go to build/fuzz/corpus-*; crashes to build/fuzz/crash-*.
# For a long run: FUZZ_SECONDS=3600 tools/fuzz.sh
set -e
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-60}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target fuzz_extract_archive fuzz_update_package fuzz_picture_format
for harness in extract_archive:archive update_package:package picture_format:picture; do
  name="${harness%%:*}"
  seeds="${harness##*:}"
  work="build/fuzz/corpus-$seeds"
  mkdir -p "$work"
  echo "== fuzz_$name for ${seconds}s"
  log="build/fuzz/fuzz_$name.log"
  if ! build/fuzz/fuzz/fuzz_"$name" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
      -artifact_prefix="build/fuzz/crash-$name-" -print_final_stats=1 \
      "$work" "tests/fuzz/corpus/$seeds" >"$log" 2>&1; then
    tail -40 "$log"
    echo "fuzz_$name found a fault; the input is in build/fuzz/crash-$name-*"
    exit 1
  fi
  grep -E "^Done|stat::number_of_executed_units|stat::peak_rss_mb" "$log"
done
