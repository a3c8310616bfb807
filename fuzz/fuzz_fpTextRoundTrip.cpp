// Fuzzes the whole fp text path: fp(char const*), then fpToStr2 at a digit count
// chosen by the first byte, then the digits read back. The digits must be canonical,
// within half a unit of the last digit of the value, and print again unchanged.
#include <cstdlib>
#include <string>

#include "fp.h"
#include "fpConv.h"
#include "fpMath.h"
#include "fuzz_common.h"

namespace {

std::string digitsOf(int& e10, fp const& x, int n) {
    char* p = fpToStr2(e10, x, n);
    std::string s(p);
    std::free(p);
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(unsigned char const* data, std::size_t size) {
    if (size < 2) return 0;
    int n = 1 + data[0] % 48;
    int32 bp = 2 + data[1] % 6;
    std::string text = fuzz::textOf(data + 2, size - 2);
    int32 saved = blockPrec;
    blockPrec = bp;

    fp x(text.c_str());
    fuzz::check(blockPrec == bp, "constructor left blockPrec changed", text);
    fuzz::check(fuzz::isNormal(x, bp + 1), "constructed value not in normal form", text);

    int e10 = 0;
    std::string d = digitsOf(e10, x, n);
    fuzz::check(blockPrec == bp, "fpToStr2 left blockPrec changed", text);
    if (x.mantissa.length == 0) {
        fuzz::check(d == "0" && e10 == 0, "zero prints otherwise", text);
        blockPrec = saved;
        return 0;
    }
    bool negative = d[0] == '-';
    std::string mag = negative ? d.substr(1) : d;
    fuzz::check(negative == (x.mantissa.length < 0), "sign lost", text);
    fuzz::check(!mag.empty() && mag.size() <= std::size_t(n), "digit count", text);
    fuzz::check(mag[0] != '0' && mag.back() != '0', "digits not canonical", text);
    fuzz::check(mag.find_first_not_of("0123456789") == std::string::npos, "not digits", text);

    // Read back at blockPrec words, which hold about 9.6 digits each: with two digits
    // to spare, y is the digits to within a thousandth of a unit, so the digits print
    // again unchanged and x lies within half a unit of them (0.51 allows for y and for
    // the subtraction). Digits at the ends of the exponent span may be refused.
    std::string again = d + "e" + std::to_string(e10);
    fp y;
    if (n <= 9 * bp - 2 && init(y, again.c_str())) {
        int e2 = 0;
        std::string d2 = digitsOf(e2, y, n);
        fuzz::check(d2 == d && e2 == e10, "digits do not print back", text + " -> " + again);
        fp diff;
        sub(diff, x, y);
        if (diff.mantissa.length < 0) diff.mantissa.length = -diff.mantissa.length;
        std::string halfText = "51e" + std::to_string(int64(e10) - 2);
        fp half;
        if (diff.mantissa.length != 0 && init(half, halfText.c_str()))
            fuzz::check(compare(diff, half) <= 0, "digits off by more than half a unit", text + " -> " + again);
    }
    blockPrec = saved;
    return 0;
}
