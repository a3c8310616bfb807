' NaN and the infinities raise DecBadInputException; zero to a negative power divides by zero.
inf = 1.0 / 0
d = New Decimal(5)
New Decimal(inf)
d + inf
d / (0.0 / 0)
d < inf
Pow(inf, d)
New Decimal(0) ^ (-1)
Pow(New Decimal(0), -1.5)
Pow(0.0, New Decimal(-1))
' Zero to the power 0: 1, but 0 with an Integer exponent.
Pow(New Decimal(0), New Decimal(0))
New Decimal(0) ^ 0
