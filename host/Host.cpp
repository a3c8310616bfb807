// The host stand-in's state and services. The resolver takes no context, so the host is
// one process-wide state, created on first use and kept until the process ends.
#include "Host.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <algorithm>
#include <array>
#include <cctype>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <set>
#include <string_view>
#include <stdexcept>
#include <utility>

struct REALobjectStruct {
    struct ClassRec* cls;
    long refs;
};

struct REALstringStruct {
    long refs;
    std::string bytes;
};

namespace vhost {

namespace {

[[noreturn]] void fatal(std::string const& message) {
    std::fprintf(stderr, "vantrel host: %s\n", message.c_str());
    std::fflush(stderr);
    std::abort();
}

// Where the plug-in's frames are on the stack no exception may pass; out of memory there
// ends the process, as the plug-in's own library does.
[[noreturn]] void outOfMemory() {
    std::fputs("vantrel host: out of memory\n", stderr);
    std::fflush(stderr);
    std::exit(1);
}

// The C type a declared type travels as.
enum class CType { Object, String, Double, Integer, Currency, Boolean };

struct Param {
    Kind kind;
    std::string className;  // for Kind::Object
    ClassRec const* cls = nullptr;
};

struct Signature {
    std::string name;
    std::vector<Param> params;
    Param result{Kind::None, {}, nullptr};
};

}  // namespace

struct MethodRec {
    HostMethodEntry entry;
    Signature sig;
    ClassRec const* owner;  // nullptr for a module method
};

}  // namespace vhost

struct ClassRec {
    std::string name;
    REALclassDefinition* def = nullptr;  // nullptr for the built-in classes
    ClassRec* super = nullptr;
    std::map<std::string, vhost::MethodRec> methods;
};

namespace vhost {
namespace {

// The live handles: an open-addressed table, so that creating and releasing an object
// allocates nothing beyond the object itself (a tree node per object cost more than the
// arithmetic of a sum).
template <class P>
class PointerSet {
public:
    std::size_t size() const { return used_; }
    std::size_t count(P p) const { return !slots_.empty() && slots_[find(p)] == p ? 1 : 0; }
    void insert(P p) {
        if (2 * (used_ + 1) > slots_.size()) grow();
        std::size_t i = find(p);
        if (slots_[i] == p) return;
        slots_[i] = p;
        ++used_;
    }
    bool erase(P p) {
        if (slots_.empty()) return false;
        std::size_t i = find(p);
        if (slots_[i] != p) return false;
        // Backward shift: later entries of the probe run move up, so no tombstones are needed.
        std::size_t mask = slots_.size() - 1, j = i;
        while (true) {
            j = (j + 1) & mask;
            if (slots_[j] == nullptr) break;
            std::size_t home = hash(slots_[j]) & mask;
            if (((j - home) & mask) >= ((j - i) & mask)) {
                slots_[i] = slots_[j];
                i = j;
            }
        }
        slots_[i] = nullptr;
        --used_;
        return true;
    }

private:
    static std::size_t hash(P p) {
        return static_cast<std::size_t>((reinterpret_cast<std::uintptr_t>(p) >> 4) * 0x9E3779B97F4A7C15ull >> 16);
    }
    // The slot holding p, or the empty slot where it would go.
    std::size_t find(P p) const {
        std::size_t mask = slots_.size() - 1, i = hash(p) & mask;
        while (slots_[i] != nullptr && slots_[i] != p) i = (i + 1) & mask;
        return i;
    }
    void grow() {
        std::vector<P> old(slots_.empty() ? 64 : 2 * slots_.size(), nullptr);
        old.swap(slots_);
        used_ = 0;
        for (P q : old)
            if (q) insert(q);
    }
    std::vector<P> slots_;
    std::size_t used_ = 0;
};

constexpr std::uintptr_t kDataOffset =
    (sizeof(REALobjectStruct) + alignof(std::max_align_t) - 1) / alignof(std::max_align_t) * alignof(std::max_align_t);

struct State {
    void* library = nullptr;
    std::string libraryPath;
    std::int32_t version = -1;
    std::vector<std::unique_ptr<ClassRec>> classes;  // built-ins first, then registration order
    std::map<std::string, MethodRec> moduleMethods;
    std::vector<std::string> moduleOrder;
    PointerSet<REALobject> objects;
    PointerSet<REALstring> strings;
    std::set<void const*> stringData;
    std::string refused;
    unsigned char fill = 0;
    bool inCall = false;
    bool lostInCall = false;  // a service of this call failed for want of memory
    std::vector<REALobject> createdInCall;
    std::vector<REALstring> builtInCall;
    std::vector<REALobject> raisedInCall;
    Stats stats;

