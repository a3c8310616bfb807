// The class Decimal, its exception classes and the module methods, as the host sees them.
// Each registered function is one line naming its family, operation and operand order;
// the families hold the rules for nil handles, divisor and domain tests, result objects
// and raised exceptions.
#include "Vantrel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

#include "PluginMain.h"
#include "fpConv.h"
#include "fpFuncs.h"
#include "fpMath.h"
#include "mbConv.h"
#include "mbMath.h"

REALstring nullString = nullptr;

namespace {

char const* const kBadInput = "DecBadInputException";
char const* const kDivideByZero = "DecDivideByZeroException";
char const* const kNilObject = "DecNilObjectException";
char const* const kNegativeNumber = "DecNegativeNumberException";
char const* const kBadEntryNumber = "DecBadEntryNumberException";
char const* const kDecToCurrOverflow = "DecToCurrOverflowException";

DecData& dec(REALobject o) { return *static_cast<DecData*>(REALGetClassData(o, &DecClass)); }

std::int32_t lowHalf(HostInteger n) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(n)); }

void raise(char const* exceptionClass) {
    // A host that cannot make the exception object has nothing to raise.
    if (REALobject e = REALnewInstance(exceptionClass)) REALRaiseException(e);
}

// NaN and the infinities have no decimal value: a Double operand that is one raises
// DecBadInputException instead of entering as 0.
bool finiteDouble(double x) {
    if (std::isfinite(x)) return true;
    raise(kBadInput);
    return false;
}

// An Integer operand at the host's full width, exactly: a Double would round a 64-bit
// value beyond 2^53. Normal form: the trailing decimal zeros go to the exponent.
void readInteger(DecData& d, HostInteger n) {
    std::int64_t v = n;
    std::int32_t e = 0;
    while (v != 0 && v % 10 == 0) {
        v /= 10;
        ++e;
    }
    equate(d.mantissa, static_cast<long long>(v));
    d.exponent = e;
}

// A new Decimal holding 0, or nil after raising DecNilObjectException.
REALobject newDec() {
    REALobject r = REALnewInstance("Decimal");
    if (r == nullptr) raise(kNilObject);
    return r;
}

// A result the decimal layer refused is never shown as a value: the result holds 0.
REALobject refusedUnless(bool ok, REALobject r) {
    if (!ok) {
        myFree(dec(r));
        raise(kBadEntryNumber);
    }
    return r;
}

REALstring hostText(char* text) {
    if (text == nullptr) {
        raise(kBadEntryNumber);
        return nullString;
    }
    REALstring s = REALBuildStringWithEncoding(text, static_cast<std::int32_t>(std::strlen(text)), kEncodingUTF8);
    std::free(text);
    return s;
}

// ---- two operands: receiver and a Decimal, Double or Integer, either order

using DecOp = bool (*)(DecData&, DecData const&, DecData const&);
enum Order { ReceiverFirst, OperandFirst };
enum ZeroTest { NoDivision, Division };

// The divisor test comes before the result object; a zero divisor returns the receiver.
REALobject combine(REALobject self, DecData const& operand, DecOp op, Order order, bool divisorZero) {
    if (divisorZero) {
        raise(kDivideByZero);
        return self;
    }
    REALobject r = newDec();
    if (r == nullptr) return nullptr;
    DecData const& a = order == ReceiverFirst ? dec(self) : operand;
    DecData const& b = order == ReceiverFirst ? operand : dec(self);
    return refusedUnless(op(dec(r), a, b), r);
}

bool divisorIsZero(ZeroTest test, Order order, DecData const& self, DecData const& operand) {
    if (test == NoDivision) return false;
    return (order == ReceiverFirst ? operand : self).mantissa.length == 0;
}

REALobject withDecimal(REALobject self, REALobject x, DecOp op, ZeroTest test) {
    if (self == nullptr) return nullptr;
    if (x == nullptr) return self;
    return combine(self, dec(x), op, ReceiverFirst, divisorIsZero(test, ReceiverFirst, dec(self), dec(x)));
}

// A finite Double's decimal image is zero only for 0.0 and -0.0, so the divisor is
// tested on the image.
REALobject withDouble(REALobject self, double x, DecOp op, Order order, ZeroTest test) {
    if (self == nullptr) return nullptr;
    if (!finiteDouble(x)) return nullptr;
    DecData t;
    getDec_d(t, x);
    return combine(self, t, op, order, divisorIsZero(test, order, dec(self), t));
}

REALobject withInteger(REALobject self, HostInteger x, DecOp op, Order order, ZeroTest test) {
    if (self == nullptr) return nullptr;
    DecData t;
    readInteger(t, x);
    return combine(self, t, op, order, divisorIsZero(test, order, dec(self), t));
}

// ---- module functions through fp, to the digits asked for
//
// The fp functions keep about one word less than they work with, and lose more where they
// reduce a large argument or cancel. So each call runs at W words above blockPrec (a guard
// word and what the argument's size costs up front), bounds its error as
//     |z - f| <= 2^(-32 (W - 1)) (2^kModelBits + 4 |e| + 8) S,
// e the operands' largest decimal exponent (DecToRR forms 10^|e| by powering), S the
// function's error scale (|f| + |x f'|, plus 1 where the algorithm ends in a logarithm),
// and runs again with the words still missing while the bound leaves the P-th digit open
// (Ziv's strategy). A bound that straddles a rounding boundary runs once more two words
// up; if it still does, the value is taken for the midpoint it all but is and rounded away
// from zero. Results are thus rounded correctly, whatever ran before, but for values
// within the bound of a midpoint. A call needing more than kExtraWords above blockPrec
// is refused.

// Zero to a negative power divides by zero; the fp powers would give 0 for any zero
// base. The power fails before it is computed, its result object holding 0.
bool zeroToNegative(bool baseZero, bool exponentNegative) {
    if (!baseZero || !exponentNegative) return false;
    raise(kDivideByZero);
    return true;
}

// An fp function and whether it ran: not beyond the exponential's range, where exp, sinh
// and cosh leave their target unchanged. Elsewhere a target left at 0 (tan where the cosine
// came out 0, asin or atanh of an argument rounded onto or past 1) asks for more words.
using FpFn = bool (*)(fp&, fp const&);
enum Domain { AbsAtMostOne, AtLeastOne, AbsBelowOne };

