// Fuzzes the decimal reader: any text is accepted into normal form or refused;
// an accepted value prints through both writers, and its exact text reads back to
// the same value. scale is left alone.
#include <cstdlib>
#include <cstring>
#include <string>

#include "decMath.h"
#include "fuzz_common.h"
#include "mbMath.h"

extern "C" int LLVMFuzzerTestOneInput(unsigned char const* data, std::size_t size) {
    static bool started = false;
    if (!started) {
        decSetStartValues();
        started = true;
    }
    std::string text = fuzz::textOf(data, size);
    DecData d;
    bool ok = getDec_Str(d, text.c_str());
    if (!ok) return 0;
    fuzz::check(fuzz::isNormal(d.mantissa), "mantissa not normal", text);
    bool zero = d.mantissa.length == 0;
    fuzz::check(!zero || d.exponent == 0, "zero with an exponent", text);
    if (!zero) {
        mb q;
        int rem = mbShortDiv(q, d.mantissa, 10u);
        fuzz::check(rem != 0, "mantissa a multiple of ten", text);
    }

    char* exact = getString2(d);
    DecData back;
    fuzz::check(getDec_Str(back, exact), "exact text refused", text);
    fuzz::check(compareDecToDec(back, d) == 0 && back.exponent == d.exponent, "round trip changed the value", text);
    char* again = getString2(back);
    fuzz::check(std::strcmp(exact, again) == 0, "exact text not unique", text);
    std::free(exact);
    std::free(again);

    char* fixed = getString(d);  // nullptr beyond the digit limit
    fuzz::check(scale == 5, "scale changed", text);
    std::free(fixed);
    long long c = 0;
    getCurr_Dec(c, d);
    fuzz::check(scale == 5, "scale changed by the currency conversion", text);
    return 0;
}
