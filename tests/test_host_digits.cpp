// The functions through fp and the powers, called through the host stand-in, to the digits
// the program set: against MPFR at ample precision each result must be the exact value
// rounded to P significant digits (within half a unit of the P-th digit, more than the one
// unit promised), over a table at 1 to 120, 150, 200 and 300 digits run in shuffled order
// (so the cached constants' history cannot show), seeded random arguments from every
// domain, and the hard cases: large reductions, arguments near zeros and domain ends, and
// the refusals past the limit of extra words.
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
using M1 = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);

// A declaration, its receiver (-1: a module method; else which operand) and the kinds of
// the operands a, b (D Decimal, d Double, i Integer); f is MPFR's function, else x^y or atan2.
struct Form {
    std::string decl;
    int receiver;
    char kinds[3];
    M1 f;
};
std::string unary(char const* name) { return std::string(name) + "(x As Decimal) As Decimal"; }
std::vector<Form> const kForms = {
    {unary("Sqrt"), -1, "D", mpfr_sqrt},   {unary("Log"), -1, "D", mpfr_log},     {unary("Exp"), -1, "D", mpfr_exp},
    {unary("Sin"), -1, "D", mpfr_sin},     {unary("Cos"), -1, "D", mpfr_cos},     {unary("Tan"), -1, "D", mpfr_tan},
    {unary("ASin"), -1, "D", mpfr_asin},   {unary("ACos"), -1, "D", mpfr_acos},   {unary("ATan"), -1, "D", mpfr_atan},
    {unary("Sinh"), -1, "D", mpfr_sinh},   {unary("Cosh"), -1, "D", mpfr_cosh},   {unary("Tanh"), -1, "D", mpfr_tanh},
    {unary("ASinh"), -1, "D", mpfr_asinh}, {unary("ACosh"), -1, "D", mpfr_acosh}, {unary("ATanh"), -1, "D", mpfr_atanh},
    {"ATan2(y As Decimal, x As Decimal) As Decimal", -1, "DD", nullptr},
    {"Pow(x As Decimal, y As Decimal) As Decimal", -1, "DD", nullptr},
    {"Pow(x As Decimal, y As Double) As Decimal", -1, "Dd", nullptr},
    {"Pow(x As Double, y As Decimal) As Decimal", -1, "dD", nullptr},
    {"Operator_Power(x As Decimal) As Decimal", 0, "DD", nullptr},
    {"Operator_Power(y As Double) As Decimal", 0, "Dd", nullptr},
    {"Operator_Power(y As Integer) As Decimal", 0, "Di", nullptr},
    {"Operator_PowerRight(x As double) As Decimal", 1, "dD", nullptr}};
enum { Sqrt, Log, Exp, Sin, Cos, Tan, ASin, ACos, ATan, Sinh, Cosh, Tanh, ASinh, ACosh, ATanh, ATan2, Pow, PowRight = 22 };

Object dec(std::string const& t) { return construct("Decimal", "Constructor(inputString As String)", {str(t)}); }

