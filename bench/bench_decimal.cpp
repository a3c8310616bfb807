// The decimal layer timed at 32 and 100 significant digits, beside Boost.Multiprecision's
// cpp_dec_float at the same digits where its headers are installed. Operands come from a
// digit formula that tools/bench-decimal.py repeats for Python's decimal module.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "dec_operands.h"
#include "decMath.h"

#if __has_include(<boost/multiprecision/cpp_dec_float.hpp>)
#include <boost/multiprecision/cpp_dec_float.hpp>
#define VANTREL_BENCH_BOOST 1
#endif

namespace {

using bench::textA;
using bench::textB;

struct Operands {
    DecData a, b, r;
    explicit Operands(benchmark::State& state) {
        decSetStartValues();
        int n = static_cast<int>(state.range(0));
        globalBitPrecision = 4 * n;
        blockPrec = globalBitPrecision / 32 + 1;
        if (!getDec_Str(a, textA(n).c_str()) || !getDec_Str(b, textB(n).c_str())) state.SkipWithError("operand refused");
    }
    ~Operands() { decSetStartValues(); }
};

template <typename Op>
void timeDec(benchmark::State& state, Op op) {
    Operands o(state);
    for (auto _ : state) {
        op(o);
        benchmark::ClobberMemory();
    }
}

void dec_addDec(benchmark::State& s) { timeDec(s, [](Operands& o) { addDec(o.r, o.a, o.b); }); }
void dec_subDec(benchmark::State& s) { timeDec(s, [](Operands& o) { subDec(o.r, o.a, o.b); }); }
void dec_mulDec(benchmark::State& s) { timeDec(s, [](Operands& o) { mulDec(o.r, o.a, o.b); }); }
void dec_divDec(benchmark::State& s) { timeDec(s, [](Operands& o) { divDec(o.r, o.a, o.b); }); }
void dec_compareDecToDec(benchmark::State& s) {
    timeDec(s, [](Operands& o) { benchmark::DoNotOptimize(compareDecToDec(o.a, o.b)); });
}
void dec_getString(benchmark::State& s) {
    timeDec(s, [](Operands& o) {
        char* const t = getString(o.a);
        benchmark::DoNotOptimize(t);
        std::free(t);
    });
}
void dec_getString2(benchmark::State& s) {
    timeDec(s, [](Operands& o) {
        char* const t = getString2(o.a);
        benchmark::DoNotOptimize(t);
        std::free(t);
    });
}
void dec_getDec_Str(benchmark::State& s) {
    std::string text = textA(static_cast<int>(s.range(0)));
    timeDec(s, [&](Operands& o) { benchmark::DoNotOptimize(getDec_Str(o.r, text.c_str())); });
}

#define DEC_BENCH(f) BENCHMARK(f)->ArgName("digits")->Arg(32)->Arg(100)
DEC_BENCH(dec_addDec);
DEC_BENCH(dec_subDec);
DEC_BENCH(dec_mulDec);
DEC_BENCH(dec_compareDecToDec);
DEC_BENCH(dec_divDec);
DEC_BENCH(dec_getString);
DEC_BENCH(dec_getString2);
DEC_BENCH(dec_getDec_Str);

#ifdef VANTREL_BENCH_BOOST
// cpp_dec_float at the same number of digits; its text out is str() in fixed notation
// with five places, as getString prints at the start scale.
template <unsigned D>
struct Boost {
    using T = boost::multiprecision::number<boost::multiprecision::cpp_dec_float<D>>;
    T a, b, r;
    Boost() : a(textA(int(D))), b(textB(int(D))) {}
};

template <unsigned D, typename Op>
void timeBoost(benchmark::State& state, Op op) {
    Boost<D> o;
    for (auto _ : state) {
        op(o);
        benchmark::ClobberMemory();
    }
}

template <typename Op>
void byDigits(benchmark::State& state, Op op) {
    if (state.range(0) == 32)
        timeBoost<32>(state, op);
    else
        timeBoost<100>(state, op);
}

void boost_addDec(benchmark::State& s) { byDigits(s, [](auto& o) { o.r = o.a + o.b; }); }
void boost_subDec(benchmark::State& s) { byDigits(s, [](auto& o) { o.r = o.a - o.b; }); }
void boost_mulDec(benchmark::State& s) { byDigits(s, [](auto& o) { o.r = o.a * o.b; }); }
void boost_divDec(benchmark::State& s) { byDigits(s, [](auto& o) { o.r = o.a / o.b; }); }
void boost_compareDecToDec(benchmark::State& s) {
    byDigits(s, [](auto& o) { benchmark::DoNotOptimize(o.a.compare(o.b)); });
}
void boost_getString(benchmark::State& s) {
    byDigits(s, [](auto& o) { benchmark::DoNotOptimize(o.a.str(5, std::ios_base::fixed)); });
}
void boost_getString2(benchmark::State& s) {
    byDigits(s, [](auto& o) { benchmark::DoNotOptimize(o.a.str(0, std::ios_base::scientific)); });
}
void boost_getDec_Str(benchmark::State& s) {
    std::string text = textA(static_cast<int>(s.range(0)));
    byDigits(s, [&](auto& o) {
        o.r.assign(text);
        benchmark::DoNotOptimize(o.r);
    });
}

DEC_BENCH(boost_addDec);
DEC_BENCH(boost_subDec);
DEC_BENCH(boost_mulDec);
DEC_BENCH(boost_compareDecToDec);
DEC_BENCH(boost_divDec);
DEC_BENCH(boost_getString);
DEC_BENCH(boost_getString2);
DEC_BENCH(boost_getDec_Str);
#endif

}  // namespace

BENCHMARK_MAIN();
