// Fuzzes vantrel-host: the input's lines go through the parser and the session against the
// Vantrel plug-in, loaded through the host stand-in as vantrel-host loads it. Each line
// ends in a value, a raised exception or a line error reported as such; when the session
// ends no object or string is left alive, no string data is open and no object or string
// was dropped inside a call.
//
// Bounds of this harness, not of vantrel-host. They keep out work that is slow by design
// while a fault that hangs still meets libFuzzer's timeout: a line of a few characters can
// make a 200,000-digit exact result, and writing one as text takes seconds under the
// sanitizers. So every line is parsed, but
// - a line runs only when its tree has at most kMaxOperations nodes that compute (all but
//   literals and names), so it writes at most a few long values as text;
// - an input stops after a line that leaves the precision above kMaxDigits (the plug-in
//   then computes at up to 536,870,911 digits) or that ends past kBudget from its start,
//   and after kMaxLines lines;
// - each input starts at the start values, 32 digits and scale 5.
// Long lines and deep nesting have their own tests (golden.long_lines).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "Host.h"
#include "Parser.h"
#include "Session.h"

namespace {

constexpr std::int64_t kMaxDigits = 1000;
constexpr int kMaxLines = 64;
constexpr std::size_t kMaxOperations = 4;
constexpr std::chrono::seconds kBudget{2};

[[noreturn]] void fail(char const* what, std::string const& detail) {
    std::fprintf(stderr, "invariant broken: %s\n%s\n", what, detail.c_str());
    std::abort();
}

std::size_t operations(vcli::Expr const& root) {
    std::size_t n = 0;
    std::vector<vcli::Expr const*> todo{&root};
    while (!todo.empty()) {
        vcli::Expr const* e = todo.back();
        todo.pop_back();
        using Tag = vcli::Expr::Tag;
        if (e->tag != Tag::Integer && e->tag != Tag::Double && e->tag != Tag::String && e->tag != Tag::Boolean &&
            e->tag != Tag::Nil && e->tag != Tag::Name)
            ++n;
        for (vcli::Expr const* c : {e->operand.get(), e->right.get()})
            if (c) todo.push_back(c);
        for (vcli::ExprPtr const& a : e->args) todo.push_back(a.get());
    }
    return n;
}

// True when the line is a statement with more computing nodes than a line may have.
bool tooMuch(std::string const& line) {
    try {
        vcli::Statement st = vcli::parseLine(line);
        return st.expr && operations(*st.expr) > kMaxOperations;
    } catch (vcli::SyntaxError const&) {
        return false;  // the session reports it
    }
}

std::int64_t precision() { return vhost::callModule("DecGetPrecision() As Integer", {}).value.integer; }

void startValues() {
    vhost::callModule("DecSetPrecision(DecPrec As Integer)", {vhost::integer(32)});
    vhost::callModule("DecSetScale(DecPrec As Integer)", {vhost::integer(5)});
}

}  // namespace

// Loaded before fuzzing starts, so that libFuzzer counts the plug-in's coverage from the first input.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    vhost::loadPlugin(VANTREL_PLUGIN_PATH);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(unsigned char const* data, std::size_t size) {
    startValues();
    vhost::Stats before = vhost::stats();
    std::istringstream in(std::string(reinterpret_cast<char const*>(data), size));
    {
        std::ostringstream out, err;
        vcli::Session session(out, err);
        std::string line;
        auto start = std::chrono::steady_clock::now();
        for (long n = 1; n <= kMaxLines && std::getline(in, line); ++n) {
            if (tooMuch(line)) continue;
            std::size_t errBefore = err.str().size();
            bool ok = session.run(line, n);
            std::string said = err.str().substr(errBefore);
            std::string want = "error: line " + std::to_string(n) + ": ";
            if (ok != said.empty() || (!ok && said.compare(0, want.size(), want) != 0))
                fail(ok ? "a line that ran wrote to the error stream" : "a line error without its message",
                     line + "\n" + said);
            if (precision() > kMaxDigits || std::chrono::steady_clock::now() - start > kBudget) break;
        }
    }
    vhost::Stats after = vhost::stats();
    if (after.liveObjects != before.liveObjects || after.liveStrings != before.liveStrings ||
        after.openStringData != 0 || after.droppedObjects != before.droppedObjects ||
        after.droppedStrings != before.droppedStrings || after.nilExceptions != before.nilExceptions)
        fail("objects or strings left behind", std::string(reinterpret_cast<char const*>(data), size));
    return 0;
}