    State() {
        auto rt = std::make_unique<ClassRec>();
        rt->name = "RuntimeException";
        classes.push_back(std::move(rt));
    }
};

State& st() {
    static State* s = new State;  // never destroyed: the plug-in's exit handlers may still call in
    return *s;
}

bool sameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

ClassRec* classNamed(std::string_view name) {
    // The exact spelling first: the plug-in names its classes as it registered them.
    for (auto& c : st().classes)
        if (c->name == name) return c.get();
    for (auto& c : st().classes)
        if (sameText(c->name, name)) return c.get();
    return nullptr;
}

std::string trim(std::string const& s) {
    auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    auto e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

std::vector<std::string> words(std::string const& s) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && s[i] == ' ') ++i;
        std::size_t j = i;
        while (j < s.size() && s[j] != ' ') ++j;
        if (j > i) out.push_back(s.substr(i, j - i));
        i = j;
    }
    return out;
}

// A declared type; an unknown name is an error of the declaration.
bool typeOf(std::string const& t, Param& p) {
    static const std::pair<char const*, Kind> builtins[] = {{"String", Kind::String},   {"Double", Kind::Double},
                                                            {"Integer", Kind::Integer}, {"Currency", Kind::Currency},
                                                            {"Boolean", Kind::Boolean}};
    for (auto const& b : builtins)
        if (sameText(t, b.first)) {
            p = Param{b.second, {}, nullptr};
            return true;
        }
    if (ClassRec* c = classNamed(t)) {
        p = Param{Kind::Object, c->name, c};
        return true;
    }
    return false;
}

