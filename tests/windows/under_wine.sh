#!/usr/bin/env bash
# Runs a test command against the Windows program under wine: the runners start
# the program as "$VONX_LAUNCHER ./PROGRAM". All such tests share one wine
# prefix, prepared once by "under_wine.sh PREFIX EXE --prepare" (kept for the
# next run) with a wine server that stays up until "--stop".
#   under_wine.sh PREFIX VONX.EXE --prepare | --stop | COMMAND...
# Exits with 77 (registered as the skip code) when mingw-w64 or wine is missing.
set -u
prefix=$1 exe=$2
shift 2
if [ ! -f "$exe" ]; then
  echo "skipped: mingw-w64 (x86_64-w64-mingw32-g++) is not installed, so vonx.exe was not built"
  exit 77
fi
wine=$(command -v wine || command -v wine64) || { echo "skipped: wine is not installed"; exit 77; }
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
case "${1:-}" in
  --prepare)
    mkdir -p "$prefix"
    # One server for every test of this run (a server left by a run that was
    # interrupted is replaced); it detaches, so it must not hold the test's
    # output open, and ends by itself a minute after its last use.
    wineserver --kill >/dev/null 2>&1 </dev/null
    wineserver --persistent=60 >/dev/null 2>&1 </dev/null || { echo "wineserver did not start"; exit 1; }
    [ -f "$prefix/system.reg" ] && exit 0
    wineboot --init >/dev/null 2>&1 </dev/null || { echo "wineboot failed"; exit 1; }
    exit 0 ;;
  --stop)
    # The server may already have ended by itself.
    wineserver --kill >/dev/null 2>&1 </dev/null
    exit 0 ;;
esac
export VONX_LAUNCHER=$wine
exec "$@"
