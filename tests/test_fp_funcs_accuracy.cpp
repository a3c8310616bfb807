// Accuracy of the elementary functions of fp against MPFR at 160 bits more than the
// tested precision, over seeded arguments from the whole domain at blockPrec 1, 2, 5,
// 7 and 12. VANTREL_PRINT_ACCURACY=1 prints the measured maxima and the losses.
//
// Error unit: one unit in the last place of a blockPrec-word mantissa (32 * blockPrec
// bits), 2^(e - 32 * blockPrec + 1) where e = floor(log2 |s|). For most functions s is
// the exact result. Where the algorithm reduces or scales its argument at the working
// precision (sin, cos, tan, exp, sinh, cosh, pow) or cancels in 1 - x^2 (acos, acosh),
// the error follows the condition number, so s = |f(x)| + |x f'(x)| (+ |y df/dy| for
// pow): the error of f at an argument perturbed by a few units of its last place.
#include <gtest/gtest.h>

#include <gmp.h>
#include <mpfr.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "fp.h"
#include "fpConv.h"
#include "fpFuncs.h"
#include "fpMath.h"
#include "fp_oracle.h"

namespace {

using namespace oracle;

constexpr mpfr_prec_t kGuard = 160;
constexpr int kPrecs[] = {1, 2, 5, 7, 12};
int casesAt(int bp) { return bp <= 2 ? 500 : bp <= 5 ? 400 : bp <= 7 ? 250 : 120; }
bool printing() {
    char const* v = std::getenv("VANTREL_PRINT_ACCURACY");
    return v != nullptr && v[0] == '1';
}

// Writes an exact argument of 32 * bp bits into r (whose precision is that).
using Draw = std::function<void(mpfr_ptr r, Generator& g, int bp)>;
using Center = std::function<void(mpfr_ptr c, Generator& g)>;

void randomMantissa(Mpz& m, Generator& g, int bits) {
    mpz_set_ui(m, 0);
    for (int i = 0; i < bits; i += 32) {
        mpz_mul_2exp(m, m, 32);
        mpz_add_ui(m, m, g.randomWord());
    }
    mpz_setbit(m, static_cast<mp_bitcnt_t>(bits - 1));
}

// 2^e times a random mantissa in [1, 2), e in [lo, hi]; either sign unless positive.
Draw wide(int lo, int hi, bool positive = false) {
    return [=](mpfr_ptr r, Generator& g, int bp) {
        Mpz m;
        randomMantissa(m, g, 32 * bp);
        mpfr_set_z_2exp(r, m, g.intIn(lo, hi) - 32 * bp + 1, MPFR_RNDN);
        if (!positive && g.coin()) mpfr_neg(r, r, MPFR_RNDN);
    };
}

// Near a center: a few units of the last place away, or at a random relative distance
// 2^-k, k in [1, 32 bp + 4]; side +1 (-1) keeps to larger (smaller) magnitudes, 0 takes either.
Draw near(Center c, int side = 0) {
    return [=](mpfr_ptr r, Generator& g, int bp) {
        Mpfr hc(32 * bp + kGuard), d(32 * bp + kGuard);
        c(hc.get(), g);
        int s = side != 0 ? side : (g.coin() ? 1 : -1);
        if (g.coin()) {
            mpfr_set(r, hc.get(), MPFR_RNDN);
            for (int j = g.intIn(0, 3); j > 0; --j) (s > 0) == (mpfr_sgn(r) > 0) ? mpfr_nextabove(r) : mpfr_nextbelow(r);
        } else {
            mpfr_set_ui_2exp(d.get(), g.randomWord(), -32 - g.intIn(1, 32 * bp + 4), MPFR_RNDN);
            mpfr_mul(d.get(), d.get(), hc.get(), MPFR_RNDN);
            (s > 0 ? mpfr_add : mpfr_sub)(r, hc.get(), d.get(), MPFR_RNDN);
        }
    };
}

Center val(char const* text, bool eitherSign = false) {
    return [=](mpfr_ptr c, Generator& g) {
        mpfr_set_str(c, text, 10, MPFR_RNDN);
        if (eitherSign && g.coin()) mpfr_neg(c, c, MPFR_RNDN);
    };
}
// k pi / 2 for a random k in [lo, hi].
Center halfPis(int lo, int hi) {
    return [=](mpfr_ptr c, Generator& g) {
        mpfr_const_pi(c, MPFR_RNDN);
        int k = g.intIn(lo, hi);
        mpfr_mul_si(c, c, k != 0 ? k : 1, MPFR_RNDN);
        mpfr_div_2ui(c, c, 1, MPFR_RNDN);
    };
}
Center sqrtThree() {
    return [](mpfr_ptr c, Generator& g) {
        mpfr_sqrt_ui(c, 3, MPFR_RNDN);
        if (g.coin()) mpfr_neg(c, c, MPFR_RNDN);
    };
}
// The double nearest 0.1 as its "%.17e" text reads.
constexpr char kPointOne[] = "1.00000000000000006e-01";

// ---- error model, in units of the last place at W working words ----
// A rounding costs at most half a unit. A series of N terms adds N roundings of its
// running sum, taken as independent (their sum stays below 0.5 sqrt(N) units but with
// tiny probability) plus the truncation of each addend below the sum's last word,
// which averages under 1/32 unit when the exponent gap is spread over all residues
// modulo 32. No series here needs more than N = 32 W terms (ratio at most 1/2).
double series(int w) { return 0.5 * std::sqrt(32.0 * w) + w; }
constexpr double kMargin = 4;
// A result computed at W = max(bp, 2) + raise words, cut to bp words (a half unit)
// when `cut` or bp = 1 (the two-word floor of the series functions).
double worked(int bp, int raise, bool cut, double (*m)(int)) {
    int w = (bp < 2 ? 2 : bp) + raise;
    // at blockPrec 1 a one-word argument is a short operand at two words (see word())
    if (w == bp) return kMargin * m(w);
    if (bp == 1 && raise == 0) return 0.5 + kMargin * (1 + m(w) * std::ldexp(1.0, -32));
    return (cut || bp == 1 ? 0.5 : 0) + kMargin * m(w) * std::ldexp(1.0, -32 * (w - bp));
}
// log: the series in y = 1 - t, then k ln 2 - s, which cancels by up to 2.4 (k = -1).
double mLog(int w) { return 2.5 * (series(w) + 2); }
// exp: the series, then e^n by binary powering of the cached e; the powering's error
// grows with n, which the condition number carries.
double mExp(int w) { return 2 * series(w) + 4; }
// sin: reduction x / pi, floor, times pi (three roundings, up to 2 |x| units absolute),
// then the series, whose partial sums exceed the result by at most 2.
double mSin(int w) { return 2 * series(w) + 6; }

// What a bound may depend on: the precision, the operands (as doubles: enough for the
// branch they take) and floor(log2) of the error scale.
struct Arg {
    int bp;
    double x, y;
    long es;
};
// One word dropped at W = max(bp, 2) + raise words, in units at bp words, times a
// factor for its effect on the scale: the core widens the operand with the larger
// exponent to at most W words, so subtracting a value of W words from a one-word value
// (1, an integer part) loses the lower value's last word.
// The same short sums make e and ln 2 (and ln 10) lose up to 28 bits at every
// precision of two words and more; log and exp carry that into their results.
double word(Arg const& a, int raise, double factor) {
    int w = (a.bp < 2 ? 2 : a.bp) + raise;
    return kMargin * factor * std::ldexp(1.0, 32 - 32 * (w - a.bp));
}
struct Fn {
    char const* name;
    std::function<void(fp&, fp const&, fp const&)> ours;
    std::function<int(mpfr_ptr, mpfr_srcptr, mpfr_srcptr)> ref;
    std::function<void(mpfr_ptr, mpfr_srcptr, mpfr_srcptr)> cond;  // |x f'| (+ |y df/dy|); null: relative
    std::vector<Draw> xs, ys;  // ys empty for one operand
    std::function<double(Arg const&)> bound;
};

using F1 = void (*)(fp&, fp const&);
using M1 = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);
std::function<void(fp&, fp const&, fp const&)> our1(F1 f) {
    return [f](fp& z, fp const& x, fp const&) { f(z, x); };
}
std::function<int(mpfr_ptr, mpfr_srcptr, mpfr_srcptr)> ref1(M1 f) {
    return [f](mpfr_ptr z, mpfr_srcptr x, mpfr_srcptr) { return f(z, x, MPFR_RNDN); };
}
// |x| g(x) for the condition number.
std::function<void(mpfr_ptr, mpfr_srcptr, mpfr_srcptr)> xTimes(std::function<void(mpfr_ptr, mpfr_srcptr)> g) {
    return [g](mpfr_ptr s, mpfr_srcptr x, mpfr_srcptr) {
        g(s, x);
        mpfr_mul(s, s, x, MPFR_RNDN);
        mpfr_abs(s, s, MPFR_RNDN);
    };
}

