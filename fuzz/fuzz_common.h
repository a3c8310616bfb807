// Shared checks of the fuzz targets: the normal forms of mb and fp, and a text made
// from the fuzzer's bytes. A broken invariant aborts, which libFuzzer reports.
#ifndef VANTREL_FUZZ_COMMON_H
#define VANTREL_FUZZ_COMMON_H

#include <cstdio>
#include <cstdlib>
#include <string>

#include "fp.h"
#include "mb.h"

namespace fuzz {

[[noreturn]] inline void fail(char const* what, std::string const& text) {
    std::fprintf(stderr, "invariant broken: %s\ntext: \"%s\"\n", what, text.c_str());
    std::abort();
}

inline void check(bool ok, char const* what, std::string const& text) {
    if (!ok) fail(what, text);
}

// No zero top word, the array large enough, and zero without an array.
inline bool isNormal(mb const& x) {
    if (x.length == 0) return x.allocated == 0 && x.blocks == nullptr;
    int n = x.length < 0 ? -x.length : x.length;
    return x.blocks != nullptr && x.allocated >= n && x.blocks[n - 1] != 0;
}

inline bool isNormal(fp const& x, int maxWords) {
    if (!isNormal(x.mantissa)) return false;
    if (x.mantissa.length == 0) return x.exponent == 0;
    int n = x.mantissa.length < 0 ? -x.mantissa.length : x.mantissa.length;
    return n <= maxWords;
}

// The bytes up to the first NUL, as the library's readers see a C string.
inline std::string textOf(unsigned char const* data, std::size_t size) {
    std::string s(reinterpret_cast<char const*>(data), size);
    std::size_t nul = s.find('\0');
    if (nul != std::string::npos) s.resize(nul);
    return s;
}

}  // namespace fuzz

#endif
