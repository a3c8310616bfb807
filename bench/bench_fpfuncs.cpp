// The elementary functions of fp timed beside MPFR's on the same argument in the same
// run, at blockPrec 2, 5 and 12 words and MPFR at 32 bits per word, rounding to nearest.
// Arguments are fixed values of full precision inside each function's domain; each
// result is checked against MPFR's once the loop ends.
#include <benchmark/benchmark.h>
#include <gmp.h>
#include <mpfr.h>

#include <cstdint>

#include "bench_common.h"
#include "fp.h"
#include "fpFuncs.h"
#include "fpMath.h"

namespace {

using namespace bench;

struct MpfrVar {
    mpfr_t v;
    explicit MpfrVar(mpfr_prec_t bits) { mpfr_init2(v, bits); }
    ~MpfrVar() { mpfr_clear(v); }
    MpfrVar(MpfrVar const&) = delete;
    MpfrVar& operator=(MpfrVar const&) = delete;
};

class PrecScope {
public:
    explicit PrecScope(int32 words) : saved_(getBlockPrec()) { setBlockPrec(words); }
    ~PrecScope() { setBlockPrec(saved_); }
    PrecScope(PrecScope const&) = delete;
    PrecScope& operator=(PrecScope const&) = delete;

private:
    int saved_;
};

mpfr_prec_t bitsOf(int32 words) { return static_cast<mpfr_prec_t>(32 * words); }

void toMpfr(mpfr_ptr r, fp const& x) {
    int32 n = x.mantissa.length < 0 ? -x.mantissa.length : x.mantissa.length;
    mpfr_set_prec(r, bitsOf(n < 1 ? 1 : n));
    MpzVar m;
    toMpz(m.v, x.mantissa);
    mpfr_set_z_2exp(r, m.v, x.exponent, MPFR_RNDN);
}

// A full-precision argument: `scale` (a power of two) times a random mantissa in [1, 2).
struct Arg {
    PrecScope prec;
    fp x;
    MpfrVar mx;
    Arg(int32 words, int scale, bool negative) : prec(words), mx(bitsOf(words)) {
        randomWords(x.mantissa, words, 0xF0F0F00Du + static_cast<std::uint64_t>(words));
        x.mantissa.blocks[words - 1] |= 0x80000000u;
        if (negative) x.mantissa.length = -x.mantissa.length;
        x.exponent = scale - 32 * words + 1;
        toMpfr(mx.v, x);
    }
};

// Whether the timed result is within 2^36 units in the last place of MPFR's, at the
// magnitude of the result or of 1 if larger: the functions may drop a word at the
// working precision and sin reduces by pi there (see the accuracy test); a wrong
// answer is still far off.
void check(benchmark::State& state, fp const& got, mpfr_srcptr want) {
    mpfr_prec_t bits = mpfr_get_prec(want);
    MpfrVar g(bits), d(bits + 64);
    toMpfr(g.v, got);
    mpfr_sub(d.v, g.v, want, MPFR_RNDN);
    mpfr_abs(d.v, d.v, MPFR_RNDN);
    if (mpfr_zero_p(want) || mpfr_cmp_ui_2exp(d.v, 1, (mpfr_get_exp(want) > 1 ? mpfr_get_exp(want) : 1) - bits + 36) > 0)
        state.SkipWithError("result differs from MPFR's");
}

using Ours = void (*)(fp&, fp const&);
using Theirs = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);

// argument magnitude 2^scale, sign
template <Ours f, Theirs g, int scale, bool negative>
void ours(benchmark::State& state) {
    Arg a(static_cast<int32>(state.range(0)), scale, negative);
    fp z;
    for (auto _ : state) {
        f(z, a.x);
        benchmark::DoNotOptimize(z.mantissa.blocks);
        benchmark::ClobberMemory();
    }
    MpfrVar w(bitsOf(blockPrec));
    g(w.v, a.mx.v, MPFR_RNDN);
    check(state, z, w.v);
}

template <Ours f, Theirs g, int scale, bool negative>
void theirs(benchmark::State& state) {
    Arg a(static_cast<int32>(state.range(0)), scale, negative);
    MpfrVar z(bitsOf(blockPrec));
    for (auto _ : state) {
        g(z.v, a.mx.v, MPFR_RNDN);
        benchmark::DoNotOptimize(z.v);
        benchmark::ClobberMemory();
    }
}