void invRoot(mpfr_ptr s, mpfr_srcptr x) {  // 1 / sqrt(1 - x^2)
    mpfr_sqr(s, x, MPFR_RNDN);
    mpfr_ui_sub(s, 1, s, MPFR_RNDN);
    mpfr_rec_sqrt(s, s, MPFR_RNDN);
}

std::vector<Fn> const& functions() {
    using B = std::function<double(Arg const&)>;
    auto const trig = std::vector<Draw>{wide(-60, 0), near(sqrtThree()), near(halfPis(-24, 24)), wide(1, 40),
                                        wide(40, 420)};
    auto const hyper = std::vector<Draw>{wide(-60, 3), near(val(kPointOne, true)), near(val("0.1", true)),
                                         near(val("0.01", true)), wide(3, 20)};
    auto const unit = std::vector<Draw>{wide(-80, -1), near(val("1"), -1), near(val("-1"), -1),
                                        near(val("0.5", true)), near(val("0.70710678118654752440", true))};
    static std::vector<Fn> const fns = {
        {"sqrt", our1(sqrt), ref1(mpfr_sqrt), nullptr,
         {wide(-300, 300, true), near(val("1")), near(val("2")), near(val("4"))}, {},
         B([](Arg const&) { return 1.0; })},  // one integer root of a mantissa, truncated
        {"log", our1(log), ref1(mpfr_log), nullptr,
         {wide(-300, 300, true), near(val("1")), near(val("0.75")), near(val("1.5")), near(val("0.5")),
          near(val("2")), near(val("0.375")), near(val("3")), near(val("10"))},
         {}, B([](Arg const& a) {
             return worked(a.bp, 0, true, mLog) + word(a, 0, std::ldexp(4.0, static_cast<int>(-a.es)));
         })},
        {"exp", our1(exp), ref1(mpfr_exp), xTimes([](mpfr_ptr s, mpfr_srcptr x) { mpfr_exp(s, x, MPFR_RNDN); }),
         {wide(-60, 5), near(val("0.5", true)), near(val("1", true)), near(val("7", true)), near(val("700", true)),
          wide(5, 29)},
         {}, // 1 + f drops f's last word; e (a sum from 2.5) and x - floor x may too
         B([](Arg const& a) { return worked(a.bp, 0, true, mExp) + word(a, 0, 4); })},
        {"pow", [](fp& z, fp const& x, fp const& y) { pow(z, x, y); },
         [](mpfr_ptr z, mpfr_srcptr x, mpfr_srcptr y) { return mpfr_pow(z, x, y, MPFR_RNDN); },
         [](mpfr_ptr s, mpfr_srcptr x, mpfr_srcptr y) {  // |x^y| (|y| + |y ln x|)
             Mpfr t(64);
             mpfr_log(t.get(), x, MPFR_RNDN);
             mpfr_abs(t.get(), t.get(), MPFR_RNDN);
             mpfr_add_ui(t.get(), t.get(), 1, MPFR_RNDN);
             mpfr_mul(t.get(), t.get(), y, MPFR_RNDN);
             mpfr_pow(s, x, y, MPFR_RNDN);
             mpfr_mul(s, s, t.get(), MPFR_RNDN);
             mpfr_abs(s, s, MPFR_RNDN);
         },
         {wide(-40, 40, true), near(val("1"))}, {wide(-20, 6), near(val("3", true)), near(val("0.5", true))},
         // integer powering (doubling errors, carried by |y|) or log, times, exp one word up
         B([](Arg const& a) { return worked(a.bp, 0, true, [](int) { return 5.0; }) + word(a, 1, 4); })},
        {"sin", our1(sin), ref1(mpfr_sin), xTimes([](mpfr_ptr s, mpfr_srcptr x) { mpfr_cos(s, x, MPFR_RNDN); }), trig,
         {}, // q - f drops a word of q when f is one word
         B([](Arg const& a) { return worked(a.bp, 0, true, mSin) + (std::fabs(a.x) >= 1.7320508 ? word(a, 0, 4) : 0); })},
        {"cos", our1(cos), ref1(mpfr_cos), xTimes([](mpfr_ptr s, mpfr_srcptr x) { mpfr_sin(s, x, MPFR_RNDN); }), trig,
         {}, B([](Arg const& a) { return worked(a.bp, 1, true, mSin) + word(a, 1, 4); })},
        {"tan", our1(tan), ref1(mpfr_tan), xTimes([](mpfr_ptr s, mpfr_srcptr x) {
             mpfr_sec(s, x, MPFR_RNDN);
             mpfr_sqr(s, s, MPFR_RNDN);
         }),
         trig, {},  // sin at the working precision, cos one word up and cut, the quotient
         B([](Arg const& a) {
             return worked(a.bp, 0, true, [](int w) { return mSin(w) + 2; }) + word(a, 1, 4) +
                    (std::fabs(a.x) >= 1.7320508 ? word(a, 0, 4) : 0);
         })},
        // halvings, series and pi / 2 - a, all two words up, then cut
        {"atan", our1(atan), ref1(mpfr_atan), nullptr,
         {wide(-100, 100), near(val("1", true)), near(val("0.01", true)), near(val("100", true))}, {},
         B([](Arg const& a) { return worked(a.bp, 2, true, [](int w) { return 2 * series(w) + 60; }); })},
        {"atan2", [](fp& z, fp const& y, fp const& x) { atan2(z, y, x); },
         [](mpfr_ptr z, mpfr_srcptr y, mpfr_srcptr x) { return mpfr_atan2(z, y, x, MPFR_RNDN); }, nullptr,
         {wide(-60, 60), near(val("1", true))}, {wide(-60, 60), near(val("1", true))},
         // y / x rounded, atan cut, then pi - a: pi and the subtraction on a result >= pi / 2
         B([](Arg const& a) { return worked(a.bp, 0, true, [](int) { return 1.5 + 2 * 2.0; }); })},
        // 1 - t^2 two words up drops a word there; near |x| = 1 that is the condition
        {"asin", our1(asin), ref1(mpfr_asin), xTimes(invRoot), unit, {},
         B([](Arg const& a) { return worked(a.bp, 2, true, [](int w) { return 2 * series(w) + 60; }) + word(a, 2, 4); })},
        {"acos", our1(acos), ref1(mpfr_acos), xTimes(invRoot), unit, {},
         B([](Arg const& a) { return worked(a.bp, 2, true, [](int w) { return 2 * series(w) + 60; }) + word(a, 2, 4); })},
        // e - 1/e cancels by up to coth 0.1 < 11 above pointOne; the series below it
        {"sinh", our1(sinh), ref1(mpfr_sinh), xTimes([](mpfr_ptr s, mpfr_srcptr x) { mpfr_cosh(s, x, MPFR_RNDN); }),
         hyper, {}, // exp's word, magnified up to 10 by e - 1/e above pointOne; the series from 1 below
         B([](Arg const& a) {
             return worked(a.bp, 0, true, [](int w) { return 11 * (mExp(w) + 1.5); }) + word(a, 0, 40);
         })},
        {"cosh", our1(cosh), ref1(mpfr_cosh), xTimes([](mpfr_ptr s, mpfr_srcptr x) { mpfr_sinh(s, x, MPFR_RNDN); }),
         hyper, {}, B([](Arg const& a) { return worked(a.bp, 0, true, [](int w) { return mExp(w) + 1.5; }) + word(a, 0, 4); })},
        // the error of e cancels in the quotient but for a factor 2 / sinh 2x < 11
        {"tanh", our1(tanh), ref1(mpfr_tanh), nullptr, hyper, {},
         B([](Arg const& a) {
             return worked(a.bp, 0, true, [](int w) { return 11 * (mExp(w) + 2) + 1; }) + word(a, 0, 40);
         })},
        // log one word up, not cut; log(w) >= asinh 0.1 magnifies by at most 10
        {"asinh", our1(asinh), ref1(mpfr_asinh), nullptr,
         {wide(-100, 100), near(val(kPointOne, true)), near(val("0.1", true)), near(val("1e30000", true))}, {},
         B([](Arg const& a) {
             return worked(a.bp, 1, false, [](int w) { return 10 * (mLog(w) + 4); }) + word(a, 1, std::ldexp(2.0, static_cast<int>(-a.es)) + 1);
         })},
        {"acosh", our1(acosh), ref1(mpfr_acosh), xTimes([](mpfr_ptr s, mpfr_srcptr x) {
             mpfr_sqr(s, x, MPFR_RNDN);
             mpfr_sub_ui(s, s, 1, MPFR_RNDN);
             mpfr_rec_sqrt(s, s, MPFR_RNDN);
         }),
         {near(val("1"), 1), wide(0, 100, true), near(val("1e30000"))}, {},
         B([](Arg const& a) { return worked(a.bp, 1, false, [](int w) { return 10 * (mLog(w) + 4); }) + word(a, 1, 4); })},
        {"atanh", our1(atanh), ref1(mpfr_atanh), nullptr,
         {wide(-80, -1), near(val("1"), -1), near(val("-1"), -1), near(val(kPointOne, true)),
          near(val("0.1", true))},
         {}, B([](Arg const& a) { return worked(a.bp, 2, false, [](int w) { return 2 * (mLog(w) + 4); }) + word(a, 2, std::ldexp(2.0, static_cast<int>(-a.es)) + 1); })},
    };
    return fns;
}

