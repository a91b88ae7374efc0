#!/bin/sh
# Runs one Windows program under Wine, in the session tools/wine/session.sh
# started, and exits with the program's exit code. The Windows build's
# toolchain names this script as CMAKE_CROSSCOMPILING_EMULATOR, so ctest (and
# gtest_discover_tests) put it before every test command:
#   tools/wine/run.sh PROGRAM.exe [ARGS...]
# Unix paths in the arguments work as they are: the Windows program sees
# them on the current drive, and Wine maps drive Z: to the Unix root.
root=$(cd "$(dirname "$0")/../.." && pwd)
dir=${VANTOR_WINE_DIR:-$root/build/windows/wine}
if [ ! -f "$dir/session.env" ]; then
  # Without the session's warm server, Wine's background processes would
  # start with this program and keep ctest's output pipe open.
  echo "run.sh: no Wine session; start one with tools/wine/session.sh start" >&2
  exit 125
fi
# shellcheck disable=SC1091
. "$dir/session.env"
# wine64 itself: the `wine` wrapper looks for the 32-bit loader first. The
# program's exit code comes back as the loader's.
exec /usr/lib/wine/wine64 "$@"
