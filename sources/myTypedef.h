// Shared type definitions and the one out-of-memory exit of the library.
// Word widths are fixed here so that the 32-bit and 64-bit builds agree.
#ifndef VANTREL_MYTYPEDEF_H
#define VANTREL_MYTYPEDEF_H

#include <cstdio>

// The "%.17e" and "%.13e" texts that doubles enter the library by must be correctly
// rounded: on Windows that is mingw's C99 printf, not msvcrt's.
#if defined(__MINGW32__) && !(defined(__USE_MINGW_ANSI_STDIO) && __USE_MINGW_ANSI_STDIO)
#error "build with -D__USE_MINGW_ANSI_STDIO=1"
#endif

#include <cstddef>
#include <cstdint>

using int32 = std::int32_t;
using uint32 = std::uint32_t;
// long long on every target, so that int64 values meet the long long overloads of the
// API the same way on LP64, ILP32 and LLP64 (std::int64_t is long on LP64).
using int64 = long long;
using uint64 = unsigned long long;
static_assert(sizeof(int64) == 8 && sizeof(uint64) == 8, "64-bit integers are required");
static_assert(sizeof(int32) == 4 && sizeof(uint32) == 4, "32-bit words are required");

// Ends the process with exit code 1 and no message; every allocation failure comes here.
[[noreturn]] void vantrelOutOfMemory();

// malloc of n words, or the process ends; n must be positive.
uint32* allocWords(std::size_t n);

// malloc of n bytes of text, or the process ends.
char* allocText(std::size_t n);
// A NUL-terminated copy of the n characters at s, from allocText.
char* copyText(char const* s, std::size_t n);

// A word count that must fit the signed 32-bit length field, or the process ends
// as for any other storage request that cannot be met.
int32 checkedWords(int64 n);

#endif
