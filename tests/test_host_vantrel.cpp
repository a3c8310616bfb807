// The plug-in Vantrel as a host program sees it: registration, the exported symbols, the
// settings, and all 66 declarations against exact rationals (GMP) and MPFR, with every
// failure row, nil handle and refused instance. Every call also checks that the settings
// did not move, and every test that no object or string leaked.
#include <gtest/gtest.h>
#include <mpfr.h>

#include <cctype>
#include <cmath>
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "Host.h"
#include "decMath.h"
#include "elf_symbols.h"
#include "fp_oracle.h"

namespace {

using namespace vhost;
using oracle::Mpq;
using oracle::pow10q;
using oracle::valueOfText;

// The 37 class methods, then the 29 module methods, in registration order.
char const* const kDecls[] = {
    "Constructor()", "Constructor(inputString As String)", "Constructor(x As Double)", "DecFree()", "Destructor()",
    "Str() As String", "DecStr() As String", "Operator_Convert() As Decimal", "Operator_Convert(x As Double)",
    "Operator_Convert() As Double", "Operator_Negate() As Decimal", "Operator_Add(x As Decimal) As Decimal",
    "Operator_Subtract(x As Decimal) As Decimal", "Operator_Multiply(x As Decimal) As Decimal",
    "Operator_Divide(x As Decimal) As Decimal", "Operator_Add(x As double) As Decimal",
    "Operator_AddRight(x As Double) As Decimal", "Operator_Subtract(x As double) As Decimal",
    "Operator_SubtractRight(x As Double) As Decimal", "Operator_Multiply(x As double) As Decimal",
    "Operator_MultiplyRight(x As Double) As Decimal", "Operator_Divide(x As double) As Decimal",
    "Operator_DivideRight(x As Double) As Decimal", "Operator_Add(x As Integer) As Decimal",
    "Operator_AddRight(x As Integer) As Decimal", "Operator_Subtract(x As Integer) As Decimal",
    "Operator_SubtractRight(x As Integer) As Decimal", "Operator_Multiply(x As Integer) As Decimal",
    "Operator_MultiplyRight(x As Integer) As Decimal", "Operator_Divide(x As Integer) As Decimal",
    "Operator_DivideRight(x As Integer) As Decimal", "Operator_Power(x As Decimal) As Decimal",
    "Operator_Power(y As Double) As Decimal", "Operator_Power(y As Integer) As Decimal",
    "Operator_PowerRight(x As double) As Decimal", "Operator_Compare(x As Decimal) As Integer",
    "Operator_Compare(x As Double) As Integer",
    "DecSetPrecision(DecPrec As Integer)", "DecGetPrecision() As Integer", "DecSetScale(DecPrec As Integer)",
    "DecGetScale() As Integer", "DecStr(x As Decimal) As String", "Str(x As Decimal) As String",
    "Sqr(x As Decimal) As Decimal", "Sqrt(x As Decimal) As Decimal", "Log(x As Decimal) As Decimal",
    "Lg2(x As Decimal) As Integer", "Exp(x As Decimal) As Decimal", "Sin(x As Decimal) As Decimal",
    "Cos(x As Decimal) As Decimal", "Tan(x As Decimal) As Decimal", "ASin(x As Decimal) As Decimal",
    "ACos(x As Decimal) As Decimal", "ATan(x As Decimal) As Decimal", "ATan2(y As Decimal, x As Decimal) As Decimal",
    "Sinh(x As Decimal) As Decimal", "Cosh(x As Decimal) As Decimal", "Tanh(x As Decimal) As Decimal",
    "ASinh(x As Decimal) As Decimal", "ACosh(x As Decimal) As Decimal", "ATanh(x As Decimal) As Decimal",
    "Pow(x As Decimal, y As Decimal) As Decimal", "Pow(x As Decimal, y As Double) As Decimal",
    "Pow(x As Double, y As Decimal) As Decimal", "DecimalFromCurrency(x As Currency) As Decimal",
    "DecimalToCurrency(x As Decimal) As Currency"};
constexpr std::size_t kClassRows = 37;
char const* const kExceptionClasses[] = {"DecBadInputException",       "DecDivideByZeroException",
                                         "DecNilObjectException",      "DecNegativeNumberException",
                                         "DecBadEntryNumberException", "DecToCurrOverflowException"};

// ---- host-program helpers; every call checks that the settings stayed as last set.

std::int64_t wantPrec = 32, wantScale = 5;
std::int64_t getInt(char const* decl) { return callModule(decl, {}).value.integer; }
CallResult settled(CallResult r, std::string const& decl) {
    if (decl.rfind("DecSetPrecision", 0) == 0) wantPrec = getInt(kDecls[38]);
    if (decl.rfind("DecSetScale", 0) == 0) wantScale = getInt(kDecls[40]);
    EXPECT_EQ(getInt(kDecls[38]), wantPrec) << "precision moved by " << decl;
    EXPECT_EQ(getInt(kDecls[40]), wantScale) << "scale moved by " << decl;
    return r;
}
// The declaration that starts with `prefix`, module methods first.
std::string full(std::string const& prefix) {
    for (std::size_t i = 0; i < 66; ++i)
        if (std::string(kDecls[(i + kClassRows) % 66]).rfind(prefix, 0) == 0) return kDecls[(i + kClassRows) % 66];
    ADD_FAILURE() << prefix;
    return prefix;
}
CallResult module(std::string const& decl, std::vector<Value> const& args) {
    return settled(callModule(full(decl), args), decl);
}
CallResult method(Object const& self, std::string const& decl, std::vector<Value> const& args = {}) {
    return settled(call("Decimal", self, full(decl), args), decl);
}
Object decimal(std::string const& text) {
    CallResult r;
    Object o = construct("Decimal", kDecls[1], {str(text)}, &r);
    EXPECT_EQ(settled(r, "new Decimal").exception(), "") << text;
    return o;
}
std::string decStr(Object const& o) { return method(o, "DecStr()").value.text; }
void setPrecision(std::int64_t n) { module("DecSetPrecision", {integer(n)}); }
void setScale(std::int64_t n) { module("DecSetScale", {integer(n)}); }
int sgn(int c) { return (c > 0) - (c < 0); }
int sign(mpq_srcptr q) { return mpq_sgn(q); }

// The value of a result object; its DecStr must be in normal form (no trailing zero, 0 as 0e0).
Mpq valueOf(Object const& o) {
    std::string s = decStr(o), m = s.substr(0, s.find('e'));
    EXPECT_TRUE(s.find('e') != std::string::npos && (m == "0" ? s == "0e0" : m.back() != '0')) << s;
    return valueOfText(s);
}
Mpq ofMpfr(oracle::Mpfr& x) {
    Mpq q;
    mpfr_get_q(q, x.get());
    return q;
}
// o has at most the set precision's digits and is within ulps units of the n-th digit of want.
::testing::AssertionResult closeTo(Object const& o, Mpq const& want, long n, long ulps) {
    std::string m = decStr(o);
    m = m.substr(m[0] == '-' ? 1 : 0, m.find('e') - (m[0] == '-' ? 1 : 0));
    if (m != "0" && static_cast<long>(m.size()) > wantPrec) return ::testing::AssertionFailure() << m << ": too many digits";
    Mpq got = valueOf(o), d, k(std::to_string(ulps).c_str());
    if (sign(want) == 0) return sign(got) == 0 ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << m;
    Mpq bound = pow10q(static_cast<long>(std::floor(std::log10(std::fabs(mpq_get_d(want))))) - n + 1);
    mpq_sub(d, got, want);
    mpq_abs(d, d);
    mpq_mul(bound, bound, k);
    if (mpq_cmp(d, bound) <= 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << got.str() << ", error " << mpq_get_d(d) << " > " << mpq_get_d(bound);
}
::testing::AssertionResult equals(Object const& o, Mpq const& want) {
    Mpq got = valueOf(o);
    if (mpq_cmp(got, want) == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << got.str() << ", want " << want.str();
}
// Units of the n-th digit the fp functions may miss by: they keep about one word less than
// the blockPrec words they run at, up to 2^36 units of the last bit, plus the final rounding.
long fpUlps(long n) {
    long words = 4 * n / 32 + 1;
    return 1 + static_cast<long>(std::ceil(std::ldexp(std::pow(10.0, n), static_cast<int>(36 - 32 * words))));
}
// Arguments for a declaration from its parameter types, objects taken in turn from `objs`.
std::vector<Value> argsFor(Declaration const& d, std::vector<Value> const& objs) {
    std::vector<Value> args;
    for (Parameter const& p : d.params)
        args.push_back(p.kind == Kind::Object   ? objs.at(args.size())
                       : p.kind == Kind::String ? str("1.5")
                       : p.kind == Kind::Double ? dbl(2)
                       : p.kind == Kind::Integer ? integer(2) : currency(5));
    return args;
}

class Vantrel : public ::testing::Test {
protected:
    void SetUp() override {
        loadPlugin(VANTREL_PLUGIN_PATH);
        refuseNewInstance("");
        // The start values; every test puts them back, so this holds in any order.
        EXPECT_EQ(getInt(kDecls[38]), 32);
        EXPECT_EQ(getInt(kDecls[40]), 5);
        // Work at other settings, so that a call resetting them to the start values shows.
        setPrecision(34);
        setScale(6);
        before_ = stats();
    }
    void TearDown() override {
        refuseNewInstance("");
        setPrecision(32);
        setScale(5);
        Stats s = stats();
        // Live objects and strings, open string data, dropped objects and strings, nil exceptions.
        EXPECT_EQ(std::tie(s.liveObjects, s.liveStrings, s.openStringData, s.droppedObjects, s.droppedStrings, s.nilExceptions),
                  std::tie(before_.liveObjects, before_.liveStrings, zero_, before_.droppedObjects, before_.droppedStrings,
                           before_.nilExceptions));
    }
    Stats before_;
    decltype(Stats::openStringData) zero_ = 0;
};

TEST_F(Vantrel, RegistrationRecordsAndExports) {
    EXPECT_EQ(registeredPluginVersion(), 13);
    bool ok = false;
    EXPECT_EQ(oracle::exportedSymbols(VANTREL_PLUGIN_PATH, ok), std::vector<std::string>{"REALPluginMain"});
    EXPECT_TRUE(ok);
    std::vector<std::string> names, want{"Decimal"};
    for (auto const* c : registeredClasses())
        if (std::strncmp(c->name, "Probe", 5) != 0) names.push_back(c->name);
    want.insert(want.end(), std::begin(kExceptionClasses), std::end(kExceptionClasses));
    EXPECT_EQ(names, want);
    std::vector<HostMethodEntry> mods;
    for (auto const& m : registeredModuleMethods())
        if (std::strncmp(m.declaration, "Probe", 5) != 0) mods.push_back(m);
    REALclassDefinition const* d = findClass("Decimal");
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(d->methodCount, kClassRows);
    ASSERT_EQ(mods.size(), 66 - kClassRows);
    EXPECT_TRUE(d->version == 13u && d->superName == nullptr && d->dataSize == sizeof(DecData) &&
                d->dataOffset == dataOffset() && d->flags == kClassFlagConsoleSafe && d->propertyCount == 0u &&
                d->eventCount == 0u && d->constantCount == 0u);
    for (std::size_t i = 0; i < 66; ++i) {
        HostMethodEntry const& m = i < kClassRows ? d->methods[i] : mods[i - kClassRows];
        EXPECT_STREQ(m.declaration, kDecls[i]) << "row " << i;
        EXPECT_TRUE(m.flags == 4u && m.setterFunction == nullptr && m.reserved1 == 0u && m.reserved2 == 0u &&
                    m.function != nullptr) << m.declaration;
    }
    // Shared functions: the class destructor is row 5, the Right forms of commutative
    // operations their left forms, and four module methods class methods. The class
    // constructor is not row 1: it takes raw storage, row 1 a live object.
    EXPECT_NE(d->methods[0].function, d->constructor);
    EXPECT_EQ(d->methods[4].function, d->destructor);
    for (auto [a, b] : {std::pair{15, 16}, {19, 20}, {23, 24}, {27, 28}})
        EXPECT_EQ(d->methods[a].function, d->methods[b].function) << a + 1;
    for (auto [m, c] : {std::pair{4, 6}, {5, 5}, {24, 31}, {25, 32}})
        EXPECT_EQ(mods[std::size_t(m)].function, d->methods[c].function) << mods[std::size_t(m)].declaration;
    for (char const* e : kExceptionClasses) {
        REALclassDefinition const* c = findClass(e);
        ASSERT_NE(c, nullptr) << e;
        EXPECT_TRUE(c->version == 13u && c->dataSize == 0u && c->constructor == nullptr && c->destructor == nullptr &&
                    c->methodCount == 0u && c->flags == kClassFlagConsoleSafe) << e;
        EXPECT_STREQ(c->superName, "RuntimeException");
    }
}

// The setters' inputs, then the precision and scale in effect: digits and accuracy follow
// the precision, exact operations ignore it, Str follows the scale.
TEST_F(Vantrel, SettingsAndTheirEffects) {
    const std::int64_t b32 = std::int64_t{1} << 32;
    const std::pair<std::int64_t, std::int64_t> precs[] = {
        {0, 0}, {5, 5}, {31, 31}, {33, 33}, {50, 50}, {-10, 10}, {b32 + 40, 40}, {-b32 - 7, 7}, {INT32_MIN, 536870911},
        {536870911, 536870911}, {536870912, 536870911}, {-536870912, 536870911}, {INT32_MAX, 536870911}};
    for (auto [in, digits] : precs) {
        setPrecision(in);
        EXPECT_EQ(wantPrec, digits) << in;
    }
    for (std::int64_t s : {std::int64_t{-3}, std::int64_t{0}, std::int64_t{7}, b32 + 2}) {
        setScale(s);
        EXPECT_EQ(wantScale, static_cast<std::int32_t>(static_cast<std::uint32_t>(s)));
    }
    // Str at a scale and DecStr, both as class and module methods.
    for (auto [scale, in, s, d] : {std::tuple{-3, "1234.5678", "1000.", "12345678e-4"}, {0, "1234.5678", "1235.", ""},
                                   {2, "1234.5678", "1234.57", ""}, {5, "0", "0.00000", "0e0"},
                                   {5, "1.5", "1.50000", "15e-1"}, {5, "-2.000001", "-2.00000", "-2000001e-6"},
                                   {5, "1e3", "1000.00000", "1e3"}, {5, "123.456789", "123.45679", "123456789e-6"}}) {
        setScale(scale);
        Object x = decimal(in);
        for (CallResult const& t : {method(x, "Str()"), module("Str(", {obj(x)})}) EXPECT_EQ(t.value.text, s) << in;
        if (*d) {
            for (CallResult const& t : {method(x, "DecStr()"), module("DecStr(", {obj(x)})}) EXPECT_EQ(t.value.text, d);
        }
    }
    oracle::MpfrRange range;
    oracle::Mpfr w(400);
    Object one = decimal("1"), three = decimal("3"), two = decimal("2"),
           big = decimal("1234567890123456789012345678901234567890.5");
    for (int n : {5, 10, 31, 32, 33, 50, 0}) {
        setPrecision(n);
        Object third = method(one, "Operator_Divide(x As Decimal)", {obj(three)}).value.object;
        Object root = module("Sqrt(", {obj(two)}).value.object;
        Object sine = module("Sin(", {obj(one)}).value.object;
        Mpq want;
        mpq_mul(want, valueOf(big), valueOf(big));
        EXPECT_TRUE(equals(module("Sqr(", {obj(big)}).value.object, want)) << n;
        if (n == 0) {
            EXPECT_EQ(decStr(third), "0e0");
            continue;
        }
        EXPECT_TRUE(closeTo(third, Mpq("1/3"), n, 1)) << n;
        mpfr_sqrt_ui(w.get(), 2, MPFR_RNDN);
        EXPECT_TRUE(closeTo(root, ofMpfr(w), n, 1)) << n;
        mpfr_set_ui(w.get(), 1, MPFR_RNDN);
        mpfr_sin(w.get(), w.get(), MPFR_RNDN);
        EXPECT_TRUE(closeTo(sine, ofMpfr(w), n, fpUlps(n))) << n;
    }
}

// Random decimal text: up to 45 digits, exponent -30..30, zero one time in ten.
std::string randomDecimal(std::mt19937_64& g) {
    std::uniform_int_distribution<int> len(1, 45), dig(0, 9), ex(-30, 30), coin(0, 1), tenth(0, 9);
    if (tenth(g) == 0) return coin(g) ? "0" : "-0.00";
    std::string t = coin(g) ? "-" : "";
    int n = len(g);
    for (int i = 0; i < n; ++i) t += static_cast<char>('0' + dig(g));
    if (coin(g)) t.insert(t.size() - static_cast<std::size_t>(n / 2), ".");
    if (coin(g)) t += "e" + std::to_string(ex(g));
    return t;
}

// Every two-operand class method on random operands: exact ones against rationals,
// divisions within one unit of the last digit, a zero divisor giving back the receiver
// and making no object. Double operands enter as their 14-digit image, Integers exactly
// at the host's width. Operation, operand type and side are read from the declarations;
// the exact one-operand methods follow on the same operands.
TEST_F(Vantrel, ExactAndDividingMethodsAgainstRationals) {
    struct Row {
        std::string decl;
        char op;
        Kind kind;
        bool right;
    };
    std::vector<Row> rows;
    for (std::size_t i = 0; i < kClassRows; ++i) {
        std::string decl = kDecls[i];
        Declaration d;
        ASSERT_TRUE(readDeclaration(decl, d));
        for (int j = 0; j < 5; ++j)
            if (decl.rfind("Operator_", 0) == 0 && d.params.size() == 1 && decl.compare(9, 3, "AddSubMulDivCom", 3 * j, 3) == 0)
                rows.push_back({decl, "+-*/c"[j], d.params[0].kind, decl.find("Right(") != std::string::npos});
    }
    ASSERT_EQ(rows.size(), 22u);
    std::mt19937_64 g(20240901);
    for (int i = 0; i < 150; ++i) {
        std::string ta = randomDecimal(g), tb = i % 8 == 0 ? ta : randomDecimal(g);
        Object a = decimal(ta), b = decimal(tb);
        Mpq qa = valueOfText(ta), qb = valueOfText(tb), want;
        ASSERT_TRUE(equals(a, qa)) << ta;
        double x = i % 7 == 0 ? (i % 2 ? -0.0 : 0.0) : std::ldexp(static_cast<double>(g() >> 11), int(g() % 200) - 150);
        if (i % 3 == 0) x = -x;
        std::int64_t k = i % 9 == 0 ? std::int64_t{1} << 32 : i % 10 == 0 ? INT64_MIN : std::int64_t(g() >> (g() % 64));
        for (Row const& r : rows) {
            Value v = r.kind == Kind::Object ? obj(b) : r.kind == Kind::Double ? dbl(x) : integer(k);
            Mpq q = r.kind == Kind::Object   ? qb
                    : r.kind == Kind::Double ? oracle::fourteenDigits(x)
                                             : Mpq(std::to_string(HostInteger(k)).c_str());
            Mpq const &lhs = r.right ? q : qa, &rhs = r.right ? qa : q;
            long live = stats().liveObjects;
            CallResult res = method(a, r.decl, {v});
            std::string what = ta + " " + r.decl + " " + q.str();
            if (r.op == 'c') {
                EXPECT_EQ(res.value.integer, sgn(mpq_cmp(lhs, rhs))) << what;
            } else if (r.op == '/' && sign(rhs) == 0) {
                EXPECT_EQ(res.exception(), "DecDivideByZeroException") << what;
                EXPECT_EQ(res.value.object, a) << what;
                EXPECT_EQ(stats().liveObjects, live) << "no result object was made";
            } else {
                EXPECT_EQ(res.exception(), "") << what;
                ASSERT_NE(res.value.object, a) << what;
                (r.op == '+' ? mpq_add : r.op == '-' ? mpq_sub : r.op == '*' ? mpq_mul : mpq_div)(want, lhs, rhs);
                EXPECT_TRUE(r.op == '/' ? closeTo(res.value.object, want, static_cast<long>(wantPrec), 1)
                                        : equals(res.value.object, want)) << what;
            }
        }
        mpq_neg(want, qa);
        EXPECT_TRUE(equals(method(a, kDecls[10]).value.object, want)) << ta;
        mpq_mul(want, qa, qa);
        EXPECT_TRUE(equals(module("Sqr(", {obj(a)}).value.object, want)) << ta;
        Object copy = method(a, "Operator_Convert() As Decimal").value.object;
        EXPECT_NE(copy, a);
        EXPECT_EQ(decStr(copy), decStr(a));
    }
}

// Powers and the functions through fp against MPFR, within fpUlps of the last digit.
TEST_F(Vantrel, PowersAndFunctionsAgainstMpfr) {
    oracle::MpfrRange range;
    oracle::Mpfr w(500), u(500), v(500);
    const long n = static_cast<long>(wantPrec), ulps = fpUlps(n);
    auto set = [](oracle::Mpfr& m, char const* t) { mpfr_set_q(m.get(), valueOfText(t), MPFR_RNDN); };
    for (auto [tb, y] : {std::pair{"2", 0.5}, {"1.5", 3.0}, {"10", -2.0}, {"0.7", 2.25}, {"123.456", 0.0}}) {
        Object a = decimal(tb), e = decimal(std::to_string(y));
        set(u, tb);
        mpfr_set_d(v.get(), y, MPFR_RNDN);
        mpfr_pow(w.get(), u.get(), v.get(), MPFR_RNDN);
        std::vector<CallResult> got = {method(a, "Operator_Power(y As Double)", {dbl(y)}),
                                       module("Pow(x As Decimal, y As Double)", {obj(a), dbl(y)}),
                                       method(a, "Operator_Power(x As Decimal)", {obj(e)}),
                                       module("Pow(x As Decimal, y As Decimal)", {obj(a), obj(e)})};
        if (y == std::floor(y)) got.push_back(method(a, "Operator_Power(y As Integer)", {integer(std::int64_t(y))}));
        for (CallResult const& r : got) {
            EXPECT_EQ(r.exception(), "");
            EXPECT_NE(r.value.object, a);
            EXPECT_TRUE(closeTo(r.value.object, ofMpfr(w), n, ulps)) << tb << "^" << y;
        }
        // x ^ receiver with a Double base: the base's 14-digit image bounds the agreement.
        double xb = mpfr_get_d(u.get(), MPFR_RNDN);
        mpfr_set_d(u.get(), xb, MPFR_RNDN);
        mpfr_pow(w.get(), u.get(), v.get(), MPFR_RNDN);
        for (CallResult const& r : {method(e, "Operator_PowerRight", {dbl(xb)}), module("Pow(x As Double", {dbl(xb), obj(e)})})
            EXPECT_TRUE(closeTo(r.value.object, ofMpfr(w), 14, 2)) << xb << "^" << y;
    }
    using MpfrFn = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);
    const std::tuple<char const*, MpfrFn, std::vector<char const*>> fns[] = {
        {"Sqrt(", mpfr_sqrt, {"2", "0.0001", "1e40", "12345.678"}}, {"Log(", mpfr_log, {"2", "0.001", "1e50", "10"}},
        {"Exp(", mpfr_exp, {"1", "-2.5", "100", "0.001"}},         {"Sin(", mpfr_sin, {"1", "-0.5", "10", "3"}},
        {"Cos(", mpfr_cos, {"1", "-0.5", "10", "2"}},              {"Tan(", mpfr_tan, {"1", "-0.5", "10", "1.5"}},
        {"ASin(", mpfr_asin, {"1", "-1", "0.5", "-0.999"}},        {"ACos(", mpfr_acos, {"1", "-1", "0.5", "0.001"}},
        {"ATan(", mpfr_atan, {"1", "-0.5", "1e10", "0.001"}},      {"Sinh(", mpfr_sinh, {"1", "-0.5", "20", "0.001"}},
        {"Cosh(", mpfr_cosh, {"1", "-0.5", "20", "0.001"}},        {"Tanh(", mpfr_tanh, {"1", "-0.5", "5", "0.001"}},
        {"ASinh(", mpfr_asinh, {"1", "-0.5", "1e40", "-1e40"}},    {"ACosh(", mpfr_acosh, {"1.5", "2", "1e10", "1.001"}},
        {"ATanh(", mpfr_atanh, {"0.5", "-0.5", "0.999", "0.001"}}};
    for (auto const& [decl, fn, xs] : fns)
        for (char const* t : xs) {
            CallResult r = module(decl, {obj(decimal(t))});
            set(w, t);
            fn(w.get(), w.get(), MPFR_RNDN);
            EXPECT_EQ(r.exception(), "") << decl << t;
            EXPECT_TRUE(closeTo(r.value.object, ofMpfr(w), n, ulps)) << decl << t;
        }
    for (auto [ty, tx] : {std::pair{"1", "2"}, {"2", "1"}, {"-1", "-1"}, {"0", "-3"}, {"0", "0"}}) {
        CallResult r = module("ATan2(", {obj(decimal(ty)), obj(decimal(tx))});  // y first
        set(u, ty);
        set(v, tx);
        mpfr_atan2(w.get(), u.get(), v.get(), MPFR_RNDN);
        EXPECT_TRUE(closeTo(r.value.object, ofMpfr(w), n, ulps)) << ty << "," << tx;
    }
}

// The failure rows and neighbours: declaration (its start), receiver (nullptr: module
// method), arguments ("D" Decimal, "d" Double, "i" Integer, then the value), the exception
// and what comes back: "self", "arg" (the argument object), "zero" (a new object holding
// 0), a DecStr text (a new object holding that), or "=n" (an Integer or Currency result).
TEST_F(Vantrel, FailureRows) {
    struct Row {
        char const *decl, *self;
        std::vector<char const*> args;
        char const *exception, *returns;
    };
    const char *Neg = "DecNegativeNumberException", *Bad = "DecBadEntryNumberException",
               *Div = "DecDivideByZeroException";
    const bool wide = sizeof(HostInteger) == 8;  // the 32-bit host passes an Integer's low half
    const Row rows[] = {
        {"Sqrt", nullptr, {"D-4"}, Neg, "arg"}, {"Sqrt", nullptr, {"D0"}, "", "zero"}, {"Log", nullptr, {"D0"}, Neg, "arg"},
        {"Log", nullptr, {"D-1"}, Neg, "arg"}, {"ATanh", nullptr, {"D1"}, Bad, "arg"}, {"ATanh", nullptr, {"D-1"}, Bad, "arg"},
        {"ACosh", nullptr, {"D0.5"}, Bad, "arg"}, {"ACosh", nullptr, {"D-2"}, Bad, "arg"}, {"ACosh", nullptr, {"D1"}, "", "zero"},
        {"ASin", nullptr, {"D1.0000000001"}, Bad, "arg"}, {"ACos", nullptr, {"D-1.0000000001"}, Bad, "arg"},
        // Beyond the exponential's range: refused, never a silent 0.
        {"Exp", nullptr, {"D2e9"}, Bad, "zero"}, {"Sinh", nullptr, {"D-1481763717"}, Bad, "zero"},
        {"Cosh", nullptr, {"D2e9"}, Bad, "zero"}, {"Lg2", nullptr, {"D0"}, Neg, "=0"}, {"Lg2", nullptr, {"D-3"}, Neg, "=0"},
        {"Lg2", nullptr, {"D1"}, "", "=0"}, {"Lg2", nullptr, {"D1023"}, "", "=9"}, {"Lg2", nullptr, {"D1024"}, "", "=10"},
        {"Lg2", nullptr, {"D0.5"}, "", "=-1"}, {"Lg2", nullptr, {"D1e30"}, "", "=99"},
        {"DecimalToCurrency", nullptr, {"D1e20"}, "DecToCurrOverflowException", "=0"},
        // A negative base to a fractional power.
        {"Operator_Power(y As D", "-8", {"d0.5"}, Bad, "zero"}, {"Operator_Power(x", "-8", {"D0.5"}, Bad, "zero"},
        {"Operator_PowerRight", "0.5", {"d-8"}, Bad, "zero"}, {"Pow(x As Decimal, y As Do", nullptr, {"D-8", "d0.5"}, Bad, "zero"},
        {"Pow(x As Double", nullptr, {"d-8", "D0.5"}, Bad, "zero"},
        // Zero divisors: -0.0 and an Integer 0 (random ones come above).
        {"Operator_Divide(x As d", "7.5", {"d-0.0"}, Div, "self"}, {"Operator_Divide(x As I", "7.5", {"i0"}, Div, "self"},
        {"Operator_DivideRight(x As I", "0", {"i2"}, Div, "self"},
        // Zero to a negative power divides by zero, in each form.
        {"Pow(x As Decimal, y As Decimal)", nullptr, {"D0", "D-1e-30"}, Div, "zero"}, {"Operator_Power(y As I", "0", {"i-1"}, Div, "zero"},
        {"Operator_Power(y As D", "0", {"d-1.5"}, Div, "zero"}, {"Operator_PowerRight", "-1", {"d-0.0"}, Div, "zero"},
        {"Pow(x As Double", nullptr, {"d0", "D-2.5"}, Div, "zero"},
        // Integers beyond 32 bits enter exactly (not as a Double: 2^53 + 1), as exponents too.
        {"Operator_Divide(x As I", "7.5", {"i4294967296"}, wide ? "" : Div, wide ? "1746229827404022216796875e-33" : "self"},
        {"Operator_DivideRight(x As I", "2", {"i9007199254740993"}, "", wide ? "45035996273704965e-1" : "5e-1"},
        {"Operator_Power(y As I", "-1", {"i4294967297"}, "", "-1e0"}, {"Operator_Power(y As I", "2", {"i4294967296"}, wide ? Bad : "", wide ? "zero" : "1e0"}};
    for (Row const& r : rows) {
        Object self = r.self ? decimal(r.self) : Object();
        std::vector<Value> args;
        for (char const* a : r.args)
            args.push_back(a[0] == 'D' ? obj(decimal(a + 1)) : a[0] == 'd' ? dbl(std::stod(a + 1)) : integer(std::stoll(a + 1)));
        std::string what = full(r.decl) + " " + r.args[0], ret = r.returns;
        CallResult res = r.self ? method(self, r.decl, args) : module(r.decl, args);
        EXPECT_EQ(res.exception(), r.exception) << what;
        if (ret[0] == '=') {
            EXPECT_EQ(res.value.integer, std::stoll(ret.substr(1))) << what;
        } else if (ret == "zero" || std::isdigit(static_cast<unsigned char>(ret.back()))) {
            ASSERT_FALSE(res.value.object.isNil()) << what;
            EXPECT_TRUE(res.value.object != self && res.value.object != args[0].object) << what;
            EXPECT_EQ(decStr(res.value.object), ret == "zero" ? "0e0" : ret) << what;
        } else {
            EXPECT_EQ(res.value.object, ret == "self" ? self : args[0].object) << what;
        }
    }
}

// A nil handle in every position of every declaration that takes or returns objects, NaN
// and the infinities in every Double position, then every declaration that makes a result
// with the host refusing new instances.
TEST_F(Vantrel, NilHandlesAndRefusedInstances) {
    Object a = decimal("0.5"), b = decimal("2");
    for (std::size_t i = 0; i < 66; ++i) {
        std::string decl = kDecls[i];
        bool isMethod = i < kClassRows;
        Declaration d;
        ASSERT_TRUE(readDeclaration(decl, d)) << decl;
        std::vector<Value> args = argsFor(d, {obj(a), obj(b)});
        for (std::size_t p = 0; p <= args.size(); ++p) {
            if (p == 0 ? !isMethod : args[p - 1].kind != Kind::Object) continue;  // p = 0: the receiver
            std::vector<Value> with = args;
            if (p > 0) with[p - 1] = nilObject();
            CallResult r = isMethod ? method(p == 0 ? Object() : a, decl, with) : module(decl, with);
            std::string what = decl + " nil at " + std::to_string(p);
            // The functions through fp (not Sqr, Sqrt), ATan2's y and DecimalToCurrency raise;
            // the rest are quiet.
            bool fp = decl.find("(x As Decimal) As Decimal") != std::string::npos && decl.rfind("Sqr", 0) != 0;
            bool raises = !isMethod && (fp || (decl.rfind("ATan2", 0) == 0 && p == 1) ||
                                        decl.rfind("DecimalToCurrency", 0) == 0);
            EXPECT_EQ(r.exception(), raises ? "DecNilObjectException" : "") << what;
            // A nil argument gives back the receiver (Pow's x when y is nil); else nil, "", 0.
            bool self = (isMethod && p > 0) || (decl.rfind("Pow(x As Decimal, y As Decimal)", 0) == 0 && p == 2);
            EXPECT_EQ(r.value.object, self && d.result.kind == Kind::Object ? a : Object()) << what;
            EXPECT_TRUE(r.value.text.empty() && r.value.integer == 0 && r.value.number == 0.0) << what;
        }
        // DecBadInputException, nil or 0, and the receiver's value kept (constructor, conversion).
        for (std::size_t p = 0; p < args.size(); ++p)
            for (double x : {std::nan(""), HUGE_VAL, -HUGE_VAL}) {
                if (args[p].kind != Kind::Double) break;
                std::vector<Value> with = args;
                with[p] = dbl(x);
                CallResult r = isMethod ? method(a, decl, with) : module(decl, with);
                EXPECT_TRUE(r.exception() == "DecBadInputException" && r.value.object.isNil() && r.value.integer == 0 &&
                            decStr(a) == "5e-1") << decl << " " << x;
            }
        if (d.result.kind != Kind::Object) continue;
        refuseNewInstance("Decimal");
        CallResult r = isMethod ? method(a, decl, args)
                                : module(decl, argsFor(d, {obj(decl.rfind("ACosh", 0) == 0 ? b : a), obj(b)}));
        refuseNewInstance("");
        EXPECT_EQ(r.exception(), "DecNilObjectException") << decl << " refused";
        EXPECT_TRUE(r.value.object.isNil()) << decl << " refused";
    }
}

TEST_F(Vantrel, ConstructorsLifetimeTextsAndCurrency) {
    CallResult r;
    for (auto [in, exception] : {std::pair{std::string("abc"), "DecBadInputException"}, {std::string(""), ""},
                                 {std::string("12\0" "34", 5), "DecBadInputException"}}) {
        Object o = construct("Decimal", kDecls[1], {str(in)}, &r);
        EXPECT_EQ(r.exception(), exception) << in;
        if (*exception == '\0') {
            EXPECT_EQ(decStr(o), "0e0");
        }
    }
    // A refused text leaves the value as it was, whatever part of it the reader had read.
    for (char const* before : {"7", "-2.5", "0", "123456789012345678901234567890e-40"})
        for (std::string const& bad : {std::string("1.5e"), std::string("-1.50e"), std::string("1e5x"),
                                       std::string("12\0" "34", 5), std::string("1e99999999999"), std::string(200001, '9')}) {
            Object o = decimal(before);
            std::string was = decStr(o);
            EXPECT_EQ(method(o, kDecls[1], {str(bad)}).exception(), "DecBadInputException") << bad.substr(0, 20);
            EXPECT_EQ(decStr(o), was) << before << " " << bad.substr(0, 20);
        }
    EXPECT_EQ(decStr(construct("Decimal", kDecls[1], {nilString()})), "0e0");
    EXPECT_EQ(decStr(construct("Decimal", kDecls[0], {})), "0e0");
    EXPECT_EQ(decStr(construct("Decimal", kDecls[2], {dbl(0.1)})), "1e-1");
    // Each call on an object holding a long value releases its words; Destructor leaves it usable.
    Object a = decimal("1");
    for (auto [decl, arg, want] : {std::tuple{kDecls[1], str("2.5"), "25e-1"}, {kDecls[2], dbl(0.25), "25e-2"},
                                   {kDecls[8], dbl(-1.5), "-15e-1"}, {kDecls[0], Value(), "0e0"},
                                   {kDecls[3], Value(), "0e0"}, {kDecls[4], Value(), "0e0"}}) {
        method(a, kDecls[1], {str("123456789012345678901234567890123456789012345678901234567890")});
        EXPECT_EQ(method(a, decl, arg.kind == Kind::None ? std::vector<Value>{} : std::vector<Value>{arg}).exception(), "");
        EXPECT_EQ(decStr(a), want) << decl;
    }
    EXPECT_EQ(method(a, kDecls[8], {dbl(-1.5)}).exception(), "");
    EXPECT_EQ(method(a, "Operator_Convert() As Double").value.number, -1.5);
    EXPECT_EQ(method(decimal("2.5"), kDecls[36], {dbl(2.5)}).value.integer, 0);
    // Currency: a count of 1/10000 both ways; to Currency rounds half away from zero.
    for (std::int64_t c : {std::int64_t{0}, std::int64_t{125}, std::int64_t{-125}, std::int64_t{1}, std::int64_t{-1},
                           std::int64_t{123456789}, INT64_MAX, INT64_MIN}) {
        Object d = module("DecimalFromCurrency", {currency(c)}).value.object;
        Mpq want(std::to_string(c).c_str());
        mpq_mul(want, want, pow10q(-4));
        EXPECT_TRUE(equals(d, want)) << c;
        CallResult back = module("DecimalToCurrency", {obj(d)});
        EXPECT_EQ(back.exception(), "");
        EXPECT_EQ(back.value.integer, c);
    }
    for (auto [t, c] : {std::pair{"1.23456", 12346}, {"-1.23455", -12346}, {"1.2345499", 12345}})
        EXPECT_EQ(module("DecimalToCurrency", {obj(decimal(t))}).value.integer, c) << t;
}

// A host need not clear instance data before the class constructor runs: the constructor
// reads none of it, and the rows that replace a held value release the old one.
TEST_F(Vantrel, ConstructorsOnRawInstanceData) {
    static char const* const kLong = "123456789012345678901234567890123456789";
    // "Constructor()" or "Destructor()" called on a live object holding a long value.
    static auto const again = [](char const* decl) {
        Object o = decimal(kLong);
        EXPECT_EQ(method(o, decl).exception(), "");
        return o;
    };
    // What the host program does, and the value of the object it ends with.
    std::pair<Object (*)(), char const*> const rows[] = {
        {[] { return newObject("Decimal"); }, "0e0"},
        {[] { return construct("Decimal", kDecls[0], {}); }, "0e0"},
        {[] { return construct("Decimal", kDecls[1], {str("1.5")}); }, "15e-1"},
        {[] { return construct("Decimal", kDecls[2], {dbl(2.5)}); }, "25e-1"},
        {[] { return method(decimal(kLong), "Operator_Multiply(x As Integer)", {integer(-2)}).value.object; },
         "-246913578024691357802469135780246913578e0"},
        {[] { return again(kDecls[0]); }, "0e0"},
        {[] { return again(kDecls[4]); }, "0e0"},
    };
    struct ZeroFillAfter {
        ~ZeroFillAfter() { fillInstanceData(0); }
    } zeroFillAfter;
    for (int fill : {0x00, 0xA5, 0xFF, 0x01}) {
        fillInstanceData(static_cast<unsigned char>(fill));
        for (std::size_t i = 0; i < std::size(rows); ++i) {
            Stats s = stats();
            EXPECT_EQ(decStr(rows[i].first()), rows[i].second) << "row " << i << ", fill " << fill;
            Stats t = stats();
            EXPECT_EQ(t.destructorRuns - s.destructorRuns, t.constructorRuns - s.constructorRuns) << i;
            EXPECT_EQ(t.liveObjects, s.liveObjects) << i;
        }
    }
}

}  // namespace
