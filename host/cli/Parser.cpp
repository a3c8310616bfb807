// A hand-written lexer and recursive-descent parser; precedence from loosest to tightest:
// comparisons, + -, * /, unary -, ^ (left-associative), then calls, members and parentheses.
// Chains at one level are read in loops; only nesting recurses, and it is bounded.
#include "Parser.h"

#include <cctype>
#include <charconv>
#include <initializer_list>
#include <system_error>

// Kept out of the recursive functions, whose frames stay small that way.
#if defined(__GNUC__)
#define VCLI_OUT_OF_LINE __attribute__((noinline))
#else
#define VCLI_OUT_OF_LINE
#endif

namespace vcli {

namespace {

bool isNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool isNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
// sameName without a string made of the keyword.
bool isWord(std::string const& a, char const* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    return i == a.size() && b[i] == '\0';
}

struct Token {
    enum class Kind { End, Integer, Double, String, Name, Punct };
    Kind kind = Kind::End;
    std::string text;  // the name, the string's contents, or the punctuation
    std::int64_t integer = 0;
    double number = 0;
};

[[noreturn]] void fail(std::string const& message) { throw SyntaxError(message); }
[[noreturn]] void fail(char const* message) { throw SyntaxError(message); }

Token number(std::string const& s, std::size_t& i) {
    std::size_t start = i;
    bool isDouble = false;
    while (i < s.size() && isDigit(s[i])) ++i;
    if (i < s.size() && s[i] == '.') {
        isDouble = true;
        ++i;
        if (i >= s.size() || !isDigit(s[i])) fail("a point in a number needs digits after it");
        while (i < s.size() && isDigit(s[i])) ++i;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        isDouble = true;
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        if (i >= s.size() || !isDigit(s[i])) fail("an exponent needs digits");
        while (i < s.size() && isDigit(s[i])) ++i;
    }
    if (i < s.size() && (isNameChar(s[i]) || s[i] == '.'))
        fail("the number " + s.substr(start, i - start) + " runs into '" + s[i] + "'");
    Token t;
    char const* b = s.data() + start;
    char const* e = s.data() + i;
    if (isDouble) {
        t.kind = Token::Kind::Double;
        auto r = std::from_chars(b, e, t.number);
        if (r.ec != std::errc() || r.ptr != e) fail("the Double " + std::string(b, e) + " is out of range");
    } else {
        t.kind = Token::Kind::Integer;
        auto r = std::from_chars(b, e, t.integer);
        if (r.ec != std::errc() || r.ptr != e) fail("the Integer " + std::string(b, e) + " does not fit 64 bits");
    }
    return t;
}

Token stringLiteral(std::string const& s, std::size_t& i) {
    Token t;
    t.kind = Token::Kind::String;
    ++i;  // the opening quote
    while (true) {
        if (i >= s.size()) fail("a String has no closing quote");
        if (s[i] == '"') {
            if (i + 1 < s.size() && s[i + 1] == '"') {
                t.text += '"';
                i += 2;
                continue;
            }
            ++i;
            return t;
        }
        t.text += s[i++];
    }
}

std::vector<Token> tokens(std::string const& s) {
    std::vector<Token> out;
    std::size_t i = 0;
    while (i < s.size()) {
        char c = s[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '\'' || (c == '/' && i + 1 < s.size() && s[i + 1] == '/')) {
            break;  // a comment runs to the end of the line
        } else if (isDigit(c) || (c == '.' && i + 1 < s.size() && isDigit(s[i + 1]))) {
            out.push_back(number(s, i));
        } else if (c == '"') {
            out.push_back(stringLiteral(s, i));
        } else if (isNameStart(c)) {
            Token t;
            t.kind = Token::Kind::Name;
            while (i < s.size() && isNameChar(s[i])) t.text += s[i++];
            out.push_back(t);
        } else {
            static char const* const puncts[] = {"<>", "<=", ">=", "=", "<", ">", "+", "-",
                                                 "*",  "/",  "^",  "(", ")", ",", "."};
            bool found = false;
            for (char const* p : puncts) {
                std::string ps(p);
                if (s.compare(i, ps.size(), ps) == 0) {
                    Token t;
                    t.kind = Token::Kind::Punct;
                    t.text = ps;
                    out.push_back(t);
                    i += ps.size();
                    found = true;
                    break;
                }
            }
            if (!found) fail(std::string("unexpected character '") + c + "'");
        }
    }
    out.push_back(Token{});
    return out;
}

ExprPtr make(Expr::Tag tag) {
    auto e = std::make_unique<Expr>();
    e->tag = tag;
    return e;
}

ExprPtr binary(Op op, ExprPtr l, ExprPtr r) {
    ExprPtr e = make(Expr::Tag::Binary);
    e->op = op;
    e->operand = std::move(l);
    e->right = std::move(r);
    return e;
}

class Parser {
public:
    explicit Parser(std::vector<Token> t) : t_(std::move(t)) {}