constexpr double kLog2Of10 = 3.321928094887362;
constexpr double kLog10Of2 = 0.301029995663981;
constexpr double kModelBits = 10;    // the fp functions' bound, with room, in units of W - 1 words
constexpr double kMarginBits = 12;   // how far below the P-th digit a first trial aims
constexpr int kTailDigits = 8;       // digits written past the P-th to see the rounding
constexpr uint32 kBillion = 1000000000u;
constexpr int64 kExtraWords = 384;   // words above blockPrec that a call may take

// 1 or -1 as a decimal.
DecData const& unit(bool negative) {
    static DecData one, minusOne;
    if (one.mantissa.length == 0) {
        one.mantissa = 1;
        minusOne.mantissa = -1;
    }
    return negative ? minusOne : one;
}

// The domain tests are exact, on the decimal itself.
bool inside(DecData const& x, Domain d) {
    int hi = compareDecToDec(x, unit(false)), lo = compareDecToDec(x, unit(true));
    switch (d) {
        case AbsAtMostOne: return hi <= 0 && lo >= 0;
        case AtLeastOne: return hi >= 0;
        case AbsBelowOne: return hi < 0 && lo > 0;
    }
    return false;
}

bool isZero(DecData const& x) { return effLen(x.mantissa) == 0; }

// log2(2^a + 2^b).
double sumBits(double a, double b) {
    double hi = a > b ? a : b, lo = a > b ? b : a;
    return hi == -HUGE_VAL ? hi : hi + std::log2(1.0 + std::exp2(lo - hi));
}
// log2 |v| rounded up; -inf for zero.
double bitsOf(fp const& v) { return v.mantissa.length == 0 ? -HUGE_VAL : Lg2(v) + 1.0; }
double bitsOf(DecData const& d) {
    return isZero(d) ? -HUGE_VAL : NumBits(d.mantissa) + double(d.exponent) * kLog2Of10;
}
// log2 of the bound's factor for operands of decimal exponent up to |e|.
double factorBits(double e) { return std::log2(std::exp2(kModelBits) + 4.0 * std::fabs(e) + 8.0); }

// One evaluation: the operands at the working precision and the result.
struct Trial {
    fp x, y, z;
    int64 words = 0;
    double factor = 0;     // factorBits of the operands
    double cond = 0;       // log2 of S / |f| where the operands alone bound it (powers)
    bool atEnd = false;    // |x| = 1 exactly: no root term at the domain's end
    double bound() const { return factor - 32.0 * double(words - 1); }  // log2 of the error per unit of S
};
using Scale = double (*)(Trial const&);  // log2 of S; +inf when this precision cannot tell
enum class Got { Value, Exact, Refused };

// log2 of a lower bound on 1 - |x| (above: x - 1): -inf while the working precision cannot
// tell it from 0, +inf at |x| = 1 exactly, where the argument carries no error.
double gapBits(Trial const& t, bool above) {
    if (t.atEnd) return HUGE_VAL;
    fp one, a, d;
    init(one, 1);
    a = t.x;
    if (a.mantissa.length < 0) a.mantissa.length = -a.mantissa.length;
    above ? sub(d, a, one) : sub(d, one, a);
    if (d.mantissa.length <= 0) return -HUGE_VAL;
    double lg = Lg2(d);
    return lg > t.bound() + 1 ? lg - 1 : -HUGE_VAL;
}

double sqrtScale(Trial const& t) { return bitsOf(t.z) + 1; }              // |f| + |f| / 2
double logScale(Trial const& t) { return sumBits(bitsOf(t.z), 1); }       // |f| + 1, and 1 - x's word
double expScale(Trial const& t) { return bitsOf(t.z) + sumBits(0, bitsOf(t.x)); }  // |f| (1 + |x|)
double sinScale(Trial const& t) { return sumBits(bitsOf(t.z), bitsOf(t.x)); }      // |f| + |x|
// tan = sin / cos, each good to its value plus |x|: |f| (2 + |x| (1/|sin| + 1/|cos|)).
double tanScale(Trial const& t) {
    double z = bitsOf(t.z), secant = 0.5 * sumBits(0, 2 * z);
    return sumBits(z + 1, bitsOf(t.x) + secant + sumBits(0, z));
}
// |x| / sqrt(1 - x^2), where 1 - x^2 >= 1 - |x|.
double arcScale(Trial const& t) { return sumBits(bitsOf(t.z), bitsOf(t.x) - 0.5 * gapBits(t, false)); }
double atanScale(Trial const& t) { return bitsOf(t.z) + 1; }    // |x| / (1 + x^2) <= |atan x|
double atan2Scale(Trial const& t) { return bitsOf(t.z) + 2; }   // both operands' terms <= 2 |f|
double sinhScale(Trial const& t) {                               // |x| cosh x, cosh = sqrt(1 + sinh^2)
    double z = bitsOf(t.z);
    return sumBits(z, bitsOf(t.x) + 0.5 * sumBits(0, 2 * z));
}
// |x| / sqrt(1 + x^2) <= min(|x|, 1); from 1/16 on (past 0.1) a logarithm.
double asinhScale(Trial const& t) { return sumBits(bitsOf(t.z), Lg2(t.x) >= -4 ? 1 : bitsOf(t.x)); }
// 1 + x / sqrt(x^2 - 1), the quotient below sqrt(2 max(1, 1 / (x - 1))).
double acoshScale(Trial const& t) {
    return sumBits(bitsOf(t.z), sumBits(1, 0.5 * (1 + std::max(0.0, -gapBits(t, true)))));
}
// |x| / (1 - x^2): below 4|x|/3 under 1/2, else below 1 / (1 - |x|); from 1/16 on a logarithm.
double atanhScale(Trial const& t) {
    double slope = Lg2(t.x) < -1 ? bitsOf(t.x) + 0.5 : -gapBits(t, false);
    double s = sumBits(bitsOf(t.z), slope);
    return Lg2(t.x) >= -4 ? sumBits(s, 1) : s;
}
double powScale(Trial const& t) { return bitsOf(t.z) + t.cond; }

// blockPrec at the working words for one trial, put back on every path.
class WorkingWords {
public:
    explicit WorkingWords(int64 words) : saved_(blockPrec) {
        blockPrec = static_cast<int32>(std::min<int64>(words, std::numeric_limits<int32>::max()));
    }
    ~WorkingWords() { blockPrec = saved_; }
    WorkingWords(WorkingWords const&) = delete;
    WorkingWords& operator=(WorkingWords const&) = delete;

private:
    int32 saved_;
};

