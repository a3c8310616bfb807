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

# The command line of the host stand-in, on the demonstration script.
echo "==== vantrel-host tests/golden/demo.vh"
if cmake --build build -j "$(nproc)" --target vantrel-host Vantrel >/dev/null 2>&1; then
  ./build/vantrel-host tests/golden/demo.vh
else
  echo "vantrel-host or the plug-in Vantrel is not built here: the demonstration is skipped"
fi
