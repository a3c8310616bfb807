// The host stand-in through a probe plug-in: loading, registration records, object
// lifetime and references, strings both ways, every value kind, exceptions, refusal,
// and the host's own checks of its callers.
#include <gtest/gtest.h>

#include <cstring>
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
    Stats before_;
};

TEST_F(HostProbe, LoadsOnceAndRegisters) {
    EXPECT_NO_THROW(loadPlugin(VANTREL_PROBE_PATH));  // a second load of the same library is nothing
    EXPECT_EQ(registeredPluginVersion(), 13);
    REALclassDefinition const* p = findClass("Probe");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->dataOffset, dataOffset());
    EXPECT_NE(dataOffset(), 0u);
    EXPECT_EQ(dataOffset() % alignof(std::max_align_t), 0u);
    EXPECT_EQ(p->flags & kClassFlagConsoleSafe, kClassFlagConsoleSafe);
    EXPECT_EQ(findClass("probe"), p) << "class names are case-insensitive, as declarations are";
    REALclassDefinition const* e = findClass("ProbeException");
    ASSERT_NE(e, nullptr);
    EXPECT_STREQ(e->superName, "RuntimeException");
    EXPECT_EQ(findClass("NoSuchClass"), nullptr);
    bool found = false;
    for (auto const& m : registeredModuleMethods())
        found = found || std::strcmp(m.declaration, "ProbeSum(a As Integer, b As Integer) As Integer") == 0;
    EXPECT_TRUE(found);
    bool ok = false;
    EXPECT_EQ(oracle::exportedSymbols(VANTREL_PROBE_PATH, ok), std::vector<std::string>{"REALPluginMain"});
    EXPECT_TRUE(ok);
}

// Lifetime and references: the constructor and destructor run once each, a returned
// receiver or argument is borrowed, a new result carries only its creation reference.
TEST_F(HostProbe, ObjectsAndReferences) {
    Stats s0 = stats();
    {
        Object o = newObject("Probe");
        ASSERT_FALSE(o.isNil());
        EXPECT_EQ(o.className(), "Probe");
        EXPECT_EQ(stats().constructorRuns, s0.constructorRuns + 1);
        EXPECT_EQ(probe(o, "Low() As Integer").value.integer, 0);
        Object copy = o;
        EXPECT_EQ(o.refCount(), 2);
    }
    EXPECT_EQ(stats().destructorRuns, s0.destructorRuns + 1);
    EXPECT_EQ(stats().liveObjects, s0.liveObjects);
    Object o = construct("Probe", "Constructor(v As Integer)", {integer(41)});
    EXPECT_EQ(probe(o, "Low() As Integer").value.integer, 41);
    // Constructor() on a live object: the probe frees its old heap block itself.
    EXPECT_EQ(probe(o, "Constructor()").value.kind, Kind::None);
    EXPECT_EQ(probe(o, "Low() As Integer").value.integer, 0);
    Object b = newObject("Probe");
    {
        CallResult r = probe(o, "Self() As Probe"), r2 = probe(o, "Other(p As Probe) As probe", {obj(b)});
        EXPECT_TRUE(r.value.object == o && r2.value.object == b);
        EXPECT_TRUE(o.refCount() == 2 && b.refCount() == 2);
    }
    EXPECT_TRUE(o.refCount() == 1 && b.refCount() == 1);
    EXPECT_TRUE(probe(o, "Other(p As Probe) As probe", {nilObject()}).value.object.isNil());
    CallResult c = probe(o, "Clone() As Probe");
    EXPECT_NE(c.value.object, o);
    EXPECT_EQ(c.value.object.refCount(), 1);
    EXPECT_EQ(probe(Object(), "Low() As Integer").value.integer, -1) << "a nil receiver reaches the plug-in";
    EXPECT_TRUE(probe(Object(), "Self() As Probe").value.object.isNil());
}

// Integers travel as 64 bits (the plug-in may read the low half), Currency as 64 bits,
// Doubles and Booleans unchanged.
TEST_F(HostProbe, ValueKinds) {
    const std::pair<std::int64_t, std::int32_t> rows[] = {
        {0, 0}, {-1, -1}, {2147483647, 2147483647}, {(std::int64_t{1} << 32) + 40, 40},
        {-(std::int64_t{1} << 32) - 5, -5}, {INT64_MIN, 0}, {INT64_MAX, -1}};
    for (auto [in, low] : rows) {
        Object o = construct("Probe", "Constructor(v As Integer)", {integer(in)});
        // The host's Integer is as wide as a pointer: on i386 only the low half travels.
        std::int64_t wide = sizeof(HostInteger) == 8 ? in : low;
        EXPECT_EQ(probe(o, "Wide() As Currency").value.integer, wide);
        EXPECT_EQ(probe(o, "Low() As Integer").value.integer, low) << in;
    }
    EXPECT_EQ(callModule("ProbeSum(a As Integer, b As Integer) As Integer", {integer(2147483647), integer(1)}).value.integer,
              INT32_MIN);
    Object o = newObject("Probe");
    EXPECT_DOUBLE_EQ(probe(o, "Scale(x As Double, c As Currency) As Double", {dbl(0.5), currency(-125)}).value.number,
                     -62.5);
    EXPECT_TRUE(probe(o, "Not(b As Boolean) As Boolean", {boolean(false)}).value.boolean);
    EXPECT_FALSE(probe(o, "Not(b As Boolean) As Boolean", {boolean(true)}).value.boolean);
    EXPECT_EQ(callModule("ProbeCount() As Currency", {}).value.integer, 3);
    Object m = callModule("ProbeMake(v As Currency) As Probe", {currency(INT64_MIN)}).value.object;
    ASSERT_FALSE(m.isNil());
    EXPECT_EQ(m.refCount(), 1);
    EXPECT_EQ(probe(m, "Wide() As Currency").value.integer, INT64_MIN);
}

