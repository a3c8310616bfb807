#!/usr/bin/env bash
# vantrel-host HOST with PLUGIN: output that cannot be written and a line that runs out of
# memory end in a message and exit status 1, not in status 0 or an abort. Linux only.
# Usage: host_failures.sh HOST PLUGIN [SANITIZE: 1 when built with AddressSanitizer]
set -u
host=$1 plugin=$2 sanitize=${3:-0}
[[ -w /dev/full ]] || { echo "no /dev/full: skipped"; exit 77; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
status=0
expect() {  # what, exit status, standard error, standard output (of the run just made)
  if [[ $rc -ne $2 || $(<"$dir/err") != "$3" || $(<"$dir/out") != "$4" ]]; then
    echo "FAIL: $1: exit $rc; stderr: $(head -c 300 "$dir/err"); stdout: $(head -c 300 "$dir/out")"
    status=1
  fi
}

: >"$dir/out"
"$host" --plugin "$plugin" -e '1 + 1' >/dev/full 2>"$dir/err"
rc=$?
expect "output to /dev/full" 1 "vantrel-host: cannot write the output" ""

# AddressSanitizer cannot run under an address-space limit, and its operator new reports
# instead of throwing: the part out of memory is for the other builds.
[[ $sanitize == 1 ]] && exit $status
# A 10 MB line of 1+1+...: its tokens and tree need more than 1 GB; the next line still runs.
{ printf 1; yes +1 | head -n 5000000 | tr -d '\n'; printf '\n2 + 3\n'; } >"$dir/long.vh"
(ulimit -v 1000000 && exec "$host" --plugin "$plugin" "$dir/long.vh") >"$dir/out" 2>"$dir/err"
rc=$?
expect "a line out of memory" 1 "error: line 1: out of memory" "5"
exit $status
