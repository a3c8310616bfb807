// The plug-in timed as a host program uses it: loaded through the host stand-in, each
// method bound once by its declaration and called on host objects, every call creating
// its result object and the loop releasing it, at 32 and 100 significant digits.
// tools/bench-plugin.py runs Python's decimal module on the same operands beside it.
#include <benchmark/benchmark.h>
#include <mpfr.h>

#include <cmath>
#include <string>
#include <vector>

#include "Host.h"
#include "bench_fp_common.h"
#include "dec_operands.h"

namespace {

using namespace vhost;

using bench::MpfrVar;

constexpr mpfr_prec_t kOracleBits = 1024;

enum class Op { Add, Mul, Div, Str, Sqrt, Exp, Log, Sin };

struct Case {
    Method method;
    bool module;  // a module method taking the operand, else a method of the receiver
    Object receiver;
    std::vector<Value> args;
};

Object decimalOf(std::string const& text) {
    CallResult r;
    Object o = construct("Decimal", "Constructor(inputString As String)", {str(text)}, &r);
    if (!r.raised.empty()) o = Object();
    return o;
}

// Binds the operation at n digits; the settings are those the host starts with but the precision.
bool prepare(Case& c, Op op, int n) {
    loadPlugin(VANTREL_PLUGIN_PATH);
    callModule("DecSetPrecision(DecPrec As Integer)", {integer(n)});
    callModule("DecSetScale(DecPrec As Integer)", {integer(5)});
    auto binary = [&](char const* decl) {
        c.method = bind("Decimal", decl);
        c.module = false;
        c.receiver = decimalOf(bench::textA(n));
        c.args = {obj(decimalOf(bench::textB(n)))};
        return !c.receiver.isNil() && !c.args[0].object.isNil();
    };
    auto unary = [&](char const* decl, std::string const& text) {
        c.method = bindModule(decl);
        c.module = true;
        c.args = {obj(decimalOf(text))};
        return !c.args[0].object.isNil();
    };
    switch (op) {
        case Op::Add: return binary("Operator_Add(x As Decimal) As Decimal");
        case Op::Mul: return binary("Operator_Multiply(x As Decimal) As Decimal");
        case Op::Div: return binary("Operator_Divide(x As Decimal) As Decimal");
        case Op::Str: return unary("Str(x As Decimal) As String", bench::textA(n));
        case Op::Sqrt: return unary("Sqrt(x As Decimal) As Decimal", bench::textX(n));
        case Op::Exp: return unary("Exp(x As Decimal) As Decimal", bench::textX(n));
        case Op::Log: return unary("Log(x As Decimal) As Decimal", bench::textX(n));
        case Op::Sin: return unary("Sin(x As Decimal) As Decimal", bench::textX(n));
    }
    return false;
}

// The exact value of a decimal text, as far as the oracle's bits go.
void valueOf(mpfr_t v, std::string const& text) { mpfr_set_str(v, text.c_str(), 10, MPFR_RNDN); }

// Whether a result is near enough MPFR's value that no wrong answer passes.
bool rightAnswer(Op op, int n, CallResult const& r) {
    if (!r.raised.empty()) return false;
    std::string got;
    if (op == Op::Str) {
        got = r.value.text;
    } else {
        if (r.value.object.isNil()) return false;
        got = callModule("DecStr(x As Decimal) As String", {r.value}).value.text;
    }
    MpfrVar g(kOracleBits), w(kOracleBits), x(kOracleBits), y(kOracleBits), d(kOracleBits), bound(kOracleBits);
    valueOf(g.v, got);
    valueOf(x.v, op <= Op::Str ? bench::textA(n) : bench::textX(n));
    valueOf(y.v, bench::textB(n));
    switch (op) {
        case Op::Add: mpfr_add(w.v, x.v, y.v, MPFR_RNDN); break;
        case Op::Mul: mpfr_mul(w.v, x.v, y.v, MPFR_RNDN); break;
        case Op::Div: mpfr_div(w.v, x.v, y.v, MPFR_RNDN); break;
        case Op::Str: mpfr_set(w.v, x.v, MPFR_RNDN); break;
        case Op::Sqrt: mpfr_sqrt(w.v, x.v, MPFR_RNDN); break;
        case Op::Exp: mpfr_exp(w.v, x.v, MPFR_RNDN); break;
        case Op::Log: mpfr_log(w.v, x.v, MPFR_RNDN); break;
        case Op::Sin: mpfr_sin(w.v, x.v, MPFR_RNDN); break;
    }
    mpfr_sub(d.v, g.v, w.v, MPFR_RNDN);
    mpfr_abs(d.v, d.v, MPFR_RNDN);
    // One unit of the fifth place for Str; else 100 units of the n-th digit of w.
    long e = op == Op::Str ? -5 : static_cast<long>(std::floor(std::log10(std::fabs(mpfr_get_d(w.v, MPFR_RNDN))))) - n + 3;
    mpfr_set_ui(bound.v, 10, MPFR_RNDN);
    mpfr_pow_si(bound.v, bound.v, e, MPFR_RNDN);
    return mpfr_cmp(d.v, bound.v) <= 0;
}

void timeCall(benchmark::State& state, Op op) {
    int n = static_cast<int>(state.range(0));
    Case c;
    if (!prepare(c, op, n)) {
        state.SkipWithError("operand refused");
        return;
    }
    for (auto _ : state) {
        CallResult r = c.module ? callModule(c.method, c.args) : call(c.method, c.receiver, c.args);
        benchmark::DoNotOptimize(r.value.object.handle());
    }
    CallResult last = c.module ? callModule(c.method, c.args) : call(c.method, c.receiver, c.args);
    if (!rightAnswer(op, n, last)) state.SkipWithError("result differs from MPFR's");
}

void host_add(benchmark::State& s) { timeCall(s, Op::Add); }
void host_mul(benchmark::State& s) { timeCall(s, Op::Mul); }
void host_div(benchmark::State& s) { timeCall(s, Op::Div); }
void host_Str(benchmark::State& s) { timeCall(s, Op::Str); }
void host_Sqrt(benchmark::State& s) { timeCall(s, Op::Sqrt); }
void host_Exp(benchmark::State& s) { timeCall(s, Op::Exp); }
void host_Log(benchmark::State& s) { timeCall(s, Op::Log); }
void host_Sin(benchmark::State& s) { timeCall(s, Op::Sin); }

// The same sum and product called by declaration text with arguments built per call, as
// a caller that does not bind its methods would: the cost of the lookup and marshalling.
void byText(benchmark::State& state, Op op, char const* decl) {
    int n = static_cast<int>(state.range(0));
    Case c;
    if (!prepare(c, op, n)) {
        state.SkipWithError("operand refused");
        return;
    }
    Object b = c.args[0].object;
    for (auto _ : state) {
        CallResult r = call("Decimal", c.receiver, decl, {obj(b)});
        benchmark::DoNotOptimize(r.value.object.handle());
    }
    if (!rightAnswer(op, n, call("Decimal", c.receiver, decl, {obj(b)})))
        state.SkipWithError("result differs from MPFR's");
}
void host_addByText(benchmark::State& s) { byText(s, Op::Add, "Operator_Add(x As Decimal) As Decimal"); }
void host_mulByText(benchmark::State& s) { byText(s, Op::Mul, "Operator_Multiply(x As Decimal) As Decimal"); }

#define HOST_BENCH(f) BENCHMARK(f)->ArgName("digits")->Arg(32)->Arg(100)
HOST_BENCH(host_add);
HOST_BENCH(host_mul);
HOST_BENCH(host_div);
HOST_BENCH(host_Str);
HOST_BENCH(host_Sqrt);
HOST_BENCH(host_Exp);
HOST_BENCH(host_Log);
HOST_BENCH(host_Sin);
HOST_BENCH(host_addByText);
HOST_BENCH(host_mulByText);

}  // namespace

BENCHMARK_MAIN();
