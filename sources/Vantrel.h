// The host binding: the plug-in entry that registers the class Decimal, its exception
// classes and the module methods, the precision and scale settings, and the functions the
// host calls through the registered tables. Only the tables reach the host.
#ifndef VANTREL_VANTREL_H
#define VANTREL_VANTREL_H

#include "HostInterface.h"
#include "decMath.h"

constexpr int kDecMethodCount = 37;
constexpr int kOtherDecMethodCount = 29;

extern REALclassDefinition DecClass;
extern REALclassDefinition BadInputExceptionClass;
extern REALclassDefinition DivideByZeroExceptionClass;
extern REALclassDefinition NilObjectExceptionClass;
extern REALclassDefinition NegativeNumberExceptionClass;
extern REALclassDefinition BadEntryNumberExceptionClass;
extern REALclassDefinition DecToCurrOverflowExceptionClass;
extern HostMethodEntry DecMethods[kDecMethodCount];
extern HostMethodEntry otherDecMethods[kOtherDecMethodCount];
extern REALstring nullString;  // the empty string, built once and kept

// Registers everything and sets the start values: 32 digits, scale 5.
void PluginEntry();

// Integer arguments are read as their low 32 bits, whatever the host's Integer width.
// Precision |n| digits (held at 536870911 above that); blockPrec follows it.
void SetDecPrec(HostInteger n);
std::int32_t GetDecPrec();
void SetScale(HostInteger n);
std::int32_t GetScale();

// The class Decimal. A nil receiver never is read through.
void DecConstructor(REALobject self);  // the class constructor: raw instance data to zero, none of it read
void DecReset(REALobject self);        // "Constructor()": zero, releasing what the object held
void DecConstructor2(REALobject self, REALstring text);
void DecConstructor3(REALobject self, double x);
void DecFree(REALobject self);
void DecDestructor(REALobject self);
REALstring DecToS(REALobject self);   // `scale` places
REALstring DecToS2(REALobject self);  // digits, "e", power of ten
REALobject convertDecToDec(REALobject self);
void convertDoubleToDec(REALobject self, double x);
double convertDecToDouble(REALobject self);
REALobject NegateDec(REALobject self);
REALobject AddDec_Dec(REALobject self, REALobject x);
REALobject SubDec_Dec(REALobject self, REALobject x);
REALobject MulDec_Dec(REALobject self, REALobject x);
REALobject DivDec_Dec(REALobject self, REALobject x);
REALobject AddDec_D(REALobject self, double x);
REALobject SubDec_D(REALobject self, double x);
REALobject SubD_Dec(REALobject self, double x);
REALobject MulDec_D(REALobject self, double x);
REALobject DivDec_D(REALobject self, double x);
REALobject DivD_Dec(REALobject self, double x);
REALobject AddDec_I(REALobject self, HostInteger x);
REALobject SubDec_I(REALobject self, HostInteger x);
REALobject SubI_Dec(REALobject self, HostInteger x);
REALobject MulDec_I(REALobject self, HostInteger x);
REALobject DivDec_I(REALobject self, HostInteger x);
REALobject DivI_Dec(REALobject self, HostInteger x);
REALobject PowDec_Dec(REALobject self, REALobject x);
REALobject PowDec_D(REALobject self, double y);
REALobject PowDec_INT32(REALobject self, HostInteger y);
REALobject PowD_Dec2(REALobject self, double x);
std::int32_t CompareDec_Dec(REALobject self, REALobject x);
std::int32_t CompareDec_D(REALobject self, double x);

// The module methods.
REALobject SqrDec(REALobject x);
REALobject SqrtDec(REALobject x);
REALobject LogDec(REALobject x);
std::int32_t Log2Dec(REALobject x);
REALobject ExpDec(REALobject x);
REALobject SinDec(REALobject x);
REALobject CosDec(REALobject x);
REALobject TanDec(REALobject x);
REALobject ASinDec(REALobject x);
REALobject ACosDec(REALobject x);
REALobject ATanDec(REALobject x);
REALobject ATan2Dec(REALobject y, REALobject x);
REALobject SinhDec(REALobject x);
REALobject CoshDec(REALobject x);
REALobject TanhDec(REALobject x);
REALobject ASinhDec(REALobject x);
REALobject ACoshDec(REALobject x);
REALobject ATanhDec(REALobject x);
REALobject PowD_Dec(double x, REALobject y);
REALobject convertCurrToDec(HostCurrency c);
HostCurrency convertDecToCurr(REALobject x);

#endif
