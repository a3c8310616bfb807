// Floating-point arithmetic timed beside MPFR on the same operands in the same run: add,
// mul and div at blockPrec 5 and 33 words, MPFR at 32 bits per word, rounding to nearest.
// Each result is checked against MPFR's once the loop ends.
#include <benchmark/benchmark.h>
#include <gmp.h>
#include <mpfr.h>

#include <cstdint>

#include "bench_fp_common.h"
#include "fp.h"
#include "fpMath.h"

namespace {

using namespace bench;

// The add operands' exponents differ by a few bits, so the sum needs an aligning shift
// and a rounding, and still overlaps in every word.
constexpr int32 kExponentGap = 3;

// Operands of blockPrec words with random positive mantissas, in both representations.
struct Operands {
    PrecScope prec;
    fp x, y;
    MpfrVar mx, my;
    explicit Operands(int32 words) : prec(words), mx(bitsOf(words)), my(bitsOf(words)) {
        auto w = static_cast<std::uint64_t>(words);
        randomWords(x.mantissa, words, 0xF9A00001u + w);
        randomWords(y.mantissa, words, 0xF9B00001u + w);
        x.exponent = -32 * words;
        y.exponent = x.exponent - kExponentGap;
        toMpfr(mx.v, x);
        toMpfr(my.v, y);
    }
};

// Whether the timed result is within one unit in the last place, at the benchmark's
// precision, of MPFR's: we round half away from zero at a word boundary, MPFR to nearest
// at the bit, so the two may differ by that much and no more.
void check(benchmark::State& state, fp const& got, mpfr_srcptr want) {
    mpfr_prec_t bits = mpfr_get_prec(want);
    MpfrVar g(bits), d(bits + 64);
    toMpfr(g.v, got);
    mpfr_sub(d.v, g.v, want, MPFR_RNDN);  // exact: both lie on grids within a factor two
    mpfr_abs(d.v, d.v, MPFR_RNDN);
    if (mpfr_zero_p(want) || mpfr_cmp_ui_2exp(d.v, 1, mpfr_get_exp(want) - bits) > 0)
        state.SkipWithError("result differs from MPFR's by more than one ulp");
}

// Times run(z) on a result record kept outside the loop, then checks z against what
// expect(w) leaves in w.
template <typename Run, typename Expect>
void timeFp(benchmark::State& state, Run run, Expect expect) {
    fp z;
    for (auto _ : state) {
        run(z);
        benchmark::DoNotOptimize(z.mantissa.blocks);
        benchmark::ClobberMemory();
    }
    MpfrVar w(bitsOf(blockPrec));
    expect(w.v);
    check(state, z, w.v);
}

// Times run(z) on an MPFR result kept outside the loop.
template <typename Run>
void timeMpfr(benchmark::State& state, mpfr_prec_t bits, Run run) {
    MpfrVar z(bits);
    for (auto _ : state) {
        run(z.v);
        benchmark::DoNotOptimize(z.v);
        benchmark::ClobberMemory();
    }
}

int32 words(benchmark::State const& state) { return static_cast<int32>(state.range(0)); }

// ---- add ----

void fp_add(benchmark::State& state) {
    Operands op(words(state));
    timeFp(state, [&](fp& z) { add(z, op.x, op.y); }, [&](mpfr_ptr w) { mpfr_add(w, op.mx.v, op.my.v, MPFR_RNDN); });
}

void ref_add(benchmark::State& state) {
    Operands op(words(state));
    timeMpfr(state, bitsOf(words(state)), [&](mpfr_ptr z) { mpfr_add(z, op.mx.v, op.my.v, MPFR_RNDN); });
}

// ---- mul ----

void fp_mul(benchmark::State& state) {
    Operands op(words(state));
    timeFp(state, [&](fp& z) { mul(z, op.x, op.y); }, [&](mpfr_ptr w) { mpfr_mul(w, op.mx.v, op.my.v, MPFR_RNDN); });
}

void ref_mul(benchmark::State& state) {
    Operands op(words(state));
    timeMpfr(state, bitsOf(words(state)), [&](mpfr_ptr z) { mpfr_mul(z, op.mx.v, op.my.v, MPFR_RNDN); });
}

// ---- div ----

void fp_div(benchmark::State& state) {
    Operands op(words(state));
    bool done = true;
    timeFp(state, [&](fp& z) { done = div(z, op.x, op.y) && done; },
           [&](mpfr_ptr w) { mpfr_div(w, op.mx.v, op.my.v, MPFR_RNDN); });
    if (!done) state.SkipWithError("division refused");
}

void ref_div(benchmark::State& state) {
    Operands op(words(state));
    timeMpfr(state, bitsOf(words(state)), [&](mpfr_ptr z) { mpfr_div(z, op.mx.v, op.my.v, MPFR_RNDN); });
}

// blockPrec in 32-bit words; MPFR gets 32 bits per word.
void sizes(benchmark::internal::Benchmark* b) {
    b->ArgName("words");
    for (int n : {5, 33}) b->Arg(n);
}

}  // namespace

BENCHMARK(fp_add)->Apply(sizes);
// Reported under MPFR's names; in C++ those names would hide MPFR's own functions.
BENCHMARK(ref_add)->Name("mpfr_add")->Apply(sizes);
BENCHMARK(fp_mul)->Apply(sizes);
BENCHMARK(ref_mul)->Name("mpfr_mul")->Apply(sizes);
BENCHMARK(fp_div)->Apply(sizes);
BENCHMARK(ref_div)->Name("mpfr_div")->Apply(sizes);

BENCHMARK_MAIN();
