' Rules of the line language, with plain host values. A quote starts a comment,
// and so do two slashes; blank lines are ignored.

   ' an indented comment
42
-7
9223372036854775807
1.5
.5
1e-3
1500.0
1e300
0.1 + 0.2
"text"
"say ""hi"""
""
True
False
Nil
x = 3
x
X
y = x * 2 + 1
y
2 + 3 * 4
(2 + 3) * 4
10 - 4 - 3
2 ^ 3 ^ 2
-2 ^ 2
2 ^ (-1)
2 * -3
- -4
7 / 2
6 / 3
1.5 + 1
9223372036854775807 + 1
"ab" + "cd"
(1 < 2)
(2 <= 2)
(3 > 4)
(3 >= 4)
(1 = 1)
(1 <> 1)
(1.5 = 1.5)
(1 = 1.0)
("abc" = "ABC")
(True = False)
(Nil = Nil)
Currency("12.3456")
Currency("-1.25")
Currency("0")
Currency("-922337203685477.5808")
Currency("1") + Currency("0.5")
Currency("1.5") + 2
(Currency("2") = 2)
CType(3, Double)
CType(Currency("1.25"), Double)
z = 1 ' a trailing comment
z
' Errors in the line: reported on standard error, and the run goes on.
w =
1 +
2 ^ -1
(1 + 2
1 2
1.
12a
@
"unterminated
-9223372036854775808
Currency("1.23456")
Currency("abc")
Currency(5)
unknownName
Unknown(1)
"abc" * 2
True + 1
Nil + 1
x.Str()
New NoSuchClass
CType("1", Double)
CType(1, NoSuchType)
Sqrt = 3
Sqrt("text")
DecSetPrecision()
p = DecSetPrecision(40)
x