// "Name(a As T, b As U) As R", the result part optional.
bool parseDeclaration(std::string const& text, Signature& sig) {
    auto open = text.find('('), close = text.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open) return false;
    sig.name = trim(text.substr(0, open));
    if (sig.name.empty() || sig.name.find(' ') != std::string::npos) return false;
    std::string inner = trim(text.substr(open + 1, close - open - 1));
    if (!inner.empty()) {
        std::size_t start = 0;
        while (true) {
            auto comma = inner.find(',', start);
            auto w = words(inner.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
            Param p;
            if (w.size() != 3 || !sameText(w[1], "As") || !typeOf(w[2], p)) return false;
            sig.params.push_back(p);
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
    }
    auto rest = words(text.substr(close + 1));
    if (rest.empty()) return true;
    return rest.size() == 2 && sameText(rest[0], "As") && typeOf(rest[1], sig.result);
}

MethodRec methodRecord(HostMethodEntry const* entry, std::string const& where) {
    if (entry == nullptr || entry->declaration == nullptr || entry->function == nullptr)
        fatal("a method entry of " + where + " lacks its declaration or function");
    MethodRec m{*entry, {}, nullptr};
    if (!parseDeclaration(entry->declaration, m.sig))
        fatal("cannot read the declaration \"" + std::string(entry->declaration) + "\" of " + where);
    return m;
}

// ---- objects and strings

REALobject allocObject(ClassRec* cls) {
    std::uint32_t size = cls->def ? cls->def->dataSize : 0;
    void* mem = std::calloc(1, kDataOffset + size);
    if (mem == nullptr) throw std::bad_alloc();
    std::memset(static_cast<unsigned char*>(mem) + kDataOffset, st().fill, size);
    auto* o = new (mem) REALobjectStruct{cls, 1};
    try {
        st().objects.insert(o);
    } catch (std::bad_alloc const&) {
        std::free(mem);
        throw;
    }
    if (cls->def && cls->def->constructor) {
        ++st().stats.constructorRuns;
        reinterpret_cast<void (*)(REALobject)>(cls->def->constructor)(o);
    }
    return o;
}

void retain(REALobject o) {
    if (o) ++o->refs;
}

void release(REALobject o) {
    if (o == nullptr) return;
    State& s = st();
    if (s.objects.count(o) == 0) fatal("release of an object the host does not know");
    if (--o->refs > 0) return;
    for (ClassRec* c = o->cls; c; c = c->super)
        if (c->def && c->def->destructor) {
            ++s.stats.destructorRuns;
            reinterpret_cast<void (*)(REALobject)>(c->def->destructor)(o);
        }
    s.objects.erase(o);
    o->~REALobjectStruct();
    std::free(o);
}

REALstring newString(std::string bytes) {
    auto* s = new REALstringStruct{1, std::move(bytes)};
    try {
        st().strings.insert(s);
    } catch (std::bad_alloc const&) {
        delete s;
        throw;
    }
    return s;
}

void releaseString(REALstring s) {
    if (s == nullptr) return;
    if (st().strings.count(s) == 0) fatal("release of a string the host does not know");
    if (--s->refs > 0) return;
    st().strings.erase(s);
    delete s;
}

bool takeFrom(std::vector<REALobject>& v, REALobject o) {
    auto it = std::find(v.begin(), v.end(), o);
    if (it == v.end()) return false;
    v.erase(it);
    return true;
}

// Room for one more, so that the push_back after it cannot throw.
template <class T>
void reserveOne(std::vector<T>& v) {
    if (v.size() == v.capacity()) v.reserve(v.empty() ? 8 : 2 * v.size());
}

// ---- the services

void svcRegisterVersion(std::int32_t version) { st().version = version; }

REALobject svcNewInstance(char const* className) {
    if (className == nullptr) fatal("new instance of a nil class name");
    ClassRec* cls = classNamed(className);
    if (cls == nullptr) fatal(std::string("new instance of the unknown class ") + className);
    if (!st().refused.empty() && sameText(st().refused, className)) return nullptr;
    try {
        if (st().inCall) reserveOne(st().createdInCall);
        REALobject o = allocObject(cls);
        if (st().inCall) st().createdInCall.push_back(o);
        return o;
    } catch (std::bad_alloc const&) {
        st().lostInCall = true;
        return nullptr;
    }
}

void svcRaiseException(REALobject e) {
    if (e == nullptr) {
        ++st().stats.nilExceptions;
        return;
    }
    if (st().objects.count(e) == 0) fatal("raise of an object the host does not know");
    try {
        reserveOne(st().raisedInCall);
    } catch (std::bad_alloc const&) {
        st().lostInCall = true;  // the end of the call releases e if the call made it
        return;
    }
    if (!takeFrom(st().createdInCall, e)) retain(e);
    st().raisedInCall.push_back(e);
}

void registerClass(REALclassDefinition* def) {
    if (def == nullptr || def->name == nullptr) fatal("class definition without a name");
    if (def->version != kHostPluginVersion) fatal("class " + std::string(def->name) + " has an unknown version");
    if (classNamed(def->name)) fatal("class " + std::string(def->name) + " registered twice");
    ClassRec* super = nullptr;
    if (def->superName) {
        super = classNamed(def->superName);
        if (super == nullptr) fatal("class " + std::string(def->name) + " names the unknown superclass " + def->superName);
    }
    auto cls = std::make_unique<ClassRec>();
    cls->name = def->name;
    cls->def = def;
    cls->super = super;
    def->dataOffset = kDataOffset;
    ClassRec* c = cls.get();
    st().classes.push_back(std::move(cls));  // first, so that its methods may name it
    for (std::uint32_t i = 0; i < def->methodCount; ++i) {
        MethodRec m = methodRecord(def->methods + i, "class " + c->name);
        m.owner = c;
        std::string key = m.entry.declaration;
        if (!c->methods.emplace(key, std::move(m)).second) fatal("declaration \"" + key + "\" registered twice");
    }
}

void svcRegisterClass(REALclassDefinition* def) {
    try {
        registerClass(def);
    } catch (std::bad_alloc const&) {
        outOfMemory();
    }
}

void svcRegisterMethod(HostMethodEntry const* entry) {
    try {
        MethodRec m = methodRecord(entry, "the module methods");
        std::string key = m.entry.declaration;
        if (!st().moduleMethods.emplace(key, std::move(m)).second) fatal("declaration \"" + key + "\" registered twice");
        st().moduleOrder.push_back(key);
    } catch (std::bad_alloc const&) {
        outOfMemory();
    }
}

REALstring svcBuildString(char const* bytes, std::int32_t count, std::uint32_t encoding) {
    if (encoding != kEncodingUTF8) fatal("string built in an encoding other than UTF-8");
    if (count < 0 || (count > 0 && bytes == nullptr)) fatal("string built from a negative count or nil bytes");
    try {
        if (st().inCall) reserveOne(st().builtInCall);
        REALstring s = newString(std::string(bytes ? bytes : "", static_cast<std::size_t>(count)));
        if (st().inCall) st().builtInCall.push_back(s);
        return s;
    } catch (std::bad_alloc const&) {
        st().lostInCall = true;
        return nullptr;
    }
}

bool svcGetStringData(REALstring s, std::uint32_t encoding, HostStringData* out) {
    if (out == nullptr) fatal("string data asked for without a record");
    if (s == nullptr || encoding != kEncodingUTF8) return false;
    if (st().strings.count(s) == 0) fatal("string data of a string the host does not know");
    // A copy of its own, so a missing dispose shows as a leak.
    char* copy = static_cast<char*>(std::malloc(s->bytes.size() + 1));
    try {
        if (copy == nullptr) throw std::bad_alloc();
        st().stringData.insert(copy);
    } catch (std::bad_alloc const&) {
        std::free(copy);
        st().lostInCall = true;
        return false;
    }
    std::memcpy(copy, s->bytes.data(), s->bytes.size());
    copy[s->bytes.size()] = '\0';
    out->data = copy;
    out->length = static_cast<std::uint32_t>(s->bytes.size());
    out->encoding = encoding;
    out->hostPrivate = reinterpret_cast<std::uintptr_t>(copy);
    return true;
}

void svcDisposeStringData(HostStringData* d) {
    if (d == nullptr) fatal("dispose of a nil string data record");
    void* copy = reinterpret_cast<void*>(d->hostPrivate);
    if (st().stringData.erase(copy) == 0) fatal("dispose of string data the host did not hand out");
    std::free(copy);
    *d = HostStringData{};
}

template <class Fn>
void* address(Fn fn) {
    return reinterpret_cast<void*>(fn);
}

// ---- calls by declaration

struct Slot {
    CType type;
    REALobject object;
    REALstring string;
    double number;
    std::int64_t integer;
    bool boolean;
};

template <class T>
T get(Slot const& s);
template <>
REALobject get<REALobject>(Slot const& s) {
    return s.object;
}
template <>
REALstring get<REALstring>(Slot const& s) {
    return s.string;
}
template <>
double get<double>(Slot const& s) {
    return s.number;
}
template <>
bool get<bool>(Slot const& s) {
    return s.boolean;
}
struct IntegerArg {};
struct CurrencyArg {};
template <class T>
struct CTypeOf {
    using type = T;
};
template <>
struct CTypeOf<IntegerArg> {
    using type = HostInteger;
};
template <>
struct CTypeOf<CurrencyArg> {
    using type = HostCurrency;
};
template <class T>
typename CTypeOf<T>::type arg(Slot const& s) {
    if constexpr (std::is_same_v<T, IntegerArg>)
        return static_cast<HostInteger>(s.integer);
    else if constexpr (std::is_same_v<T, CurrencyArg>)
        return static_cast<HostCurrency>(s.integer);
    else
        return get<T>(s);
}

constexpr std::size_t kMaxArgs = 3;  // receiver and two parameters

template <class R, class... A, std::size_t... I>
R invoke(HostFunction f, Slot const* s, std::index_sequence<I...>) {
    return reinterpret_cast<R (*)(typename CTypeOf<A>::type...)>(f)(arg<A>(s[I])...);
}

// Builds the function type one parameter at a time from the slots' C types.
template <class R, class... A>
R dispatch(HostFunction f, Slot const* s, std::size_t n) {
    if (sizeof...(A) == n) return invoke<R, A...>(f, s, std::index_sequence_for<A...>{});
    if constexpr (sizeof...(A) < kMaxArgs) {
        switch (s[sizeof...(A)].type) {
            case CType::Object: return dispatch<R, A..., REALobject>(f, s, n);
            case CType::String: return dispatch<R, A..., REALstring>(f, s, n);
            case CType::Double: return dispatch<R, A..., double>(f, s, n);
            case CType::Integer: return dispatch<R, A..., IntegerArg>(f, s, n);
            case CType::Currency: return dispatch<R, A..., CurrencyArg>(f, s, n);
            case CType::Boolean: return dispatch<R, A..., bool>(f, s, n);
        }
    }
    throw std::invalid_argument("too many parameters for the host's calls");
}

// Ends a call: adopts or borrows the returned handle, counts what the plug-in dropped,
// reads and releases the raised exceptions. When a service of the call or the reading of its
// result ran out of memory, throws std::bad_alloc with all of the call released.
void finishCall(CallResult& r, REALobject retObject, REALstring retString) {
    State& s = st();
    bool complete = !s.lostInCall;
    if (r.value.kind == Kind::Object && retObject) {
        if (s.objects.count(retObject) == 0) fatal("a method returned an object the host does not know");
        if (!takeFrom(s.createdInCall, retObject)) retain(retObject);
        r.value.object = Object(retObject);
    }
    if (r.value.kind == Kind::String) {
        if (retString == nullptr) {
            r.value.nilString = true;
        } else {
            if (s.strings.count(retString) == 0) fatal("a method returned a string the host does not know");
            try {
                r.value.text = retString->bytes;
            } catch (std::bad_alloc const&) {
                complete = false;
            }
            auto it = std::find(s.builtInCall.begin(), s.builtInCall.end(), retString);
            if (it != s.builtInCall.end()) {
                s.builtInCall.erase(it);
                releaseString(retString);
            }
        }
    }
    for (REALobject o : s.createdInCall) {
        ++s.stats.droppedObjects;
        release(o);
    }
    for (REALstring str : s.builtInCall) {
        ++s.stats.droppedStrings;
        releaseString(str);
    }
    for (REALobject e : s.raisedInCall) {
        try {
            if (complete) r.raised.push_back(e->cls->name);
        } catch (std::bad_alloc const&) {
            complete = false;
        }
        release(e);
    }
    s.createdInCall.clear();
    s.builtInCall.clear();
    s.raisedInCall.clear();
    s.inCall = false;
    s.lostInCall = false;
    if (!complete) throw std::bad_alloc();
}

std::string kindName(Kind k) {
    switch (k) {
        case Kind::None: return "nothing";
        case Kind::Object: return "an object";
        case Kind::String: return "a String";
        case Kind::Double: return "a Double";
        case Kind::Integer: return "an Integer";
        case Kind::Currency: return "a Currency";
        case Kind::Boolean: return "a Boolean";
    }
    return "?";
}

CallResult invokeMethod(MethodRec const& m, bool withReceiver, Object const& receiver, std::vector<Value> const& args) {
    // Built only for a message: the call itself must not allocate for it.
    auto decl = [&m] { return std::string(m.entry.declaration); };
    if (args.size() != m.sig.params.size())
        throw std::invalid_argument("\"" + decl() + "\" takes " + std::to_string(m.sig.params.size()) + " arguments");
    if (args.size() + (withReceiver ? 1 : 0) > kMaxArgs)
        throw std::invalid_argument("\"" + decl() + "\" has more parameters than the host passes");
    for (std::size_t i = 0; i < args.size(); ++i) {
        Value const& v = args[i];
        Param const& p = m.sig.params[i];
        if (v.kind != p.kind)
            throw std::invalid_argument("argument " + std::to_string(i + 1) + " of \"" + decl() + "\" is " +
                                        kindName(v.kind) + ", not " + kindName(p.kind));
        if (p.kind == Kind::Object && !v.object.isNil() && v.object.handle()->cls != p.cls)
            throw std::invalid_argument("argument " + std::to_string(i + 1) + " of \"" + decl() + "\" is not a " +
                                        p.className);
    }
    // On the stack: a compiled host passes its arguments in registers, not on the heap.
    std::array<Slot, kMaxArgs> slots{};
    std::size_t count = 0;
    // The argument strings, released however the call ends.
    struct Temporaries {
        std::array<REALstring, kMaxArgs> strings{};
        std::size_t count = 0;
        ~Temporaries() {
            for (std::size_t i = 0; i < count; ++i) releaseString(strings[i]);
        }
    } temporaries;
    if (withReceiver) slots[count++] = Slot{CType::Object, receiver.handle(), nullptr, 0, 0, false};
    for (std::size_t i = 0; i < args.size(); ++i) {
        Value const& v = args[i];
        Slot s{CType::Object, nullptr, nullptr, 0, 0, false};
        switch (m.sig.params[i].kind) {
            case Kind::Object:
                s.object = v.object.handle();
                break;
            case Kind::String:
                s.type = CType::String;
                if (!v.nilString) {
                    s.string = newString(v.text);
                    temporaries.strings[temporaries.count++] = s.string;
                }
                break;
            case Kind::Double: s.type = CType::Double, s.number = v.number; break;
            case Kind::Integer: s.type = CType::Integer, s.integer = v.integer; break;
            case Kind::Currency: s.type = CType::Currency, s.integer = v.integer; break;
            case Kind::Boolean: s.type = CType::Boolean, s.boolean = v.boolean; break;
            case Kind::None: break;
        }
        slots[count++] = s;
    }
    State& s = st();
    if (s.inCall) fatal("a call into the plug-in while another is running");
    s.inCall = true;
    s.lostInCall = false;
    CallResult r;
    r.value.kind = m.sig.result.kind;
    REALobject retObject = nullptr;
    REALstring retString = nullptr;
    HostFunction f = m.entry.function;
    switch (m.sig.result.kind) {
        case Kind::None: dispatch<void>(f, slots.data(), count); break;
        case Kind::Object: retObject = dispatch<REALobject>(f, slots.data(), count); break;
        case Kind::String: retString = dispatch<REALstring>(f, slots.data(), count); break;
        case Kind::Double: r.value.number = dispatch<double>(f, slots.data(), count); break;
        // Integer results travel as 32-bit values.
        case Kind::Integer: r.value.integer = dispatch<std::int32_t>(f, slots.data(), count); break;
        case Kind::Currency: r.value.integer = dispatch<HostCurrency>(f, slots.data(), count); break;
        case Kind::Boolean: r.value.boolean = dispatch<bool>(f, slots.data(), count); break;
    }
    finishCall(r, retObject, retString);
    return r;
}

}  // namespace

