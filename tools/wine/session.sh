#!/bin/sh
# The Wine session the Windows programs and tests run in.
#   tools/wine/session.sh start          fresh Wine prefix, Xvfb, warm Wine server
#   tools/wine/session.sh stop           ends Wine and Xvfb, removes the prefix
#   tools/wine/session.sh run CMD ARGS   start, run CMD, stop (also when CMD fails)
# The session lives in build/windows/wine (VANTOR_WINE_DIR overrides it). Its
# environment is written to session.env there: tools/wine/run.sh reads it, so
# ctest needs nothing exported, and `. build/windows/wine/session.env` gives a
# shell the same Wine for a look by hand.
set -e
root=$(cd "$(dirname "$0")/../.." && pwd)
dir=${VANTOR_WINE_DIR:-$root/build/windows/wine}
wine=/usr/lib/wine/wine64
# Debian's wineserver wrapper adds -p0; the real server keeps our -p.
wineserver=/usr/lib/wine/wineserver64

stop_session() {
  if [ -f "$dir/session.env" ]; then
    # shellcheck disable=SC1091
    . "$dir/session.env"
    # -k ends every Wine process of the prefix and the server; -w waits.
    "$wineserver" -k </dev/null >/dev/null 2>&1 || true
    "$wineserver" -w </dev/null >/dev/null 2>&1 || true
  fi
  # Our own Xvfb only: the recorded process id, if it still is an Xvfb.
  if [ -f "$dir/xvfb.pid" ]; then
    pid=$(cat "$dir/xvfb.pid")
    if [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ]; then
      kill "$pid" 2>/dev/null || true
    fi
  fi
  rm -rf "$dir/prefix" "$dir/session.env" "$dir/xvfb.pid" "$dir/xvfb.display" "$dir/desktop-keeper.exe" "$dir/desktop.ready"
}

start_session() {
  stop_session
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)
  : >"$dir/wine.log"

  # The display comes first: a Wine session begun without one shows no window
  # later, and a window program started without one blocks invisibly.
  # -displayfd picks a free display number and reports it once Xvfb accepts
  # connections. Every background process gets files, never our pipes, or
  # whoever reads our output (ctest, a CI log) would wait for them forever.
  : >"$dir/xvfb.display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
    3>"$dir/xvfb.display" </dev/null >"$dir/xvfb.log" 2>&1 &
  echo $! >"$dir/xvfb.pid"
  tries=0
  until [ -s "$dir/xvfb.display" ]; do
    tries=$((tries + 1))
    if [ "$tries" -gt 100 ] || ! kill -0 "$(cat "$dir/xvfb.pid")" 2>/dev/null; then
      echo "session.sh: Xvfb did not start, see $dir/xvfb.log" >&2
      exit 1
    fi
    sleep 0.1
  done

  # C.UTF-8: Wine converts arguments and file names through the Unix locale,
  # so anything but UTF-8 garbles Chinese names. The DLL overrides keep
  # Wine from asking to install Mono and Gecko, and winemenubuilder from
  # writing menu entries and file types into the home folder.
  cat >"$dir/session.env" <<EOF
