// The class Decimal, its exception classes and the module methods, as the host sees them.
// Each registered function is one line naming its family, operation and operand order;
// the families hold the rules for nil handles, divisor and domain tests, result objects
// and raised exceptions.
#include "Vantrel.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "PluginMain.h"
#include "fpFuncs.h"

REALstring nullString = nullptr;

namespace {

char const* const kBadInput = "DecBadInputException";
char const* const kDivideByZero = "DecDivideByZeroException";
char const* const kNilObject = "DecNilObjectException";
char const* const kNegativeNumber = "DecNegativeNumberException";
char const* const kBadEntryNumber = "DecBadEntryNumberException";
char const* const kDecToCurrOverflow = "DecToCurrOverflowException";

DecData& dec(REALobject o) { return *static_cast<DecData*>(REALGetClassData(o, &DecClass)); }

std::int32_t lowHalf(HostInteger n) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(n)); }

void raise(char const* exceptionClass) {
    // A host that cannot make the exception object has nothing to raise.
    if (REALobject e = REALnewInstance(exceptionClass)) REALRaiseException(e);
}

// A new Decimal holding 0, or nil after raising DecNilObjectException.
REALobject newDec() {
    REALobject r = REALnewInstance("Decimal");
    if (r == nullptr) raise(kNilObject);
    return r;
}

// A result the decimal layer refused is never shown as a value: the result holds 0.
REALobject refusedUnless(bool ok, REALobject r) {
    if (!ok) {
        myFree(dec(r));
        raise(kBadEntryNumber);
    }
    return r;
}

REALstring hostText(char* text) {
    if (text == nullptr) {
        raise(kBadEntryNumber);
        return nullString;
    }
    REALstring s = REALBuildStringWithEncoding(text, static_cast<std::int32_t>(std::strlen(text)), kEncodingUTF8);
    std::free(text);
    return s;
}

// ---- two operands: receiver and a Decimal, Double or Integer, either order

using DecOp = bool (*)(DecData&, DecData const&, DecData const&);
enum Order { ReceiverFirst, OperandFirst };
enum ZeroTest { NoDivision, Division };

// The divisor test comes before the result object; a zero divisor returns the receiver.
REALobject combine(REALobject self, DecData const& operand, DecOp op, Order order, bool divisorZero) {
    if (divisorZero) {
        raise(kDivideByZero);
        return self;
    }
    REALobject r = newDec();
    if (r == nullptr) return nullptr;
    DecData const& a = order == ReceiverFirst ? dec(self) : operand;
    DecData const& b = order == ReceiverFirst ? operand : dec(self);
    return refusedUnless(op(dec(r), a, b), r);
}

bool divisorIsZero(ZeroTest test, Order order, DecData const& self, DecData const& operand) {
    if (test == NoDivision) return false;
    return (order == ReceiverFirst ? operand : self).mantissa.length == 0;
}

REALobject withDecimal(REALobject self, REALobject x, DecOp op, ZeroTest test) {
    if (self == nullptr) return nullptr;
    if (x == nullptr) return self;
    return combine(self, dec(x), op, ReceiverFirst, divisorIsZero(test, ReceiverFirst, dec(self), dec(x)));
}

REALobject withDouble(REALobject self, double x, DecOp op, Order order, ZeroTest test) {
    if (self == nullptr) return nullptr;
    DecData t;
    getDec_d(t, x);
    // The Double divisor is tested as given: a NaN is not zero (its decimal image is, and
    // the decimal layer refuses that division).
    bool zero = test == Division && (order == ReceiverFirst ? x == 0.0 : dec(self).mantissa.length == 0);
    return combine(self, t, op, order, zero);
}

REALobject withInteger(REALobject self, HostInteger x, DecOp op, Order order, ZeroTest test) {
    return withDouble(self, static_cast<double>(lowHalf(x)), op, order, test);
}

// ---- powers: a failed power returns its result object, holding 0

REALobject powResult(REALobject r, bool ok) {
    if (!ok) raise(kBadEntryNumber);
    return r;
}

// ---- module functions through fp

// An fp function with whether it wrote its target: beyond the exponential's range
// exp, sinh and cosh leave it unchanged, which must not read as 0.
using FpFn = bool (*)(fp&, fp const&);
enum Domain { AbsAtMostOne, AtLeastOne, AbsBelowOne };