// ---- public face

void loadPlugin(std::string const& path) {
    State& s = st();
    if (s.library) {
        if (path != s.libraryPath) throw std::runtime_error("another plug-in is loaded already");
        return;
    }
    void* lib = nullptr;
    void* entry = nullptr;
#ifdef _WIN32
    HMODULE module = LoadLibraryA(path.c_str());
    if (module == nullptr)
        throw std::runtime_error("cannot load the plug-in: Windows error " + std::to_string(GetLastError()));
    // GetProcAddress gives a function pointer type; the entry's own type is restored below.
    FARPROC proc = GetProcAddress(module, PLUGIN_MAIN_NAME);
    if (proc == nullptr) {
        FreeLibrary(module);
        throw std::runtime_error("the plug-in has no " PLUGIN_MAIN_NAME);
    }
    lib = module;
    entry = reinterpret_cast<void*>(proc);
#else
    lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (lib == nullptr) throw std::runtime_error(std::string("cannot load the plug-in: ") + dlerror());
    entry = dlsym(lib, PLUGIN_MAIN_NAME);
    if (entry == nullptr) {
        dlclose(lib);
        throw std::runtime_error("the plug-in has no " PLUGIN_MAIN_NAME);
    }
#endif
    s.library = lib;
    s.libraryPath = path;
    reinterpret_cast<PluginMainFn>(entry)(&resolve);
}

