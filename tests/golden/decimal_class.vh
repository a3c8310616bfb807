' The 37 declarations of the class Decimal, each through the syntax that reaches it.
' Constructors: New alone, from text, from a Double (an Integer converts to Double).
New Decimal
New Decimal("1.50")
New Decimal(0.1)
New Decimal(1500)
New Decimal("")
New Decimal("abc")
a = New Decimal("1.5")
b = New Decimal("0.4")
a.Str()
a.DecStr()
a
' Conversions: CType both ways.
CType(a, Decimal)
CType(a, Double)
CType(New Decimal("2.5"), Double)
CType(2.5, Decimal)
CType(3, Decimal)
CType(Nil, Decimal)
-a
' Arithmetic with a Decimal, a Double and an Integer on either side.
a + b
a - b
a * b
a / b
a + 0.25
0.25 + a
a - 0.25
0.25 - a
a * 0.5
0.5 * a
a / 0.5
0.5 / a
a + 2
2 + a
a - 5
5 - a
a * 3
3 * a
a / 4
2 / a
a + Nil
' Powers.
a ^ b
a ^ 0.5
a ^ 2
2.5 ^ a
2 ^ a
New Decimal(-8) ^ 0.5
New Decimal(-8) ^ New Decimal("0.5")
' Comparisons: Operator_Compare of the Decimal, its sign turned when it is on the right.
(a < b)
(a > b)
(a = New Decimal("1.50"))
(a = 1.5)
(1.5 < a)
(2 > a)
(a <> 1)
(a = Nil)
(Nil = a)
' A zero divisor of every form.
z = New Decimal
a / z
a / 0
a / 0.0
a / -0.0
2 / z
2.5 / z
' DecFree and Destructor leave a usable zero.
c = New Decimal("2.5")
c.DecFree()
c
c.Destructor()
c + 1
a
b
