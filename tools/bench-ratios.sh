#!/usr/bin/env bash
# Times the integer layer beside GMP (bench_mb: arithmetic; bench_numtheory: roots, gcd,
# modular powers, primality; bench_text: decimal text out and in) and the floating-point
# arithmetic, the elementary functions and the gamma family beside MPFR (bench_fp,
# bench_fpfuncs, bench_gamma), and prints our time / the oracle's time per operation and
# operand size, as Markdown tables: the median CPU time of five repetitions, run in random
# order so that a slow spell of the machine does not land on one side only.
# Usage: tools/bench-ratios.sh [build-dir] [extra Google Benchmark flags...]
set -euo pipefail
cd "$(dirname "$0")/.."

dir=${1:-build}
shift || true
# Timings mean something only from an optimised build without sanitizers.
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_SANITIZE=OFF \
  -DVANTREL_BENCH=ON >/dev/null
cmake --build "$dir" --target bench_mb bench_numtheory bench_text bench_fp bench_fpfuncs bench_gamma >/dev/null

json=$(mktemp)
log=$(mktemp)
trap 'rm -f "$json" "$log"' EXIT

# ratios PROGRAM OURS ORACLE TITLE ORDER [flags...]: runs one benchmark program and prints
# its tables. Benchmarks are named lib_operation/size:N, lib being OURS (mb, fp) or ORACLE
# (gmp, mpfr); ORDER lists the operations in the order of the library.
ratios() {
  local program=$1 ours=$2 oracle=$3 title=$4 order=$5
  shift 5
  if ! "$dir/$program" --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true \
    --benchmark_report_aggregates_only=true \
    --benchmark_min_time=0.2 --benchmark_out="$json" --benchmark_out_format=json "$@" >"$log" 2>&1; then
    cat "$log" >&2
    exit 1
  fi
  if grep -q "ERROR OCCURRED" "$log"; then
    grep "ERROR OCCURRED" "$log" >&2
    exit 1
  fi

  # Google Benchmark writes one key per line, so the JSON is read line by line.
  awk -v title="$title" -v orderList="$order" -v ours="$ours" -v oracle="$oracle" '
  function unquote(s) { gsub(/^[^:]*: *"|",? *$/, "", s); return s }
  function number(s) { sub(/^[^:]*: */, "", s); sub(/,? *$/, "", s); return s + 0 }
  /"name":/      { name = unquote($0) }
  /"cpu_time":/  { cpu = number($0) }
  /"time_unit":/ {
    unit = unquote($0)
    scale = unit == "ns" ? 1 : unit == "us" ? 1e3 : unit == "ms" ? 1e6 : 1e9
    if (name !~ /_median$/) next
    n = name; sub(/_median$/, "", n)
    split(n, part, "/"); lib = part[1]; sub(/_.*/, "", lib)
    op = part[1]; sub(/^[^_]*_/, "", op)
    w = part[2]; sub(/^[^:]*:/, "", w)
    t[lib, op, w] = cpu * scale
    seenOp[op] = 1
    seenW[w] = 1
  }
  END {
    # Operations in the order of the library, sizes ascending: the run itself is shuffled.
    nops = 0
    split(orderList, order, " ")
    for (i = 1; i in order; i++) if (order[i] in seenOp) { ops[++nops] = order[i]; delete seenOp[order[i]] }
    for (op in seenOp) ops[++nops] = op
    nws = 0
    for (w in seenW) {
      for (j = ++nws; j > 1 && ws[j - 1] + 0 > w + 0; j--) ws[j] = ws[j - 1]
      ws[j] = w
    }
    oracleName = toupper(oracle)
    printf "Vantrel time / %s time (median CPU time; %s)\n\n", oracleName, title
    printf "| operation |"; for (j = 1; j <= nws; j++) printf " %s |", ws[j]; printf "\n"
    printf "|---|"; for (j = 1; j <= nws; j++) printf "---:|"; printf "\n"
    for (i = 1; i <= nops; i++) {
      printf "| %s |", ops[i]
      for (j = 1; j <= nws; j++) {
        a = t[ours, ops[i], ws[j]]; b = t[oracle, ops[i], ws[j]]
        if (a > 0 && b > 0) printf " %.2f |", a / b; else printf " - |"
      }
      printf "\n"
    }
    printf "\nTimes in ns, Vantrel / %s\n\n", oracleName
    printf "| operation |"; for (j = 1; j <= nws; j++) printf " %s |", ws[j]; printf "\n"
    printf "|---|"; for (j = 1; j <= nws; j++) printf "---:|"; printf "\n"
    for (i = 1; i <= nops; i++) {
      printf "| %s |", ops[i]
      for (j = 1; j <= nws; j++) printf " %.0f / %.0f |", t[ours, ops[i], ws[j]], t[oracle, ops[i], ws[j]]
      printf "\n"
    }
  }' "$json"
}

ratios bench_mb mb gmp "words of 32 bits; div and divRem: 2n-word dividend, n-word divisor" \
  "add mul div divRem mbShiftLeft mbShiftRight" "$@"
printf "\n"
ratios bench_numtheory mb gmp "operands of the given bits; powerMod: base, exponent and odd modulus of that size; isItPrime: a prime, 10 Miller-Rabin trials beside GMP's mpz_probab_prime_p with 34 reps (its Baillie-PSW test, then 10 Miller-Rabin rounds)" \
  "sqrt gcd powerMod isItPrime" "$@"
printf "\n"
ratios bench_text mb gmp "numbers of the given decimal digits; mb2Str beside mpz_get_str into a kept buffer, mbConvFromStr beside mpz_set_str, base 10" \
  "mb2Str mbConvFromStr" "$@"
printf "\n"
ratios bench_fp fp mpfr "blockPrec in words of 32 bits, MPFR at 32 bits per word rounding to nearest; random positive mantissas of blockPrec words, add operands 3 bits apart in exponent" \
  "add mul div" "$@"
printf "\n"
ratios bench_fpfuncs fp mpfr "blockPrec in words of 32 bits, MPFR at 32 bits per word rounding to nearest; one fixed full-precision argument per function inside its domain" \
  "sqrt log exp pow sin cos tan atan atan2 asin acos sinh cosh tanh asinh acosh atanh" "$@"
printf "\n"
ratios bench_gamma fp mpfr "blockPrec in words of 32 bits, decPrec 16, MPFR at 32 bits per word; Gamma_20000_5 is Gamma(20000.5) by Spouge's formula, LnFactorial_1e8 beside mpfr_lngamma(10^8 + 1), loadNumbers beside mpfr_set_str of the same 1002 texts" \
  "Gamma_20 Gamma_1000 Gamma_20000 Gamma_20000_5 LnFactorial_1e8 loadNumbers" "$@"
