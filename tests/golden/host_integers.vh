' Integers at the host's width enter exactly; the 32-bit host passes their low half.
d = New Decimal(5)
d + 3000000000
9007199254740993 / New Decimal(2)
New Decimal(-1) ^ 4294967297
d ^ 4294967296