bool inside(fp const& a, Domain d) {
    switch (d) {
        case AbsAtMostOne: return !(a > 1.0) && !(a < -1.0);
        case AtLeastOne: return !(a < 1.0);
        case AbsBelowOne: return a < 1.0 && a > -1.0;
    }
    return false;
}

// r = f(a) brought back to decimal; an argument beyond fp's reach is refused.
REALobject throughFp(REALobject r, fp const& a, bool argumentOk, FpFn f) {
    fp z;
    bool done = argumentOk && f(z, a);
    RRtoDec(dec(r), z);
    return refusedUnless(done, r);
}

REALobject plainFp(REALobject x, FpFn f) {
    if (x == nullptr) {
        raise(kNilObject);
        return nullptr;
    }
    REALobject r = newDec();
    if (r == nullptr) return nullptr;
    fp a;
    bool ok = DecToRR(a, dec(x));
    return throughFp(r, a, ok, f);
}

// The domain test comes before the result object; outside it the argument is returned.
REALobject domainFp(REALobject x, FpFn f, Domain d) {
    if (x == nullptr) {
        raise(kNilObject);
        return nullptr;
    }
    fp a;
    if (!DecToRR(a, dec(x)) || !inside(a, d)) {
        raise(kBadEntryNumber);
        return x;
    }
    REALobject r = newDec();
    if (r == nullptr) return nullptr;
    return throughFp(r, a, true, f);
}

enum Sign { NotNegative, Positive };

// Sqrt and Log: a sign test on the mantissa, the argument returned when it fails.
REALobject signedFp(REALobject x, FpFn f, Sign need) {
    int32 len = dec(x).mantissa.length;
    if (len < 0 || (need == Positive && len == 0)) {
        raise(kNegativeNumber);
        return x;
    }
    REALobject r = newDec();
    if (r == nullptr) return nullptr;
    fp a;
    bool ok = DecToRR(a, dec(x));
    return throughFp(r, a, ok, f);
}

template <void (*F)(fp&, fp const&)>
bool always(fp& z, fp const& a) {
    F(z, a);
    return true;
}

template <void (*F)(fp&, fp const&)>
bool inExpRange(fp& z, fp const& a) {
    if (!expInRange(a)) return false;
    F(z, a);
    return true;
}

FpFn const sqrtFp = always<sqrt>;
FpFn const logFp = always<log>;
FpFn const expFp = inExpRange<exp>;
FpFn const sinFp = always<sin>;
FpFn const cosFp = always<cos>;
FpFn const tanFp = always<tan>;
FpFn const asinFp = always<asin>;
FpFn const acosFp = always<acos>;
FpFn const atanFp = always<atan>;
FpFn const sinhFp = inExpRange<sinh>;
FpFn const coshFp = inExpRange<cosh>;
FpFn const tanhFp = always<tanh>;
FpFn const asinhFp = always<asinh>;
FpFn const acoshFp = always<acosh>;
FpFn const atanhFp = always<atanh>;

template <class F>
HostFunction fn(F f) {
    return reinterpret_cast<HostFunction>(f);
}

constexpr std::uint32_t kFlags = kMethodFlagConsoleSafe;

REALclassDefinition exceptionClass(char const* name) {
    REALclassDefinition c{};
    c.version = kHostPluginVersion;
    c.name = name;
    c.superName = "RuntimeException";
    return c;
}

}  // namespace

// ---- the class Decimal

void DecConstructor(REALobject self) {
    // Also "Constructor()", which a host program may call on an object holding a value.
    if (self) myFree(dec(self));
}

void DecConstructor2(REALobject self, REALstring text) {
    if (self == nullptr) return;
    DecData& d = dec(self);
    HostStringData data{};
    if (!REALGetStringData(text, kEncodingUTF8, &data)) {
        myFree(d);
        return;
    }
    std::uint32_t n = data.length;
    if (n == 0) {
        REALDisposeStringData(&data);
        myFree(d);
        return;
    }
    char* copy = copyText(static_cast<char const*>(data.data), std::size_t{n});
    REALDisposeStringData(&data);
    // Read into a temporary: a refused text leaves the object's value as it was, and the
    // reader may have left part of a number behind.
    DecData read;
    // A NUL inside the host's text would cut it short; such a text is no number.
    bool ok = std::memchr(copy, '\0', n) == nullptr && getDec_Str(read, copy);
    std::free(copy);
    if (!ok) {
        raise(kBadInput);
        return;
    }
    d.mantissa = std::move(read.mantissa);
    d.exponent = read.exponent;
}

