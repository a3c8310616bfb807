// A small plug-in that exercises every service and value kind of the host stand-in, so
// the host is tested apart from the decimal binding: a class with heap instance data,
// borrowed and new results, strings both ways, raised and dropped objects.
#include <cstdlib>
#include <string>

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
REALobject make(REALobject from, std::int64_t v) {
    REALobject o = REALnewInstance("Probe");
    if (o) dataOf(o)->value = from ? dataOf(from)->value : v;
    return o;
}
// The UTF-8 bytes of a string, or false for a nil one.
bool bytesOf(REALstring s, std::string& out) {
    HostStringData d{};
    if (!REALGetStringData(s, kEncodingUTF8, &d)) return false;
    out.assign(static_cast<char const*>(d.data), d.length);
    REALDisposeStringData(&d);
    return true;
}

void ProbeConstructor(REALobject self) {
    ProbeData* d = dataOf(self);
    std::free(d->heap);  // zero-filled by the host, so this is free(nullptr) on a new object
    d->heap = static_cast<int*>(std::malloc(sizeof(int)));
    if (d->heap == nullptr) std::abort();
    d->value = *d->heap = 0;
}
void ProbeDestructor(REALobject self) {
    std::free(dataOf(self)->heap);
    dataOf(self)->heap = nullptr;
}

template <class F>
HostFunction fn(F f) {
    return reinterpret_cast<HostFunction>(f);
}

HostMethodEntry ProbeMethods[] = {
    {fn(&ProbeConstructor), nullptr, "Constructor()", 4, 0, 0},
    {fn(+[](REALobject self, HostInteger v) { dataOf(self)->value = v; }), nullptr, "Constructor(v As Integer)", 4, 0, 0},
    {fn(+[](REALobject self) { return self ? std::int32_t(std::uint32_t(dataOf(self)->value)) : -1; }), nullptr,
     "Low() As Integer", 4, 0, 0},
    {fn(+[](REALobject self) -> HostCurrency { return self ? dataOf(self)->value : 0; }), nullptr, "Wide() As Currency",
     4, 0, 0},
    {fn(+[](REALobject self) { return self; }), nullptr, "Self() As Probe", 4, 0, 0},
    {fn(+[](REALobject, REALobject other) { return other; }), nullptr, "Other(p As Probe) As probe", 4, 0, 0},
    {fn(+[](REALobject self) { return make(self, 0); }), nullptr, "Clone() As Probe", 4, 0, 0},
    // Reversed, so the result is visibly new.
    {fn(+[](REALobject, REALstring s) {
         std::string t = "<nil>";
         if (bytesOf(s, t)) t.assign(t.rbegin(), t.rend());
         return REALBuildStringWithEncoding(t.data(), static_cast<std::int32_t>(t.size()), kEncodingUTF8);
     }),
     nullptr, "Echo(s As String) As String", 4, 0, 0},
    {fn(+[](REALobject) { return keptEmpty; }), nullptr, "Empty() As String", 4, 0, 0},
    {fn(+[](REALobject) { (void)REALnewInstance("Probe"); }), nullptr, "Drop()", 4, 0, 0},
    {fn(+[](REALobject, REALstring className) {
         std::string name;
         if (bytesOf(className, name)) REALRaiseException(REALnewInstance(name.c_str()));
     }),
     nullptr, "Raise(name As String)", 4, 0, 0},
    {fn(+[](REALobject, double x, HostCurrency c) { return x * static_cast<double>(c); }), nullptr,
     "Scale(x As Double, c As Currency) As Double", 4, 0, 0},
    {fn(+[](REALobject, bool b) { return !b; }), nullptr, "Not(b As Boolean) As Boolean", 4, 0, 0},
};

HostMethodEntry ProbeModule[] = {
    {fn(+[](HostInteger a, HostInteger b) { return std::int32_t(std::uint32_t(a) + std::uint32_t(b)); }), nullptr,
     "ProbeSum(a As Integer, b As Integer) As Integer", 4, 0, 0},
    {fn(+[](HostCurrency v) { return make(nullptr, v); }), nullptr, "ProbeMake(v As Currency) As Probe", 4, 0, 0},
    {fn(+[] { (void)REALBuildStringWithEncoding("x", 1, kEncodingUTF8); }), nullptr, "ProbeLeakString()", 4, 0, 0},
    {fn(+[]() -> HostCurrency { return 3; }), nullptr, "ProbeCount() As Currency", 4, 0, 0},
};

}  // namespace

void PluginEntry() {
    ProbeClass.version = ProbeExceptionClass.version = kHostPluginVersion;
    ProbeClass.name = "Probe";
    ProbeClass.dataSize = sizeof(ProbeData);
    ProbeClass.constructor = fn(&ProbeConstructor);
    ProbeClass.destructor = fn(&ProbeDestructor);
    ProbeClass.methods = ProbeMethods;
    ProbeClass.methodCount = sizeof ProbeMethods / sizeof ProbeMethods[0];
    ProbeExceptionClass.name = "ProbeException";
    ProbeExceptionClass.superName = "RuntimeException";
    SetClassConsoleSafe(&ProbeClass);
    REALRegisterClass(&ProbeClass);
    REALRegisterClass(&ProbeExceptionClass);
    for (auto const& m : ProbeModule) REALRegisterMethod(&m);
    keptEmpty = REALBuildStringWithEncoding(nullptr, 0, kEncodingUTF8);
}
