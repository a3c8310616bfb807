// Decimal text of mb timed beside GMP on the same numbers in the same run: the writer
// mb2Str against mpz_get_str and the reader mbConvFromStr against mpz_set_str, both in
// base 10, on numbers of 20, 200 and 2000 digits. Each result is checked against GMP's.
#include <benchmark/benchmark.h>
#include <gmp.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench_common.h"
#include "mb2Str.h"
#include "mbConv.h"

namespace {

using namespace bench;

// A number of exactly `digits` decimal digits as text and in both representations; the
// seed fixes it across runs.
struct Operand {
    std::string text;
    mb x;
    MpzVar g;
    explicit Operand(int digits) {
        std::mt19937_64 gen(0x7E47D161u + static_cast<std::uint64_t>(digits));
        text.resize(static_cast<std::size_t>(digits));
        for (char& c : text) c = static_cast<char>('0' + gen() % 10);
        if (text[0] == '0') text[0] = '1';
        mpz_set_str(g.v, text.c_str(), 10);
        fromMpz(x, g.v);
    }
};

int digitsOf(benchmark::State const& state) { return static_cast<int>(state.range(0)); }

// ---- mb2Str: the text is malloc'd per call and freed, as its caller must ----

void mb_mb2Str(benchmark::State& state) {
    Operand op(digitsOf(state));
    for (auto _ : state) {
        // const: with the in-out form of DoNotOptimize the ASan build freed a bad address.
        char* const s = mb2Str(op.x);
        benchmark::DoNotOptimize(s);
        benchmark::ClobberMemory();
        std::free(s);
    }
    std::vector<char> want(mpz_sizeinbase(op.g.v, 10) + 2);
    mpz_get_str(want.data(), 10, op.g.v);
    char* s = mb2Str(op.x);
    if (s == nullptr || std::strcmp(s, want.data()) != 0) state.SkipWithError("text differs from GMP's");
    std::free(s);
}

// GMP writes into a buffer of mpz_sizeinbase + 2 bytes that the caller keeps.
void gmp_mb2Str(benchmark::State& state) {
    Operand op(digitsOf(state));
    std::vector<char> buf(mpz_sizeinbase(op.g.v, 10) + 2);
    for (auto _ : state) {
        mpz_get_str(buf.data(), 10, op.g.v);
        benchmark::DoNotOptimize(buf.data());
        benchmark::ClobberMemory();
    }
}

// ---- mbConvFromStr ----

void mb_mbConvFromStr(benchmark::State& state) {
    Operand op(digitsOf(state));
    char const* s = op.text.c_str();
    bool read = true;
    timeMb(state, [&](mb& z) { read = mbConvFromStr(z, s) && read; }, [&](mpz_ptr w) { mpz_set_str(w, s, 10); });
    if (!read) state.SkipWithError("text refused");
}

void gmp_mbConvFromStr(benchmark::State& state) {
    Operand op(digitsOf(state));
    char const* s = op.text.c_str();
    timeGmp(state, [&](mpz_ptr z) { mpz_set_str(z, s, 10); });
}

void sizes(benchmark::internal::Benchmark* b) {
    b->ArgName("digits");
    for (int n : {20, 200, 2000}) b->Arg(n);
}

}  // namespace

BENCHMARK(mb_mb2Str)->Apply(sizes);
BENCHMARK(gmp_mb2Str)->Apply(sizes);
BENCHMARK(mb_mbConvFromStr)->Apply(sizes);
BENCHMARK(gmp_mbConvFromStr)->Apply(sizes);

BENCHMARK_MAIN();
