// The line language of vantrel-host: one statement per line, read into a small tree that
// the session evaluates. Names and keywords are case-insensitive, as in the host language.
#ifndef VANTREL_CLI_PARSER_H
#define VANTREL_CLI_PARSER_H

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace vcli {

enum class Op { Eq, Ne, Lt, Le, Gt, Ge, Add, Sub, Mul, Div, Pow, Neg };

struct Expr;
using ExprPtr = std::unique_ptr<Expr>;

struct Expr {
    Expr() = default;
    Expr(Expr const&) = delete;
    Expr& operator=(Expr const&) = delete;
    // Takes the tree apart without recursion: a long line is a deep tree.
    ~Expr();

    enum class Tag {
        Integer,   // integer
        Double,    // number
        String,    // text
        Boolean,   // boolean
        Nil,
        Name,      // text: a variable, or a module method without arguments
        Call,      // text(args): a module method
        Member,    // operand.text(args)
        New,       // New text(args)
        Convert,   // CType(operand, text)
        Currency,  // Currency(operand)
        Unary,     // op operand
        Binary,    // operand op right
    };
    Tag tag = Tag::Nil;
    std::int64_t integer = 0;
    double number = 0;
    bool boolean = false;
    std::string text;
    Op op = Op::Add;
    ExprPtr operand;
    ExprPtr right;
    std::vector<ExprPtr> args;
};

struct Statement {
    enum class Tag { Empty, Assign, Evaluate };
    Tag tag = Tag::Empty;
    std::string name;  // Assign
    ExprPtr expr;
};

// How deep parentheses, arguments, CType and Currency may nest in one line; beyond it
// the line is refused. Chains of operators and members at one level have no bound.
constexpr int kMaxNesting = 256;

class SyntaxError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One input line; throws SyntaxError for a line that is not a statement.
Statement parseLine(std::string const& line);

bool sameName(std::string const& a, std::string const& b);
// True, False, Nil, New, CType and Currency: never variables.
bool isKeyword(std::string const& name);

}  // namespace vcli

#endif
