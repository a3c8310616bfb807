// The gamma-function family against MPFR: Gamma on each of its paths, the
// incomplete gamma functions and LnFactorial within measured error bounds per precision;
// TenToLogTenFactorial against GMP's exact factorial and MPFR's lngamma; the poles, limits
// and failure results; and blockPrec and decPrec as they were after every call.
#include <gtest/gtest.h>

#include <gmp.h>
#include <mpfr.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "fp.h"
#include "fpConv.h"
#include "fpFuncs.h"
#include "fpMath.h"
#include "fp_oracle.h"
#include "myGammaFunctions.h"

namespace {

using namespace oracle;

// Runs f and checks that blockPrec and decPrec are what they were.
template <typename F>
void keepsPrec(F f) {
    int32 bp = blockPrec, dp = decPrec;
    f();
    EXPECT_EQ(blockPrec, bp);
    EXPECT_EQ(decPrec, dp);
}

// x exactly, at a precision that holds every bit of it.
void toMpfr(mpfr_ptr r, fp const& x) {
    mpfr_set_prec(r, 32 * (absLength(x.mantissa) + 1));
    mpfr_set_z_2exp(r, toMpz(x.mantissa), x.exponent, MPFR_RNDN);
}

// The measure of every bound below: |got - want| / |want| * 2^(32 B), the relative error
// in units of 2^-32B; one unit is between half and one unit in the last place of a
// B-word mantissa. A zero got where want is not counts as infinitely far.
double units(fp const& got, mpfr_srcptr want, int32 B) {
    if (got.mantissa.length == 0) return mpfr_zero_p(want) ? 0.0 : HUGE_VAL;
    Mpfr g(64), d(mpfr_get_prec(want) + 64);
    toMpfr(g.get(), got);
    mpfr_sub(d.get(), g.get(), want, MPFR_RNDN);
    mpfr_div(d.get(), d.get(), want, MPFR_RNDN);
    mpfr_mul_2si(d.get(), d.get(), 32 * B, MPFR_RNDN);
    return std::fabs(mpfr_get_d(d.get(), MPFR_RNDN));
}

enum class Fn { Gamma, LnFactorial, Lower, Upper };

// One line of the error table: a function at a precision (decPrec 0 keeps 16) over
// arguments (the a of the incomplete functions paired with each x); measured maximum
// within `bound` units.
struct Case {
    char const* name;
    Fn fn;
    int32 B;
    int dec;
    double bound;
    std::vector<double> x;
    std::vector<double> a = {};
};

double measure(Case const& c) {
    MpfrRange range;
    PrecScope prec(c.B);
    int savedDec = decPrec;
    if (c.dec != 0) decPrec = c.dec;
    double worst = 0;
    mpfr_prec_t bits = 32 * c.B + 256;
    for (double av : c.a.empty() ? std::vector<double>{0.0} : c.a) {
        for (double xv : c.x) {
            fp x, a, z;
            equate(x, xv);
            equate(a, av);
            Mpfr mx(64), ma(64), w(bits), t(bits);
            toMpfr(mx.get(), x);
            toMpfr(ma.get(), a);
            keepsPrec([&] {
                switch (c.fn) {
                    case Fn::Gamma: Gamma(z, x); mpfr_gamma(w.get(), mx.get(), MPFR_RNDN); break;
                    case Fn::LnFactorial:
                        EXPECT_TRUE(LnFactorial(z, x)) << xv;
                        mpfr_add_ui(mx.get(), mx.get(), 1, MPFR_RNDN);  // exact where the 1 matters
                        mpfr_lngamma(w.get(), mx.get(), MPFR_RNDN);
                        break;
                    case Fn::Lower:
                        smallIncompleteGamma(z, a, x);
                        mpfr_gamma(w.get(), ma.get(), MPFR_RNDN);
                        mpfr_gamma_inc(t.get(), ma.get(), mx.get(), MPFR_RNDN);
                        mpfr_sub(w.get(), w.get(), t.get(), MPFR_RNDN);
                        break;
                    case Fn::Upper: largeIncompleteGamma(z, a, x); mpfr_gamma_inc(w.get(), ma.get(), mx.get(), MPFR_RNDN); break;
                }
            });
            double u = units(z, w.get(), c.B);
            EXPECT_LE(u, c.bound) << c.name << " at " << c.B << " words, a = " << av << ", x = " << xv;
            if (u > worst) worst = u;
        }
    }
    decPrec = savedDec;
    return worst;
}

// The fixed arguments of each range, then `count` more drawn with a fixed seed: multiples
// of 1/64 (whole numbers when `whole`), uniform or, with `logScale`, uniform in the exponent.
std::vector<double> args(std::vector<double> v, double lo, double hi, std::uint64_t seed, bool whole = false,
                         bool logScale = false, int count = 6) {
    std::mt19937_64 gen(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int i = 0; i < count; ++i) {
        double r = logScale ? lo * std::pow(hi / lo, u(gen)) : lo + (hi - lo) * u(gen);
        v.push_back(whole ? std::floor(r) : std::floor(r * 64) / 64);
    }
    return v;
}

std::vector<double> const kIntegers = args({1, 2, 5, 20, 21, 35, 170, 1000, 5001, 19999, 20000}, 1, 20001, 1, true);
std::vector<double> const kFractions = args({1.5, 2.25, 7.75, 35.125, 100.25, 1234.375, 19999.5}, 1, 20000, 2);
std::vector<double> const kBelowOne = args({0.5, 0.125, 0.96875, -0.5, -1.25, -7.75, -100.5, -1000.375}, -1000, 1, 3);
std::vector<double> const kSpouge = args({20000.5, 30000, 100000.25, 1e6 + 0.5, 5e7, 8.2e7 + 0.5, 8.6e7}, 2e4, 8.6e7, 4,
                                         false, true);
std::vector<double> const kLnSmall = args({0.5, 2, 3, 10.5, 1000, 19999, 123456.5, 1e7}, 0.25, 1e7, 5, false, true);
std::vector<double> const kLnLarge = args({1e7 + 1, 1e8, 123456789012.0, 1e20, 1e100, 1e300}, 1e7, 1e15, 6, false, true);
std::vector<double> const kIncX = args({0.5, 1, 5, 30, 100, 300}, 1, 300, 7, false, false, 3);
std::vector<double> const kIncA = args({0.5, 1, 1.5, 2.75, 10.25}, 0.25, 12, 8, false, false, 3);

// The bounds are about four times the largest error measured, each case run alone (as
// CTest runs it) and after the others: the cached constants and the Bernoulli table keep
// the precision of their first use, so the errors depend a little on what ran before.
std::vector<Case> const kCases = {
    {"Gamma, integer x (product)", Fn::Gamma, 2, 0, 512, kIntegers},
    {"Gamma, integer x (product)", Fn::Gamma, 5, 0, 600, kIntegers},
    {"Gamma, integer x (product)", Fn::Gamma, 16, 0, 400, kIntegers},
    {"Gamma, fractional 1 < x < 20000", Fn::Gamma, 2, 0, 6e3, kFractions},
    {"Gamma, fractional 1 < x < 20000", Fn::Gamma, 5, 0, 8e6, kFractions},
    {"Gamma, fractional 1 < x < 20000", Fn::Gamma, 16, 0, 3e8, kFractions},
    {"Gamma, x < 1 (shifted up)", Fn::Gamma, 2, 0, 4e-5, kBelowOne},
    {"Gamma, x < 1 (shifted up)", Fn::Gamma, 5, 0, 0.05, kBelowOne},
    {"Gamma, x < 1 (shifted up)", Fn::Gamma, 16, 0, 4e8, kBelowOne},
    {"Gamma, x > 20000 (Spouge), decPrec 16", Fn::Gamma, 2, 0, 1.2e9, kSpouge},
    {"Gamma, x > 20000 (Spouge), decPrec 16", Fn::Gamma, 5, 0, 2e26, kSpouge},
    {"Gamma, x > 20000 (Spouge), decPrec 48", Fn::Gamma, 5, 48, 5e8, kSpouge},
    {"LnFactorial, x <= 1e7 (log of Gamma)", Fn::LnFactorial, 2, 0, 1.1e11, kLnSmall},
    {"LnFactorial, x <= 1e7 (log of Gamma)", Fn::LnFactorial, 5, 0, 4e20, kLnSmall},
    {"LnFactorial, x > 1e7 (Stirling series)", Fn::LnFactorial, 2, 0, 8e-11, kLnLarge},
    {"LnFactorial, x > 1e7 (Stirling series)", Fn::LnFactorial, 5, 0, 8e-11, kLnLarge},
    {"LnFactorial, x > 1e7 (Stirling series)", Fn::LnFactorial, 16, 0, 8e-11, kLnLarge},
    {"smallIncompleteGamma", Fn::Lower, 2, 0, 200, kIncX, kIncA},
    {"smallIncompleteGamma", Fn::Lower, 5, 0, 256, kIncX, kIncA},
    {"smallIncompleteGamma", Fn::Lower, 16, 0, 256, kIncX, kIncA},
    {"largeIncompleteGamma", Fn::Upper, 2, 0, 200, kIncX, kIncA},
    {"largeIncompleteGamma", Fn::Upper, 5, 0, 6e-8, kIncX, kIncA},
    {"largeIncompleteGamma", Fn::Upper, 16, 0, 5e-66, kIncX, kIncA},
};

class GammaErrors : public ::testing::TestWithParam<size_t> {};

// VANTREL_GAMMA_REPORT=1 prints each measured maximum, for the README's table.
TEST_P(GammaErrors, WithinMeasuredBound) {
    Case const& c = kCases[GetParam()];
    double worst = measure(c);
    if (std::getenv("VANTREL_GAMMA_REPORT") != nullptr)
        std::printf("| %s | %d | %d | %.3g | %.3g |\n", c.name, c.B, c.dec == 0 ? 16 : c.dec, worst, c.bound);
}

INSTANTIATE_TEST_SUITE_P(Table, GammaErrors, ::testing::Range<size_t>(0, kCases.size()));

fp val(double d) {
    fp x;
    equate(x, d);
    return x;
}

bool isZero(fp const& x) { return x.mantissa.length == 0; }

TEST(Gamma, ExactValuesPolesAndLimits) {
    PrecScope prec(5);
    fp z;
    keepsPrec([&] { Gamma(z, 5.0); });
    EXPECT_EQ(compare(z, val(24)), 0);
    EXPECT_EQ(compare(Gamma(1.0), val(1)), 0);
    EXPECT_EQ(compare(Gamma(val(2)), val(1)), 0);
    EXPECT_EQ(compare(Gamma(21.0), fp("2432902008176640000")), 0);
    for (double pole : {0.0, -1.0, -3.0, -2147483648.0, -1e12})
        keepsPrec([&] { EXPECT_TRUE(isZero(Gamma(pole))) << pole; });
    // the limits: |x| > 8.61e7 gives 0, as does a non-integer at or below -2^31
    for (double far : {86100001.0, 1e300, -86100000.5, -2147483648.5, -1e300})
        keepsPrec([&] { EXPECT_TRUE(isZero(Gamma(far))) << far; });
    EXPECT_FALSE(isZero(Gamma(86100000.0)));
    // the reflection path: Gamma(0.5) = sqrt(pi), Gamma(-0.5) = -2 sqrt(pi)
    fp root = sqrt(Pi());
    Mpfr w(32 * 6);
    mpfr_set_d(w.get(), 0.5, MPFR_RNDN);
    mpfr_gamma(w.get(), w.get(), MPFR_RNDN);
    EXPECT_LE(units(Gamma(0.5), w.get(), 5), 1.0);
    EXPECT_LT(Gamma(-0.5).mantissa.length, 0);
    EXPECT_EQ(compare(Gamma(-0.5) / root, val(-2)), 0) << show(Gamma(-0.5) / root);
    // factorial is Gamma(x + 1) in each form; an out-parameter may be its operand
    EXPECT_EQ(compare(factorial(4.0), val(24)), 0);
    EXPECT_EQ(compare(factorial(val(4)), val(24)), 0);
    keepsPrec([&] { factorial(z, -1.0); });
    EXPECT_TRUE(isZero(z));
    z = val(6);
    keepsPrec([&] { factorial(z, z); });
    EXPECT_EQ(compare(z, val(720)), 0);
    z = val(7);
    Gamma(z, z);
    EXPECT_EQ(compare(z, val(720)), 0);
}

// Gamma takes the product up to 20000 and Spouge's formula above: Gamma(20000.5) is
// GammaSpouge's value bit for bit, Gamma(20000) and Gamma(19999.5) are not.
TEST(Gamma, ProductBelowSpougeAbove) {
    PrecScope prec(5);
    EXPECT_TRUE(sameFp(Gamma(20000.5), GammaSpouge(val(20000.5))));
    EXPECT_FALSE(sameFp(Gamma(20000.0), GammaSpouge(val(20000))));
    EXPECT_FALSE(sameFp(Gamma(19999.5), GammaSpouge(val(19999.5))));
    fp z = val(20000.5);
    keepsPrec([&] { GammaSpouge(z, z); });
    EXPECT_TRUE(sameFp(z, Gamma(20000.5)));
}

TEST(IncompleteGamma, DomainsAndTheirSum) {
    PrecScope prec(5);
    fp z = val(3), g, G;
    for (double a : {0.0, -1.5}) {
        keepsPrec([&] { smallIncompleteGamma(z, val(a), val(2)); });
        EXPECT_TRUE(isZero(z));
    }
    z = val(3);
    keepsPrec([&] { smallIncompleteGamma(z, val(2), val(-1)); });
    EXPECT_TRUE(isZero(z));
    z = val(3);
    keepsPrec([&] { largeIncompleteGamma(z, val(2), val(0)); });
    EXPECT_TRUE(isZero(z));
    smallIncompleteGamma(g, val(1.75), val(9));
    largeIncompleteGamma(G, val(1.75), val(9));
    MpfrRange range;
    Mpfr w(32 * 5 + 64);
    mpfr_set_d(w.get(), 1.75, MPFR_RNDN);
    mpfr_gamma(w.get(), w.get(), MPFR_RNDN);
    EXPECT_LE(units(g + G, w.get(), 5), 4.0);
}

// Out-parameters that are also operands give what distinct targets give.
TEST(GammaFamily, AliasedTargets) {
    PrecScope prec(5);
    fp a = val(2.75), x = val(3.5), want;
    smallIncompleteGamma(want, a, x);
    fp z = a;
    smallIncompleteGamma(z, z, x);
    EXPECT_TRUE(sameFp(z, want));
    z = x;
    smallIncompleteGamma(z, a, z);
    EXPECT_TRUE(sameFp(z, want));
    largeIncompleteGamma(want, a, x);
    z = a;
    largeIncompleteGamma(z, z, x);
    EXPECT_TRUE(sameFp(z, want));
    z = x;
    largeIncompleteGamma(z, a, z);
    EXPECT_TRUE(sameFp(z, want));
    for (double v : {3.5, 2e7}) {
        LnFactorial(want, val(v));
        z = val(v);
        EXPECT_TRUE(LnFactorial(z, z));
        EXPECT_TRUE(sameFp(z, want)) << v;
    }
}

TEST(LnFactorial, ValuesAndFailures) {
    PrecScope prec(5);
    fp z = val(7);
    bool ok = false;
    keepsPrec([&] { ok = LnFactorial(z, val(0)); });
    EXPECT_TRUE(ok && isZero(z));
    z = val(7);
    keepsPrec([&] { ok = LnFactorial(z, val(1)); });
    EXPECT_TRUE(ok && isZero(z));
    keepsPrec([&] { ok = LnFactorial(z, val(3)); });
    EXPECT_TRUE(ok);
    EXPECT_EQ(compare(z, log(val(6))), 0);
    z = val(7);
    keepsPrec([&] { ok = LnFactorial(z, val(-1)); });
    EXPECT_TRUE(!ok && isZero(z));
    // 9 x 10^10000000 is the end of the range, 10^10000 the end of the series
    z = val(7);
    keepsPrec([&] { ok = LnFactorial(z, fp("1e10000001")); });
    EXPECT_TRUE(!ok && isZero(z));
    keepsPrec([&] { ok = LnFactorial(z, fp("8e10000000")); });
    EXPECT_TRUE(ok && z > 1e300);
    for (char const* big : {"1e9999", "1e10001"}) {
        fp x(big);
        keepsPrec([&] { ok = LnFactorial(z, x); });
        EXPECT_TRUE(ok) << big;
        MpfrRange range;
        Mpfr mx(64), w(32 * 5 + 64);
        toMpfr(mx.get(), x);
        mpfr_add_ui(mx.get(), mx.get(), 1, MPFR_RNDN);
        mpfr_lngamma(w.get(), mx.get(), MPFR_RNDN);
        EXPECT_LE(units(z, w.get(), 5), 4.0) << big;
    }
    EXPECT_EQ(compare(LnFactorial(val(-1)), val(0)), 0);
}

// At 545 words 500 terms no longer settle the series just above 10^7.
TEST(LnFactorial, SeriesThatDoesNotSettle) {
    PrecScope prec(545);
    fp z;
    bool ok = true;
    keepsPrec([&] { ok = LnFactorial(z, val(10000001)); });
    EXPECT_FALSE(ok);
    EXPECT_GT(z, 1e8);
}

// The text "MeX" read back: mantissa in [1, 10), and log10 of its value within
// 10^(3 - digits) of want, the mantissa's digits all but the last three right.
void checkText(char const* text, mpfr_srcptr log10Want, std::string const& what) {
    char const* e = std::strchr(text, 'e');
    ASSERT_NE(e, nullptr) << what << ": " << text;
    std::string mantissa(text, e);
    Mpfr m(256), lg(256), x10(256);
    mpfr_set_str(m.get(), mantissa.c_str(), 10, MPFR_RNDN);
    mpfr_set_str(x10.get(), e + 1, 10, MPFR_RNDN);
    EXPECT_TRUE(mpfr_cmp_ui(m.get(), 1) >= 0 && mpfr_cmp_ui(m.get(), 10) < 0) << what << ": " << text;
    mpfr_log10(lg.get(), m.get(), MPFR_RNDN);
    mpfr_add(lg.get(), lg.get(), x10.get(), MPFR_RNDN);
    mpfr_sub(lg.get(), lg.get(), log10Want, MPFR_RNDN);
    int digits = static_cast<int>(mantissa.size()) - (mantissa.find('.') != std::string::npos ? 1 : 0);
    EXPECT_LE(std::fabs(mpfr_get_d(lg.get(), MPFR_RNDN)), std::pow(10.0, 3 - digits)) << what << ": " << text;
}

TEST(TenToLogTenFactorial, EdgesAndTheExactFactorial) {
    PrecScope prec(5);
    bool ok = false;
    for (auto [x, want] : {std::pair{-2.0, "0"}, {0.0, "1"}, {1.0, "1"}}) {
        char* s = nullptr;
        keepsPrec([&] { s = TenToLogTenFactorial(val(x), ok); });
        EXPECT_STREQ(s, want);
        EXPECT_FALSE(ok);  // untouched
        std::free(s);
    }
    char* s = TenToLogTenFactorial(fp("1e10000001"), ok);
    EXPECT_STREQ(s, "0");
    EXPECT_FALSE(ok);
    std::free(s);
    for (unsigned long n : {2ul, 10ul, 25ul, 100ul, 1000ul, 3000ul, 19999ul}) {
        keepsPrec([&] { s = TenToLogTenFactorial(val(static_cast<double>(n)), ok); });
        EXPECT_TRUE(ok);
        Mpz f;
        mpz_fac_ui(f, n);
        Mpfr lg(256);
        mpfr_set_z(lg.get(), f, MPFR_RNDN);
        mpfr_log10(lg.get(), lg.get(), MPFR_RNDN);
        checkText(s, lg.get(), std::to_string(n) + "!");
        EXPECT_EQ(std::atol(std::strchr(s, 'e') + 1), static_cast<long>(f.str().size()) - 1);
        std::free(s);
    }
    for (double x : {1e8, 123456789012.0, 1e30}) {
        keepsPrec([&] { s = TenToLogTenFactorial(val(x), ok); });
        EXPECT_TRUE(ok);
        Mpfr mx(64), lg(256), ln10(256);
        toMpfr(mx.get(), val(x));
        mpfr_add_ui(mx.get(), mx.get(), 1, MPFR_RNDN);
        mpfr_lngamma(lg.get(), mx.get(), MPFR_RNDN);
        mpfr_log_ui(ln10.get(), 10, MPFR_RNDN);
        mpfr_div(lg.get(), lg.get(), ln10.get(), MPFR_RNDN);
        checkText(s, lg.get(), std::to_string(x) + "!");
        std::free(s);
    }
}

}  // namespace