// Decimal digits of |m| (1 for 0).
int64 digitCount(mb const& m) {
    static mb t;
    equate(t, m);
    int64 n = 1;
    for (; effLen(t) > 1 || (effLen(t) == 1 && t.blocks[0] >= kBillion); n += 9) mbShortDiv(t, t, kBillion);
    for (uint32 v = effLen(t) == 0 ? 0 : t.blocks[0]; v >= 10; v /= 10) ++n;
    return n;
}

// log2 |m| from its top two words; -inf for zero.
double log2Of(mb const& m) {
    int32 n = effLen(m);
    if (n == 0) return -HUGE_VAL;
    double top = m.blocks[n - 1];
    if (n > 1) top = top * 4294967296.0 + m.blocks[n - 2];
    return std::log2(top) + 32.0 * double(n - (n > 1 ? 2 : 1));
}

enum class Verdict { Done, Open };

// q := |m| / 10^k cut, and the sign of the k dropped digits' tail against their midpoint;
// returns log2 of twice their distance (-inf at the midpoint).
double splitTail(mb& q, int& side, mb const& m, int64 k) {
    static mb t, p;
    static int64 pk = -1;  // the k of p = 10^k
    if (k <= 9) {  // the usual case, in one word
        uint32 p10 = 1;
        for (int64 i = 0; i < k; ++i) p10 *= 10;
        int64 d = 2 * int64(mbShortDiv(q, m, p10)) - p10;
        side = d > 0 ? 1 : d < 0 ? -1 : 0;
        return d == 0 ? -HUGE_VAL : std::log2(double(d < 0 ? -d : d));
    }
    if (pk != k) power(p, ten, static_cast<int>(k));
    pk = k;
    divRem(q, t, m, p);
    mbShiftLeft(t, t, 1);
    sub(t, t, p);
    side = t.length > 0 ? 1 : t.length < 0 ? -1 : 0;
    return log2Of(t);
}

// r := z to `digits` significant digits, half away from zero, read from `tail` digits
// past them, when every value within 2^bound of z rounds alike. Open when a midpoint lies
// that near, unless `settle`: then a midpoint the bound straddles is taken for the value
// and rounds away from zero.
Verdict roundWith(DecData& r, fp const& z, double bound, int64 digits, int64 tail, bool settle) {
    static mb m, q;
    int e10 = 0;
    fpToDecimal(e10, m, z, static_cast<int>(digits + tail));
    bool negative = m.length < 0;
    m.length = absLen(m.length);
    int64 k = digitCount(m) - digits, exponent = e10;  // digits to drop
    if (k <= 0) {
        equate(q, m);
    } else {
        // The tail's distance from the midpoint beside the bound and the conversion's own
        // error (a unit of its last place when no zeros were dropped), in units of m's last
        // digit.
        int side = 0;
        double gap = splitTail(q, side, m, k) - 1;
        double slack = sumBits(bound - e10 * kLog2Of10, 1 + double(k - tail) * kLog2Of10);
        if (gap <= slack + 1 && !settle) return Verdict::Open;
        q.length = absLen(q.length);
        if (gap <= slack || side > 0) add(q, q, 1);
        exponent += k;
        for (int d; effLen(q) != 0 && (d = mbShortDiv(m, q, 10u)) == 0; ++exponent) equate(q, m);
    }
    if (negative) q.length = -q.length;
    myFree(r);
    r.mantissa = q;
    r.exponent = static_cast<int32>(exponent);
    return Verdict::Done;
}

// A few digits past the P-th nearly always decide; where they lie near a midpoint their
// own rounding would be a second one, so the tail is read again as far as z holds digits,
// to two past the bound's place. false when the bound leaves a midpoint open (and not
// `settle`).
bool roundTo(DecData& r, fp const& z, double bound, int64 digits, bool settle) {
    double held = std::ceil(32.0 * effLen(z.mantissa) * kLog10Of2) + 2;
    double toBound = std::ceil((double(Lg2(z)) + 1 - bound) * kLog10Of2) + 2;
    int64 fine = int64(std::min(held, toBound)) - digits;
    for (int64 tail = kTailDigits;; tail = fine) {
        bool last = tail >= fine;
        if (roundWith(r, z, bound, digits, tail, settle && last) == Verdict::Done) return true;
        if (last) return false;
    }
}

// r := the result of `run` to P digits, by trials at rising working precision. false when
// refused (by run, or past kExtraWords); r is then untouched.
template <class Run>
bool toDigits(DecData& r, Trial& t, double upFront, Scale scale, Run run) {
    int64 digits = globalBitPrecision / 4;
    int64 base = blockPrec < 1 ? 1 : blockPrec;
    int64 limit = base + kExtraWords;
    if (digits <= 0) {  // no digit asked for: one trial for the refusals, then 0
        t.words = base + 1;
        WorkingWords at(t.words);
        if (run(t) == Got::Refused) return false;
        myFree(r);
        return true;
    }
    // The bound must stay this many bits below |z| for the P-th digit (a unit there is
    // above |f| 10^-P; a fifth of it leaves the rounding within one unit).
    double below = double(digits) * kLog2Of10 + 2.33;
    t.words = std::max(base + 1, int64(std::ceil((below + kMarginBits + t.factor + upFront) / 32)) + 1);
    bool retried = false;
    for (;;) {
        if (t.words > limit) return false;
        WorkingWords at(t.words);
        Got got = run(t);
        if (got == Got::Refused) return false;
        if (got == Got::Exact && t.z.mantissa.length == 0) {
            myFree(r);
            return true;
        }
        double lz = t.z.mantissa.length == 0 ? -HUGE_VAL : double(Lg2(t.z));
        double bound = got == Got::Exact ? -HUGE_VAL : t.bound() + scale(t);
        if (!(bound < lz - 2)) {
            // Not even |f| is known (a zero or unwritten z, a gap not seen): twice the extra
            // words, the last trial at the limit.
            if (t.words >= limit) return false;
            t.words = std::min(limit, t.words + std::max<int64>(4, t.words - base));
            continue;
        }
        double room = lz - below - bound;
        if (room < 0) {
            // The words missing, with the margin where the limit leaves room for it.
            if (t.words + int64(std::ceil(-room / 32)) > limit) return false;
            t.words = std::min(limit, t.words + int64(std::ceil((kMarginBits - room) / 32)));
            continue;
        }
        if (roundTo(r, t.z, bound, digits, retried || t.words + 2 > limit)) return true;
        retried = true;
        t.words += 2;
    }
}

