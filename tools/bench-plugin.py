#!/usr/bin/env python3
"""Times the plug-in through the host stand-in (bench/bench_plugin.cpp: each method bound
once, every call creating its result object) and Python's decimal module at the same
precision on the same operands, in one run, and prints a Markdown table of the times and
ratios. Python's decimal has no sine: its row times the Taylor series of the module's
documentation recipes, written in Python.

Usage: tools/bench-plugin.py [build-dir]  (default: build-bench)
"""
import decimal
import importlib.util
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# bench-decimal.py has a dash in its name, so it is loaded from its path.
loader = importlib.util.spec_from_file_location("bench_decimal_py", os.path.join(ROOT, "tools", "bench-decimal.py"))
shared = importlib.util.module_from_spec(loader)
loader.loader.exec_module(shared)

DIGITS = (32, 100)
# benchmark name, label, Python statement
OPS = (
    ("add", "a + b", "a + b"),
    ("mul", "a * b", "a * b"),
    ("div", "a / b", "a / b"),
    ("Str", "Str(a)", "format(a, '.5f')"),
    ("Sqrt", "Sqrt(x)", "x.sqrt()"),
    ("Exp", "Exp(x)", "x.exp()"),
    ("Log", "Log(x)", "x.ln()"),
    ("Sin", "Sin(x)", "sin(x)"),
    ("addByText", "a + b, called by declaration text", "a + b"),
    ("mulByText", "a * b, called by declaration text", "a * b"),
)


def text_x(n):
    """The elementary functions' argument of bench/dec_operands.h: n digits in [0.1, 1)."""
    return shared.operand_text(n, 3, -n)


def sin(x):
    """Taylor series with two guard digits, as in the decimal module's recipes."""
    ctx = decimal.getcontext()
    ctx.prec += 2
    i, last, s, fact, num, sign = 1, 0, +x, 1, +x, 1
    x2 = x * x
    while s != last:
        last = s
        i += 2
        fact *= i * (i - 1)
        num *= x2
        sign = -sign
        s += num / fact * sign
    ctx.prec -= 2
    return +s


def python_times(n):
    """ns per operation, best of five timeit runs of at least 0.2 s each."""
    decimal.setcontext(decimal.Context(prec=n))
    D = decimal.Decimal
    env = {"a": D(shared.text_a(n)), "b": D(shared.text_b(n)), "x": D(text_x(n)), "sin": sin}
    return shared.time_statements({op: stmt for op, _, stmt in OPS}, env)


def plugin_times(build):
    return {(name.split("_", 1)[1], n): t for (name, n), t in shared.run_benchmark(build, "bench_plugin").items()}


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build-bench")
    ours = plugin_times(build)
    py = {n: python_times(n) for n in DIGITS}
    print("The plug-in through the host stand-in (each call creating its result object) beside "
          "Python %s's decimal (libmpdec %s) at the same precision; median CPU time of five "
          "repetitions, Python best of five timeit runs; ns per operation\n"
          % (sys.version.split()[0], decimal.__libmpdec_version__))
    print("| operation | digits | Vantrel | Python | Vantrel / Python |")
    print("|---|---:|---:|---:|---:|")
    for op, label, _ in OPS:
        for n in DIGITS:
            print("| %s | %d | %.0f | %.0f | %.2f |" % (label, n, ours[(op, n)], py[n][op], ours[(op, n)] / py[n][op]))


if __name__ == "__main__":
    main()
