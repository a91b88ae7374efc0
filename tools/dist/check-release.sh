#!/bin/sh
# Tries the archives tools/dist.sh wrote into dist/ as a player would, in
# demo game folders (tools/make_demo) outside the build tree:
#   - SHA256SUMS verifies, each archive holds exactly its programs, the
#     guide and the licences, and the guide is UTF-8 with a byte order mark
#     and CRLF line ends that names the version;
#   - Windows, under Wine: the archive unpacked into a demo game folder;
#     vantor-patch.exe says its version, and the real programs refuse the
#     demo's synthetic bundle without changing it; from the demo archive,
#     vantor-patch-demo.exe upgrades and restores, and the window
#     vantor-patcher-demo.exe, given Space, shows 升级成功！ in its message
#     box (read by tools/wine/message_box_reader.c, which presses OK);
#   - Linux: the archive unpacked into a demo game folder and its
#     programs run from /tmp with an empty environment: every library of
#     both programs is found, status of the real one, upgrade and restore
#     of the demo one.
# Run it in a Wine session, after tools/dist.sh:
#   tools/wine/session.sh run tools/dist/check-release.sh
set -e
root=$(cd "$(dirname "$0")/../.." && pwd)
wine_dir=${VANTOR_WINE_DIR:-$root/build/windows/wine}
if [ ! -f "$wine_dir/session.env" ]; then
  echo "check-release.sh: no Wine session; run it with tools/wine/session.sh run" >&2
  exit 2
fi
# shellcheck disable=SC1091
. "$wine_dir/session.env"
wine=/usr/lib/wine/wine64
dist=$root/dist
make_demo=$root/build/dist-linux/bin/vantor-make-demo
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$root/build/dist-linux/CMakeCache.txt")
name=vantor-patcher-$version

work=$(mktemp -d "${TMPDIR:-/tmp}/vantor-release-check.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() {
  echo "check-release.sh: $*" >&2
  exit 1
}
# Whether file $1 holds the line $2 (carriage returns aside).
has_line() { tr -d '\r' <"$1" | grep -Fxq -- "$2"; }
expect_line() { has_line "$1" "$2" || { cat "$1" >&2; fail "$3: no line '$2'"; }; }

echo "== the download"
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not verify"
for archive in "$name-windows-x64.zip" "$name-windows-x64-demo.zip" \
  "$name-linux-x86_64.tar.gz" "$name-linux-x86_64-demo.tar.gz"; do
  grep -q "  $archive\$" "$dist/SHA256SUMS" || fail "SHA256SUMS lists no $archive"
done

licences="LICENSES/
LICENSES/GPL-3.txt
LICENSES/README.txt
LICENSES/gcc-runtime.txt
LICENSES/mingw-w64.txt
LICENSES/minizip.txt
LICENSES/vantor-patcher.txt
LICENSES/zlib.txt"
# Compares the sorted listing in file $1 with the names given after it.
expect_listing() {
  listing=$1
  shift
  printf '%s\n' "$licences" "$@" | LC_ALL=C sort >"$work/expected"
  LC_ALL=C sort "$listing" | sed 's|/$||; s|^LICENSES$|LICENSES/|' >"$work/listed"
  diff "$work/expected" "$work/listed" >&2 || fail "$listing: not the expected entries"
}
unzip -Z1 "$dist/$name-windows-x64.zip" >"$work/windows.list"
expect_listing "$work/windows.list" vantor-patch.exe vantor-patcher.exe 使用说明.txt 制作更新包.txt
unzip -Z1 "$dist/$name-windows-x64-demo.zip" >"$work/windows-demo.list"
expect_listing "$work/windows-demo.list" vantor-patch-demo.exe vantor-patcher-demo.exe 使用说明.txt 制作更新包.txt
tar -tzf "$dist/$name-linux-x86_64.tar.gz" >"$work/linux.list"
expect_listing "$work/linux.list" vantor-patch vantor-patcher 使用说明.txt 制作更新包.txt
tar -tzf "$dist/$name-linux-x86_64-demo.tar.gz" >"$work/linux-demo.list"
expect_listing "$work/linux-demo.list" vantor-patch-demo vantor-patcher-demo 使用说明.txt 制作更新包.txt

# A demo game folder with archive $1 unpacked into it, at $2.
unpack_into_demo() {
  "$make_demo" "$2" >/dev/null
  case "$1" in
    *.zip) unzip -q "$dist/$1" -d "$2" ;;
    *) tar -xzf "$dist/$1" -C "$2" ;;
  esac
}

