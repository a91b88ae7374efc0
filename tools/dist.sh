#!/bin/sh
# The release command: builds the programs players download and packs them
# into dist/, for the version in CMakeLists.txt (project(... VERSION ...)):
#
#   vantor-patcher-VERSION-windows-x64.zip      vantor-patcher.exe (the window),
#                                               vantor-patch.exe (the command line)
#   vantor-patcher-VERSION-linux-x86_64.tar.gz  vantor-patcher (the Qt 6 window),
#                                               vantor-patch (the command line)
#   vantor-patcher-VERSION-*-demo.*             the demo builds, which accept
#                                               only the demo game folder
#                                               (tools/make_demo)
#   SHA256SUMS                                  of every archive
#
# each archive with 使用说明.txt (the player's guide, UTF-8 with a byte
# order mark and CRLF line ends, as Notepad reads it), 制作更新包.txt (the
# mod authors' guide to pack, written the same way) and LICENSES/.
# Programs at the top of the archive: unpacked into the game folder, they
# land next to Vantor.exe.
#
# The same commit gives the same bytes in any folder, at any time: every
# time stamp is the commit's (SOURCE_DATE_EPOCH), the programs are built
# with the dist-linux and dist-windows presets (VANTOR_RELEASE_PACKAGE:
# paths relative to the source, no link time stamp, stripped) and
# tools/dist/pack.py writes sorted entries with fixed owners and modes.
# tools/dist/reproducible.sh builds twice in two folders and compares.
#
# The restore command writes back two files of the game that the program
# carries. Without VANTOR_RESTORE_DIR the build carries the stand-ins of
# assets/restore/, and a restore would write stand-ins into a real game:
# such archives are for tests, not for players. For players:
#   VANTOR_RESTORE_DIR=/path/to/genuine/files tools/dist.sh
set -e
cd "$(dirname "$0")/.."
root=$PWD
tools/install-deps.sh
tools/install-windows-deps.sh

# The commit's time for every time stamp; one locale, time zone and umask.
if [ -z "$SOURCE_DATE_EPOCH" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
fi
export SOURCE_DATE_EPOCH
export LC_ALL=C.UTF-8 TZ=UTC
umask 022
if [ -n "$(git status --porcelain --untracked-files=no 2>/dev/null)" ]; then
  echo "dist.sh: the work tree has changes that are not committed: the archives are not those of the commit" >&2
fi

restore_dir=${VANTOR_RESTORE_DIR:-$root/assets/restore}
for platform in linux windows; do
  echo "== building the $platform programs"
  cmake --preset "dist-$platform" "-DVANTOR_RESTORE_DIR=$restore_dir" >/dev/null
  cmake --build --preset "dist-$platform"
done
linux=$root/build/dist-linux/bin
windows=$root/build/windows/dist/bin
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/dist-linux/CMakeCache.txt)
[ -n "$version" ] || { echo "dist.sh: no project version in build/dist-linux/CMakeCache.txt" >&2; exit 1; }

echo "== checking the programs"
# Windows: nothing but Windows' own DLLs, and the version in each file's
# properties.
cmake -DOBJDUMP=x86_64-w64-mingw32-objdump \
  "-DPROGRAMS=$windows/vantor-patcher.exe;$windows/vantor-patch.exe;$windows/vantor-patcher-demo.exe;$windows/vantor-patch-demo.exe" \
  -P tests/app/win32/check_imports.cmake >/dev/null
for program in vantor-patcher vantor-patch vantor-patcher-demo vantor-patch-demo; do
  if ! x86_64-w64-mingw32-strings -el "$windows/$program.exe" | tr '\n' ' ' | grep -q "FileVersion $version "; then
    echo "dist.sh: $program.exe has no version resource of version $version" >&2
    exit 1
  fi
