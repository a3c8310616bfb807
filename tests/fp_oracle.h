// Exact rationals and MPFR as the oracle for the floating-point layer: owned mpq and
// mpfr values, fp values as rationals, fp records built from GMP integers or raw words,
// and the blockPrec guard. Header-only, shared by the test suites.
#ifndef VANTREL_TESTS_FP_ORACLE_H
#define VANTREL_TESTS_FP_ORACLE_H

#include <gmp.h>
#include <gtest/gtest.h>
#include <mpfr.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "fp.h"
#include "gmp_oracle.h"

namespace oracle {

// Sets blockPrec for one scope and puts the old value back, even when an assertion fails.
class PrecScope {
public:
    explicit PrecScope(int32 bp) : saved_(blockPrec) { blockPrec = bp; }
    ~PrecScope() { blockPrec = saved_; }
    PrecScope(PrecScope const&) = delete;
    PrecScope& operator=(PrecScope const&) = delete;

private:
    int32 saved_;
};

// An owned GMP rational. Converts implicitly to mpq_ptr / mpq_srcptr.
class Mpq {
public:
    Mpq() { mpq_init(v_); }
    // "n" or "n/d" in decimal, canonicalised.
    explicit Mpq(char const* text) {
        mpq_init(v_);
        if (mpq_set_str(v_, text, 10) != 0) ADD_FAILURE() << "bad rational text: " << text;
        mpq_canonicalize(v_);
    }
    Mpq(Mpq const& o) {
        mpq_init(v_);
        mpq_set(v_, o.v_);
    }
    Mpq& operator=(Mpq const& o) {
        mpq_set(v_, o.v_);
        return *this;
    }
    ~Mpq() { mpq_clear(v_); }
    operator mpq_ptr() { return v_; }
    operator mpq_srcptr() const { return v_; }
    // Lets GMP's macros (mpq_sgn, mpq_numref, mpq_denref) take an Mpq directly.
    mpq_ptr operator->() { return v_; }
    mpq_srcptr operator->() const { return v_; }
    std::string str() const {
        std::vector<char> buf(mpz_sizeinbase(mpq_numref(v_), 10) + mpz_sizeinbase(mpq_denref(v_), 10) + 3);
        mpq_get_str(buf.data(), 10, v_);
        return std::string(buf.data());
    }

private:
    mpq_t v_;
};

// An owned MPFR value of a given precision.
class Mpfr {
public:
    explicit Mpfr(mpfr_prec_t p) { mpfr_init2(v_, p); }
    ~Mpfr() { mpfr_clear(v_); }
    Mpfr(Mpfr const&) = delete;
    Mpfr& operator=(Mpfr const&) = delete;
    mpfr_ptr get() { return v_; }

private:
    mpfr_t v_;
};

// MPFR with the widest exponent range for one scope.
class MpfrRange {
public:
    MpfrRange() : emin_(mpfr_get_emin()), emax_(mpfr_get_emax()) {
        mpfr_set_emin(mpfr_get_emin_min());
        mpfr_set_emax(mpfr_get_emax_max());
    }
    ~MpfrRange() {
        mpfr_set_emin(emin_);
        mpfr_set_emax(emax_);
    }
    MpfrRange(MpfrRange const&) = delete;
    MpfrRange& operator=(MpfrRange const&) = delete;

private:
    mpfr_exp_t emin_, emax_;
};

// m * 2^e exactly.
inline Mpq ratio(mpz_srcptr m, int64 e) {
    Mpq q;
    mpq_set_z(q, m);
    if (e > 0) mpq_mul_2exp(q, q, static_cast<mp_bitcnt_t>(e));
    if (e < 0) mpq_div_2exp(q, q, static_cast<mp_bitcnt_t>(-e));
    return q;
}

// mantissa * 2^exponent exactly.
inline Mpq valueOf(fp const& x) { return ratio(toMpz(x.mantissa), x.exponent); }

inline Mpq valueOf(mb const& m) { return ratio(toMpz(m), 0); }

// r := x, rounded to nearest at r's precision.
inline void setMpfr(mpfr_ptr r, fp const& x) {
    mpfr_set_z(r, toMpz(x.mantissa), MPFR_RNDN);
    mpfr_mul_2si(r, r, x.exponent, MPFR_RNDN);
}

// The value of r exactly, its significand as the mantissa (zero for a zero r).
inline fp fpOfMpfr(mpfr_srcptr r) {
    fp x;
    if (mpfr_zero_p(r)) return x;
    Mpz m;
    mpfr_exp_t e = mpfr_get_z_2exp(m, r);
    fromMpz(x.mantissa, m);
    x.exponent = static_cast<int32>(e);
    return x;
}

// One line on the record for failure messages: the mantissa record and the exponent.
inline std::string show(fp const& x) {
    std::ostringstream os;
    os << describe(x.mantissa) << " * 2^" << x.exponent;
    return os.str();
}

// x := m * 2^e with an exact-size mantissa, plus `slack` garbage words past length.
inline void setFp(fp& x, mpz_srcptr m, int32 e, int32 slack = 0) {
    fromMpz(x.mantissa, m, slack);
    x.exponent = e;
}

inline fp fpOf(mpz_srcptr m, int32 e, int32 slack = 0) {
    fp x;
    setFp(x, m, e, slack);
    return x;
}

// The mantissa as GMP reads it with base 0: "0x...", "-123", ...
inline fp fpOf(char const* m, int32 e, int32 slack = 0) { return fpOf(Mpz(m), e, slack); }

// x := the given words and sign (zero top words allowed, `slack` garbage words past
// length) times 2^e, the record taken over as it is: assignment would copy it to an
// exact-size array.
inline void setRecord(fp& x, std::vector<uint32> const& w, bool negative, int32 e, int32 slack = 0) {
    mb m = makeRecord(w, negative, slack);
    clearRecord(x.mantissa);
    x.mantissa.allocated = m.allocated;
    x.mantissa.length = m.length;
    x.mantissa.blocks = m.blocks;
    m.allocated = 0;
    m.length = 0;
    m.blocks = nullptr;
    x.exponent = e;
}

// Both records hold the same representation: sign, mantissa words and exponent.
inline ::testing::AssertionResult sameFp(fp const& a, fp const& b) {
    if (a.mantissa.length != b.mantissa.length || wordsOf(a.mantissa) != wordsOf(b.mantissa) ||
        a.exponent != b.exponent)
        return ::testing::AssertionFailure() << show(a) << " differs from " << show(b);
    return ::testing::AssertionSuccess();
}

// 10^e exactly; |e| fits an unsigned long (decimal exponents are 32-bit).
inline Mpq pow10q(long long e) {
    Mpz p;
    mpz_ui_pow_ui(p, 10, static_cast<unsigned long>(e < 0 ? -e : e));
    Mpq q;
    mpq_set_z(q, p);
    if (e < 0) mpq_inv(q, q);
    return q;
}

// The exact value of a decimal text such as "-12.5e3", "-125e2" or "1.5E+07".
inline Mpq valueOfText(std::string const& t) {
    auto e = t.find_first_of("eE");
    std::string m = t.substr(0, e);
    long x = e == std::string::npos ? 0 : std::stol(t.substr(e + 1));
    if (auto dot = m.find('.'); dot != std::string::npos) {
        x -= static_cast<long>(m.size() - dot - 1);
        m.erase(dot, 1);
    }
    if (m.empty() || m == "-" || m == "+") m += "0";
    if (m[0] == '+') m.erase(0, 1);
    Mpq q(m.c_str());
    mpq_mul(q, q, pow10q(x));
    return q;
}

// The 14-significant-digit image of a double, as "%.13e" prints it (the decimal layer's rule).
inline Mpq fourteenDigits(double x) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.13e", x);
    return valueOfText(buf);
}

