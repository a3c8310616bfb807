' Integer operands at the host's width enter exactly; the 32-bit host passes their low half.
d = New Decimal(5)
d + 3000000000
3000000000 - d
d * 4294967296
d / 4294967296
4294967296 / d
d - 9223372036854775807
9007199254740993 / New Decimal(2)
' An exponent beyond 32 bits: through the Decimal path, refused where the power leaves the range.
New Decimal(-1) ^ 4294967297
New Decimal("1.0000000001") ^ 2147483648
d ^ 4294967296
New Decimal("0.5") ^ 4294967296
New Decimal(0) ^ 4294967296
New Decimal(0) ^ (-4294967296)
' The settings keep their 32-bit reading.
DecSetScale(4294967298)
DecGetScale()
d
DecSetScale(5)
