' Every value kind that a plug-in returns, through the probe plug-in of the host tests.
p = New Probe(41)
p.Low()
p.low
p.Wide()
p.Scale(1.5, Currency("2"))
p.Scale(2, Currency("1"))
p.Not(True)
p.Echo("abc")
p.Empty()
p.Drop()
ProbeSum(2, 3)
ProbeCount
ProbeMake(Currency("-1.25")).Wide()
p
q = p.Self()
(q = p)
(p.Clone() = p)
(p.Other(Nil) = Nil)
p.Raise("ProbeException")
p.Raise("Probe")
r = New Probe
r.Low()
' Errors: no declaration for these types, no operator, no such method.
p.Low(1)
p.Scale("x", 1)
p + 1
-p
CType(p, Double)
p.Nothing()
New Probe("text")
