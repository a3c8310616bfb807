// The plug-in's glue against a fake resolver: services that the host does not answer
// give 0, nil or false, or do nothing; answered ones are resolved once and kept, and
// their arguments and results pass through unchanged.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "PluginMain.h"

namespace {

int entryRuns = 0;
std::map<std::string, int> asked;
bool answer = false;
std::string log;
// Handles are only compared here, never read through (the host defines their records).
alignas(16) unsigned char objectBytes[64];
alignas(16) unsigned char stringBytes[16];
REALobject const fakeObject = reinterpret_cast<REALobject>(objectBytes);
REALstring const fakeString = reinterpret_cast<REALstring>(stringBytes);

void fRegisterVersion(std::int32_t v) { log += "version " + std::to_string(v) + ";"; }
REALobject fNewInstance(char const* name) {
    log += std::string("new ") + name + ";";
    return fakeObject;
}
void fRaise(REALobject o) { log += o == fakeObject ? "raise;" : "raise ?;"; }
void fRegisterClass(REALclassDefinition* d) { log += std::string("class ") + d->name + ";"; }
void fRegisterMethod(HostMethodEntry const* e) { log += std::string("method ") + e->declaration + ";"; }
REALstring fBuild(char const* b, std::int32_t n, std::uint32_t enc) {
    log += "build " + std::string(b, static_cast<std::size_t>(n)) + " " + std::to_string(enc) + ";";
    return fakeString;
}
bool fGet(REALstring s, std::uint32_t enc, HostStringData* d) {
    d->data = "hi";
    d->length = 2;
    return s == fakeString && enc == kEncodingUTF8;
}
void fDispose(HostStringData* d) { log += d->length == 2 ? "dispose;" : "dispose ?;"; }

void* fakeResolver(char const* name) {
    ++asked[name];
    if (!answer) return nullptr;
    static const std::map<std::string, void*> table = {
        {HOST_ENTRY_REGISTER_VERSION, reinterpret_cast<void*>(&fRegisterVersion)},
        {HOST_ENTRY_NEW_INSTANCE, reinterpret_cast<void*>(&fNewInstance)},
        {HOST_ENTRY_RAISE_EXCEPTION, reinterpret_cast<void*>(&fRaise)},
        {HOST_ENTRY_REGISTER_CLASS, reinterpret_cast<void*>(&fRegisterClass)},
        {HOST_ENTRY_REGISTER_METHOD, reinterpret_cast<void*>(&fRegisterMethod)},
        {HOST_ENTRY_BUILD_STRING, reinterpret_cast<void*>(&fBuild)},
        {HOST_ENTRY_GET_STRING_DATA, reinterpret_cast<void*>(&fGet)},
        {HOST_ENTRY_DISPOSE_STRING_DATA, reinterpret_cast<void*>(&fDispose)},
    };
    auto it = table.find(name);
    return it == table.end() ? nullptr : it->second;
}

void callEveryService(REALclassDefinition& def, HostMethodEntry const& entry) {
    REALobject o = REALnewInstance("Decimal");
    if (o) REALRaiseException(o);
    REALRegisterClass(&def);
    REALRegisterMethod(&entry);
    REALstring s = REALBuildStringWithEncoding("ab", 2, kEncodingUTF8);
    HostStringData d{};
    if (REALGetStringData(s, kEncodingUTF8, &d)) REALDisposeStringData(&d);
}

}  // namespace

void PluginEntry() { ++entryRuns; }

// One test, because the glue keeps what it resolved for the rest of the process.
TEST(HostGlue, UnresolvedThenResolvedOnce) {
    REALclassDefinition def{};
    def.name = "Decimal";
    HostMethodEntry entry{nullptr, nullptr, "F()", 4, 0, 0};

    // A host that answers nothing: every wrapper is inert, and asks again next time.
    answer = false;
    REALPluginMain(&fakeResolver);
    EXPECT_EQ(gResolver, &fakeResolver);
    EXPECT_EQ(entryRuns, 1);
    EXPECT_EQ(REALnewInstance("Decimal"), nullptr);
    EXPECT_EQ(REALnewInstance("Decimal"), nullptr);
    EXPECT_EQ(REALBuildStringWithEncoding("ab", 2, kEncodingUTF8), nullptr);
    HostStringData d{};
    EXPECT_FALSE(REALGetStringData(fakeString, kEncodingUTF8, &d));
    REALRaiseException(fakeObject);
    REALRegisterClass(&def);
    REALRegisterMethod(&entry);
    REALDisposeStringData(&d);
    EXPECT_EQ(log, "");
    EXPECT_EQ(asked[HOST_ENTRY_NEW_INSTANCE], 2);
    EXPECT_EQ(asked[HOST_ENTRY_REGISTER_VERSION], 1);

    // Now the host answers: each entry is asked for once more, then kept.
    answer = true;
    asked.clear();
    REALPluginMain(&fakeResolver);
    EXPECT_EQ(entryRuns, 2);
    for (int round = 0; round < 3; ++round) callEveryService(def, entry);
    std::string once = "new Decimal;raise;class Decimal;method F();build ab " + std::to_string(kEncodingUTF8) + ";dispose;";
    EXPECT_EQ(log, "version 13;" + once + once + once);
    for (char const* name : {HOST_ENTRY_NEW_INSTANCE, HOST_ENTRY_RAISE_EXCEPTION, HOST_ENTRY_REGISTER_CLASS,
                             HOST_ENTRY_REGISTER_METHOD, HOST_ENTRY_BUILD_STRING, HOST_ENTRY_GET_STRING_DATA,
                             HOST_ENTRY_DISPOSE_STRING_DATA, HOST_ENTRY_REGISTER_VERSION})
        EXPECT_EQ(asked[name], 1) << name;
    // Class data sits at the host's offset; the console-safe flag is added once.
    def.flags = 1;
    SetClassConsoleSafe(&def);
    EXPECT_EQ(def.flags, 5u);
    SetClassConsoleSafe(&def);
    EXPECT_EQ(def.flags, 5u);
    for (std::uintptr_t off : {0u, 8u, 48u}) {
        def.dataOffset = off;
        EXPECT_EQ(REALGetClassData(fakeObject, &def), static_cast<void*>(objectBytes + off));
    }
}
