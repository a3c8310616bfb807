// The gamma-function family on fp: Gamma, Spouge's approximation, the lower
// and upper incomplete gamma functions, ln(x!) by Stirling's series with the Bernoulli
// numbers, and x! as decimal text. The fp factorial, Gamma(x + 1), is in fpFuncs.
//
// All of them compute at blockPrec and put back any blockPrec they change; GammaSpouge
// also reads decPrec. Some results keep the words of their last step's working precision
// (noted below). Out-parameters may alias the operands. Not re-entrant.
#ifndef VANTREL_MYGAMMAFUNCTIONS_H
#define VANTREL_MYGAMMAFUNCTIONS_H

#include "fp.h"

// z = Gamma(x); 0 at the poles (0 and the negative integers) and for |x| > 8.61e7. For a
// non-integer x < 1, z may keep blockPrec + 1 words.
void Gamma(fp& z, fp const& x);
fp Gamma(fp const& x);
void Gamma(fp& z, double x);
fp Gamma(double x);

// z = Gamma(x) by Spouge's formula, its parameter chosen from decPrec; meant for the
// large x (> 20000) that Gamma passes it.
void GammaSpouge(fp& z, fp const& x);
fp GammaSpouge(fp const& x);

// z = gamma(a, x), the lower incomplete gamma function, by its series; 0 unless a > 0
// and x > 0. z may keep blockPrec + 1 words.
void smallIncompleteGamma(fp& z, fp const& a, fp const& x);
// z = Gamma(a, x), the upper incomplete gamma function, by a continued fraction; 0 unless
// x > 0. z may keep 3 blockPrec / 2 words.
void largeIncompleteGamma(fp& z, fp const& a, fp const& x);

// z = ln(x!) = ln Gamma(x + 1). False, z = 0, for x < 0 and x > 9e10000000; false, z the
// sum so far, when 500 terms of the series do not settle it. Above 10^7, z may keep
// blockPrec + 2 words.
bool LnFactorial(fp& z, fp const& x);
fp LnFactorial(fp const& x);

// x! as decimal text "MeX" (malloc; the caller frees): "0" for x < 0, "1" for x = 0 and
// x = 1 (ok untouched in these three); otherwise ok = LnFactorial's result, and "0" when
// that is false.
char* TenToLogTenFactorial(fp const& x, bool& ok);

#endif
