// Number theory on mb timed beside GMP on the same operands in the same run: floor square
// root, gcd, modular power and the probabilistic prime test on values of 64, 256 and
// 1024 bits. Each timed result is checked against GMP's once the loop ends.
#include <benchmark/benchmark.h>
#include <gmp.h>

#include <cstdint>
#include <random>

#include "mbConv.h"
#include "mbMath.h"
#include "mbMod.h"
#include "newRandom.h"

namespace {

// Miller-Rabin trials for isItPrime. GMP's test does trial division and a Baillie-PSW
// test, then reps - 24 Miller-Rabin rounds: 24 + kTrials gives it as many rounds as
// ours on top of its fixed part.
constexpr int kTrials = 10;
constexpr int kGmpReps = 24 + kTrials;

struct MpzVar {
    mpz_t v;
    MpzVar() { mpz_init(v); }
    ~MpzVar() { mpz_clear(v); }
    MpzVar(MpzVar const&) = delete;
    MpzVar& operator=(MpzVar const&) = delete;
};

// A positive value of exactly `bits` bits (top bit set); the seed fixes it across runs.
void randomBits(mb& x, int bits, std::uint64_t seed) {
    std::mt19937_64 gen(seed);
    int32 n = (bits + 31) / 32;
    x.length = n;
    update(x);
    for (int32 i = 0; i < n; ++i) x.blocks[i] = static_cast<uint32>(gen());
    int top = bits - 32 * (n - 1);  // bits in the top word, 1..32
    uint32 mask = top == 32 ? 0xFFFFFFFFu : (1u << top) - 1u;
    x.blocks[n - 1] = (x.blocks[n - 1] & mask) | (1u << (top - 1));
}

void toMpz(mpz_t z, mb const& x) {
    int32 n = x.length < 0 ? -x.length : x.length;
    mpz_import(z, static_cast<size_t>(n), -1, sizeof(uint32), 0, 0, x.blocks);
    if (x.length < 0) mpz_neg(z, z);
}

void fromMpz(mb& x, mpz_t const v) {
    size_t count = (mpz_sizeinbase(v, 2) + 31) / 32;
    x.length = static_cast<int32>(count);
    update(x);
    mpz_export(x.blocks, &count, -1, sizeof(uint32), 0, 0, v);
}

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

void check(benchmark::State& state, mb const& got, mpz_srcptr want) {
    MpzVar g;
    toMpz(g.v, got);
    if (mpz_cmp(g.v, want) != 0) state.SkipWithError("result differs from GMP's");
}

int bitsOf(benchmark::State const& state) { return static_cast<int>(state.range(0)); }

// ---- sqrt ----

void mb_sqrt(benchmark::State& state) {
    Operands op(bitsOf(state));
    mb z;
    for (auto _ : state) {
        sqrt(z, op.x);
        benchmark::DoNotOptimize(z.blocks);
        benchmark::ClobberMemory();
    }
    MpzVar w;
    mpz_sqrt(w.v, op.gx.v);
    check(state, z, w.v);
}

void gmp_sqrt(benchmark::State& state) {
    Operands op(bitsOf(state));
    MpzVar z;
    for (auto _ : state) {
        mpz_sqrt(z.v, op.gx.v);
        benchmark::DoNotOptimize(z.v);
        benchmark::ClobberMemory();
    }
}

// ---- gcd ----

void mb_gcd(benchmark::State& state) {
    Operands op(bitsOf(state));
    mb z;
    for (auto _ : state) {
        gcd(z, op.x, op.y);
        benchmark::DoNotOptimize(z.blocks);
        benchmark::ClobberMemory();
    }
    MpzVar w;
    mpz_gcd(w.v, op.gx.v, op.gy.v);
    check(state, z, w.v);
}

void gmp_gcd(benchmark::State& state) {
    Operands op(bitsOf(state));
    MpzVar z;
    for (auto _ : state) {
        mpz_gcd(z.v, op.gx.v, op.gy.v);
        benchmark::DoNotOptimize(z.v);
        benchmark::ClobberMemory();
    }
}

// ---- powerMod: base, exponent and odd modulus of the same size ----

void mb_powerMod(benchmark::State& state) {
    Operands op(bitsOf(state));
    mb z;
    for (auto _ : state) {
        powerMod(z, op.x, op.y, 0, op.m);
        benchmark::DoNotOptimize(z.blocks);
        benchmark::ClobberMemory();
    }
    MpzVar w;
    mpz_powm(w.v, op.gx.v, op.gy.v, op.gm.v);
    check(state, z, w.v);
}

void gmp_powerMod(benchmark::State& state) {
    Operands op(bitsOf(state));
    MpzVar z;
    for (auto _ : state) {
        mpz_powm(z.v, op.gx.v, op.gy.v, op.gm.v);
        benchmark::DoNotOptimize(z.v);
        benchmark::ClobberMemory();
    }
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