void* resolve(char const* entryName) {
    static const std::pair<char const*, void*> entries[] = {
        {HOST_ENTRY_REGISTER_VERSION, address<HostRegisterVersionFn>(&svcRegisterVersion)},
        {HOST_ENTRY_NEW_INSTANCE, address<HostNewInstanceFn>(&svcNewInstance)},
        {HOST_ENTRY_RAISE_EXCEPTION, address<HostRaiseExceptionFn>(&svcRaiseException)},
        {HOST_ENTRY_REGISTER_CLASS, address<HostRegisterClassFn>(&svcRegisterClass)},
        {HOST_ENTRY_REGISTER_METHOD, address<HostRegisterMethodFn>(&svcRegisterMethod)},
        {HOST_ENTRY_BUILD_STRING, address<HostBuildStringFn>(&svcBuildString)},
        {HOST_ENTRY_GET_STRING_DATA, address<HostGetStringDataFn>(&svcGetStringData)},
        {HOST_ENTRY_DISPOSE_STRING_DATA, address<HostDisposeStringDataFn>(&svcDisposeStringData)},
    };
    // No std::string here: the plug-in calls this, and no exception may cross its frames.
    for (auto const& e : entries)
        if (entryName && std::strcmp(entryName, e.first) == 0) return e.second;
    fatal("the plug-in asked for the unknown entry \"" + std::string(entryName ? entryName : "(nil)") + "\"");
}

