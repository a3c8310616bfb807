// The plug-in Vantrel as a host program sees it: registration records, the exported
// symbols, the settings, and the methods of the class Decimal and the module checked
// against exact rationals (GMP) and MPFR, with every failure row and nil handle.
#include <gtest/gtest.h>
#include <mpfr.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "Host.h"
#include "decMath.h"
#include "elf_symbols.h"
#include "fp_oracle.h"

namespace {

using namespace vhost;
using oracle::Mpq;
using oracle::Mpz;

char const* const kDecDecls[] = {
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
    "Operator_Compare(x As Double) As Integer"};

char const* const kModuleDecls[] = {"DecSetPrecision(DecPrec As Integer)",
                                    "DecGetPrecision() As Integer",
                                    "DecSetScale(DecPrec As Integer)",
                                    "DecGetScale() As Integer",
                                    "DecStr(x As Decimal) As String",
                                    "Str(x As Decimal) As String",
                                    "Sqr(x As Decimal) As Decimal",
                                    "Sqrt(x As Decimal) As Decimal",
                                    "Log(x As Decimal) As Decimal",
                                    "Lg2(x As Decimal) As Integer",
                                    "Exp(x As Decimal) As Decimal",
                                    "Sin(x As Decimal) As Decimal",
                                    "Cos(x As Decimal) As Decimal",
                                    "Tan(x As Decimal) As Decimal",
                                    "ASin(x As Decimal) As Decimal",
                                    "ACos(x As Decimal) As Decimal",
                                    "ATan(x As Decimal) As Decimal",
                                    "ATan2(y As Decimal, x As Decimal) As Decimal",
                                    "Sinh(x As Decimal) As Decimal",
                                    "Cosh(x As Decimal) As Decimal",
                                    "Tanh(x As Decimal) As Decimal",
                                    "ASinh(x As Decimal) As Decimal",
                                    "ACosh(x As Decimal) As Decimal",
                                    "ATanh(x As Decimal) As Decimal",
                                    "Pow(x As Decimal, y As Decimal) As Decimal",
                                    "Pow(x As Decimal, y As Double) As Decimal",
                                    "Pow(x As Double, y As Decimal) As Decimal",
                                    "DecimalFromCurrency(x As Currency) As Decimal",
                                    "DecimalToCurrency(x As Decimal) As Currency"};

char const* const kExceptionClasses[] = {"DecBadInputException",       "DecDivideByZeroException",
                                         "DecNilObjectException",      "DecNegativeNumberException",
                                         "DecBadEntryNumberException", "DecToCurrOverflowException"};

// ---- host-program helpers

int sgnOf(mpq_srcptr q) { return mpq_sgn(q); }

CallResult module(std::string const& decl, std::vector<Value> const& args) { return callModule(decl, args); }
CallResult method(Object const& self, std::string const& decl, std::vector<Value> const& args = {}) {
    return call("Decimal", self, decl, args);
}
Object decimal(std::string const& text) {
    CallResult r;
    Object o = construct("Decimal", "Constructor(inputString As String)", {str(text)}, &r);
    EXPECT_EQ(r.exception(), "") << text;
    return o;
}
std::string decStr(Object const& o) { return method(o, "DecStr() As String").value.text; }
std::int64_t precision() { return module("DecGetPrecision() As Integer", {}).value.integer; }
void setPrecision(std::int64_t n) { module("DecSetPrecision(DecPrec As Integer)", {integer(n)}); }
std::int64_t scaleNow() { return module("DecGetScale() As Integer", {}).value.integer; }
void setScale(std::int64_t n) { module("DecSetScale(DecPrec As Integer)", {integer(n)}); }

// The exact value of a DecStr text "digitsEexponent".
Mpq valueOfDecStr(std::string const& s) {
    auto e = s.find('e');
    EXPECT_NE(e, std::string::npos) << s;
    Mpq q(s.substr(0, e).c_str());
    long x = std::stol(s.substr(e + 1));
    Mpz p;
    mpz_ui_pow_ui(p, 10, static_cast<unsigned long>(std::labs(x)));
    Mpq f;
    mpq_set_z(f, p);
    if (x >= 0)
        mpq_mul(q, q, f);
    else
        mpq_div(q, q, f);
    return q;
}
Mpq valueOf(Object const& o) { return valueOfDecStr(decStr(o)); }
// The exact value of a decimal text such as "-12.5e3".
Mpq valueOfText(std::string const& t) {
    auto e = t.find_first_of("eE");
    std::string m = t.substr(0, e);
    long x = e == std::string::npos ? 0 : std::stol(t.substr(e + 1));
    auto dot = m.find('.');
    if (dot != std::string::npos) {
        x -= static_cast<long>(m.size() - dot - 1);
        m.erase(dot, 1);
    }
    return valueOfDecStr(m + "e" + std::to_string(x));
}
// Significant digits of a DecStr mantissa.
int digitsOf(std::string const& s) {
    std::string m = s.substr(0, s.find('e'));
    if (!m.empty() && m[0] == '-') m.erase(0, 1);
    return m == "0" ? 0 : static_cast<int>(m.size());
}

// |got - want| <= ulps units of the n-th significant digit of want.
::testing::AssertionResult closeTo(Mpq const& got, mpfr_srcptr want, int n, int ulps) {
    Mpq w;
    mpfr_get_q(w, want);
    if (sgnOf(w) == 0)
        return sgnOf(got) == 0 ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "want 0";
    Mpq d;
    mpq_sub(d, got, w);
    mpq_abs(d, d);
    // ulp = 10^(floor(log10|w|) - n + 1)
    long e10 = static_cast<long>(std::floor(std::log10(std::fabs(mpfr_get_d(want, MPFR_RNDN)))));
    long pw = e10 - n + 1;
    Mpz p;
    mpz_ui_pow_ui(p, 10, static_cast<unsigned long>(std::labs(pw)));
    Mpq ulp;
    mpq_set_z(ulp, p);
    if (pw < 0) mpq_inv(ulp, ulp);
    Mpq bound;
    mpq_set_ui(bound, static_cast<unsigned long>(ulps), 1);
    mpq_mul(bound, bound, ulp);
    if (mpq_cmp(d, bound) <= 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << got.str() << ", error " << mpq_get_d(d) << " > " << mpq_get_d(bound);
}

class Vantrel : public ::testing::Test {
protected:
    void SetUp() override {
        loadPlugin(VANTREL_PLUGIN_PATH);
        refuseNewInstance("");
        setPrecision(32);
        setScale(5);
        before_ = stats();
    }
    void TearDown() override {
        refuseNewInstance("");
        setPrecision(32);
        setScale(5);
        Stats s = stats();
        EXPECT_EQ(s.liveObjects, before_.liveObjects) << "objects left alive";
        EXPECT_EQ(s.liveStrings, before_.liveStrings) << "strings left alive";
        EXPECT_EQ(s.openStringData, 0);
        EXPECT_EQ(s.droppedObjects, before_.droppedObjects) << "objects the plug-in dropped";
        EXPECT_EQ(s.droppedStrings, before_.droppedStrings) << "strings the plug-in dropped";
        EXPECT_EQ(s.nilExceptions, before_.nilExceptions);
    }
    Stats before_;
};

// ---- registration

TEST_F(Vantrel, StartValues) {
    // Every test puts 32 and 5 back, the start values, so this holds in any order.
    EXPECT_EQ(precision(), 32);
    EXPECT_EQ(scaleNow(), 5);
    EXPECT_EQ(registeredPluginVersion(), 13);
}

TEST_F(Vantrel, ExportsOnlyTheEntry) {
    bool ok = false;
    auto names = oracle::exportedSymbols(VANTREL_PLUGIN_PATH, ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(names, std::vector<std::string>{"REALPluginMain"});
}

TEST_F(Vantrel, ClassesInOrder) {
    std::vector<std::string> names;
    for (auto const* c : registeredClasses())
        if (std::strncmp(c->name, "Probe", 5) != 0) names.push_back(c->name);
    std::vector<std::string> want{"Decimal"};
    for (char const* e : kExceptionClasses) want.push_back(e);
    EXPECT_EQ(names, want);
    REALclassDefinition const* d = findClass("Decimal");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->version, 13u);
    EXPECT_EQ(d->superName, nullptr);
    EXPECT_EQ(d->dataSize, sizeof(DecData));
    EXPECT_EQ(d->dataOffset, dataOffset());
    EXPECT_NE(d->constructor, nullptr);
    EXPECT_NE(d->destructor, nullptr);
    EXPECT_EQ(d->flags, kClassFlagConsoleSafe);
    EXPECT_EQ(d->propertyCount, 0u);
    EXPECT_EQ(d->eventCount, 0u);
    EXPECT_EQ(d->constantCount, 0u);
    ASSERT_EQ(d->methodCount, 37u);
    for (int i = 0; i < 37; ++i) {
        HostMethodEntry const& m = d->methods[i];
        EXPECT_STREQ(m.declaration, kDecDecls[i]) << "row " << i + 1;
        EXPECT_EQ(m.flags, 4u);
        EXPECT_EQ(m.setterFunction, nullptr);
        EXPECT_EQ(m.reserved1, 0u);
        EXPECT_EQ(m.reserved2, 0u);
        EXPECT_NE(m.function, nullptr);
    }
    // Shared functions: the class constructor and destructor are rows 1 and 5; the Right
    // forms of the commutative operations are their left forms.
    EXPECT_EQ(d->methods[0].function, d->constructor);
    EXPECT_EQ(d->methods[4].function, d->destructor);
    for (auto [a, b] : {std::pair{15, 16}, {19, 20}, {23, 24}, {27, 28}})
        EXPECT_EQ(d->methods[a].function, d->methods[b].function) << a + 1;
    for (char const* e : kExceptionClasses) {
        REALclassDefinition const* c = findClass(e);
        ASSERT_NE(c, nullptr) << e;
        EXPECT_EQ(c->version, 13u);
        EXPECT_STREQ(c->superName, "RuntimeException");
        EXPECT_EQ(c->dataSize, 0u);
        EXPECT_EQ(c->constructor, nullptr);
        EXPECT_EQ(c->destructor, nullptr);
        EXPECT_EQ(c->methodCount, 0u);
        EXPECT_EQ(c->flags, kClassFlagConsoleSafe);
    }
}

TEST_F(Vantrel, ModuleMethodsInOrder) {
    std::vector<HostMethodEntry> mine;
    for (auto const& m : registeredModuleMethods())
        if (std::strncmp(m.declaration, "Probe", 5) != 0) mine.push_back(m);
    ASSERT_EQ(mine.size(), 29u);
    for (int i = 0; i < 29; ++i) {
        EXPECT_STREQ(mine[i].declaration, kModuleDecls[i]) << "row " << i + 1;
        EXPECT_EQ(mine[i].flags, 4u);
        EXPECT_EQ(mine[i].setterFunction, nullptr);
        EXPECT_EQ(mine[i].reserved1, 0u);
        EXPECT_EQ(mine[i].reserved2, 0u);
    }
    REALclassDefinition const* d = findClass("Decimal");
    EXPECT_EQ(mine[4].function, d->methods[6].function);   // DecStr
    EXPECT_EQ(mine[5].function, d->methods[5].function);   // Str
    EXPECT_EQ(mine[24].function, d->methods[31].function); // Pow(Decimal, Decimal)
    EXPECT_EQ(mine[25].function, d->methods[32].function); // Pow(Decimal, Double)
}

// ---- settings

TEST_F(Vantrel, PrecisionSetting) {
    struct Row {
        std::int64_t in, digits;
    };
    const Row rows[] = {{0, 0},    {5, 5},       {31, 31},
                        {33, 33},  {50, 50},     {-10, 10},
                        {(std::int64_t{1} << 32) + 40, 40}, {-(std::int64_t{1} << 32) - 7, 7},
                        {536870911, 536870911},  {536870912, 536870911}, {-536870912, 536870911},
                        {INT32_MIN, 536870911},  {INT32_MAX, 536870911}, {32, 32}};
    for (Row const& r : rows) {
        setPrecision(r.in);
        EXPECT_EQ(precision(), r.digits) << r.in;
    }
}

TEST_F(Vantrel, ScaleSetting) {
    for (std::int64_t s : {std::int64_t{-3}, std::int64_t{0}, std::int64_t{7}, (std::int64_t{1} << 32) + 2}) {
        setScale(s);
        EXPECT_EQ(scaleNow(), static_cast<std::int32_t>(static_cast<std::uint32_t>(s)));
    }
    Object a = decimal("1234.5678");
    setScale(-3);
    EXPECT_EQ(method(a, "Str() As String").value.text, "1000.");
    setScale(0);
    EXPECT_EQ(method(a, "Str() As String").value.text, "1235.");
    setScale(2);
    EXPECT_EQ(method(a, "Str() As String").value.text, "1234.57");
}

// Significant digits and accuracy follow the precision: each result of the set
// precision has at most that many digits and is within one unit of its last digit.
TEST_F(Vantrel, PrecisionGovernsRoundedResults) {
    oracle::MpfrRange range;
    for (int n : {5, 10, 31, 32, 33, 50}) {
        setPrecision(n);
        Object one = decimal("1"), three = decimal("3"), two = decimal("2");
        Object third = method(one, "Operator_Divide(x As Decimal) As Decimal", {obj(three)}).value.object;
        Object root = module("Sqrt(x As Decimal) As Decimal", {obj(two)}).value.object;
        Object sine = module("Sin(x As Decimal) As Decimal", {obj(one)}).value.object;
        EXPECT_LE(digitsOf(decStr(third)), n);
        EXPECT_LE(digitsOf(decStr(sine)), n);
        oracle::Mpfr w(400);
        mpfr_set_ui(w.get(), 1, MPFR_RNDN);
        mpfr_div_ui(w.get(), w.get(), 3, MPFR_RNDN);
        EXPECT_TRUE(closeTo(valueOf(third), w.get(), n, 1)) << n;
        mpfr_sqrt_ui(w.get(), 2, MPFR_RNDN);
        EXPECT_TRUE(closeTo(valueOf(root), w.get(), n, 1)) << n;
        mpfr_set_ui(w.get(), 1, MPFR_RNDN);
        mpfr_sin(w.get(), w.get(), MPFR_RNDN);
        // sin keeps about one word less than the blockPrec words it runs at (the sum
        // 1 + ... widens only to blockPrec words): up to 2^35 units of the last one.
        int words = 4 * n / 32 + 1;
        double fpUnits = std::ldexp(std::pow(10.0, n), 36 - 32 * words);
        EXPECT_TRUE(closeTo(valueOf(sine), w.get(), n, 1 + static_cast<int>(std::ceil(fpUnits)))) << n;
        // Exact operations ignore the precision.
        Object big = decimal("1234567890123456789012345678901234567890.5");
        Object sq = module("Sqr(x As Decimal) As Decimal", {obj(big)}).value.object;
        Mpq want;
        mpq_mul(want, valueOf(big), valueOf(big));
        EXPECT_EQ(mpq_cmp(valueOf(sq), want), 0);
    }
    setPrecision(0);
    Object one = decimal("1"), three = decimal("3");
    EXPECT_EQ(decStr(method(one, "Operator_Divide(x As Decimal) As Decimal", {obj(three)}).value.object), "0e0");
}

// No call but the two setters moves the settings.
TEST_F(Vantrel, OtherCallsLeaveSettingsAlone) {
    setPrecision(41);
    setScale(-2);
    Object a = decimal("2.5"), b = decimal("-0.75");
    for (char const* d : kModuleDecls) {
        std::string decl = d;
        if (decl.rfind("DecSet", 0) == 0) continue;
        std::vector<Value> args;
        if (decl.find("(x As Decimal, y As Decimal)") != std::string::npos || decl.find("(y As Decimal, x As Decimal)") != std::string::npos)
            args = {obj(a), obj(b)};
        else if (decl.find("(x As Decimal, y As Double)") != std::string::npos)
            args = {obj(a), dbl(0.5)};
        else if (decl.find("(x As Double, y As Decimal)") != std::string::npos)
            args = {dbl(2.0), obj(a)};
        else if (decl.find("(x As Currency)") != std::string::npos)
            args = {currency(125)};
        else if (decl.find("(x As Decimal)") != std::string::npos)
            args = {obj(decl.rfind("ACosh", 0) == 0 ? a : b)};
        module(decl, args);
        EXPECT_EQ(precision(), 41) << decl;
        EXPECT_EQ(scaleNow(), -2) << decl;
    }
    for (char const* d : kDecDecls) {
        std::string decl = d;
        std::vector<Value> args;
        auto open = decl.find('('), close = decl.find(')');
        std::string param = decl.substr(open + 1, close - open - 1);
        if (!param.empty()) {
            std::string type = param.substr(param.rfind(' ') + 1);
            if (type == "Decimal") args = {obj(b)};
            else if (type == "String") args = {str("1.5")};
            else if (type == "Integer") args = {integer(3)};
            else args = {dbl(0.5)};
        }
        Object self = decimal("2.5");
        method(self, decl, args);
        EXPECT_EQ(precision(), 41) << decl;
        EXPECT_EQ(scaleNow(), -2) << decl;
    }
}

// ---- the class: exact operations against rationals

std::string randomDecimal(std::mt19937_64& g) {
    std::uniform_int_distribution<int> len(1, 45), dig(0, 9), ex(-30, 30), coin(0, 1);
    std::string t = coin(g) ? "-" : "";
    int n = len(g);
    for (int i = 0; i < n; ++i) t += static_cast<char>('0' + dig(g));
    if (coin(g)) t.insert(t.size() - static_cast<std::size_t>(n / 2), ".");
    if (coin(g)) t += "e" + std::to_string(ex(g));
    return t;
}

TEST_F(Vantrel, ExactArithmeticAgainstRationals) {
    std::mt19937_64 g(20240901);
    for (int i = 0; i < 300; ++i) {
        std::string ta = randomDecimal(g), tb = randomDecimal(g);
        Object a = decimal(ta), b = decimal(tb);
        Mpq qa = valueOfText(ta), qb = valueOfText(tb);
        ASSERT_EQ(mpq_cmp(valueOf(a), qa), 0) << ta << " read as " << decStr(a);
        Mpq want;
        mpq_add(want, qa, qb);
        EXPECT_EQ(mpq_cmp(valueOf(method(a, "Operator_Add(x As Decimal) As Decimal", {obj(b)}).value.object), want), 0);
        mpq_sub(want, qa, qb);
        EXPECT_EQ(mpq_cmp(valueOf(method(a, "Operator_Subtract(x As Decimal) As Decimal", {obj(b)}).value.object), want), 0);
        mpq_mul(want, qa, qb);
        EXPECT_EQ(mpq_cmp(valueOf(method(a, "Operator_Multiply(x As Decimal) As Decimal", {obj(b)}).value.object), want), 0);
        mpq_neg(want, qa);
        EXPECT_EQ(mpq_cmp(valueOf(method(a, "Operator_Negate() As Decimal").value.object), want), 0);
        Object copy = method(a, "Operator_Convert() As Decimal").value.object;
        EXPECT_NE(copy, a);
        EXPECT_EQ(decStr(copy), decStr(a));
        int c = mpq_cmp(qa, qb);
        EXPECT_EQ(method(a, "Operator_Compare(x As Decimal) As Integer", {obj(b)}).value.integer, (c > 0) - (c < 0));
        // Normal form: no trailing zero in the mantissa, zero as 0e0.
        std::string s = decStr(a);
        std::string m = s.substr(0, s.find('e'));
        EXPECT_TRUE(m == "0" ? s == "0e0" : m.back() != '0') << s;
        if (sgnOf(qb) != 0) {
            oracle::Mpfr w(600);
            mpfr_set_q(w.get(), qa, MPFR_RNDN);
            oracle::Mpfr v(600);
            mpfr_set_q(v.get(), qb, MPFR_RNDN);
            mpfr_div(w.get(), w.get(), v.get(), MPFR_RNDN);
            Object q = method(a, "Operator_Divide(x As Decimal) As Decimal", {obj(b)}).value.object;
            EXPECT_TRUE(closeTo(valueOf(q), w.get(), 32, 1)) << ta << " / " << tb;
        }
    }
}

// Double and Integer operands enter as their 14-digit decimal image.
TEST_F(Vantrel, ScalarOperands) {
    struct Row {
        char const* decl;
        bool integerOperand;
        char op;       // + - * /
        bool right;    // operand on the left
    };
    const Row rows[] = {
        {"Operator_Add(x As double) As Decimal", false, '+', false},
        {"Operator_AddRight(x As Double) As Decimal", false, '+', true},
        {"Operator_Subtract(x As double) As Decimal", false, '-', false},
        {"Operator_SubtractRight(x As Double) As Decimal", false, '-', true},
        {"Operator_Multiply(x As double) As Decimal", false, '*', false},
        {"Operator_MultiplyRight(x As Double) As Decimal", false, '*', true},
        {"Operator_Add(x As Integer) As Decimal", true, '+', false},
        {"Operator_AddRight(x As Integer) As Decimal", true, '+', true},
        {"Operator_Subtract(x As Integer) As Decimal", true, '-', false},
        {"Operator_SubtractRight(x As Integer) As Decimal", true, '-', true},
        {"Operator_Multiply(x As Integer) As Decimal", true, '*', false},
        {"Operator_MultiplyRight(x As Integer) As Decimal", true, '*', true},
    };
    const std::pair<double, char const*> doubles[] = {{0.1, "0.1"}, {-2.5, "-2.5"}, {1e20, "1e20"}, {0.0, "0"},
                                                      {1.0 / 3, "0.33333333333333"}, {123456789.125, "123456789.125"}};
    const std::pair<std::int64_t, char const*> ints[] = {
        {2147483647, "2147483647"}, {-5, "-5"}, {0, "0"}, {(std::int64_t{1} << 32) + 9, "9"}, {INT32_MIN, "-2147483648"}};
    Object a = decimal("-17.25");
    Mpq qa = valueOfText("-17.25");
    for (Row const& r : rows) {
        std::vector<std::pair<Value, Mpq>> operands;
        if (r.integerOperand)
            for (auto const& [v, t] : ints) operands.push_back({integer(v), valueOfText(t)});
        else
            for (auto const& [v, t] : doubles) operands.push_back({dbl(v), valueOfText(t)});
        for (auto const& [v, q] : operands) {
            Mpq want, l = r.right ? q : qa, rr = r.right ? qa : q;
            if (r.op == '+') mpq_add(want, l, rr);
            if (r.op == '-') mpq_sub(want, l, rr);
            if (r.op == '*') mpq_mul(want, l, rr);
            CallResult res = method(a, r.decl, {v});
            EXPECT_EQ(res.exception(), "");
            EXPECT_EQ(mpq_cmp(valueOf(res.value.object), want), 0) << r.decl << " " << q.str();
        }
    }
    // a - 5 and 5 - a are opposite.
    Object d1 = method(a, "Operator_Subtract(x As Integer) As Decimal", {integer(5)}).value.object;
    Object d2 = method(a, "Operator_SubtractRight(x As Integer) As Decimal", {integer(5)}).value.object;
    Mpq sum;
    mpq_add(sum, valueOf(d1), valueOf(d2));
    EXPECT_EQ(sgnOf(sum), 0);
    EXPECT_EQ(decStr(construct("Decimal", "Constructor(x As Double)", {dbl(0.1)})), "1e-1");
}

TEST_F(Vantrel, ZeroDivisorReturnsReceiver) {
    Object a = decimal("7.5"), zero = decimal("0");
    struct Row {
        Object self;
        char const* decl;
        Value v;
    };
    std::vector<Row> rows = {
        {a, "Operator_Divide(x As Decimal) As Decimal", obj(zero)},
        {a, "Operator_Divide(x As double) As Decimal", dbl(0.0)},
        {a, "Operator_Divide(x As double) As Decimal", dbl(-0.0)},
        {a, "Operator_Divide(x As Integer) As Decimal", integer(0)},
        {a, "Operator_Divide(x As Integer) As Decimal", integer(std::int64_t{1} << 32)},
        {zero, "Operator_DivideRight(x As Double) As Decimal", dbl(2.0)},
        {zero, "Operator_DivideRight(x As Integer) As Decimal", integer(2)},
    };
    for (Row const& r : rows) {
        long objects = stats().liveObjects;
        CallResult res = method(r.self, r.decl, {r.v});
        EXPECT_EQ(res.exception(), "DecDivideByZeroException") << r.decl;
        EXPECT_EQ(res.value.object, r.self) << r.decl;
        EXPECT_EQ(stats().liveObjects, objects) << "no result object was made";
    }
    // Non-zero divisions on either side against MPFR.
    oracle::MpfrRange range;
    oracle::Mpfr w(400);
    mpfr_set_ui(w.get(), 2, MPFR_RNDN);
    mpfr_div_d(w.get(), w.get(), 7.5, MPFR_RNDN);
    EXPECT_TRUE(closeTo(valueOf(method(a, "Operator_DivideRight(x As Integer) As Decimal", {integer(2)}).value.object),
                        w.get(), 32, 1));
    EXPECT_TRUE(closeTo(valueOf(method(a, "Operator_DivideRight(x As Double) As Decimal", {dbl(2.0)}).value.object),
                        w.get(), 32, 1));
    mpfr_set_d(w.get(), 7.5, MPFR_RNDN);
    mpfr_div_ui(w.get(), w.get(), 3, MPFR_RNDN);
    EXPECT_TRUE(closeTo(valueOf(method(a, "Operator_Divide(x As Integer) As Decimal", {integer(3)}).value.object),
                        w.get(), 32, 1));
    EXPECT_TRUE(closeTo(valueOf(method(a, "Operator_Divide(x As double) As Decimal", {dbl(3.0)}).value.object),
                        w.get(), 32, 1));
}

TEST_F(Vantrel, NilHandles) {
    Object a = decimal("3");
    Object nil;
    for (char const* d : kDecDecls) {
        std::string decl = d;
        if (decl.find("x As Decimal") != std::string::npos) {
            // A nil operand: the receiver comes back (nil when it is nil), or 0 from Compare.
            CallResult r = method(a, decl, {nilObject()});
            EXPECT_EQ(r.exception(), "") << decl;
            if (r.value.kind == Kind::Object) {
                EXPECT_EQ(r.value.object, a) << decl;
            }
            if (r.value.kind == Kind::Integer) {
                EXPECT_EQ(r.value.integer, 0) << decl;
            }
        }
    }
    EXPECT_TRUE(method(nil, "Operator_Add(x As Decimal) As Decimal", {obj(a)}).value.object.isNil());
    EXPECT_TRUE(method(nil, "Operator_Add(x As double) As Decimal", {dbl(1)}).value.object.isNil());
    EXPECT_TRUE(method(nil, "Operator_Divide(x As Integer) As Decimal", {integer(0)}).value.object.isNil());
    EXPECT_TRUE(method(nil, "Operator_Power(y As Integer) As Decimal", {integer(2)}).value.object.isNil());
    EXPECT_TRUE(method(nil, "Operator_Negate() As Decimal").value.object.isNil());
    EXPECT_EQ(method(nil, "Str() As String").value.text, "");
    EXPECT_EQ(method(nil, "DecStr() As String").value.text, "");
    EXPECT_EQ(method(nil, "Operator_Convert() As Double").value.number, 0.0);
    EXPECT_EQ(method(nil, "Operator_Compare(x As Double) As Integer", {dbl(1)}).value.integer, 0);
    EXPECT_EQ(method(nil, "Constructor(inputString As String)", {str("5")}).exception(), "");
    // Module methods: nil returns nil, 0 or the empty string; some raise.
    struct Row {
        char const* decl;
        char const* exception;
    };
    const Row rows[] = {{"Sqr(x As Decimal) As Decimal", ""},        {"Sqrt(x As Decimal) As Decimal", ""},
                        {"Log(x As Decimal) As Decimal", "DecNilObjectException"},
                        {"Exp(x As Decimal) As Decimal", "DecNilObjectException"},
                        {"Sin(x As Decimal) As Decimal", "DecNilObjectException"},
                        {"Cos(x As Decimal) As Decimal", "DecNilObjectException"},
                        {"Tan(x As Decimal) As Decimal", "DecNilObjectException"},
                        {"ASin(x As Decimal) As Decimal", "DecNilObjectException"},
                        {"ACos(x As Decimal) As Decimal", "DecNilObjectException"},
                        {"ATan(x As Decimal) As Decimal", "DecNilObjectException"},
                        {"Sinh(x As Decimal) As Decimal", "DecNilObjectException"},
                        {"Cosh(x As Decimal) As Decimal", "DecNilObjectException"},
                        {"Tanh(x As Decimal) As Decimal", "DecNilObjectException"},
                        {"ASinh(x As Decimal) As Decimal", "DecNilObjectException"},
                        {"ACosh(x As Decimal) As Decimal", "DecNilObjectException"},
                        {"ATanh(x As Decimal) As Decimal", "DecNilObjectException"}};
    for (Row const& r : rows) {
        CallResult res = module(r.decl, {nilObject()});
        EXPECT_EQ(res.exception(), r.exception) << r.decl;
        EXPECT_TRUE(res.value.object.isNil()) << r.decl;
    }
    EXPECT_EQ(module("Lg2(x As Decimal) As Integer", {nilObject()}).value.integer, 0);
    EXPECT_EQ(module("Str(x As Decimal) As String", {nilObject()}).value.text, "");
    EXPECT_TRUE(module("Pow(x As Double, y As Decimal) As Decimal", {dbl(2), nilObject()}).value.object.isNil());
    EXPECT_EQ(module("Pow(x As Decimal, y As Decimal) As Decimal", {obj(a), nilObject()}).value.object, a);
    EXPECT_TRUE(module("ATan2(y As Decimal, x As Decimal) As Decimal", {obj(a), nilObject()}).value.object.isNil());
    CallResult y = module("ATan2(y As Decimal, x As Decimal) As Decimal", {nilObject(), obj(a)});
    EXPECT_EQ(y.exception(), "DecNilObjectException");
    EXPECT_TRUE(y.value.object.isNil());
    CallResult c = module("DecimalToCurrency(x As Decimal) As Currency", {nilObject()});
    EXPECT_EQ(c.exception(), "DecNilObjectException");
    EXPECT_EQ(c.value.integer, 0);
}

// Every declaration that makes a result object raises DecNilObjectException and
// returns nil when the host gives none.
TEST_F(Vantrel, NoResultObject) {
    Object a = decimal("0.5"), b = decimal("2");
    refuseNewInstance("Decimal");
    for (char const* d : kDecDecls) {
        std::string decl = d;
        if (decl.find(") As Decimal") == std::string::npos) continue;
        std::vector<Value> args;
        if (decl.find("As Decimal)") != std::string::npos) args = {obj(b)};
        else if (decl.find("As Integer)") != std::string::npos) args = {integer(2)};
        else if (decl.find("(x As") != std::string::npos || decl.find("(y As") != std::string::npos) args = {dbl(2)};
        CallResult r = method(a, decl, args);
        EXPECT_EQ(r.exception(), "DecNilObjectException") << decl;
        EXPECT_TRUE(r.value.object.isNil()) << decl;
    }
    for (char const* d : kModuleDecls) {
        std::string decl = d;
        if (decl.find(") As Decimal") == std::string::npos) continue;
        std::vector<Value> args;
        if (decl.find("x As Decimal, y As Decimal") != std::string::npos || decl.find("y As Decimal, x As Decimal") != std::string::npos) args = {obj(a), obj(b)};
        else if (decl.find("x As Decimal, y As Double") != std::string::npos) args = {obj(a), dbl(2)};
        else if (decl.find("x As Double, y As Decimal") != std::string::npos) args = {dbl(2), obj(a)};
        else if (decl.find("Currency") != std::string::npos) args = {currency(5)};
        else args = {obj(decl.rfind("ACosh", 0) == 0 ? b : a)};
        CallResult r = module(decl, args);
        EXPECT_EQ(r.exception(), "DecNilObjectException") << decl;
        EXPECT_TRUE(r.value.object.isNil()) << decl;
    }
}

}  // namespace

namespace {

TEST_F(Vantrel, FailureRows) {
    struct Row {
        char const* decl;
        char const* arg;
        char const* exception;
        char const* returns;  // "arg", "nil", "zero" (a new object holding 0)
    };
    const Row rows[] = {
        {"Sqrt(x As Decimal) As Decimal", "-4", "DecNegativeNumberException", "arg"},
        {"Sqrt(x As Decimal) As Decimal", "0", "", "zero"},
        {"Log(x As Decimal) As Decimal", "0", "DecNegativeNumberException", "arg"},
        {"Log(x As Decimal) As Decimal", "-1", "DecNegativeNumberException", "arg"},
        {"ASin(x As Decimal) As Decimal", "1.0000000001", "DecBadEntryNumberException", "arg"},
        {"ACos(x As Decimal) As Decimal", "-1.0000000001", "DecBadEntryNumberException", "arg"},
        {"ATanh(x As Decimal) As Decimal", "1", "DecBadEntryNumberException", "arg"},
        {"ATanh(x As Decimal) As Decimal", "-1", "DecBadEntryNumberException", "arg"},
        {"ACosh(x As Decimal) As Decimal", "0.5", "DecBadEntryNumberException", "arg"},
        {"ACosh(x As Decimal) As Decimal", "-2", "DecBadEntryNumberException", "arg"},
        {"ACosh(x As Decimal) As Decimal", "1", "", "zero"},
        // Beyond the exponential's range: refused, never a silent 0.
        {"Exp(x As Decimal) As Decimal", "2e9", "DecBadEntryNumberException", "zero"},
        {"Sinh(x As Decimal) As Decimal", "-1481763717", "DecBadEntryNumberException", "zero"},
        {"Cosh(x As Decimal) As Decimal", "2e9", "DecBadEntryNumberException", "zero"},
    };
    for (Row const& r : rows) {
        Object x = decimal(r.arg);
        CallResult res = module(r.decl, {obj(x)});
        EXPECT_EQ(res.exception(), r.exception) << r.decl << " " << r.arg;
        if (std::string(r.returns) == "arg") {
            EXPECT_EQ(res.value.object, x) << r.decl;
        }
        if (std::string(r.returns) == "zero") {
            EXPECT_NE(res.value.object, x);
            EXPECT_EQ(decStr(res.value.object), "0e0") << r.decl;
        }
    }
    CallResult lg = module("Lg2(x As Decimal) As Integer", {obj(decimal("0"))});
    EXPECT_EQ(lg.exception(), "DecNegativeNumberException");
    EXPECT_EQ(lg.value.integer, 0);
    EXPECT_EQ(module("Lg2(x As Decimal) As Integer", {obj(decimal("-3"))}).exception(), "DecNegativeNumberException");
    for (auto [t, v] : {std::pair{"1", 0}, {"2", 1}, {"1023", 9}, {"1024", 10}, {"0.5", -1}, {"1e30", 99}})
        EXPECT_EQ(module("Lg2(x As Decimal) As Integer", {obj(decimal(t))}).value.integer, v) << t;
    // Failed powers return a new object holding 0.
    Object m8 = decimal("-8");
    for (CallResult res : {method(m8, "Operator_Power(y As Double) As Decimal", {dbl(0.5)}),
                           module("Pow(x As Decimal, y As Double) As Decimal", {obj(m8), dbl(0.5)}),
                           module("Pow(x As Double, y As Decimal) As Decimal", {dbl(-8), obj(decimal("0.5"))}),
                           method(decimal("0.5"), "Operator_PowerRight(x As double) As Decimal", {dbl(-8)}),
                           method(m8, "Operator_Power(x As Decimal) As Decimal", {obj(decimal("0.5"))})}) {
        EXPECT_EQ(res.exception(), "DecBadEntryNumberException");
        ASSERT_FALSE(res.value.object.isNil());
        EXPECT_NE(res.value.object, m8);
        EXPECT_EQ(decStr(res.value.object), "0e0");
    }
    CallResult over = module("DecimalToCurrency(x As Decimal) As Currency", {obj(decimal("1e20"))});
    EXPECT_EQ(over.exception(), "DecToCurrOverflowException");
    EXPECT_EQ(over.value.integer, 0);
}

TEST_F(Vantrel, ConstructorsAndLifetime) {
    CallResult r;
    Object bad = construct("Decimal", "Constructor(inputString As String)", {str("abc")}, &r);
    EXPECT_EQ(r.exception(), "DecBadInputException");
    Object empty = construct("Decimal", "Constructor(inputString As String)", {str("")}, &r);
    EXPECT_EQ(r.exception(), "");
    EXPECT_EQ(decStr(empty), "0e0");
    Object nilText = construct("Decimal", "Constructor(inputString As String)", {nilString()}, &r);
    EXPECT_EQ(r.exception(), "");
    EXPECT_EQ(decStr(nilText), "0e0");
    construct("Decimal", "Constructor(inputString As String)", {str(std::string("12\0" "34", 5))}, &r);
    EXPECT_EQ(r.exception(), "DecBadInputException") << "a NUL inside the text";
    Object plain = construct("Decimal", "Constructor()", {});
    EXPECT_EQ(decStr(plain), "0e0");
    // Constructors called again on an object holding a long value release its words.
    Object a = decimal("123456789012345678901234567890123456789012345678901234567890");
    EXPECT_EQ(method(a, "Constructor(inputString As String)", {str("2.5")}).exception(), "");
    EXPECT_EQ(decStr(a), "25e-1");
    method(a, "Constructor(x As Double)", {dbl(0.25)});
    EXPECT_EQ(decStr(a), "25e-2");
    method(a, "Constructor()");
    EXPECT_EQ(decStr(a), "0e0");
    Object b = decimal("98765432109876543210987654321");
    method(b, "Operator_Convert(x As Double)", {dbl(-1.5)});
    EXPECT_EQ(decStr(b), "-15e-1");
    EXPECT_EQ(method(b, "Operator_Convert() As Double").value.number, -1.5);
    method(b, "DecFree()");
    EXPECT_EQ(method(b, "Str() As String").value.text, "0.00000");
    method(b, "Destructor()");  // the object stays usable
    method(b, "Destructor()");
    EXPECT_EQ(decStr(b), "0e0");
    EXPECT_EQ(method(a, "Operator_Compare(x As Double) As Integer", {dbl(1)}).value.integer, -1);
    EXPECT_EQ(method(decimal("2.5"), "Operator_Compare(x As Double) As Integer", {dbl(2.5)}).value.integer, 0);
    EXPECT_EQ(method(decimal("3"), "Operator_Compare(x As Double) As Integer", {dbl(2.5)}).value.integer, 1);
}

TEST_F(Vantrel, PowersAgainstMpfr) {
    oracle::MpfrRange range;
    oracle::Mpfr w(400), base(400), ex(400);
    struct Row {
        char const* base;
        double y;
    };
    const Row rows[] = {{"2", 0.5}, {"1.5", 3}, {"10", -2}, {"0.7", 2.25}, {"123.456", 0}};
    for (Row const& r : rows) {
        Object a = decimal(r.base);
        mpfr_set_q(base.get(), valueOfText(r.base), MPFR_RNDN);
        mpfr_set_d(ex.get(), r.y, MPFR_RNDN);
        mpfr_pow(w.get(), base.get(), ex.get(), MPFR_RNDN);
        std::string ys = std::to_string(r.y);
        for (CallResult res : {method(a, "Operator_Power(y As Double) As Decimal", {dbl(r.y)}),
                               module("Pow(x As Decimal, y As Double) As Decimal", {obj(a), dbl(r.y)}),
                               method(a, "Operator_Power(x As Decimal) As Decimal", {obj(decimal(ys))}),
                               module("Pow(x As Decimal, y As Decimal) As Decimal", {obj(a), obj(decimal(ys))})}) {
            EXPECT_EQ(res.exception(), "");
            EXPECT_NE(res.value.object, a);
            EXPECT_TRUE(closeTo(valueOf(res.value.object), w.get(), 32, 2)) << r.base << "^" << r.y;
        }
        if (r.y == std::floor(r.y)) {
            CallResult res = method(a, "Operator_Power(y As Integer) As Decimal", {integer(static_cast<std::int64_t>(r.y))});
            EXPECT_TRUE(closeTo(valueOf(res.value.object), w.get(), 32, 2)) << r.base << "^" << r.y;
        }
        // x ^ receiver, both forms.
        Object e = decimal(ys);
        double xb = mpfr_get_d(base.get(), MPFR_RNDN);
        mpfr_set_d(base.get(), xb, MPFR_RNDN);
        mpfr_pow(w.get(), base.get(), ex.get(), MPFR_RNDN);
        for (CallResult res : {method(e, "Operator_PowerRight(x As double) As Decimal", {dbl(xb)}),
                               module("Pow(x As Double, y As Decimal) As Decimal", {dbl(xb), obj(e)})})
            EXPECT_TRUE(closeTo(valueOf(res.value.object), w.get(), 14, 2)) << xb << "^" << r.y;
    }
}

// The functions through fp: within two units of the 32nd digit of MPFR's value (the
// fp functions work at blockPrec words, some digits beyond the 32 kept).
TEST_F(Vantrel, FunctionsAgainstMpfr) {
    oracle::MpfrRange range;
    using MpfrFn = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);
    struct Row {
        char const* decl;
        MpfrFn f;
        std::vector<char const*> args;
    };
    const Row rows[] = {
        {"Sqrt(x As Decimal) As Decimal", mpfr_sqrt, {"2", "0.0001", "1e40", "12345.678"}},
        {"Log(x As Decimal) As Decimal", mpfr_log, {"2", "0.001", "1e50", "10"}},
        {"Exp(x As Decimal) As Decimal", mpfr_exp, {"1", "-2.5", "100", "0.001"}},
        {"Sin(x As Decimal) As Decimal", mpfr_sin, {"1", "-0.5", "10", "3"}},
        {"Cos(x As Decimal) As Decimal", mpfr_cos, {"1", "-0.5", "10", "2"}},
        {"Tan(x As Decimal) As Decimal", mpfr_tan, {"1", "-0.5", "10", "1.5"}},
        {"ASin(x As Decimal) As Decimal", mpfr_asin, {"1", "-1", "0.5", "-0.999"}},
        {"ACos(x As Decimal) As Decimal", mpfr_acos, {"1", "-1", "0.5", "0.001"}},
        {"ATan(x As Decimal) As Decimal", mpfr_atan, {"1", "-0.5", "1e10", "0.001"}},
        {"Sinh(x As Decimal) As Decimal", mpfr_sinh, {"1", "-0.5", "20", "0.001"}},
        {"Cosh(x As Decimal) As Decimal", mpfr_cosh, {"1", "-0.5", "20", "0.001"}},
        {"Tanh(x As Decimal) As Decimal", mpfr_tanh, {"1", "-0.5", "5", "0.001"}},
        {"ASinh(x As Decimal) As Decimal", mpfr_asinh, {"1", "-0.5", "1e40", "-1e40"}},
        {"ACosh(x As Decimal) As Decimal", mpfr_acosh, {"1.5", "2", "1e10", "1.001"}},
        {"ATanh(x As Decimal) As Decimal", mpfr_atanh, {"0.5", "-0.5", "0.999", "0.001"}},
    };
    oracle::Mpfr w(500);
    for (Row const& r : rows)
        for (char const* t : r.args) {
            Object x = decimal(t);
            CallResult res = module(r.decl, {obj(x)});
            EXPECT_EQ(res.exception(), "") << r.decl << " " << t;
            mpfr_set_q(w.get(), valueOfText(t), MPFR_RNDN);
            r.f(w.get(), w.get(), MPFR_RNDN);
            EXPECT_LE(digitsOf(decStr(res.value.object)), 32);
            EXPECT_TRUE(closeTo(valueOf(res.value.object), w.get(), 32, 2)) << r.decl << " " << t;
        }
    // ATan2 takes y first.
    oracle::Mpfr y(500), xx(500);
    for (auto [ty, tx] : {std::pair{"1", "2"}, {"2", "1"}, {"-1", "-1"}, {"0", "-3"}}) {
        CallResult res = module("ATan2(y As Decimal, x As Decimal) As Decimal", {obj(decimal(ty)), obj(decimal(tx))});
        mpfr_set_q(y.get(), valueOfText(ty), MPFR_RNDN);
        mpfr_set_q(xx.get(), valueOfText(tx), MPFR_RNDN);
        mpfr_atan2(w.get(), y.get(), xx.get(), MPFR_RNDN);
        EXPECT_TRUE(closeTo(valueOf(res.value.object), w.get(), 32, 2)) << ty << "," << tx;
    }
    EXPECT_EQ(decStr(module("ATan2(y As Decimal, x As Decimal) As Decimal", {obj(decimal("0")), obj(decimal("0"))})
                         .value.object),
              "0e0");
    // Sqr is exact at any precision.
    setPrecision(5);
    Object forty = decimal("1234567890123456789012345678901234567.891");
    Mpq want;
    mpq_mul(want, valueOf(forty), valueOf(forty));
    EXPECT_EQ(mpq_cmp(valueOf(module("Sqr(x As Decimal) As Decimal", {obj(forty)}).value.object), want), 0);
}

TEST_F(Vantrel, CurrencyRoundTrip) {
    const std::int64_t values[] = {0, 125, -125, 1, -1, 10000, 123456789, INT64_MAX, INT64_MIN};
    for (std::int64_t c : values) {
        CallResult r = module("DecimalFromCurrency(x As Currency) As Decimal", {currency(c)});
        Mpq want;
        mpq_set_si(want, 0, 1);
        Mpz z(static_cast<long long>(c));
        mpq_set_z(want, z);
        Mpq tenk("10000");
        mpq_div(want, want, tenk);
        EXPECT_EQ(mpq_cmp(valueOf(r.value.object), want), 0) << c;
        CallResult back = module("DecimalToCurrency(x As Decimal) As Currency", {obj(r.value.object)});
        EXPECT_EQ(back.exception(), "");
        EXPECT_EQ(back.value.integer, c);
    }
    EXPECT_EQ(decStr(module("DecimalFromCurrency(x As Currency) As Decimal", {currency(125)}).value.object), "125e-4");
    EXPECT_EQ(module("DecimalToCurrency(x As Decimal) As Currency", {obj(decimal("1.23456"))}).value.integer, 12346);
    EXPECT_EQ(module("DecimalToCurrency(x As Decimal) As Currency", {obj(decimal("-1.23455"))}).value.integer, -12346);
}

TEST_F(Vantrel, StrAndDecStrTexts) {
    struct Row {
        char const* in;
        char const* str;
        char const* decStr;
    };
    const Row rows[] = {{"0", "0.00000", "0e0"},         {"1.5", "1.50000", "15e-1"},
                        {"-2.000001", "-2.00000", "-2000001e-6"}, {"1e3", "1000.00000", "1e3"},
                        {"123.456789", "123.45679", "123456789e-6"}};
    for (Row const& r : rows) {
        Object a = decimal(r.in);
        EXPECT_EQ(method(a, "Str() As String").value.text, r.str) << r.in;
        EXPECT_EQ(module("Str(x As Decimal) As String", {obj(a)}).value.text, r.str) << r.in;
        EXPECT_EQ(method(a, "DecStr() As String").value.text, r.decStr) << r.in;
        EXPECT_EQ(module("DecStr(x As Decimal) As String", {obj(a)}).value.text, r.decStr) << r.in;
    }
}

}  // namespace
