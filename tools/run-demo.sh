#!/bin/sh
# Installs what the build needs, builds the programs, writes a fresh demo game
# folder into ./demo, puts the demo patcher in it and opens its window.
set -e
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target vantor-make-demo vantor-patcher-demo vantor-patch-demo
rm -rf demo
build/release/bin/vantor-make-demo demo
cp build/release/bin/vantor-patcher-demo build/release/bin/vantor-patch-demo demo/
if [ -z "$DISPLAY" ] && [ -z "$WAYLAND_DISPLAY" ]; then
  echo "No desktop session here: try the command-line patcher instead, e.g."
  echo "  demo/vantor-patch-demo status && demo/vantor-patch-demo upgrade"
  exit 0
fi
exec demo/vantor-patcher-demo
