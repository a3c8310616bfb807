// Integer arithmetic timed beside GMP on the same operands in the same run:
// add, mul, div, divRem and the shifts on n-word values (division: 2n by n words).
// Result records live outside the timing loop, as a caller reusing them would keep them.
#include <benchmark/benchmark.h>
#include <gmp.h>

#include <cstdint>

#include "bench_common.h"
#include "mbConv.h"
#include "mbMath.h"

namespace {

using namespace bench;

constexpr int kShift = 13;  // a count that is not a multiple of the word, so bits move across words

// Operands for one benchmark: x of xn words, y of yn words, in both representations.
struct Operands {
    mb x, y;
    MpzVar gx, gy;
    Operands(int32 xn, int32 yn) {
        randomWords(x, xn, 0x5eed0001u + static_cast<std::uint64_t>(xn));
        randomWords(y, yn, 0x5eed1000u + static_cast<std::uint64_t>(yn));
        toMpz(gx.v, x);
        toMpz(gy.v, y);
    }
};

int32 words(benchmark::State const& state) { return static_cast<int32>(state.range(0)); }

// ---- add ----

void mb_add(benchmark::State& state) {
    Operands op(words(state), words(state));
    timeMb(state, [&](mb& z) { add(z, op.x, op.y); }, [&](mpz_ptr w) { mpz_add(w, op.gx.v, op.gy.v); });
}

void gmp_add(benchmark::State& state) {
    Operands op(words(state), words(state));
    timeGmp(state, [&](mpz_ptr z) { mpz_add(z, op.gx.v, op.gy.v); });
}

// ---- mul ----

void mb_mul(benchmark::State& state) {
    Operands op(words(state), words(state));
    timeMb(state, [&](mb& z) { mul(z, op.x, op.y); }, [&](mpz_ptr w) { mpz_mul(w, op.gx.v, op.gy.v); });
}

void gmp_mul(benchmark::State& state) {
    Operands op(words(state), words(state));
    timeGmp(state, [&](mpz_ptr z) { mpz_mul(z, op.gx.v, op.gy.v); });
}

// ---- div: 2n-word dividend, n-word divisor ----

void mb_div(benchmark::State& state) {
    Operands op(2 * words(state), words(state));
    timeMb(state, [&](mb& q) { div(q, op.x, op.y); }, [&](mpz_ptr w) { mpz_tdiv_q(w, op.gx.v, op.gy.v); });
}

void gmp_div(benchmark::State& state) {
    Operands op(2 * words(state), words(state));
    timeGmp(state, [&](mpz_ptr q) { mpz_tdiv_q(q, op.gx.v, op.gy.v); });
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
    mpz_tdiv_qr(wq.v, wr.v, op.gx.v, op.gy.v);
    check(state, q, wq.v);
    check(state, r, wr.v);
}

void gmp_divRem(benchmark::State& state) {
    Operands op(2 * words(state), words(state));
    MpzVar q, r;
    for (auto _ : state) {
        mpz_tdiv_qr(q.v, r.v, op.gx.v, op.gy.v);
        benchmark::DoNotOptimize(q.v);
        benchmark::DoNotOptimize(r.v);
        benchmark::ClobberMemory();
    }
}

// ---- shifts ----

void mb_mbShiftLeft(benchmark::State& state) {
    Operands op(words(state), 1);
    timeMb(state, [&](mb& z) { mbShiftLeft(z, op.x, kShift); }, [&](mpz_ptr w) { mpz_mul_2exp(w, op.gx.v, kShift); });
}

void gmp_mbShiftLeft(benchmark::State& state) {
    Operands op(words(state), 1);
    timeGmp(state, [&](mpz_ptr z) { mpz_mul_2exp(z, op.gx.v, kShift); });
}

void mb_mbShiftRight(benchmark::State& state) {
    Operands op(words(state), 1);
    timeMb(state, [&](mb& z) { mbShiftRight(z, op.x, kShift); },
           [&](mpz_ptr w) { mpz_tdiv_q_2exp(w, op.gx.v, kShift); });
}

void gmp_mbShiftRight(benchmark::State& state) {
    Operands op(words(state), 1);
    timeGmp(state, [&](mpz_ptr z) { mpz_tdiv_q_2exp(z, op.gx.v, kShift); });
}

// Operand sizes in 32-bit words.
void sizes(benchmark::internal::Benchmark* b) {
    b->ArgName("words");
    for (int n : {1, 5, 16, 32, 64, 256}) b->Arg(n);
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