echo "== the guide"
unpack_into_demo "$name-windows-x64.zip" "$work/windows"
guide="$work/windows/使用说明.txt"
[ "$(head -c 3 "$guide" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "the guide has no UTF-8 byte order mark"
iconv -f UTF-8 -t UTF-8 "$guide" >/dev/null || fail "the guide is not UTF-8"
lines=$(wc -l <"$guide")
if [ "$lines" -eq 0 ] || [ "$(grep -c "$(printf '\r')\$" "$guide")" != "$lines" ]; then
  fail "the guide's lines do not end in CRLF"
fi
grep -q "Vantor 动画升级补丁 $version 使用说明" "$guide" || fail "the guide does not name version $version"
tar -xzf "$dist/$name-linux-x86_64.tar.gz" -O 使用说明.txt | cmp -s - "$guide" ||
  fail "the Linux archive's guide differs from the Windows one"
# Each archive's guides name the programs that archive holds, and no other.
guide_of() { # ARCHIVE [GUIDE]
  case "$1" in
    *.zip) unzip -p "$dist/$1" "${2:-使用说明.txt}" ;;
    *) tar -xzf "$dist/$1" -O "${2:-使用说明.txt}" ;;
  esac
}
for archive in "$name-windows-x64.zip" "$name-linux-x86_64.tar.gz"; do
  guide_of "$archive" >"$work/guide-check"
  grep -q "vantor-patcher.exe" "$work/guide-check" || fail "the guide of $archive does not name vantor-patcher.exe"
  ! grep -q -- "-demo" "$work/guide-check" || fail "the guide of $archive names a demo program"
done
for archive in "$name-windows-x64-demo.zip" "$name-linux-x86_64-demo.tar.gz"; do
  guide_of "$archive" >"$work/guide-check"
  grep -q "使用说明（试用版）" "$work/guide-check" || fail "the guide of $archive does not say it is the demo"
  for program in vantor-patcher-demo.exe vantor-patch-demo.exe ./vantor-patcher-demo; do
    grep -q -- "$program" "$work/guide-check" || fail "the guide of $archive does not name $program"
  done
  ! grep -qE "vantor-patch(er)?(\.exe|[ ，。])" "$work/guide-check" ||
    fail "the guide of $archive names a program it does not hold"
  guide_of "$archive" 制作更新包.txt >"$work/guide-check"
  grep -q -- "vantor-patch-demo pack" "$work/guide-check" || fail "the authors' guide of $archive does not name vantor-patch-demo"
  ! grep -qE "vantor-patch(er)?(\.exe|[ ，。])" "$work/guide-check" ||
    fail "the authors' guide of $archive names a program it does not hold"
done
authors="$work/windows/制作更新包.txt"
[ "$(head -c 3 "$authors" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "the authors' guide has no UTF-8 byte order mark"
grep -q "Vantor 动画升级补丁 $version 制作更新包" "$authors" || fail "the authors' guide does not name version $version"
tar -xzf "$dist/$name-linux-x86_64.tar.gz" -O 制作更新包.txt | cmp -s - "$authors" ||
  fail "the Linux archive's authors' guide differs from the Windows one"

echo "== Windows, the real programs (they refuse the demo bundle)"
cmake -DOBJDUMP=x86_64-w64-mingw32-objdump \
  "-DPROGRAMS=$work/windows/vantor-patch.exe;$work/windows/vantor-patcher.exe" \
  -P "$root/tests/app/win32/check_imports.cmake" >/dev/null || fail "a program of the Windows archive needs a DLL that Windows does not have"
# Run in the game folder, as the guide tells; standard input closed.
run_windows() { # FOLDER OUTPUT PROGRAM ARGS...
  folder=$1
  output=$2
  shift 2
  code=0
  (cd "$folder" && "$wine" "$@" </dev/null >"$output" 2>&1) || code=$?
  return "$code"
}
run_windows "$work/windows" "$work/out" vantor-patch.exe --version || fail "vantor-patch.exe --version failed"
expect_line "$work/out" "vantor-patch $version" "vantor-patch.exe --version"
cp "$work/windows/Common/character.amb" "$work/demo-bundle"
run_windows "$work/windows" "$work/out" vantor-patch.exe status || fail "vantor-patch.exe status failed"
expect_line "$work/out" "bundle: modified (not the stock bundle)" "vantor-patch.exe status"
code=0
run_windows "$work/windows" "$work/out" vantor-patch.exe upgrade || code=$?
[ "$code" = 1 ] || fail "vantor-patch.exe upgrade of the demo bundle ended with $code, not 1"
expect_line "$work/out" "动画文件被修改过，非原版" "vantor-patch.exe upgrade"
expect_line "$work/out" "升级失败！" "vantor-patch.exe upgrade"
cmp -s "$work/demo-bundle" "$work/windows/Common/character.amb" || fail "a refused upgrade changed the bundle"

echo "== Windows, the demo programs: upgrade and restore on the command line"
unpack_into_demo "$name-windows-x64-demo.zip" "$work/windows-demo"
run_windows "$work/windows-demo" "$work/out" vantor-patch-demo.exe --version || fail "vantor-patch-demo.exe --version failed"
expect_line "$work/out" "vantor-patch-demo $version (demo)" "vantor-patch-demo.exe --version"
run_windows "$work/windows-demo" "$work/out" vantor-patch-demo.exe upgrade || fail "vantor-patch-demo.exe upgrade failed"
expect_line "$work/out" "升级成功！" "vantor-patch-demo.exe upgrade"
run_windows "$work/windows-demo" "$work/out" vantor-patch-demo.exe restore || fail "vantor-patch-demo.exe restore failed"
expect_line "$work/out" "复原成功!" "vantor-patch-demo.exe restore"
cmp -s "$work/demo-bundle" "$work/windows-demo/Common/character.amb" || fail "the restore did not bring the stock bundle back"

echo "== Windows, the demo window: Space upgrades"
reader=$work/message-box-reader.exe
x86_64-w64-mingw32-gcc -O1 -o "$reader" "$root/tools/wine/message_box_reader.c"
(cd "$work/windows-demo" && exec "$wine" vantor-patcher-demo.exe </dev/null >"$work/window.log" 2>&1) &
program=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --name 'Vantor' | head -n 1)
if [ -z "$window" ]; then
  kill "$program" 2>/dev/null || true
  fail "the window of vantor-patcher-demo.exe did not come up"
