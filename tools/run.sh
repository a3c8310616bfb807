#!/usr/bin/env bash
# The main job: installs what is missing, builds, and runs each example program.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh

examples=()
for src in examples/*.cpp; do
  examples+=("$(basename "$src" .cpp)")
done

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_WERROR=ON -DVANTREL_SANITIZE=OFF >/dev/null
cmake --build build -j "$(nproc)" --target "${examples[@]}"

for e in "${examples[@]}"; do
  echo "==== $e"
  "./build/$e"
done