void DecConstructor3(REALobject self, double x) {
    if (self) getDec_d(dec(self), x);
}

void DecFree(REALobject self) {
    if (self) myFree(dec(self));
}

void DecDestructor(REALobject self) {
    if (self) myFree(dec(self));
}

REALstring DecToS(REALobject self) { return self ? hostText(getString(dec(self))) : nullString; }
REALstring DecToS2(REALobject self) { return self ? hostText(getString2(dec(self))) : nullString; }

REALobject convertDecToDec(REALobject self) {
    if (self == nullptr) return nullptr;
    REALobject r = newDec();
    if (r == nullptr) return nullptr;
    dec(r).mantissa = dec(self).mantissa;
    dec(r).exponent = dec(self).exponent;
    return r;
}

void convertDoubleToDec(REALobject self, double x) {
    if (self) getDec_d(dec(self), x);
}

double convertDecToDouble(REALobject self) { return self ? getDouble_Dec(dec(self)) : 0.0; }

REALobject NegateDec(REALobject self) {
    if (self == nullptr) return nullptr;
    REALobject r = newDec();
    if (r == nullptr) return nullptr;
    dec(r).mantissa = -dec(self).mantissa;
    dec(r).exponent = dec(self).exponent;
    return r;
}

REALobject AddDec_Dec(REALobject self, REALobject x) { return withDecimal(self, x, addDec, NoDivision); }
REALobject SubDec_Dec(REALobject self, REALobject x) { return withDecimal(self, x, subDec, NoDivision); }
REALobject MulDec_Dec(REALobject self, REALobject x) { return withDecimal(self, x, mulDec, NoDivision); }
REALobject DivDec_Dec(REALobject self, REALobject x) { return withDecimal(self, x, divDec, Division); }
REALobject AddDec_D(REALobject self, double x) { return withDouble(self, x, addDec, ReceiverFirst, NoDivision); }
REALobject SubDec_D(REALobject self, double x) { return withDouble(self, x, subDec, ReceiverFirst, NoDivision); }
REALobject SubD_Dec(REALobject self, double x) { return withDouble(self, x, subDec, OperandFirst, NoDivision); }
REALobject MulDec_D(REALobject self, double x) { return withDouble(self, x, mulDec, ReceiverFirst, NoDivision); }
REALobject DivDec_D(REALobject self, double x) { return withDouble(self, x, divDec, ReceiverFirst, Division); }
REALobject DivD_Dec(REALobject self, double x) { return withDouble(self, x, divDec, OperandFirst, Division); }
REALobject AddDec_I(REALobject self, HostInteger x) { return withInteger(self, x, addDec, ReceiverFirst, NoDivision); }
REALobject SubDec_I(REALobject self, HostInteger x) { return withInteger(self, x, subDec, ReceiverFirst, NoDivision); }
REALobject SubI_Dec(REALobject self, HostInteger x) { return withInteger(self, x, subDec, OperandFirst, NoDivision); }
REALobject MulDec_I(REALobject self, HostInteger x) { return withInteger(self, x, mulDec, ReceiverFirst, NoDivision); }
REALobject DivDec_I(REALobject self, HostInteger x) { return withInteger(self, x, divDec, ReceiverFirst, Division); }
REALobject DivI_Dec(REALobject self, HostInteger x) { return withInteger(self, x, divDec, OperandFirst, Division); }

REALobject PowDec_Dec(REALobject self, REALobject x) {
    if (x == nullptr || self == nullptr) return self;
    REALobject r = newDec();
    return r ? powResult(r, pow(dec(r), dec(self), dec(x))) : nullptr;
}
REALobject PowDec_D(REALobject self, double y) {
    if (self == nullptr) return nullptr;
    REALobject r = newDec();
    return r ? powResult(r, pow(dec(r), dec(self), y)) : nullptr;
}
REALobject PowDec_INT32(REALobject self, HostInteger y) {
    if (self == nullptr) return nullptr;
    REALobject r = newDec();
    return r ? powResult(r, pow(dec(r), dec(self), static_cast<int>(lowHalf(y)))) : nullptr;
}
REALobject PowD_Dec2(REALobject self, double x) {
    if (self == nullptr) return nullptr;
    REALobject r = newDec();
    return r ? powResult(r, pow(dec(r), x, dec(self))) : nullptr;
}

