#!/bin/sh
# Runs one Windows program under Wine, in the session tools/wine/session.sh
# started, and exits with the program's exit code. The Windows build's
# toolchain names this script as CMAKE_CROSSCOMPILING_EMULATOR, so ctest (and
# gtest_discover_tests) put it before every test command:
#   tools/wine/run.sh PROGRAM.exe [ARGS...]
# Unix paths in the arguments work as they are: the Windows program sees
# them on the current drive, and Wine maps drive Z: to the Unix root.
#
# When Wine itself fails to start the program (its loader or its server says
# so on stderr, before the program ran, and exits non-zero), the start is
# tried again, up to three times in all. So is a start that ended non-zero
# without a single byte on either stream: every test program says first
# that it runs (GoogleTest's main prints its first line before anything
# else), so such a run never reached the program's own code. A program that
# ran and failed is never run again: its exit code is the result.
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

# Whether a run that ended with exit code $1 and wrote the stderr in file $2
# and the stdout in file $3 was Wine failing to start the program: a
# non-zero code with nothing written at all, or with one of the
# messages Wine's own loader and server (Wine 8) give when the process cannot
# be set up: the program or a DLL cannot be opened or mapped, the loader or
# the server cannot be started, the server speaks no more. A program that ran
# and crashed ("wine: Unhandled exception", "wine: Call from ... to
# unimplemented function") and the program's own output are not among them.
wine_did_not_start() {
  [ "$1" -ne 0 ] || return 1
  [ -s "$2" ] || [ -s "$3" ] || return 0
  grep -Eq -e '^wine: failed to (start|open|load start\.exe|create main module|map the shared user data)' \
    -e '^wine: could not (load|exec|find BaseThreadInitThunk|determine your home directory)' \
    -e '^wine: for some mysterious reason, the wine server failed to run' \
    -e '^wine: __wine_main function not found' \
    -e '^wine client error:' "$2"
}

work=$(mktemp -d "${TMPDIR:-/tmp}/vantor-wine-run.XXXXXX") || exit 125
trap 'rm -rf "$work"' EXIT
attempt=1
while :; do
  # The program's stderr goes on to ours as it comes, and into a file for
  # the check above.
  rm -f "$work/stderr" "$work/stdout" "$work/pipe" "$work/out-pipe"
  mkfifo "$work/pipe" "$work/out-pipe"
  tee "$work/stderr" <"$work/pipe" >&2 &
  tee_pid=$!
  tee "$work/stdout" <"$work/out-pipe" &
  out_pid=$!
  # wine64 itself: the `wine` wrapper looks for the 32-bit loader first. The
  # program's exit code comes back as the loader's.
  /usr/lib/wine/wine64 "$@" >"$work/out-pipe" 2>"$work/pipe"
  code=$?
  wait "$tee_pid" "$out_pid"
  if [ "$attempt" -lt 3 ] && wine_did_not_start "$code" "$work/stderr" "$work/stdout"; then
    echo "run.sh: Wine failed to start $1 (exit code $code); starting it again" >&2
    attempt=$((attempt + 1))
    continue
  fi
  exit "$code"
done
