// Copies of fp and setters from integers; conversions between fp and decimal
// text, double and integers.
#include "fpConv.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <clocale>
#include <limits>

#include "fpFuncs.h"
#include "fpMath.h"
#include "mb2Str.h"
#include "mbConv.h"
#include "mbMath.h"

bool init(fp& x) {
    init(x.mantissa);
    x.exponent = 0;
    return true;
}

bool init(fp& x, int n) {
    init(x.mantissa, n);
    x.exponent = 0;
    fpNormalize(x);
    return true;
}

bool init(fp& x, long long n) {
    // long64tomb replaces the value, so a target that already holds words does not leak them.
    long64tomb(x.mantissa, n);
    x.exponent = 0;
    fpNormalize(x);
    return true;
}

void long32tofp(fp& x, int32 n) {
    long32tomb(x.mantissa, n);
    x.exponent = 0;
}

void long64tofp(fp& x, int32 n) {
    long64tomb(x.mantissa, static_cast<long long>(n));
    x.exponent = 0;
}

void equate(fp& z, fp const& x) {
    equate(z.mantissa, x.mantissa);
    z.exponent = x.exponent;
}

void equateWithCare(fp& z, fp const& x) {
    equateWithCare(z.mantissa, x.mantissa);
    z.exponent = x.exponent;
}

void myFree(fp& x) {
    myFree(x.mantissa);
    x.exponent = 0;
}

void equate(fp& z, mb const& m) {
    equate(z.mantissa, m);
    z.exponent = 0;
}

fp abs(fp const& x) {
    fp z;
    equate(z, x);
    if (z.mantissa.length < 0) z.mantissa.length = -z.mantissa.length;
    return z;
}

// ---- decimal text ----

namespace {

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the decimal int that starts t: an optional sign, then every digit up to the
// first non-digit, so no run of leading zeros cuts the value short. False when there
// is no digit or the value lies outside int; reading stops past 2^31, never overflowing.
bool readExponent(char const* t, int64& value) {
    std::size_t i = 0;
    bool negative = false;
    if (t[i] == '+' || t[i] == '-') negative = t[i++] == '-';
    if (!isDigit(t[i])) return false;
    int64 v = 0;
    for (; isDigit(t[i]); ++i) {
        v = v * 10 + (t[i] - '0');
        if (v > int64(1) << 31) return false;
    }
    if (negative) v = -v;
    if (v > std::numeric_limits<int>::max() || v < std::numeric_limits<int>::min()) return false;
    value = v;
    return true;
}

}  // namespace

bool checkInputString(char const* s) {
    if (s == nullptr || s[0] == '\0') return false;
    for (char const* p = s; *p != '\0'; ++p)
        if (!isDigit(*p) && *p != '+' && *p != '-' && *p != '.' && *p != 'E' && *p != 'e') return false;

    char const* letter = s;
    while (*letter != '\0' && *letter != 'E' && *letter != 'e') ++letter;
    std::size_t m = std::size_t(letter - s);  // mantissa part: s[0, m)
    bool hasExponent = *letter != '\0';
    if (m == 0) return false;
    if (hasExponent) {
        char last = s[m - 1];
        if (!isDigit(last) && !(last == '.' && m >= 2 && isDigit(s[m - 2]))) return false;
    }
    int points = 0;
    for (std::size_t i = 0; i < m; ++i) {
        if ((s[i] == '+' || s[i] == '-') && i > 0) return false;
        if (s[i] == '.' && ++points > 1) return false;
    }
    if (!hasExponent) return true;

    char const* e = letter + 1;
    if (e[0] == '.') return false;
    if (e[0] == '\0' || e[1] == '\0') return true;  // too short to test; the reader decides
    for (char const* p = e + 1; *p != '\0'; ++p)
        if (!isDigit(*p)) return false;
    return true;
}

