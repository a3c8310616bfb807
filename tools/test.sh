#!/usr/bin/env bash
# Runs every test: the CTest suite in the normal and the sanitizer configuration, and a
# short smoke pass of each benchmark. Each configuration is one function step_<name>, listed
# in STEPS; all steps run, and the script fails if any of them failed.
# Usage: tools/test.sh [step...]   (default: every step in STEPS)
set -euo pipefail
cd "$(dirname "$0")/.."

JOBS=${JOBS:-$(nproc)}
# Seconds one test may run before CTest counts it failed, so a hang cannot stall CI.
TEST_TIMEOUT=${TEST_TIMEOUT:-300}

configure_and_build() {  # dir, cmake options...
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja "$@" || return 1
  cmake --build "$dir" -j "$JOBS" || return 1
}

run_ctest() {  # dir
  ctest --test-dir "$1" -j "$JOBS" --output-on-failure --no-tests=error --timeout "$TEST_TIMEOUT"
}

# Options are given in full each time: a build directory keeps whatever its cache last held.
COMMON=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_WERROR=ON -DVANTREL_TESTS=ON)

# x86-64, RelWithDebInfo, warnings as errors: also builds the benchmarks for bench_smoke.
step_default() {
  configure_and_build build "${COMMON[@]}" -DVANTREL_SANITIZE=OFF -DVANTREL_BENCH=ON || return 1
  run_ctest build
}

# AddressSanitizer with leak detection, and UndefinedBehaviorSanitizer stopping at the first report.
step_sanitize() {
  configure_and_build build-asan "${COMMON[@]}" -DVANTREL_SANITIZE=ON -DVANTREL_BENCH=OFF || return 1
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 run_ctest build-asan
}

# Every test again on the 32-bit integer kernels, which targets without a 64x64->128-bit
# product use: the GMP differential tests then check both kernel widths.
step_word32() {
  configure_and_build build-word32 "${COMMON[@]}" -DVANTREL_SANITIZE=OFF -DVANTREL_BENCH=OFF -DVANTREL_WORD32=ON || return 1
  run_ctest build-word32
}

# Each benchmark once for a moment: they build, run, and their GMP cross-check holds.
step_bench_smoke() {
  local found=0 b out
  for b in build/bench_*; do
    [[ -x "$b" && -f "$b" ]] || continue
    found=1
    echo "-- $b"
    out=$("$b" --benchmark_min_time=0.001 2>&1) || { echo "$out"; return 1; }
    if grep -q "ERROR OCCURRED" <<<"$out"; then
      grep -B1 "ERROR OCCURRED" <<<"$out"
      return 1
    fi
    echo "   $(grep -cE ' [0-9.]+ (ns|us|ms|s) ' <<<"$out") benchmarks ran"
  done
  [[ $found -eq 1 ]] || { echo "no benchmark binaries in build/"; return 1; }
}

# i386 (-m32, SSE2 doubles): the data model of the 32-bit macOS plug-in; the whole suite.
step_m32() {
  configure_and_build build-m32 "${COMMON[@]}" -DCMAKE_TOOLCHAIN_FILE=tools/toolchain-m32.cmake \
    -DVANTREL_SANITIZE=OFF -DVANTREL_BENCH=OFF || return 1
  file build-m32/libVantrel.so | grep -q "ELF 32-bit.*80386" || { echo "build-m32: not an i386 plug-in"; return 1; }
  run_ctest build-m32
}

# Windows x86-64 (mingw-w64), run under wine64 in build-win/wine: the plug-in exports
# REALPluginMain alone and needs only Windows' own DLLs; the suites without GMP or MPFR
# and the golden scripts.
step_win() {
  configure_and_build build-win "${COMMON[@]}" -DCMAKE_TOOLCHAIN_FILE=tools/toolchain-mingw64.cmake \
    -DVANTREL_SANITIZE=OFF -DVANTREL_BENCH=OFF || return 1
  local dump f
  dump=$(x86_64-w64-mingw32-objdump -p build-win/Vantrel.dll) || return 1
  [[ "$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -n 's/^\t\[ *[0-9]*\] //p')" == REALPluginMain ]] ||
    { echo "Vantrel.dll must export REALPluginMain alone"; return 1; }
  for f in build-win/Vantrel.dll build-win/vantrel-host.exe build-win/vantrel_tests.exe; do
    if x86_64-w64-mingw32-objdump -p "$f" | grep "DLL Name:" | grep -viE "DLL Name: (KERNEL32|msvcrt)\.dll"; then
      echo "$f needs a DLL that Windows does not ship"
      return 1
    fi
  done
  run_ctest build-win
}

# Each text reader and vantrel-host's lines under libFuzzer (clang, ASan + UBSan) for a bounded
# time from its seed corpus.
step_fuzz() {
  bash tools/fuzz.sh "${FUZZ_SECONDS:-20}"
}

STEPS=(default sanitize word32 bench_smoke fuzz m32 win)
if [[ $# -gt 0 ]]; then
  STEPS=("$@")
fi
for s in "${STEPS[@]}"; do
  declare -F "step_$s" >/dev/null || { echo "tools/test.sh: no step named '$s'" >&2; exit 2; }
done

bash tools/install-deps.sh

failed=()
for s in "${STEPS[@]}"; do
  echo "==== $s"
  start=$SECONDS
  if "step_$s"; then
    echo "==== $s: ok ($((SECONDS - start)) s)"
  else
    echo "==== $s: FAILED ($((SECONDS - start)) s)"
    failed+=("$s")
  fi
done

if [[ ${#failed[@]} -ne 0 ]]; then
  echo "tools/test.sh: failed steps: ${failed[*]}"
  exit 1
fi
echo "tools/test.sh: all steps passed: ${STEPS[*]}"
