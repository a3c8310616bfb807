// The Bernoulli-number table, checked by a road independent of its generator
// (tools/gen_bernoulli.py, whose output CTest compares with the committed file): loaded at
// a precision that holds every entry exactly, the entries meet the defining recurrence in
// exact rationals, have the denominators of von Staudt-Clausen and the known sizes.
#include <gtest/gtest.h>

#include <gmp.h>

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
    EXPECT_EQ(mpz_cmp_ui(mpq_denref(static_cast<mpq_srcptr>(q)), 1), 0) << show(x);
    Mpz z;
    mpz_set(z, mpq_numref(static_cast<mpq_srcptr>(q)));
    return z;
}

// The table loaded at `words` (B_1000's numerator needs 185), as B_2k = num[k] / den[k].
struct Table {
    std::vector<Mpz> num, den;
    std::vector<Mpq> b;
    explicit Table(int32 words) {
        PrecScope prec(words);
        std::vector<fp> n(kBernoulliEntries), d(kBernoulliEntries);
        loadNumbers(n.data(), d.data());
        EXPECT_EQ(blockPrec, words);
        for (int k = 0; k <= kLast; ++k) {
            num.push_back(integerOf(n[k]));
            den.push_back(integerOf(d[k]));
            b.emplace_back();
            mpq_set_num(b.back(), num.back());
            mpq_set_den(b.back(), den.back());
        }
    }
};

Table const& exact() {
    static Table const t(200);
    return t;
}

TEST(Bernoulli, KnownEntriesSignsLowestTermsAndSizes) {
    Table const& t = exact();
    char const* const known[] = {"1", "1/6", "-1/30", "1/42", "-1/30", "5/66", "-691/2730", "7/6", "-3617/510"};
    size_t chars = 0, widest = 0, widestAt = 0;
    for (int k = 0; k <= kLast; ++k) {
        if (k < 9) {
            EXPECT_EQ(t.b[k].str(), known[k]);
        }
        Mpz g;
        mpz_gcd(g, t.num[k], t.den[k]);
        EXPECT_EQ(mpz_cmp_ui(g, 1), 0) << "B_" << 2 * k;
        EXPECT_GT(t.den[k].sign(), 0) << "B_" << 2 * k;
        EXPECT_EQ(t.num[k].sign(), k == 0 || k % 2 == 1 ? 1 : -1) << "B_" << 2 * k;
        size_t n = t.num[k].str().size(), d = t.den[k].str().size();  // str() has the sign
        chars += n + d;
        if (d > widest) {
            widest = d;
            widestAt = static_cast<size_t>(k);
        }
    }
    EXPECT_EQ(t.num[kLast].str().size(), 1780u);  // "-" and 1779 digits, 5908 bits
    EXPECT_EQ(mpz_sizeinbase(t.num[kLast], 2), 5908u);
    EXPECT_EQ(t.num[499].str().size(), 1767u);
    EXPECT_EQ(widest, 22u);
    EXPECT_EQ(widestAt, 420u);  // B_840
    EXPECT_EQ(chars, 395085u);
}

// sum_{j=0}^{m} C(m+1, j) B_j = 0 for every m >= 1, with B_1 = -1/2 and B_j = 0 for odd
// j >= 3: m = 2k fixes B_2k from those before it, and each odd m checks them once more.
TEST(Bernoulli, DefiningRecurrence) {
    Table const& t = exact();
    Mpq sum, term, half("-1/2");
    Mpz c;
    for (unsigned long m = 1; m <= 2 * kLast + 1; ++m) {
        mpq_set_ui(sum, m + 1, 1);
        mpq_mul(sum, sum, half);
        for (unsigned long j = 0; j <= m; j += 2) {
            mpz_bin_uiui(c, m + 1, j);
            mpq_set_z(term, c);
            mpq_mul(term, term, t.b[j / 2]);
            mpq_add(sum, sum, term);
        }
        ASSERT_EQ(mpq_sgn(static_cast<mpq_srcptr>(sum)), 0) << "m = " << m;
    }
}

// The denominator of B_2k is the product of the primes p with p - 1 dividing 2k, and
// B_2k + the sum of their 1/p is an integer.
TEST(Bernoulli, VonStaudtClausen) {
    Table const& t = exact();
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

// At 5 words a numerator of L > 5 words is rounded at its fifth word from the top, within
// half a unit of it; shorter entries stay exact.
TEST(Bernoulli, LoadAtFiveWords) {
    Table const small(5);
    for (int k = 0; k <= kLast; ++k) {
        EXPECT_EQ(small.den[k], exact().den[k]) << "B_" << 2 * k;
        long words = static_cast<long>((mpz_sizeinbase(exact().num[k], 2) + 31) / 32);
        Mpz err, half;
        mpz_sub(err, small.num[k], exact().num[k]);
        mpz_abs(err, err);
        if (words > 5) mpz_setbit(half, static_cast<mp_bitcnt_t>(32 * (words - 5) - 1));
        EXPECT_LE(mpz_cmp(err, half), 0) << "B_" << 2 * k;
    }
}

}  // namespace