bool fpConvFromString(fp& z, char const* s) {
    static fp ten, p;
    static bool initGood = false;
    if (!initGood) {
        long32tofp(ten, 10);
        initGood = true;
    }
    if (s == nullptr || s[0] == '\0' || !checkInputString(s)) return false;

    std::size_t n = std::strlen(s);
    char* copy = copyText(s, n);
    int64 e10 = 0;
    char* letter = copy;
    while (*letter != '\0' && *letter != 'E' && *letter != 'e') ++letter;
    if (*letter != '\0') {
        if (!readExponent(letter + 1, e10)) {
            std::free(copy);
            return false;
        }
        *letter = '\0';
    }
    // The digits after the point move one place left over it: 12.5 becomes 125
    // with one power of ten less.
    if (char* point = std::strchr(copy, '.')) {
        char* q = point;
        while (isDigit(q[1])) {
            q[0] = q[1];
            ++q;
            --e10;
        }
        *q = '\0';
    }
    // A number needs a digit: ".", "+" and "-" pass the syntax test but are refused.
    // The span bound keeps every binary exponent met below within about 2^30 + the
    // working precision, far inside int32, and the time of the scaling bounded.
    char const* digits = copy + ((copy[0] == '+' || copy[0] == '-') ? 1 : 0);
    bool anyDigit = *digits != '\0';
    while (*digits == '0') ++digits;
    std::size_t significant = std::strlen(digits);
    if (anyDigit && significant == 0) {
        // Zero whatever the exponent: nothing to scale.
        std::free(copy);
        myFree(z.mantissa);
        z.exponent = 0;
        return true;
    }
    int64 span = (e10 < 0 ? -e10 : e10) + int64(significant);
    if (!anyDigit || significant > std::size_t(kMaxDecimalSpan) || span > kMaxDecimalSpan) {
        std::free(copy);
        return false;
    }
    bool ok = mbConvFromStr(z.mantissa, copy);
    std::free(copy);
    z.exponent = 0;
    if (!ok) return false;

    int32 saved = blockPrec;
    if (blockPrec < std::numeric_limits<int32>::max()) ++blockPrec;
    if (!power(p, ten, static_cast<int>(e10))) {
        blockPrec = saved;
        return false;
    }
    mul(z, z, p);
    blockPrec = saved;
    return true;
}

bool init(fp& x, char const* s) {
    init(x);
    if (!fpConvFromString(x, s)) return false;
    fpNormalize(x);
    return true;
}

bool equate(fp& x, char const* s) {
    if (x.mantissa.allocated != 0 && x.mantissa.blocks != nullptr) myFree(x.mantissa);
    return init(x, s);
}

bool init(fp& x, double d) {
    init(x);
    if (d == 0.0) return true;
    // A whole number within int reads to the same value and words through its text;
    // skip the text.
    if (d == std::trunc(d) && std::fabs(d) < 2147483648.0) return init(x, static_cast<int>(d));
    char text[64];
    std::snprintf(text, sizeof text, "%.17e", d);
    // A locale may print another radix character (even several bytes): whatever
    // stands between the first digit and the next one becomes ".".
    char* first = text;
    while (*first != '\0' && !isDigit(*first)) ++first;
    if (*first != '\0' && first[1] != '.' && first[1] != '\0' && !isDigit(first[1])) {
        char* next = first + 1;
        while (*next != '\0' && !isDigit(*next)) ++next;
        first[1] = '.';
        std::memmove(first + 2, next, std::strlen(next) + 1);
    }
    // Zeros just before the exponent go, never the point or the first digit.
    char* e = std::strchr(text, 'e');
    if (*first != '\0' && first[1] == '.' && e != nullptr && e > first + 1) {
        char* end = e;
        while (end - 1 > first + 1 && end[-1] == '0') --end;
        if (end != e) std::memmove(end, e, std::strlen(e) + 1);
    }
    return init(x, static_cast<char const*>(text));
}

bool equate(fp& x, double d) {
    if (x.mantissa.allocated != 0 && x.mantissa.blocks != nullptr) myFree(x.mantissa);
    return init(x, d);
}

// ---- integers ----

void equate(mb& z, fp const& x) {
    int32 e = x.exponent;  // read first: z may be x's own mantissa
    equate(z, x.mantissa);
    // The shifts take their count by magnitude, so a negative exponent shifts right.
    if (e < 0)
        mbShiftRight(z, z, e);
    else if (e > 0)
        mbShiftLeft(z, z, e);
}

