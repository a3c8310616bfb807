#!/usr/bin/env bash
# Runs a Windows program under wine64, headless, in a prefix of its own: $WINEPREFIX, or
# wine/ in the current directory's build tree (the directory holding CMakeCache.txt above
# the program). The prefix is made on first use, under a lock so parallel tests share it.
set -euo pipefail
prog=$1
shift
if [[ -z "${WINEPREFIX:-}" ]]; then
  dir=$(cd "$(dirname "$prog")" && pwd)
  while [[ "$dir" != / && ! -f "$dir/CMakeCache.txt" ]]; do dir=$(dirname "$dir"); done
  [[ -f "$dir/CMakeCache.txt" ]] || dir=$(pwd)
  export WINEPREFIX="$dir/wine"
fi
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=
WINE=$(command -v wine64 || echo /usr/lib/wine/wine64)
WINESERVER=$(command -v wineserver || echo /usr/lib/wine/wineserver)
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
      "$WINE" wineboot --init >/dev/null 2>&1 || true
      "$WINESERVER" -w || true
    fi
  ) 9>"$WINEPREFIX.lock"
fi
exec "$WINE" "$prog" "$@"
