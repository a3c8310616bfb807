// Rules of the elementary functions of fp besides accuracy: the constants and their cache, blockPrec,
// aliasing and value forms on every path with the domain edges, the order of the cases of pow, and rounding
// to integers, decimal output, double conversions and stream operators against exact GMP rationals.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

#include "fpConv.h"
#include "fpFuncs.h"
#include "fpMath.h"
#include "fp_oracle.h"
#include "mbConv.h"
#include "mbMath.h"

namespace {

using namespace oracle;

struct Constant {
    char const* name;
    void (*ours)(fp&);
    int (*ref)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);
    long arg;
};
Constant const kConstants[] = {{"e", ComputeE, mpfr_exp, 1}, {"pi", ComputePi, mpfr_acos, -1},
                               {"ln2", ComputeLn2, mpfr_log, 2}, {"ln10", ComputeLog_10, mpfr_log, 10}};

// 40 words is above every precision the suite otherwise uses, so the first call computes;
// 24 rounds the cached value, 41 computes again.
TEST(FpFuncsRules, ConstantsAreComputedOnlyWhenThePrecisionRisesAndRoundedOtherwise) {
    for (auto const& c : kConstants) {
        Mpfr exact(32 * 60), got(32 * 60);
        mpfr_set_si(exact.get(), c.arg, MPFR_RNDN);
        c.ref(exact.get(), exact.get(), MPFR_RNDN);
        fp high, low;
        PrecScope p(40);
        for (int bp : {40, 24, 41}) {
            blockPrec = bp;
            c.ours(bp == 24 ? low : high);
            if (bp == 24) {
                fpNormalize(high);
                EXPECT_TRUE(sameFp(low, high)) << c.name << ": not the 40-word value rounded";
                continue;
            }
            // the series start from one-word sums, whose additions keep the next term only down to
            // bp - 1 words below them: up to 2^32 units of the last place
            setMpfr(got.get(), high);
            mpfr_sub(got.get(), got.get(), exact.get(), MPFR_RNDN);
            mpfr_mul_2si(got.get(), got.get(), 32 * bp - 32 - mpfr_get_exp(exact.get()), MPFR_RNDN);
            EXPECT_LE(std::fabs(mpfr_get_d(got.get(), MPFR_RNDN)), 1) << c.name << " at " << bp << ": " << show(high);
            EXPECT_GT(absLength(high.mantissa), bp - 1) << c.name << ": not computed at " << bp << " words";
        }
    }
}

// A one-operand function and where it must leave its target unchanged (null: no claim, as
// tan whose cosine may come out zero).
struct Unary {
    char const* name;
    void (*f)(fp&, fp const&);
    fp (*v)(fp const&);
    bool (*outside)(double);
};
bool never(double) { return false; }
bool beyondOne(double x) { return std::fabs(x) > 1; }
bool beyondExp(double x) { return std::fabs(x) > 1481763716; }  // e^x out of the exponent range
#define U(f, out) {#f, f, f, out}
std::vector<Unary> const kUnary = {
    U(sqrt, [](double x) { return x < 0; }), U(log, [](double x) { return x <= 0; }), U(exp, beyondExp),
    U(sinh, beyondExp), U(cosh, beyondExp), U(sin, never), U(cos, never), U(tan, nullptr), U(atan, never),
    U(asin, beyondOne), U(acos, beyondOne), U(tanh, never), U(asinh, never), U(acosh, [](double x) { return x < 1; }),
    U(atanh, [](double x) { return std::fabs(x) >= 1; }), U(floor, never), U(ceil, never), U(sqr, never)};
#undef U

