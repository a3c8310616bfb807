// Number theory on mb timed beside GMP on the same operands in the same run: floor square
// root, gcd, modular power and the probabilistic prime test on values of 64, 256 and
// 1024 bits. Each timed result is checked against GMP's once the loop ends.
#include <benchmark/benchmark.h>
#include <gmp.h>

#include <cstdint>

#include "bench_common.h"
#include "mbConv.h"
#include "mbMath.h"
#include "mbMod.h"
#include "newRandom.h"

namespace {

using namespace bench;

// Miller-Rabin trials for isItPrime. GMP's test does trial division and a Baillie-PSW
// test, then reps - 24 Miller-Rabin rounds: 24 + kTrials gives it as many rounds as
// ours on top of its fixed part.
constexpr int kTrials = 10;
constexpr int kGmpReps = 24 + kTrials;

// x, y and an odd modulus m, each of the benchmark's bit size, in both representations.
struct Operands {
    mb x, y, m;
    MpzVar gx, gy, gm;
    explicit Operands(int bits) {
        auto b = static_cast<std::uint64_t>(bits);
        randomBits(x, bits, 0x7E0A0001u + b);
        randomBits(y, bits, 0x7E0B0001u + b);
        randomBits(m, bits, 0x7E0C0001u + b);
        m.blocks[0] |= 1u;
        toMpz(gx.v, x);
        toMpz(gy.v, y);
        toMpz(gm.v, m);
    }
};

// A prime of the benchmark's bit size (the next prime after a random value), as the
// case where every trial runs.
struct PrimeOperand {
    mb p;
    MpzVar gp;
    explicit PrimeOperand(int bits) {
        randomBits(p, bits, 0x7E0D0001u + static_cast<std::uint64_t>(bits));
        toMpz(gp.v, p);
        mpz_nextprime(gp.v, gp.v);
        fromMpz(p, gp.v);
    }
};

int bitsOf(benchmark::State const& state) { return static_cast<int>(state.range(0)); }

// ---- sqrt ----

void mb_sqrt(benchmark::State& state) {
    Operands op(bitsOf(state));
    timeMb(state, [&](mb& z) { sqrt(z, op.x); }, [&](mpz_ptr w) { mpz_sqrt(w, op.gx.v); });
}

void gmp_sqrt(benchmark::State& state) {
    Operands op(bitsOf(state));
    timeGmp(state, [&](mpz_ptr z) { mpz_sqrt(z, op.gx.v); });
}

// ---- gcd ----

void mb_gcd(benchmark::State& state) {
    Operands op(bitsOf(state));
    timeMb(state, [&](mb& z) { gcd(z, op.x, op.y); }, [&](mpz_ptr w) { mpz_gcd(w, op.gx.v, op.gy.v); });
}

void gmp_gcd(benchmark::State& state) {
    Operands op(bitsOf(state));
    timeGmp(state, [&](mpz_ptr z) { mpz_gcd(z, op.gx.v, op.gy.v); });
}

// ---- powerMod: base, exponent and odd modulus of the same size ----

void mb_powerMod(benchmark::State& state) {
    Operands op(bitsOf(state));
    timeMb(state, [&](mb& z) { powerMod(z, op.x, op.y, 0, op.m); },
           [&](mpz_ptr w) { mpz_powm(w, op.gx.v, op.gy.v, op.gm.v); });
}

void gmp_powerMod(benchmark::State& state) {
    Operands op(bitsOf(state));
    timeGmp(state, [&](mpz_ptr z) { mpz_powm(z, op.gx.v, op.gy.v, op.gm.v); });
}

// ---- isItPrime on a prime ----

void mb_isItPrime(benchmark::State& state) {
    PrimeOperand op(bitsOf(state));
    InitArray(0x13579BDFu);
    bool prime = true;
    for (auto _ : state) {
        prime = isItPrime(op.p, kTrials) && prime;
        benchmark::DoNotOptimize(prime);
    }
    if (!prime) state.SkipWithError("a prime reported composite");
}

void gmp_isItPrime(benchmark::State& state) {
    PrimeOperand op(bitsOf(state));
    bool prime = true;
    for (auto _ : state) {
        prime = mpz_probab_prime_p(op.gp.v, kGmpReps) != 0 && prime;
        benchmark::DoNotOptimize(prime);
    }
    if (!prime) state.SkipWithError("a prime reported composite");
}

void sizes(benchmark::internal::Benchmark* b) {
    b->ArgName("bits");
    for (int n : {64, 256, 1024}) b->Arg(n);
}

}  // namespace

BENCHMARK(mb_sqrt)->Apply(sizes);
BENCHMARK(gmp_sqrt)->Apply(sizes);
BENCHMARK(mb_gcd)->Apply(sizes);
BENCHMARK(gmp_gcd)->Apply(sizes);
BENCHMARK(mb_powerMod)->Apply(sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(gmp_powerMod)->Apply(sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(mb_isItPrime)->Apply(sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(gmp_isItPrime)->Apply(sizes)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
