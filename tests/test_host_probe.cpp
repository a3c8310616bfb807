// The host stand-in through a probe plug-in: loading, registration records, object
// lifetime and references, strings both ways, every value kind, exceptions, refusal,
// and the host's own checks of its callers.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <stdexcept>

#include "Host.h"
#include "elf_symbols.h"

namespace {

using namespace vhost;

class HostProbe : public ::testing::Test {
protected:
    void SetUp() override {
        loadPlugin(VANTREL_PROBE_PATH);
        refuseNewInstance("");
        before_ = stats();
    }
    void TearDown() override {
        refuseNewInstance("");
        Stats s = stats();
        EXPECT_EQ(s.liveObjects, before_.liveObjects) << "objects left alive";
        EXPECT_EQ(s.liveStrings, before_.liveStrings) << "strings left alive";
        EXPECT_EQ(s.openStringData, 0);
    }
    static CallResult probe(Object const& self, std::string const& decl, std::vector<Value> const& args = {}) {
        return call("Probe", self, decl, args);
    }
    static std::int64_t low(Object const& o) { return probe(o, "Low() As Integer").value.integer; }
    Stats before_;
};

TEST_F(HostProbe, LoadsOnceAndRegisters) {
    EXPECT_NO_THROW(loadPlugin(VANTREL_PROBE_PATH));  // a second load of the same library is nothing
    EXPECT_EQ(registeredPluginVersion(), 13);
    REALclassDefinition const* p = findClass("Probe");
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(p->dataOffset == dataOffset() && dataOffset() != 0u && dataOffset() % alignof(std::max_align_t) == 0u);
    EXPECT_EQ(p->flags & kClassFlagConsoleSafe, kClassFlagConsoleSafe);
    EXPECT_EQ(findClass("probe"), p) << "class names are case-insensitive, as declarations are";
    ASSERT_NE(findClass("ProbeException"), nullptr);
    EXPECT_STREQ(findClass("ProbeException")->superName, "RuntimeException");
    EXPECT_EQ(findClass("NoSuchClass"), nullptr);
    bool found = false, ok = false;
    for (auto const& m : registeredModuleMethods())
        found = found || std::strcmp(m.declaration, "ProbeSum(a As Integer, b As Integer) As Integer") == 0;
    EXPECT_TRUE(found);
    EXPECT_EQ(oracle::exportedSymbols(VANTREL_PROBE_PATH, ok), std::vector<std::string>{"REALPluginMain"});
    EXPECT_TRUE(ok);
}

// Lifetime and references: the constructor and destructor run once each, a returned
// receiver or argument is borrowed, a new result carries only its creation reference;
// many objects released out of order break the table's probe runs at many places.
TEST_F(HostProbe, ObjectsAndReferences) {
    Stats s0 = stats();
    {
        Object o = newObject("Probe"), copy = o;
        EXPECT_EQ(o.className(), "Probe");
        EXPECT_EQ(stats().constructorRuns, s0.constructorRuns + 1);
        EXPECT_EQ(o.refCount(), 2);
    }
    EXPECT_EQ(stats().destructorRuns, s0.destructorRuns + 1);
    EXPECT_EQ(stats().liveObjects, s0.liveObjects);
    Object o = construct("Probe", "Constructor(v As Integer)", {integer(41)});
    EXPECT_EQ(low(o), 41);
    // Constructor() on a live object: the probe frees its old heap block itself.
    EXPECT_EQ(probe(o, "Constructor()").value.kind, Kind::None);
    EXPECT_EQ(low(o), 0);
    Object b = newObject("Probe");
    {
        CallResult r = probe(o, "Self() As Probe"), r2 = probe(o, "Other(p As Probe) As probe", {obj(b)});
        EXPECT_TRUE(r.value.object == o && r2.value.object == b);
        EXPECT_TRUE(o.refCount() == 2 && b.refCount() == 2);
    }
    EXPECT_TRUE(o.refCount() == 1 && b.refCount() == 1);
    EXPECT_TRUE(probe(o, "Other(p As Probe) As probe", {nilObject()}).value.object.isNil());
    CallResult c = probe(o, "Clone() As Probe");
    EXPECT_TRUE(c.value.object != o && c.value.object.refCount() == 1);
    EXPECT_EQ(low(Object()), -1) << "a nil receiver reaches the plug-in";
    EXPECT_TRUE(probe(Object(), "Self() As Probe").value.object.isNil());
    std::vector<Object> v(1000);
    for (Object& x : v) x = newObject("Probe");
    EXPECT_EQ(stats().liveObjects, s0.liveObjects + 1003);
    for (std::size_t i = 0; i < v.size(); i += 3) v[i] = Object();
    EXPECT_EQ(stats().liveObjects, s0.liveObjects + 1003 - 334);
    for (Object const& x : v) EXPECT_EQ(x.isNil() ? 0 : low(x), 0);
}

// Integers travel as 64 bits (the plug-in may read the low half), Currency as 64 bits,
// Doubles, Booleans and strings unchanged.
TEST_F(HostProbe, ValueKindsAndStrings) {
    const std::pair<std::int64_t, std::int32_t> rows[] = {
        {0, 0}, {-1, -1}, {2147483647, 2147483647}, {(std::int64_t{1} << 32) + 40, 40},
        {-(std::int64_t{1} << 32) - 5, -5}, {INT64_MIN, 0}, {INT64_MAX, -1}};
    for (auto [in, lo] : rows) {
        Object o = construct("Probe", "Constructor(v As Integer)", {integer(in)});
        // The host's Integer is as wide as a pointer: on i386 only the low half travels.
        EXPECT_EQ(probe(o, "Wide() As Currency").value.integer, sizeof(HostInteger) == 8 ? in : lo);
        EXPECT_EQ(low(o), lo) << in;
    }
    EXPECT_EQ(callModule("ProbeSum(a As Integer, b As Integer) As Integer", {integer(2147483647), integer(1)}).value.integer,
              INT32_MIN);
    Object o = newObject("Probe");
    EXPECT_DOUBLE_EQ(probe(o, "Scale(x As Double, c As Currency) As Double", {dbl(0.5), currency(-125)}).value.number,
                     -62.5);
    for (bool b : {false, true}) EXPECT_EQ(probe(o, "Not(b As Boolean) As Boolean", {boolean(b)}).value.boolean, !b);
    EXPECT_EQ(callModule("ProbeCount() As Currency", {}).value.integer, 3);
    Object m = callModule("ProbeMake(v As Currency) As Probe", {currency(INT64_MIN)}).value.object;
    ASSERT_FALSE(m.isNil());
    EXPECT_EQ(m.refCount(), 1);
    EXPECT_EQ(probe(m, "Wide() As Currency").value.integer, INT64_MIN);
    const std::pair<std::string, std::string> texts[] = {
        {"abc", "cba"}, {"", ""}, {"12345678901234567890", "09876543210987654321"}, {{"a\0b", 3}, {"b\0a", 3}}};
    for (auto const& [in, out] : texts) EXPECT_EQ(probe(o, "Echo(s As String) As String", {str(in)}).value.text, out);
    EXPECT_EQ(probe(o, "Echo(s As String) As String", {nilString()}).value.text, "<nil>");
    // The kept empty string is borrowed: returning it many times never frees it.
    for (int i = 0; i < 3; ++i) {
        CallResult r = probe(o, "Empty() As String");
        EXPECT_TRUE(r.value.kind == Kind::String && r.value.text.empty() && !r.value.nilString);
    }
}

// Raised exceptions by class name, the refusal switch, handles the plug-in drops.
TEST_F(HostProbe, ExceptionsRefusalAndDroppedHandles) {
    Object o = newObject("Probe");
    CallResult r = probe(o, "Raise(name As String)", {str("ProbeException")});
    ASSERT_EQ(r.raised.size(), 1u);
    EXPECT_EQ(r.exception(), "ProbeException");
    EXPECT_EQ(probe(o, "Low() As Integer").exception(), "");
    Stats s0 = stats();
    refuseNewInstance("ProbeException");
    EXPECT_TRUE(probe(o, "Raise(name As String)", {str("ProbeException")}).raised.empty());
    EXPECT_EQ(stats().nilExceptions, s0.nilExceptions + 1);
    for (char const* refused : {"Probe", ""}) {
        refuseNewInstance(refused);
        EXPECT_EQ(callModule("ProbeMake(v As Currency) As Probe", {currency(1)}).value.object.isNil(), *refused != 0);
    }
    s0 = stats();
    probe(o, "Drop()");
    callModule("ProbeLeakString()", {});
    Stats s1 = stats();
    EXPECT_TRUE(s1.droppedObjects == s0.droppedObjects + 1 && s1.droppedStrings == s0.droppedStrings + 1);
    EXPECT_TRUE(s1.liveObjects == s0.liveObjects && s1.liveStrings == s0.liveStrings) << "dropped handles are released";
}

// Calls the host refuses, by text and through bound methods; bound methods answer as
// the same call by text.
TEST_F(HostProbe, CallerErrorsAndBoundMethods) {
    Object o = newObject("Probe"), e = newObject("ProbeException");
    Method wide = bind("Probe", "Wide() As Currency");
    Method sum = bindModule("ProbeSum(a As Integer, b As Integer) As Integer");
    char const* const sumText = "ProbeSum(a As Integer, b As Integer) As Integer";
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(call(wide, o, {}).value.integer, probe(o, "Wide() As Currency").value.integer);
        EXPECT_EQ(callModule(sum, {integer(i), integer(2)}).value.integer,
                  callModule(sumText, {integer(i), integer(2)}).value.integer);
    }
    const std::function<void()> refused[] = {
        [&] { probe(o, "NoSuch()"); }, [&] { probe(o, "Low() As Integer", {integer(1)}); },
        [&] { probe(o, "low() As Integer"); },  // declarations are keyed by their exact text
        [&] { probe(o, "Not(b As Boolean) As Boolean", {integer(1)}); },
        [&] { probe(o, "Scale(x As Double, c As Currency) As Double", {dbl(1), integer(1)}); },
        [&] { callModule(sumText, {integer(1)}); }, [&] { call("NoSuchClass", o, "Low() As Integer", {}); },
        [&] { newObject("NoSuchClass"); }, [&] { probe(e, "Low() As Integer"); },  // receiver of another class
        [&] { probe(o, "Other(p As Probe) As probe", {obj(e)}); }, [&] { bind("Probe", "NoSuch()"); },
        [&] { bind("NoSuchClass", "Wide() As Currency"); }, [&] { bindModule("NoSuch()"); },
        [&] { call(sum, o, {integer(1), integer(2)}); }, [&] { callModule(wide, {}); }, [&] { call(Method(), o, {}); },
        [&] { call(wide, e, {}); }, [&] { callModule(sum, {integer(1)}); }};
    for (std::size_t i = 0; i < std::size(refused); ++i) EXPECT_THROW(refused[i](), std::invalid_argument) << "row " << i;
    EXPECT_THROW(loadPlugin("/nonexistent/libnothing.so"), std::runtime_error);
}

TEST(HostProbeDeath, UnknownEntryNameFailsLoudly) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(resolve("PluginNoSuchService"), "unknown entry \"PluginNoSuchService\"");
    EXPECT_NE(resolve("PluginNewInstance"), nullptr);
}

}  // namespace