std::int32_t CompareDec_Dec(REALobject self, REALobject x) {
    return self && x ? compareDecToDec(dec(self), dec(x)) : 0;
}
std::int32_t CompareDec_D(REALobject self, double x) { return self ? compareDecToDouble(dec(self), x) : 0; }

// ---- module methods

REALobject SqrDec(REALobject x) {
    if (x == nullptr) return nullptr;
    REALobject r = newDec();
    return r ? refusedUnless(mulDec(dec(r), dec(x), dec(x)), r) : nullptr;
}
REALobject SqrtDec(REALobject x) { return x ? signedFp(x, sqrtFp, NotNegative) : nullptr; }
REALobject LogDec(REALobject x) {
    if (x == nullptr) {
        raise(kNilObject);
        return nullptr;
    }
    return signedFp(x, logFp, Positive);
}
std::int32_t Log2Dec(REALobject x) {
    if (x == nullptr) return 0;
    if (dec(x).mantissa.length <= 0) {
        raise(kNegativeNumber);
        return 0;
    }
    fp a;
    if (!DecToRR(a, dec(x))) {
        raise(kBadEntryNumber);
        return 0;
    }
    return Lg2(a);
}
REALobject ExpDec(REALobject x) { return plainFp(x, expFp); }
REALobject SinDec(REALobject x) { return plainFp(x, sinFp); }
REALobject CosDec(REALobject x) { return plainFp(x, cosFp); }
REALobject TanDec(REALobject x) { return plainFp(x, tanFp); }
REALobject ASinDec(REALobject x) { return domainFp(x, asinFp, AbsAtMostOne); }
REALobject ACosDec(REALobject x) { return domainFp(x, acosFp, AbsAtMostOne); }
REALobject ATanDec(REALobject x) { return plainFp(x, atanFp); }
REALobject SinhDec(REALobject x) { return plainFp(x, sinhFp); }
REALobject CoshDec(REALobject x) { return plainFp(x, coshFp); }
REALobject TanhDec(REALobject x) { return plainFp(x, tanhFp); }
REALobject ASinhDec(REALobject x) { return plainFp(x, asinhFp); }
REALobject ACoshDec(REALobject x) { return domainFp(x, acoshFp, AtLeastOne); }
REALobject ATanhDec(REALobject x) { return domainFp(x, atanhFp, AbsBelowOne); }

REALobject ATan2Dec(REALobject y, REALobject x) {
    if (x == nullptr) return nullptr;
    if (y == nullptr) {
        raise(kNilObject);
        return nullptr;
    }
    REALobject r = newDec();
    if (r == nullptr) return nullptr;
    fp a, b, z;
    bool ok = DecToRR(a, dec(x)) && DecToRR(b, dec(y));
    if (ok) atan2(z, b, a);
    RRtoDec(dec(r), z);
    return refusedUnless(ok, r);
}

REALobject PowD_Dec(double x, REALobject y) {
    if (y == nullptr) return nullptr;
    REALobject r = newDec();
    if (r == nullptr) return nullptr;
    fp a, z;
    bool ok = DecToRR(a, dec(y)) && pow(z, x, a);
    RRtoDec(dec(r), z);
    return powResult(r, ok);
}

REALobject convertCurrToDec(HostCurrency c) {
    REALobject r = newDec();
    if (r) getDec_Curr(dec(r), c);
    return r;
}

HostCurrency convertDecToCurr(REALobject x) {
    if (x == nullptr) {
        raise(kNilObject);
        return 0;
    }
    long long c = 0;
    if (getCurr_Dec(c, dec(x))) return c;
    raise(kDecToCurrOverflow);
    return 0;
}

// ---- settings

void SetDecPrec(HostInteger n) {
    std::int32_t v = lowHalf(n);
    // 4|n| must fit 32 bits; the most negative value has no 32-bit magnitude either.
    constexpr std::int32_t kMaxDigits = INT32_MAX / 4;
    std::int32_t digits = v < -kMaxDigits || v > kMaxDigits ? kMaxDigits : (v < 0 ? -v : v);
    globalBitPrecision = 4 * digits;
    blockPrec = globalBitPrecision / 32 + 1;
}
std::int32_t GetDecPrec() { return globalBitPrecision / 4; }
void SetScale(HostInteger n) { scale = lowHalf(n); }
std::int32_t GetScale() { return scale; }

