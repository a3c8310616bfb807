' A short tour of the class Decimal through vantrel-host.
a = New Decimal("1.5")
b = New Decimal(0.1)
a + b
a / 3
1 / New Decimal(3)
Sqrt(New Decimal(2))
DecSetPrecision(50)
Pow(New Decimal(2), 0.5)
(a > b)
CType(a * 2, Double)
DecimalToCurrency(a / 7)
a / 0
