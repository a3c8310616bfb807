' Each of the six exceptions, and the nil arguments that raise nothing.
New Decimal("1e5x")
x = New Decimal("7")
x = New Decimal("--5")
x
' A refused text leaves the object as it was.
x.Constructor("1.5e")
x
x.Constructor("-1.50e")
x
x / New Decimal
Log(Nil)
Exp(Nil)
ATan2(Nil, New Decimal(1))
DecimalToCurrency(Nil)
Sqrt(New Decimal(-4))
Sqrt(New Decimal(0))
Log(New Decimal(0))
Log(New Decimal(-1))
Lg2(New Decimal(0))
ASin(New Decimal("1.0000000001"))
ACos(New Decimal(-2))
ACosh(New Decimal("0.5"))
ATanh(New Decimal(1))
ATanh(New Decimal(-1))
ASin(New Decimal(1))
ACosh(New Decimal(1))
Pow(-8, New Decimal("0.5"))
Pow(New Decimal(-8), 0.5)
DecimalToCurrency(New Decimal("1e20"))
DecimalToCurrency(New Decimal("922337203685477.58075"))
DecimalToCurrency(New Decimal("922337203685477.58074"))
' Nil without an exception.
Sqrt(Nil)
Sqr(Nil)
Lg2(Nil)
ATan2(New Decimal(1), Nil)
Pow(Nil, Nil)
Pow(New Decimal(3), Nil)
' A raised exception ends the statement: nothing is assigned or printed after it.
y = Sqrt(New Decimal(-4)) + 1
y
