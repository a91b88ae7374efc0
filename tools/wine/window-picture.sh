#!/bin/sh
# Makes docs/window-windows.png: vantor-patcher-demo.exe in a fresh demo game
# folder under Wine, as the X server shows it (Wine draws the frame itself:
# the session leaves no window to a window manager). Needs the Linux build's
# vantor-make-demo and the Windows build:
#   cmake --workflow --preset release
#   cmake --preset windows && cmake --build --preset windows
#   tools/wine/session.sh run tools/wine/window-picture.sh [OUTPUT.png]
set -e
root=$(cd "$(dirname "$0")/../.." && pwd)
dir=${VANTOR_WINE_DIR:-$root/build/windows/wine}
output=${1:-$root/docs/window-windows.png}
if [ ! -f "$dir/session.env" ]; then
  echo "window-picture.sh: no Wine session; run it with tools/wine/session.sh run" >&2
  exit 2
fi
# shellcheck disable=SC1091
. "$dir/session.env"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$root/build/release/bin/vantor-make-demo" "$work/demo" >/dev/null
cp "$root/build/windows/release/bin/vantor-patcher-demo.exe" "$work/demo/"

/usr/lib/wine/wine64 "$work/demo/vantor-patcher-demo.exe" </dev/null >/dev/null 2>&1 &
program=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name 'Vantor' | head -n 1)
if [ -z "$window" ]; then
  echo "window-picture.sh: the window did not come up" >&2
  kill "$program" 2>/dev/null || true
  exit 1
fi
# Time for the first paint and the cover.
sleep 1
import -window "$window" png:- |
  convert - -strip -define png:exclude-chunks=date,time "$output"
# Esc closes it as the player would.
xdotool key Escape
wait "$program"
echo "window-picture.sh: wrote $output"
