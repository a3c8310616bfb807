' Host values the decimal type cannot hold are refused, never read as 0.
inf = 1.0 / 0
nan = 0.0 / 0
d = New Decimal(5)
' NaN and the infinities raise DecBadInputException in every Double parameter.
New Decimal(inf)
CType(-inf, Decimal)
d + inf
nan + d
d - nan
-inf - d
d * inf
inf * d
d / nan
nan / New Decimal(0)
d < inf
d > inf
New Decimal(0) = nan
d ^ inf
Pow(New Decimal("0.5"), inf)
nan ^ d
Pow(inf, d)
' Zero to a negative power divides by zero, in every form.
Pow(New Decimal(0), New Decimal(-1))
New Decimal(0) ^ New Decimal("-1e-30")
New Decimal(0) ^ (-1)
New Decimal(0) ^ (-1.5)
Pow(New Decimal(0), -1.5)
0.0 ^ New Decimal(-1)
(-0.0) ^ New Decimal("-0.5")
Pow(0.0, New Decimal(-1))
' Zero to the power 0: 1, but 0 for an Integer exponent.
Pow(New Decimal(0), New Decimal(0))
New Decimal(0) ^ 0
New Decimal(0) ^ 0.0
Pow(New Decimal(0), 0.0)
0.0 ^ New Decimal(0)
Pow(0.0, New Decimal(0))
' Zero to a positive power is 0.
New Decimal(0) ^ 3
Pow(0.0, New Decimal("0.5"))