int32_t registeredPluginVersion() { return st().version; }

std::vector<REALclassDefinition const*> registeredClasses() {
    std::vector<REALclassDefinition const*> out;
    for (auto const& c : st().classes)
        if (c->def) out.push_back(c->def);
    return out;
}

REALclassDefinition const* findClass(std::string const& name) {
    ClassRec* c = classNamed(name);
    return c ? c->def : nullptr;
}

std::vector<HostMethodEntry> registeredModuleMethods() {
    std::vector<HostMethodEntry> out;
    for (auto const& key : st().moduleOrder) out.push_back(st().moduleMethods.at(key).entry);
    return out;
}

std::uintptr_t dataOffset() { return kDataOffset; }

bool readDeclaration(std::string const& text, Declaration& out) {
    Signature sig;
    if (!parseDeclaration(text, sig)) return false;
    out.name = sig.name;
    out.params.clear();
    for (Param const& p : sig.params) out.params.push_back(Parameter{p.kind, p.className});
    out.result = Parameter{sig.result.kind, sig.result.className};
    return true;
}

Object::Object(Object const& o) : p_(o.p_) { retain(p_); }
Object::~Object() { release(p_); }
std::string Object::className() const { return p_ ? p_->cls->name : std::string(); }
long Object::refCount() const { return p_ ? p_->refs : 0; }
void* Object::instanceData() const { return p_ ? reinterpret_cast<unsigned char*>(p_) + kDataOffset : nullptr; }

