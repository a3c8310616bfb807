// Rules of the elementary functions of fp that are not accuracy: the constants and
// their cache, blockPrec kept on every path, domain edges, aliasing, the order of
// the cases of pow, rounding to integers, and the decimal output, double conversions
// and stream operators against exact decimal rounding.
#include <gtest/gtest.h>

#include <gmp.h>
#include <mpfr.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

#include "fp.h"
#include "fpConv.h"
#include "fpFuncs.h"
#include "fpMath.h"
#include "fp_oracle.h"
#include "mbConv.h"
#include "mbMath.h"

namespace {

using namespace oracle;

using F1 = void (*)(fp&, fp const&);
using V1 = fp (*)(fp const&);
struct Unary {
    char const* name;
    F1 f;
    V1 v;
};
std::vector<Unary> const kUnary = {
    {"sqrt", sqrt, sqrt},   {"log", log, log},     {"exp", exp, exp},       {"sin", sin, sin},
    {"cos", cos, cos},      {"tan", tan, tan},     {"atan", atan, atan},    {"asin", asin, asin},
    {"acos", acos, acos},   {"sinh", sinh, sinh},  {"cosh", cosh, cosh},    {"tanh", tanh, tanh},
    {"asinh", asinh, asinh}, {"acosh", acosh, acosh}, {"atanh", atanh, atanh}, {"floor", floor, floor},
    {"ceil", ceil, ceil},   {"sqr", sqr, sqr},
};

fp big(int e) { return power2(e); }  // 2^e exactly

// |got - exact| <= ulps units of the last place of a bp-word mantissa at |exact|.
::testing::AssertionResult near(fp const& got, mpfr_srcptr exact, int bp, double ulps) {
    Mpfr g(32 * 40), d(32 * 40);
    setMpfr(g.get(), got);
    mpfr_sub(d.get(), g.get(), exact, MPFR_RNDN);
    if (mpfr_zero_p(d.get())) return ::testing::AssertionSuccess();
    if (!mpfr_zero_p(exact)) mpfr_mul_2si(d.get(), d.get(), 32 * bp - mpfr_get_exp(exact), MPFR_RNDN);
    double e = std::fabs(mpfr_get_d(d.get(), MPFR_RNDN));
    if (!mpfr_zero_p(exact) && e <= ulps) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "off by " << e << " units at blockPrec " << bp << ": got " << show(got);
}

// ---- constants ----

struct Constant {
    char const* name;
    void (*ours)(fp&);
    std::function<void(mpfr_ptr)> ref;
};
std::vector<Constant> const kConstants = {
    {"e", ComputeE, [](mpfr_ptr r) {
         mpfr_set_ui(r, 1, MPFR_RNDN);
         mpfr_exp(r, r, MPFR_RNDN);
     }},
    {"pi", ComputePi, [](mpfr_ptr r) { mpfr_const_pi(r, MPFR_RNDN); }},
    {"ln2", ComputeLn2, [](mpfr_ptr r) { mpfr_const_log2(r, MPFR_RNDN); }},
    {"ln10", ComputeLog_10, [](mpfr_ptr r) {
         mpfr_set_ui(r, 10, MPFR_RNDN);
         mpfr_log(r, r, MPFR_RNDN);
     }},
};

// Above every precision the suite otherwise uses, so the first call computes.
TEST(FpFuncsRules, ConstantsAreComputedOnlyWhenThePrecisionRisesAndRoundedOtherwise) {
    for (auto const& c : kConstants) {
        SCOPED_TRACE(c.name);
        Mpfr exact(32 * 60);
        c.ref(exact.get());
        fp high, low, higher;
        {
            PrecScope p(40);
            c.ours(high);
            // the series start from one-word sums, whose additions keep the next term
            // only down to 39 words below them: up to 2^32 units
            EXPECT_TRUE(near(high, exact.get(), 40, std::ldexp(1.0, 32)));
        }
        {
            PrecScope p(24);
            c.ours(low);
            fp rounded = high;
            fpNormalize(rounded);
            EXPECT_TRUE(sameFp(low, rounded));
        }
        {
            PrecScope p(41);
            c.ours(higher);
            EXPECT_TRUE(near(higher, exact.get(), 41, std::ldexp(1.0, 32)));
            EXPECT_GT(absLength(higher.mantissa), 40) << "not recomputed at 41 words";
        }
    }
}

// ---- blockPrec, domain edges, aliasing ----

// Every path, early exits included: zero, the domain edges, 1, tiny, huge, out of range.
std::vector<fp> edgeArgs() {
    std::vector<fp> v;
    for (char const* s : {"0", "1", "-1", "0.5", "-0.5", "1.5", "2", "-2", "0.1", "1e-30", "1e30", "1e30001", "-7.25"})
        v.push_back(fp(s));
    v.push_back(big(40));
    v.push_back(-big(40));
    return v;
}

TEST(FpFuncsRules, BlockPrecAndAliasingOnEveryPath) {
    for (int bp : {0, 1, 2, 5}) {
        PrecScope p(bp);
        for (fp const& x : edgeArgs()) {
            for (auto const& u : kUnary) {
                fp z = x, alias = x;
                u.f(z, x);
                EXPECT_EQ(blockPrec, bp) << u.name << " of " << show(x);
                u.f(alias, alias);
                EXPECT_TRUE(sameFp(alias, z)) << u.name << " in place of " << show(x) << " at " << bp;
                fp v = u.v(x);
                EXPECT_EQ(blockPrec, bp);
            }
            fp y(fp("0.75")), z = x, a = x, b = y;
            atan2(z, y, x);
            atan2(a, y, a);
            atan2(b, b, x);
            EXPECT_TRUE(sameFp(a, z) && sameFp(b, z)) << "atan2 of " << show(x);
            z = x, a = x, b = y;
            bool ok = pow(z, x, y);
            EXPECT_EQ(pow(a, a, y), ok);
            EXPECT_EQ(pow(b, x, b), ok);
            EXPECT_TRUE(sameFp(a, z) && sameFp(b, z)) << "pow of " << show(x);
            a = x;
            EXPECT_EQ(pow(a, a, 7), pow(z, x, 7));
            EXPECT_TRUE(sameFp(a, z));
            pow(z, x, 2147483647);
            pow(z, 2.5, x);
            pow(z, x, 0.5);
            free(fpToStr(x, 30));
            free(GetNumberFromLog(x));
            double d = 0;
            equate(d, x);
            EXPECT_EQ(blockPrec, bp) << "pow, text or double forms of " << show(x);
        }
        fp k;
        for (auto const& c : kConstants) c.ours(k);
        EXPECT_EQ(blockPrec, bp);
    }
}

TEST(FpFuncsRules, OutsideTheDomainTheTargetIsUnchangedAndTheValueFormZero) {
    struct Row {
        char const* name;
        F1 f;
        V1 v;
        fp x;
    };
    PrecScope p(3);
    fp halfPi;
    {
        PrecScope up(4);  // cos works one word up, where x / pi is then exactly 1/2
        ComputePi(halfPi);
        halfPi.exponent -= 1;
    }
    std::vector<Row> const rows = {
        {"sqrt", sqrt, sqrt, fp("-1")},     {"log", log, log, fp("0")},        {"log", log, log, fp("-5")},
        {"exp", exp, exp, big(40)},         {"exp", exp, exp, -big(40)},       {"exp", exp, exp, fp("1481763717")},
        {"asin", asin, asin, fp("1.5")},    {"acos", acos, acos, fp("-2")},    {"acosh", acosh, acosh, fp("0.5")},
        {"acosh", acosh, acosh, fp("-2")},  {"atanh", atanh, atanh, fp("1")},  {"atanh", atanh, atanh, fp("-1")},
        {"atanh", atanh, atanh, fp("2")},   {"tan", tan, tan, halfPi},
    };
    fp const stale("-123.456");
    for (auto const& r : rows) {
        fp z = stale;
        r.f(z, r.x);
        EXPECT_TRUE(sameFp(z, stale)) << r.name << " of " << show(r.x);
        EXPECT_EQ(r.v(r.x).mantissa.length, 0) << r.name << " of " << show(r.x);
    }
}

// Exact results of the edge cases, and pi multiples within a unit.
TEST(FpFuncsRules, EdgeValues) {
    PrecScope p(4);
    Mpfr pi(32 * 8), want(32 * 8);
    mpfr_const_pi(pi.get(), MPFR_RNDN);
    struct Row {
        fp got;
        char const* exact;  // a rational, or "k pi / d" as "pi*k/d"
    };
    std::vector<Row> const rows = {
        {sin(fp("0")), "0"},  {cos(fp("0")), "1"},  {tan(fp("0")), "0"},     {sinh(fp("0")), "0"},
        {cosh(fp("0")), "1"}, {tanh(fp("0")), "0"}, {asinh(fp("0")), "0"},   {acosh(fp("1")), "0"},
        {log(fp("1")), "0"},  {exp(fp("0")), "1"},  {sqrt(fp("4")), "2"},    {sqrt(fp("0")), "0"},
        {asin(fp("0")), "0"}, {acos(fp("1")), "0"}, {atan2(fp("0"), fp("0")), "0"}, {atan(fp("0")), "0"},
        {atan2(fp("0"), fp("3")), "0"}, {atan(fp("1")), "pi*1/4"}, {atan(fp("-1")), "pi*-1/4"},
        {asin(fp("1")), "pi*1/2"}, {asin(fp("-1")), "pi*-1/2"}, {acos(fp("0")), "pi*1/2"}, {acos(fp("-1")), "pi*1/1"},
        {atan2(fp("2"), fp("0")), "pi*1/2"}, {atan2(fp("-2"), fp("0")), "pi*-1/2"}, {atan2(fp("0"), fp("-3")), "pi*1/1"},
        {atan2(fp("1"), fp("-1")), "pi*3/4"}, {atan2(fp("-1"), fp("-1")), "pi*-3/4"},
    };
    for (auto const& r : rows) {
        int k = 0, d = 1;
        if (std::sscanf(r.exact, "pi*%d/%d", &k, &d) == 2) {
            mpfr_mul_si(want.get(), pi.get(), k, MPFR_RNDN);
            mpfr_div_si(want.get(), want.get(), d, MPFR_RNDN);
            EXPECT_TRUE(near(r.got, want.get(), 4, 1)) << r.exact;
        } else {
            EXPECT_TRUE(mpq_equal(valueOf(r.got), Mpq(r.exact))) << r.exact << ": got " << show(r.got);
        }
    }
}

// ---- pow, floor, ceil, isItInteger ----

TEST(FpFuncsRules, PowTakesItsCasesInOrder) {
    PrecScope p(3);
    struct Row {
        fp x, y;
        int n;        // the int form when y is zero-length and n != INT_MIN + 1
        bool ok;
        char const* want;  // exact value, or "~q" within 4 units
    };
    int const kFp = INT_MIN + 1;
    fp const none;
    std::vector<Row> const rows = {
        {fp("0"), fp("0"), kFp, true, "1"},          {fp("0"), none, 0, true, "0"},
        {fp("0"), fp("2"), kFp, true, "0"},          {fp("0"), none, -3, true, "0"},
        {fp("1"), big(40), kFp, true, "1"},          {fp("1"), none, -5, true, "1"},
        {fp("5"), none, 0, true, "1"},               {fp("-2"), fp("3"), kFp, true, "-8"},
        {fp("-2"), none, 3, true, "-8"},             {fp("-8"), fp("1") / fp("3"), kFp, false, "0"},
        {fp("2"), fp("-2"), kFp, true, "1/4"},       {fp("2"), none, -2, true, "1/4"},
        {fp("4"), none, 1073741824, false, "0"},     {fp("4"), fp("1073741824"), kFp, false, "0"},
        {fp("-1"), big(40), kFp, true, "1"},         {fp("-1"), big(40) + fp("1"), kFp, true, "-1"},
        {fp("2"), big(40), kFp, false, "0"},         {fp("0.5"), big(40), kFp, false, "0"},
        {fp("3"), none, 2000000000, false, "0"},     {fp("0.5"), none, INT_MIN, false, "0"},
        {fp("4"), fp("0.5"), kFp, true, "~2"},       {fp("8"), fp("-1") / fp("3"), kFp, true, "~1/2"},
    };
    for (auto const& r : rows) {
        fp z("99");
        bool ok = r.n == kFp ? pow(z, r.x, r.y) : pow(z, r.x, r.n);
        std::string what = show(r.x) + " ^ " + (r.n == kFp ? show(r.y) : std::to_string(r.n));
        EXPECT_EQ(ok, r.ok) << what;
        if (r.want[0] == '~') {
            Mpfr w(32 * 8);
            mpfr_set_q(w.get(), Mpq(r.want + 1), MPFR_RNDN);
            EXPECT_TRUE(near(z, w.get(), 3, 4)) << what;
        } else {
            EXPECT_TRUE(mpq_equal(valueOf(z), Mpq(r.want))) << what << ": got " << show(z);
        }
    }
    // 2^2147483647 is accepted: the exponent sits at the top of the range.
    fp z;
    EXPECT_TRUE(pow(z, fp("2"), 2147483647));
    EXPECT_TRUE(mpz_cmp_ui(toMpz(z.mantissa), 0) > 0 &&
                int64(z.exponent) + int64(mpz_sizeinbase(toMpz(z.mantissa), 2)) - 1 == 2147483647)
        << show(z);
    EXPECT_TRUE(pow(z, fp("2"), fp("2147483647")));
    EXPECT_TRUE(mpq_equal(valueOf(pow(2.0, fp("3"))), Mpq("8")));
    EXPECT_TRUE(mpq_equal(valueOf(pow(fp("3"), 2.0)), Mpq("9")));
}

TEST(FpFuncsRules, FloorCeilAndIntegerTests) {
    PrecScope p(2);
    struct Row {
        fp x;
        char const *fl, *ce;
        bool integer;
    };
    std::vector<Row> const rows = {
        {fp("-2.5"), "-3", "-2", false}, {fp("2.5"), "2", "3", false},    {fp("-0.5"), "-1", "0", false},
        {fp("0.5"), "0", "1", false},    {fp("3"), "3", "3", true},       {fp("0"), "0", "0", true},
        {fpOf("6", -1), "3", "3", true}, {fpOf("-6", -1), "-3", "-3", true},  // integers held with a fraction's exponent
        {fpOf("0x500000000", -32), "5", "5", true}, {fpOf("-0x500000000", -32), "-5", "-5", true},
        {fp("1e-30"), "0", "1", false},  {fp("-1e-30"), "-1", "0", false}, {fp("1099511627776.5"), "1099511627776", "1099511627777", false},
        {big(70), "1180591620717411303424", "1180591620717411303424", true},
    };
    for (auto const& r : rows) {
        EXPECT_TRUE(mpq_equal(valueOf(floor(r.x)), Mpq(r.fl))) << "floor " << show(r.x) << ": " << show(floor(r.x));
        EXPECT_TRUE(mpq_equal(valueOf(ceil(r.x)), Mpq(r.ce))) << "ceil " << show(r.x) << ": " << show(ceil(r.x));
        EXPECT_EQ(isItInteger(r.x), r.integer) << show(r.x);
    }
    for (char const* even : {"4", "-2", "1099511627776"}) EXPECT_TRUE(isItEven(fp(even))) << even;
    for (char const* odd : {"3", "-7", "1099511627777"}) EXPECT_FALSE(isItEven(fp(odd))) << odd;
}

// ---- decimal output ----

// The n-digit half-up rounding of |x| as D x 10^E, trailing zeros dropped, then the
// text by the form rules (E > 3 or E < -3 - L: exponent form).
std::string decimalText(Mpq const& x, int n) {
    if (mpq_sgn(static_cast<mpq_srcptr>(x)) == 0 || n <= 0) return "0";
    Mpq a;
    mpq_abs(a, x);
    long e = static_cast<long>(std::floor(std::log10(mpq_get_d(a)))) - n + 1;  // estimate, then fixed
    Mpz d, ten(10), p;
    for (;;) {
        Mpq s(a), f;
        mpz_pow_ui(p, ten, static_cast<unsigned long>(std::labs(e)));
        mpq_set_z(f, p);
        e >= 0 ? mpq_div(s, s, f) : mpq_mul(s, s, f);
        mpq_set_ui(f, 1, 2);
        mpq_add(s, s, f);
        mpz_fdiv_q(d, mpq_numref(static_cast<mpq_ptr>(s)), mpq_denref(static_cast<mpq_ptr>(s)));
        long len = static_cast<long>(d.str().size());
        if (len == n) break;
        e += len > n ? 1 : -1;
    }
    std::string D = d.str();
    while (D.size() > 1 && D.back() == '0') D.pop_back(), ++e;
    long L = static_cast<long>(D.size());
    std::string out = mpq_sgn(static_cast<mpq_srcptr>(x)) < 0 ? "-" : "";
    if (e > 3 || e < -3 - L) return out + D.substr(0, 1) + "." + D.substr(1) + "e" + std::to_string(e + L - 1);
    if (e >= 0) return out + D + std::string(static_cast<std::size_t>(e), '0');
    if (e > -L) return out + D.substr(0, static_cast<std::size_t>(L + e)) + "." + D.substr(static_cast<std::size_t>(L + e));
    return out + "0." + std::string(static_cast<std::size_t>(-L - e), '0') + D;
}

std::string owned(char* s) {  // the library's malloc'd text, freed
    std::string r(s);
    std::free(s);
    return r;
}
std::string text(fp const& x, int n) { return owned(fpToStr(x, n)); }

TEST(FpFuncsRules, FpToStrIsTheExactDecimalRounding) {
    struct Row {
        char const* x;
        int n;
        char const* want;
    };
    PrecScope p(4);
    std::vector<Row> const rows = {
        {"1234.5", 16, "1234.5"}, {"1000", 16, "1000"},      {"1200", 16, "1200"},  {"12000", 16, "12000"},
        {"10000", 16, "1.e4"},    {"1.5e10", 16, "1.5e10"},  {"0.5", 16, "0.5"},    {"0.0001234", 16, "0.0001234"},
        {"0.00001234", 16, "1.234e-5"}, {"-2.5", 16, "-2.5"}, {"9.99999999999999999", 16, "10"},
        {"5e7", 16, "5.e7"},      {"0", 16, "0"},            {"3", 0, "0"},         {"-3", -2, "0"},
    };
    for (auto const& r : rows) EXPECT_EQ(text(fp(r.x), r.n), r.want) << r.x << ", " << r.n;
    EXPECT_EQ(text(fp("2") / fp("3"), 16), "0.6666666666666667");
    Generator g(0x7E57);
    for (int i = 0; i < 3000; ++i) {
        int n = g.intIn(1, 60);
        // enough words that the scaling (one word up) resolves n + 2 digits with room
        PrecScope q(static_cast<int32>((n + 3) * 332 / 100 + 80) / 32);
        Mpz m;
        for (int w = 0; w < blockPrec; ++w) mpz_mul_2exp(m, m, 32), mpz_add_ui(m, m, g.randomWord());
        if (g.oneIn(4)) mpz_tdiv_q_2exp(m, m, static_cast<mp_bitcnt_t>(g.intIn(1, 32 * blockPrec - 1)));  // short
        if (mpz_sgn(m) == 0 || g.coin()) mpz_neg(m, m), mpz_sub_ui(m, m, 1);
        fp x = fpOf(m, g.intIn(-600, 600) - 32 * blockPrec);
        fpNormalize(x);
        ASSERT_EQ(text(x, n), decimalText(valueOf(x), n)) << show(x) << ", " << n << " digits";
    }
}

TEST(FpFuncsRules, DoublesAndLogarithmsOfIntegers) {
    Generator g(0xD0B1E);
    for (int bp : {2, 5}) {
        PrecScope p(bp);
        for (int i = 0; i < 500; ++i) {
            fp x = fpOf(Mpz(static_cast<long>(g.randomWord()) - (1L << 31)), g.intIn(-1000, 980));
            fpNormalize(x);
            mb m = g.nonzero(3);
            double d = -1, want = std::strtod(decimalText(valueOf(x), 16).c_str(), nullptr);
            EXPECT_TRUE(equate(d, x));
            EXPECT_EQ(d, want) << show(x);
            EXPECT_TRUE(equate(d, m));
            EXPECT_EQ(d, std::strtod(decimalText(valueOf(m), 16).c_str(), nullptr)) << describe(m);
            double v = 7;
            log(v, m);
            if (m.length < 0) {
                EXPECT_EQ(v, 7);
                EXPECT_EQ(log(m), 0);
            } else {
                // log's 1 - t keeps t only to blockPrec - 1 words: 2^(33 - 32 bp) absolute
                EXPECT_NEAR(v, std::log(mpz_get_d(toMpz(m))), 1e-15 * std::fabs(v) + std::ldexp(1.0, 34 - 32 * bp))
                    << describe(m);
            }
        }
        double d = 5;
        EXPECT_TRUE(equate(d, fp("0")));
        EXPECT_EQ(d, 0.0);
    }
}

TEST(FpFuncsRules, GetNumberFromLogGivesMantissaAndPlainExponent) {
    PrecScope p(3);
    EXPECT_EQ(owned(GetNumberFromLog(fp("0"))), "1");
    MpfrRange range;
    for (char const* x : {"1", "-1", "0.5", "100", "-100", "23027.002", "-23027.002", "1000000", "-0.0001"}) {
        std::string s = owned(GetNumberFromLog(fp(x)));
        std::size_t at = s.find('e');
        ASSERT_NE(at, std::string::npos) << s;
        std::string mant = s.substr(0, at), ex = s.substr(at + 1);
        EXPECT_EQ(std::to_string(std::atol(ex.c_str())), ex) << "not a plain integer: " << s;
        Mpfr want(256), ln10(256), got(256);
        mpfr_set_str(want.get(), x, 10, MPFR_RNDN);
        mpfr_set_ui(ln10.get(), 10, MPFR_RNDN);
        mpfr_log(ln10.get(), ln10.get(), MPFR_RNDN);
        mpfr_div(want.get(), want.get(), ln10.get(), MPFR_RNDN);
        EXPECT_EQ(std::atol(ex.c_str()), mpfr_get_si(want.get(), MPFR_RNDD)) << x << ": " << s;
        // q - i keeps q only down to a word below i's widened grid: 2^32 units of q
        double lost = 2.31 * std::ldexp(1.0, 33 + static_cast<int>(mpfr_get_exp(want.get())) - 32 * blockPrec) +
                      2.31 * std::ldexp(1.0, 33 - 32 * blockPrec);
        mpfr_set_str(got.get(), mant.c_str(), 10, MPFR_RNDN);
        mpfr_sub_si(want.get(), want.get(), std::atol(ex.c_str()), MPFR_RNDN);
        mpfr_exp10(want.get(), want.get(), MPFR_RNDN);
        mpfr_div(got.get(), got.get(), want.get(), MPFR_RNDN);
        mpfr_sub_ui(got.get(), got.get(), 1, MPFR_RNDN);
        // k = 8 blockPrec - |X| digits: the half-unit rounding at the last one, 4 for the rest
        double digits = 8 * 3 - static_cast<double>(ex.size()) + (ex[0] == '-');
        EXPECT_LE(std::fabs(mpfr_get_d(got.get(), MPFR_RNDN)), 4 * std::pow(10.0, 1 - digits) + lost) << x << ": " << s;
    }
}

TEST(FpFuncsRules, StreamsPrintDecPrecDigitsAndReadTokens) {
    PrecScope p(3);
    int saved = getDecPrec();
    setDecPrec(12);
    std::ostringstream os;
    os << std::setw(10) << fp("2") / fp("3") << '|' << fp("-2.5") << '|' << fp("12000");
    EXPECT_EQ(os.str(), "0.666666666667|-2.5|12000");
    os.str("");
    os << std::setw(6) << fp("1.5");
    EXPECT_EQ(os.str(), "   1.5");
    setDecPrec(saved);

    std::istringstream in("1.5 2 abc");
    fp a, b, c("7"), d("7");
    in >> a >> b;
    EXPECT_TRUE(mpq_equal(valueOf(a), Mpq("3/2")) && mpq_equal(valueOf(b), Mpq("2")));
    ::testing::internal::CaptureStderr();
    in >> c;
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "conversion error!\n");
    ::testing::internal::CaptureStderr();
    in >> d;  // end of input: zero, nothing printed
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(d.mantissa.length, 0);
    EXPECT_TRUE(in.fail());
}

}  // namespace