done
# Linux: the command line needs only what every Debian 12 has (the C and
# C++ runtimes and zlib, all of priority required or important; minizip is
# linked in); the window needs Qt 6 besides.
base_libraries="libc.so.6 libm.so.6 libstdc++.so.6 libgcc_s.so.1 libz.so.1"
qt_libraries="libQt6Widgets.so.6 libQt6Gui.so.6 libQt6Core.so.6"
check_needed() { # PROGRAM ALLOWED...
  program=$1
  shift
  for library in $(objdump -p "$program" | sed -n 's/^ *NEEDED *//p'); do
    case " $* " in
      *" $library "*) ;;
      *) echo "dist.sh: $program needs $library, which a stock Debian 12 lacks" >&2; exit 1 ;;
    esac
  done
}
# shellcheck disable=SC2086
for program in vantor-patch vantor-patch-demo; do
  check_needed "$linux/$program" $base_libraries
done
# shellcheck disable=SC2086
for program in vantor-patcher vantor-patcher-demo; do
  check_needed "$linux/$program" $base_libraries $qt_libraries
done

echo "== packing vantor-patcher $version"
stage=$root/build/dist-stage
rm -rf "$stage" dist
mkdir -p "$stage/licenses-crlf" dist
python3 tools/dist/pack.py guide packaging/guide-zh.txt "$stage/guide.txt" "$version"
python3 tools/dist/pack.py guide packaging/guide-zh.txt "$stage/guide-demo.txt" "$version" demo
python3 tools/dist/pack.py guide packaging/authors-guide-zh.txt "$stage/authors-guide.txt" "$version"
python3 tools/dist/pack.py guide packaging/authors-guide-zh.txt "$stage/authors-guide-demo.txt" "$version" demo
licences=""
licences_crlf=""
for file in packaging/licenses/*.txt; do
  name=$(basename "$file")
  python3 tools/dist/pack.py crlf "$file" "$stage/licenses-crlf/$name"
  licences="$licences $file=LICENSES/$name"
  licences_crlf="$licences_crlf $stage/licenses-crlf/$name=LICENSES/$name"
done
guides="$stage/guide.txt=使用说明.txt $stage/authors-guide.txt=制作更新包.txt"
# The demo's guides name the demo programs.
guides_demo="$stage/guide-demo.txt=使用说明.txt $stage/authors-guide-demo.txt=制作更新包.txt"
name=vantor-patcher-$version
# shellcheck disable=SC2086
python3 tools/dist/pack.py zip "dist/$name-windows-x64.zip" "$SOURCE_DATE_EPOCH" \
  "$windows/vantor-patcher.exe=vantor-patcher.exe" "$windows/vantor-patch.exe=vantor-patch.exe" \
  $guides $licences_crlf
# shellcheck disable=SC2086
python3 tools/dist/pack.py zip "dist/$name-windows-x64-demo.zip" "$SOURCE_DATE_EPOCH" \
  "$windows/vantor-patcher-demo.exe=vantor-patcher-demo.exe" \
  "$windows/vantor-patch-demo.exe=vantor-patch-demo.exe" $guides_demo $licences_crlf
# shellcheck disable=SC2086
python3 tools/dist/pack.py tar "dist/$name-linux-x86_64.tar.gz" "$SOURCE_DATE_EPOCH" \
  "$linux/vantor-patcher=vantor-patcher" "$linux/vantor-patch=vantor-patch" $guides $licences
# shellcheck disable=SC2086
python3 tools/dist/pack.py tar "dist/$name-linux-x86_64-demo.tar.gz" "$SOURCE_DATE_EPOCH" \
  "$linux/vantor-patcher-demo=vantor-patcher-demo" "$linux/vantor-patch-demo=vantor-patch-demo" \
  $guides_demo $licences
(cd dist && python3 ../tools/dist/pack.py sums . ./*.zip ./*.tar.gz)
if [ "$restore_dir" = "$root/assets/restore" ]; then
  echo "dist.sh: built with the restore stand-ins of assets/restore: not for players (see VANTOR_RESTORE_DIR)" >&2
fi
ls -l dist
cat dist/SHA256SUMS
