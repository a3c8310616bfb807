// Integer arithmetic timed beside GMP on the same operands in the same run:
// add, mul, div, divRem and the shifts on n-word values (division: 2n by n words).
// Result records live outside the timing loop, as a caller reusing them would keep them.
#include <benchmark/benchmark.h>
#include <gmp.h>

#include <cstdint>
#include <random>

#include "mbConv.h"
#include "mbMath.h"

namespace {

constexpr int kShift = 13;  // a count that is not a multiple of the word, so bits move across words

// A positive n-word value with a nonzero top word; the seed fixes the operands across runs.
void randomWords(mb& x, int32 n, std::uint64_t seed) {
    std::mt19937_64 gen(seed);
    x.length = n;
    update(x);
    for (int32 i = 0; i < n; ++i) x.blocks[i] = static_cast<uint32>(gen());
    if (x.blocks[n - 1] == 0) x.blocks[n - 1] = 1;
}

// The same value as a GMP integer.
void toMpz(mpz_t z, mb const& x) {
    int32 n = x.length < 0 ? -x.length : x.length;
    mpz_import(z, static_cast<size_t>(n), -1, sizeof(uint32), 0, 0, x.blocks);
    if (x.length < 0) mpz_neg(z, z);
}

// Operands for one benchmark: x of xn words, y of yn words, in both representations.
struct Operands {
    mb x, y;
    mpz_t gx, gy;
    Operands(int32 xn, int32 yn) {
        randomWords(x, xn, 0x5eed0001u + static_cast<std::uint64_t>(xn));
        randomWords(y, yn, 0x5eed1000u + static_cast<std::uint64_t>(yn));
        mpz_init(gx);
        mpz_init(gy);
        toMpz(gx, x);
        toMpz(gy, y);
    }
    ~Operands() {
        mpz_clear(gx);
        mpz_clear(gy);
    }
    Operands(Operands const&) = delete;
    Operands& operator=(Operands const&) = delete;
};

struct MpzVar {
    mpz_t v;
    MpzVar() { mpz_init(v); }
    ~MpzVar() { mpz_clear(v); }
    MpzVar(MpzVar const&) = delete;
    MpzVar& operator=(MpzVar const&) = delete;
};

// Whether the timed result is right: a benchmark of a wrong answer is worthless.
void check(benchmark::State& state, mb const& got, mpz_srcptr want) {
    MpzVar g;
    toMpz(g.v, got);
    if (mpz_cmp(g.v, want) != 0) state.SkipWithError("result differs from GMP's");
}

int32 words(benchmark::State const& state) { return static_cast<int32>(state.range(0)); }

// ---- add ----

void mb_add(benchmark::State& state) {
    Operands op(words(state), words(state));
    mb z;
    for (auto _ : state) {
        add(z, op.x, op.y);
        benchmark::DoNotOptimize(z.blocks);
        benchmark::ClobberMemory();
    }
    MpzVar w;
    mpz_add(w.v, op.gx, op.gy);
    check(state, z, w.v);
}

void gmp_add(benchmark::State& state) {
    Operands op(words(state), words(state));
    MpzVar z;
    for (auto _ : state) {
        mpz_add(z.v, op.gx, op.gy);
        benchmark::DoNotOptimize(z.v);
        benchmark::ClobberMemory();
    }
}

// ---- mul ----

void mb_mul(benchmark::State& state) {
    Operands op(words(state), words(state));
    mb z;
    for (auto _ : state) {
        mul(z, op.x, op.y);
        benchmark::DoNotOptimize(z.blocks);
        benchmark::ClobberMemory();
    }
    MpzVar w;
    mpz_mul(w.v, op.gx, op.gy);
    check(state, z, w.v);
}

void gmp_mul(benchmark::State& state) {
    Operands op(words(state), words(state));
    MpzVar z;
    for (auto _ : state) {
        mpz_mul(z.v, op.gx, op.gy);
        benchmark::DoNotOptimize(z.v);
        benchmark::ClobberMemory();
    }
}

// ---- div: 2n-word dividend, n-word divisor ----

void mb_div(benchmark::State& state) {
    Operands op(2 * words(state), words(state));
    mb q;
    for (auto _ : state) {
        div(q, op.x, op.y);
        benchmark::DoNotOptimize(q.blocks);
        benchmark::ClobberMemory();
    }
    MpzVar w;
    mpz_tdiv_q(w.v, op.gx, op.gy);
    check(state, q, w.v);
}

void gmp_div(benchmark::State& state) {
    Operands op(2 * words(state), words(state));
    MpzVar q;
    for (auto _ : state) {
        mpz_tdiv_q(q.v, op.gx, op.gy);
        benchmark::DoNotOptimize(q.v);
        benchmark::ClobberMemory();
    }
}

// ---- divRem ----

void mb_divRem(benchmark::State& state) {
    Operands op(2 * words(state), words(state));
    mb q, r;
    for (auto _ : state) {
        divRem(q, r, op.x, op.y);
        benchmark::DoNotOptimize(q.blocks);
        benchmark::DoNotOptimize(r.blocks);
        benchmark::ClobberMemory();
    }
    MpzVar wq, wr;
    mpz_tdiv_qr(wq.v, wr.v, op.gx, op.gy);
    check(state, q, wq.v);
    check(state, r, wr.v);
}

void gmp_divRem(benchmark::State& state) {
    Operands op(2 * words(state), words(state));
    MpzVar q, r;
    for (auto _ : state) {
        mpz_tdiv_qr(q.v, r.v, op.gx, op.gy);
        benchmark::DoNotOptimize(q.v);
        benchmark::DoNotOptimize(r.v);
        benchmark::ClobberMemory();
    }
}

// ---- shifts ----

void mb_mbShiftLeft(benchmark::State& state) {
    Operands op(words(state), 1);
    mb z;
    for (auto _ : state) {
        mbShiftLeft(z, op.x, kShift);
        benchmark::DoNotOptimize(z.blocks);
        benchmark::ClobberMemory();
    }
    MpzVar w;
    mpz_mul_2exp(w.v, op.gx, kShift);
    check(state, z, w.v);
}

void gmp_mbShiftLeft(benchmark::State& state) {
    Operands op(words(state), 1);
    MpzVar z;
    for (auto _ : state) {
        mpz_mul_2exp(z.v, op.gx, kShift);
        benchmark::DoNotOptimize(z.v);
        benchmark::ClobberMemory();
    }
}

void mb_mbShiftRight(benchmark::State& state) {
    Operands op(words(state), 1);
    mb z;
    for (auto _ : state) {
        mbShiftRight(z, op.x, kShift);
        benchmark::DoNotOptimize(z.blocks);
        benchmark::ClobberMemory();
    }
    MpzVar w;
    mpz_tdiv_q_2exp(w.v, op.gx, kShift);
    check(state, z, w.v);
}

void gmp_mbShiftRight(benchmark::State& state) {
    Operands op(words(state), 1);
    MpzVar z;
    for (auto _ : state) {
        mpz_tdiv_q_2exp(z.v, op.gx, kShift);
        benchmark::DoNotOptimize(z.v);
        benchmark::ClobberMemory();
    }
}

// Operand sizes in 32-bit words.
void sizes(benchmark::internal::Benchmark* b) {
    b->ArgName("words");
    for (int n : {1, 5, 16, 64, 256}) b->Arg(n);
}

}  // namespace

BENCHMARK(mb_add)->Apply(sizes);
BENCHMARK(gmp_add)->Apply(sizes);
BENCHMARK(mb_mul)->Apply(sizes);
BENCHMARK(gmp_mul)->Apply(sizes);
BENCHMARK(mb_div)->Apply(sizes);
BENCHMARK(gmp_div)->Apply(sizes);
BENCHMARK(mb_divRem)->Apply(sizes);
BENCHMARK(gmp_divRem)->Apply(sizes);
BENCHMARK(mb_mbShiftLeft)->Apply(sizes);
BENCHMARK(gmp_mbShiftLeft)->Apply(sizes);
BENCHMARK(mb_mbShiftRight)->Apply(sizes);
BENCHMARK(gmp_mbShiftRight)->Apply(sizes);

BENCHMARK_MAIN();
