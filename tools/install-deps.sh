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
)

missing=()
for p in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
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
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
