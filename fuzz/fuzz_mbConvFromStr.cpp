// Fuzzes the decimal reader of mb: any text reads to a normal value or is refused
// with the target zero, blockPrec is left alone, and an accepted value prints back
// to a text that reads to the same value.
#include <cstdlib>
#include <string>

#include "fp.h"
#include "fuzz_common.h"
#include "mb2Str.h"
#include "mbConv.h"
#include "mbMath.h"

extern "C" int LLVMFuzzerTestOneInput(unsigned char const* data, std::size_t size) {
    std::string text = fuzz::textOf(data, size);
    int32 saved = blockPrec;
    mb x;
    bool ok = mbConvFromStr(x, text.c_str());
    fuzz::check(blockPrec == saved, "blockPrec changed", text);
    fuzz::check(fuzz::isNormal(x), "result not in normal form", text);
    fuzz::check(ok || x.length == 0, "refused text left a value", text);

    // Exponent texts may build integers of up to 2^30 bits; those are checked once,
    // the rest also through the constructor, the initialiser and the writer.
    int words = x.length < 0 ? -x.length : x.length;
    if (words > 2000) return 0;

    mb y(text.c_str());
    fuzz::check(compare(x, y) == 0, "constructor disagrees", text);
    mb z;
    bool okInit = init(z, text.c_str());
    fuzz::check(okInit == ok && compare(x, z) == 0, "init disagrees", text);

    if (ok) {
        char* s = mb2Str(x);
        mb back;
        fuzz::check(mbConvFromStr(back, s), "printed text refused", text);
        fuzz::check(compare(back, x) == 0 && fuzz::isNormal(back), "round trip changed the value", text);
        std::free(s);
    }
    return 0;
}
