#!/usr/bin/env python3
"""Recomputes every output line of tests/golden/corpus.vh from its operands and compares it
with an output file: exact results with Python's decimal, quotients rounded by decimal at
the precision set, functions and powers by mpmath 80 digits past it (and past the integer
digits that reducing a large argument spends), each rounded half away
from zero to the precision set, with the plug-in's documented refusals and exceptions.
Usage: tools/check_corpus.py [tests/golden/corpus.vh [tests/golden/corpus.out]]
Exit status 1 when a line differs."""
import math
import re
import sys
from decimal import Decimal as D, Context, ROUND_HALF_UP, ROUND_DOWN, setcontext

import mpmath

sys.set_int_max_str_digits(0)

EXACT = Context(prec=100000)
setcontext(Context(prec=100000))  # every operator below exact
NEG, BAD, DIV0, CURR = ("raised DecNegativeNumberException", "raised DecBadEntryNumberException",
                        "raised DecDivideByZeroException", "raised DecToCurrOverflowException")
EXP_LIMIT = 1481763716
stats = {"lines": 0, "near_tie": []}


class Raise(Exception):
    pass


def strip(v):
    if v == 0:
        return D(0)
    sign, digits, exp = v.as_tuple()
    digits = list(digits)
    while digits and digits[-1] == 0:
        digits.pop()
        exp += 1
    return D((sign, tuple(digits), exp))


def decstr(v):
    v = strip(v)
    if v == 0:
        return "0e0"
    sign, digits, exp = v.as_tuple()
    return ("-" if sign else "") + "".join(map(str, digits)) + "e" + str(exp)


