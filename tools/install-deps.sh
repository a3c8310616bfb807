#!/usr/bin/env bash
# Installs the build, test and benchmark dependencies that a fresh Debian 12 machine lacks.
# Quiet when everything is present; as non-root it names what is missing and fails. A
# refresh of the package lists that keeps failing does not stop it: only a failed install
# does, naming the packages still missing.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ python3
  libgtest-dev libgmock-dev
  libgmp-dev libmpfr-dev
  libbenchmark-dev libboost-dev
  clang libclang-rt-14-dev
  # the i386 build (-m32) and its test oracles, through multiarch
  g++-multilib libgmp-dev:i386 libmpfr-dev:i386 libgtest-dev:i386
  # the Windows x86-64 cross build, GoogleTest's sources for it, and wine to run it
  g++-mingw-w64-x86-64-posix googletest wine64
)

# A refresh of the package lists is tried this many times, this many seconds apart.
UPDATE_TRIES=${INSTALL_DEPS_UPDATE_TRIES:-3}
RETRY_PAUSE=${INSTALL_DEPS_RETRY_PAUSE:-20}

native=$(dpkg --print-architecture)
installed() {  # package
  # An unqualified name means the native package: with the i386 one beside it, the bare name
  # would report both. Packages for all architectures answer only to the bare name.
  local q=$1 status
  [[ "$1" == *:* ]] || q="$1:$native"
  status=$(dpkg-query -W -f='${db:Status-Status}' "$q" 2>/dev/null || dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null || true)
  [[ "$status" == installed ]]
}
missing=()
for p in "${PACKAGES[@]}"; do
  installed "$p" || missing+=("$p")
done

[[ ${#missing[@]} -eq 0 ]] && exit 0

if [[ $(id -u) -ne 0 ]]; then
  echo "install-deps: missing packages: ${missing[*]}" >&2
  echo "install-deps: run as root, or: sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# The :i386 packages need the architecture known to dpkg before the package lists are read.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
# One index can fail while a mirror syncs ("File has unexpected size"); the others still
# load. Retry, then install from the lists there are: only the install decides.
for ((try = 1; ; try++)); do
  apt-get update -qq && break
  if ((try >= UPDATE_TRIES)); then
    echo "install-deps: apt-get update failed $try times; installing from the package lists as they are" >&2
    break
  fi
  echo "install-deps: apt-get update failed (try $try of $UPDATE_TRIES); again in $RETRY_PAUSE s" >&2
  sleep "$RETRY_PAUSE"
done
status=0
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null || status=$?
still=()
for p in "${missing[@]}"; do
  installed "$p" || still+=("$p")
done
if [[ $status -ne 0 || ${#still[@]} -ne 0 ]]; then
  echo "install-deps: apt-get install failed (exit $status); missing packages: ${still[*]:-none}" >&2
  exit 1
fi
