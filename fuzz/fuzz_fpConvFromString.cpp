// Fuzzes the decimal reader of fp at a blockPrec chosen by the first byte: any text
// parses to a normal value of at most blockPrec + 1 words or is refused, blockPrec is
// restored, and the syntax test, init and the constructor agree with the parse.
#include <string>

#include "fp.h"
#include "fpConv.h"
#include "fpMath.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(unsigned char const* data, std::size_t size) {
    if (size == 0) return 0;
    int32 bp = 1 + data[0] % 8;
    std::string text = fuzz::textOf(data + 1, size - 1);
    int32 saved = blockPrec;
    blockPrec = bp;

    fp z;
    bool ok = fpConvFromString(z, text.c_str());
    fuzz::check(blockPrec == bp, "blockPrec not restored", text);
    fuzz::check(!ok || checkInputString(text.c_str()), "accepted text that fails the syntax test", text);
    if (ok) fuzz::check(fuzz::isNormal(z, bp + 1), "parse not in normal form", text);

    fp c(text.c_str());
    fuzz::check(blockPrec == bp, "constructor left blockPrec changed", text);
    fuzz::check(ok ? compare(c, z) == 0 : c.mantissa.length == 0, "constructor disagrees", text);

    fp x;
    bool okInit = init(x, text.c_str());
    fuzz::check(blockPrec == bp, "init left blockPrec changed", text);
    fuzz::check(okInit == ok, "init and parse disagree", text);
    fuzz::check(fuzz::isNormal(x, bp), "init not in normal form", text);
    if (ok) {
        fp rounded = z;
        fpNormalize(rounded);
        fuzz::check(compare(rounded, x) == 0, "init is not the rounded parse", text);
    }
    blockPrec = saved;
    return 0;
}