TEST_F(HostProbe, StringsBothWays) {
    Object o = newObject("Probe");
    struct Row {
        char const* in;
        char const* out;
    };
    const Row rows[] = {{"abc", "cba"}, {"", ""}, {"x", "x"}, {"12345678901234567890", "09876543210987654321"}};
    for (Row const& r : rows) EXPECT_EQ(probe(o, "Echo(s As String) As String", {str(r.in)}).value.text, r.out);
    EXPECT_EQ(probe(o, "Echo(s As String) As String", {nilString()}).value.text, "<nil>");
    std::string withNul("a\0b", 3);
    EXPECT_EQ(probe(o, "Echo(s As String) As String", {str(withNul)}).value.text, std::string("b\0a", 3));
    // The kept empty string is borrowed: returning it many times never frees it.
    for (int i = 0; i < 3; ++i) {
        CallResult r = probe(o, "Empty() As String");
        EXPECT_EQ(r.value.kind, Kind::String);
        EXPECT_EQ(r.value.text, "");
        EXPECT_FALSE(r.value.nilString);
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
    refuseNewInstance("Probe");
    EXPECT_TRUE(callModule("ProbeMake(v As Currency) As Probe", {currency(1)}).value.object.isNil());
    refuseNewInstance("");
    EXPECT_FALSE(callModule("ProbeMake(v As Currency) As Probe", {currency(1)}).value.object.isNil());
    s0 = stats();
    probe(o, "Drop()");
    callModule("ProbeLeakString()", {});
    Stats s1 = stats();
    EXPECT_TRUE(s1.droppedObjects == s0.droppedObjects + 1 && s1.droppedStrings == s0.droppedStrings + 1);
    EXPECT_TRUE(s1.liveObjects == s0.liveObjects && s1.liveStrings == s0.liveStrings) << "dropped handles are released";
}

TEST_F(HostProbe, CallerErrorsThrow) {
    Object o = newObject("Probe");
    EXPECT_THROW(probe(o, "NoSuch()"), std::invalid_argument);
    EXPECT_THROW(probe(o, "Low() As Integer", {integer(1)}), std::invalid_argument);
    EXPECT_THROW(probe(o, "Not(b As Boolean) As Boolean", {integer(1)}), std::invalid_argument);
    EXPECT_THROW(probe(o, "Scale(x As Double, c As Currency) As Double", {dbl(1), integer(1)}), std::invalid_argument);
    EXPECT_THROW(callModule("ProbeSum(a As Integer, b As Integer) As Integer", {integer(1)}), std::invalid_argument);
    EXPECT_THROW(call("NoSuchClass", o, "Low() As Integer", {}), std::invalid_argument);
    EXPECT_THROW(newObject("NoSuchClass"), std::invalid_argument);
    Object e = newObject("ProbeException");
    EXPECT_THROW(probe(e, "Low() As Integer"), std::invalid_argument) << "receiver of another class";
    EXPECT_THROW(probe(o, "Other(p As Probe) As probe", {obj(e)}), std::invalid_argument);
    EXPECT_THROW(loadPlugin("/nonexistent/libnothing.so"), std::runtime_error);
    // Declarations are keyed by their exact text.
    EXPECT_THROW(probe(o, "low() As Integer"), std::invalid_argument);
}

TEST_F(HostProbe, BoundMethodsCallAsByText) {
    Object o = newObject("Probe");
    Method wide = bind("Probe", "Wide() As Currency");
    Method sum = bindModule("ProbeSum(a As Integer, b As Integer) As Integer");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(call(wide, o, {}).value.integer, probe(o, "Wide() As Currency").value.integer);
        EXPECT_EQ(callModule(sum, {integer(i), integer(2)}).value.integer,
                  callModule("ProbeSum(a As Integer, b As Integer) As Integer", {integer(i), integer(2)}).value.integer);
    }
    EXPECT_THROW(bind("Probe", "NoSuch()"), std::invalid_argument);
    EXPECT_THROW(bind("NoSuchClass", "Wide() As Currency"), std::invalid_argument);
    EXPECT_THROW(bindModule("NoSuch()"), std::invalid_argument);
    EXPECT_THROW(call(sum, o, {integer(1), integer(2)}), std::invalid_argument) << "a module method on a receiver";
    EXPECT_THROW(callModule(wide, {}), std::invalid_argument) << "a class method without one";
    EXPECT_THROW(call(Method(), o, {}), std::invalid_argument);
    EXPECT_THROW(call(wide, newObject("ProbeException"), {}), std::invalid_argument);
    EXPECT_THROW(callModule(sum, {integer(1)}), std::invalid_argument);
}

TEST_F(HostProbe, ManyObjectsAreTrackedAndReleased) {
    long live = stats().liveObjects;
    std::vector<Object> v;
    for (int i = 0; i < 1000; ++i) v.push_back(newObject("Probe"));
    EXPECT_EQ(stats().liveObjects, live + 1000);
    // Released out of order, so the table's probe runs are broken at many places.
    for (std::size_t i = 0; i < v.size(); i += 3) v[i] = Object();
    EXPECT_EQ(stats().liveObjects, live + 1000 - 334);
    for (Object const& o : v)
        if (!o.isNil()) {
            EXPECT_EQ(probe(o, "Low() As Integer").value.integer, 0);
        }
    v.clear();
    EXPECT_EQ(stats().liveObjects, live);
}

TEST(HostProbeDeath, UnknownEntryNameFailsLoudly) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(resolve("PluginNoSuchService"), "unknown entry \"PluginNoSuchService\"");
    EXPECT_NE(resolve("PluginNewInstance"), nullptr);
}

}  // namespace