// Zero, the domain edges, tiny, huge and out of range, at blockPrec 0 to 5: blockPrec is
// kept on every path; a call either writes the value form's result (also into an aliased
// operand) or leaves its target unchanged while the value form gives 0.
TEST(FpFuncsRules, EveryPathKeepsBlockPrecAliasesAndItsDomain) {
    fp const stale("-123.456"), y("0.75");
    for (int bp : {0, 1, 2, 5}) {
        PrecScope p(bp);
        for (char const* s : {"0", "1", "-1", "0.5", "-0.5", "1.5", "2", "-2", "0.1", "1e-30", "1e30", "1e30001",
                              "-7.25", "1099511627776", "-1099511627776", "1481763716", "-1481763717"}) {
            fp const x(s);
            for (auto const& u : kUnary) {
                fp z = stale, a = x, v;
                u.f(z, x), u.f(a, a), v = u.v(x);
                bool untouched = sameFp(z, stale);
                EXPECT_TRUE(untouched ? sameFp(a, x) && v.mantissa.length == 0 : sameFp(a, z) && sameFp(v, z))
                    << u.name << " of " << s << " at " << bp << ": " << show(z) << ", " << show(a) << ", " << show(v);
                EXPECT_TRUE(blockPrec == bp && (!u.outside || untouched == u.outside(std::strtod(s, nullptr))))
                    << u.name << " of " << s << " at " << bp;
            }
            fp z = x, a = x, b = y, c = x;  // the refusals of pow write zero
            bool ok = pow(z, x, y);
            EXPECT_TRUE(pow(a, a, y) == ok && pow(b, x, b) == ok && sameFp(a, z) && sameFp(b, z)) << "pow of " << s;
            EXPECT_TRUE(pow(c, c, 7) == pow(z, x, 7) && sameFp(c, z)) << "pow of " << s;
            atan2(z, y, x), atan2(z, x, y), pow(z, x, 2147483647), pow(z, 2.5, x), pow(z, x, 0.5);
            owned(fpToStr(x, 30)), owned(GetNumberFromLog(x));
            double d = 0;
            equate(d, x);
            for (auto const& k : kConstants) k.ours(z);
            EXPECT_EQ(blockPrec, bp) << "pow, text, double forms or constants of " << s;
        }
    }
    PrecScope p(3);
    fp halfPi = stale, z = stale;
    {
        PrecScope up(4);  // cos works one word up, where x / pi is then exactly 1/2
        ComputePi(halfPi);
        halfPi.exponent -= 1;
    }
    tan(z, halfPi);
    EXPECT_TRUE(sameFp(z, stale) && tan(halfPi).mantissa.length == 0) << show(z);
    EXPECT_TRUE(mpq_equal(valueOf(tanh(fp("-1481763717"))), Mpq("-1")) && mpq_equal(valueOf(tanh(fp("1e30"))), Mpq("1")));
}

