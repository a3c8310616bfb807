// The gamma-function family on fp: Gamma with its two paths, Spouge's formula, the
// incomplete gamma functions, and ln(x!) by Stirling's series with the Bernoulli numbers.
#include "myGammaFunctions.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

#include "fpConv.h"
#include "fpFuncs.h"
#include "fpMath.h"
#include "theBernoulliNumbers.h"

namespace {

// Gamma's limit: above it, and below its negative, the result is 0.
constexpr double kGammaLimit = 86100000.0;
// Gamma takes Spouge's formula above this, the product and the incomplete gamma
// functions at or below it.
constexpr double kSpougeThreshold = 20000.0;
// The incomplete gamma functions give 0 where their series or continued fraction would
// need more steps than these (seconds of work), rather than run for hours: the series
// when x passes a by more than kMaxSeriesTerms, the fraction for x far below 1.
constexpr double kMaxSeriesTerms = 1e7;
constexpr double kMaxFractionSteps = 1e6;

// blockPrec for the duration of one scope; the caller's value comes back on every path.
class PrecSaver {
public:
    PrecSaver() : saved_(blockPrec) {}
    ~PrecSaver() { blockPrec = saved_; }
    PrecSaver(PrecSaver const&) = delete;
    PrecSaver& operator=(PrecSaver const&) = delete;
    // The caller's precision as the arithmetic counts it: below 1 as 1.
    int32 saved() const { return saved_ < 1 ? 1 : saved_; }

private:
    int32 saved_;
};

// A working precision formed from the caller's, held inside the int32 range.
int32 precOf(int64 words) {
    return words > std::numeric_limits<int32>::max() ? std::numeric_limits<int32>::max() : static_cast<int32>(words);
}

void setZero(fp& z) { z = fp(); }

int signOf(fp const& x) { return x.mantissa.length > 0 ? 1 : (x.mantissa.length < 0 ? -1 : 0); }

// z = w * 2^k, or 0 when the binary exponent would leave the int32 range upward.
void scaleByPowerOfTwo(fp& z, fp const& w, int64 k) {
    int64 e = int64(w.exponent) + k;
    if (w.mantissa.length == 0 || e > std::numeric_limits<int32>::max()) {
        setZero(z);
        return;
    }
    equate(z, w);
    z.exponent = static_cast<int32>(e);
}

// Gamma(x) for x >= 1: (n - 1)! by the product for an integer n; otherwise Gamma(a) for the
// fractional a = x - n + 1 in (1, 2) from the incomplete gamma functions, then up to x by
// the product (a)(a + 1)...(x - 1). z untouched for x < 1.
void GammaSpecial(fp& z, fp const& x) {
    if (x < 1.0) return;
    int n = 0;
    fp t;
    if (equate(n, x)) {
        equate(z, 1.0);
        for (int i = 1; i < n; ++i) mul(z, static_cast<double>(i), z);
        return;
    }
    fp a;
    sub(a, x, static_cast<double>(n));
    add(a, a, 1.0);
    // 20 * blockPrec as an unsigned product; a blockPrec below 1 counts as 1.
    unsigned words = blockPrec < 1 ? 1u : static_cast<unsigned>(blockPrec);
    double X = static_cast<double>(20u * words);
    if (X <= 300.0) {
        equate(t, X);
        smallIncompleteGamma(z, a, t);  // the upper part Gamma(a, X) is left out
    } else {
        fp g, G;
        equate(t, 300.0);
        smallIncompleteGamma(g, a, t);
        {
            PrecSaver prec;
            blockPrec = prec.saved() - 15 > 1 ? prec.saved() - 15 : 2;  // saved() > 15 here
            largeIncompleteGamma(G, a, t);
        }
        add(z, g, G);
    }
    for (int i = 0; i <= n - 2; ++i) {
        add(t, a, static_cast<double>(i));
        mul(z, t, z);
    }
}

}  // namespace

// ---- Gamma ----

void Gamma(fp& z, fp const& xIn) {
    fp const x(xIn);  // z may be x
    if (x > kGammaLimit) {
        setZero(z);
        return;
    }
    setZero(z);
    if (x >= 1.0) {
        if (x > kSpougeThreshold)
            GammaSpouge(z, x);
        else
            GammaSpecial(z, x);
        return;
    }
    int f = 0;
    if (equate(f, x)) return;  // a pole: 0 or a negative integer
    // Below -8.61e7 the value approaches the bottom of the exponent range, as Gamma's
    // values above 8.61e7 pass its top; this also keeps the loop below bounded.
    if (x < -kGammaLimit) return;
    PrecSaver prec;
    blockPrec = precOf(int64(prec.saved()) + 1);
    int n = 2 - f;  // x + n lies strictly between 1 and 3
    fp t;
    add(t, x, static_cast<double>(n));
    GammaSpecial(z, t);
    for (int i = 0; i < n; ++i) {
        add(t, x, static_cast<double>(i));
        div(z, z, t);
    }
}

