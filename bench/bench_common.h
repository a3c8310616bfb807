// What the benchmarks share: seeded operand builders, conversions between mb and GMP,
// the check of a timed result against GMP's, and the timing loops of one call on each
// side. Header-only.
#ifndef VANTREL_BENCH_COMMON_H
#define VANTREL_BENCH_COMMON_H

#include <benchmark/benchmark.h>
#include <gmp.h>

#include <cstddef>
#include <cstdint>
#include <random>

#include "mb.h"
#include "mbMath.h"

namespace bench {

// An owned GMP integer.
struct MpzVar {
    mpz_t v;
    MpzVar() { mpz_init(v); }
    ~MpzVar() { mpz_clear(v); }
    MpzVar(MpzVar const&) = delete;
    MpzVar& operator=(MpzVar const&) = delete;
};

// A positive n-word value with a nonzero top word; the seed fixes it across runs.
inline void randomWords(mb& x, int32 n, std::uint64_t seed) {
    std::mt19937_64 gen(seed);
    x.length = n;
    update(x);
    for (int32 i = 0; i < n; ++i) x.blocks[i] = static_cast<uint32>(gen());
    if (x.blocks[n - 1] == 0) x.blocks[n - 1] = 1;
}

// A positive value of exactly `bits` bits (top bit set); the seed fixes it across runs.
inline void randomBits(mb& x, int bits, std::uint64_t seed) {
    std::mt19937_64 gen(seed);
    int32 n = (bits + 31) / 32;
    x.length = n;
    update(x);
    for (int32 i = 0; i < n; ++i) x.blocks[i] = static_cast<uint32>(gen());
    int top = bits - 32 * (n - 1);  // bits in the top word, 1..32
    uint32 mask = top == 32 ? 0xFFFFFFFFu : (1u << top) - 1u;
    x.blocks[n - 1] = (x.blocks[n - 1] & mask) | (1u << (top - 1));
}

// The same value as a GMP integer.
inline void toMpz(mpz_ptr z, mb const& x) {
    int32 n = x.length < 0 ? -x.length : x.length;
    mpz_import(z, static_cast<std::size_t>(n), -1, sizeof(uint32), 0, 0, x.blocks);
    if (x.length < 0) mpz_neg(z, z);
}

// x := v for a nonnegative v.
inline void fromMpz(mb& x, mpz_srcptr v) {
    std::size_t count = (mpz_sizeinbase(v, 2) + 31) / 32;
    x.length = static_cast<int32>(count);
    update(x);
    mpz_export(x.blocks, &count, -1, sizeof(uint32), 0, 0, v);
}

// Whether the timed result is right: a benchmark of a wrong answer is worthless.
inline void check(benchmark::State& state, mb const& got, mpz_srcptr want) {
    MpzVar g;
    toMpz(g.v, got);
    if (mpz_cmp(g.v, want) != 0) state.SkipWithError("result differs from GMP's");
}

// Times run(z) on a result record kept outside the loop, as a caller reusing it would,
// then checks z against what expect(w) leaves in w.
template <typename Run, typename Expect>
void timeMb(benchmark::State& state, Run run, Expect expect) {
    mb z;
    for (auto _ : state) {
        run(z);
        benchmark::DoNotOptimize(z.blocks);
        benchmark::ClobberMemory();
    }
    MpzVar w;
    expect(w.v);
    check(state, z, w.v);
}

// Times run(z) on a GMP result kept outside the loop.
template <typename Run>
void timeGmp(benchmark::State& state, Run run) {
    MpzVar z;
    for (auto _ : state) {
        run(z.v);
        benchmark::DoNotOptimize(z.v);
        benchmark::ClobberMemory();
    }
}

}  // namespace bench

#endif
