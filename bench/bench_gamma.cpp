// The gamma family timed beside MPFR in the same run, at blockPrec 5 and 16 words (MPFR at
// 32 bits per word, rounding to nearest), decPrec at its default 16: Gamma at 20, 1000,
// 20000 (the product) and 20000.5 (Spouge's formula) beside mpfr_gamma; LnFactorial at
// 10^8 (Stirling's series, the Bernoulli table already loaded) beside mpfr_lngamma of
// 10^8 + 1; and the one-time loadNumbers (1002 decimal texts to fp) beside mpfr_set_str
// of the same texts. Each result is checked against MPFR's once the loop ends.
#include <benchmark/benchmark.h>
#include <gmp.h>
#include <mpfr.h>

#include <cmath>
#include <string>
#include <vector>

#include "bench_common.h"
#include "fp.h"
#include "fpConv.h"
#include "fpMath.h"
#include "myGammaFunctions.h"
#include "theBernoulliNumbers.h"

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

int32 words(benchmark::State const& state) { return static_cast<int32>(state.range(0)); }
mpfr_prec_t bitsOf(int32 n) { return static_cast<mpfr_prec_t>(32 * n); }

// r := x exactly.
void toMpfr(mpfr_ptr r, fp const& x) {
    int32 n = x.mantissa.length < 0 ? -x.mantissa.length : x.mantissa.length;
    mpfr_set_prec(r, bitsOf(n < 1 ? 1 : n));
    MpzVar m;
    toMpz(m.v, x.mantissa);
    mpfr_set_z_2exp(r, m.v, x.exponent, MPFR_RNDN);
}

// Whether got agrees with want to 10^-15 relative: a benchmark of a wrong answer is
// worthless. (Spouge's formula at decPrec 16 is good to about 10^-22; the tests hold
// every path to its measured bound.)
void check(benchmark::State& state, fp const& got, mpfr_srcptr want) {
    MpfrVar g(64), d(64);
    toMpfr(g.v, got);
    mpfr_sub(d.v, g.v, want, MPFR_RNDN);
    mpfr_div(d.v, d.v, want, MPFR_RNDN);
    if (!(std::fabs(mpfr_get_d(d.v, MPFR_RNDN)) < 1e-15)) state.SkipWithError("result differs from MPFR's");
}

// Times f(z, x) at the benchmark's precision; mpfrF is MPFR's counterpart on x + shift.
template <typename F, typename MpfrF>
void timeFp(benchmark::State& state, double xd, F f, MpfrF mpfrF, unsigned long shift = 0) {
    PrecScope prec(words(state));
    fp x, z;
    equate(x, xd);
    f(z, x);  // a first call fills the caches (constants, the Bernoulli table)
    for (auto _ : state) {
        f(z, x);
        benchmark::DoNotOptimize(z.mantissa.blocks);
        benchmark::ClobberMemory();
    }
    MpfrVar mx(64), w(bitsOf(words(state)));
    toMpfr(mx.v, x);
    mpfr_prec_round(mx.v, mpfr_get_prec(mx.v) + 64, MPFR_RNDN);
    mpfr_add_ui(mx.v, mx.v, shift, MPFR_RNDN);
    mpfrF(w.v, mx.v);
    check(state, z, w.v);
}

template <typename MpfrF>
void timeMpfr(benchmark::State& state, double xd, MpfrF mpfrF, unsigned long shift = 0) {
    MpfrVar x(bitsOf(words(state)) + 64), z(bitsOf(words(state)));
    mpfr_set_d(x.v, xd, MPFR_RNDN);
    mpfr_add_ui(x.v, x.v, shift, MPFR_RNDN);
    for (auto _ : state) {
        mpfrF(z.v, x.v);
        benchmark::DoNotOptimize(z.v);
        benchmark::ClobberMemory();
    }
}

void gammaFp(fp& z, fp const& x) { Gamma(z, x); }
void lnFactorialFp(fp& z, fp const& x) { LnFactorial(z, x); }
void gammaMpfr(mpfr_ptr z, mpfr_srcptr x) { mpfr_gamma(z, x, MPFR_RNDN); }
void lngammaMpfr(mpfr_ptr z, mpfr_srcptr x) { mpfr_lngamma(z, x, MPFR_RNDN); }

