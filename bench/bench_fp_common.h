// What the floating-point benchmarks share on top of bench_common.h: owned MPFR values,
// the blockPrec scope, and fp values handed to MPFR exactly. Header-only.
#ifndef VANTREL_BENCH_FP_COMMON_H
#define VANTREL_BENCH_FP_COMMON_H

#include <mpfr.h>

#include "bench_common.h"
#include "fp.h"

namespace bench {

// An owned MPFR value of a given precision.
struct MpfrVar {
    mpfr_t v;
    explicit MpfrVar(mpfr_prec_t bits) { mpfr_init2(v, bits); }
    ~MpfrVar() { mpfr_clear(v); }
    MpfrVar(MpfrVar const&) = delete;
    MpfrVar& operator=(MpfrVar const&) = delete;
};

// Sets blockPrec for one benchmark and puts the old value back.
class PrecScope {
public:
    explicit PrecScope(int32 words) : saved_(getBlockPrec()) { setBlockPrec(words); }
    ~PrecScope() { setBlockPrec(saved_); }
    PrecScope(PrecScope const&) = delete;
    PrecScope& operator=(PrecScope const&) = delete;

private:
    int saved_;
};

inline mpfr_prec_t bitsOf(int32 words) { return static_cast<mpfr_prec_t>(32 * words); }

// r := x exactly; r's precision is raised to hold every bit of the mantissa.
inline void toMpfr(mpfr_ptr r, fp const& x) {
    int32 n = x.mantissa.length < 0 ? -x.mantissa.length : x.mantissa.length;
    mpfr_set_prec(r, bitsOf(n < 1 ? 1 : n));
    MpzVar m;
    toMpz(m.v, x.mantissa);
    mpfr_set_z_2exp(r, m.v, x.exponent, MPFR_RNDN);
}

}  // namespace bench

#endif