fi
sleep 1
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key space
"$wine" "$reader" 60 </dev/null >"$work/box" 2>/dev/null || true
# One Esc closes the window as a player would, once the box has gone (an
# Esc while it is there would answer the box instead). The window keeps an
# Esc that comes while the upgrade winds down and closes when it has ended.
for _ in $(seq 100); do
  [ -z "$(xdotool search --onlyvisible --name '信息' 2>/dev/null)" ] && break
  sleep 0.1
done
xdotool key Escape 2>/dev/null || true
(sleep 15 && kill "$program" 2>/dev/null) &
watchdog=$!
code=0
wait "$program" || code=$?
kill "$watchdog" 2>/dev/null || true
[ -s "$work/box" ] || fail "no message box came after Space"
echo "the window's message box says: $(tr -d '\r' <"$work/box")"
expect_line "$work/box" "升级成功！" "the window's message box"
[ "$code" = 0 ] || fail "vantor-patcher-demo.exe ended with $code"
[ "$(stat -c %s "$work/windows-demo/Common/character.amb")" -gt "$(stat -c %s "$work/demo-bundle")" ] ||
  fail "the window said 升级成功！ but the bundle is not the upgraded one"

echo "== Linux, from /tmp with an empty environment"
run_linux() { # OUTPUT PROGRAM ARGS...
  output=$1
  shift
  code=0
  (cd /tmp && env -i PATH=/usr/bin:/bin "$@" >"$output" 2>&1) || code=$?
  return "$code"
}
unpack_into_demo "$name-linux-x86_64.tar.gz" "$work/linux"
for program in vantor-patch vantor-patcher; do
  ! ldd "$work/linux/$program" | grep -q 'not found' || fail "$program needs a library that is not there"
done
run_linux "$work/out" "$work/linux/vantor-patch" --version || fail "vantor-patch --version failed"
expect_line "$work/out" "vantor-patch $version" "vantor-patch --version"
run_linux "$work/out" "$work/linux/vantor-patch" --game "$work/linux" status || fail "vantor-patch status failed"
expect_line "$work/out" "bundle: modified (not the stock bundle)" "vantor-patch status"
expect_line "$work/out" "backup: missing" "vantor-patch status"

unpack_into_demo "$name-linux-x86_64-demo.tar.gz" "$work/linux-demo"
game=$work/linux-demo
run_linux "$work/out" "$game/vantor-patch-demo" --version || fail "vantor-patch-demo --version failed"
expect_line "$work/out" "vantor-patch-demo $version (demo)" "vantor-patch-demo --version"
run_linux "$work/out" "$game/vantor-patch-demo" --game "$game" status || fail "vantor-patch-demo status failed"
expect_line "$work/out" "bundle: stock" "vantor-patch-demo status"
run_linux "$work/out" "$game/vantor-patch-demo" --game "$game" upgrade || fail "vantor-patch-demo upgrade failed"
expect_line "$work/out" "升级成功！" "vantor-patch-demo upgrade"
run_linux "$work/out" "$game/vantor-patch-demo" --game "$game" restore || fail "vantor-patch-demo restore failed"
expect_line "$work/out" "复原成功!" "vantor-patch-demo restore"
cmp -s "$work/demo-bundle" "$game/Common/character.amb" || fail "the Linux restore did not bring the stock bundle back"

echo "check-release.sh: the archives of vantor-patcher $version work as a player uses them"
