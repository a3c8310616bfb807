#!/usr/bin/env bash
# tools/install-deps.sh against stand-ins for apt-get, dpkg, dpkg-query and id on PATH:
# a refresh that keeps failing must not stop the install; a failed install must fail,
# naming the packages still missing.
# Usage: install_deps_test.sh PATH/TO/install-deps.sh
set -euo pipefail
script=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/bin"
cat >"$dir/bin/id" <<'STUB'
#!/bin/sh
echo 0
STUB
cat >"$dir/bin/dpkg" <<'STUB'
#!/bin/sh
case $1 in --print-architecture) echo amd64 ;; --print-foreign-architectures) echo i386 ;; esac
STUB
# Installed unless named in $FAKE/missing (a native query carries ":amd64").
cat >"$dir/bin/dpkg-query" <<'STUB'
#!/bin/sh
for last; do :; done
grep -qx -e "$last" -e "${last%:amd64}" "$FAKE/missing" && exit 1
printf installed
STUB
# update: fails while $FAKE/update-failures counts down; install: installs all but the
# names in $FAKE/uninstallable and then fails if any were.
cat >"$dir/bin/apt-get" <<'STUB'
#!/bin/sh
echo "$*" >>"$FAKE/log"
case $1 in
update)
  n=$(cat "$FAKE/update-failures")
  [ "$n" -gt 0 ] || exit 0
  echo $((n - 1)) >"$FAKE/update-failures"
  echo "E: Failed to fetch .../binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?" >&2
  exit 100 ;;
install)
  grep -xf "$FAKE/uninstallable" "$FAKE/missing" >"$FAKE/left" || true
  mv "$FAKE/left" "$FAKE/missing"
  [ -s "$FAKE/missing" ] && exit 100
  exit 0 ;;
esac
STUB
chmod +x "$dir/bin/"*

failed=0
# case: packages missing, refresh failures, uninstallable names; want exit status (0 or 1),
# number of refreshes, and the text stderr must hold ("": stderr empty).
check() {
  local name=$1 missing=$2 failures=$3 uninstallable=$4 want=$5 updates=$6 says=$7 status=0
  export FAKE=$dir/$name
  mkdir "$FAKE"
  printf '%s\n' $missing >"$FAKE/missing"
  printf '%s\n' $uninstallable >"$FAKE/uninstallable"
  echo "$failures" >"$FAKE/update-failures"
  : >"$FAKE/log"
  PATH="$dir/bin:$PATH" INSTALL_DEPS_RETRY_PAUSE=0 bash "$script" >"$FAKE/out" 2>"$FAKE/err" || status=$?
  local got_updates
  got_updates=$(grep -c '^update' "$FAKE/log" || true)
  local told=0
  if [[ -z $says ]]; then [[ -s "$FAKE/err" ]] || told=1; else grep -qF -- "$says" "$FAKE/err" && told=1; fi
  if [[ $status -ne $want || $got_updates -ne $updates || $told -ne 1 ]]; then
    echo "FAIL $name: exit $status (want $want), $got_updates refreshes (want $updates), stderr:"
    cat "$FAKE/err"
    failed=1
  else
    echo "ok   $name"
  fi
}
check all-present "" 0 "" 0 0 ""
check refresh-fails-once "wine64" 1 "" 0 2 "try 1 of 3"
check refresh-keeps-failing "wine64 libgmp-dev:i386" 5 "" 0 3 "installing from the package lists as they are"
check install-fails "wine64 libgmp-dev:i386 googletest" 5 "libgmp-dev:i386 googletest" 1 3 \
  "missing packages: libgmp-dev:i386 googletest"
exit $failed
