// The line language of vantrel-host: accepted lines with the tree they read as, refused
// lines with the reason, and the printed forms of Doubles and Currency values.
#include <gtest/gtest.h>

#include <limits>
#include <tuple>

#include "Parser.h"
#include "Session.h"

namespace {

using namespace vcli;

// A tree in prefix form: (op a b), name(args), obj.name(args).
std::string form(Expr const& e) {
    auto list = [](std::vector<ExprPtr> const& args) {
        std::string s = "(";
        for (std::size_t i = 0; i < args.size(); ++i) s += (i ? " " : "") + form(*args[i]);
        return s + ")";
    };
    static char const* const ops[] = {"=", "<>", "<", "<=", ">", ">=", "+", "-", "*", "/", "^", "neg"};
    switch (e.tag) {
        case Expr::Tag::Integer: return std::to_string(e.integer);
        case Expr::Tag::Double: return "d" + doubleText(e.number);
        case Expr::Tag::String: return "\"" + e.text + "\"";
        case Expr::Tag::Boolean: return e.boolean ? "True" : "False";
        case Expr::Tag::Nil: return "Nil";
        case Expr::Tag::Name: return e.text;
        case Expr::Tag::Call: return e.text + list(e.args);
        case Expr::Tag::Member: return form(*e.operand) + "." + e.text + list(e.args);
        case Expr::Tag::New: return "New " + e.text + list(e.args);
        case Expr::Tag::Convert: return "CType(" + form(*e.operand) + " " + e.text + ")";
        case Expr::Tag::Currency: return "Currency(" + form(*e.operand) + ")";
        case Expr::Tag::Unary: return "(neg " + form(*e.operand) + ")";
        case Expr::Tag::Binary:
            return std::string("(") + ops[static_cast<int>(e.op)] + " " + form(*e.operand) + " " + form(*e.right) + ")";
    }
    return "?";
}

// Accepted lines give their tree ("" for an empty statement, "x := e" for an assignment);
// refused ones a message containing the reason, marked by a leading '!'.
TEST(CliParser, LineTable) {
    const std::pair<char const*, char const*> rows[] = {
        {"", ""}, {"   ", ""}, {"' a comment", ""}, {"  // another", ""}, {"42", "42"},
        {"9223372036854775807", "9223372036854775807"}, {"1.5", "d1.5"}, {".5", "d0.5"}, {"1e-3", "d0.001"},
        {"2E+2", "d200"}, {"1.25e1", "d12.5"}, {"\"text\"", "\"text\""}, {"\"say \"\"hi\"\"\"", "\"say \"hi\"\""},
        {"\"\"", "\"\""}, {"\"it's // fine\"", "\"it's // fine\""}, {"true", "True"}, {"FALSE", "False"},
        {"nil", "Nil"}, {"x = 1", "x := 1"}, {"x=y", "x := y"}, {"x = y = z", "x := (= y z)"},
        {"(x = y)", "(= x y)"}, {"Nil = x", "(= Nil x)"}, {"x <> y", "(<> x y)"}, {"1 < 2", "(< 1 2)"},
        {"1 <= 2", "(<= 1 2)"}, {"1 > 2", "(> 1 2)"}, {"1 >= 2", "(>= 1 2)"}, {"1 + 2 * 3", "(+ 1 (* 2 3))"},
        {"(1 + 2) * 3", "(* (+ 1 2) 3)"}, {"1 - 2 - 3", "(- (- 1 2) 3)"}, {"8 / 4 / 2", "(/ (/ 8 4) 2)"},
        {"1 + 2 < 3 * 4", "(< (+ 1 2) (* 3 4))"}, {"a * -b", "(* a (neg b))"}, {"a - -b", "(- a (neg b))"},
        {"- -a", "(neg (neg a))"}, {"-2 ^ 2", "(neg (^ 2 2))"}, {"2 ^ 3 ^ 2", "(^ (^ 2 3) 2)"},
        {"2 ^ (-1)", "(^ 2 (neg 1))"}, {"a ^ b * c", "(* (^ a b) c)"}, {"New Decimal", "New Decimal()"},
        {"New Decimal()", "New Decimal()"}, {"new decimal(\"1.5\")", "New decimal(\"1.5\")"},
        {"New Decimal(0.1)", "New Decimal(d0.1)"}, {"Currency(\"12.3456\")", "Currency(\"12.3456\")"},
        {"CType(x, Double)", "CType(x Double)"}, {"CType(1 + 2, Decimal)", "CType((+ 1 2) Decimal)"},
        {"Sqrt(x)", "Sqrt(x)"}, {"DecGetPrecision()", "DecGetPrecision()"}, {"DecGetPrecision", "DecGetPrecision"},
        {"Pow(x, 2.5)", "Pow(x d2.5)"}, {"ATan2(y, x + 1)", "ATan2(y (+ x 1))"}, {"x.Str()", "x.Str()"},
        {"x.DecStr", "x.DecStr()"}, {"New Decimal(2).Str()", "New Decimal(2).Str()"},
        {"Sqrt(x).DecStr().Len", "Sqrt(x).DecStr().Len()"}, {"-x.Str()", "(neg x.Str())"},
        {"x = 1 ' trailing comment", "x := 1"}, {"x = 1 // trailing comment", "x := 1"}, {"x = 1\r", "x := 1"},
        {"\tx\t=\t2", "x := 2"},
        {"x =", "!expected a value, found the end of the line"}, {"1 +", "!expected a value"},
        {"2 ^ -1", "!negative exponent is written in parentheses"}, {"(1 + 2", "!expected ')'"},
        {"1 2", "!found a number after the expression"}, {"x y", "!found 'y' after the expression"},
        {"1.", "!a point in a number needs digits"}, {"1.x", "!a point in a number needs digits"},
        {"1e", "!an exponent needs digits"}, {"1e+", "!an exponent needs digits"}, {"12a", "!runs into 'a'"},
        {"1.5.3", "!runs into '.'"}, {"9223372036854775808", "!does not fit 64 bits"}, {"1e999", "!out of range"},
        {"\"open", "!no closing quote"}, {"@", "!unexpected character '@'"}, {"a & b", "!unexpected character '&'"},
        {"+1", "!expected a value, found '+'"}, {"a ** b", "!expected a value, found '*'"},
        {"a =< b", "!expected a value, found '<'"}, {"New", "!expected a class name after New"},
        {"New 5", "!expected a class name"}, {"New Nil", "!expected a class name"}, {"CType(x)", "!expected ','"},
        {"CType(x, 5)", "!expected a type name"}, {"CType x, Double", "!expected '(' after CType"},
        {"Currency", "!expected '(' after Currency"}, {"Currency(\"1\", 2)", "!expected ')' after the text of Currency"},
        {"Sqrt(x", "!expected ')' after the arguments"}, {"Sqrt(x,)", "!expected a value"},
        {"x.", "!expected a method name"}, {"x.5", "!found a number after the expression"},  // .5 is a Double
        {"True = 1 = ", "!expected a value"}, {"Nil = ", "!expected a value"}, {")", "!expected a value, found ')'"},
    };
    for (auto [line, want] : rows) {
        SCOPED_TRACE(line);
        try {
            Statement s = parseLine(line);
            std::string got = s.tag == Statement::Tag::Empty    ? ""
                              : s.tag == Statement::Tag::Assign ? s.name + " := " + form(*s.expr)
                                                                : form(*s.expr);
            EXPECT_EQ(got, want);
        } catch (SyntaxError const& e) {
            EXPECT_TRUE(want[0] == '!' && std::string(e.what()).find(want + 1) != std::string::npos) << e.what();
        }
    }
    for (char const* k : {"True", "false", "NIL", "New", "ctype", "Currency"}) EXPECT_TRUE(isKeyword(k)) << k;
    for (char const* n : {"x", "Decimal", "Double", "Sqrt", "Newt"}) EXPECT_FALSE(isKeyword(n)) << n;
    EXPECT_TRUE(sameName("DecStr", "decSTR"));
    EXPECT_FALSE(sameName("Str", "Strs"));
}

// Chains of any length read and go without recursion (a recursive reader or destructor
// would overflow the stack at this length); nesting is bounded.
TEST(CliParser, LongChainsAndNesting) {
    auto times = [](char const* s, std::size_t n) {
        std::string r;
        while (n-- > 0) r += s;
        return r;
    };
    for (std::string const& line : {"1" + times("+1", 300000), times("-", 300000) + "1", "x" + times(".y", 300000),
                                    "2" + times("^2", 300000) + times("*2", 300000)})
        EXPECT_EQ(parseLine(line).tag, Statement::Tag::Evaluate);
    std::string deep = times("(", kMaxNesting) + "-1" + times(")", kMaxNesting);
    EXPECT_EQ(form(*parseLine(deep).expr), "(neg 1)");
    for (std::string const& line : {"(" + deep + ")", "f(" + deep + ")", "x.f(" + deep + ")", "CType(" + deep + ", Double)",
                                    "Currency(" + deep + ")", "New Decimal(" + deep + ")", times("-(", 300000)}) {
        try {
            parseLine(line);
            ADD_FAILURE() << line.substr(0, 20);
        } catch (SyntaxError const& e) {
            EXPECT_NE(std::string(e.what()).find("more than 256 nested levels"), std::string::npos) << e.what();
        }
    }
}

TEST(CliPrinting, DoublesAndCurrency) {
    const std::pair<double, char const*> doubles[] = {
        {1500.0, "1500"}, {0.1, "0.1"}, {1e300, "1e+300"}, {-0.0, "-0"}, {0.5, "0.5"}, {1.0 / 3, "0.3333333333333333"},
        {1e-7, "1e-07"}, {1e20, "1e+20"}, {123456789012345680.0, "123456789012345680"},
        {std::numeric_limits<double>::infinity(), "inf"}};
    for (auto const& r : doubles) EXPECT_EQ(doubleText(r.first), r.second);
    const std::pair<std::int64_t, char const*> units[] = {
        {0, "0.0000"}, {1, "0.0001"}, {-12500, "-1.2500"}, {123456, "12.3456"}, {-1, "-0.0001"},
        {INT64_MAX, "922337203685477.5807"}, {INT64_MIN, "-922337203685477.5808"}};
    for (auto const& r : units) EXPECT_EQ(currencyText(r.first), r.second);
    // Text to Currency units; ok false rows must be refused.
    const std::tuple<char const*, bool, std::int64_t> texts[] = {
        {"12.3456", true, 123456}, {"-1.25", true, -12500}, {"+7", true, 70000}, {"0", true, 0}, {".5", true, 5000},
        {"3.", true, 30000}, {"000000000000000000000001", true, 10000}, {"922337203685477.5807", true, INT64_MAX},
        {"-922337203685477.5808", true, INT64_MIN}, {"922337203685477.5808", false, 0},
        {"99999999999999999999999", false, 0}, {"1.23456", false, 0}, {"", false, 0}, {"-", false, 0},
        {".", false, 0}, {"1.2.3", false, 0}, {" 1", false, 0}, {"1e3", false, 0}, {"--1", false, 0}};
    for (auto [text, ok, want] : texts) {
        std::int64_t got = -99;
        EXPECT_EQ(currencyFromText(text, got), ok) << text;
        if (ok) {
            EXPECT_EQ(got, want) << text;
        }
    }
}

}  // namespace