fp Gamma(fp const& x) {
    fp z;
    Gamma(z, x);
    return z;
}

void Gamma(fp& z, double x) {
    fp t;
    t = x;
    Gamma(z, t);
}

fp Gamma(double x) {
    fp z;
    Gamma(z, x);
    return z;
}

// ---- Spouge ----

void GammaSpouge(fp& z, fp const& x) {
    fp y;
    sub(y, x, 1.0);  // z may be x: x is not read again
    double D = static_cast<double>(decPrec);
    double ad = (D + std::log(D) / -2.302585092994046) * 659.0 / 526.0 + -0.5;
    int a = !(ad > 0.0) ? 0 : (ad >= 2147483647.0 ? 2147483647 : static_cast<int>(ad));

    fp sum, v, c, t, u;
    {
        PrecSaver prec;
        blockPrec = precOf(static_cast<int64>(prec.saved() * 1.4));
        fp e1;
        equate(t, 1.0);
        exp(e1, t);
        mul(t, 2.0, Pi());
        sqrt(sum, t);
        if (a > 1) {  // term 1; for a <= 1 there are no terms
            equate(t, -static_cast<double>(a - 1));
            exp(v, t);
            equate(t, static_cast<double>(a - 1));
            sqrt(c, t);
            add(t, y, 1.0);
            mul(t, t, v);
            div(c, c, t);
            add(sum, sum, c);
        }
        for (int k = 2; k < a; ++k) {
            // v = (k - 1)! e^-(a - k); c_k = (-1)^(k-1) (a - k)^(k - 1/2) e^(a - k) / (k - 1)!
            mul(v, v, static_cast<double>(k - 1));
            mul(v, v, e1);
            equate(t, static_cast<double>(a - k));
            equate(u, static_cast<double>(k) - 0.5);
            pow(c, t, u);
            div(c, c, v);
            if (k % 2 == 0) c.mantissa.length = -c.mantissa.length;
            add(t, y, static_cast<double>(k));
            div(c, c, t);
            add(sum, sum, c);
        }
    }

    // z = sum (y + a)^(y + 1/2) e^-(y + a), at the caller's precision.
    fp ya, yh;
    add(ya, y, static_cast<double>(a));
    add(yh, y, 0.5);
    if (pow(u, ya, yh)) {
        mul(t, sum, u);
        sub(c, 0.0, ya);
        exp(u, c);
        mul(z, t, u);
        return;
    }
    // (y + a)^(y + 1/2) alone passes the exponent range (x above about 8.1e7) while the
    // value may not: z = sum e^r 2^k with L = (y + 1/2) ln(y + a) - (y + a) = k ln 2 + r,
    // L formed with one guard word; 0 when the value itself passes the range.
    int32 caller = blockPrec;
    {
        PrecSaver prec;
        blockPrec = precOf(int64(prec.saved()) + 1);
        fp L, ln2;
        log(L, ya);
        mul(L, L, yh);
        sub(L, L, ya);
        ComputeLn2(ln2);
        div(t, L, ln2);
        floor(t, t);
        if (t > 2147483647.0) {
            setZero(z);
            return;
        }
        int64 k = to_long(t);
        mul(t, t, ln2);
        sub(L, L, t);
        setZero(u);
        exp(u, L);
        blockPrec = caller;
        mul(v, sum, u);
        scaleByPowerOfTwo(z, v, k);
    }
}

fp GammaSpouge(fp const& x) {
    fp z;
    GammaSpouge(z, x);
    return z;
}

// ---- incomplete gamma functions ----

namespace {

// z := s x^a e^-x, formed as s e^(a ln x - x); 0 when that leaves exp's range.
void timesPowerExp(fp& z, fp const& s, fp const& a, fp const& x) {
    fp t, e;
    log(t, x);
    mul(t, t, a);
    sub(t, t, x);
    exp(e, t);
    mul(z, s, e);
}

}  // namespace

void smallIncompleteGamma(fp& z, fp const& a, fp const& x) {
    static fp s, s1, t, t1, xinc;
    if (signOf(x) <= 0 || signOf(a) <= 0) {
        setZero(z);
        return;
    }
    // The terms grow until a + k passes x: that many steps at least.
    sub(t1, x, a);
    if (t1 > kMaxSeriesTerms) {
        setZero(z);
        return;
    }
    PrecSaver prec;
    blockPrec = precOf(int64(prec.saved()) + 1);
    equate(xinc, a);
    setZero(s);
    div(t, 1.0, a);
    // sum over k >= 0 of x^k / (a (a + 1) ... (a + k)), to the first term that leaves it
    for (double k = 0.0;; k += 1.0) {
        if (k > 2 * kMaxSeriesTerms) {
            setZero(z);
            return;
        }
        add(s1, s, t);
        if (compare(s1, s) == 0) break;
        std::swap(s, s1);
        mul(t1, t, x);
        add(xinc, xinc, 1.0);
        div(t, t1, xinc);
    }
    timesPowerExp(z, s, a, x);
}

