// A small plug-in that exercises every service and value kind of the host stand-in, so
// the host is tested apart from the decimal binding: a class with heap instance data,
// borrowed and new results, strings both ways, raised and dropped objects.
#include <cstdlib>
#include <cstring>

#include "PluginMain.h"

namespace {

struct ProbeData {
    std::int64_t value;
    int* heap;  // freed by the destructor; a missed destructor shows as a leak
};

REALclassDefinition ProbeClass{};
REALclassDefinition ProbeExceptionClass{};
REALstring keptEmpty = nullptr;

ProbeData* dataOf(REALobject o) { return static_cast<ProbeData*>(REALGetClassData(o, &ProbeClass)); }

void ProbeConstructor(REALobject self) {
    ProbeData* d = dataOf(self);
    std::free(d->heap);  // zero-filled by the host, so this is free(nullptr) on a new object
    d->heap = static_cast<int*>(std::malloc(sizeof(int)));
    if (d->heap == nullptr) std::abort();
    *d->heap = 7;
    d->value = 0;
}
void ProbeDestructor(REALobject self) {
    ProbeData* d = dataOf(self);
    std::free(d->heap);
    d->heap = nullptr;
}
void ProbeSet(REALobject self, HostInteger v) { dataOf(self)->value = v; }
std::int32_t ProbeLow(REALobject self) {
    return self ? static_cast<std::int32_t>(static_cast<std::uint32_t>(dataOf(self)->value)) : -1;
}
HostCurrency ProbeWide(REALobject self) { return self ? dataOf(self)->value : 0; }
REALobject ProbeSelf(REALobject self) { return self; }
REALobject ProbeOther(REALobject, REALobject other) { return other; }
REALobject ProbeClone(REALobject self) {
    REALobject o = REALnewInstance("Probe");
    if (o && self) dataOf(o)->value = dataOf(self)->value;
    return o;
}
REALstring ProbeEcho(REALobject, REALstring s) {
    HostStringData d{};
    if (!REALGetStringData(s, kEncodingUTF8, &d)) return REALBuildStringWithEncoding("<nil>", 5, kEncodingUTF8);
    // Reversed, so the result is visibly new.
    char* buf = static_cast<char*>(std::malloc(d.length + 1u));
    if (buf == nullptr) std::abort();
    auto const* src = static_cast<char const*>(d.data);
    for (std::uint32_t i = 0; i < d.length; ++i) buf[i] = src[d.length - 1 - i];
    REALstring r = REALBuildStringWithEncoding(buf, static_cast<std::int32_t>(d.length), kEncodingUTF8);
    std::free(buf);
    REALDisposeStringData(&d);
    return r;
}
REALstring ProbeEmpty(REALobject) { return keptEmpty; }
void ProbeDrop(REALobject) { (void)REALnewInstance("Probe"); }
void ProbeRaise(REALobject, REALstring className) {
    HostStringData d{};
    if (!REALGetStringData(className, kEncodingUTF8, &d)) return;
    char name[64] = {};
    std::memcpy(name, d.data, d.length < 63 ? d.length : 63);
    REALDisposeStringData(&d);
    REALRaiseException(REALnewInstance(name));
}
double ProbeScale(REALobject, double x, HostCurrency c) { return x * static_cast<double>(c); }
bool ProbeNot(REALobject, bool b) { return !b; }

std::int32_t ProbeSum(HostInteger a, HostInteger b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
REALobject ProbeMake(HostCurrency v) {
    REALobject o = REALnewInstance("Probe");
    if (o) dataOf(o)->value = v;
    return o;
}
void ProbeLeakString() { (void)REALBuildStringWithEncoding("x", 1, kEncodingUTF8); }
HostCurrency ProbeCount() { return 3; }

template <class F>
HostFunction fn(F f) {
    return reinterpret_cast<HostFunction>(f);
}

HostMethodEntry ProbeMethods[] = {
    {fn(&ProbeConstructor), nullptr, "Constructor()", 4, 0, 0},
    {fn(&ProbeSet), nullptr, "Constructor(v As Integer)", 4, 0, 0},
    {fn(&ProbeLow), nullptr, "Low() As Integer", 4, 0, 0},
    {fn(&ProbeWide), nullptr, "Wide() As Currency", 4, 0, 0},
    {fn(&ProbeSelf), nullptr, "Self() As Probe", 4, 0, 0},
    {fn(&ProbeOther), nullptr, "Other(p As Probe) As probe", 4, 0, 0},
    {fn(&ProbeClone), nullptr, "Clone() As Probe", 4, 0, 0},
    {fn(&ProbeEcho), nullptr, "Echo(s As String) As String", 4, 0, 0},
    {fn(&ProbeEmpty), nullptr, "Empty() As String", 4, 0, 0},
    {fn(&ProbeDrop), nullptr, "Drop()", 4, 0, 0},
    {fn(&ProbeRaise), nullptr, "Raise(name As String)", 4, 0, 0},
    {fn(&ProbeScale), nullptr, "Scale(x As Double, c As Currency) As Double", 4, 0, 0},
    {fn(&ProbeNot), nullptr, "Not(b As Boolean) As Boolean", 4, 0, 0},
};

HostMethodEntry ProbeModule[] = {
    {fn(&ProbeSum), nullptr, "ProbeSum(a As Integer, b As Integer) As Integer", 4, 0, 0},
    {fn(&ProbeMake), nullptr, "ProbeMake(v As Currency) As Probe", 4, 0, 0},
    {fn(&ProbeLeakString), nullptr, "ProbeLeakString()", 4, 0, 0},
    {fn(&ProbeCount), nullptr, "ProbeCount() As Currency", 4, 0, 0},
};

}  // namespace

void PluginEntry() {
    ProbeClass.version = kHostPluginVersion;
    ProbeClass.name = "Probe";
    ProbeClass.dataSize = sizeof(ProbeData);
    ProbeClass.constructor = fn(&ProbeConstructor);
    ProbeClass.destructor = fn(&ProbeDestructor);
    ProbeClass.methods = ProbeMethods;
    ProbeClass.methodCount = sizeof ProbeMethods / sizeof ProbeMethods[0];
    ProbeExceptionClass.version = kHostPluginVersion;
    ProbeExceptionClass.name = "ProbeException";
    ProbeExceptionClass.superName = "RuntimeException";
    SetClassConsoleSafe(&ProbeClass);
    REALRegisterClass(&ProbeClass);
    REALRegisterClass(&ProbeExceptionClass);
    for (auto const& m : ProbeModule) REALRegisterMethod(&m);
    keptEmpty = REALBuildStringWithEncoding(nullptr, 0, kEncodingUTF8);
}