// How one function through fp goes to P digits.
enum class ZeroAt { Nowhere, Zero, One };  // where f is exactly 0
struct Through {
    FpFn f;
    Scale scale;
    ZeroAt zero;
    bool reduces;  // a large |x| costs log2 |x| bits: sin, cos, tan, exp and the hyperbolic ones
    bool levels = false;  // f tends to +-1 as fast as tanh, which P digits show as +-1 early
};

// Whether tanh x rounds to +-1 at P digits: 1 - tanh |x| < 2 e^(-2|x|) lies below half a
// unit of the P-th digit, 0.5 10^-P, once 2|x| > P ln 10 + ln 4 (with a margin of 1).
bool levelsAtUnit(DecData const& x, int64 digits) {
    if (digits <= 0) return false;
    double limit = (double(digits) * 2.302585092994046 + 1.3862943611198906) / 2 + 1;
    return bitsOf(x) > 64 || std::fabs(getDouble_Dec(x)) > limit;
}

// r := f(x) to P digits; false when refused (beyond fp's reach or the exponential's
// range, or past the extra words).
bool unaryToDigits(DecData& r, DecData const& x, Through const& fn) {
    if (fn.levels && levelsAtUnit(x, globalBitPrecision / 4)) {
        DecData const& u = unit(x.mantissa.length < 0);
        r.mantissa = u.mantissa;
        r.exponent = 0;
        return true;
    }
    bool one = compareDecToDec(x, unit(false)) == 0;
    bool exact = fn.zero == ZeroAt::Zero ? isZero(x) : fn.zero == ZeroAt::One && one;
    Trial t;
    t.factor = factorBits(x.exponent);
    t.atEnd = one || compareDecToDec(x, unit(true)) == 0;
    double upFront = 1 + (fn.reduces ? std::max(0.0, bitsOf(x)) : 0.0);
    return toDigits(r, t, upFront, fn.scale, [&](Trial& w) {
        myFree(w.z);
        if (exact) return Got::Exact;
        if (!DecToRR(w.x, x)) return Got::Refused;
        return fn.f(w.z, w.x) ? Got::Value : Got::Refused;
    });
}

REALobject throughFp(REALobject x, Through const& fn) {
    REALobject r = newDec();
    if (r == nullptr) return nullptr;
    return refusedUnless(unaryToDigits(dec(r), dec(x), fn), r);
}

REALobject plainFp(REALobject x, Through const& fn) {
    if (x == nullptr) {
        raise(kNilObject);
        return nullptr;
    }
    return throughFp(x, fn);
}

// The domain test comes before the result object; outside it the argument is returned.
REALobject domainFp(REALobject x, Through const& fn, Domain d) {
    if (x == nullptr) {
        raise(kNilObject);
        return nullptr;
    }
    fp a;
    if (!DecToRR(a, dec(x)) || !inside(dec(x), d)) {
        raise(kBadEntryNumber);
        return x;
    }
    return throughFp(x, fn);
}

enum Sign { NotNegative, Positive };

// Sqrt and Log: a sign test on the mantissa, the argument returned when it fails.
REALobject signedFp(REALobject x, Through const& fn, Sign need) {
    int32 len = dec(x).mantissa.length;
    if (len < 0 || (need == Positive && len == 0)) {
        raise(kNegativeNumber);
        return x;
    }
    return throughFp(x, fn);
}

// r := atan2(y, x) to P digits; false when an operand is beyond fp's reach or past the
// extra words.
bool atan2ToDigits(DecData& r, DecData const& y, DecData const& x) {
    Trial t;
    t.factor = factorBits(std::max(std::fabs(double(x.exponent)), std::fabs(double(y.exponent))));
    bool zero = isZero(y) && compareDecToDec(x, DecData()) >= 0;  // pi for x < 0
    return toDigits(r, t, 2, atan2Scale, [&](Trial& w) {
        myFree(w.z);
        if (!DecToRR(w.x, x) || !DecToRR(w.y, y)) return Got::Refused;
        if (zero) return Got::Exact;
        atan2(w.z, w.y, w.x);
        return Got::Value;
    });
}

// A power's operand: a Decimal, a Double (as fp reads it: NaN and infinities as 0), or an
// Integer exponent, which takes fp's integer power.
struct PowOperand {
    DecData const* d;
    double v;
    bool integer;
};
PowOperand operand(DecData const& d) { return {&d, 0, false}; }
PowOperand operand(double v) { return {nullptr, std::isfinite(v) ? v : 0.0, false}; }
PowOperand integerExponent(std::int32_t n) { return {nullptr, double(n), true}; }

bool isZero(PowOperand const& o) { return o.d ? isZero(*o.d) : o.v == 0; }
bool isOne(PowOperand const& o) { return o.d ? compareDecToDec(*o.d, unit(false)) == 0 : o.v == 1; }
bool isNegative(PowOperand const& o) { return o.d ? o.d->mantissa.length < 0 : o.v < 0; }
double bitsOf(PowOperand const& o) { return o.d ? bitsOf(*o.d) : std::log2(std::fabs(o.v)); }
// A Double enters through its 18-digit text, whose exponent stays within 340.
double exponentOf(PowOperand const& o) { return o.d ? double(o.d->exponent) : o.integer ? 0 : 340; }
bool load(fp& a, PowOperand const& o) {
    if (o.d) return DecToRR(a, *o.d);
    equate(a, o.v);
    return true;
}

