// The operand texts of the decimal benchmarks; tools/bench-decimal.py repeats the formula
// for Python's decimal module, so both sides time the same values.
#ifndef VANTREL_BENCH_DEC_OPERANDS_H
#define VANTREL_BENCH_DEC_OPERANDS_H

#include <cstddef>
#include <string>

namespace bench {

// n digits, the first and last nonzero, then "e" and the exponent.
inline std::string operandText(int n, int seed, int exponent) {
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>('0' + (seed * 31 + i * 17 + (i * i) % 7) % 10);
    if (s[0] == '0') s[0] = '1';
    if (s[std::size_t(n) - 1] == '0') s[std::size_t(n) - 1] = '7';
    return s + "e" + std::to_string(exponent);
}

// a has n digits and b n - 3, three places apart, so add and compare align.
inline std::string textA(int n) { return operandText(n, 1, -n / 2); }
inline std::string textB(int n) { return operandText(n - 3, 2, -n / 2 + 3); }
// The argument of the elementary functions: n digits in [0.1, 1), inside every domain.
inline std::string textX(int n) { return operandText(n, 3, -n); }

}  // namespace bench

#endif
