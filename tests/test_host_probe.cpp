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
        if (std::strcmp(m.declaration, "ProbeSum(a As Integer, b As Integer) As Integer") == 0) found = true;
    EXPECT_TRUE(found);
}

TEST_F(HostProbe, ExportsOnlyTheEntry) {
    bool ok = false;
    auto names = oracle::exportedSymbols(VANTREL_PROBE_PATH, ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(names, std::vector<std::string>{"REALPluginMain"});
}

TEST_F(HostProbe, ObjectsRunConstructorAndDestructor) {
    Stats s0 = stats();
    {
        Object o = newObject("Probe");
        ASSERT_FALSE(o.isNil());
        EXPECT_EQ(o.refCount(), 1);
        EXPECT_EQ(o.className(), "Probe");
        EXPECT_EQ(stats().constructorRuns, s0.constructorRuns + 1);
        EXPECT_EQ(probe(o, "Low() As Integer").value.integer, 0);
        Object copy = o;
        EXPECT_EQ(o.refCount(), 2);
    }
    EXPECT_EQ(stats().destructorRuns, s0.destructorRuns + 1);
    EXPECT_EQ(stats().liveObjects, s0.liveObjects);
}

TEST_F(HostProbe, ConstructWithDeclaration) {
    Object o = construct("Probe", "Constructor(v As Integer)", {integer(41)});
    EXPECT_EQ(probe(o, "Low() As Integer").value.integer, 41);
    // Constructor() on a live object: the probe frees its old heap block itself.
    EXPECT_EQ(probe(o, "Constructor()").value.kind, Kind::None);
    EXPECT_EQ(probe(o, "Low() As Integer").value.integer, 0);
}

TEST_F(HostProbe, IntegersTravelAs64Bits) {
    struct Row {
        std::int64_t in;
        std::int32_t low;
    };
    const Row rows[] = {{0, 0},
                        {-1, -1},
                        {2147483647, 2147483647},
                        {(std::int64_t{1} << 32) + 40, 40},
                        {-(std::int64_t{1} << 32) - 5, -5},
                        {INT64_MIN, 0},
                        {INT64_MAX, -1}};
    for (Row const& r : rows) {
        Object o = construct("Probe", "Constructor(v As Integer)", {integer(r.in)});
        // The host's Integer is as wide as a pointer: on i386 only the low half travels.
        std::int64_t wide = sizeof(HostInteger) == 8 ? r.in : r.low;
        EXPECT_EQ(probe(o, "Wide() As Currency").value.integer, wide);
        EXPECT_EQ(probe(o, "Low() As Integer").value.integer, r.low) << r.in;
    }
    EXPECT_EQ(callModule("ProbeSum(a As Integer, b As Integer) As Integer", {integer(2147483647), integer(1)})
                  .value.integer,
              INT32_MIN);
}

TEST_F(HostProbe, DoublesCurrenciesAndBooleans) {
    Object o = newObject("Probe");
    EXPECT_DOUBLE_EQ(probe(o, "Scale(x As Double, c As Currency) As Double", {dbl(0.5), currency(-125)}).value.number,
                     -62.5);
    EXPECT_TRUE(probe(o, "Not(b As Boolean) As Boolean", {boolean(false)}).value.boolean);
    EXPECT_FALSE(probe(o, "Not(b As Boolean) As Boolean", {boolean(true)}).value.boolean);
    EXPECT_EQ(callModule("ProbeCount() As Currency", {}).value.integer, 3);
    Object m = callModule("ProbeMake(v As Currency) As Probe", {currency(INT64_MIN)}).value.object;
    ASSERT_FALSE(m.isNil());
    EXPECT_EQ(m.refCount(), 1) << "a new result carries its creation reference only";
    EXPECT_EQ(probe(m, "Wide() As Currency").value.integer, INT64_MIN);
}

TEST_F(HostProbe, ReturnedReceiverAndArgumentAreBorrowed) {
    Object a = newObject("Probe"), b = newObject("Probe");
    {
        CallResult r = probe(a, "Self() As Probe");
        EXPECT_EQ(r.value.object, a);
        EXPECT_EQ(a.refCount(), 2);
        CallResult r2 = probe(a, "Other(p As Probe) As probe", {obj(b)});
        EXPECT_EQ(r2.value.object, b);
        EXPECT_EQ(b.refCount(), 2);
    }
    EXPECT_EQ(a.refCount(), 1);
    EXPECT_EQ(b.refCount(), 1);
    CallResult n = probe(a, "Other(p As Probe) As probe", {nilObject()});
    EXPECT_TRUE(n.value.object.isNil());
    CallResult c = probe(a, "Clone() As Probe");
    EXPECT_NE(c.value.object, a);
    EXPECT_EQ(c.value.object.refCount(), 1);
}

TEST_F(HostProbe, NilReceiver) {
    EXPECT_EQ(probe(Object(), "Low() As Integer").value.integer, -1);
    EXPECT_TRUE(probe(Object(), "Self() As Probe").value.object.isNil());
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

TEST_F(HostProbe, ExceptionsAreRecordedByClassName) {
    Object o = newObject("Probe");
    CallResult r = probe(o, "Raise(name As String)", {str("ProbeException")});
    ASSERT_EQ(r.raised.size(), 1u);
    EXPECT_EQ(r.exception(), "ProbeException");
    EXPECT_EQ(probe(o, "Low() As Integer").exception(), "");
    long nils = stats().nilExceptions;
    refuseNewInstance("ProbeException");
    CallResult refused = probe(o, "Raise(name As String)", {str("ProbeException")});
    EXPECT_TRUE(refused.raised.empty());
    EXPECT_EQ(stats().nilExceptions, nils + 1);
}

TEST_F(HostProbe, RefusalGivesNil) {
    refuseNewInstance("Probe");
    EXPECT_TRUE(callModule("ProbeMake(v As Currency) As Probe", {currency(1)}).value.object.isNil());
    refuseNewInstance("");
    EXPECT_FALSE(callModule("ProbeMake(v As Currency) As Probe", {currency(1)}).value.object.isNil());
}

TEST_F(HostProbe, DroppedHandlesAreCountedAndReleased) {
    Object o = newObject("Probe");
    Stats s0 = stats();
    probe(o, "Drop()");
    callModule("ProbeLeakString()", {});
    Stats s1 = stats();
    EXPECT_EQ(s1.droppedObjects, s0.droppedObjects + 1);
    EXPECT_EQ(s1.droppedStrings, s0.droppedStrings + 1);
    EXPECT_EQ(s1.liveObjects, s0.liveObjects);
    EXPECT_EQ(s1.liveStrings, s0.liveStrings);
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

TEST(HostProbeDeath, UnknownEntryNameFailsLoudly) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(resolve("PluginNoSuchService"), "unknown entry \"PluginNoSuchService\"");
    EXPECT_NE(resolve("PluginNewInstance"), nullptr);
}

}  // namespace