// ---- registration

REALclassDefinition DecClass = [] {
    REALclassDefinition c{};
    c.version = kHostPluginVersion;
    c.name = "Decimal";
    c.dataSize = sizeof(DecData);
    c.constructor = fn(&DecConstructor);
    c.destructor = fn(&DecDestructor);
    c.methods = DecMethods;
    c.methodCount = kDecMethodCount;
    return c;
}();
REALclassDefinition BadInputExceptionClass = exceptionClass(kBadInput);
REALclassDefinition DivideByZeroExceptionClass = exceptionClass(kDivideByZero);
REALclassDefinition NilObjectExceptionClass = exceptionClass(kNilObject);
REALclassDefinition NegativeNumberExceptionClass = exceptionClass(kNegativeNumber);
REALclassDefinition BadEntryNumberExceptionClass = exceptionClass(kBadEntryNumber);
REALclassDefinition DecToCurrOverflowExceptionClass = exceptionClass(kDecToCurrOverflow);

HostMethodEntry DecMethods[kDecMethodCount] = {
    {fn(&DecConstructor), nullptr, "Constructor()", kFlags, 0, 0},
    {fn(&DecConstructor2), nullptr, "Constructor(inputString As String)", kFlags, 0, 0},
    {fn(&DecConstructor3), nullptr, "Constructor(x As Double)", kFlags, 0, 0},
    {fn(&DecFree), nullptr, "DecFree()", kFlags, 0, 0},
    {fn(&DecDestructor), nullptr, "Destructor()", kFlags, 0, 0},
    {fn(&DecToS), nullptr, "Str() As String", kFlags, 0, 0},
    {fn(&DecToS2), nullptr, "DecStr() As String", kFlags, 0, 0},
    {fn(&convertDecToDec), nullptr, "Operator_Convert() As Decimal", kFlags, 0, 0},
    {fn(&convertDoubleToDec), nullptr, "Operator_Convert(x As Double)", kFlags, 0, 0},
    {fn(&convertDecToDouble), nullptr, "Operator_Convert() As Double", kFlags, 0, 0},
    {fn(&NegateDec), nullptr, "Operator_Negate() As Decimal", kFlags, 0, 0},
    {fn(&AddDec_Dec), nullptr, "Operator_Add(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&SubDec_Dec), nullptr, "Operator_Subtract(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&MulDec_Dec), nullptr, "Operator_Multiply(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&DivDec_Dec), nullptr, "Operator_Divide(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&AddDec_D), nullptr, "Operator_Add(x As double) As Decimal", kFlags, 0, 0},
    {fn(&AddDec_D), nullptr, "Operator_AddRight(x As Double) As Decimal", kFlags, 0, 0},
    {fn(&SubDec_D), nullptr, "Operator_Subtract(x As double) As Decimal", kFlags, 0, 0},
    {fn(&SubD_Dec), nullptr, "Operator_SubtractRight(x As Double) As Decimal", kFlags, 0, 0},
    {fn(&MulDec_D), nullptr, "Operator_Multiply(x As double) As Decimal", kFlags, 0, 0},
    {fn(&MulDec_D), nullptr, "Operator_MultiplyRight(x As Double) As Decimal", kFlags, 0, 0},
    {fn(&DivDec_D), nullptr, "Operator_Divide(x As double) As Decimal", kFlags, 0, 0},
    {fn(&DivD_Dec), nullptr, "Operator_DivideRight(x As Double) As Decimal", kFlags, 0, 0},
    {fn(&AddDec_I), nullptr, "Operator_Add(x As Integer) As Decimal", kFlags, 0, 0},
    {fn(&AddDec_I), nullptr, "Operator_AddRight(x As Integer) As Decimal", kFlags, 0, 0},
    {fn(&SubDec_I), nullptr, "Operator_Subtract(x As Integer) As Decimal", kFlags, 0, 0},
    {fn(&SubI_Dec), nullptr, "Operator_SubtractRight(x As Integer) As Decimal", kFlags, 0, 0},
    {fn(&MulDec_I), nullptr, "Operator_Multiply(x As Integer) As Decimal", kFlags, 0, 0},
    {fn(&MulDec_I), nullptr, "Operator_MultiplyRight(x As Integer) As Decimal", kFlags, 0, 0},
    {fn(&DivDec_I), nullptr, "Operator_Divide(x As Integer) As Decimal", kFlags, 0, 0},
    {fn(&DivI_Dec), nullptr, "Operator_DivideRight(x As Integer) As Decimal", kFlags, 0, 0},
    {fn(&PowDec_Dec), nullptr, "Operator_Power(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&PowDec_D), nullptr, "Operator_Power(y As Double) As Decimal", kFlags, 0, 0},
    {fn(&PowDec_INT32), nullptr, "Operator_Power(y As Integer) As Decimal", kFlags, 0, 0},
    {fn(&PowD_Dec2), nullptr, "Operator_PowerRight(x As double) As Decimal", kFlags, 0, 0},
    {fn(&CompareDec_Dec), nullptr, "Operator_Compare(x As Decimal) As Integer", kFlags, 0, 0},
    {fn(&CompareDec_D), nullptr, "Operator_Compare(x As Double) As Integer", kFlags, 0, 0},
};

HostMethodEntry otherDecMethods[kOtherDecMethodCount] = {
    {fn(&SetDecPrec), nullptr, "DecSetPrecision(DecPrec As Integer)", kFlags, 0, 0},
    {fn(&GetDecPrec), nullptr, "DecGetPrecision() As Integer", kFlags, 0, 0},
    {fn(&SetScale), nullptr, "DecSetScale(DecPrec As Integer)", kFlags, 0, 0},
    {fn(&GetScale), nullptr, "DecGetScale() As Integer", kFlags, 0, 0},
    {fn(&DecToS2), nullptr, "DecStr(x As Decimal) As String", kFlags, 0, 0},
    {fn(&DecToS), nullptr, "Str(x As Decimal) As String", kFlags, 0, 0},
    {fn(&SqrDec), nullptr, "Sqr(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&SqrtDec), nullptr, "Sqrt(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&LogDec), nullptr, "Log(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&Log2Dec), nullptr, "Lg2(x As Decimal) As Integer", kFlags, 0, 0},
    {fn(&ExpDec), nullptr, "Exp(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&SinDec), nullptr, "Sin(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&CosDec), nullptr, "Cos(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&TanDec), nullptr, "Tan(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&ASinDec), nullptr, "ASin(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&ACosDec), nullptr, "ACos(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&ATanDec), nullptr, "ATan(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&ATan2Dec), nullptr, "ATan2(y As Decimal, x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&SinhDec), nullptr, "Sinh(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&CoshDec), nullptr, "Cosh(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&TanhDec), nullptr, "Tanh(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&ASinhDec), nullptr, "ASinh(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&ACoshDec), nullptr, "ACosh(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&ATanhDec), nullptr, "ATanh(x As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&PowDec_Dec), nullptr, "Pow(x As Decimal, y As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&PowDec_D), nullptr, "Pow(x As Decimal, y As Double) As Decimal", kFlags, 0, 0},
    {fn(&PowD_Dec), nullptr, "Pow(x As Double, y As Decimal) As Decimal", kFlags, 0, 0},
    {fn(&convertCurrToDec), nullptr, "DecimalFromCurrency(x As Currency) As Decimal", kFlags, 0, 0},
    {fn(&convertDecToCurr), nullptr, "DecimalToCurrency(x As Decimal) As Currency", kFlags, 0, 0},
};

void PluginEntry() {
    REALclassDefinition* const exceptions[] = {&BadInputExceptionClass,       &DivideByZeroExceptionClass,
                                               &NilObjectExceptionClass,      &NegativeNumberExceptionClass,
                                               &BadEntryNumberExceptionClass, &DecToCurrOverflowExceptionClass};
    SetClassConsoleSafe(&DecClass);
    for (auto* c : exceptions) SetClassConsoleSafe(c);
    REALRegisterClass(&DecClass);
    for (auto* c : exceptions) REALRegisterClass(c);
    for (auto const& m : otherDecMethods) REALRegisterMethod(&m);
    globalBitPrecision = 128;
    blockPrec = 5;
    scale = 5;
    nullString = REALBuildStringWithEncoding(nullptr, 0, kEncodingUTF8);
    ten = 10;
    five = 5;
}
