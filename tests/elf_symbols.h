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
// there is no dynamic symbol table or it runs past the file.
template <class Ehdr, class Shdr, class Sym>
std::vector<std::string> exportedFrom(std::vector<char> const& f, bool& ok) {
    std::vector<std::string> out;
    Ehdr eh;
    if (f.size() < sizeof eh) return out;
    std::memcpy(&eh, f.data(), sizeof eh);
    if (eh.e_shoff == 0 || eh.e_shnum == 0 || eh.e_shentsize != sizeof(Shdr) || eh.e_shoff + eh.e_shnum * sizeof(Shdr) > f.size()) return out;
    std::vector<Shdr> sh(eh.e_shnum);
    std::memcpy(sh.data(), f.data() + eh.e_shoff, eh.e_shnum * sizeof(Shdr));
    for (Shdr const& s : sh) {
        if (s.sh_type != SHT_DYNSYM || s.sh_link >= eh.e_shnum) continue;
        Shdr const& strs = sh[s.sh_link];
        if (s.sh_offset + s.sh_size > f.size() || strs.sh_offset + strs.sh_size > f.size()) return ok = false, out;
        for (std::size_t k = 1; k < s.sh_size / sizeof(Sym); ++k) {
            Sym y;
            std::memcpy(&y, f.data() + s.sh_offset + k * sizeof(Sym), sizeof y);
            unsigned bind = y.st_info >> 4;
            if (y.st_shndx == SHN_UNDEF || (bind != STB_GLOBAL && bind != STB_WEAK)) continue;
            if (y.st_name >= strs.sh_size) return ok = false, out;
            char const* name = f.data() + strs.sh_offset + y.st_name;
            out.emplace_back(name, strnlen(name, static_cast<std::size_t>(strs.sh_size - y.st_name)));
        }
        ok = true;
    }
    return out;
}
#endif

inline std::vector<std::string> exportedSymbols(std::string const& path, bool& ok) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> f((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ok = false;
#ifdef VANTREL_TESTS_HAVE_ELF
    if (f.size() >= EI_NIDENT && std::memcmp(f.data(), ELFMAG, SELFMAG) == 0) {
        if (f[EI_CLASS] == ELFCLASS64) return exportedFrom<Elf64_Ehdr, Elf64_Shdr, Elf64_Sym>(f, ok);
        if (f[EI_CLASS] == ELFCLASS32) return exportedFrom<Elf32_Ehdr, Elf32_Shdr, Elf32_Sym>(f, ok);
        return {};
    }
#endif
    return peExports(f, ok);
}

}  // namespace oracle

#endif