TEST(FpFuncsRules, PowTakesItsCasesInOrder) {
    PrecScope p(3);
    int const kFp = INT_MIN + 1;  // the fp form of the exponent, else the int form
    fp const none, big = power2(40);
    struct Row {
        fp x, y;
        int n;
        bool ok;
        char const* want;  // exact value, "~q" for q within 1e-15, or "2^" for 2^2147483647
    } const rows[] = {
        {fp("0"), fp("0"), kFp, true, "1"},      {fp("0"), none, 0, true, "0"},
        {fp("0"), fp("2"), kFp, true, "0"},      {fp("0"), none, -3, true, "0"},
        {fp("1"), big, kFp, true, "1"},          {fp("1"), none, -5, true, "1"},
        {fp("5"), none, 0, true, "1"},           {fp("-2"), fp("3"), kFp, true, "-8"},
        {fp("-2"), none, 3, true, "-8"},         {fp("-8"), fp("1") / fp("3"), kFp, false, "0"},
        {fp("2"), fp("-2"), kFp, true, "1/4"},   {fp("2"), none, -2, true, "1/4"},
        {fp("4"), none, 1073741824, false, "0"}, {fp("4"), fp("1073741824"), kFp, false, "0"},
        {fp("-1"), big, kFp, true, "1"},         {fp("-1"), big + fp("1"), kFp, true, "-1"},
        {fp("2"), big, kFp, false, "0"},         {fp("0.5"), big, kFp, false, "0"},
        {fp("3"), none, 2000000000, false, "0"}, {fp("0.5"), none, INT_MIN, false, "0"},
        {fp("4"), fp("0.5"), kFp, true, "~2"},   {fp("8"), fp("-1") / fp("3"), kFp, true, "~1/2"},
        {fp("2"), none, 2147483647, true, "2^"}, {fp("2"), fp("2147483647"), kFp, true, "2^"},
    };
    for (auto const& r : rows) {
        fp z("99");
        bool ok = r.n == kFp ? pow(z, r.x, r.y) : pow(z, r.x, r.n);
        std::string what = show(r.x) + " ^ " + (r.n == kFp ? show(r.y) : std::to_string(r.n)) + ": got " + show(z);
        EXPECT_EQ(ok, r.ok) << what;
        Mpz m = toMpz(z.mantissa);
        if (r.want[0] == '~') {
            EXPECT_NEAR(mpq_get_d(valueOf(z)), mpq_get_d(Mpq(r.want + 1)), 1e-15) << what;
        } else if (r.want[1] == '^') {  // the exponent at the top of the range
            EXPECT_TRUE(mpz_popcount(m) == 1 && int64(z.exponent) + int64(mpz_sizeinbase(m, 2)) - 1 == 2147483647) << what;
        } else {
            EXPECT_TRUE(mpq_equal(valueOf(z), Mpq(r.want))) << what;
        }
    }
    EXPECT_TRUE(mpq_equal(valueOf(pow(2.0, fp("3"))), Mpq("8")) && mpq_equal(valueOf(pow(fp("3"), 2.0)), Mpq("9")));
}

// fpToDecimal gives the integer that fpToStr2's text reads as, with the same exponent.
void sameDigits(fp const& x, int n) {
    int e10Text = 12345, e10 = 54321;
    mb m;
    std::string text = owned(fpToStr2(e10Text, x, n));
    fpToDecimal(e10, m, x, n);
    EXPECT_TRUE(toMpz(m) == Mpz(text.c_str()) && e10 == e10Text) << text << " at " << n << " digits, " << e10;
}

