#!/usr/bin/env bash
# tools/install-deps.sh (given as $1) with stand-ins for apt-get, dpkg, dpkg-query and id on
# PATH: a refresh that keeps failing goes on to the install; a failed install fails, naming
# the packages still missing.
set -u
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cat >"$dir/stand-in" <<EOF_STUB
#!/bin/sh
case "\${0##*/} \$1" in
"id "*) echo 0 ;; "dpkg --print-architecture") echo amd64 ;; "dpkg --print-foreign-architectures") echo i386 ;;
"dpkg-query "*) for q; do :; done; grep -qx -e "\$q" -e "\${q%:amd64}" $dir/missing && exit 1; printf installed ;;
"apt-get update") echo update >>$dir/log; echo "E: ... File has unexpected size" >&2; exit 100 ;;
"apt-get install") [ -n "\$FAIL" ] && exit 100; : >$dir/missing ;;
esac
EOF_STUB
chmod +x "$dir/stand-in"
for c in apt-get dpkg dpkg-query id; do ln -s stand-in "$dir/$c"; done
run() {  # FAIL value
  printf '%s\n' wine64 libgmp-dev:i386 >"$dir/missing"
  : >"$dir/log"
  FAIL=$1 PATH="$dir:$PATH" INSTALL_DEPS_RETRY_PAUSE=0 bash "$script" >/dev/null 2>"$dir/err"
}
script=$1
run "" && [[ $(wc -l <"$dir/log") -eq 3 ]] || { echo "FAIL: a failing refresh stopped the install"; cat "$dir/err"; exit 1; }
run 1 && { echo "FAIL: a failed install passed"; exit 1; }
grep -q "missing packages: libgmp-dev:i386 wine64" "$dir/err" || { echo "FAIL: no names"; cat "$dir/err"; exit 1; }
echo ok
