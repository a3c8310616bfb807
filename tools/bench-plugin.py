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
import json
import os
import subprocess
import sys
import tempfile
import timeit

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
spec = importlib.util.spec_from_file_location("bench_decimal_py", os.path.join(ROOT, "tools", "bench-decimal.py"))
shared = importlib.util.module_from_spec(spec)
spec.loader.exec_module(shared)

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
    out = {}
    for op, _, stmt in OPS:
        timer = timeit.Timer(stmt, globals=env)
        loops, took = timer.autorange()
        loops = max(loops, int(loops * 0.2 / max(took, 1e-9)))
        out[op] = min(timer.repeat(repeat=5, number=loops)) / loops * 1e9
    return out


def plugin_times(build):
    subprocess.run(["cmake", "-S", ROOT, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                    "-DVANTREL_SANITIZE=OFF", "-DVANTREL_TESTS=OFF", "-DVANTREL_BENCH=ON"],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build, "--target", "bench_plugin", "-j3"], check=True,
                   stdout=subprocess.DEVNULL)
    with tempfile.NamedTemporaryFile(suffix=".json") as f:
        subprocess.run([os.path.join(build, "bench_plugin"), "--benchmark_repetitions=5",
                        "--benchmark_report_aggregates_only=true", "--benchmark_min_time=0.2",
                        "--benchmark_enable_random_interleaving=true",
                        "--benchmark_out=" + f.name, "--benchmark_out_format=json"],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        data = json.load(open(f.name))
    scale = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}
    out = {}
    for b in data["benchmarks"]:
        if b.get("error_occurred"):
            sys.exit("bench_plugin: %s: %s" % (b["name"], b.get("error_message", "error")))
        if not b["name"].endswith("_median"):
            continue
        name, size = b["name"][: -len("_median")].split("/")
        out[(name.split("_", 1)[1], int(size.split(":")[1]))] = b["cpu_time"] * scale[b["time_unit"]]
    if not out:
        sys.exit("bench_plugin gave no times")
    return out


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
