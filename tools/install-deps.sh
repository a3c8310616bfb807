#!/usr/bin/env bash
# Installs the build, test and benchmark dependencies that a fresh Debian 12 machine lacks.
# Quiet when everything is present; as non-root it names what is missing and fails.
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

native=$(dpkg --print-architecture)
missing=()
for p in "${PACKAGES[@]}"; do
  # An unqualified name means the native package: with the i386 one beside it, the bare name
  # would report both. Packages for all architectures answer only to the bare name.
  q=$p
  [[ "$p" == *:* ]] || q="$p:$native"
  status=$(dpkg-query -W -f='${db:Status-Status}' "$q" 2>/dev/null || dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [[ "$status" == installed ]] || missing+=("$p")
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
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
