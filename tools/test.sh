#!/bin/sh
# Installs what the build needs, builds everything and runs every test:
#   1. the optimised build with warnings as errors and all ctest suites
#      (unit, workflow, fault injection, power loss, crash, archive,
#      command line, headless window), then tools/lint.sh (formatting and
#      clang-tidy over the core);
#   2. the Windows programs cross-built with MinGW-w64 and their suites run
#      under Wine;
#   3. the release archives (tools/dist.sh), tried as a player would
#      under Wine and on Linux (tools/dist/check-release.sh), then built
#      once more in another folder and compared byte for byte
#      (tools/dist/reproducible.sh);
#   4. the Linux suites built with AddressSanitizer and
#      UndefinedBehaviorSanitizer;
#   5. each libFuzzer harness for FUZZ_SECONDS (60 by default; bundle
#      inspection, description decoding and the frame summary for
#      FUZZ_SHORT_SECONDS, 20 by default).
# With --quick only step 1 runs.
set -e
cd "$(dirname "$0")/.."
tools/install-deps.sh

echo "== release build and tests"
cmake --workflow --preset release

echo "== formatting and clang-tidy"
tools/lint.sh
[ "$1" = "--quick" ] && exit 0

echo "== Windows cross build, tests under Wine"
tools/install-windows-deps.sh
tools/wine/session.sh run cmake --workflow --preset windows

echo "== release archives: built, tried as a player would, built again elsewhere and compared"
tools/dist.sh
tools/wine/session.sh run tools/dist/check-release.sh
tools/dist/reproducible.sh

echo "== AddressSanitizer and UndefinedBehaviorSanitizer build and tests"
cmake --workflow --preset asan

echo "== fuzzing"
tools/fuzz.sh