// |got - exact| in units of the last place of a bp-word mantissa at the magnitude of s.
double unitsOff(fp const& got, mpfr_srcptr exact, mpfr_srcptr s, int bp) {
    int32 n = got.mantissa.length < 0 ? -got.mantissa.length : got.mantissa.length;
    Mpfr g(32 * (n + 1) + 2), d(mpfr_get_prec(exact) + 2);
    setMpfr(g.get(), got);
    mpfr_sub(d.get(), g.get(), exact, MPFR_RNDN);
    if (mpfr_zero_p(d.get()) || mpfr_inf_p(s)) return 0;
    if (mpfr_zero_p(s)) return HUGE_VAL;
    mpfr_mul_2si(d.get(), d.get(), 32 * bp - mpfr_get_exp(s), MPFR_RNDN);
    return std::fabs(mpfr_get_d(d.get(), MPFR_RNDN));
}

struct Worst {
    double err = 0, rel = 0;  // in the asserted unit; in units of the exact result
    double worstRatio = 0;    // error / bound, at most 1 when every case holds
    std::string where;
};

Worst measure(Fn const& f, int bp) {
    PrecScope prec(bp);
    Generator g(0xACC0000u + 977u * static_cast<unsigned>(bp) + std::hash<std::string>{}(f.name) % 100000u);
    Mpfr x(32 * bp), y(32 * bp), exact(32 * bp + kGuard), s(64), c(64), one(2);
    mpfr_set_ui(one.get(), 1, MPFR_RNDN);
    Worst w;
    for (int i = casesAt(bp); i > 0; --i) {
        f.xs[g.range(0, static_cast<int>(f.xs.size()) - 1)](x.get(), g, bp);
        if (!f.ys.empty()) f.ys[g.range(0, static_cast<int>(f.ys.size()) - 1)](y.get(), g, bp);
        fp fx = fpOfMpfr(x.get()), fy = fpOfMpfr(f.ys.empty() ? one.get() : y.get()), z;
        f.ours(z, fx, fy);
        f.ref(exact.get(), x.get(), y.get());
        mpfr_abs(s.get(), exact.get(), MPFR_RNDN);
        if (f.cond) {
            f.cond(c.get(), x.get(), y.get());
            mpfr_add(s.get(), s.get(), c.get(), MPFR_RNDN);
        }
        double e = unitsOff(z, exact.get(), s.get(), bp), r = unitsOff(z, exact.get(), exact.get(), bp);
        Arg a{bp, mpfr_get_d(x.get(), MPFR_RNDN), mpfr_get_d(y.get(), MPFR_RNDN), mpfr_regular_p(s.get()) ? static_cast<long>(mpfr_get_exp(s.get())) - 1 : 0};
        double b = f.bound(a);
        w.rel = std::fmax(w.rel, r);
        w.err = std::fmax(w.err, e);
        if (e / b > w.worstRatio || w.where.empty()) {
            w.worstRatio = e / b;
            mpfr_exp_t ex = 0;
            char* xs = mpfr_get_str(nullptr, &ex, 10, 0, x.get(), MPFR_RNDN);
            w.where = std::string(f.name) + "(" + xs + "e" + std::to_string(ex);
            mpfr_free_str(xs);
            if (!f.ys.empty()) {
                xs = mpfr_get_str(nullptr, &ex, 10, 0, y.get(), MPFR_RNDN);
                w.where += std::string(", ") + xs + "e" + std::to_string(ex);
                mpfr_free_str(xs);
            }
            w.where += ") at blockPrec " + std::to_string(bp) + ": got " + show(z) + ", off by " + std::to_string(e) +
                       " units, bound " + std::to_string(b);
        }
    }
    return w;
}

TEST(FpFuncsAccuracy, EveryFunctionWithinItsModelledBound) {
    MpfrRange range;
    std::string table = "| function | metric | 1 | 2 | 5 | 7 | 12 |\n|---|---|---:|---:|---:|---:|---:|\n";
    for (Fn const& f : functions()) {
        std::string row = std::string("| ") + f.name + " | " + (f.cond ? "cond" : "ulp") + " |";
        std::string rel = std::string("| ") + f.name + " | ulp of result |";
        for (int bp : kPrecs) {
            Worst w = measure(f, bp);
            EXPECT_LE(w.worstRatio, 1.0) << w.where;
            char cell[64];
            std::snprintf(cell, sizeof cell, " %.3g |", w.err);
            row += cell;
            std::snprintf(cell, sizeof cell, " %.3g |", w.rel);
            rel += cell;
        }
        table += row + "\n" + (f.cond ? rel + "\n" : "");
    }
    if (printing()) std::printf("Measured maximum error\n\n%s\n", table.c_str());
}

}  // namespace