// Random values near 1 and over the double range, either sign, full or short mantissas,
// decimal ones with trailing zeros, and values that catch rounding to integers: fpToStr
// (and fpToDecimal) at 1 to 60 digits; equate to double (its 16-digit text read back);
// floor, ceil, isItInteger, isItEven; and of the mantissa as an mb, equate to double and log.
TEST(FpFuncsRules, TextDoublesAndIntegersAgainstExactRationals) {
    std::vector<fp> const edges = {fp("-2.5"), fp("0.5"), fp("-0.5"), fp("3"), fp("1e-30"), fp("-1e-30"),
                                   fpOf("6", -1), fpOf("-0x500000000", -32), fp("1099511627776.5"), power2(70)};
    Generator g(0x7E57);
    for (int i = 0; i < 3000; ++i) {
        int n = g.intIn(1, 60);
        // enough words that the scaling (one word up) resolves n + 2 digits with room
        PrecScope q(static_cast<int32>((n + 3) * 332 / 100 + 80) / 32);
        Mpz m;
        for (int w = 0; w < blockPrec; ++w) mpz_mul_2exp(m, m, 32), mpz_add_ui(m, m, g.randomWord());
        if (g.oneIn(4)) mpz_tdiv_q_2exp(m, m, static_cast<mp_bitcnt_t>(g.intIn(1, 32 * blockPrec - 1)));  // short
        if (mpz_sgn(m) == 0 || g.coin()) mpz_neg(m, m), mpz_sub_ui(m, m, 1);
        int e = (g.coin() ? g.intIn(-1000, 1000) : g.intIn(-40, 40)) - static_cast<int>(mpz_sizeinbase(m, 2));
        fp x = i < static_cast<int>(edges.size()) ? edges[static_cast<std::size_t>(i)] : fpOf(m, e);
        if (g.oneIn(5)) {
            std::string t = (g.coin() ? "-" : "") + std::to_string(g.range(1, 999999999)) + std::string(static_cast<std::size_t>(g.intIn(0, 25)), '0');
            ASSERT_TRUE(equate(x, (t + "." + std::to_string(g.range(0, 99999)) + "e" + std::to_string(g.intIn(-290, 270))).c_str()));
        }
        fpNormalize(x);
        Mpq const exact = valueOf(x);
        ASSERT_EQ(owned(fpToStr(x, n)), decimalText(exact, n)) << show(x) << ", " << n << " digits";
        sameDigits(x, g.intIn(1, 120));
        sameDigits(x, 32);  // repeated digit counts, as a run of results has
        double d = -1;
        EXPECT_TRUE(equate(d, x));
        EXPECT_EQ(d, std::strtod(decimalText(exact, 16).c_str(), nullptr)) << show(x);
        Mpz fl, ce;
        mpz_fdiv_q(fl, mpq_numref(static_cast<mpq_srcptr>(exact)), mpq_denref(static_cast<mpq_srcptr>(exact)));
        mpz_cdiv_q(ce, mpq_numref(static_cast<mpq_srcptr>(exact)), mpq_denref(static_cast<mpq_srcptr>(exact)));
        EXPECT_TRUE(mpq_equal(valueOf(floor(x)), ratio(fl, 0)) && mpq_equal(valueOf(ceil(x)), ratio(ce, 0))) << show(x);
        EXPECT_EQ(isItInteger(x), fl == ce) << show(x);
        EXPECT_TRUE(fl.sign() == 0 || isItEven(floor(x)) == (mpz_even_p(fl) != 0)) << show(x);
        mb const& mant = x.mantissa;
        EXPECT_TRUE(equate(d, mant));
        EXPECT_EQ(d, std::strtod(decimalText(valueOf(mant), 16).c_str(), nullptr)) << describe(mant);
        double v = 7;
        log(v, mant);
        if (mant.length < 0) {
            EXPECT_TRUE(v == 7 && log(mant) == 0) << describe(mant);
        } else {  // log's 1 - t keeps t only to blockPrec - 1 words: 2^(33 - 32 bp) absolute
            EXPECT_NEAR(v, std::log(mpz_get_d(toMpz(mant))), 1e-15 * std::fabs(v) + std::ldexp(1.0, 34 - 32 * blockPrec))
                << describe(mant);
        }
    }
    PrecScope p(5);
    for (int i = 0; i < 12; ++i) {  // binary exponents near the ends of their range
        fp x = fpOf(Mpz(3 + i), (i % 2 ? 1 : -1) * (2147483000 + i * 50));
        sameDigits(x, 20), sameDigits(x, 1 + i * 7);
    }
    int e10 = 7;
    mb m;
    fpToDecimal(e10, m, fp("2.5"), 0);
    EXPECT_TRUE(m.length == 0 && e10 == 0);
    fpToDecimal(e10, m, fp("0"), 10);
    EXPECT_EQ(m.length, 0);
    struct Row {
        char const* x;
        int n;
        char const* want;
    } const rows[] = {
        {"1234.5", 16, "1234.5"}, {"1000", 16, "1000"},         {"1200", 16, "1200"},  {"12000", 16, "12000"},
        {"10000", 16, "1.e4"},    {"1.5e10", 16, "1.5e10"},     {"0.5", 16, "0.5"},    {"0.0001234", 16, "0.0001234"},
        {"0.00001234", 16, "1.234e-5"}, {"-2.5", 16, "-2.5"},   {"9.99999999999999999", 16, "10"},
        {"5e7", 16, "5.e7"},      {"0", 16, "0"},               {"3", 0, "0"},         {"-3", -2, "0"},
    };
    for (auto const& r : rows) EXPECT_EQ(owned(fpToStr(fp(r.x), r.n)), r.want) << r.x << ", " << r.n;
    EXPECT_EQ(owned(fpToStr(fp("2") / fp("3"), 16)), "0.6666666666666667");
    double d = 5;
    EXPECT_TRUE(equate(d, fp("0")) && d == 0.0);
}