// r := x^y to P digits; false when the fp power refuses (a negative base with a fractional
// exponent, a result out of range), an operand is beyond fp's reach, or past the extra words.
bool powToDigits(DecData& r, PowOperand const& x, PowOperand const& y) {
    // A negative base with a Decimal exponent: whether the exponent is an integer, and its
    // parity, are read on the decimal, which its fp image may have cut; |x|^y then takes
    // the sign.
    bool byMagnitude = y.d && isNegative(x);
    Parity parity = byMagnitude ? parityOf(*y.d) : Parity::Even;
    if (parity == Parity::NotInteger) return false;
    Trial t;
    t.factor = factorBits(std::max(std::fabs(exponentOf(x)), std::fabs(exponentOf(y))));
    // The integer power gives 0 for a zero base, 0^0 too; the others give 1 there.
    bool zero = isZero(x) && (!isZero(y) || y.integer), one = !zero && (isZero(y) || isOne(x));
    // |x^y| (1 + |y| + |y ln x|), |ln x| <= (|log2 x| + 2) ln 2: the exponent's error, the
    // base's, and the reduction of y ln x in the exponential.
    if (!zero && !one)
        t.cond = sumBits(0, bitsOf(y) + sumBits(0, std::log2((std::fabs(bitsOf(x)) + 2) * 0.6931471805599453)));
    bool done = toDigits(r, t, t.cond, powScale, [&](Trial& w) {
        myFree(w.z);
        if (!load(w.x, x) || (!y.integer && !load(w.y, y))) return Got::Refused;
        if (byMagnitude) w.x.mantissa.length = absLen(w.x.mantissa.length);
        if (zero) return Got::Exact;
        if (one) {
            init(w.z, 1);
            return Got::Exact;
        }
        bool ok = y.integer ? pow(w.z, w.x, static_cast<int>(y.v)) : pow(w.z, w.x, w.y);
        return ok ? Got::Value : Got::Refused;
    });
    if (done && parity == Parity::Odd) r.mantissa.length = -r.mantissa.length;
    return done;
}

// Past the digits fp reaches in reasonable time the decimal layer's power gives what it
// can exactly (a whole exponent of a Decimal base) and refuses the rest.
bool exactOnly(DecData& r, PowOperand const& x, PowOperand const& y) {
    if (!x.d) return pow(r, x.v, *y.d);
    if (y.d) return pow(r, *x.d, *y.d);
    return y.integer ? pow(r, *x.d, static_cast<int>(y.v)) : pow(r, *x.d, y.v);
}

REALobject powerOf(REALobject r, PowOperand const& x, PowOperand const& y) {
    if (r == nullptr) return nullptr;
    if (zeroToNegative(isZero(x), isNegative(y))) return r;
    bool ok = fpWorkFits() ? powToDigits(dec(r), x, y) : exactOnly(dec(r), x, y);
    if (!ok) raise(kBadEntryNumber);
    return r;
}

// ---- Lg2: floor(log2 x) of the exact decimal, whatever the precision

constexpr double kExactCompareBits = 2097152;  // integers this long compare in well under a second

// The sign of x - 2^k for x > 0, from integers: x / 2^k = m 5^e 2^(e - k). false where
// they would pass kExactCompareBits.
bool signAgainstPowerOfTwo(int& sign, DecData const& x, int64 k) {
    static mb a, b, p, five;
    int64 e = x.exponent, twos = e - k;
    if (NumBits(x.mantissa) + 2.33 * std::fabs(double(e)) + std::fabs(double(twos)) > kExactCompareBits) return false;
    five = 5;
    equate(a, x.mantissa);
    b = 1;
    mb& fives = e > 0 ? a : b;
    mb& shifted = twos > 0 ? a : b;
    power(p, five, static_cast<int>(e < 0 ? -e : e));
    mul(fives, fives, p);
    mbShiftLeft(shifted, shifted, static_cast<int>(twos < 0 ? -twos : twos));
    sign = compare(a, b);
    return true;
}

// The same through fp at rising precision, where the integers would be too long. A value
// that is not a power of two lies a distance from 2^k that its digits bound, so a
// precision of about those digits tells; past it the call is refused.
bool signThroughFp(int& sign, DecData const& x, int64 k) {
    double factor = factorBits(x.exponent);
    int64 cap = int64(NumBits(x.mantissa) + factor + 192) / 32 + 4;
    for (int64 w = 4;; w = std::min(2 * w, cap)) {
        WorkingWords at(w);
        fp a, p, d;
        if (!toFp(a, x)) return false;
        power2(p, static_cast<int>(k));
        sub(d, a, p);
        if (d.mantissa.length != 0 && double(Lg2(d)) > double(k) + factor - 32.0 * double(w - 1) + 4) {
            sign = d.mantissa.length > 0 ? 1 : -1;
            return true;
        }
        if (w >= cap) return false;
    }
}

// floor(log2 x) for x > 0; false beyond fp's reach, or where no precision up to the
// value's own digits tells it from a power of two.
bool floorLog2(int32& k, DecData const& x) {
    if (!fpReaches(x)) return false;
    // Good to about 2^-20 at the largest exponents.
    double estimate = log2Of(x.mantissa) + double(x.exponent) * kLog2Of10;
    double nearest = std::floor(estimate + 0.5);
    if (std::fabs(estimate - nearest) > 0x1p-14) {
        k = static_cast<int32>(std::floor(estimate));
        return true;
    }
    int sign = 0;
    if (!signAgainstPowerOfTwo(sign, x, int64(nearest)) && !signThroughFp(sign, x, int64(nearest))) return false;
    k = static_cast<int32>(nearest) - (sign < 0 ? 1 : 0);
    return true;
}

template <void (*F)(fp&, fp const&)>
bool always(fp& z, fp const& a) {
    F(z, a);
    return true;
}

template <void (*F)(fp&, fp const&)>
bool inExpRange(fp& z, fp const& a) {
    if (!expInRange(a)) return false;
    F(z, a);
    return true;
}

Through const sqrtFp{always<sqrt>, sqrtScale, ZeroAt::Zero, false};
Through const logFp{always<log>, logScale, ZeroAt::One, false};
Through const expFp{inExpRange<exp>, expScale, ZeroAt::Nowhere, true};
Through const sinFp{always<sin>, sinScale, ZeroAt::Zero, true};
Through const cosFp{always<cos>, sinScale, ZeroAt::Nowhere, true};
Through const tanFp{always<tan>, tanScale, ZeroAt::Zero, true};
Through const asinFp{always<asin>, arcScale, ZeroAt::Zero, false};
Through const acosFp{always<acos>, arcScale, ZeroAt::One, false};
Through const atanFp{always<atan>, atanScale, ZeroAt::Zero, false};
Through const sinhFp{inExpRange<sinh>, sinhScale, ZeroAt::Zero, true};
Through const coshFp{inExpRange<cosh>, expScale, ZeroAt::Nowhere, true};
Through const tanhFp{always<tanh>, expScale, ZeroAt::Zero, true, true};
Through const asinhFp{always<asinh>, asinhScale, ZeroAt::Zero, false};
Through const acoshFp{always<acosh>, acoshScale, ZeroAt::One, false};
Through const atanhFp{always<atanh>, atanhScale, ZeroAt::Zero, false};