// Sets a locale whose decimal point is a comma, compiling one into a scratch
// directory with localedef when none is installed. Returns false when neither works.
inline bool commaLocale(std::string& scratch) {
    for (char const* n : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "German"})
        if (std::setlocale(LC_NUMERIC, n) != nullptr) return true;
#ifdef _WIN32
    (void)scratch;
    return false;
#else
    char dir[] = "/tmp/vantrel-locale-XXXXXX";
    if (mkdtemp(dir) == nullptr) return false;
    scratch = dir;
    std::string cmd = "localedef -i de_DE -f UTF-8 " + scratch + "/de_DE.UTF-8 >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) return false;
    setenv("LOCPATH", scratch.c_str(), 1);
    return std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
#endif
}

// Back to the C locale; removes the scratch directory that commaLocale made.
inline void leaveCommaLocale(std::string const& scratch) {
    std::setlocale(LC_NUMERIC, "C");
#ifndef _WIN32
    if (!scratch.empty()) {
        unsetenv("LOCPATH");
        if (std::system(("rm -rf " + scratch).c_str()) != 0) ADD_FAILURE() << "could not remove " << scratch;
    }
#endif
}

// The library's malloc'd text, freed.
inline std::string owned(char* s) {
    std::string r(s);
    std::free(s);
    return r;
}

// r := x exactly, r's precision widened to every bit of x and 32 more.
inline void exactMpfr(mpfr_ptr r, fp const& x) {
    mpfr_set_prec(r, 32 * (absLength(x.mantissa) + 1));
    mpfr_set_z_2exp(r, toMpz(x.mantissa), x.exponent, MPFR_RNDN);
}

// The n-digit half-up rounding of |x| as D x 10^E, trailing zeros dropped, then the
// text by the form rules (E > 3 or E < -3 - L: exponent form).
inline std::string decimalText(Mpq const& x, int n) {
    if (mpq_sgn(static_cast<mpq_srcptr>(x)) == 0 || n <= 0) return "0";
    Mpq a;
    mpq_abs(a, x);
    long e = static_cast<long>(std::floor(std::log10(mpq_get_d(a)))) - n + 1;  // estimate, then fixed
    Mpz d, ten(10), p;
    for (;;) {
        Mpq s(a), f;
        mpz_pow_ui(p, ten, static_cast<unsigned long>(std::labs(e)));
        mpq_set_z(f, p);
        e >= 0 ? mpq_div(s, s, f) : mpq_mul(s, s, f);
        mpq_set_ui(f, 1, 2);
        mpq_add(s, s, f);
        mpz_fdiv_q(d, mpq_numref(static_cast<mpq_ptr>(s)), mpq_denref(static_cast<mpq_ptr>(s)));
        long len = static_cast<long>(d.str().size());
        if (len == n) break;
        e += len > n ? 1 : -1;
    }
    std::string D = d.str();
    while (D.size() > 1 && D.back() == '0') D.pop_back(), ++e;
    long L = static_cast<long>(D.size());
    std::string out = mpq_sgn(static_cast<mpq_srcptr>(x)) < 0 ? "-" : "";
    if (e > 3 || e < -3 - L) return out + D.substr(0, 1) + "." + D.substr(1) + "e" + std::to_string(e + L - 1);
    if (e >= 0) return out + D + std::string(static_cast<std::size_t>(e), '0');
    if (e > -L) return out + D.substr(0, static_cast<std::size_t>(L + e)) + "." + D.substr(static_cast<std::size_t>(L + e));
    return out + "0." + std::string(static_cast<std::size_t>(-L - e), '0') + D;
}

}  // namespace oracle

#endif
