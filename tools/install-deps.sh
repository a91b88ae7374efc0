#!/bin/sh
# Installs the Debian packages the build, the tests and the demo need.
# Safe to run again: apt-get skips what is already installed.
set -e
packages="build-essential cmake pkg-config ninja-build
  zlib1g-dev libminizip-dev qt6-base-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev libssl-dev
  fonts-noto-cjk xvfb xauth unzip clang libclang-rt-dev xdelta3
  clang-format-14 clang-tidy-14 python3 ccache"

missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

as_root=""
[ "$(id -u)" -eq 0 ] || as_root="sudo"
export DEBIAN_FRONTEND=noninteractive
$as_root apt-get update -qq
# shellcheck disable=SC2086
$as_root apt-get install -y -qq --no-install-recommends $missing