Value obj(Object const& o) {
    Value v;
    v.kind = Kind::Object;
    v.object = o;
    return v;
}
Value nilObject() { return obj(Object()); }
Value str(std::string const& s) {
    Value v;
    v.kind = Kind::String;
    v.text = s;
    return v;
}
Value nilString() {
    Value v;
    v.kind = Kind::String;
    v.nilString = true;
    return v;
}
Value dbl(double d) {
    Value v;
    v.kind = Kind::Double;
    v.number = d;
    return v;
}
Value integer(std::int64_t i) {
    Value v;
    v.kind = Kind::Integer;
    v.integer = i;
    return v;
}
Value currency(std::int64_t c) {
    Value v;
    v.kind = Kind::Currency;
    v.integer = c;
    return v;
}
Value boolean(bool b) {
    Value v;
    v.kind = Kind::Boolean;
    v.boolean = b;
    return v;
}

Object newObject(std::string const& className) {
    ClassRec* cls = classNamed(className);
    if (cls == nullptr) throw std::invalid_argument("no class " + className);
    return Object(allocObject(cls));
}

Object construct(std::string const& className, std::string const& decl, std::vector<Value> const& args,
                 CallResult* result) {
    Object o = newObject(className);
    CallResult r = call(className, o, decl, args);
    if (result) *result = std::move(r);
    return o;
}