template <class F>
HostFunction fn(F f) {
    return reinterpret_cast<HostFunction>(f);
}

constexpr std::uint32_t kFlags = kMethodFlagConsoleSafe;

REALclassDefinition exceptionClass(char const* name) {
    REALclassDefinition c{};
    c.version = kHostPluginVersion;
    c.name = name;
    c.superName = "RuntimeException";
    return c;
}

}  // namespace

// ---- the class Decimal

void DecConstructor(REALobject self) {
    // The host hands over its instance data uncleared: whatever it holds is no value.
    if (self) init(dec(self));
}

void DecReset(REALobject self) {
    // "Constructor()" runs after the class constructor, and a host program may call it
    // again on an object holding a value.
    if (self) myFree(dec(self));
}

void DecConstructor2(REALobject self, REALstring text) {
    if (self == nullptr) return;
    DecData& d = dec(self);
    HostStringData data{};
    if (!REALGetStringData(text, kEncodingUTF8, &data)) {
        myFree(d);
        return;
    }
    std::uint32_t n = data.length;
    if (n == 0) {
        REALDisposeStringData(&data);
        myFree(d);
        return;
    }
    char* copy = copyText(static_cast<char const*>(data.data), std::size_t{n});
    REALDisposeStringData(&data);
    // Read into a temporary: a refused text leaves the object's value as it was, and the
    // reader may have left part of a number behind.
    DecData read;
    // A NUL inside the host's text would cut it short; such a text is no number.
    bool ok = std::memchr(copy, '\0', n) == nullptr && getDec_Str(read, copy);
    std::free(copy);
    if (!ok) {
        raise(kBadInput);
        return;
    }
    d.mantissa = std::move(read.mantissa);
    d.exponent = read.exponent;
}

void DecConstructor3(REALobject self, double x) {
    if (self && finiteDouble(x)) getDec_d(dec(self), x);
}

void DecFree(REALobject self) {
    if (self) myFree(dec(self));
}

void DecDestructor(REALobject self) {
    if (self) myFree(dec(self));
}

REALstring DecToS(REALobject self) { return self ? hostText(getString(dec(self))) : nullString; }
REALstring DecToS2(REALobject self) { return self ? hostText(getString2(dec(self))) : nullString; }

REALobject convertDecToDec(REALobject self) {
    if (self == nullptr) return nullptr;
    REALobject r = newDec();
    if (r == nullptr) return nullptr;
    dec(r).mantissa = dec(self).mantissa;
    dec(r).exponent = dec(self).exponent;
    return r;
}

void convertDoubleToDec(REALobject self, double x) {
    if (self && finiteDouble(x)) getDec_d(dec(self), x);
}

double convertDecToDouble(REALobject self) { return self ? getDouble_Dec(dec(self)) : 0.0; }

REALobject NegateDec(REALobject self) {
    if (self == nullptr) return nullptr;
    REALobject r = newDec();
    if (r == nullptr) return nullptr;
    dec(r).mantissa = -dec(self).mantissa;
    dec(r).exponent = dec(self).exponent;
    return r;
}

REALobject AddDec_Dec(REALobject self, REALobject x) { return withDecimal(self, x, addDec, NoDivision); }
REALobject SubDec_Dec(REALobject self, REALobject x) { return withDecimal(self, x, subDec, NoDivision); }
REALobject MulDec_Dec(REALobject self, REALobject x) { return withDecimal(self, x, mulDec, NoDivision); }
REALobject DivDec_Dec(REALobject self, REALobject x) { return withDecimal(self, x, divDec, Division); }
REALobject AddDec_D(REALobject self, double x) { return withDouble(self, x, addDec, ReceiverFirst, NoDivision); }
REALobject SubDec_D(REALobject self, double x) { return withDouble(self, x, subDec, ReceiverFirst, NoDivision); }
REALobject SubD_Dec(REALobject self, double x) { return withDouble(self, x, subDec, OperandFirst, NoDivision); }
REALobject MulDec_D(REALobject self, double x) { return withDouble(self, x, mulDec, ReceiverFirst, NoDivision); }
REALobject DivDec_D(REALobject self, double x) { return withDouble(self, x, divDec, ReceiverFirst, Division); }
REALobject DivD_Dec(REALobject self, double x) { return withDouble(self, x, divDec, OperandFirst, Division); }
REALobject AddDec_I(REALobject self, HostInteger x) { return withInteger(self, x, addDec, ReceiverFirst, NoDivision); }
REALobject SubDec_I(REALobject self, HostInteger x) { return withInteger(self, x, subDec, ReceiverFirst, NoDivision); }
REALobject SubI_Dec(REALobject self, HostInteger x) { return withInteger(self, x, subDec, OperandFirst, NoDivision); }
REALobject MulDec_I(REALobject self, HostInteger x) { return withInteger(self, x, mulDec, ReceiverFirst, NoDivision); }
REALobject DivDec_I(REALobject self, HostInteger x) { return withInteger(self, x, divDec, ReceiverFirst, Division); }
REALobject DivI_Dec(REALobject self, HostInteger x) { return withInteger(self, x, divDec, OperandFirst, Division); }

REALobject PowDec_Dec(REALobject self, REALobject x) {
    if (x == nullptr || self == nullptr) return self;
    return powerOf(newDec(), operand(dec(self)), operand(dec(x)));
}
REALobject PowDec_D(REALobject self, double y) {
    if (self == nullptr || !finiteDouble(y)) return nullptr;
    return powerOf(newDec(), operand(dec(self)), operand(y));
}
REALobject PowDec_INT32(REALobject self, HostInteger y) {
    if (self == nullptr) return nullptr;
    if (y != lowHalf(y)) {
        // Beyond 32 bits the exponent takes the path of a Decimal exponent.
        DecData e;
        readInteger(e, y);
        return powerOf(newDec(), operand(dec(self)), operand(e));
    }
    return powerOf(newDec(), operand(dec(self)), integerExponent(lowHalf(y)));
}
REALobject PowD_Dec2(REALobject self, double x) {
    if (self == nullptr || !finiteDouble(x)) return nullptr;
    return powerOf(newDec(), operand(x), operand(dec(self)));
}

