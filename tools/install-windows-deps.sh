#!/bin/sh
# Installs the Debian packages the Windows cross build and its Wine tests
# need, then fetches Debian's minizip source into build/deps/minizip-src.
# Safe to run again: apt-get skips what is already installed and the source
# is fetched only when missing or when libminizip-dev changed version.
#
# Why a source package: Debian has no MinGW build of minizip, so the Windows
# build compiles the very sources (Debian's patches applied) that the Linux
# build links as libminizip-dev, with the same headers.
set -e
cd "$(dirname "$0")/.."

# posix thread model: the win32 one has no std::thread or std::mutex in GCC 12.
# wine64 alone: the tests are 64-bit only (a 32-bit program under wine64
# exits 0 without running, so a 32-bit test would pass falsely).
# xvfb, xdotool, imagemagick, x11-utils and the fonts serve the window tests.
# googletest ships the sources in /usr/src/googletest; dpkg-dev gives
# dpkg-source, which `apt-get source` calls to unpack and patch.
packages="g++-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev
  wine wine64 fonts-wine xvfb xdotool imagemagick x11-utils fonts-noto-cjk
  googletest libminizip-dev dpkg-dev cmake ninja-build"

as_root=""
[ "$(id -u)" -eq 0 ] || as_root="sudo"

missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  export DEBIAN_FRONTEND=noninteractive
  $as_root apt-get update -qq
  # shellcheck disable=SC2086
  $as_root apt-get install -y -qq --no-install-recommends $missing
fi

# The source of the very version installed for Linux, so both platforms
# build against the same minizip.
source_name=$(dpkg-query -W -f='${source:Package}' libminizip-dev)
source_version=$(dpkg-query -W -f='${source:Version}' libminizip-dev)
deps="$PWD/build/deps"
stamp="$deps/minizip-src.version"
if [ -f "$deps/minizip-src/unzip.c" ] && [ "$(cat "$stamp" 2>/dev/null)" = "$source_version" ]; then
  exit 0
fi

# A private apt configuration: its own source list (the system's Debian
# entry with deb-src added), its own lists and cache, all under build/deps.
# The system's apt setup and state stay untouched, and no root is needed.
apt_dir="$deps/apt"
rm -rf "$apt_dir"
mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
: >"$apt_dir/sources.list"
if [ -f /etc/apt/sources.list.d/debian.sources ]; then
  sed 's/^Types:.*/Types: deb deb-src/' /etc/apt/sources.list.d/debian.sources \
    >"$apt_dir/sources.list.d/debian.sources"
elif [ -f /etc/apt/sources.list ]; then
  # Older one-line format: every deb line once more as deb-src.
  grep -E '^deb[[:space:]]' /etc/apt/sources.list >"$apt_dir/sources.list"
  sed -n 's/^deb[[:space:]]/deb-src /p' /etc/apt/sources.list >>"$apt_dir/sources.list"
else
  echo "install-windows-deps: no Debian apt source found to copy" >&2
  exit 1
fi
# The download sandbox user must be able to write our lists folder, which
# the default _apt user may not reach under a private home: use ourselves.
apt_private() {
  apt-get -q \
    -o Dir::Etc::sourcelist="$apt_dir/sources.list" \
    -o Dir::Etc::sourceparts="$apt_dir/sources.list.d" \
    -o Dir::State::lists="$apt_dir/lists" \
    -o Dir::Cache="$apt_dir/cache" \
    -o APT::Sandbox::User="$(id -un)" \
    "$@"
}
apt_private update >/dev/null

work="$deps/minizip-fetch"
rm -rf "$work" "$deps/minizip-src"
mkdir -p "$work"
if ! (cd "$work" && apt_private source "$source_name=$source_version" >/dev/null); then
  # The archive keeps only the current version of a package.
  echo "install-windows-deps: $source_name $source_version source not found;" \
    "update libminizip-dev (apt-get install libminizip-dev) and run again" >&2
  exit 1
fi
# apt-get source unpacks into NAME-UPSTREAMVERSION: give it a stable name.
unpacked=$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n 1)
if [ ! -f "$unpacked/unzip.c" ]; then
  echo "install-windows-deps: $source_name $source_version unpacked without unzip.c" >&2
  exit 1
fi
mv "$unpacked" "$deps/minizip-src"
rm -rf "$work" "$apt_dir"
echo "$source_version" >"$stamp"
echo "install-windows-deps: $source_name $source_version source in build/deps/minizip-src"