Method bind(std::string const& className, std::string const& decl) {
    ClassRec* cls = classNamed(className);
    if (cls == nullptr) throw std::invalid_argument("no class " + className);
    auto it = cls->methods.find(decl);
    if (it == cls->methods.end()) throw std::invalid_argument("class " + className + " has no \"" + decl + "\"");
    return Method(&it->second);
}

Method bindModule(std::string const& decl) {
    auto it = st().moduleMethods.find(decl);
    if (it == st().moduleMethods.end()) throw std::invalid_argument("no module method \"" + decl + "\"");
    return Method(&it->second);
}

CallResult call(Method const& m, Object const& receiver, std::vector<Value> const& args) {
    if (m.rec_ == nullptr || m.rec_->owner == nullptr) throw std::invalid_argument("not a bound class method");
    if (!receiver.isNil() && receiver.handle()->cls != m.rec_->owner)
        throw std::invalid_argument("the receiver is not a " + m.rec_->owner->name);
    return invokeMethod(*m.rec_, true, receiver, args);
}

CallResult callModule(Method const& m, std::vector<Value> const& args) {
    if (m.rec_ == nullptr || m.rec_->owner != nullptr) throw std::invalid_argument("not a bound module method");
    return invokeMethod(*m.rec_, false, Object(), args);
}

CallResult call(std::string const& className, Object const& receiver, std::string const& decl,
                std::vector<Value> const& args) {
    return call(bind(className, decl), receiver, args);
}

CallResult callModule(std::string const& decl, std::vector<Value> const& args) {
    return callModule(bindModule(decl), args);
}

void refuseNewInstance(std::string const& className) { st().refused = className; }
void fillInstanceData(unsigned char byte) { st().fill = byte; }

Stats stats() {
    Stats s = st().stats;
    s.liveObjects = static_cast<long>(st().objects.size());
    s.liveStrings = static_cast<long>(st().strings.size());
    s.openStringData = static_cast<long>(st().stringData.size());
    return s;
}

}  // namespace vhost