bool equate(int& v, fp const& x) {
    static mb m;
    v = 0;
    mb const& xm = x.mantissa;
    int32 n = effLen(xm);
    if (n == 0) return true;
    // Bit length of the integer part; past 31 bits it cannot fit, and building it
    // could take as much memory as the exponent says.
    int64 bits = int64(n - 1) * 32 + NumBits(static_cast<unsigned int>(xm.blocks[n - 1])) + x.exponent;
    if (bits > 31) return false;
    equate(m, x);
    if (m.length != 1 && m.length != -1) return false;
    uint32 w = m.blocks[0];
    if (w >= 0x80000000u) return false;
    v = m.length < 0 ? -static_cast<int>(w) : static_cast<int>(w);
    fp back;
    equate(back, m);
    return compare(back, x) == 0;
}

// ---- decimal digits and power of ten ----

namespace {

// The work of fpToStr2 before its digits: xtInt := |x| x 10^k rounded half up to an
// integer of at most nDigits digits, or 10^nDigits (nDigits > 0, x nonzero). False when
// the scaling loops hit their caps with |x| x 10^k still too large.
bool scaledDigits(mb& xtInt, int64& k, bool& negative, fp const& x, int nDigits) {
    static fp xt, log_2_10, ten, pointFive;
    static bool initGood = false;
    // The estimates and powers of ten of the last call: the same inputs give the same
    // values, and a run of results at one precision needs them again.
    static int lastDigits = 0, lastLg = 0;
    static int32 lastWords = 0, lastEst = 0;
    static fp P, Q;
    static int32 pDigits = -1, pPrec = 0, qEst = 0, qPrec = 0;
    if (!initGood) {
        long32tofp(ten, 10);
        long32tofp(pointFive, 1);
        pointFive.exponent = -1;
        init(log_2_10, 3.321928094887362);
        initGood = true;
    }
    equateWithCare(xt, x);
    int32 saved = blockPrec;

    // Estimates at a small precision: the words that nDigits digits need, and the
    // decimal exponent of x to within a step or two.
    int lg = Lg2(x);
    int32 words, est;
    if (lastDigits == nDigits && lastLg == lg) {
        words = lastWords;
        est = lastEst;
    } else {
        int bitsNeeded = std::max(NumBits(nDigits), NumBits(lg));
        blockPrec = std::max(1, (bitsNeeded + 10) / 32);
        fp a, thirtyTwo, b;
        init(a, nDigits);
        mul(a, log_2_10, a);
        init(thirtyTwo, 32);
        div(a, a, thirtyTwo);
        words = to_long(a);
        init(b, lg);
        div(b, b, log_2_10);
        est = to_long(b);
        lastDigits = nDigits;
        lastLg = lg;
        lastWords = words;
        lastEst = est;
    }

    blockPrec = words + 2;
    negative = xt.mantissa.length < 0;
    if (negative) xt.mantissa.length = -xt.mantissa.length;

    if (pDigits != nDigits || pPrec != blockPrec) {
        power(P, ten, nDigits);
        pDigits = nDigits;
        pPrec = blockPrec;
    }
    if (qEst != est || qPrec != blockPrec) {
        power(Q, ten, est);
        qEst = est;
        qPrec = blockPrec;
    }
    div(xt, xt, Q);
    mul(xt, xt, P);
    k = int64(nDigits) - est;
    // The estimate is off by a step or two at most; the caps only matter for values
    // whose exponents were held at the ends of their range, and keep the time bounded.
    for (int i = 0; i < 64 && compare(xt, P) < 0; ++i) {
        mul(xt, xt, ten);
        ++k;
    }
    for (int i = 0; i < 64 && compare(xt, P) >= 0; ++i) {
        div(xt, xt, ten);
        --k;
    }
    bool settled = compare(xt, P) < 0;
    add(xt, xt, pointFive);
    equate(xtInt, xt);
    blockPrec = saved;
    return settled;
}

}  // namespace

char* fpToStr2(int& e10, fp const& x, int nDigits) {
    static mb xtInt;
    if (nDigits <= 0 || effLen(x.mantissa) == 0) {
        e10 = 0;
        return copyText("0", 1);
    }
    int64 k = 0;
    bool negative = false;
    scaledDigits(xtInt, k, negative, x, nDigits);

    // The low nDigits + 1 digits of xtInt (all of them unless the scaling hit its caps),
    // leading zeros of that cut included, then trailing zeros dropped but the last digit.
    std::size_t count = 0;
    char* all = nullptr;
    char const* digits = "";
    if (xtInt.length != 0) {
        all = mb2Str(xtInt);
        std::size_t len = std::strlen(all);
        count = std::min(len, std::size_t(nDigits) + 1);
        digits = all + (len - count);
    }
    std::size_t zeros = 0;
    while (zeros + 1 < count && digits[count - 1 - zeros] == '0') ++zeros;
    char* out = allocText(count + 3);
    std::size_t pos = 0;
    if (negative) out[pos++] = '-';
    std::memcpy(out + pos, digits, count - zeros);
    pos += count - zeros;
    if (count == 0) out[pos++] = '0';
    out[pos] = '\0';
    std::free(all);

    e10 = clampExponent(int64(zeros) - k);  // int is int32 here
    return out;
}