    Statement statement() {
        Statement st;
        if (peek().kind == Token::Kind::End) return st;
        if (peek().kind == Token::Kind::Name && !isKeyword(peek().text) && isPunct(1, "=")) {
            st.tag = Statement::Tag::Assign;
            st.name = t_[0].text;
            pos_ = 2;
        } else {
            st.tag = Statement::Tag::Evaluate;
        }
        st.expr = comparison();
        if (peek().kind != Token::Kind::End) fail("found " + describe(peek()) + " after the expression");
        return st;
    }

private:
    Token const& peek(std::size_t ahead = 0) const {
        std::size_t k = pos_ + ahead;
        return k < t_.size() ? t_[k] : t_.back();
    }
    bool isPunct(std::size_t ahead, char const* p) const {
        return peek(ahead).kind == Token::Kind::Punct && peek(ahead).text == p;
    }
    bool accept(char const* p) {
        if (!isPunct(0, p)) return false;
        ++pos_;
        return true;
    }
    void expect(char const* p, char const* where) {
        if (!accept(p)) failFound({"expected '", p, "' ", where});
    }
    static std::string describe(Token const& t) {
        switch (t.kind) {
            case Token::Kind::End: return "the end of the line";
            case Token::Kind::String: return "a String";
            case Token::Kind::Integer:
            case Token::Kind::Double: return "a number";
            case Token::Kind::Name: return "'" + t.text + "'";
            case Token::Kind::Punct: return "'" + t.text + "'";
        }
        return "?";
    }
    [[noreturn]] VCLI_OUT_OF_LINE void failFound(std::initializer_list<char const*> parts) const {
        std::string m;
        for (char const* p : parts) m += p;
        fail(m + ", found " + describe(peek()));
    }
    [[noreturn]] static VCLI_OUT_OF_LINE void tooDeep() {
        fail("more than " + std::to_string(kMaxNesting) + " nested levels of parentheses, arguments, CType or Currency");
    }
    std::string name(char const* what) {
        if (peek().kind != Token::Kind::Name || isKeyword(peek().text))
            failFound({"expected ", what});
        return t_[pos_++].text;
    }

