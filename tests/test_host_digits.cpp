// The functions through fp and the powers, called through the host stand-in, to the digits
// the program set: against MPFR at ample precision, each result must be the exact value
// rounded to P significant digits (within half a unit of the P-th digit, which is more than
// the one unit promised), over a table at precisions 1 to 120, 150, 200 and 300, seeded
// random arguments from every domain, and the hard cases: large reductions, arguments near
// zeros of the result, and the refusals past the limit of extra words.
#include <gtest/gtest.h>
#include <mpfr.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "Host.h"
#include "fp_oracle.h"

namespace {

using namespace vhost;
using oracle::Mpfr;

using M1 = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);
struct Fn {
    char const* name;  // unary: the module method; else how the operands are passed (below)
    M1 f;              // nullptr: x^y, or atan2(y, x)
};
Fn const kFns[] = {{"Sqrt", mpfr_sqrt},   {"Log", mpfr_log},     {"Exp", mpfr_exp},   {"Sin", mpfr_sin},
                   {"Cos", mpfr_cos},     {"Tan", mpfr_tan},     {"ASin", mpfr_asin}, {"ACos", mpfr_acos},
                   {"ATan", mpfr_atan},   {"Sinh", mpfr_sinh},   {"Cosh", mpfr_cosh}, {"Tanh", mpfr_tanh},
                   {"ASinh", mpfr_asinh}, {"ACosh", mpfr_acosh}, {"ATanh", mpfr_atanh}};
enum { Sqrt, Log, Exp, Sin, Cos, Tan, ASin, ACos, ATan, Sinh, Cosh, Tanh, ASinh, ACosh, ATanh, ATan2, PowDD, PowDd,
       PowdD, OpPowD, OpPowd, OpPowI, OpPowRight };

Object dec(std::string const& t) { return construct("Decimal", "Constructor(inputString As String)", {str(t)}); }
CallResult run(int f, std::string const& a, std::string const& b) {
    double d = std::stod(b.empty() ? "0" : b), x = std::stod(a);
    std::string arg = "(x As Decimal) As Decimal";
    switch (f) {
        case ATan2: return callModule("ATan2(y As Decimal, x As Decimal) As Decimal", {obj(dec(a)), obj(dec(b))});
        case PowDD: return callModule("Pow(x As Decimal, y As Decimal) As Decimal", {obj(dec(a)), obj(dec(b))});
        case PowDd: return callModule("Pow(x As Decimal, y As Double) As Decimal", {obj(dec(a)), dbl(d)});
        case PowdD: return callModule("Pow(x As Double, y As Decimal) As Decimal", {dbl(x), obj(dec(b))});
        case OpPowD: return call("Decimal", dec(a), "Operator_Power(x As Decimal) As Decimal", {obj(dec(b))});
        case OpPowd: return call("Decimal", dec(a), "Operator_Power(y As Double) As Decimal", {dbl(d)});
        case OpPowI: return call("Decimal", dec(a), "Operator_Power(y As Integer) As Decimal", {integer(std::stoll(b))});
        case OpPowRight: return call("Decimal", dec(b), "Operator_PowerRight(x As double) As Decimal", {dbl(x)});
        default: return callModule(kFns[f].name + arg, {obj(dec(a))});
    }
}

