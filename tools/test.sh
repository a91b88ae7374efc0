#!/bin/sh
# Installs what the build needs, builds everything and runs every test:
#   1. the optimised build with warnings as errors and all ctest suites
#      (unit, workflow, fault injection, power loss, crash, archive,
#      command line, headless window);
#   2. the same suites built with AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. each libFuzzer harness for FUZZ_SECONDS (60 by default).
# With --quick only step 1 runs.
set -e
cd "$(dirname "$0")/.."
tools/install-deps.sh

echo "== release build and tests"
cmake --workflow --preset release
[ "$1" = "--quick" ] && exit 0

echo "== AddressSanitizer and UndefinedBehaviorSanitizer build and tests"
cmake --workflow --preset asan

echo "== fuzzing"
tools/fuzz.sh