void fpToDecimal(int& e10, mb& m, fp const& x, int nDigits) {
    static mb t;
    static uint32 const pow10[9] = {1u, 10u, 100u, 1000u, 10000u, 100000u, 1000000u, 10000000u, 100000000u};
    if (nDigits <= 0 || effLen(x.mantissa) == 0) {
        e10 = 0;
        m = 0;
        return;
    }
    int64 k = 0;
    bool negative = false;
    if (!scaledDigits(m, k, negative, x, nDigits)) {
        // The scaling hit its caps: the digits are whatever the text form keeps.
        char* text = fpToStr2(e10, x, nDigits);
        mbConvFromStr(m, text);
        std::free(text);
        return;
    }
    // m has at most nDigits + 1 digits: drop its trailing zeros by the largest power
    // of ten that divides it, nine at a time, then the rest at once.
    int64 zeros = 0;
    if (m.length != 0) {
        uint32 r;
        while ((r = static_cast<uint32>(mbShortDiv(t, m, 1000000000u))) == 0) {
            equate(m, t);
            zeros += 9;
        }
        int j = 0;
        while (j < 8 && r % pow10[j + 1] == 0) ++j;
        if (j > 0) {
            mbShortDiv(m, m, pow10[j]);
            zeros += j;
        }
        if (negative) m.length = -m.length;
    }
    e10 = clampExponent(zeros - k);
}

// ---- text for people ----

namespace {

// Beyond the digits a value can hold, more digits only cost quadratic time in the
// integer writer; the count is held here (and the process stays responsive).
int boundedDigits(int n) {
    int64 words = blockPrec < 1 ? 1 : blockPrec;
    int64 cap = std::max<int64>(100000, 12 * words);
    return n > cap ? static_cast<int>(cap) : n;
}

}  // namespace

char* fpToStr(fp const& x, int n) {
    static fp ten;
    static bool initGood = false;
    if (!initGood) {
        init(ten, 10.0);
        initGood = true;
    }
    if (effLen(x.mantissa) == 0 || n <= 0) return copyText("0", 1);
    n = boundedDigits(n);
    fp t;
    equate(t, x);
    bool negative = t.mantissa.length < 0;
    if (negative) t.mantissa.length = -t.mantissa.length;

    int32 saved = blockPrec;
    // The decimal exponent, to within one, at a small fixed precision.
    blockPrec = 3;
    fp a, b;
    log(a, t);
    log(b, ten);
    div(a, a, b);
    floor(a, a);
    int64 e = to_long(a);

    // Scale so that the integer part holds n + 2 digits (one more or less when the
    // estimate was off).
    blockPrec = saved < 1 ? 2 : (saved < std::numeric_limits<int32>::max() ? saved + 1 : saved);
    int64 k = int64(n) + 1 - e;
    k = std::min<int64>(std::max<int64>(k, std::numeric_limits<int>::min()), std::numeric_limits<int>::max());
    fp w;
    if (pow(w, ten, static_cast<int>(k))) {
        mul(w, t, w);
    } else {
        // Near the ends of the exponent range 10^k alone leaves it: two halves, with a
        // word more for the second rounding and the long powering.
        fp v;
        int32 half = static_cast<int32>(k / 2);
        if (blockPrec < std::numeric_limits<int32>::max()) ++blockPrec;
        pow(w, ten, half);
        mul(w, t, w);
        pow(v, ten, static_cast<int32>(k - half));
        mul(w, w, v);
    }
    blockPrec = saved;

    mb digits;
    equate(digits, w);
    char* s = mb2Str(digits);
    int64 L0 = static_cast<int64>(std::strlen(s));
    if (L0 > int64(n) + 1 || L0 == int64(n) + 1) {
        add(digits, digits, L0 > int64(n) + 1 ? 50 : 5);
        std::free(s);
        s = mb2Str(digits);
        L0 = static_cast<int64>(std::strlen(s));
    }

    // |x| = D x 10^E, D the first n digits without trailing zeros.
    int64 L = std::min<int64>(n, L0);
    int64 E = e + L0 - 2 * int64(n) - 1 + (n - L);
    while (L > 1 && s[L - 1] == '0') {
        --L;
        ++E;
    }
    std::size_t size = std::size_t(n) + 35;
    char* out = allocText(size);
    std::size_t pos = 0;
    if (negative) out[pos++] = '-';
    if (E > 3 || E < -3 - L) {
        out[pos++] = s[0];
        out[pos++] = '.';
        for (int64 i = 1; i < L; ++i) out[pos++] = s[i];
        std::snprintf(out + pos, size - pos, "e%lld", static_cast<long long>(E + L - 1));
    } else if (E >= 0) {
        for (int64 i = 0; i < L; ++i) out[pos++] = s[i];
        for (int64 i = 0; i < E; ++i) out[pos++] = '0';
        out[pos] = '\0';
    } else if (-L < E) {
        for (int64 i = 0; i < L + E; ++i) out[pos++] = s[i];
        out[pos++] = '.';
        for (int64 i = L + E; i < L; ++i) out[pos++] = s[i];
        out[pos] = '\0';
    } else {
        out[pos++] = '0';
        out[pos++] = '.';
        for (int64 i = 0; i < -L - E; ++i) out[pos++] = '0';
        for (int64 i = 0; i < L; ++i) out[pos++] = s[i];
        out[pos] = '\0';
    }
    std::free(s);
    return out;
}

