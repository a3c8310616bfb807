// The Bernoulli-number table, checked by a road independent of its generator
// (tools/gen_bernoulli.py, compared by CTest with the committed file): loaded at a precision
// that holds every entry exactly, the entries meet the defining recurrence in exact
// rationals, have the denominators of von Staudt-Clausen and the known sizes.
#include <gtest/gtest.h>

#include <gmp.h>

#include <vector>

#include "fp.h"
#include "fp_oracle.h"
#include "theBernoulliNumbers.h"

namespace {

using namespace oracle;

constexpr int kLast = kBernoulliEntries - 1;  // entry 500 is B_1000

// The table loaded at `words` (B_1000's numerator needs 185), as B_2k = num[k] / den[k];
// an entry that is not an integer is a failure.
struct Table {
    std::vector<Mpz> num, den;
    explicit Table(int32 words) {
        PrecScope prec(words);
        std::vector<fp> n(kBernoulliEntries), d(kBernoulliEntries);
        loadNumbers(n.data(), d.data());
        EXPECT_EQ(blockPrec, words);
        for (int k = 0; k <= kLast; ++k)
            for (auto [x, out] : {std::pair{&n[k], &num}, {&d[k], &den}}) {
                Mpq q = valueOf(*x);
                EXPECT_EQ(mpz_cmp_ui(mpq_denref(static_cast<mpq_srcptr>(q)), 1), 0) << show(*x);
                out->emplace_back();
                mpz_set(out->back(), mpq_numref(static_cast<mpq_srcptr>(q)));
            }
    }
};

// Per entry: known values, sign, lowest terms, von Staudt-Clausen (the denominator is the
// product of the primes p with p - 1 | 2k, and B_2k + sum 1/p is an integer), and the
// recurrence sum_{j<=m} C(m+1, j) B_j = 0 (B_1 = -1/2, odd B_j = 0 beyond) for m = 2k, which
// fixes B_2k from those before it, and m = 2k + 1, which checks them once more.
TEST(Bernoulli, TableAgainstRecurrenceVonStaudtClausenAndSizes) {
    Table const t(200);
    std::vector<Mpq> b(kBernoulliEntries);
    char const* const known[] = {"1", "1/6", "-1/30", "1/42", "-1/30", "5/66", "-691/2730", "7/6", "-3617/510"};
    size_t chars = 0, widest = 0, widestAt = 0;
    Mpq sum, term;
    Mpz c, g;
    for (unsigned long k = 0; k <= kLast; ++k) {
        mpq_set_num(b[k], t.num[k]);
        mpq_set_den(b[k], t.den[k]);
        if (k < 9) {
            EXPECT_EQ(b[k].str(), known[k]);
        }
        mpz_gcd(g, t.num[k], t.den[k]);
        EXPECT_TRUE(mpz_cmp_ui(g, 1) == 0 && t.den[k].sign() > 0) << "B_" << 2 * k;
        EXPECT_EQ(t.num[k].sign(), k == 0 || k % 2 == 1 ? 1 : -1) << "B_" << 2 * k;
        for (unsigned long m = 2 * k; m <= 2 * k + 1; ++m) {
            if (m == 0) continue;
            mpq_set_si(sum, -static_cast<long>(m + 1), 2);
            mpq_canonicalize(sum);
            for (unsigned long j = 0; j <= m; j += 2) {
                mpz_bin_uiui(c, m + 1, j);
                mpq_set_z(term, c);
                mpq_mul(term, term, b[j / 2]);
                mpq_add(sum, sum, term);
            }
            ASSERT_EQ(mpq_sgn(static_cast<mpq_srcptr>(sum)), 0) << "m = " << m;
        }
        Mpz product(1);
        mpq_set(sum, b[k]);
        for (unsigned long d = 1; k > 0 && d <= 2 * k; ++d) {
            if ((2 * k) % d != 0 || !mpz_probab_prime_p(Mpz(static_cast<long>(d + 1)), 30)) continue;
            mpz_mul_ui(product, product, d + 1);
            mpq_set_ui(term, 1, d + 1);
            mpq_add(sum, sum, term);
        }
        EXPECT_TRUE(k == 0 || (t.den[k] == product && mpz_cmp_ui(mpq_denref(static_cast<mpq_srcptr>(sum)), 1) == 0))
            << "B_" << 2 * k;
        size_t d = t.den[k].str().size();
        chars += t.num[k].str().size() + d;  // str() has the sign
        if (d > widest) widest = d, widestAt = k;
    }
    EXPECT_EQ(t.num[kLast].str().size(), 1780u);  // "-" and 1779 digits
    EXPECT_EQ(mpz_sizeinbase(t.num[kLast], 2), 5908u);
    EXPECT_EQ(t.num[499].str().size(), 1767u);
    EXPECT_EQ(t.den[499].str(), "6");
    EXPECT_EQ(t.den[kLast].str(), "342999030");
    EXPECT_TRUE(widest == 22u && widestAt == 420u) << widest << " digits at " << widestAt;  // B_840
    EXPECT_EQ(chars, 395085u);

    // At 5 words a numerator of L > 5 words is rounded at its fifth word from the top,
    // within half a unit of it; shorter entries stay exact.
    Table const small(5);
    for (int k = 0; k <= kLast; ++k) {
        long words = static_cast<long>((mpz_sizeinbase(t.num[k], 2) + 31) / 32);
        Mpz err, half;
        mpz_sub(err, small.num[k], t.num[k]);
        mpz_abs(err, err);
        if (words > 5) mpz_setbit(half, static_cast<mp_bitcnt_t>(32 * (words - 5) - 1));
        EXPECT_TRUE(small.den[k] == t.den[k] && mpz_cmp(err, half) <= 0) << "B_" << 2 * k;
    }
}

}  // namespace
