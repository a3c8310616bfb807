// Evaluation and printing for vantrel-host. Objects are only ever touched through calls by
// declaration text, chosen among what registration gave the host stand-in.
#include "Session.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <new>
#include <ostream>
#include <sstream>
#include <stdexcept>

#include "Parser.h"

namespace vcli {

using vhost::Kind;
using vhost::Value;
using Method = Session::Method;

namespace {

// An error of the line itself: reported, and the run goes on.
class LineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
// An exception the plug-in raised: ends the statement.
struct Raised {
    std::string className;
};

[[noreturn]] void fail(std::string const& message) { throw LineError(message); }

bool isObject(Value const& v) { return v.kind == Kind::Object && !v.object.isNil(); }
bool isNil(Value const& v) { return v.kind == Kind::Object && v.object.isNil(); }

std::string kindName(Kind k) {
    switch (k) {
        case Kind::None: return "no value";
        case Kind::Object: return "an object";
        case Kind::String: return "String";
        case Kind::Double: return "Double";
        case Kind::Integer: return "Integer";
        case Kind::Currency: return "Currency";
        case Kind::Boolean: return "Boolean";
    }
    return "?";
}

std::string typeName(Value const& v) {
    if (v.kind != Kind::Object) return kindName(v.kind);
    return v.object.isNil() ? "Nil" : v.object.className();
}

std::string typeList(std::vector<Value> const& args) {
    std::string s = "(";
    for (std::size_t i = 0; i < args.size(); ++i) s += (i ? ", " : "") + typeName(args[i]);
    return s + ")";
}

// What passing v for p costs: 0 as it is, 1 an Integer widened to a Double, -1 not at all.
int cost(Value const& v, vhost::Parameter const& p) {
    if (p.kind == Kind::Object) {
        if (v.kind != Kind::Object) return -1;
        return v.object.isNil() || sameName(v.object.className(), p.className) ? 0 : -1;
    }
    if (v.kind == p.kind) return 0;
    return v.kind == Kind::Integer && p.kind == Kind::Double ? 1 : -1;
}

// The declaration named name that takes args at the least cost; nullptr when none does.
Method const* choose(std::vector<Method> const& methods, std::string const& name, std::vector<Value> const& args) {
    Method const* best = nullptr;
    int bestCost = INT_MAX;
    bool tie = false;
    for (Method const& m : methods) {
        if (!sameName(m.decl.name, name) || m.decl.params.size() != args.size()) continue;
        int total = 0;
        for (std::size_t i = 0; i < args.size() && total >= 0; ++i) {
            int c = cost(args[i], m.decl.params[i]);
            total = c < 0 ? -1 : total + c;
        }
        if (total < 0) continue;
        if (total < bestCost) {
            best = &m;
            bestCost = total;
            tie = false;
        } else if (total == bestCost) {
            tie = true;
        }
    }
    if (best && tie) fail("more than one declaration of " + name + " takes " + typeList(args));
    return best;
}

bool hasName(std::vector<Method> const& methods, std::string const& name) {
    for (Method const& m : methods)
        if (sameName(m.decl.name, name)) return true;
    return false;
}

// The arguments as the chosen declaration takes them.
std::vector<Value> passAs(Method const& m, std::vector<Value> args) {
    for (std::size_t i = 0; i < args.size(); ++i)
        if (m.decl.params[i].kind == Kind::Double && args[i].kind == Kind::Integer)
            args[i] = vhost::dbl(static_cast<double>(args[i].integer));
    return args;
}

Value outcome(vhost::CallResult r) {
    if (!r.raised.empty()) throw Raised{r.raised.front()};
    return std::move(r.value);
}

// The host's Integer arithmetic wraps at 64 bits.
std::int64_t wrapped(std::uint64_t u) { return static_cast<std::int64_t>(u); }

double asDouble(Value const& v) {
    switch (v.kind) {
        case Kind::Integer: return static_cast<double>(v.integer);
        case Kind::Currency: return static_cast<double>(v.integer) / 10000.0;
        default: return v.number;
    }
}
bool isNumber(Value const& v) {
    return v.kind == Kind::Integer || v.kind == Kind::Double || v.kind == Kind::Currency;
}

char const* opText(Op op) {
    switch (op) {
        case Op::Eq: return "=";
        case Op::Ne: return "<>";
        case Op::Lt: return "<";
        case Op::Le: return "<=";
        case Op::Gt: return ">";
        case Op::Ge: return ">=";
        case Op::Add: return "+";
        case Op::Sub: return "-";
        case Op::Mul: return "*";
        case Op::Div: return "/";
        case Op::Pow: return "^";
        case Op::Neg: return "-";
    }
    return "?";
}

[[noreturn]] void noOperator(Op op, Value const& l, Value const& r) {
    fail(std::string("no operator ") + opText(op) + " for " + typeName(l) + " and " + typeName(r));
}

bool isComparison(Op op) { return op == Op::Eq || op == Op::Ne || op == Op::Lt || op == Op::Le || op == Op::Gt || op == Op::Ge; }

bool holds(Op op, int c) {
    switch (op) {
        case Op::Eq: return c == 0;
        case Op::Ne: return c != 0;
        case Op::Lt: return c < 0;
        case Op::Le: return c <= 0;
        case Op::Gt: return c > 0;
        default: return c >= 0;
    }
}

template <class T>
int threeWay(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// Currency units against a whole number, exactly: c = q * 10000 + rest with 0 <= rest < 10000.
int currencyVersusInteger(std::int64_t c, std::int64_t i) {
    std::int64_t q = c / 10000, rest = c % 10000;
    if (rest < 0) --q;
    if (q != i) return threeWay(q, i);
    return c % 10000 != 0 ? 1 : 0;
}

int textCompare(std::string const& a, std::string const& b) {
    // The host compares text without regard to case.
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        int x = std::tolower(static_cast<unsigned char>(a[i])), y = std::tolower(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return threeWay(a.size(), b.size());
}

Value plainCompare(Op op, Value const& l, Value const& r) {
    bool eqOnly = op == Op::Eq || op == Op::Ne;
    if (l.kind == Kind::Object && r.kind == Kind::Object && eqOnly)  // references, as the host compares them
        return vhost::boolean(holds(op, l.object == r.object ? 0 : 1));
    if (l.kind == Kind::Boolean && r.kind == Kind::Boolean && eqOnly)
        return vhost::boolean(holds(op, l.boolean == r.boolean ? 0 : 1));
    if (l.kind == Kind::String && r.kind == Kind::String) return vhost::boolean(holds(op, textCompare(l.text, r.text)));
    if (!isNumber(l) || !isNumber(r)) noOperator(op, l, r);
    if (l.kind == Kind::Integer && r.kind == Kind::Integer) return vhost::boolean(holds(op, threeWay(l.integer, r.integer)));
    if (l.kind == Kind::Currency && r.kind == Kind::Currency)
        return vhost::boolean(holds(op, threeWay(l.integer, r.integer)));
    if (l.kind == Kind::Currency && r.kind == Kind::Integer)
        return vhost::boolean(holds(op, currencyVersusInteger(l.integer, r.integer)));
    if (l.kind == Kind::Integer && r.kind == Kind::Currency)
        return vhost::boolean(holds(op, -currencyVersusInteger(r.integer, l.integer)));
    double a = asDouble(l), b = asDouble(r);
    if (std::isnan(a) || std::isnan(b)) return vhost::boolean(op == Op::Ne);
    return vhost::boolean(holds(op, threeWay(a, b)));
}

Value plainArithmetic(Op op, Value const& l, Value const& r) {
    if (op == Op::Add && l.kind == Kind::String && r.kind == Kind::String) return vhost::str(l.text + r.text);
    if (!isNumber(l) || !isNumber(r)) noOperator(op, l, r);
    auto u = [](std::int64_t x) { return static_cast<std::uint64_t>(x); };
    bool whole = l.kind == Kind::Integer && r.kind == Kind::Integer;
    bool money = (l.kind == Kind::Currency || r.kind == Kind::Currency) && l.kind != Kind::Double &&
                 r.kind != Kind::Double && (op == Op::Add || op == Op::Sub);
    if (money) {
        std::uint64_t a = l.kind == Kind::Currency ? u(l.integer) : u(l.integer) * 10000u;
        std::uint64_t b = r.kind == Kind::Currency ? u(r.integer) : u(r.integer) * 10000u;
        return vhost::currency(wrapped(op == Op::Add ? a + b : a - b));
    }
    if (whole && op == Op::Add) return vhost::integer(wrapped(u(l.integer) + u(r.integer)));
    if (whole && op == Op::Sub) return vhost::integer(wrapped(u(l.integer) - u(r.integer)));
    if (whole && op == Op::Mul) return vhost::integer(wrapped(u(l.integer) * u(r.integer)));
    double a = asDouble(l), b = asDouble(r);
    switch (op) {
        case Op::Add: return vhost::dbl(a + b);
        case Op::Sub: return vhost::dbl(a - b);
        case Op::Mul: return vhost::dbl(a * b);
        case Op::Div: return vhost::dbl(a / b);
        default: return vhost::dbl(std::pow(a, b));
    }
}

char const* operatorMethod(Op op) {
    switch (op) {
        case Op::Add: return "Operator_Add";
        case Op::Sub: return "Operator_Subtract";
        case Op::Mul: return "Operator_Multiply";
        case Op::Div: return "Operator_Divide";
        case Op::Pow: return "Operator_Power";
        default: return "Operator_Compare";
    }
}

}  // namespace

class Session::Evaluator {
public:
    explicit Evaluator(Session& s) : s_(s) {}

    // A value of an expression used as an operand, argument or assigned value.
    Value value(Expr const& e) {
        Value v = eval(e);
        if (v.kind == Kind::None) fail("the call gives no value");
        return v;
    }

    // Operators, members and unary minus take their first operand through `operand`; a long
    // line chains them deep there (1+1+...+1, - - -x), so the chain is walked in a loop and
    // only nesting recurses.
    Value eval(Expr const& top) {
        std::vector<Expr const*> chain;
        Expr const* e = &top;
        while (e->tag == Expr::Tag::Binary || e->tag == Expr::Tag::Member || e->tag == Expr::Tag::Unary) {
            chain.push_back(e);
            e = e->operand.get();
        }
        if (chain.empty()) return single(top);
        Value v = value(*e);
        for (std::size_t i = chain.size(); i-- > 0;) {
            v = applied(*chain[i], std::move(v));
            if (i > 0 && v.kind == Kind::None) fail("the call gives no value");
        }
        return v;
    }

    // Str, then two spaces and DecStr in parentheses, where the class declares them.
    std::string objectText(Value const& v) {
        std::vector<Method> const& ms = methodsOf(v);
        Method const* str = choose(ms, "Str", {});
        Method const* exact = choose(ms, "DecStr", {});
        if (str == nullptr || str->decl.result.kind != Kind::String) return "<" + v.object.className() + ">";
        std::string text = call(v, *str, {}).text;
        if (exact && exact->decl.result.kind == Kind::String) text += "  (" + call(v, *exact, {}).text + ")";
        return text;
    }

private:
    // A node that is not a chain link.
    Value single(Expr const& e) {
        switch (e.tag) {
            case Expr::Tag::Integer: return vhost::integer(e.integer);
            case Expr::Tag::Double: return vhost::dbl(e.number);
            case Expr::Tag::String: return vhost::str(e.text);
            case Expr::Tag::Boolean: return vhost::boolean(e.boolean);
            case Expr::Tag::Nil: return vhost::nilObject();
            case Expr::Tag::Name: return name(e.text);
            case Expr::Tag::Call: return moduleCall(e.text, values(e.args));
            case Expr::Tag::New: return construct(e.text, values(e.args));
            case Expr::Tag::Convert: return convert(value(*e.operand), e.text);
            case Expr::Tag::Currency: {
                Value t = value(*e.operand);
                std::int64_t units = 0;
                if (t.kind != Kind::String || !currencyFromText(t.text, units))
                    fail("Currency takes decimal text with at most 4 places that fits 64 bits");
                return vhost::currency(units);
            }
            default: break;
        }
        fail("unknown expression");
    }

    // A chain link applied to the value of its first operand.
    Value applied(Expr const& e, Value first) {
        if (e.tag == Expr::Tag::Unary) return negate(first);
        if (e.tag == Expr::Tag::Member) return methodCall(first, e.text, values(e.args));
        Value r = value(*e.right);
        return isComparison(e.op) ? compare(e.op, first, r) : arithmetic(e.op, first, r);
    }

    std::vector<Value> values(std::vector<ExprPtr> const& es) {
        std::vector<Value> out;
        for (auto const& e : es) out.push_back(value(*e));
        return out;
    }

    std::vector<Method> const& methodsOf(Value const& v) {
        static const std::vector<Method> none;
        auto it = s_.classMethods_.find(v.object.className());
        return it == s_.classMethods_.end() ? none : it->second;
    }

    Value call(Value const& self, Method const& m, std::vector<Value> args) {
        return outcome(vhost::call(self.object.className(), self.object, m.text, passAs(m, std::move(args))));
    }

    Value name(std::string const& n) {
        auto it = s_.variables_.find(n);
        if (it != s_.variables_.end()) return it->second;
        if (hasName(s_.moduleMethods_, n)) return moduleCall(n, {});
        fail("unknown name " + n);
    }

    Value moduleCall(std::string const& n, std::vector<Value> args) {
        Method const* m = choose(s_.moduleMethods_, n, args);
        if (m == nullptr) {
            if (!hasName(s_.moduleMethods_, n)) fail("unknown method " + n);
            fail("no declaration of " + n + " takes " + typeList(args));
        }
        return outcome(vhost::callModule(m->text, passAs(*m, std::move(args))));
    }

    Value methodCall(Value const& self, std::string const& n, std::vector<Value> args) {
        if (!isObject(self)) fail(typeName(self) + " has no method " + n);
        Method const* m = choose(methodsOf(self), n, args);
        if (m == nullptr) {
            if (!hasName(methodsOf(self), n)) fail(self.object.className() + " has no method " + n);
            fail("no declaration of " + self.object.className() + "." + n + " takes " + typeList(args));
        }
        return call(self, *m, std::move(args));
    }

    std::string className(std::string const& n) {
        REALclassDefinition const* c = vhost::findClass(n);
        if (c == nullptr) fail("unknown class " + n);
        return c->name;
    }

    // New C runs the class constructor and, where declared, "Constructor()"; New C(args)
    // the constructor declaration that takes args.
    Value construct(std::string const& n, std::vector<Value> args) {
        std::string cls = className(n);
        Value self = vhost::obj(vhost::newObject(cls));
        if (self.object.isNil()) fail("the host made no " + cls);
        Method const* m = choose(methodsOf(self), "Constructor", args);
        if (m == nullptr && !args.empty()) fail("no constructor of " + cls + " takes " + typeList(args));
        if (m) call(self, *m, std::move(args));
        return self;
    }

    Value convert(Value const& v, std::string const& type) {
        if (sameName(type, "Double")) {
            if (isNumber(v)) return vhost::dbl(asDouble(v));
            if (isObject(v))
                for (Method const& m : methodsOf(v))
                    if (sameName(m.decl.name, "Operator_Convert") && m.decl.params.empty() &&
                        m.decl.result.kind == Kind::Double)
                        return call(v, m, {});
            fail("no conversion of " + typeName(v) + " to Double");
        }
        std::string cls = className(type);
        if (isNil(v)) return v;
        if (isObject(v)) {
            for (Method const& m : methodsOf(v))
                if (sameName(m.decl.name, "Operator_Convert") && m.decl.params.empty() &&
                    m.decl.result.kind == Kind::Object && sameName(m.decl.result.className, cls))
                    return call(v, m, {});
            fail("no conversion of " + typeName(v) + " to " + cls);
        }
        Value target = vhost::obj(vhost::newObject(cls));
        Method const* m = choose(methodsOf(target), "Operator_Convert", {v});
        if (m == nullptr || m->decl.result.kind != Kind::None) fail("no conversion of " + typeName(v) + " to " + cls);
        call(target, *m, {v});
        return target;
    }

    Value negate(Value const& v) {
        switch (v.kind) {
            case Kind::Integer: return vhost::integer(wrapped(0u - static_cast<std::uint64_t>(v.integer)));
            case Kind::Currency: return vhost::currency(wrapped(0u - static_cast<std::uint64_t>(v.integer)));
            case Kind::Double: return vhost::dbl(-v.number);
            default: break;
        }
        if (isObject(v))
            if (Method const* m = choose(methodsOf(v), "Operator_Negate", {})) return call(v, *m, {});
        fail("no operator - for " + typeName(v));
    }

    // The left operand's method by the right one's type, else the right operand's Right form.
    Value arithmetic(Op op, Value const& l, Value const& r) {
        if (!isObject(l) && !isObject(r)) {
            if (isNil(l) || isNil(r)) noOperator(op, l, r);
            return plainArithmetic(op, l, r);
        }
        std::string name = operatorMethod(op);
        if (isObject(l))
            if (Method const* m = choose(methodsOf(l), name, {r})) return call(l, *m, {r});
        if (isObject(r))
            if (Method const* m = choose(methodsOf(r), name + "Right", {l})) return call(r, *m, {l});
        noOperator(op, l, r);
    }

    // Operator_Compare of the left object, else of the right one with its sign turned.
    Value compare(Op op, Value const& l, Value const& r) {
        if (isObject(l))
            if (Method const* m = choose(methodsOf(l), "Operator_Compare", {r}))
                return vhost::boolean(holds(op, sign(call(l, *m, {r}))));
        if (isObject(r))
            if (Method const* m = choose(methodsOf(r), "Operator_Compare", {l}))
                return vhost::boolean(holds(op, -sign(call(r, *m, {l}))));
        return plainCompare(op, l, r);
    }

    static int sign(Value const& v) {
        if (v.kind != Kind::Integer) fail("Operator_Compare gives no Integer");
        return threeWay(v.integer, std::int64_t{0});
    }

    Session& s_;
};

bool Session::NameLess::operator()(std::string const& a, std::string const& b) const {
    return textCompare(a, b) < 0;
}

Session::Session(std::ostream& out, std::ostream& err) : out_(out), err_(err) {
    for (REALclassDefinition const* c : vhost::registeredClasses()) {
        std::vector<Method>& ms = classMethods_[c->name];
        for (std::uint32_t i = 0; i < c->methodCount; ++i) {
            Method m{c->methods[i].declaration, {}};
            if (vhost::readDeclaration(m.text, m.decl)) ms.push_back(std::move(m));
        }
    }
    for (HostMethodEntry const& e : vhost::registeredModuleMethods()) {
        Method m{e.declaration, {}};
        if (vhost::readDeclaration(m.text, m.decl)) moduleMethods_.push_back(std::move(m));
    }
}

Session::~Session() = default;

bool Session::run(std::string const& line, long lineNumber) {
    std::string message;
    try {
        Statement st = parseLine(line);
        if (st.tag == Statement::Tag::Empty) return true;
        Evaluator ev(*this);
        if (st.tag == Statement::Tag::Assign) {
            if (hasName(moduleMethods_, st.name)) fail(st.name + " is a method, not a variable");
            Value v = ev.value(*st.expr);
            variables_[st.name] = std::move(v);
            return true;
        }
        Value v = ev.eval(*st.expr);
        std::string text;
        switch (v.kind) {
            case Kind::None: return true;
            case Kind::String: text = v.text; break;
            case Kind::Integer: text = std::to_string(v.integer); break;
            case Kind::Double: text = doubleText(v.number); break;
            case Kind::Boolean: text = v.boolean ? "True" : "False"; break;
            case Kind::Currency: text = currencyText(v.integer); break;
            case Kind::Object: text = v.object.isNil() ? "Nil" : ev.objectText(v); break;
        }
        out_ << text << '\n';
        return true;
    } catch (Raised const& r) {
        out_ << "raised " << r.className << '\n';
        return true;
    } catch (SyntaxError const& e) {
        message = e.what();
    } catch (LineError const& e) {
        message = e.what();
    } catch (std::invalid_argument const& e) {
        message = std::string("the host refused the call: ") + e.what();
    } catch (std::bad_alloc const&) {
        // The line's tree and values are gone by now, and the host undid its call.
        message = "out of memory";
    }
    out_.flush();  // keeps the two streams in order when they go to one place
    err_ << "error: line " << lineNumber << ": " << message << std::endl;
    return false;
}

std::string doubleText(double d) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, d);
    return std::string(buf, r.ptr);
}

std::string currencyText(std::int64_t units) {
    std::uint64_t mag = units < 0 ? 0u - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
    std::string frac = std::to_string(mag % 10000u);
    return (units < 0 ? "-" : "") + std::to_string(mag / 10000u) + "." + std::string(4 - frac.size(), '0') + frac;
}

bool currencyFromText(std::string const& text, std::int64_t& units) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::uint64_t mag = 0;
    int digits = 0, places = -1;  // places: -1 before the point
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c == '.' && places < 0) {
            places = 0;
            continue;
        }
        if (c < '0' || c > '9' || places == 4) return false;
        if (mag > (UINT64_MAX - 9) / 10) return false;
        mag = mag * 10 + static_cast<std::uint64_t>(c - '0');
        ++digits;
        if (places >= 0) ++places;
    }
    if (digits == 0) return false;
    for (int p = places < 0 ? 0 : places; p < 4; ++p) {
        if (mag > UINT64_MAX / 10) return false;
        mag *= 10;
    }
    std::uint64_t limit = static_cast<std::uint64_t>(INT64_MAX) + (negative ? 1u : 0u);
    if (mag > limit) return false;
    units = negative ? wrapped(0u - mag) : static_cast<std::int64_t>(mag);
    return true;
}

void listRegistrations(std::ostream& out) {
    for (REALclassDefinition const* c : vhost::registeredClasses()) {
        out << "class " << c->name;
        if (c->superName) out << " inherits " << c->superName;
        out << '\n';
        for (std::uint32_t i = 0; i < c->methodCount; ++i) out << "  " << c->methods[i].declaration << '\n';
    }
    out << "module\n";
    for (HostMethodEntry const& m : vhost::registeredModuleMethods()) out << "  " << m.declaration << '\n';
}

}  // namespace vcli