// f(a[, b]) at P digits is the exact value rounded to P digits; ok: no exception is raised.
::testing::AssertionResult rounded(int f, int p, std::string const& a, std::string const& b = "") {
    callModule("DecSetPrecision(DecPrec As Integer)", {integer(p)});
    CallResult r = run(f, a, b);
    std::string what = std::string(f < ATan2 ? kFns[f].name : "power/atan2 " + std::to_string(f)) + "(" + a + ", " +
                       b + ") at " + std::to_string(p) + ": ";
    if (!r.raised.empty()) return ::testing::AssertionFailure() << what << r.raised[0];
    std::string got = callModule("DecStr(x As Decimal) As String", {r.value}).value.text;
    mpfr_prec_t bits = 4 * p + 1600;  // past the largest condition number asked for (1e300)
    Mpfr x(bits), y(bits), w(bits), g(bits), u(bits);
    mpfr_set_str(x.get(), a.c_str(), 10, MPFR_RNDN);
    mpfr_set_str(y.get(), b.empty() ? "0" : b.c_str(), 10, MPFR_RNDN);
    f < ATan2 ? kFns[f].f(w.get(), x.get(), MPFR_RNDN)
    : f == ATan2 ? mpfr_atan2(w.get(), x.get(), y.get(), MPFR_RNDN) : mpfr_pow(w.get(), x.get(), y.get(), MPFR_RNDN);
    mpfr_set_str(g.get(), got.c_str(), 10, MPFR_RNDN);
    std::string m = got.substr(got[0] == '-', got.find('e') - (got[0] == '-'));
    if (m.size() > std::size_t(p) || (m.back() == '0' && m != "0")) return ::testing::AssertionFailure() << what << got;
    if (mpfr_zero_p(w.get())) return mpfr_zero_p(g.get()) ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << what << got;
    // |got - f| in units of the P-th digit of f.
    mpfr_abs(u.get(), w.get(), MPFR_RNDN);
    mpfr_log10(u.get(), u.get(), MPFR_RNDD);
    long e = mpfr_get_si(u.get(), MPFR_RNDD) - p + 1;
    mpfr_sub(g.get(), g.get(), w.get(), MPFR_RNDN);
    mpfr_set_si(u.get(), 10, MPFR_RNDN);
    mpfr_pow_si(u.get(), u.get(), -e, MPFR_RNDN);
    mpfr_mul(g.get(), g.get(), u.get(), MPFR_RNDN);
    double units = std::fabs(mpfr_get_d(g.get(), MPFR_RNDN));
    if (units <= 0.5 + 1e-9) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << what << got << " is off by " << units << " units";
}

// "d.ddd…e<e>" with n random digits, negative when asked.
std::string randomText(std::mt19937_64& g, int n, int e, bool negative) {
    std::string t = negative ? "-" : "";
    for (int i = 0; i < n; ++i) t += char('0' + (i == 0 ? 1 + g() % 9 : g() % 10));
    if (n > 1) t.insert(t.size() - std::size_t(n) + 1, ".");
    return t + "e" + std::to_string(e);
}