export WINEPREFIX='$dir/prefix'
export WINEARCH=win64
export WINEDEBUG=-all
export LANG=C.UTF-8
export LC_ALL=C.UTF-8
export WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
export DISPLAY=':$(tr -d '\n' <"$dir/xvfb.display")'
EOF
  # shellcheck disable=SC1091
  . "$dir/session.env"

  # A persistent server first, so Wine's background services stay up for the
  # whole session instead of starting again for every test program (the
  # server needs the prefix folder to exist).
  mkdir -p "$WINEPREFIX"
  "$wineserver" -p </dev/null >>"$dir/wine.log" 2>&1
  # The first program run in a new prefix makes Wine set the prefix up
  # (wineboot --init) and start its services, with nothing attached: they
  # inherit the output of the program that starts them and, started by a
  # test, would hold ctest's output pipe open. Not `wineboot -i` itself: on
  # a new prefix Wine runs the set-up first anyway, so that would run it
  # twice (twice the time, and two service managers).
  "$wine" cmd /c exit </dev/null >>"$dir/wine.log" 2>&1

  # Registry settings, as a .reg file in UTF-16LE with a byte order mark
  # (regedit's Unicode format, needed for the Chinese value name):
  # - no crash dialog: with it a crash waits for a click that never comes;
  # - font replacements: under C.UTF-8, 宋体 falls back to a font without
  #   ASCII digits and Tahoma (message boxes) has no Chinese;
  # - no debugger on a crash: winedbg prints a backtrace but then ends the
  #   program with exit code 0 about one time in ten, so a crashing test
  #   could pass. Without it the exit code is the exception code's low byte
  #   (5 for an access violation, 253 for a stack overflow; abort gives 3).
  #   VANTOR_WINE_BACKTRACE=1 keeps winedbg, to read a crash's backtrace;
  # - windows not handed to a window manager: Xvfb has none, and Wine waits
  #   2 s for one whenever a window is hidden or destroyed.
  reg="$dir/session.reg"
  {
    printf '\357\273\277'
    sed 's/$/\r/' <<'EOF'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"SimSun"="Noto Sans CJK SC"
"宋体"="Noto Sans CJK SC"
"Tahoma"="Noto Sans CJK SC"
"MS Shell Dlg"="Noto Sans CJK SC"
"MS Shell Dlg 2"="Noto Sans CJK SC"

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

EOF
    if [ "${VANTOR_WINE_BACKTRACE:-0}" != 1 ]; then
      sed 's/$/\r/' <<'EOF'
[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"=""

EOF
    fi
  } | iconv -f UTF-8 -t UTF-16LE >"$reg"
  "$wine" regedit /S "$reg" </dev/null >>"$dir/wine.log" 2>&1

  # Warm-up: once more with nothing attached, should the import have started
  # anything; from here on a program starts in a few hundredths of a second.
  "$wine" cmd /c exit </dev/null >/dev/null 2>&1

  # The desktop (Wine's explorer.exe) up for the whole session, started with
  # nothing attached: Wine closes it a second after the last window program
  # has ended, and the next one would start it again with its own output
  # (a test's pipe, which ctest then waits on). tools/wine/desktop_keeper.c.
  x86_64-w64-mingw32-gcc -O1 -mwindows -o "$dir/desktop-keeper.exe" "$root/tools/wine/desktop_keeper.c"
  rm -f "$dir/desktop.ready"
  "$wine" "$dir/desktop-keeper.exe" "$dir/desktop.ready" </dev/null >>"$dir/wine.log" 2>&1 &
  tries=0
  until [ -f "$dir/desktop.ready" ]; do
    tries=$((tries + 1))
    if [ "$tries" -gt 100 ]; then
      echo "session.sh: the desktop did not come up, see $dir/wine.log" >&2
      exit 1
    fi
    sleep 0.1
  done
}

case "$1" in
  start)
    # A start that fails half-way leaves nothing running.
    trap stop_session EXIT
    start_session
    trap - EXIT
    echo "session.sh: Wine session ready (DISPLAY=$DISPLAY, prefix $WINEPREFIX)"
    ;;
  stop)
    stop_session
    ;;
  run)
    shift
    [ $# -gt 0 ] || { echo "usage: $0 run COMMAND [ARGS...]" >&2; exit 2; }
    # The session ends however the command ends, Ctrl-C included (a signal
    # to this script alone takes effect once the command has ended).
    trap stop_session EXIT
    trap 'exit 130' INT TERM
    start_session
    status=0
    "$@" || status=$?
    exit "$status"
    ;;
  *)
    echo "usage: $0 start | stop | run COMMAND [ARGS...]" >&2
    exit 2
    ;;
esac
