// The records and handle types that pass between the host runtime and the plug-in,
// declared once for both sides. Pointer-sized fields are pointers or std::uintptr_t and
// every other field has a fixed width, so one layout rule serves 64-bit and 32-bit builds.
#ifndef VANTREL_HOSTINTERFACE_H
#define VANTREL_HOSTINTERFACE_H

#include <cstdint>

// Opaque to the plug-in; the host defines them.
struct REALobjectStruct;
struct REALstringStruct;
using REALobject = REALobjectStruct*;
using REALstring = REALstringStruct*;

// Any function the records carry; the host casts it back to the type its declaration gives.
using HostFunction = void (*)();
// Entry name in, service address out (nullptr when the host has no such entry).
using HostResolver = void* (*)(char const* entryName);

// The host's Integer: as wide as a pointer (64-bit on 64-bit hosts, 32-bit on i386).
#if UINTPTR_MAX > 0xFFFFFFFFu
using HostInteger = std::int64_t;
#else
using HostInteger = std::int32_t;
#endif
using HostCurrency = std::int64_t;  // count of 1/10000 units

constexpr std::uint32_t kHostPluginVersion = 13;
constexpr std::uint32_t kEncodingUTF8 = 0x08000100u;
constexpr std::uint32_t kClassFlagConsoleSafe = 4;
constexpr std::uint32_t kMethodFlagConsoleSafe = 4;

struct HostMethodEntry {
    HostFunction function;
    HostFunction setterFunction;  // unused: 0
    char const* declaration;
    std::uint32_t flags;
    std::uint32_t reserved1;      // 0
    std::uintptr_t reserved2;     // 0
};

struct HostPropertyEntry;  // no class here has properties; only the table slot exists
struct HostEventEntry;
struct HostConstantEntry;

struct REALclassDefinition {
    std::uint32_t version;
    char const* name;
    char const* superName;        // nullptr: no superclass
    std::uint32_t dataSize;       // bytes of instance data
    std::uintptr_t dataOffset;    // filled by the host at registration
    HostFunction constructor;     // void (*)(REALobject)
    HostFunction destructor;      // void (*)(REALobject)
    HostPropertyEntry const* properties;
    std::uint32_t propertyCount;
    HostMethodEntry const* methods;
    std::uint32_t methodCount;
    HostEventEntry const* events;
    std::uint32_t eventCount;
    HostConstantEntry const* constants;
    std::uint32_t constantCount;
    HostMethodEntry const* sharedMethods;
    std::uint32_t sharedMethodCount;
    std::uint32_t flags;
};

// Filled by the host's string-data service; the caller zeroes it first and hands it back
// to the dispose service when done.
struct HostStringData {
    void const* data;
    std::uint32_t length;         // bytes
    std::uint32_t encoding;
    std::uintptr_t hostPrivate;   // the host's own bookkeeping
    std::uintptr_t reserved;
};

// Entry names through which the plug-in reaches the host services.
#define HOST_ENTRY_REGISTER_VERSION "RegisterPluginVersion"
#define HOST_ENTRY_NEW_INSTANCE "PluginNewInstance"
#define HOST_ENTRY_RAISE_EXCEPTION "RuntimeRaiseException"
#define HOST_ENTRY_REGISTER_CLASS "PluginRegisterClass"
#define HOST_ENTRY_REGISTER_METHOD "PluginRegisterMethod"
#define HOST_ENTRY_BUILD_STRING "REALBuildStringWithEncoding"
#define HOST_ENTRY_GET_STRING_DATA "PluginGetStringData"
#define HOST_ENTRY_DISPOSE_STRING_DATA "PluginDisposeStringData"

// The services' types, as the host implements them.
using HostRegisterVersionFn = void (*)(std::int32_t version);
using HostNewInstanceFn = REALobject (*)(char const* className);
using HostRaiseExceptionFn = void (*)(REALobject exception);
using HostRegisterClassFn = void (*)(REALclassDefinition* definition);
using HostRegisterMethodFn = void (*)(HostMethodEntry const* entry);
using HostBuildStringFn = REALstring (*)(char const* bytes, std::int32_t byteCount, std::uint32_t encoding);
using HostGetStringDataFn = bool (*)(REALstring s, std::uint32_t encoding, HostStringData* out);
using HostDisposeStringDataFn = void (*)(HostStringData* data);

// The plug-in's export.
using PluginMainFn = void (*)(HostResolver resolver);
#define PLUGIN_MAIN_NAME "REALPluginMain"

#endif