// "MeX" with X a plain integer, floor(x / ln 10), and M e^(x - X ln 10) within 4 units of its
// digits (k = 8 blockPrec - |X|) and what q - i loses: q only down to a word below i's grid.
TEST(FpFuncsRules, GetNumberFromLogGivesMantissaAndPlainExponent) {
    PrecScope p(3);
    MpfrRange range;
    EXPECT_EQ(owned(GetNumberFromLog(fp("0"))), "1");
    for (char const* x : {"1", "-1", "0.5", "100", "-100", "23027.002", "-23027.002", "1000000", "-0.0001"}) {
        std::string s = owned(GetNumberFromLog(fp(x)));
        std::size_t at = s.find('e');
        ASSERT_NE(at, std::string::npos) << s;
        std::string ex = s.substr(at + 1);
        Mpfr want(256), ln10(256), got(256);
        mpfr_set_str(want.get(), x, 10, MPFR_RNDN);
        mpfr_log_ui(ln10.get(), 10, MPFR_RNDN);
        mpfr_div(want.get(), want.get(), ln10.get(), MPFR_RNDN);
        EXPECT_TRUE(std::to_string(std::atol(ex.c_str())) == ex && std::atol(ex.c_str()) == mpfr_get_si(want.get(), MPFR_RNDD))
            << x << ": " << s;
        double lost = 2.31 * std::ldexp(1.0, 33 + static_cast<int>(mpfr_get_exp(want.get())) - 32 * blockPrec) +
                      2.31 * std::ldexp(1.0, 33 - 32 * blockPrec);
        mpfr_set_str(got.get(), s.substr(0, at).c_str(), 10, MPFR_RNDN);
        mpfr_sub_si(want.get(), want.get(), std::atol(ex.c_str()), MPFR_RNDN);
        mpfr_exp10(want.get(), want.get(), MPFR_RNDN);
        mpfr_div(got.get(), got.get(), want.get(), MPFR_RNDN);
        mpfr_sub_ui(got.get(), got.get(), 1, MPFR_RNDN);
        double digits = 8 * 3 - static_cast<double>(ex.size()) + (ex[0] == '-');
        EXPECT_LE(std::fabs(mpfr_get_d(got.get(), MPFR_RNDN)), 4 * std::pow(10.0, 1 - digits) + lost) << x << ": " << s;
    }
}

TEST(FpFuncsRules, StreamsPrintDecPrecDigitsAndReadTokens) {
    PrecScope p(3);
    int saved = getDecPrec();
    setDecPrec(12);
    std::ostringstream os;
    os << std::setw(10) << fp("2") / fp("3") << '|' << fp("-2.5") << '|' << fp("12000") << '|' << std::setw(6) << fp("1.5");
    setDecPrec(saved);
    EXPECT_EQ(os.str(), "0.666666666667|-2.5|12000|   1.5");
    std::istringstream in("1.5 2 abc");
    fp a, b, c("7"), d("7");
    in >> a >> b;
    EXPECT_TRUE(mpq_equal(valueOf(a), Mpq("3/2")) && mpq_equal(valueOf(b), Mpq("2")));
    for (auto [t, err] : {std::pair{&c, "conversion error!\n"}, {&d, ""}}) {  // d: end of input, zero
        ::testing::internal::CaptureStderr();
        in >> *t;
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), err);
    }
    EXPECT_TRUE(d.mantissa.length == 0 && in.fail());
}

}  // namespace
