// Accuracy of the elementary functions of fp against MPFR (160 guard bits) over seeded arguments from the
// whole domain at blockPrec 1, 2, 5, 7 and 12; the same calls check that blockPrec is kept, that aliased
// operands and the value form agree, and that exact results that fit come out exactly.
// VANTREL_PRINT_ACCURACY=1 prints the measured maxima. Unit: the last place of a blockPrec-word mantissa
// at the magnitude of s, the exact result, or where the algorithm reduces or scales its argument at the
// working precision (sin, cos, tan, exp, sinh, cosh, pow) or cancels in 1 - x^2 (asin, acos, acosh),
// s = |f| + |x f'| (+ |y df/dy|).
#include <functional>

#include "fpFuncs.h"
#include "fp_oracle.h"

namespace {

using namespace oracle;

constexpr mpfr_prec_t kGuard = 160;
using Draw = std::function<void(mpfr_ptr r, Generator& g, int bp)>;  // an exact 32 bp-bit argument

// 2^e times a random mantissa in [1, 2), e in [lo, hi]; either sign unless positive.
Draw wide(int lo, int hi, bool positive = false) {
    return [=](mpfr_ptr r, Generator& g, int bp) {
        Mpz m;
        for (int i = 0; i < bp; ++i) mpz_mul_2exp(m, m, 32), mpz_add_ui(m, m, g.randomWord());
        mpz_setbit(m, static_cast<mp_bitcnt_t>(32 * bp - 1));
        mpfr_set_z_2exp(r, m, g.intIn(lo, hi) - 32 * bp + 1, MPFR_RNDN);
        if (!positive && g.coin()) mpfr_neg(r, r, MPFR_RNDN);
    };
}
// One of the points exactly.
Draw at(std::vector<char const*> points) {
    return [=](mpfr_ptr r, Generator& g, int) {
        mpfr_set_str(r, points[static_cast<std::size_t>(g.range(0, static_cast<long>(points.size()) - 1))], 10, MPFR_RNDN);
    };
}
// Near a center (a decimal text, "sqrt3", or "k*pi/2" for a random k in [-24, 24], 0 taken as 1;
// either sign when `both`): a few units of the last place away, or at a random relative distance
// 2^-k, k in [minK, 32 bp + 4]; side +1 (-1) keeps to larger (smaller) magnitudes, 0 takes either.
Draw near(std::string text, int side = 0, int minK = 1, bool both = false) {
    return [=](mpfr_ptr r, Generator& g, int bp) {
        Mpfr hc(32 * bp + kGuard), d(32 * bp + kGuard);
        if (text == "sqrt3") {
            mpfr_sqrt_ui(hc.get(), 3, MPFR_RNDN);
        } else if (text == "k*pi/2") {
            int k = g.intIn(-24, 24);
            mpfr_const_pi(hc.get(), MPFR_RNDN);
            mpfr_mul_si(hc.get(), hc.get(), k != 0 ? k : 1, MPFR_RNDN);
            mpfr_div_2ui(hc.get(), hc.get(), 1, MPFR_RNDN);
        } else {
            mpfr_set_str(hc.get(), text.c_str(), 10, MPFR_RNDN);
        }
        if (both && g.coin()) mpfr_neg(hc.get(), hc.get(), MPFR_RNDN);
        int s = side != 0 ? side : (g.coin() ? 1 : -1);
        if (g.coin()) {
            mpfr_set(r, hc.get(), MPFR_RNDN);
            for (int j = g.intIn(0, 3); j > 0; --j) (s > 0) == (mpfr_sgn(r) > 0) ? mpfr_nextabove(r) : mpfr_nextbelow(r);
        } else {
            mpfr_set_ui_2exp(d.get(), g.randomWord(), -32 - g.intIn(minK, 32 * bp + 4), MPFR_RNDN);
            mpfr_mul(d.get(), d.get(), hc.get(), MPFR_RNDN);
            (s > 0 ? mpfr_add : mpfr_sub)(r, hc.get(), d.get(), MPFR_RNDN);
        }
    };
}
Draw nearBoth(char const* text, int minK = 1) { return near(text, 0, minK, true); }
constexpr char kPointOne[] = "1.00000000000000006e-01";  // the double nearest 0.1

// ---- error model, in units of the last place at W working words ----
// A rounding costs at most half a unit. A series of N <= 32 W terms (ratio at most 1/2) adds N roundings of
// its running sum, taken as independent (0.5 sqrt(N) units), plus the truncation of each addend below the
// sum's last word (under 1/32 unit on average).
double series(int w) { return 0.5 * std::sqrt(32.0 * w) + w; }
constexpr double kMargin = 4;
// A result computed at W = max(bp, 2) + raise words, cut to bp words (a half unit) when `cut` or bp = 1
// (the two-word floor of the series functions).
double worked(int bp, int raise, bool cut, double (*m)(int)) {
    int w = (bp < 2 ? 2 : bp) + raise;
    if (w == bp) return kMargin * m(w);
    // at blockPrec 1 a one-word argument is a short operand at two words (see word())
    if (bp == 1 && raise == 0) return 0.5 + kMargin * (1 + m(w) * std::ldexp(1.0, -32));
    return (cut || bp == 1 ? 0.5 : 0) + kMargin * m(w) * std::ldexp(1.0, -32 * (w - bp));
}
// log: the series in y = 1 - t, then k ln 2 - s, which cancels by up to 2.4 (k = -1).
double mLog(int w) { return 2.5 * (series(w) + 2); }
// exp: the series, then e^n by binary powering of the cached e (its growth with n is in the condition).
double mExp(int w) { return 2 * series(w) + 4; }
// sin: x / pi, floor, times pi (up to 2 |x| units absolute), then the series, whose partial sums exceed
// the result by at most 2.
double mSin(int w) { return 2 * series(w) + 6; }
double mInverse(int w) { return 2 * series(w) + 60; }  // halvings, series and pi / 2 - a

// What a bound may depend on: the precision, the operands and floor(log2) of the scale.
struct Arg {
    int bp;
    double x, y;
    long es;
};
// One word dropped at W = max(bp, 2) + raise words, in units at bp words, times a factor for its effect on
// the scale: the core widens the operand with the larger exponent to at most W words, so subtracting a
// W-word value from a one-word value (1, an integer part) loses the lower value's last word. The same short
// sums make e, ln 2 and ln 10 lose up to 28 bits at two words and more; log and exp carry that on.
double word(Arg const& a, int raise, double factor) {
    int w = (a.bp < 2 ? 2 : a.bp) + raise;
    return kMargin * factor * std::ldexp(1.0, 32 - 32 * (w - a.bp));
}
double scaled(Arg const& a, double f) { return std::ldexp(f, static_cast<int>(-a.es)); }  // an absolute word
double reduced(Arg const& a) { return std::fabs(a.x) >= 1.7320508 ? word(a, 0, 4) : 0; }  // q - f, f one word

using M1 = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);
using Cond = std::function<void(mpfr_ptr, mpfr_srcptr, mpfr_srcptr)>;
using B = std::function<double(Arg const&)>;
struct Fn {
    char const* name;
    std::function<void(fp&, fp const&, fp const&)> ours;
    std::function<fp(fp const&, fp const&)> value;
    std::function<int(mpfr_ptr, mpfr_srcptr, mpfr_srcptr)> ref;
    Cond cond;                 // |x f'| (+ |y df/dy|); null: relative to the result
    std::vector<Draw> xs, ys;  // ys empty for one operand
    B bound;
};
// Both our forms and MPFR's function of the same name, on the first operand or on both.
#define ONE(f)                                                                                         \
    #f, [](fp& z, fp const& x, fp const&) { f(z, x); }, [](fp const& x, fp const&) { return f(x); }, \
        [](mpfr_ptr z, mpfr_srcptr x, mpfr_srcptr) { return mpfr_##f(z, x, MPFR_RNDN); }
#define TWO(f)                                                                                                \
    #f, [](fp& z, fp const& x, fp const& y) { f(z, x, y); }, [](fp const& x, fp const& y) { return f(x, y); }, \
        [](mpfr_ptr z, mpfr_srcptr x, mpfr_srcptr y) { return mpfr_##f(z, x, y, MPFR_RNDN); }

Cond xTimes(M1 d) {  // |x d(x)|
    return [d](mpfr_ptr s, mpfr_srcptr x, mpfr_srcptr) {
        d(s, x, MPFR_RNDN);
        mpfr_mul(s, s, x, MPFR_RNDN);
        mpfr_abs(s, s, MPFR_RNDN);
    };
}
int invRoot(mpfr_ptr s, mpfr_srcptr x, mpfr_rnd_t r) {  // 1 / sqrt |1 - x^2|: asin, acos, acosh
    mpfr_sqr(s, x, r);
    mpfr_ui_sub(s, 1, s, r);
    mpfr_abs(s, s, r);
    return mpfr_rec_sqrt(s, s, r);
}
int secSquared(mpfr_ptr s, mpfr_srcptr x, mpfr_rnd_t r) {
    mpfr_sec(s, x, r);
    return mpfr_sqr(s, s, r);
}
void powScale(mpfr_ptr s, mpfr_srcptr x, mpfr_srcptr y) {  // |x^y| (|y| + |y ln x|)
    Mpfr t(64);
    mpfr_log(t.get(), x, MPFR_RNDN);
    mpfr_abs(t.get(), t.get(), MPFR_RNDN);
    mpfr_add_ui(t.get(), t.get(), 1, MPFR_RNDN);
    mpfr_mul(t.get(), t.get(), y, MPFR_RNDN);
    mpfr_pow(s, x, y, MPFR_RNDN);
    mpfr_mul(s, s, t.get(), MPFR_RNDN);
    mpfr_abs(s, s, MPFR_RNDN);
}

std::vector<Fn> const& functions() {
    auto const trig = std::vector<Draw>{wide(-60, 0), nearBoth("sqrt3"), near("k*pi/2"), wide(1, 40),
                                        wide(40, 420), at({"0"})};
    auto const hyper = std::vector<Draw>{wide(-60, 3), nearBoth(kPointOne), nearBoth("0.1"), nearBoth("0.01"),
                                         wide(3, 20), at({"0"})};
    // Within [-1, 1]: asin and acos leave their domain test to their callers.
    auto const unit = std::vector<Draw>{wide(-80, -1), near("1", -1), near("-1", -1), nearBoth("0.5"),
                                        nearBoth("0.70710678118654752440", 2), at({"0", "1", "-1"})};
    auto const atan2Args = std::vector<Draw>{wide(-60, 60), nearBoth("1"), at({"0", "1", "-1", "2", "-3"})};
    static std::vector<Fn> const fns = {
        {ONE(sqrt), nullptr, {wide(-300, 300, true), near("1"), near("2"), near("4"), at({"0", "4"})},
         {}, B([](Arg const&) { return 1.0; })},  // one integer root of a mantissa, truncated
        {ONE(log), nullptr,
         {wide(-300, 300, true), near("1"), near("0.75"), near("1.5"), near("0.5"),
          near("2"), near("0.375"), near("3"), near("10")},
         {}, B([](Arg const& a) { return worked(a.bp, 0, true, mLog) + word(a, 0, scaled(a, 4)); })},
        // 1 + f drops f's last word; e (a sum from 2.5) and x - floor x may too
        {ONE(exp), xTimes(mpfr_exp),
         {wide(-60, 5), nearBoth("0.5"), nearBoth("1"), nearBoth("7"), nearBoth("700"), wide(5, 29), at({"0"})}, {},
         B([](Arg const& a) { return worked(a.bp, 0, true, mExp) + word(a, 0, 4); })},
        // integer powering (its doubling errors carried by |y|), or log, times, exp one word up
        {TWO(pow), powScale, {wide(-40, 40, true), near("1"), at({"1"})},
         {wide(-20, 6), nearBoth("3"), nearBoth("0.5"), at({"0"})},
         B([](Arg const& a) { return worked(a.bp, 0, true, [](int) { return 5.0; }) + word(a, 1, 4); })},
        {ONE(sin), xTimes(mpfr_cos), trig, {}, B([](Arg const& a) { return worked(a.bp, 0, true, mSin) + reduced(a); })},
        {ONE(cos), xTimes(mpfr_sin), trig, {}, B([](Arg const& a) { return worked(a.bp, 1, true, mSin) + word(a, 1, 4); })},
        // sin at the working precision, cos one word up and cut, the quotient
        {ONE(tan), xTimes(secSquared), trig, {}, B([](Arg const& a) {
             return worked(a.bp, 0, true, [](int w) { return mSin(w) + 2; }) + word(a, 1, 4) + reduced(a);
         })},
        {ONE(atan), nullptr, {wide(-100, 100), nearBoth("1"), nearBoth("0.01"), nearBoth("100"), at({"0", "1", "-1"})},
         {}, B([](Arg const& a) { return worked(a.bp, 2, true, mInverse); })},
        // y / x rounded, atan cut, then pi - a: pi and the subtraction on a result >= pi / 2
        {TWO(atan2), nullptr, atan2Args, atan2Args,
         B([](Arg const& a) { return worked(a.bp, 0, true, [](int) { return 1.5 + 2 * 2.0; }); })},
        // 1 - t^2 two words up drops a word there; near |x| = 1 that is the condition
        {ONE(asin), xTimes(invRoot), unit, {}, B([](Arg const& a) { return worked(a.bp, 2, true, mInverse) + word(a, 2, 4); })},
        {ONE(acos), xTimes(invRoot), unit, {}, B([](Arg const& a) { return worked(a.bp, 2, true, mInverse) + word(a, 2, 4); })},
        // exp's word, magnified up to coth 0.1 < 11 by e - 1/e above pointOne; the series below it
        {ONE(sinh), xTimes(mpfr_cosh), hyper, {},
         B([](Arg const& a) { return worked(a.bp, 0, true, [](int w) { return 11 * (mExp(w) + 1.5); }) + word(a, 0, 40); })},
        {ONE(cosh), xTimes(mpfr_sinh), hyper, {},
         B([](Arg const& a) { return worked(a.bp, 0, true, [](int w) { return mExp(w) + 1.5; }) + word(a, 0, 4); })},
        // the error of e cancels in the quotient but for a factor 2 / sinh 2x < 11
        {ONE(tanh), nullptr, hyper, {},
         B([](Arg const& a) { return worked(a.bp, 0, true, [](int w) { return 11 * (mExp(w) + 2) + 1; }) + word(a, 0, 40); })},
        // log one word up, not cut; log(w) >= asinh 0.1 magnifies by at most 10
        {ONE(asinh), nullptr, {wide(-100, 100), nearBoth(kPointOne), nearBoth("0.1"), nearBoth("1e30000"), at({"0"})}, {},
         B([](Arg const& a) {
             return worked(a.bp, 1, false, [](int w) { return 10 * (mLog(w) + 4); }) + word(a, 1, scaled(a, 2) + 1);
         })},
        {ONE(acosh), xTimes(invRoot), {near("1", 1), wide(0, 100, true), near("1e30000")}, {},
         B([](Arg const& a) { return worked(a.bp, 1, false, [](int w) { return 10 * (mLog(w) + 4); }) + word(a, 1, 4); })},
        {ONE(atanh), nullptr, {wide(-80, -1), near("1", -1), near("-1", -1), nearBoth(kPointOne), nearBoth("0.1"), at({"0"})},
         {}, B([](Arg const& a) {
             return worked(a.bp, 2, false, [](int w) { return 2 * (mLog(w) + 4); }) + word(a, 2, scaled(a, 2) + 1);
         })},
    };
    return fns;
}

// |got - exact| in units of the last place of a bp-word mantissa at the magnitude of s.
double unitsOff(fp const& got, mpfr_srcptr exact, mpfr_srcptr s, int bp) {
    Mpfr g(32 * (absLength(got.mantissa) + 1) + 2), d(mpfr_get_prec(exact) + 2);
    setMpfr(g.get(), got);
    mpfr_sub(d.get(), g.get(), exact, MPFR_RNDN);
    if (mpfr_zero_p(d.get()) || mpfr_inf_p(s)) return 0;
    if (mpfr_zero_p(s)) return HUGE_VAL;
    mpfr_mul_2si(d.get(), d.get(), 32 * bp - mpfr_get_exp(s), MPFR_RNDN);
    return std::fabs(mpfr_get_d(d.get(), MPFR_RNDN));
}

std::string text(mpfr_ptr v) {  // every digit
    char* s = nullptr;
    mpfr_asprintf(&s, "%Re", v);
    std::string r(s);
    mpfr_free_str(s);
    return r;
}

struct Worst {
    double err = 0, rel = 0, ratio = -1;  // asserted unit; unit of the result; error / bound
    std::string where;
};

Worst measure(Fn const& f, int bp) {
    PrecScope prec(bp);
    Generator g(0xACC0000u + 977u * static_cast<unsigned>(bp) + std::hash<std::string>{}(f.name) % 100000u);
    Mpfr x(32 * bp), y(32 * bp), exact(32 * bp + kGuard), s(64), c(64);
    mpfr_set_ui(y.get(), 1, MPFR_RNDN);
    fp const stale("-123.456");
    Worst w;
    for (int i = bp <= 2 ? 500 : bp <= 5 ? 400 : bp <= 7 ? 250 : 120; i > 0; --i) {
        f.xs[static_cast<std::size_t>(g.range(0, static_cast<int>(f.xs.size()) - 1))](x.get(), g, bp);
        if (!f.ys.empty()) f.ys[static_cast<std::size_t>(g.range(0, static_cast<int>(f.ys.size()) - 1))](y.get(), g, bp);
        fp fx = fpOfMpfr(x.get()), fy = fpOfMpfr(y.get()), z = stale, a = fx, b = fy, v;
        bool kept = true;
        auto call = [&](auto run) { run(), kept = kept && blockPrec == bp, blockPrec = bp; };
        call([&] { f.ours(z, fx, fy); });
        call([&] { f.ours(a, a, fy); });
        call([&] { f.ours(b, fx, b); });  // for one operand a distinct target holding 1
        call([&] { v = f.value(fx, fy); });
        auto where = [&] {
            return std::string(f.name) + "(" + text(x.get()) + (f.ys.empty() ? "" : ", " + text(y.get())) +
                   ") at blockPrec " + std::to_string(bp) + ": got " + show(v);
        };
        EXPECT_TRUE(kept) << where() << ": blockPrec changed";
        // tan leaves its target unchanged where its cosine comes out zero; v (0) is measured
        bool untouched = sameFp(z, stale), same = sameFp(a, z) && sameFp(b, z) && sameFp(v, z);
        EXPECT_TRUE(untouched ? sameFp(a, fx) && sameFp(b, fy) && v.mantissa.length == 0 : same)
            << where() << ": aliased or value form differs";
        int inexact = f.ref(exact.get(), x.get(), y.get());
        mpfr_abs(s.get(), exact.get(), MPFR_RNDN);
        if (f.cond) {
            f.cond(c.get(), x.get(), y.get());
            mpfr_add(s.get(), s.get(), c.get(), MPFR_RNDN);
        }
        double e = unitsOff(v, exact.get(), s.get(), bp), rel = unitsOff(v, exact.get(), exact.get(), bp);
        double bound = f.bound({bp, mpfr_get_d(x.get(), MPFR_RNDN), mpfr_get_d(y.get(), MPFR_RNDN),
                                mpfr_regular_p(s.get()) ? static_cast<long>(mpfr_get_exp(s.get())) - 1 : 0});
        // an exact result that fits in blockPrec words comes out exactly
        EXPECT_TRUE(inexact != 0 || mpfr_min_prec(exact.get()) > 32 * bp || rel == 0) << where();
        w.rel = std::fmax(w.rel, rel), w.err = std::fmax(w.err, e);
        if (e / bound > w.ratio)
            w.ratio = e / bound, w.where = where() + ", off by " + std::to_string(e) + " units, bound " + std::to_string(bound);
    }
    return w;
}

TEST(FpFuncsAccuracy, EveryFunctionWithinItsModelledBound) {
    MpfrRange range;
    std::string table = "| function | metric | 1 | 2 | 5 | 7 | 12 |\n|---|---|---:|---:|---:|---:|---:|\n";
    for (Fn const& f : functions()) {
        std::string row = std::string("| ") + f.name + " | " + (f.cond ? "cond" : "ulp") + " |";
        std::string rel = std::string("| ") + f.name + " | ulp of result |";
        for (int bp : {1, 2, 5, 7, 12}) {
            Worst w = measure(f, bp);
            EXPECT_LE(w.ratio, 1.0) << w.where;
            char cell[64];
            std::snprintf(cell, sizeof cell, " %.3g |", w.err);
            row += cell;
            std::snprintf(cell, sizeof cell, " %.3g |", w.rel);
            rel += cell;
        }
        table += row + "\n" + (f.cond ? rel + "\n" : "");
    }
    char const* print = std::getenv("VANTREL_PRINT_ACCURACY");
    if (print != nullptr && print[0] == '1') std::printf("Measured maximum error\n\n%s\n", table.c_str());
}

}  // namespace