std::int32_t CompareDec_Dec(REALobject self, REALobject x) {
    return self && x ? compareDecToDec(dec(self), dec(x)) : 0;
}
std::int32_t CompareDec_D(REALobject self, double x) {
    return self && finiteDouble(x) ? compareDecToDouble(dec(self), x) : 0;
}

// ---- module methods

REALobject SqrDec(REALobject x) {
    if (x == nullptr) return nullptr;
    REALobject r = newDec();
    return r ? refusedUnless(mulDec(dec(r), dec(x), dec(x)), r) : nullptr;
}
REALobject SqrtDec(REALobject x) { return x ? signedFp(x, sqrtFp, NotNegative) : nullptr; }
REALobject LogDec(REALobject x) {
    if (x == nullptr) {
        raise(kNilObject);
        return nullptr;
    }
    return signedFp(x, logFp, Positive);
}
std::int32_t Log2Dec(REALobject x) {
    if (x == nullptr) return 0;
    if (dec(x).mantissa.length <= 0) {
        raise(kNegativeNumber);
        return 0;
    }
    int32 k = 0;
    if (!floorLog2(k, dec(x))) raise(kBadEntryNumber);
    return k;
}
REALobject ExpDec(REALobject x) { return plainFp(x, expFp); }
REALobject SinDec(REALobject x) { return plainFp(x, sinFp); }
REALobject CosDec(REALobject x) { return plainFp(x, cosFp); }
REALobject TanDec(REALobject x) { return plainFp(x, tanFp); }
REALobject ASinDec(REALobject x) { return domainFp(x, asinFp, AbsAtMostOne); }
REALobject ACosDec(REALobject x) { return domainFp(x, acosFp, AbsAtMostOne); }
REALobject ATanDec(REALobject x) { return plainFp(x, atanFp); }
REALobject SinhDec(REALobject x) { return plainFp(x, sinhFp); }
REALobject CoshDec(REALobject x) { return plainFp(x, coshFp); }
REALobject TanhDec(REALobject x) { return plainFp(x, tanhFp); }
REALobject ASinhDec(REALobject x) { return plainFp(x, asinhFp); }
REALobject ACoshDec(REALobject x) { return domainFp(x, acoshFp, AtLeastOne); }
REALobject ATanhDec(REALobject x) { return domainFp(x, atanhFp, AbsBelowOne); }

REALobject ATan2Dec(REALobject y, REALobject x) {
    if (x == nullptr) return nullptr;
    if (y == nullptr) {
        raise(kNilObject);
        return nullptr;
    }
    REALobject r = newDec();
    if (r == nullptr) return nullptr;
    return refusedUnless(atan2ToDigits(dec(r), dec(y), dec(x)), r);
}

REALobject PowD_Dec(double x, REALobject y) {
    if (y == nullptr || !finiteDouble(x)) return nullptr;
    return powerOf(newDec(), operand(x), operand(dec(y)));
}

REALobject convertCurrToDec(HostCurrency c) {
    REALobject r = newDec();
    if (r) getDec_Curr(dec(r), c);
    return r;
}

HostCurrency convertDecToCurr(REALobject x) {
    if (x == nullptr) {
        raise(kNilObject);
        return 0;
    }
    long long c = 0;
    if (getCurr_Dec(c, dec(x))) return c;
    raise(kDecToCurrOverflow);
    return 0;
}

// ---- settings

void SetDecPrec(HostInteger n) {
    std::int32_t v = lowHalf(n);
    // 4|n| must fit 32 bits; the most negative value has no 32-bit magnitude either.
    constexpr std::int32_t kMaxDigits = INT32_MAX / 4;
    std::int32_t digits = v < -kMaxDigits || v > kMaxDigits ? kMaxDigits : (v < 0 ? -v : v);
    globalBitPrecision = 4 * digits;
    blockPrec = globalBitPrecision / 32 + 1;
}
std::int32_t GetDecPrec() { return globalBitPrecision / 4; }
void SetScale(HostInteger n) { scale = lowHalf(n); }
std::int32_t GetScale() { return scale; }

// ---- registration

REALclassDefinition DecClass = [] {
    REALclassDefinition c{};
    c.version = kHostPluginVersion;
    c.name = "Decimal";
    c.dataSize = sizeof(DecData);
    c.constructor = fn(&DecConstructor);
    c.destructor = fn(&DecDestructor);
    c.methods = DecMethods;
    c.methodCount = kDecMethodCount;
    return c;
}();
REALclassDefinition BadInputExceptionClass = exceptionClass(kBadInput);
REALclassDefinition DivideByZeroExceptionClass = exceptionClass(kDivideByZero);
REALclassDefinition NilObjectExceptionClass = exceptionClass(kNilObject);
REALclassDefinition NegativeNumberExceptionClass = exceptionClass(kNegativeNumber);
REALclassDefinition BadEntryNumberExceptionClass = exceptionClass(kBadEntryNumber);
REALclassDefinition DecToCurrOverflowExceptionClass = exceptionClass(kDecToCurrOverflow);