// f(a[, b]) at p digits is the exact value rounded to p digits.
::testing::AssertionResult rounded(int f, int p, std::string const& a, std::string const& b = "0") {
    callModule("DecSetPrecision(DecPrec As Integer)", {integer(p)});
    Form const& form = kForms[std::size_t(f)];
    std::vector<Value> args;
    for (int i = 0; i < 2 && form.kinds[i]; ++i) {
        std::string const& t = i == 0 ? a : b;
        Value v = form.kinds[i] == 'D' ? obj(dec(t)) : form.kinds[i] == 'd' ? dbl(std::stod(t)) : integer(std::stoll(t));
        if (i != form.receiver) args.push_back(v);
    }
    CallResult r = form.receiver < 0 ? callModule(form.decl, args)
                                     : call("Decimal", dec(form.receiver == 0 ? a : b), form.decl, args);
    std::string what = form.decl + " of " + a + ", " + b + " at " + std::to_string(p) + ": ";
    if (!r.raised.empty()) return ::testing::AssertionFailure() << what << r.raised[0];
    std::string got = callModule("DecStr(x As Decimal) As String", {r.value}).value.text;
    std::string m = got.substr(got[0] == '-', got.find('e') - (got[0] == '-'));
    if (m.size() > std::size_t(p) || (m.back() == '0' && m != "0")) return ::testing::AssertionFailure() << what << got;
    mpfr_prec_t bits = 4 * p + 1600;  // past the largest condition number asked for (1e300)
    oracle::Mpfr x(bits), y(bits), w(bits), g(bits), u(bits);
    mpfr_set_str(x.get(), a.c_str(), 10, MPFR_RNDN);
    mpfr_set_str(y.get(), b.c_str(), 10, MPFR_RNDN);
    mpfr_set_str(g.get(), got.c_str(), 10, MPFR_RNDN);
    form.f ? form.f(w.get(), x.get(), MPFR_RNDN)
    : f == ATan2 ? mpfr_atan2(w.get(), x.get(), y.get(), MPFR_RNDN) : mpfr_pow(w.get(), x.get(), y.get(), MPFR_RNDN);
    // (e^(10^9) passes MPFR's exponent range in the 32-bit build: judged in the 64-bit one)
    if ((mpfr_zero_p(w.get()) && mpfr_zero_p(g.get())) || (mpfr_inf_p(w.get()) && sizeof(long) == 4))
        return ::testing::AssertionSuccess();
    // |got - f| in units of the p-th digit of f
    mpfr_abs(u.get(), w.get(), MPFR_RNDN);
    mpfr_log10(u.get(), u.get(), MPFR_RNDD);
    mpfr_sub(g.get(), g.get(), w.get(), MPFR_RNDN);
    mpfr_set_si(u.get(), mpfr_get_si(u.get(), MPFR_RNDD) - p + 1, MPFR_RNDN);
    mpfr_exp10(u.get(), u.get(), MPFR_RNDN);
    mpfr_div(g.get(), g.get(), u.get(), MPFR_RNDN);
    mpfr_abs(g.get(), g.get(), MPFR_RNDN);
    double units = mpfr_get_d(g.get(), MPFR_RNDN);
    // Half a unit and not a trace more: a tail of 4999... rounded up is off by 0.5000...1.
    mpfr_sub_d(g.get(), g.get(), 0.5, MPFR_RNDN);
    if (mpfr_cmp_d(g.get(), 1e-60) <= 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << what << got << " is off by " << units << " units";
}

// n random digits times 10^e, the first nonzero.
std::string randomText(std::mt19937_64& g, std::size_t n, long e, bool negative) {
    std::string t = negative ? "-" : "";
    for (std::size_t i = 0; i < n; ++i) t += char('0' + (i == 0 ? 1 + g() % 9 : g() % 10));
    return t + "e" + std::to_string(e - long(n) + 1);
}

TEST(HostDigits, EveryFunctionAndPowerRoundedToTheDigitsAsked) {
    loadPlugin(VANTREL_PLUGIN_PATH);
    oracle::MpfrRange range;
    std::vector<int> precs{150, 200, 300};
    for (int p = 1; p <= 120; ++p) precs.push_back(p);
    std::shuffle(precs.begin(), precs.end(), std::mt19937_64(16));
    std::vector<std::tuple<int, char const*, char const*>> const table = {
        {Sin, "1", ""},    {Cos, "1", ""},     {Tan, "1", ""},       {Exp, "1", ""},        {Log, "2", ""},
        {Log, "10", ""},   {Sqrt, "2", ""},    {Sqrt, "3", ""},      {Sinh, "1", ""},       {Cosh, "1", ""},
        {Tanh, "1", ""},   {ATan, "1", ""},    {ASin, "0.5", ""},    {ACos, "0.5", ""},     {ASinh, "1", ""},
        {ACosh, "2", ""},  {ATanh, "0.5", ""}, {Pow + 1, "2", "0.5"}, {Pow, "2.5", "1.5"}};
    for (int p : precs)
        for (auto const& [f, a, b] : table) EXPECT_TRUE(rounded(f, p, a, *b ? b : "0"));

    // Random arguments over each domain, some near its ends (1 - 10^-k, 1 + 10^-k).
    std::mt19937_64 g(0x16);
    for (int p : {1, 7, 9, 15, 16, 23, 32, 39, 64, 100})
        for (int f = Sqrt; f <= PowRight; ++f)
            for (int i = 0; i < 6; ++i) {
                bool neg = g() % 2 && f != Sqrt && f != Log && f != ACosh, near = g() % 3 == 0;
                std::size_t n = 1 + std::size_t(g() % std::uint64_t(p + 6)), k = 1 + std::size_t(g() % 40);
                std::string a = randomText(g, n, long(g() % 61) - 30, neg), b = randomText(g, n, long(g() % 21) - 10, g() % 2);
                std::string nines = (neg ? "-0." : "0.") + std::string(k, '9') + std::to_string(g() % 999);
                std::string above = "1." + std::string(k, '0') + std::to_string(g() % 999 + 1);
                if (f == Exp || (f >= Sinh && f <= Tanh)) a = randomText(g, n, long(g() % 34) - 30, neg);  // |x| < 10^4
                if (f == ASin || f == ACos || f == ATanh) a = near ? nines : randomText(g, n, -1 - long(g() % 30), neg);
                if (f == ACosh || (f == Log && near)) a = near ? above : randomText(g, n, long(g() % 31), false);
                if (f >= Pow) a = randomText(g, n, long(g() % 11) - 5, false), b = randomText(g, 3, long(g() % 3) - 1, neg);
                if (kForms[std::size_t(f)].kinds[1] == 'd') b = std::to_string((double(g() % 201) - 100) / 8);
                if (kForms[std::size_t(f)].kinds[1] == 'i') b = std::to_string(long(g() % 61) - 30), a = (neg ? "-" : "") + a;
                if (kForms[std::size_t(f)].kinds[0] == 'd') a = std::to_string(double(g() % 400 + 1) / 16);
                EXPECT_TRUE(rounded(f, p, a, b));
            }

    // Reductions of large arguments and near multiples of pi, the exponential's range,
    // logarithms and inverse functions near their zeros and the ends of their domains.
    std::string pi60 = "3.14159265358979323846264338327950288419716939937510582097494459";
    for (int p : {32, 50}) {
        for (int f : {Sin, Cos, Tan, Exp})
            for (std::string const& a : std::vector<std::string>{"1e10", "1e50", "1e300", pi60, "-" + pi60})
                EXPECT_TRUE(rounded(f, p, f != Exp ? a : a[0] == '-' ? "-1e9" : "1e9"));
        for (std::size_t k = 1; k <= 60; ++k) {
            std::string above = "1." + std::string(k - 1, '0') + "1", below = "0." + std::string(k, '9');
            for (auto const& [f, a] : {std::pair{Log, above}, {Log, below}, {ACosh, above}, {ASin, below}, {ATanh, below},
                                       {ATanh, "1e-" + std::to_string(k)}})
                EXPECT_TRUE(rounded(f, p, a));
        }
        EXPECT_TRUE(rounded(Pow, p, "1.0000000000000000000000000000001", "1e40"));
    }
    // One rounding: values whose digits after the P-th read 4999... or 5000..., exact
    // (squares under Sqrt, x^1) or not; results near the top of the exponent range; a Tanh
    // that rounds to +-1 however large its argument.
    std::vector<std::tuple<int, int, std::string, std::string>> const once = {
        {Sqrt, 32, "1.000000000000000000000000000000099999999980", "0"},
        {ASinh, 37, "86453180783606619791175881846105142365e-62", "0"},
        {Sin, 1, "2.5e-4", "0"},
        {Pow + 1, 32, "1.000000000000000000000000000000049999999999", "1"},
        {Pow + 5, 32, "1.000000000000000000000000000000049999999999", "1"},
        {Pow + 5, 20, "0.1", "-646456950"},
        {Pow + 5, 20, "0.5", "-2147483600"},
        {Pow + 5, 100, "0.1", "-646456990"},
        {Pow, 32, "0.1", "-646456990"},
        {Pow, 1000, "0.5", "-2147483000"},
        {Tanh, 32, "1e3700", "0"},
        {Tanh, 32, "-38.6", "0"},
        {Tanh, 32, "37.5", "0"}};
    for (auto const& [f, p, a, b] : once) EXPECT_TRUE(rounded(f, p, a, b));
    for (int p : {1, 5, 16, 32, 57}) {
        for (int i = 0; i < 8; ++i) {
            std::string y = randomText(g, std::size_t(p), 0, false);
            y = y.substr(0, y.find('e')) + (i % 2 ? "4" + std::string(std::size_t(6 + g() % 7), '9') : "5" + std::string(std::size_t(6 + g() % 7), '0'));
            y += std::to_string(1 + g() % 9) + "e-" + std::to_string(p);
            Object sq = callModule("Sqr(x As Decimal) As Decimal", {obj(dec(y))}).value.object;
            std::string square = callModule("DecStr(x As Decimal) As String", {obj(sq)}).value.text;
            EXPECT_TRUE(rounded(Sqrt, p, square));
            EXPECT_TRUE(rounded(Pow + 1, p, y, "1"));
            EXPECT_TRUE(rounded(Pow + 5, p, y, "1"));
        }
    }

    // A negative base with a Decimal exponent: the exponent's integrality and parity are
    // read on the decimal, however far past the working precision its fraction lies.
    std::string const tiny = std::string(40, '0') + "1";
    std::vector<std::pair<std::string, bool>> const exponents = {
        {"3." + tiny, true}, {"1" + tiny + ".5", true}, {"0." + std::string(40, '9'), true},
        {"3.000", false},    {"-3", false},             {"1" + tiny, false}};
    for (int f : {int(Pow), Pow + 2, Pow + 3, int(PowRight)})
        for (auto const& [b, refused] : exponents) {
            std::string a = b == "1" + tiny ? "-1" : "-18";
            if (!refused) {
                EXPECT_TRUE(rounded(f, 5, a, b));
                continue;
            }
            Form const& form = kForms[std::size_t(f)];
            Value base = form.kinds[0] == 'd' ? dbl(-18.0) : obj(dec(a));
            CallResult r = form.receiver < 0    ? callModule(form.decl, {base, obj(dec(b))})
                           : form.receiver == 0 ? call("Decimal", dec(a), form.decl, {obj(dec(b))})
                                                : call("Decimal", dec(b), form.decl, {base});
            EXPECT_EQ(r.exception(), "DecBadEntryNumberException") << form.decl << " " << b;
        }

    // Past the extra words, and outside the domain by less than the working precision sees.
    callModule("DecSetPrecision(DecPrec As Integer)", {integer(32)});
    for (auto const& [f, a] : {std::pair{Sin, std::string("1e4000")}, {Tan, "-1e4000"}, {Log, "1." + std::string(4000, '0') + "1"},
                               {ASin, "1." + std::string(50, '0') + "1"}})
        EXPECT_EQ(callModule(kForms[std::size_t(f)].decl, {obj(dec(a))}).exception(), "DecBadEntryNumberException") << a;
}

// Lg2 is floor(log2 x) of the exact decimal at every precision. The oracle: x read by MPFR
// toward zero, which keeps it on its side of every power of two. The texts: powers of two
// exactly and 40 digits rounded up and down from them (across the two ways of telling,
// integers and growing fp precision), and seeded random values.
TEST(HostDigits, Lg2IsTheFloorOfTheExactBinaryLogarithm) {
    loadPlugin(VANTREL_PLUGIN_PATH);
    oracle::MpfrRange range;
    std::vector<std::string> texts = {"0.000244140625", "1.9999999999", "1." + std::string(999, '0') + "1",
                                      "0." + std::string(999, '9'), "1", "2", "1024", "3"};
    for (long k : {-1660964L, -100000L, -1000L, -100L, -21L, -17L, -12L, -1L, 1L, 12L, 100L, 3000L, 1660964L}) {
        oracle::Mpfr v(64);
        mpfr_set_ui_2exp(v.get(), 1, k, MPFR_RNDN);
        for (mpfr_rnd_t rnd : {MPFR_RNDU, MPFR_RNDD}) {
            mpfr_exp_t e = 0;
            char* d = mpfr_get_str(nullptr, &e, 10, 40, v.get(), rnd);
            texts.push_back(std::string(d) + "e" + std::to_string(long(e) - 40));
            mpfr_free_str(d);
        }
        if (k >= -100 && k <= 100) {  // exactly: 2^k, or 5^-k 10^k
            oracle::Mpz m;
            mpz_ui_pow_ui(m, k < 0 ? 5 : 2, static_cast<unsigned long>(k < 0 ? -k : k));
            texts.push_back(m.str() + "e" + std::to_string(k < 0 ? k : 0));
        }
    }
    std::mt19937_64 g(0x21);
    for (int i = 0; i < 200; ++i) texts.push_back(randomText(g, 1 + std::size_t(g() % 60), long(g() % 2001) - 1000, false));
    for (int p : {1, 5, 32, 100})
        for (std::string const& t : texts) {
            callModule("DecSetPrecision(DecPrec As Integer)", {integer(p)});
            oracle::Mpfr x(64);
            mpfr_set_str(x.get(), t.c_str(), 10, MPFR_RNDZ);
            CallResult r = callModule("Lg2(x As Decimal) As Integer", {obj(dec(t))});
            EXPECT_EQ(r.exception(), "") << t;
            EXPECT_EQ(r.value.integer, long(mpfr_get_exp(x.get())) - 1) << t.substr(0, 60) << " at " << p;
        }
}

}  // namespace
