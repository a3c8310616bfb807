// A stand-in for the host runtime: it loads the plug-in, answers the services the plug-in
// resolves, keeps what the plug-in registers, owns the objects and strings it hands out,
// and calls any registered method by its declaration text with host values.
//
// Reference rule: every object and string has a reference count. A handle that a method
// returns and that was created during that call (by the new-instance or build-string
// service) carries its creation reference to the caller. Any other returned handle (the
// receiver, an argument, a string the plug-in keeps such as its shared empty string) is
// borrowed: the host adds the caller's reference itself. A raised exception object passes
// its creation reference to the host. Instance data is zero-filled before the class
// constructor runs (another byte with fillInstanceData). Empty host strings may be passed
// as a nil handle (nilString()).
//
// Out of memory: a service the plug-in calls never throws; it fails as the host may (a nil
// object or string, no string data), and the call then throws std::bad_alloc once all of it
// is released. newObject and the calls throw std::bad_alloc for their own allocations too.
#ifndef VANTREL_HOST_H
#define VANTREL_HOST_H

#include <cstdint>
#include <string>
#include <vector>

#include "HostInterface.h"

namespace vhost {

// Loads the plug-in library and calls its REALPluginMain, once per process; later calls
// with the same path do nothing. Throws std::runtime_error when it cannot load.
void loadPlugin(std::string const& path);

// The resolver handed to the plug-in. An unknown entry name ends the process with a message.
void* resolve(char const* entryName);

// What registration left: classes in registration order, module methods in order.
int32_t registeredPluginVersion();  // -1 before the plug-in announced one
std::vector<REALclassDefinition const*> registeredClasses();
REALclassDefinition const* findClass(std::string const& name);
std::vector<HostMethodEntry> registeredModuleMethods();
std::uintptr_t dataOffset();  // the offset the host stores in every class definition

// A counted reference to a host object; nil when empty.
class Object {
public:
    Object() = default;
    explicit Object(REALobject adopted) : p_(adopted) {}  // takes over one reference
    Object(Object const& o);
    Object(Object&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
    Object& operator=(Object o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }
    ~Object();
    REALobject handle() const { return p_; }
    bool isNil() const { return p_ == nullptr; }
    std::string className() const;
    long refCount() const;
    void* instanceData() const;
    friend bool operator==(Object const& a, Object const& b) { return a.p_ == b.p_; }
    friend bool operator!=(Object const& a, Object const& b) { return a.p_ != b.p_; }

private:
    REALobject p_ = nullptr;
};

enum class Kind { None, Object, String, Double, Integer, Currency, Boolean };

struct Value {
    Kind kind = Kind::None;
    Object object;
    std::string text;
    bool nilString = false;  // a String passed as the nil handle
    double number = 0;
    std::int64_t integer = 0;  // Integer and Currency
    bool boolean = false;
};

Value obj(Object const& o);
Value nilObject();
Value str(std::string const& s);
Value nilString();
Value dbl(double d);
Value integer(std::int64_t i);
Value currency(std::int64_t c);
Value boolean(bool b);

struct CallResult {
    Value value;                     // Kind::None for a method without result
    std::vector<std::string> raised; // class names of raised exceptions, in order
    std::string exception() const { return raised.empty() ? std::string() : raised.front(); }
};

// A declaration as the host reads it, for callers that choose among declarations by name
// and types. className names the class of an Object parameter or result.
struct Parameter {
    Kind kind = Kind::None;
    std::string className;
};
struct Declaration {
    std::string name;
    std::vector<Parameter> params;
    Parameter result;  // Kind::None: no result
};
// Reads "Name(a As T, ...) As R" with the registered classes as object types; false when
// the host could not call it.
bool readDeclaration(std::string const& text, Declaration& out);

struct MethodRec;

// A method looked up once by its declaration, as a compiled host program binds its calls;
// calls through it skip the lookup by text. Valid while the process runs.
class Method {
public:
    Method() = default;
    bool isNil() const { return rec_ == nullptr; }

private:
    explicit Method(MethodRec const* rec) : rec_(rec) {}
    MethodRec const* rec_ = nullptr;
    friend Method bind(std::string const&, std::string const&);
    friend Method bindModule(std::string const&);
    friend CallResult call(Method const&, Object const&, std::vector<Value> const&);
    friend CallResult callModule(Method const&, std::vector<Value> const&);
};

// The class method `decl` of className, or the module method `decl`. Throw
// std::invalid_argument for an unknown class or declaration.
Method bind(std::string const& className, std::string const& decl);
Method bindModule(std::string const& decl);
// Calls a bound method; the receiver (which may be nil) must be of the method's class.
CallResult call(Method const& m, Object const& receiver, std::vector<Value> const& args);
CallResult callModule(Method const& m, std::vector<Value> const& args);

// A new instance: memory, instance data zeroed (or filled), the class constructor. Nil
// when refused.
Object newObject(std::string const& className);
// New className(args): a new instance, then its constructor declaration `decl`.
Object construct(std::string const& className, std::string const& decl, std::vector<Value> const& args,
                 CallResult* result = nullptr);
// Calls the class method `decl` of className on receiver (which may be nil).
// Throws std::invalid_argument for an unknown declaration or arguments of the wrong kind.
CallResult call(std::string const& className, Object const& receiver, std::string const& decl,
                std::vector<Value> const& args);
CallResult callModule(std::string const& decl, std::vector<Value> const& args);

// While set, the new-instance service returns nil for this class (empty: refuse nothing).
void refuseNewInstance(std::string const& className);

// Fills the instance data of every new object with this byte before the class constructor
// runs, as a host that hands over raw memory would leave it; 0, the default, zeroes it.
void fillInstanceData(unsigned char byte);

struct Stats {
    long liveObjects = 0;
    long liveStrings = 0;
    long openStringData = 0;       // string data handed out and not yet disposed
    long droppedObjects = 0;       // created during a call, neither returned nor raised
    long droppedStrings = 0;       // built during a call and not returned
    long nilExceptions = 0;        // raise called with nil
    long constructorRuns = 0;
    long destructorRuns = 0;
};
Stats stats();

}  // namespace vhost

#endif
