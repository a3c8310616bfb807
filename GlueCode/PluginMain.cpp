// REALPluginMain and the host-service wrappers. Addresses are kept once found; a
// missing entry is asked for again on the next call, so a host that adds it late works.
#include "PluginMain.h"

HostResolver gResolver = nullptr;

namespace {

// The address of `entry` as a service of type Fn, resolved once and kept.
template <class Fn>
Fn resolved(Fn& cache, char const* entry) {
    if (cache == nullptr && gResolver != nullptr) {
        void* address = gResolver(entry);
        if (address != nullptr) cache = reinterpret_cast<Fn>(address);
    }
    return cache;
}

}  // namespace

extern "C" VANTREL_EXPORT void REALPluginMain(HostResolver resolver) {
    gResolver = resolver;
    static HostRegisterVersionFn registerVersion = nullptr;
    if (auto fn = resolved(registerVersion, HOST_ENTRY_REGISTER_VERSION)) fn(static_cast<std::int32_t>(kHostPluginVersion));
    PluginEntry();
}

void* REALGetClassData(REALobject object, REALclassDefinition const* definition) {
    return reinterpret_cast<unsigned char*>(object) + definition->dataOffset;
}

REALobject REALnewInstance(char const* className) {
    static HostNewInstanceFn fn = nullptr;
    auto f = resolved(fn, HOST_ENTRY_NEW_INSTANCE);
    return f ? f(className) : nullptr;
}

void REALRaiseException(REALobject exception) {
    static HostRaiseExceptionFn fn = nullptr;
    if (auto f = resolved(fn, HOST_ENTRY_RAISE_EXCEPTION)) f(exception);
}

void SetClassConsoleSafe(REALclassDefinition* definition) { definition->flags |= kClassFlagConsoleSafe; }

void REALRegisterClass(REALclassDefinition* definition) {
    static HostRegisterClassFn fn = nullptr;
    if (auto f = resolved(fn, HOST_ENTRY_REGISTER_CLASS)) f(definition);
}

void REALRegisterMethod(HostMethodEntry const* entry) {
    static HostRegisterMethodFn fn = nullptr;
    if (auto f = resolved(fn, HOST_ENTRY_REGISTER_METHOD)) f(entry);
}

REALstring REALBuildStringWithEncoding(char const* bytes, std::int32_t byteCount, std::uint32_t encoding) {
    static HostBuildStringFn fn = nullptr;
    auto f = resolved(fn, HOST_ENTRY_BUILD_STRING);
    return f ? f(bytes, byteCount, encoding) : nullptr;
}

bool REALGetStringData(REALstring s, std::uint32_t encoding, HostStringData* out) {
    static HostGetStringDataFn fn = nullptr;
    auto f = resolved(fn, HOST_ENTRY_GET_STRING_DATA);
    return f ? f(s, encoding, out) : false;
}

void REALDisposeStringData(HostStringData* data) {
    static HostDisposeStringDataFn fn = nullptr;
    if (auto f = resolved(fn, HOST_ENTRY_DISPOSE_STRING_DATA)) f(data);
}