void ourSqrt(fp& z, fp const& x) { sqrt(z, x); }
void ourLog(fp& z, fp const& x) { log(z, x); }
void ourExp(fp& z, fp const& x) { exp(z, x); }
void ourSin(fp& z, fp const& x) { sin(z, x); }
void ourCos(fp& z, fp const& x) { cos(z, x); }
void ourTan(fp& z, fp const& x) { tan(z, x); }
void ourAtan(fp& z, fp const& x) { atan(z, x); }
void ourAsin(fp& z, fp const& x) { asin(z, x); }
void ourAcos(fp& z, fp const& x) { acos(z, x); }
void ourSinh(fp& z, fp const& x) { sinh(z, x); }
void ourCosh(fp& z, fp const& x) { cosh(z, x); }
void ourTanh(fp& z, fp const& x) { tanh(z, x); }
void ourAsinh(fp& z, fp const& x) { asinh(z, x); }
void ourAcosh(fp& z, fp const& x) { acosh(z, x); }
void ourAtanh(fp& z, fp const& x) { atanh(z, x); }
// x^y with y = x: both full precision, the fractional path
void ourPow(fp& z, fp const& x) { pow(z, x, x); }
int mpfrPow(mpfr_ptr z, mpfr_srcptr x, mpfr_rnd_t r) { return mpfr_pow(z, x, x, r); }
// atan2(x, 1.5 x): the quotient path
void ourAtan2(fp& z, fp const& x) { atan2(z, x, x * 1.5); }
int mpfrAtan2(mpfr_ptr z, mpfr_srcptr x, mpfr_rnd_t r) {
    MpfrVar t(mpfr_get_prec(x) + 2);
    mpfr_mul_d(t.v, x, 1.5, MPFR_RNDN);
    return mpfr_atan2(z, x, t.v, r);
}
void sizes(benchmark::internal::Benchmark* b) {
    b->ArgName("words");
    for (int n : {2, 5, 12}) b->Arg(n);
}

}  // namespace

#define VANTREL_BENCH_FN(name, f, g, scale, negative)                              \
    BENCHMARK(ours<f, g, scale, negative>)->Name("fp_" name)->Apply(sizes);       \
    BENCHMARK(theirs<f, g, scale, negative>)->Name("mpfr_" name)->Apply(sizes);

// Arguments: magnitude 2^scale times [1, 2), inside each domain, away from shortcuts.
VANTREL_BENCH_FN("sqrt", ourSqrt, mpfr_sqrt, 1, false)
VANTREL_BENCH_FN("log", ourLog, mpfr_log, 3, false)
VANTREL_BENCH_FN("exp", ourExp, mpfr_exp, 2, false)
VANTREL_BENCH_FN("pow", ourPow, mpfrPow, 1, false)
VANTREL_BENCH_FN("sin", ourSin, mpfr_sin, 1, false)
VANTREL_BENCH_FN("cos", ourCos, mpfr_cos, 1, false)
VANTREL_BENCH_FN("tan", ourTan, mpfr_tan, 0, false)
VANTREL_BENCH_FN("atan", ourAtan, mpfr_atan, 1, false)
VANTREL_BENCH_FN("atan2", ourAtan2, mpfrAtan2, 0, false)
VANTREL_BENCH_FN("asin", ourAsin, mpfr_asin, -1, false)
VANTREL_BENCH_FN("acos", ourAcos, mpfr_acos, -1, false)
VANTREL_BENCH_FN("sinh", ourSinh, mpfr_sinh, 0, false)
VANTREL_BENCH_FN("cosh", ourCosh, mpfr_cosh, 0, false)
VANTREL_BENCH_FN("tanh", ourTanh, mpfr_tanh, 0, false)
VANTREL_BENCH_FN("asinh", ourAsinh, mpfr_asinh, 0, false)
VANTREL_BENCH_FN("acosh", ourAcosh, mpfr_acosh, 1, false)
VANTREL_BENCH_FN("atanh", ourAtanh, mpfr_atanh, -2, false)

BENCHMARK_MAIN();