HostMethodEntry DecMethods[kDecMethodCount] = {
    {fn(&DecReset), nullptr, "Constructor()", kFlags, 0, 0},
    {fn(&DecConstructor2), nullptr, "Constructor(inputString As String)", kFlags, 0, 0},
    {fn(&DecConstructor3), nullptr, "Constructor(x As Double)", kFlags, 0, 0},
    {fn(&DecFree), nullptr, "DecFree()", kFlags, 0, 0},
    {fn(&DecDestructor), nullptr, "Destructor()", kFlags, 0, 0},
    {fn(&DecToS), nullptr, "Str() As String", kFlags, 0, 0},
    {fn(&DecToS2), nullptr, "DecStr() As String", kFlags, 0, 0},
    {fn(&convertDecToDec), nullptr, "Operator_Convert() As Decimal", kFlags, 0, 0},
    {fn(&convertDoubleToDec), nullptr, "Operator_Convert(x As Double)", kFlags, 0, 0},
    {fn(&convertDecToDouble), nullptr, "Operator_Convert() As Double", kFlags, 0, 0},
    {fn(&NegateDec), nullptr, "Operator_Negate() As Decimal", kFlags, 0, 0},
    {fn(&AddDec_Dec), nullptr, "Operator_Add(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&SubDec_Dec), nullptr, "Operator_Subtract(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&MulDec_Dec), nullptr, "Operator_Multiply(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&DivDec_Dec), nullptr, "Operator_Divide(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&AddDec_D), nullptr, "Operator_Add(x As double) As Decimal", kFlags, 0, 0},
    {fn(&AddDec_D), nullptr, "Operator_AddRight(x As Double) As Decimal", kFlags, 0, 0},
    {fn(&SubDec_D), nullptr, "Operator_Subtract(x As double) As Decimal", kFlags, 0, 0},
    {fn(&SubD_Dec), nullptr, "Operator_SubtractRight(x As Double) As Decimal", kFlags, 0, 0},
    {fn(&MulDec_D), nullptr, "Operator_Multiply(x As double) As Decimal", kFlags, 0, 0},
    {fn(&MulDec_D), nullptr, "Operator_MultiplyRight(x As Double) As Decimal", kFlags, 0, 0},
    {fn(&DivDec_D), nullptr, "Operator_Divide(x As double) As Decimal", kFlags, 0, 0},
    {fn(&DivD_Dec), nullptr, "Operator_DivideRight(x As Double) As Decimal", kFlags, 0, 0},
    {fn(&AddDec_I), nullptr, "Operator_Add(x As Integer) As Decimal", kFlags, 0, 0},
    {fn(&AddDec_I), nullptr, "Operator_AddRight(x As Integer) As Decimal", kFlags, 0, 0},
    {fn(&SubDec_I), nullptr, "Operator_Subtract(x As Integer) As Decimal", kFlags, 0, 0},
    {fn(&SubI_Dec), nullptr, "Operator_SubtractRight(x As Integer) As Decimal", kFlags, 0, 0},
    {fn(&MulDec_I), nullptr, "Operator_Multiply(x As Integer) As Decimal", kFlags, 0, 0},
    {fn(&MulDec_I), nullptr, "Operator_MultiplyRight(x As Integer) As Decimal", kFlags, 0, 0},
    {fn(&DivDec_I), nullptr, "Operator_Divide(x As Integer) As Decimal", kFlags, 0, 0},
    {fn(&DivI_Dec), nullptr, "Operator_DivideRight(x As Integer) As Decimal", kFlags, 0, 0},
    {fn(&PowDec_Dec), nullptr, "Operator_Power(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&PowDec_D), nullptr, "Operator_Power(y As Double) As Decimal", kFlags, 0, 0},
    {fn(&PowDec_INT32), nullptr, "Operator_Power(y As Integer) As Decimal", kFlags, 0, 0},
    {fn(&PowD_Dec2), nullptr, "Operator_PowerRight(x As double) As Decimal", kFlags, 0, 0},
    {fn(&CompareDec_Dec), nullptr, "Operator_Compare(x As Decimal) As Integer", kFlags, 0, 0},
    {fn(&CompareDec_D), nullptr, "Operator_Compare(x As Double) As Integer", kFlags, 0, 0},
};

HostMethodEntry otherDecMethods[kOtherDecMethodCount] = {
    {fn(&SetDecPrec), nullptr, "DecSetPrecision(DecPrec As Integer)", kFlags, 0, 0},
    {fn(&GetDecPrec), nullptr, "DecGetPrecision() As Integer", kFlags, 0, 0},
    {fn(&SetScale), nullptr, "DecSetScale(DecPrec As Integer)", kFlags, 0, 0},
    {fn(&GetScale), nullptr, "DecGetScale() As Integer", kFlags, 0, 0},
    {fn(&DecToS2), nullptr, "DecStr(x As Decimal) As String", kFlags, 0, 0},
    {fn(&DecToS), nullptr, "Str(x As Decimal) As String", kFlags, 0, 0},
    {fn(&SqrDec), nullptr, "Sqr(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&SqrtDec), nullptr, "Sqrt(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&LogDec), nullptr, "Log(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&Log2Dec), nullptr, "Lg2(x As Decimal) As Integer", kFlags, 0, 0},
    {fn(&ExpDec), nullptr, "Exp(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&SinDec), nullptr, "Sin(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&CosDec), nullptr, "Cos(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&TanDec), nullptr, "Tan(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&ASinDec), nullptr, "ASin(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&ACosDec), nullptr, "ACos(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&ATanDec), nullptr, "ATan(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&ATan2Dec), nullptr, "ATan2(y As Decimal, x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&SinhDec), nullptr, "Sinh(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&CoshDec), nullptr, "Cosh(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&TanhDec), nullptr, "Tanh(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&ASinhDec), nullptr, "ASinh(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&ACoshDec), nullptr, "ACosh(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&ATanhDec), nullptr, "ATanh(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&PowDec_Dec), nullptr, "Pow(x As Decimal, y As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&PowDec_D), nullptr, "Pow(x As Decimal, y As Double) As Decimal", kFlags, 0, 0},
    {fn(&PowD_Dec), nullptr, "Pow(x As Double, y As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&convertCurrToDec), nullptr, "DecimalFromCurrency(x As Currency) As Decimal", kFlags, 0, 0},
    {fn(&convertDecToCurr), nullptr, "DecimalToCurrency(x As Decimal) As Currency", kFlags, 0, 0},
};

void PluginEntry() {
    REALclassDefinition* const exceptions[] = {&BadInputExceptionClass,       &DivideByZeroExceptionClass,
                                               &NilObjectExceptionClass,      &NegativeNumberExceptionClass,
                                               &BadEntryNumberExceptionClass, &DecToCurrOverflowExceptionClass};
    SetClassConsoleSafe(&DecClass);
    for (auto* c : exceptions) SetClassConsoleSafe(c);
    REALRegisterClass(&DecClass);
    for (auto* c : exceptions) REALRegisterClass(c);
    for (auto const& m : otherDecMethods) REALRegisterMethod(&m);
    globalBitPrecision = 128;
    blockPrec = 5;
    scale = 5;
    nullString = REALBuildStringWithEncoding(nullptr, 0, kEncodingUTF8);
    ten = 10;
    five = 5;
}
