// Runs lines of the vantrel-host language against the loaded plug-in. Every call goes
// through the host stand-in by a declaration text that registration supplied; the session
// chooses among declarations by name and argument types, as the host does.
#ifndef VANTREL_CLI_SESSION_H
#define VANTREL_CLI_SESSION_H

#include <iosfwd>
#include <map>
#include <string>
#include <vector>

#include "Host.h"

namespace vcli {

// Output forms of the printed values.
std::string doubleText(double d);              // shortest text that reads back, as std::to_chars
std::string currencyText(std::int64_t units);  // exactly four places
// Exact decimal text with at most four places; false when it has more or does not fit.
bool currencyFromText(std::string const& text, std::int64_t& units);

class Session {
public:
    // Reads what registration left; the plug-in must be loaded.
    Session(std::ostream& out, std::ostream& err);
    ~Session();
    // One line: prints its value, "raised <class>", or "error: line N: ..." on err.
    // False when the line had an error.
    bool run(std::string const& line, long lineNumber);

    struct Method {
        std::string text;  // the declaration as registered
        vhost::Declaration decl;
    };

private:
    struct NameLess {
        bool operator()(std::string const& a, std::string const& b) const;
    };
    class Evaluator;

    std::ostream& out_;
    std::ostream& err_;
    std::map<std::string, std::vector<Method>, NameLess> classMethods_;  // by class name
    std::vector<Method> moduleMethods_;
    std::map<std::string, vhost::Value, NameLess> variables_;
};

// The registered classes and module methods, one per line, in registration order.
void listRegistrations(std::ostream& out);

}  // namespace vcli

#endif