void largeIncompleteGamma(fp& z, fp const& a, fp const& x) {
    static fp a0, a1, b0, b1, s, s1, s2;
    if (signOf(x) <= 0) {
        setZero(z);
        return;
    }
    PrecSaver prec;
    int32 B = prec.saved();
    int32 Q = precOf((3 * int64(B)) / 2);
    int32 twoB = precOf(2 * int64(B));
    blockPrec = twoB;
    setZero(a0);
    equate(b0, 1.0);
    equate(a1, 1.0);
    equate(b1, x);
    div(s, a1, b1);
    // convergents A_n / B_n of e^x x^-a Gamma(a, x) = 1/(x + (1 - a)/(1 + 1/(x + (2 - a)/(1 + ...
    for (double n = 1.0;; n += 1.0) {
        if (n > kMaxFractionSteps) {
            blockPrec = B;
            setZero(z);
            return;
        }
        sub(s2, n, a);
        mul(a0, s2, a0);
        add(a0, a0, a1);
        mul(b0, s2, b0);
        add(b0, b0, b1);
        mul(a1, n, a1);
        mul(s2, x, a0);
        add(a1, a1, s2);
        mul(b1, n, b1);
        mul(s2, x, b0);
        add(b1, b1, s2);
        div(s1, a1, b1);
        blockPrec = Q;
        if (compare(s1, s) == 0) break;  // read at Q words
        blockPrec = twoB;
        std::swap(s, s1);
    }
    timesPowerExp(z, s, a, x);  // at Q words
}

// ---- ln(x!) ----

bool LnFactorial(fp& z, fp const& xIn) {
    // The thresholds 9 x 10^10000000 and 10^10000, formed once (they need no more than two
    // words), and the Bernoulli table, converted on the first call that needs it.
    static fp rangeEnd, seriesEnd;
    static bool initGood = false;
    static fp num[kBernoulliEntries], den[kBernoulliEntries];
    static bool isGood = false;
    if (!initGood) {
        PrecSaver prec;
        blockPrec = 2;
        equate(rangeEnd, "9e10000000");
        equate(seriesEnd, "1e10000");
        initGood = true;
    }
    fp const x(xIn);  // z may be x
    if (signOf(x) == 0 || x == 1.0) {
        setZero(z);
        return true;
    }
    if (signOf(x) < 0 || compare(x, rangeEnd) > 0) {
        setZero(z);
        return false;
    }
    fp y, t;
    if (x <= 10000000.0) {
        add(y, x, 1.0);
        Gamma(t, y);
        log(z, t);
        return true;
    }

    PrecSaver prec;
    blockPrec = precOf(int64(prec.saved()) + 2);
    add(y, x, 1.0);
    // L = (y - 1/2) ln y - y + ln(2 pi) / 2
    fp L, u;
    sub(t, y, 0.5);
    log(u, y);
    mul(L, t, u);
    sub(L, L, y);
    mul(t, 2.0, Pi());
    log(u, t);
    mul(u, u, 0.5);
    add(L, L, u);
    if (!isGood) {
        loadNumbers(num, den);
        isGood = true;
    }
    bool settled = true;
    if (compare(y, seriesEnd) <= 0) {
        // + sum of B_2i / (2i (2i - 1) y^(2i - 1)), to the first term that leaves L as it is
        settled = false;
        fp G(y), w, F, before;
        div(w, 1.0, y);
        mul(w, w, w);
        for (int i = 1; i < kBernoulliEntries; ++i) {
            mul(G, G, w);
            mul(F, G, num[i]);
            div(F, F, den[i]);
            div(F, F, static_cast<double>(2 * i) * static_cast<double>(2 * i - 1));
            equate(before, L);
            add(L, L, F);
            if (L == before) {
                settled = true;
                break;
            }
        }
    }
    equate(z, L);
    return settled;
}

fp LnFactorial(fp const& x) {
    fp z;
    LnFactorial(z, x);
    return z;
}

char* TenToLogTenFactorial(fp const& x, bool& ok) {
    if (signOf(x) < 0) return copyText("0", 1);
    if (signOf(x) == 0 || x == 1.0) return copyText("1", 1);
    fp t;
    ok = LnFactorial(t, x);
    if (!ok) return copyText("0", 1);
    return GetNumberFromLog(t);
}