TEST(HostDigits, EveryFunctionRoundedToTheDigitsAsked) {
    loadPlugin(VANTREL_PLUGIN_PATH);
    oracle::MpfrRange range;
    std::vector<int> precs;
    for (int p = 1; p <= 120; ++p) precs.push_back(p);
    precs.insert(precs.end(), {150, 200, 300});
    std::shuffle(precs.begin(), precs.end(), std::mt19937_64(16));  // whatever ran before, the same digits
    std::vector<std::tuple<int, char const*, char const*>> const table = {
        {Sin, "1", ""},    {Cos, "1", ""},    {Tan, "1", ""},     {Exp, "1", ""},        {Log, "2", ""},
        {Log, "10", ""},   {Sqrt, "2", ""},   {Sqrt, "3", ""},    {Sinh, "1", ""},       {Cosh, "1", ""},
        {Tanh, "1", ""},   {ATan, "1", ""},   {ASin, "0.5", ""},  {ACos, "0.5", ""},     {ASinh, "1", ""},
        {ACosh, "2", ""},  {ATanh, "0.5", ""}, {PowDd, "2", "0.5"}, {PowDD, "2.5", "1.5"}};
    for (int p : precs)
        for (auto const& [f, a, b] : table) EXPECT_TRUE(rounded(f, p, a, b));

    // Random arguments over each domain, near its ends and zeros too, at a few precisions.
    std::mt19937_64 g(0x16);
    for (int p : {1, 7, 9, 15, 16, 23, 32, 39, 64, 100})
        for (int f = Sqrt; f <= OpPowRight; ++f)
            for (int i = 0; i < 6; ++i) {
                bool neg = g() % 2 && f != Sqrt && f != Log && f != ACosh, near = g() % 3 == 0;
                int n = 1 + int(g() % std::uint64_t(p + 6));
                std::string nines = std::string(neg ? "-0." : "0.") + std::string(1 + g() % 40, '9') + std::to_string(g() % 999);
                std::string above = "1." + std::string(g() % 40, '0') + std::to_string(g() % 999 + 1), b;
                std::string a = randomText(g, n, int(g() % 61) - 30, neg);
                if (f == Exp || (f >= Sinh && f <= Tanh)) a = randomText(g, n, int(g() % 34) - 30, neg);
                if (f == ASin || f == ACos || f == ATanh) a = near ? nines : randomText(g, n, -1 - int(g() % 30), neg);
                if (f == ACosh) a = near ? above : randomText(g, n, int(g() % 31), false);
                if (f == Log && near) a = above;
                if (f == ATan2) b = randomText(g, n, int(g() % 21) - 10, g() % 2);
                if (f >= PowDD) a = randomText(g, n, int(g() % 11) - 5, false), b = randomText(g, 3, int(g() % 3) - 1, neg);
                if (f == PowDd || f == OpPowd) b = std::to_string((double(g() % 201) - 100) / 8);
                if (f == OpPowI) b = std::to_string(int(g() % 61) - 30), a = (neg ? "-" : "") + a;
                if (f == PowdD || f == OpPowRight) a = std::to_string(double(g() % 400 + 1) / 16);
                EXPECT_TRUE(rounded(f, p, a, b));
            }

    // Hard ones at 32 and 50 digits: reductions of large arguments and near multiples of pi,
    // the exponential's range, logarithms and inverse functions near their zeros.
    std::string pi60 = "3.14159265358979323846264338327950288419716939937510582097494459";
    for (int p : {32, 50}) {
        for (int f : {Sin, Cos, Tan})
            for (std::string const& a : std::vector<std::string>{"1e10", "1e50", "1e300", pi60, "-" + pi60})
                EXPECT_TRUE(rounded(f, p, a));
        EXPECT_TRUE(rounded(Exp, p, "1e9"));
        EXPECT_TRUE(rounded(Exp, p, "-1e9"));
        for (int k = 1; k <= 60; ++k) {
            std::string tiny = "1e-" + std::to_string(k), zeros(std::size_t(k - 1), '0');
            EXPECT_TRUE(rounded(Log, p, "1." + zeros + "1"));
            EXPECT_TRUE(rounded(Log, p, "0." + std::string(std::size_t(k), '9')));
            EXPECT_TRUE(rounded(ATanh, p, tiny));
            EXPECT_TRUE(rounded(ACosh, p, "1." + zeros + "1"));
            EXPECT_TRUE(rounded(ASin, p, "0." + std::string(std::size_t(k), '9')));
        }
        EXPECT_TRUE(rounded(PowDD, p, "1.0000000000000000000000000000001", "1e40"));
    }
    // Past the extra words, and an argument outside the domain by less than the precision sees.
    callModule("DecSetPrecision(DecPrec As Integer)", {integer(32)});
    for (auto const& [decl, x] : {std::pair{"Sin(x As Decimal) As Decimal", "1e10000"}, {"Cos(x As Decimal) As Decimal", "-1e10000"},
                                  {"ASin(x As Decimal) As Decimal", "1.0000000000000000000000000000000000000000000000000001"}})
        EXPECT_EQ(callModule(decl, {obj(dec(x))}).exception(), "DecBadEntryNumberException") << decl << x;
    EXPECT_TRUE(rounded(ATanh, 32, "0.9999999999999999999999999999999999999999999999999999999999"));
}

}  // namespace
