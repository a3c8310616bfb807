// vantrel-host: the command line of the host stand-in. Loads a plug-in and runs lines of a
// small host-like language against what it registered.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#define VH_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define VH_ISATTY(fd) isatty(fd)
#endif

#include "Host.h"
#include "Parser.h"
#include "Session.h"

namespace {

char const* const kUsage =
    "usage: vantrel-host [--plugin PATH] [--list] [-e LINE]... [FILE]...\n"
    "\n"
    "Loads a plug-in (default: " VANTREL_PLUGIN_FILE_NAME " beside this program) and runs\n"
    "statements against the classes and methods it registered: first each -e LINE, then each\n"
    "FILE ('-' is standard input). With no -e and no FILE it reads standard input, with a\n"
    "prompt when that is a terminal.\n"
    "\n"
    "  --plugin PATH  load this plug-in instead\n"
    "  --list         print the registered classes (with superclass and method declarations)\n"
    "                 and the module methods, in registration order\n"
    "  -e LINE        run one statement\n"
    "  --help         this text\n"
    "\n"
    "One statement per line; blank lines and lines starting with ' or // are ignored.\n"
    "  name = expression     assigns a variable\n"
    "  expression            prints its value\n"
    "Values: 42 (Integer), 1.5 .5 1e-3 (Double), \"text\" (\"\" is a quote), True, False, Nil,\n"
    "  New Decimal, New Decimal(\"1.5\"), New Decimal(0.1), Currency(\"12.3456\"),\n"
    "  CType(x, Double), CType(x, Decimal).\n"
    "Operators, loosest first: = <> < <= > >=;  + -;  * /;  unary -;  ^ (left to right;\n"
    "  write a negative exponent in parentheses); parentheses. Decimal operands call the\n"
    "  class's Operator_ methods; plain numbers compute as the host language does.\n"
    "  Parentheses, arguments, CType and Currency nest at most 256 levels deep.\n"
    "Calls: module methods by name, e.g. Sqrt(x), Pow(x, 2.5), DecSetPrecision(50), Str(x);\n"
    "  methods of an object: x.Str(), x.DecStr(), x.DecFree(). The declaration is chosen by\n"
    "  the argument types; an Integer becomes a Double where no declaration takes an Integer.\n"
    "Printed: Strings as text, Doubles in shortest form, Currency with 4 places, a Decimal as\n"
    "  its Str and, in parentheses, its DecStr. A raised exception prints 'raised <class>'.\n"
    "Errors in a line go to standard error as 'error: line N: ...'.\n"
    "Exit status: 0; 1 when a line had an error (out of memory too), a FILE could not be read\n"
    "  or the output could not be written; 2 when the command line or plug-in failed.\n";

static_assert(vcli::kMaxNesting == 256, "the usage text names the nesting limit");

std::string besideProgram(char const* argv0) {
    std::string self = argv0 ? argv0 : "";
#ifdef __linux__
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n > 0) self.assign(buf, static_cast<std::size_t>(n));
#elif defined(_WIN32)
    char buf[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    if (n > 0 && n < sizeof buf) self.assign(buf, n);
#endif
    auto slash = self.find_last_of("/\\");
    return (slash == std::string::npos ? std::string(".") : self.substr(0, slash)) + "/" VANTREL_PLUGIN_FILE_NAME;
}

// False when a line had an error or in could not be read to its end. Output that can no
// longer be written ends the run.
bool runStream(vcli::Session& session, std::istream& in, std::string const& name, bool prompt) {
    bool ok = true;
    std::string line;
    long n = 0;
    while (std::cout) {
        if (prompt) std::cout << "> " << std::flush;
        if (!std::getline(in, line)) break;
        ok = session.run(line, ++n) && ok;
    }
    if (prompt) std::cout << '\n';
    // A directory opens on POSIX systems and fails at the first read; std::cin reads through
    // stdio, which keeps its error to itself.
    if (in.bad() || (&in == &std::cin && std::ferror(stdin))) {
        std::cerr << "vantrel-host: cannot read " << name;
        if (n > 0) std::cerr << " past line " << n;
        std::cerr << '\n';
        return false;
    }
    return ok;
}

// Flushes standard output; false, with a message, when what was written did not all get out
// (a full disk, a closed pipe).
bool outputWritten() {
    if (std::cout.flush()) return true;
    std::cerr << "vantrel-host: cannot write the output\n";
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    std::string plugin;
    bool list = false;
    std::vector<std::string> lines, files;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        bool hasValue = i + 1 < argc;
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return outputWritten() ? 0 : 1;
        } else if (a == "--list") {
            list = true;
        } else if (a == "--plugin" && hasValue) {
            plugin = argv[++i];
        } else if (a == "-e" && hasValue) {
            lines.emplace_back(argv[++i]);
        } else if (a.size() > 1 && a[0] == '-') {
            std::cerr << "vantrel-host: " << (a == "--plugin" || a == "-e" ? "missing value of " : "unknown option ")
                      << a << "\n\n"
                      << kUsage;
            return 2;
        } else {
            files.push_back(a);
        }
    }
    if (plugin.empty()) plugin = besideProgram(argv[0]);
    try {
        vhost::loadPlugin(plugin);
    } catch (std::exception const& e) {
        std::cerr << "vantrel-host: " << plugin << ": " << e.what() << '\n';
        return 2;
    }
    if (list) {
        vcli::listRegistrations(std::cout);
        if (lines.empty() && files.empty()) return outputWritten() ? 0 : 1;
    }
    bool ok = true;
    try {
        vcli::Session session(std::cout, std::cerr);
        long n = 0;
        for (std::string const& line : lines)
            if (std::cout) ok = session.run(line, ++n) && ok;
        for (std::string const& f : files) {
            if (!std::cout) break;
            if (f == "-") {
                ok = runStream(session, std::cin, "standard input", false) && ok;
                continue;
            }
            std::ifstream in(f);
            if (!in) {
                std::cerr << "vantrel-host: cannot read " << f << '\n';
                ok = false;
                continue;
            }
            ok = runStream(session, in, f, false) && ok;
        }
        if (lines.empty() && files.empty())
            ok = runStream(session, std::cin, "standard input", VH_ISATTY(0) != 0) && ok;
    } catch (std::bad_alloc const&) {  // outside a line: the session reports those itself
        std::cerr << "vantrel-host: out of memory\n";
        ok = false;
    }  // the variables go before the plug-in's own exit handlers run
    return outputWritten() && ok ? 0 : 1;
}