void equate(char*& s, fp const& x, int n) { s = fpToStr(x, n); }

bool equate(double& d, fp const& x) {
    if (effLen(x.mantissa) == 0) {
        d = 0.0;
        return true;
    }
    char* s = fpToStr(x, 16);
    // Read "." as the point whatever the locale says.
    char const* point = std::localeconv()->decimal_point;
    std::size_t pointLen = point == nullptr ? 0 : std::strlen(point);
    char* text = s;
    char* local = nullptr;
    char* dot = std::strchr(s, '.');
    if (dot != nullptr && pointLen > 0 && std::strcmp(point, ".") != 0) {
        std::size_t len = std::strlen(s);
        local = allocText(len + pointLen + 1);
        std::size_t head = std::size_t(dot - s);
        std::memcpy(local, s, head);
        std::memcpy(local + head, point, pointLen);
        std::strcpy(local + head + pointLen, dot + 1);
        text = local;
    }
    double v = 0.0;
    bool ok = std::sscanf(text, "%lg", &v) == 1;
    std::free(local);
    std::free(s);
    d = ok ? v : 0.0;
    // Beyond the double range the text reads as an infinity: kept, but refused as too large.
    return ok && !std::isinf(v);
}

char* GetNumberFromLog(fp const& x) {
    static fp ten;
    static bool initGood = false;
    if (!initGood) {
        init(ten, 10.0);
        initGood = true;
    }
    if (effLen(x.mantissa) == 0) return copyText("1", 1);
    // e^x = 10^q = 10^f x 10^i with i = floor(q), 0 <= f < 1.
    fp q, i, f, m, ln10;
    log(ln10, ten);
    div(q, x, ln10);
    floor(i, q);
    sub(f, q, i);
    pow(m, 10.0, f);
    mb iInt;
    equate(iInt, i);
    char* X = mb2Str(iInt);
    char* M = nullptr;
    if (f.mantissa.length == 0) {
        M = fpToStr(m, decPrec);
    } else {
        int64 k = 8 * int64(blockPrec) - int64(std::strlen(X)) + (i.mantissa.length < 0 ? 1 : 0);
        if (k <= 1)
            M = copyText("1", 1);
        else
            M = fpToStr(m, static_cast<int>(std::min<int64>(k, std::numeric_limits<int>::max())));
    }
    std::size_t size = std::strlen(M) + std::strlen(X) + 10;
    char* out = allocText(size);
    std::snprintf(out, size, "%se%s", M, X);
    std::free(M);
    std::free(X);
    return out;
}
