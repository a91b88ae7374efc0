#!/bin/sh
# Installs what the build needs, builds everything and runs every test.
set -e
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --workflow --preset release
