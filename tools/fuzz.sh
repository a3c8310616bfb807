#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) in build-fuzz/ and runs each
# for a short while from its seed corpus in fuzz/corpus/<target>/. Fails on any crash,
# leak, sanitizer report or broken invariant; the failing input is left in
# build-fuzz/artifacts/. Usage: tools/fuzz.sh [seconds per target, default 20]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-fuzz"
seconds="${1:-20}"
targets=(fuzz_mbConvFromStr fuzz_fpConvFromString fuzz_fpTextRoundTrip fuzz_getDec_Str fuzz_vantrelHost)

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVANTREL_FUZZ=ON -DVANTREL_TESTS=OFF -DVANTREL_BENCH=OFF >/dev/null
cmake --build "$build" --target "${targets[@]}"

mkdir -p "$build/artifacts"
status=0
for t in "${targets[@]}"; do
  name="${t#fuzz_}"
  # New inputs go to a scratch corpus; the seeds in the tree are only read.
  work="$build/corpus/$name"
  mkdir -p "$work"
  # A target's words, where it has them, help it past its syntax.
  dict=()
  [[ -f "$root/fuzz/$name.dict" ]] && dict=(-dict="$root/fuzz/$name.dict")
  echo "fuzz: $t for ${seconds}s"
  if ! "$build/$t" "${dict[@]}" -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=2048 -timeout=60 \
       -print_final_stats=1 -artifact_prefix="$build/artifacts/$name-" \
       "$work" "$root/fuzz/corpus/$name" >"$build/$t.log" 2>&1; then
    echo "fuzz: $t FAILED; the end of its log ($build/$t.log):"
    tail -n 40 "$build/$t.log"
    status=1
  else
    grep -E "stat::number_of_executed_units|Done [0-9]+ runs" "$build/$t.log" | tail -n 2 || true
  fi
done
exit "$status"
