// The library's source of randomness: an additive lagged-Fibonacci generator
// (lags 24 and 55, 64-bit entries) giving doubles, seeded from a 32-bit shift register.
// One global generator without a lock: draw from one thread at a time.
#ifndef VANTREL_NEWRANDOM_H
#define VANTREL_NEWRANDOM_H

#include <ctime>

// Seeds the generator and restarts its sequence; seed 0 takes the seed from the local time.
void InitArray(unsigned int seed);

// Next value in [0, 1] (1.0 only by rounding); seeds from the clock on the first draw.
double randNum();

// (int)(n * randNum() + 1.0): 1 to n for n >= 1 (n + 1 when the draw is 1.0).
int randN(int n);

// The arithmetic of randN for a given draw r; a value beyond int's range is clamped to it.
int randNFrom(int n, double r);

// The seed taken from the clock: seconds + 60 minutes + 3600 hours + 86400 day of month
// + 2592000 month + 31104000 years since 1900, wrapping in 32 bits. Without a broken-down
// time (local null) the low 32 bits of `now` stand in. A result that would clear the
// shift register (0 or 0x80000000) gets its bit 0 set.
unsigned int clockSeed(std::tm const* local, std::time_t now);

#endif