def fixed(v, places):
    t = int((abs(v) * EXACT.power(10, places + 1)).to_integral_value(rounding=ROUND_DOWN))
    if t == 0:
        return "0." + "0" * places
    r = str((t + 5) // 10).rjust(places + 1, "0")
    return ("-" if v < 0 else "") + r[:len(r) - places] + "." + r[len(r) - places:]


class State:
    def __init__(self):
        self.prec, self.scale, self.vars = 32, 5, {}

    def show(self, v):
        # Str writes at most kMaxDecDigits = 200,000 digits, judged from the bit length.
        if v != 0 and v.adjusted() + 1 + self.scale > 200000 + 3:
            raise Raise(BAD)
        if v != 0 and v.adjusted() + 1 + self.scale > 200000 - 3:
            raise Raise("EDGE")
        return fixed(v, self.scale) + "  (" + decstr(v) + ")"

    def rnd(self, v):
        """An exact Decimal to P digits, half away from zero."""
        return strip(Context(prec=self.prec, rounding=ROUND_HALF_UP).plus(v))

    def rnd_mp(self, x, what):
        """An mpmath value (good far past P digits) to P digits; notes values near a halfway point."""
        if x == 0:
            return D(0)
        sign, man, exp, _ = mpmath.mpf(x)._mpf_
        man = -int(man) if sign else int(man)
        v = EXACT.multiply(D(man), EXACT.power(D(2), int(exp))) if exp >= 0 else \
            EXACT.divide(D(man), EXACT.power(D(2), -int(exp)))
        r = self.rnd(v)
        lo = strip(Context(prec=self.prec, rounding=ROUND_DOWN).plus(v))
        ulp = D((0, (1,), lo.adjusted() - self.prec + 1)) if lo != 0 else D(0)
        half = abs(lo) + ulp / 2
        if ulp and abs(abs(v) - half) < ulp * D("1e-20"):
            stats["near_tie"].append(what)
        return r


def dec14(x):
    return strip(D(format(x, ".13e")))


def dec18(x):
    return strip(D(format(x, ".17e")))


def number(tok):
    """A literal: ('int', n) or ('dbl', x)."""
    neg = tok.startswith("-")
    body = tok[1:] if neg else tok
    if re.fullmatch(r"\d+", body):
        return ("int", -int(body) if neg else int(body))
    x = float(body)
    return ("dbl", -x if neg else x)


def mp(v):
    return mpmath.mpf(str(v))


def working_digits(st, *args):
    """mpmath's digits for f(args): 80 past the precision, and as many more as the largest
    argument has integer digits, which a reduction by pi or ln 2 (sin of 2e400) cancels."""
    return st.prec + 80 + max([0] + [a.adjusted() + 1 for a in args if a != 0])


def power(st, x, y, int_exp, what):
    """x^y to P digits by the plug-in's rules; x, y exact Decimals."""
    if x == 0 and y < 0:
        raise Raise(DIV0)
    if x == 0 and (y != 0 or int_exp):
        return D(0)
    if y == 0 or x == 1:
        return D(1)
    y_int = y == y.to_integral_value()
    if x < 0 and not y_int:
        raise Raise(BAD)
    # Beyond the binary exponent range the fp power refuses; near its ends it may go either way.
    lg = float(y) * float(Context(prec=30).log10(abs(x))) * math.log2(10)
    if abs(lg) > 2 ** 31 + 64:
        raise Raise(BAD)
    if abs(lg) > 2 ** 31 - 64:
        raise Raise("EDGE")
    if y_int and abs(y) <= 64:
        n = int(y)
        p = EXACT.power(x, abs(n))
        if n >= 0:
            return st.rnd(p)
        return strip(Context(prec=st.prec, rounding=ROUND_HALF_UP).divide(D(1), p))
    # x^y = e^(y ln x): the exponent's integer digits are spent as for exp.
    with mpmath.workdps(working_digits(st, abs(y) * (abs(x.adjusted()) + 1) * 3)):
        r = mpmath.power(mp(abs(x)), mp(y))
    if x < 0 and int(y) % 2:
        r = -r
    return st.rnd_mp(r, what)


FUNCS = {
    "Sqrt": (lambda x: x < 0 and NEG, mpmath.sqrt),
    "Log": (lambda x: x <= 0 and NEG, mpmath.log),
    "Exp": (lambda x: abs(x) > EXP_LIMIT and BAD, mpmath.exp),
    "Sin": (lambda x: None, mpmath.sin), "Cos": (lambda x: None, mpmath.cos), "Tan": (lambda x: None, mpmath.tan),
    "ASin": (lambda x: abs(x) > 1 and BAD, mpmath.asin), "ACos": (lambda x: abs(x) > 1 and BAD, mpmath.acos),
    "ATan": (lambda x: None, mpmath.atan),
    "Sinh": (lambda x: abs(x) > EXP_LIMIT and BAD, mpmath.sinh),
    "Cosh": (lambda x: abs(x) > EXP_LIMIT and BAD, mpmath.cosh),
    "Tanh": (lambda x: None, lambda t: mpmath.tanh(t) if abs(t) < 10 ** 6 else mpmath.sign(t)),
    "ASinh": (lambda x: None, mpmath.asinh),
    "ACosh": (lambda x: x < 1 and BAD, mpmath.acosh),
    "ATanh": (lambda x: abs(x) >= 1 and BAD, mpmath.atanh),
}


def operand(st, tok):
    """A Decimal variable or a literal: ('dec', v) / ('int', n) / ('dbl', x)."""
    tok = tok.strip()
    if tok.startswith("(") and tok.endswith(")"):
        tok = tok[1:-1].strip()
    if re.fullmatch(r"d\d+", tok):
        return ("dec", st.vars[tok])
    return number(tok)


def binary(st, a, op, b, what):
    # Arithmetic and comparison operands as the plug-in reads them: Integers exactly,
    # Doubles through their 14-digit text; a power's Double through its 18-digit text.
    if op == "^":
        if a[0] == "dec" and b[0] == "int":
            return st.show(power(st, a[1], D(b[1]), True, what))
        conv = lambda o: o[1] if o[0] == "dec" else dec18(float(o[1]))
        return st.show(power(st, conv(a), conv(b), False, what))
    if op in ("<", ">=", "=", "<>"):
        conv = lambda o: o[1] if o[0] == "dec" else dec14(float(o[1]))
        x, y = conv(a), conv(b)
        res = {"<": x < y, ">=": x >= y, "=": x == y, "<>": x != y}[op]
        return "True" if res else "False"
    conv = lambda o: o[1] if o[0] == "dec" else (D(o[1]) if o[0] == "int" else dec14(o[1]))
    x, y = conv(a), conv(b)
    if op == "+":
        return st.show(strip(EXACT.add(x, y)))
    if op == "-":
        return st.show(strip(EXACT.subtract(x, y)))
    if op == "*":
        return st.show(strip(EXACT.multiply(x, y)))
    if y == 0:
        raise Raise(DIV0)
    return st.show(strip(Context(prec=st.prec, rounding=ROUND_HALF_UP).divide(x, y)))


def currency(v):
    units = int(EXACT.multiply(v, D(10000)).to_integral_value(rounding=ROUND_HALF_UP))
    if not -2 ** 63 <= units <= 2 ** 63 - 1:
        raise Raise(CURR)
    mag = abs(units)
    return ("-" if units < 0 else "") + str(mag // 10000) + "." + str(mag % 10000).rjust(4, "0")


def evaluate(st, line):
    """The expected output of one line: a text, or None for no output."""
    m = re.fullmatch(r"DecSet(Precision|Scale)\((\d+)\)", line)
    if m:
        if m.group(1) == "Precision":
            st.prec = int(m.group(2))
            mpmath.mp.dps = st.prec + 80
        else:
            st.scale = int(m.group(2))
        return None
    if line == "DecGetPrecision()":
        return str(st.prec)
    if line == "DecGetScale()":
        return str(st.scale)
    m = re.fullmatch(r'(d\d+) = New Decimal\("([^"]*)"\)', line)
    if m:
        st.vars[m.group(1)] = strip(D(m.group(2)))
        return None
    m = re.fullmatch(r"(d\d+)\.DecFree\(\)", line)
    if m:
        st.vars[m.group(1)] = D(0)
        return None
    if re.fullmatch(r"d\d+", line):
        return st.show(st.vars[line])
    m = re.fullmatch(r"(d\d+)\.Str\(\)|Str\((d\d+)\)", line)
    if m:
        return fixed(st.vars[m.group(1) or m.group(2)], st.scale)
    m = re.fullmatch(r"DecStr\((d\d+)\)", line)
    if m:
        return decstr(st.vars[m.group(1)])
    m = re.fullmatch(r"-(d\d+)", line)
    if m:
        return st.show(strip(-st.vars[m.group(1)]))
    m = re.fullmatch(r"CType\((d\d+), Decimal\)", line)
    if m:
        return st.show(st.vars[m.group(1)])
    m = re.fullmatch(r"(?:New Decimal|CType)\(([-\d.e]+)(?:, Decimal)?\)", line)
    if m:
        return st.show(dec14(float(number(m.group(1))[1])))
    m = re.fullmatch(r'DecimalFromCurrency\(Currency\("([^"]*)"\)\)', line)
    if m:
        return st.show(strip(D(m.group(1))))
    m = re.fullmatch(r"(\w+)\((d\d+)\)", line)
    if m:
        f, x = m.group(1), st.vars[m.group(2)]
        if f == "Sqr":
            return st.show(strip(EXACT.multiply(x, x)))
        if f == "Lg2":
            if x <= 0:
                raise Raise(NEG)
            k = math.floor(float(Context(prec=30).log10(abs(x))) * math.log2(10))
            while EXACT.power(D(2), k) > abs(x):
                k -= 1
            while EXACT.power(D(2), k + 1) <= abs(x):
                k += 1
            return str(k)
        if f == "DecimalToCurrency":
            return currency(x)
        refuse, fn = FUNCS[f]
        r = refuse(x)
        if r:
            raise Raise(r)
        with mpmath.workdps(working_digits(st, x)):
            return st.show(st.rnd_mp(fn(mp(x)), line))
    m = re.fullmatch(r"ATan2\((d\d+), (d\d+)\)", line)
    if m:
        y, x = st.vars[m.group(1)], st.vars[m.group(2)]
        with mpmath.workdps(working_digits(st)):
            return st.show(st.rnd_mp(mpmath.atan2(mp(y), mp(x)), line))
    m = re.fullmatch(r"Pow\(([^,]+), ([^)]+)\)", line)
    if m:
        # Pow has Decimal and Double parameters only: an Integer widens to a Double.
        a, b = operand(st, m.group(1)), operand(st, m.group(2))
        a = ("dbl", float(a[1])) if a[0] == "int" else a
        b = ("dbl", float(b[1])) if b[0] == "int" else b
        return binary(st, a, "^", b, line)
    m = re.fullmatch(r"\((d\d+) (=) (d\d+)\)", line) or \
        re.fullmatch(r"(\(?(?:d\d+|-?[\d.]+(?:e-?\d+)?)\)?) (\+|-|\*|/|<>|<|>=|\^) (\(?(?:d\d+|-?[\d.]+(?:e-?\d+)?)\)?)", line)
    if m:
        a, b = operand(st, m.group(1)), operand(st, m.group(3))
        if m.group(2) == "^" and a[0] == "int":
            a = ("dbl", float(a[1]))  # only Operator_PowerRight(Double) takes a left number
        return binary(st, a, m.group(2), b, line)
    raise ValueError("unknown line: " + line)


def main(script, output):
    st = State()
    mpmath.mp.dps = st.prec + 80
    out = open(output).read().split("\n")
    k = bad = 0
    for n, line in enumerate(open(script).read().split("\n"), 1):
        line = line.strip()
        if not line or line.startswith("'"):
            continue
        try:
            want = evaluate(st, line)
        except Raise as e:
            want = str(e)
        except Exception:
            print(f"checker failed at line {n}: {line}")
            raise
        if want is None:
            continue
        got = out[k]
        k += 1
        stats["lines"] += 1
        if want == "EDGE":
            print(f"at a limit, either way holds: line {n}: {line}: {got}")
            continue
        if got != want:
            bad += 1
            print(f"DIFF  line {n}: {line}\n  plug-in {got[:200]}\n  oracle  {want[:200]}")
    if out[k] != "[exit 0]":
        print("output does not end after the last line:", out[k])
        bad += 1
    print(f"{stats['lines']} lines checked, {bad} differ; near a halfway point: {stats['near_tie']}")
    return bad


if __name__ == "__main__":
    args = sys.argv[1:] + ["tests/golden/corpus.vh", "tests/golden/corpus.out"][len(sys.argv) - 1:]
    sys.exit(1 if main(args[0], args[1]) else 0)