#define VANTREL_GAMMA_BENCH(name, x)                                                              \
    void fp_##name(benchmark::State& state) { timeFp(state, x, gammaFp, gammaMpfr); }             \
    void ref_##name(benchmark::State& state) { timeMpfr(state, x, gammaMpfr); }
VANTREL_GAMMA_BENCH(Gamma_20, 20.0)
VANTREL_GAMMA_BENCH(Gamma_1000, 1000.0)
VANTREL_GAMMA_BENCH(Gamma_20000, 20000.0)
VANTREL_GAMMA_BENCH(Gamma_20000_5, 20000.5)
#undef VANTREL_GAMMA_BENCH

void fp_LnFactorial_1e8(benchmark::State& state) { timeFp(state, 1e8, lnFactorialFp, lngammaMpfr, 1); }
void ref_LnFactorial_1e8(benchmark::State& state) { timeMpfr(state, 1e8, lngammaMpfr, 1); }

// The table's texts, as loadNumbers reads them, recovered from an exact load at 200 words.
std::vector<std::string> const& tableTexts() {
    static std::vector<std::string> texts;
    if (texts.empty()) {
        PrecScope prec(200);
        std::vector<fp> num(kBernoulliEntries), den(kBernoulliEntries);
        loadNumbers(num.data(), den.data());
        MpzVar m;
        for (int k = 0; k < kBernoulliEntries; ++k) {
            for (fp const* v : {&num[k], &den[k]}) {
                toMpz(m.v, v->mantissa);
                mpz_mul_2exp(m.v, m.v, static_cast<mp_bitcnt_t>(v->exponent));  // integers: exponent >= 0
                std::string t(mpz_sizeinbase(m.v, 10) + 2, '\0');
                mpz_get_str(&t[0], 10, m.v);
                t.resize(t.find('\0'));
                texts.push_back(t);
            }
        }
    }
    return texts;
}

void fp_loadNumbers(benchmark::State& state) {
    PrecScope prec(words(state));
    std::vector<fp> num(kBernoulliEntries), den(kBernoulliEntries);
    for (auto _ : state) {
        loadNumbers(num.data(), den.data());
        benchmark::DoNotOptimize(num.data());
        benchmark::ClobberMemory();
    }
    MpfrVar w(bitsOf(words(state)));
    mpfr_set_str(w.v, tableTexts()[2 * 500].c_str(), 10, MPFR_RNDN);
    check(state, num[500], w.v);
}

void ref_loadNumbers(benchmark::State& state) {
    std::vector<std::string> const& texts = tableTexts();
    std::vector<__mpfr_struct> out(texts.size());
    for (__mpfr_struct& v : out) mpfr_init2(&v, bitsOf(words(state)));
    for (auto _ : state) {
        for (size_t i = 0; i < texts.size(); ++i) mpfr_set_str(&out[i], texts[i].c_str(), 10, MPFR_RNDN);
        benchmark::ClobberMemory();
    }
    for (__mpfr_struct& v : out) mpfr_clear(&v);
}

void sizes(benchmark::internal::Benchmark* b) {
    b->ArgName("words");
    for (int n : {5, 16}) b->Arg(n);
    b->Unit(benchmark::kMicrosecond);
}

}  // namespace

BENCHMARK(fp_Gamma_20)->Apply(sizes);
BENCHMARK(ref_Gamma_20)->Name("mpfr_Gamma_20")->Apply(sizes);
BENCHMARK(fp_Gamma_1000)->Apply(sizes);
BENCHMARK(ref_Gamma_1000)->Name("mpfr_Gamma_1000")->Apply(sizes);
BENCHMARK(fp_Gamma_20000)->Apply(sizes);
BENCHMARK(ref_Gamma_20000)->Name("mpfr_Gamma_20000")->Apply(sizes);
BENCHMARK(fp_Gamma_20000_5)->Apply(sizes);
BENCHMARK(ref_Gamma_20000_5)->Name("mpfr_Gamma_20000_5")->Apply(sizes);
BENCHMARK(fp_LnFactorial_1e8)->Apply(sizes);
BENCHMARK(ref_LnFactorial_1e8)->Name("mpfr_LnFactorial_1e8")->Apply(sizes);
BENCHMARK(fp_loadNumbers)->Apply(sizes);
BENCHMARK(ref_loadNumbers)->Name("mpfr_loadNumbers")->Apply(sizes);

BENCHMARK_MAIN();
