// The symbols a shared library defines and exports, read from its ELF dynamic symbol
// table (or, for a Windows DLL, its PE export table), so a test can check what a plug-in
// offers to its host. Header-only.
#ifndef VANTREL_TESTS_ELF_SYMBOLS_H
#define VANTREL_TESTS_ELF_SYMBOLS_H

#if __has_include(<elf.h>)
#include <elf.h>
#define VANTREL_TESTS_HAVE_ELF 1
#endif

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "pe_exports.h"

namespace oracle {

#ifdef VANTREL_TESTS_HAVE_ELF
// Names of the defined global and weak symbols of the library's .dynsym; `ok` false when
// the file is not a 64-bit or 32-bit ELF with a dynamic symbol table.
template <class Ehdr, class Shdr, class Sym>
std::vector<std::string> exportedFrom(std::vector<char> const& f, bool& ok) {
    std::vector<std::string> out;
    ok = false;
    if (f.size() < sizeof(Ehdr)) return out;
    Ehdr eh;
    std::memcpy(&eh, f.data(), sizeof eh);
    if (eh.e_shoff == 0 || eh.e_shentsize != sizeof(Shdr) || eh.e_shoff + eh.e_shnum * sizeof(Shdr) > f.size()) return out;
    auto section = [&](std::size_t i) {
        Shdr sh;
        std::memcpy(&sh, f.data() + eh.e_shoff + i * sizeof(Shdr), sizeof sh);
        return sh;
    };
    for (std::size_t i = 0; i < eh.e_shnum; ++i) {
        Shdr sh = section(i);
        if (sh.sh_type != SHT_DYNSYM || sh.sh_link >= eh.e_shnum) continue;
        Shdr strs = section(sh.sh_link);
        if (sh.sh_offset + sh.sh_size > f.size() || strs.sh_offset + strs.sh_size > f.size()) return out;
        for (std::size_t k = 1; k < sh.sh_size / sizeof(Sym); ++k) {
            Sym s;
            std::memcpy(&s, f.data() + sh.sh_offset + k * sizeof(Sym), sizeof s);
            unsigned bind = s.st_info >> 4;
            if (s.st_shndx == SHN_UNDEF || (bind != STB_GLOBAL && bind != STB_WEAK)) continue;
            if (s.st_name >= strs.sh_size) return out;
            char const* name = f.data() + strs.sh_offset + s.st_name;
            out.emplace_back(name, strnlen(name, static_cast<std::size_t>(strs.sh_size - s.st_name)));
        }
        ok = true;
    }
    return out;
}

inline std::vector<std::string> exportedSymbols(std::string const& path, bool& ok) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> f((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ok = false;
    if (f.size() >= 2 && f[0] == 'M' && f[1] == 'Z') return peExports(f, ok);
    if (f.size() < EI_NIDENT || std::memcmp(f.data(), ELFMAG, SELFMAG) != 0) return {};
    if (f[EI_CLASS] == ELFCLASS64) return exportedFrom<Elf64_Ehdr, Elf64_Shdr, Elf64_Sym>(f, ok);
    if (f[EI_CLASS] == ELFCLASS32) return exportedFrom<Elf32_Ehdr, Elf32_Shdr, Elf32_Sym>(f, ok);
    return {};
}
#else
inline std::vector<std::string> exportedSymbols(std::string const& path, bool& ok) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> f((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return peExports(f, ok);
}
#endif

}  // namespace oracle

#endif
