#!/usr/bin/env python3
"""Times the decimal layer (bench/bench_decimal.cpp, with Boost's cpp_dec_float beside it
when its headers are installed) and Python's decimal module at the same precision on the
same operands, in one run, and prints Markdown tables of the times and ratios.

Usage: tools/bench-decimal.py [build-dir]  (default: build-bench)
"""
import decimal
import json
import os
import subprocess
import sys
import tempfile
import timeit

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DIGITS = (32, 100)
OPS = ("addDec", "subDec", "mulDec", "compareDecToDec", "divDec", "getString", "getString2", "getDec_Str")


def operand_text(n, seed, exponent):
    """The digit formula of bench_decimal.cpp: n digits, first and last nonzero."""
    d = [str((seed * 31 + i * 17 + (i * i) % 7) % 10) for i in range(n)]
    if d[0] == "0":
        d[0] = "1"
    if d[-1] == "0":
        d[-1] = "7"
    return "".join(d) + "e" + str(exponent)


def text_a(n):
    return operand_text(n, 1, -(n // 2))


def text_b(n):
    return operand_text(n - 3, 2, -(n // 2) + 3)


def python_times(n):
    """ns per operation, best of five timeit runs of at least 0.2 s each."""
    ctx = decimal.Context(prec=n)
    decimal.setcontext(ctx)
    D = decimal.Decimal
    env = {"a": D(text_a(n)), "b": D(text_b(n)), "D": D, "t": text_a(n)}
    stmts = {
        "addDec": "a + b",
        "subDec": "a - b",
        "mulDec": "a * b",
        "compareDecToDec": "a < b",
        "divDec": "a / b",
        "getString": "format(a, '.5f')",
        "getString2": "str(a)",
        "getDec_Str": "D(t)",
    }
    return time_statements(stmts, env)


def time_statements(stmts, env):
    """ns per statement, best of five timeit runs of at least 0.2 s each."""
    out = {}
    for op, stmt in stmts.items():
        timer = timeit.Timer(stmt, globals=env)
        loops, took = timer.autorange()
        loops = max(loops, int(loops * 0.2 / max(took, 1e-9)))
        out[op] = min(timer.repeat(repeat=5, number=loops)) / loops * 1e9
    return out


def run_benchmark(build, target):
    """Builds target in build and runs it; {(name, digits): median CPU ns}, each name as
    Google Benchmark reports it. Stops on any benchmark that reports an error."""
    subprocess.run(["cmake", "-S", ROOT, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                    "-DVANTREL_SANITIZE=OFF", "-DVANTREL_TESTS=OFF", "-DVANTREL_BENCH=ON"],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build, "--target", target, "-j3"], check=True,
                   stdout=subprocess.DEVNULL)
    with tempfile.NamedTemporaryFile(suffix=".json") as f:
        subprocess.run([os.path.join(build, target), "--benchmark_repetitions=5",
                        "--benchmark_report_aggregates_only=true", "--benchmark_min_time=0.2",
                        "--benchmark_enable_random_interleaving=true",
                        "--benchmark_out=" + f.name, "--benchmark_out_format=json"],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        data = json.load(open(f.name))
    scale = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}
    out = {}
    for b in data["benchmarks"]:
        if b.get("error_occurred"):
            sys.exit("%s: %s: %s" % (target, b["name"], b.get("error_message", "error")))
        if not b["name"].endswith("_median"):
            continue
        name, size = b["name"][: -len("_median")].split("/")
        out[(name, int(size.split(":")[1]))] = b["cpu_time"] * scale[b["time_unit"]]
    if not out:
        sys.exit("%s gave no times" % target)
    return out


def native_times(build):
    out = {}
    for (name, n), t in run_benchmark(build, "bench_decimal").items():
        lib, op = name.split("_", 1)
        out[(lib, op, n)] = t
    return out


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build-bench")
    native = native_times(build)
    py = {n: python_times(n) for n in DIGITS}
    boost = any(k[0] == "boost" for k in native)
    print("Decimal layer beside Python %s's decimal (libmpdec %s) at the same precision%s; "
          "median CPU time of five repetitions, Python best of five timeit runs; ns per operation\n"
          % (sys.version.split()[0], decimal.__libmpdec_version__,
             " and Boost.Multiprecision cpp_dec_float at the same digits" if boost else ""))
    head = "| operation | digits | Vantrel | Python | Vantrel / Python |"
    rule = "|---|---:|---:|---:|---:|"
    if boost:
        head += " Boost | Vantrel / Boost |"
        rule += "---:|---:|"
    print(head)
    print(rule)
    for op in OPS:
        for n in DIGITS:
            ours = native[("dec", op, n)]
            row = "| %s | %d | %.0f | %.0f | %.2f |" % (op, n, ours, py[n][op], ours / py[n][op])
            if boost:
                theirs = native[("boost", op, n)]
                row += " %.0f | %.2f |" % (theirs, ours / theirs)
            print(row)


if __name__ == "__main__":
    main()
