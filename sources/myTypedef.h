// Shared type definitions and the one out-of-memory exit of the library.
// Word widths are fixed here so that the 32-bit and 64-bit builds agree.
#ifndef VANTREL_MYTYPEDEF_H
#define VANTREL_MYTYPEDEF_H

#include <cstddef>
#include <cstdint>

using int32 = std::int32_t;
using uint32 = std::uint32_t;
using int64 = std::int64_t;
using uint64 = std::uint64_t;

// Ends the process with exit code 1 and no message; every allocation failure comes here.
[[noreturn]] void vantrelOutOfMemory();

// malloc of n words, or the process ends; n must be positive.
uint32* allocWords(std::size_t n);

// A word count that must fit the signed 32-bit length field, or the process ends
// as for any other storage request that cannot be met.
int32 checkedWords(int64 n);

#endif
