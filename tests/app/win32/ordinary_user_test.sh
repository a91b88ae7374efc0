#!/bin/sh
# The command-line program under Wine as an ordinary user, on a game folder
# that user may read but not write, as a game under Program Files is for a
# player without administrator rights. Root writes anywhere, so the test
# makes a user of its own, with a Wine prefix of its own:
#   ordinary_user_test.sh PROGRAM.exe
# The upgrade's reason says to run as administrator, never that another run
# is at work; status names the folder. Skipped (77) where no user can be
# made: not root, or no useradd or runuser.
set -u
program=$1
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
if [ "$(id -u)" != 0 ] || ! command -v useradd >/dev/null || ! command -v runuser >/dev/null; then
  echo "ordinary_user_test: skipped (needs root, useradd and runuser)"
  exit 77
fi
user=vantor-player
made_user=
if ! id "$user" >/dev/null 2>&1; then
  useradd --system --no-create-home --shell /bin/sh "$user" || exit 1
  made_user=1
fi

work=$(mktemp -d)
home="$work/home"
game="$work/game"
as_user() {
  runuser -u "$user" -- env HOME="$home" WINEPREFIX="$home/prefix" WINEARCH=win64 WINEDEBUG=-all \
    LANG=C.UTF-8 LC_ALL=C.UTF-8 WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d' "$@"
}
# shellcheck disable=SC2317  # run by the trap
cleanup() {
  as_user "$wineserver" -k >/dev/null 2>&1 || true
  as_user "$wineserver" -w >/dev/null 2>&1 || true
  rm -rf "$work"
  if [ -n "$made_user" ]; then userdel "$user" >/dev/null 2>&1 || true; fi
}
trap cleanup EXIT

# The game: enough for the program to start in it. Root owns everything;
# the user may read and enter, not write.
mkdir -p "$home" "$game/Common" "$game/pmodel" "$game/updatefile"
chown "$user" "$home"
: >"$game/Vantor.exe"
cp "$program" "$game/vantor-patch-demo.exe"
chmod 755 "$work" "$game" "$game/Common" "$game/pmodel" "$game/updatefile"
chmod 644 "$game/Vantor.exe" "$game/vantor-patch-demo.exe"

failed=0
check() {  # what, command ...
  what=$1
  shift
  if ! "$@"; then
    echo "FAILED: $what"
    failed=1
  fi
}

# Runs the program as the user with a command: its exit code in $code, its
# output in $work/NAME.out and .err.
run_program() {
  as_user timeout 300 "$wine" "$game/vantor-patch-demo.exe" "$1" </dev/null >"$work/$1.out" 2>"$work/$1.err"
  code=$?
  echo "$1 exited $code"
  cat "$work/$1.out" "$work/$1.err"
}

run_program upgrade
check "the upgrade fails with 1" test "$code" = 1
check "the reason says to run as administrator" grep -q "run vantor-patch as administrator" "$work/upgrade.err"
check "no other run is blamed" sh -c "! grep -q 'another run' '$work/upgrade.err'"
check "nothing was made in the game folder" test -z "$(find "$game" -newer "$game/vantor-patch-demo.exe" ! -path "$game")"

run_program status
check "status runs" test "$code" = 0
check "status says the game folder is not writable" grep -q "^not writable: the game folder" "$work/status.out"
check "status says what to do" grep -q "run vantor-patch as administrator" "$work/status.out"
exit $failed
