#!/bin/sh
# Checks that the release is reproducible: builds it once more from a copy
# of this source in another folder (under /tmp, so every path differs) and
# compares the copy's dist/ with ours byte for byte. Run it after
# tools/dist.sh:
#   tools/dist/reproducible.sh
# The copy holds the files git tracks, as they are in the work tree, and
# the minizip source tools/install-windows-deps.sh fetched; it is built
# from scratch with the commit's time. It takes about as long as one
# tools/dist.sh from scratch.
set -e
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
[ -f dist/SHA256SUMS ] || { echo "reproducible.sh: no dist/SHA256SUMS; run tools/dist.sh first" >&2; exit 2; }
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export SOURCE_DATE_EPOCH

copy=$(mktemp -d "${TMPDIR:-/tmp}/vantor-reproducible.XXXXXX")/source-elsewhere
trap 'rm -rf "$(dirname "$copy")"' EXIT
mkdir -p "$copy/build/deps"
git ls-files -z | xargs -0 cp --parents -t "$copy"
cp -a build/deps/minizip-src build/deps/minizip-src.version "$copy/build/deps/"

# No compiler cache: a cached object would hide a difference.
env -u CMAKE_CXX_COMPILER_LAUNCHER -u CMAKE_C_COMPILER_LAUNCHER "$copy/tools/dist.sh" >"$copy.log" 2>&1 || {
  cat "$copy.log" >&2
  echo "reproducible.sh: the second build failed" >&2
  exit 1
}
if ! cmp dist/SHA256SUMS "$copy/dist/SHA256SUMS"; then
  diff dist/SHA256SUMS "$copy/dist/SHA256SUMS" >&2 || true
  echo "reproducible.sh: the release built in $copy differs from dist/" >&2
  exit 1
fi
for archive in dist/*; do
  cmp "$archive" "$copy/$archive"
done
echo "reproducible.sh: a second build elsewhere gave the same archives:"
cat dist/SHA256SUMS
