// The gamma-function family against MPFR: Gamma on each of its paths, the incomplete gamma
// functions and LnFactorial within measured error bounds per precision; TenToLogTenFactorial
// against GMP's exact factorial and MPFR's lngamma; poles, limits, failures and aliasing;
// and blockPrec and decPrec as they were after every call.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "fpConv.h"
#include "fpFuncs.h"
#include "fpMath.h"
#include "fp_oracle.h"
#include "myGammaFunctions.h"

namespace {

using namespace oracle;

template <typename F>
void keepsPrec(F f) {
    int32 bp = blockPrec, dp = decPrec;
    f();
    EXPECT_TRUE(blockPrec == bp && decPrec == dp) << blockPrec << ", " << decPrec;
}

fp val(double d) {
    fp x;
    equate(x, d);
    return x;
}

bool isZero(fp const& x) { return x.mantissa.length == 0; }

// |got - want| / |want| * 2^(32 B): between half and one unit in the last place of a full
// B-word mantissa.
double units(fp const& got, mpfr_srcptr want, int32 B) {
    if (isZero(got)) return mpfr_zero_p(want) ? 0.0 : HUGE_VAL;
    Mpfr g(64), d(mpfr_get_prec(want) + 64);
    exactMpfr(g.get(), got);
    mpfr_sub(d.get(), g.get(), want, MPFR_RNDN);
    mpfr_div(d.get(), d.get(), want, MPFR_RNDN);
    mpfr_mul_2si(d.get(), d.get(), 32 * B, MPFR_RNDN);
    return std::fabs(mpfr_get_d(d.get(), MPFR_RNDN));
}

// Fixed arguments, then `count` more from a fixed seed: multiples of 1/64 (whole numbers
// when `whole`), uniform or, with `logScale`, uniform in the exponent.
std::vector<double> args(std::vector<double> v, double lo, double hi, unsigned seed, bool whole = false,
                         bool logScale = false, int count = 6) {
    std::mt19937_64 gen(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int i = 0; i < count; ++i) {
        double r = logScale ? lo * std::pow(hi / lo, u(gen)) : lo + (hi - lo) * u(gen);
        v.push_back(whole ? std::floor(r) : std::floor(r * 64) / 64);
    }
    return v;
}

enum class Fn { Gamma, LnFactorial, Lower, Upper };

// A function over arguments (the incomplete ones over every pair a, x) at decPrec `dec`,
// and its bound per precision: about four times the largest error measured, run alone and
// after the others (the cached constants and Bernoulli table keep their first precision).
struct Case {
    char const* name;
    Fn fn;
    int dec;
    std::vector<double> x, a;
    std::vector<std::pair<int32, double>> bounds;
};

std::vector<double> const kIncX = args({0.5, 1, 5, 30, 100, 300}, 1, 300, 7, false, false, 3);
std::vector<double> const kIncA = args({0.5, 1, 1.5, 2.75, 10.25}, 0.25, 12, 8, false, false, 3);
std::vector<double> const kSpougeX =
    args({20000.5, 30000, 100000.25, 1e6 + 0.5, 5e7, 8.2e7 + 0.5, 8.6e7}, 2e4, 8.6e7, 4, false, true);

std::vector<Case> const kCases = {
    {"Gamma, integer x (product)", Fn::Gamma, 16, args({1, 2, 5, 20, 21, 35, 170, 1000, 5001, 19999, 20000}, 1, 20001, 1, true),
     {0}, {{2, 512}, {5, 600}, {16, 400}}},
    {"Gamma, fractional 1 < x < 20000", Fn::Gamma, 16, args({1.5, 2.25, 7.75, 35.125, 100.25, 1234.375, 19999.5}, 1, 20000, 2),
     {0}, {{2, 6e3}, {5, 8e6}, {16, 3e8}}},
    {"Gamma, x < 1 (shifted up)", Fn::Gamma, 16, args({0.5, 0.125, 0.96875, -0.5, -1.25, -7.75, -100.5, -1000.375}, -1000, 1, 3),
     {0}, {{2, 4e-5}, {5, 0.05}, {16, 4e8}}},
    {"Gamma, x > 20000 (Spouge)", Fn::Gamma, 16, kSpougeX, {0}, {{2, 1.2e9}, {5, 2e26}}},
    {"Gamma, x > 20000 (Spouge)", Fn::Gamma, 48, kSpougeX, {0}, {{5, 5e8}}},
    {"LnFactorial, x <= 1e7 (log of Gamma)", Fn::LnFactorial, 16,
     args({0.5, 2, 3, 10.5, 1000, 19999, 123456.5, 1e7}, 0.25, 1e7, 5, false, true), {0}, {{2, 1.1e11}, {5, 4e20}}},
    {"LnFactorial, x > 1e7 (Stirling series)", Fn::LnFactorial, 16,
     args({1e7 + 1, 1e8, 123456789012.0, 1e20, 1e100, 1e300}, 1e7, 1e15, 6, false, true), {0},
     {{2, 8e-11}, {5, 8e-11}, {16, 8e-11}}},
    {"smallIncompleteGamma", Fn::Lower, 16, kIncX, kIncA, {{2, 200}, {5, 256}, {16, 256}}},
    {"largeIncompleteGamma", Fn::Upper, 16, kIncX, kIncA, {{2, 200}, {5, 6e-8}, {16, 5e-66}}},
};

void measure(Case const& c, int32 B, double bound) {
    MpfrRange range;
    PrecScope prec(B);
    int savedDec = decPrec;
    decPrec = c.dec;
    double worst = 0;
    for (double av : c.a) {
        for (double xv : c.x) {
            fp x = val(xv), a = val(av), z;
            Mpfr mx(64), ma(64), w(32 * B + 256), t(32 * B + 256);
            exactMpfr(mx.get(), x);
            exactMpfr(ma.get(), a);
            keepsPrec([&] {
                switch (c.fn) {
                    case Fn::Gamma: Gamma(z, x), mpfr_gamma(w.get(), mx.get(), MPFR_RNDN); break;
                    case Fn::LnFactorial:
                        EXPECT_TRUE(LnFactorial(z, x)) << xv;
                        mpfr_add_ui(mx.get(), mx.get(), 1, MPFR_RNDN);  // exact where the 1 matters
                        mpfr_lngamma(w.get(), mx.get(), MPFR_RNDN);
                        break;
                    case Fn::Lower:  // gamma(a, x) = Gamma(a) - Gamma(a, x)
                        smallIncompleteGamma(z, a, x);
                        mpfr_gamma(w.get(), ma.get(), MPFR_RNDN);
                        mpfr_gamma_inc(t.get(), ma.get(), mx.get(), MPFR_RNDN);
                        mpfr_sub(w.get(), w.get(), t.get(), MPFR_RNDN);
                        break;
                    case Fn::Upper: largeIncompleteGamma(z, a, x), mpfr_gamma_inc(w.get(), ma.get(), mx.get(), MPFR_RNDN); break;
                }
            });
            worst = std::fmax(worst, units(z, w.get(), B));
        }
    }
    decPrec = savedDec;
    EXPECT_LE(worst, bound) << c.name << " at " << B << " words, decPrec " << c.dec;
    if (std::getenv("VANTREL_GAMMA_REPORT") != nullptr)
        std::printf("| %s | %d | %d | %.3g | %.3g |\n", c.name, B, c.dec, worst, bound);
}

// The largest error of each case at each precision. VANTREL_GAMMA_REPORT=1 prints them.
TEST(Gamma, EveryPathWithinItsMeasuredBound) {
    for (Case const& c : kCases)
        for (auto [B, bound] : c.bounds) measure(c, B, bound);
}

// Exact values, poles and limits, the paths (product to 20000, Spouge above, x < 1 shifted
// up), the step-limit refusals of the incomplete functions, LnFactorial's failures and
// aliasing. Every call keeps blockPrec and decPrec.
TEST(Gamma, ValuesPolesLimitsPathsAndAliasing) {
    PrecScope prec(5);
    auto same = [](fp const& a, fp const& b) { return compare(a, b) == 0; };
    EXPECT_TRUE(same(Gamma(5.0), val(24)) && same(Gamma(1.0), val(1)) && same(Gamma(val(2)), val(1)) &&
                same(Gamma(21.0), fp("2432902008176640000")) && same(factorial(4.0), val(24)) &&
                same(factorial(val(4)), val(24)) && same(LnFactorial(val(3)), log(val(6))));
    EXPECT_TRUE(same(Gamma(-0.5) / sqrt(Pi()), val(-2)));  // -2 sqrt(pi) to its last word
    // poles; |x| > 8.61e7, a non-integer at or below -2^31 among them
    for (double x : {0.0, -1.0, -3.0, -2147483648.0, -1e12, 86100001.0, 1e300, -86100000.5, -2147483648.5, -1e300})
        keepsPrec([&] { EXPECT_TRUE(isZero(Gamma(x))) << x; });
    EXPECT_FALSE(isZero(Gamma(86100000.0)));
    EXPECT_TRUE(sameFp(Gamma(20000.5), GammaSpouge(val(20000.5))));
    EXPECT_FALSE(sameFp(Gamma(20000.0), GammaSpouge(val(20000))));
    EXPECT_FALSE(sameFp(Gamma(19999.5), GammaSpouge(val(19999.5))));
    // Domains, and work that would take hours refused as 0: the series when x passes a by
    // more than 10^7, the fraction after 10^6 steps (x = 10^-4 needs more); just inside, a value.
    // 1: zero, 0: a value, -1: no claim
    for (auto [a, x, lower, upper] : {std::tuple{0.0, 2.0, 1, 0}, {-1.5, 2.0, 1, 0}, {2.0, -1.0, 1, 1}, {2.0, 0.0, 1, 1},
                                      {1.5, 1e9, 1, -1}, {1.5, 1e15, 1, -1}, {1.5, 1e4, 0, -1}, {1.5, 1e-4, -1, 1}}) {
        fp z = val(3), Z = val(3);
        keepsPrec([&] { smallIncompleteGamma(z, val(a), val(x)), largeIncompleteGamma(Z, val(a), val(x)); });
        EXPECT_TRUE((lower < 0 || isZero(z) == (lower == 1)) && (upper < 0 || isZero(Z) == (upper == 1))) << a << ", " << x;
    }
    fp a = val(2.75), x = val(3.5), g, G;
    smallIncompleteGamma(g, a, x);
    largeIncompleteGamma(G, a, x);
    MpfrRange range;
    Mpfr w(32 * 5 + 64);
    mpfr_set_d(w.get(), 2.75, MPFR_RNDN);
    mpfr_gamma(w.get(), w.get(), MPFR_RNDN);
    EXPECT_LE(units(g + G, w.get(), 5), 4.0);  // gamma(a, x) + Gamma(a, x) = Gamma(a)
    for (int i = 0; i < 4; ++i) {
        fp z = i % 2 == 0 ? a : x;
        (i < 2 ? smallIncompleteGamma : largeIncompleteGamma)(z, i % 2 == 0 ? z : a, i % 2 == 0 ? x : z);
        EXPECT_TRUE(sameFp(z, i < 2 ? g : G)) << i;
    }
    fp z = val(3);
    keepsPrec([&] { factorial(z, -1.0); });
    EXPECT_TRUE(isZero(z));
    for (auto [v, f] : {std::pair{6.0, 0}, {7.0, 1}, {20000.5, 2}, {3.5, 3}, {2e7, 3}}) {
        fp y = val(v);
        bool ok = true;
        keepsPrec([&, f = f] { f == 0 ? factorial(y, y) : f == 1 ? Gamma(y, y) : f == 2 ? GammaSpouge(y, y) : (void)(ok = LnFactorial(y, y)); });
        EXPECT_TRUE(ok && sameFp(y, f == 0 ? factorial(val(v)) : f == 3 ? LnFactorial(val(v)) : Gamma(v))) << v;
    }
    struct {
        fp x;
        bool ok, zero;
    } const cases[] = {{val(0), true, true},           {val(1), true, true},           {val(-1), false, true},
                       {fp("1e10000001"), false, true}, {fp("8e10000000"), true, false}, {val(3), true, false}};
    for (auto const& c : cases) {
        bool ok = !c.ok;
        keepsPrec([&] { ok = LnFactorial(z, c.x); });
        EXPECT_TRUE(ok == c.ok && isZero(z) == c.zero) << show(c.x);
    }
    // beyond 10^10000 the series is left out, below it summed
    for (char const* big : {"1e9999", "1e10001"}) {
        fp y(big);
        EXPECT_TRUE(LnFactorial(z, y));
        Mpfr my(64);
        exactMpfr(my.get(), y);
        mpfr_add_ui(my.get(), my.get(), 1, MPFR_RNDN);
        mpfr_lngamma(w.get(), my.get(), MPFR_RNDN);
        EXPECT_LE(units(z, w.get(), 5), 4.0) << big;
    }
    PrecScope wide(545);  // 500 terms no longer settle the series just above 10^7
    bool ok = true;
    keepsPrec([&] { ok = LnFactorial(z, val(10000001)); });
    EXPECT_TRUE(!ok && z > 1e8);
}

// "MeX" with M in [1, 10) and log10(M 10^X) within 10^(3 - digits of M) of the edges'
// values, of log10 n! from the exact n! (with X its digit count less one) or from lngamma.
TEST(TenToLogTenFactorial, EdgesAndTheExactFactorial) {
    PrecScope prec(5);
    for (auto [x, want, okAfter] : {std::tuple{fp("-2"), "0", true}, {val(0), "1", true}, {val(1), "1", true},
                                    {fp("1e10000001"), "0", false}}) {
        bool ok = true;
        char* s = nullptr;
        keepsPrec([&] { s = TenToLogTenFactorial(x, ok); });
        EXPECT_STREQ(s, want);
        EXPECT_EQ(ok, okAfter);  // untouched but for the refused 10^10000001
        std::free(s);
    }
    for (double n : {2.0, 10.0, 25.0, 100.0, 1000.0, 3000.0, 19999.0, 1e8, 123456789012.0, 1e30}) {
        bool ok = false;
        char* s = nullptr;
        keepsPrec([&] { s = TenToLogTenFactorial(val(n), ok); });
        std::string text(s), mantissa = text.substr(0, text.find('e'));
        std::free(s);
        ASSERT_TRUE(ok && text.find('e') != std::string::npos) << n << ": " << text;
        Mpfr mx(64), lg(256), m(256), ln10(256);
        if (n < 1e5) {
            Mpz f;
            mpz_fac_ui(f, static_cast<unsigned long>(n));
            mpfr_set_z(lg.get(), f, MPFR_RNDN);
            mpfr_log10(lg.get(), lg.get(), MPFR_RNDN);
            EXPECT_EQ(std::atol(text.c_str() + mantissa.size() + 1), static_cast<long>(f.str().size()) - 1);
        } else {
            exactMpfr(mx.get(), val(n));
            mpfr_add_ui(mx.get(), mx.get(), 1, MPFR_RNDN);
            mpfr_lngamma(lg.get(), mx.get(), MPFR_RNDN);
            mpfr_log_ui(ln10.get(), 10, MPFR_RNDN);
            mpfr_div(lg.get(), lg.get(), ln10.get(), MPFR_RNDN);
        }
        mpfr_set_str(m.get(), mantissa.c_str(), 10, MPFR_RNDN);
        EXPECT_TRUE(mpfr_cmp_ui(m.get(), 1) >= 0 && mpfr_cmp_ui(m.get(), 10) < 0) << text;
        mpfr_log10(m.get(), m.get(), MPFR_RNDN);
        mpfr_sub(lg.get(), lg.get(), m.get(), MPFR_RNDN);
        mpfr_set_str(m.get(), text.c_str() + mantissa.size() + 1, 10, MPFR_RNDN);  // X may pass a long
        mpfr_sub(lg.get(), lg.get(), m.get(), MPFR_RNDN);
        int digits = static_cast<int>(mantissa.size()) - (mantissa.find('.') != std::string::npos ? 1 : 0);
        EXPECT_LE(std::fabs(mpfr_get_d(lg.get(), MPFR_RNDN)), std::pow(10.0, 3 - digits)) << n << "!: " << text;
    }
}

}  // namespace
