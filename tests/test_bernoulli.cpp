// The Bernoulli-number table, checked by a road independent of its generator
// (tools/gen_bernoulli.py, whose output CTest compares with the committed file): the
// entries, loaded at a precision that holds every one exactly, meet the defining
// recurrence in exact rationals, their denominators are those of von Staudt-Clausen,
// and their sizes are the known ones (B_1000: 1779 digits; widest denominator: 22).
#include <gtest/gtest.h>

#include <gmp.h>

#include <string>
#include <vector>

#include "fp.h"
#include "fp_oracle.h"
#include "theBernoulliNumbers.h"

namespace {

using namespace oracle;

constexpr int kLast = kBernoulliEntries - 1;  // entry 500 is B_1000

// The integer an fp holds; a fraction is a failure.
Mpz integerOf(fp const& x) {
    Mpq q = valueOf(x);
    EXPECT_EQ(mpz_cmp_ui(mpq_denref(static_cast<mpq_srcptr>(q)), 1), 0) << "not an integer: " << show(x);
    Mpz z;
    mpz_set(z, mpq_numref(static_cast<mpq_srcptr>(q)));
    return z;
}

// The table as GMP values, loaded once at 200 words (B_1000's numerator needs 185).
struct Table {
    std::vector<Mpz> num, den;
    std::vector<Mpq> b;  // num / den
    int32 precAfter = 0;
    Table() {
        PrecScope prec(200);
        std::vector<fp> n(kBernoulliEntries), d(kBernoulliEntries);
        loadNumbers(n.data(), d.data());
        precAfter = blockPrec;
        for (int k = 0; k <= kLast; ++k) {
            num.push_back(integerOf(n[k]));
            den.push_back(integerOf(d[k]));
            Mpq q;
            mpq_set_num(q, num.back());
            mpq_set_den(q, den.back());
            b.push_back(q);
        }
    }
};

Table const& table() {
    static Table const t;
    return t;
}

size_t digits(Mpz const& z) { return absOf(z).str().size(); }

TEST(Bernoulli, KnownEntriesLowestTermsAndSigns) {
    Table const& t = table();
    EXPECT_EQ(t.precAfter, 200);
    char const* const known[][2] = {{"1", "1"},  {"1", "6"},     {"-1", "30"},  {"1", "42"},   {"-1", "30"},
                                    {"5", "66"}, {"-691", "2730"}, {"7", "6"}, {"-3617", "510"}};
    for (int k = 0; k < 9; ++k) {
        EXPECT_EQ(t.num[k].str(), known[k][0]) << "B_" << 2 * k;
        EXPECT_EQ(t.den[k].str(), known[k][1]) << "B_" << 2 * k;
    }
    for (int k = 0; k <= kLast; ++k) {
        Mpz g;
        mpz_gcd(g, t.num[k], t.den[k]);
        EXPECT_EQ(mpz_cmp_ui(g, 1), 0) << "B_" << 2 * k << " not in lowest terms";
        EXPECT_GT(t.den[k].sign(), 0) << "B_" << 2 * k;
        EXPECT_EQ(t.num[k].sign(), k == 0 || k % 2 == 1 ? 1 : -1) << "B_" << 2 * k;
    }
}

// sum_{j=0}^{m} C(m+1, j) B_j = 0 for every m >= 1, with B_1 = -1/2 and B_j = 0 for odd
// j >= 3: m = 2k fixes B_2k from those before it, and each odd m checks them once more.
TEST(Bernoulli, DefiningRecurrence) {
    Table const& t = table();
    Mpq sum, term, half("-1/2");
    Mpz c;
    for (unsigned long m = 1; m <= 2 * kLast + 1; ++m) {
        mpz_bin_uiui(c, m + 1, 1);
        mpq_set_z(sum, c);
        mpq_mul(sum, sum, half);  // the B_1 term
        for (unsigned long j = 0; j <= m; j += 2) {
            mpz_bin_uiui(c, m + 1, j);
            mpq_set_z(term, c);
            mpq_mul(term, term, t.b[j / 2]);
            mpq_add(sum, sum, term);
        }
        ASSERT_EQ(mpq_sgn(static_cast<mpq_srcptr>(sum)), 0) << "recurrence fails at m = " << m;
    }
}

// The denominator of B_2k is the product of the primes p with p - 1 dividing 2k, and
// B_2k + the sum of their 1/p is an integer.
TEST(Bernoulli, VonStaudtClausen) {
    Table const& t = table();
    for (unsigned long k = 1; k <= kLast; ++k) {
        Mpz product(1);
        Mpq sum = t.b[k], inverse;
        for (unsigned long d = 1; d <= 2 * k; ++d) {
            if ((2 * k) % d != 0 || !mpz_probab_prime_p(Mpz(static_cast<long>(d + 1)), 30)) continue;
            mpz_mul_ui(product, product, d + 1);
            mpq_set_ui(inverse, 1, d + 1);
            mpq_add(sum, sum, inverse);
        }
        EXPECT_EQ(t.den[k], product) << "B_" << 2 * k;
        EXPECT_EQ(mpz_cmp_ui(mpq_denref(static_cast<mpq_srcptr>(sum)), 1), 0) << "B_" << 2 * k;
    }
    EXPECT_EQ(t.den[499].str(), "6");
    EXPECT_EQ(t.den[kLast].str(), "342999030");
}

TEST(Bernoulli, Sizes) {
    Table const& t = table();
    EXPECT_EQ(digits(t.num[kLast]), 1779u);
    EXPECT_EQ(mpz_sizeinbase(t.num[kLast], 2), 5908u);
    EXPECT_EQ(digits(t.num[499]), 1767u);
    size_t chars = 0, widest = 0;
    int widestAt = -1;
    for (int k = 0; k <= kLast; ++k) {
        chars += digits(t.num[k]) + (t.num[k].sign() < 0 ? 1 : 0) + digits(t.den[k]);
        if (digits(t.den[k]) > widest) {
            widest = digits(t.den[k]);
            widestAt = k;
        }
    }
    EXPECT_EQ(widest, 22u);
    EXPECT_EQ(widestAt, 420);  // B_840
    EXPECT_EQ(chars, 395085u);
}

// At the default 5 words the long numerators are rounded as every fp value is; the short
// entries stay exact, and blockPrec is what it was.
TEST(Bernoulli, LoadAtDefaultPrecision) {
    Table const& exact = table();
    PrecScope prec(5);
    std::vector<fp> n(kBernoulliEntries), d(kBernoulliEntries);
    loadNumbers(n.data(), d.data());
    EXPECT_EQ(blockPrec, 5);
    EXPECT_EQ(integerOf(n[6]).str(), "-691");
    EXPECT_EQ(integerOf(d[6]).str(), "2730");
    EXPECT_EQ(integerOf(d[kLast]).str(), "342999030");
    EXPECT_LE(absLength(n[kLast].mantissa), 5);
    // |rounded - exact| <= half a unit of the fifth word, below 2^-159 relative.
    Mpq err = valueOf(n[kLast]), exactNum;
    mpq_set_z(exactNum, exact.num[kLast]);
    mpq_sub(err, err, exactNum);
    mpq_div(err, err, exactNum);
    mpq_abs(err, err);
    Mpq bound;
    mpq_set_ui(bound, 1, 1);
    mpq_div_2exp(bound, bound, 159);
    EXPECT_LE(mpq_cmp(err, bound), 0);
    EXPECT_LT(n[kLast].mantissa.length, 0);
}

}  // namespace
