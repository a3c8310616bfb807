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

void* fakeResolver(char const* name) {
    ++asked[name];
    auto entry = [](auto f) { return reinterpret_cast<void*>(+f); };
    static const std::map<std::string, void*> table = {
        {HOST_ENTRY_REGISTER_VERSION, entry([](std::int32_t v) { log += "version " + std::to_string(v) + ";"; })},
        {HOST_ENTRY_NEW_INSTANCE, entry([](char const* n) { return log += std::string("new ") + n + ";", fakeObject; })},
        {HOST_ENTRY_RAISE_EXCEPTION, entry([](REALobject o) { log += o == fakeObject ? "raise;" : "raise ?;"; })},
        {HOST_ENTRY_REGISTER_CLASS, entry([](REALclassDefinition* d) { log += std::string("class ") + d->name + ";"; })},
        {HOST_ENTRY_REGISTER_METHOD,
         entry([](HostMethodEntry const* e) { log += std::string("method ") + e->declaration + ";"; })},
        {HOST_ENTRY_BUILD_STRING, entry([](char const* b, std::int32_t n, std::uint32_t enc) {
             return log += "build " + std::string(b, std::size_t(n)) + " " + std::to_string(enc) + ";", fakeString;
         })},
        {HOST_ENTRY_GET_STRING_DATA, entry([](REALstring s, std::uint32_t enc, HostStringData* d) {
             d->data = "hi";
             d->length = 2;
             return s == fakeString && enc == kEncodingUTF8;
         })},
        {HOST_ENTRY_DISPOSE_STRING_DATA, entry([](HostStringData* d) { log += d->length == 2 ? "dispose;" : "dispose ?;"; })},
    };
    auto it = table.find(name);
    return !answer || it == table.end() ? nullptr : it->second;
}

}  // namespace

void PluginEntry() { ++entryRuns; }

// One test, because the glue keeps what it resolved for the rest of the process.
TEST(HostGlue, UnresolvedThenResolvedOnce) {
    REALclassDefinition def{};
    def.name = "Decimal";
    HostMethodEntry entry{nullptr, nullptr, "F()", 4, 0, 0};
    // Every service once; with a host that answers nothing, all are inert.
    auto callEveryService = [&](bool answered) {
        REALobject o = REALnewInstance("Decimal");
        EXPECT_EQ(o, answered ? fakeObject : nullptr);
        REALRaiseException(answered ? o : fakeObject);
        REALRegisterClass(&def);
        REALRegisterMethod(&entry);
        REALstring s = REALBuildStringWithEncoding("ab", 2, kEncodingUTF8);
        EXPECT_EQ(s, answered ? fakeString : nullptr);
        HostStringData d{};
        EXPECT_EQ(REALGetStringData(answered ? s : fakeString, kEncodingUTF8, &d), answered);
        REALDisposeStringData(&d);
    };
    // Unanswered entries are asked for again next time.
    REALPluginMain(&fakeResolver);
    EXPECT_EQ(gResolver, &fakeResolver);
    EXPECT_EQ(entryRuns, 1);
    for (int round = 0; round < 2; ++round) callEveryService(false);
    EXPECT_EQ(log, "");
    EXPECT_EQ(asked[HOST_ENTRY_NEW_INSTANCE], 2);
    EXPECT_EQ(asked[HOST_ENTRY_REGISTER_VERSION], 1);

    // Now the host answers: each entry is asked for once more, then kept.
    answer = true;
    asked.clear();
    REALPluginMain(&fakeResolver);
    EXPECT_EQ(entryRuns, 2);
    for (int round = 0; round < 3; ++round) callEveryService(true);
    std::string once = "new Decimal;raise;class Decimal;method F();build ab " + std::to_string(kEncodingUTF8) + ";dispose;";
    EXPECT_EQ(log, "version 13;" + once + once + once);
    EXPECT_EQ(asked.size(), 8u);
    for (auto const& [name, n] : asked) EXPECT_EQ(n, 1) << name;
    // Class data sits at the host's offset; the console-safe flag is added once.
    def.flags = 1;
    for (int i = 0; i < 2; ++i) {
        SetClassConsoleSafe(&def);
        EXPECT_EQ(def.flags, 5u);
    }
    for (std::uintptr_t off : {0u, 8u, 48u}) {
        def.dataOffset = off;
        EXPECT_EQ(REALGetClassData(fakeObject, &def), static_cast<void*>(objectBytes + off));
    }
}
