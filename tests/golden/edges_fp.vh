' The ends of the exponent range: atan2 where the quotient leaves it, then the largest precision.
ATan2(New Decimal("1E-324000000"), New Decimal("1E324000000"))
ATan2(New Decimal("1E-324000000"), New Decimal("-1E324000000"))
ATan2(New Decimal("-1E324000000"), New Decimal("1E-324000000"))
ATan(New Decimal("1E-324000000"))
DecSetPrecision(1000000000)
DecGetPrecision()
New Decimal(3) ^ 2
Sqrt(New Decimal(4))
New Decimal(1) / New Decimal(3)