    // Every nested expression starts here, so this bounds the parser's recursion and the
    // evaluator's along with it.
    ExprPtr comparison() {
        struct Level {
            int& depth;
            explicit Level(int& d) : depth(d) {
                if (++depth > kMaxNesting) tooDeep();
            }
            ~Level() { --depth; }
        } level(depth_);
        static const std::pair<char const*, Op> ops[] = {{"=", Op::Eq},  {"<>", Op::Ne}, {"<", Op::Lt},
                                                         {"<=", Op::Le}, {">", Op::Gt},  {">=", Op::Ge}};
        ExprPtr l = additive();
        for (bool more = true; more;) {
            more = false;
            for (auto const& o : ops)
                if (accept(o.first)) {
                    l = binary(o.second, std::move(l), additive());
                    more = true;
                    break;
                }
        }
        return l;
    }
    ExprPtr additive() {
        ExprPtr l = term();
        while (true) {
            if (accept("+"))
                l = binary(Op::Add, std::move(l), term());
            else if (accept("-"))
                l = binary(Op::Sub, std::move(l), term());
            else
                return l;
        }
    }
    ExprPtr term() {
        ExprPtr l = unary();
        while (true) {
            if (accept("*"))
                l = binary(Op::Mul, std::move(l), unary());
            else if (accept("/"))
                l = binary(Op::Div, std::move(l), unary());
            else
                return l;
        }
    }
    ExprPtr unary() {
        std::size_t minuses = 0;
        while (accept("-")) ++minuses;
        ExprPtr e = power();
        for (; minuses > 0; --minuses) {
            ExprPtr n = make(Expr::Tag::Unary);
            n->op = Op::Neg;
            n->operand = std::move(e);
            e = std::move(n);
        }
        return e;
    }
    ExprPtr power() {
        ExprPtr l = postfix();
        while (accept("^")) {
            if (isPunct(0, "-")) fail("a negative exponent is written in parentheses");
            l = binary(Op::Pow, std::move(l), postfix());
        }
        return l;
    }
    ExprPtr postfix() {
        ExprPtr e = primary();
        while (accept(".")) {
            ExprPtr m = make(Expr::Tag::Member);
            m->text = name("a method name after '.'");
            m->operand = std::move(e);
            if (isPunct(0, "(")) m->args = arguments();
            e = std::move(m);
        }
        return e;
    }
    std::vector<ExprPtr> arguments() {
        expect("(", "before the arguments");
        std::vector<ExprPtr> args;
        if (accept(")")) return args;
        do {
            args.push_back(comparison());
        } while (accept(","));
        expect(")", "after the arguments");
        return args;
    }
    ExprPtr primary() {
        Token const& t = peek();
        switch (t.kind) {
            case Token::Kind::Integer: {
                ExprPtr e = make(Expr::Tag::Integer);
                e->integer = t.integer;
                ++pos_;
                return e;
            }
            case Token::Kind::Double: {
                ExprPtr e = make(Expr::Tag::Double);
                e->number = t.number;
                ++pos_;
                return e;
            }
            case Token::Kind::String: {
                ExprPtr e = make(Expr::Tag::String);
                e->text = t.text;
                ++pos_;
                return e;
            }
            case Token::Kind::Name: return named();
            case Token::Kind::Punct:
                if (accept("(")) {
                    ExprPtr e = comparison();
                    expect(")", "to close the parenthesis");
                    return e;
                }
                break;
            case Token::Kind::End: break;
        }
        failFound({"expected a value"});
    }
    // A name, a keyword's value, or the form a keyword starts; each form parses in a
    // function of its own, so only its frame lies on the way to a nested expression.
    VCLI_OUT_OF_LINE ExprPtr named() {
        std::string const& word = t_[pos_++].text;
        if (isWord(word, "True") || isWord(word, "False")) {
            ExprPtr e = make(Expr::Tag::Boolean);
            e->boolean = isWord(word, "True");
            return e;
        }
        if (isWord(word, "Nil")) return make(Expr::Tag::Nil);
        if (isWord(word, "New")) return newForm();
        if (isWord(word, "CType")) return convertForm();
        if (isWord(word, "Currency")) return currencyForm();
        ExprPtr e = make(isPunct(0, "(") ? Expr::Tag::Call : Expr::Tag::Name);
        e->text = word;
        if (e->tag == Expr::Tag::Call) e->args = arguments();
        return e;
    }
    VCLI_OUT_OF_LINE ExprPtr newForm() {
        ExprPtr e = make(Expr::Tag::New);
        e->text = name("a class name after New");
        if (isPunct(0, "(")) e->args = arguments();
        return e;
    }
    VCLI_OUT_OF_LINE ExprPtr convertForm() {
        ExprPtr e = make(Expr::Tag::Convert);
        expect("(", "after CType");
        e->operand = comparison();
        expect(",", "between the value and the type of CType");
        if (peek().kind != Token::Kind::Name) failFound({"expected a type name in CType"});
        e->text = t_[pos_++].text;
        expect(")", "after the type of CType");
        return e;
    }
    VCLI_OUT_OF_LINE ExprPtr currencyForm() {
        ExprPtr e = make(Expr::Tag::Currency);
        expect("(", "after Currency");
        e->operand = comparison();
        expect(")", "after the text of Currency");
        return e;
    }

    std::vector<Token> t_;
    std::size_t pos_ = 0;
    int depth_ = -1;  // the line's own expression is not nested
};

}  // namespace

Expr::~Expr() {
    // Right rotations turn each subtree into a list along `right`, freed one childless node
    // at a time: no recursion (a long line is a deep tree) and no allocation (this also runs
    // while a line that ran out of memory unwinds).
    auto takeChild = [](Expr& e) -> ExprPtr {
        if (e.operand) return std::move(e.operand);
        if (e.right) return std::move(e.right);
        ExprPtr c;
        while (!c && !e.args.empty()) {
            c = std::move(e.args.back());
            e.args.pop_back();
        }
        return c;
    };
    for (ExprPtr root = takeChild(*this); root; root = takeChild(*this)) {
        while (root) {
            while (!root->operand && !root->args.empty()) {
                root->operand = std::move(root->args.back());
                root->args.pop_back();
            }
            if (root->operand) {
                ExprPtr l = std::move(root->operand);
                root->operand = std::move(l->right);
                l->right = std::move(root);
                root = std::move(l);
            } else {
                root = std::move(root->right);  // the node left behind has no children
            }
        }
    }
}

bool sameName(std::string const& a, std::string const& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool isKeyword(std::string const& name) {
    for (char const* k : {"True", "False", "Nil", "New", "CType", "Currency"})
        if (sameName(name, k)) return true;
    return false;
}

Statement parseLine(std::string const& line) {
    std::size_t b = line.find_first_not_of(" \t\r");
    if (b == std::string::npos || line[b] == '\'' || line.compare(b, 2, "//") == 0) return Statement{};
    return Parser(tokens(line)).statement();
}

}  // namespace vcli
