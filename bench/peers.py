"""Runs the same workloads on tovrin and on the expression evaluators a Python user would
otherwise pick, in one process, and reports the median time per call of each.

The floor is CPython's own `eval` of a code object compiled once: no parsing, no sandbox and no
conversion of the bindings. simpleeval and asteval are given the expression parsed once, JMESPath
the expression compiled once. Every workload is written in each system's own language with the
same meaning; a system that cannot express a workload gets no number for it.

Writes the numbers to a JSON file and the scaling workload as a PNG plot; prints a Markdown table.
Run through scripts/bench.sh, which installs the peers and builds the module.
"""

import argparse
import ast
import datetime
import json
import os
import platform
import re
import resource
import statistics
import sys
import timeit

import asteval
import jmespath
import jmespath.parser
import simpleeval

import exp_memory
from tovrin import Exp

SYSTEMS = ["python", "tovrin", "simpleeval", "asteval", "jmespath"]
TITLES = {
    "python": "CPython eval",
    "tovrin": "tovrin",
    "simpleeval": "simpleeval",
    "asteval": "asteval",
    "jmespath": "JMESPath",
}

EMAIL_PATTERN = r"^[\w.+-]+@[\w-]+\.[a-z]{2,}$"
EMAIL_REGEX = re.compile(EMAIL_PATTERN)


def matches(text, pattern):
    """The peers' stand-in for tovrin's `matches`: an unanchored search through re's cache."""
    return re.search(pattern, text) is not None


W1_DATA = {"user": {"age": 30, "name": "Alice", "tags": ["a", "b", "c"]}, "limit": 18, "region": "eu"}
W1_TOVRIN = "user.age >= limit && startsWith(user.name, 'A') && region == 'eu'"
W1_PYTHON = "user['age'] >= limit and user['name'].startswith('A') and region == 'eu'"
W1_JMESPATH = "user.age >= limit && starts_with(user.name, 'A') && region == 'eu'"

# Each workload: its bindings, the expected result and the expression per system (None where the
# system cannot express it).
WORKLOADS = {
    "W1 rule": {
        "data": W1_DATA,
        "expected": True,
        "python": W1_PYTHON,
        "tovrin": W1_TOVRIN,
        "simpleeval": W1_PYTHON,
        "asteval": W1_PYTHON,
        "jmespath": W1_JMESPATH,
    },
    "W2 text": {
        "data": {"csv": "alpha,beta,gamma,delta,epsilon,zeta,eta,theta,iota,kappa"},
        "expected": "alpha | beta | gamma | delta | epsilon | zeta | eta | theta | iota | kappa",
        "python": "' | '.join(csv.split(','))",
        "tovrin": "join(split(csv, ','), ' | ')",
        "simpleeval": "' | '.join(csv.split(','))",
        "asteval": "' | '.join(csv.split(','))",
        "jmespath": None,  # no function splits a string
    },
    "W3 pattern": {
        "data": {"email": "alice.smith+news@example-mail.com"},
        "expected": True,
        "python": "email_regex.search(email) is not None",
        "tovrin": "matches(email, '" + EMAIL_PATTERN.replace("\\", "\\\\") + "')",
        "simpleeval": "matches(email, " + repr(EMAIL_PATTERN) + ")",
        "asteval": "matches(email, " + repr(EMAIL_PATTERN) + ")",
        "jmespath": None,  # no regular expressions
    },
    "W4 containers": {
        "data": {"user": {"id": 7, "name": "Alice", "tags": ["a", "b", "c"]}},
        "expected": {"id": 7, "tags": ["a", "b", "c"], "ok": True},
        "python": "{'id': user['id'], 'tags': user['tags'], 'ok': len(user['tags']) > 2}",
        "tovrin": "{'id': user.id, 'tags': user.tags, 'ok': len(user.tags) > 2}",
        "simpleeval": "{'id': user['id'], 'tags': user['tags'], 'ok': len(user['tags']) > 2}",
        "asteval": "{'id': user['id'], 'tags': user['tags'], 'ok': len(user['tags']) > 2}",
        "jmespath": "{id: user.id, tags: user.tags, ok: length(user.tags) > `2`}",
    },
}

SCALING_SIZES = [1, 10, 100, 1000, 10000]


def scaling_data(n):
    return {f"v{i}": i for i in range(n)}


def scaling_workload(n):
    return {"data": scaling_data(n), "expected": 0, **{system: "v0" for system in SYSTEMS}}


class Timer:
    """Medians of repeated timeit runs; each run lasts about `run_seconds`."""

    def __init__(self, repeats, run_seconds):
        self.repeats = repeats
        self.run_seconds = run_seconds

    def ns_per_call(self, stmt, namespace):
        timer = timeit.Timer(stmt, globals=namespace)
        number = 1
        while True:
            elapsed = timer.timeit(number)
            if elapsed >= self.run_seconds / 4:
                break
            number *= 4
        number = max(1, int(number * self.run_seconds / max(elapsed, 1e-9)))
        runs = timer.repeat(repeat=self.repeats, number=number)
        return statistics.median(runs) / number * 1e9


def evaluation(system, text, data):
    """The statement that evaluates `text` once on `system`, with its namespace."""
    if system == "python":
        code = compile(text, "<workload>", "eval")
        scope = {"email_regex": EMAIL_REGEX}
        return "ev(code, scope, data)", {"ev": eval, "code": code, "scope": scope, "data": data}
    if system == "tovrin":
        return "ev(data)", {"ev": Exp(text).eval, "data": data}
    if system == "simpleeval":
        evaluator = simpleeval.EvalWithCompoundTypes(
            functions={"len": len, "matches": matches})
        evaluator.expr = text
        tree = ast.parse(text.strip()).body[0]
        return "s.names = data; ev(tree)", {
            "s": evaluator, "ev": evaluator._eval, "tree": tree, "data": data}
    if system == "asteval":
        interpreter = asteval.Interpreter(minimal=True)
        interpreter.symtable["len"] = len
        interpreter.symtable["matches"] = matches
        tree = interpreter.parse(text)
        return "put(data); run(tree)", {
            "put": interpreter.symtable.update, "run": interpreter.run, "tree": tree, "data": data}
    if system == "jmespath":
        return "search(data)", {"search": jmespath.compile(text).search, "data": data}
    raise ValueError(system)


def measure_workload(timer, workload):
    cells = {}
    for system in SYSTEMS:
        text = workload[system]
        if text is None:
            cells[system] = None
            continue
        stmt, namespace = evaluation(system, text, workload["data"])
        result = run_once(stmt, namespace)
        if result != workload["expected"]:
            raise AssertionError(f"{system} gives {result!r} for {text!r}")
        cells[system] = timer.ns_per_call(stmt, namespace)
    return cells


def run_once(stmt, namespace):
    """The statement's result: the value of its last part."""
    *setup, last = stmt.split("; ")
    for part in setup:
        exec(part, namespace)
    return eval(last, namespace)


def measure_compile(timer):
    parser = jmespath.parser.Parser()
    interpreter = asteval.Interpreter(minimal=True)
    cases = {
        "python": ("comp(text, '<w1>', 'eval')", {"comp": compile, "text": W1_PYTHON}),
        "tovrin": ("Exp(text)", {"Exp": Exp, "text": W1_TOVRIN}),
        # SimpleEval.eval parses exactly so on every call.
        "simpleeval": ("parse(text.strip()).body[0]", {"parse": ast.parse, "text": W1_PYTHON}),
        "asteval": ("parse(text)", {"parse": interpreter.parse, "text": W1_PYTHON}),
        # The parser proper, without the cache in front of it.
        "jmespath": ("parse(text)", {"parse": parser._do_parse, "text": W1_JMESPATH}),
    }
    return {system: timer.ns_per_call(*cases[system]) for system in SYSTEMS}


def peak_memory_after_evaluations():
    """Peak resident size (KiB) after 10^4 and after 10^6 evaluations of W1."""
    run = Exp(W1_TOVRIN).eval
    data = W1_DATA
    peaks = {}
    done = 0
    for total in (10_000, 1_000_000):
        for _ in range(total - done):
            run(data)
        done = total
        peaks[total] = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss
    return peaks


def machine():
    model = platform.processor() or platform.machine()
    try:
        with open("/proc/cpuinfo") as cpuinfo:
            for line in cpuinfo:
                if line.startswith("model name"):
                    model = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    return {
        "cpu": model,
        "cores": os.cpu_count(),
        "system": f"{platform.system()} {platform.release()}",
        "python": sys.version.split()[0],
        "executable": sys.executable,
        "date": datetime.date.today().isoformat(),
    }


def format_ns(ns):
    if ns is None:
        return "n/a"
    if ns >= 10_000:
        return f"{ns / 1000:.0f} µs"
    if ns >= 1000:
        return f"{ns / 1000:.1f} µs"
    return f"{ns:.0f} ns"


def table_row(name, cells):
    floor = cells["python"]
    parts = [name]
    for system in SYSTEMS:
        ns = cells[system]
        if ns is None:
            parts.append("n/a")
        elif system == "python":
            parts.append(format_ns(ns))
        else:
            ratio = ns / floor
            parts.append(f"{format_ns(ns)} ({ratio:.2f}×)" if ratio < 1 else
                         f"{format_ns(ns)} ({ratio:.1f}×)")
    return "| " + " | ".join(parts) + " |"


def markdown(results):
    lines = ["| workload | " + " | ".join(TITLES[s] for s in SYSTEMS) + " |",
             "|---" * (len(SYSTEMS) + 1) + "|"]
    for name, cells in results["workloads"].items():
        lines.append(table_row(name, cells))
    for n, cells in results["scaling"].items():
        lines.append(table_row(f"W5 n = {n}", cells))
    lines.append(table_row("C compile W1", results["compile"]))
    return "\n".join(lines)


def targets(results):
    """The ratios that the project holds itself to, measured in this run."""
    workloads = results["workloads"]

    def to_floor(name):
        return workloads[name]["tovrin"] / workloads[name]["python"]

    lead = {}
    for name, cells in workloads.items():
        peers = [cells[s] for s in ("simpleeval", "asteval", "jmespath") if cells[s] is not None]
        lead[name] = min(peers) / cells["tovrin"]
    scaling = results["scaling"]
    first, last = SCALING_SIZES[0], SCALING_SIZES[-1]
    per_value = (scaling[str(last)]["tovrin"] - scaling[str(first)]["tovrin"]) / (last - first)
    compile_cells = results["compile"]
    memory = results["memory_kib"]
    rule_bytes = results["exp_memory"]["bytes_per_rule"]
    return {
        "W1 tovrin / CPython eval (at most 1.3)": to_floor("W1 rule"),
        "W2 tovrin / CPython eval (at most 1.8)": to_floor("W2 text"),
        "W3 tovrin / CPython eval (below 1.0)": to_floor("W3 pattern"),
        "W4 tovrin / CPython eval (at most 2.0)": to_floor("W4 containers"),
        "W1: fastest peer / tovrin (at least 25)": lead["W1 rule"],
        "W2: fastest peer / tovrin (at least 10)": lead["W2 text"],
        "W3: fastest peer / tovrin (at least 10)": lead["W3 pattern"],
        "W4: fastest peer / tovrin (at least 25)": lead["W4 containers"],
        "W5 ns per further bound value (at most 6)": per_value,
        "C compile() / Exp() (at least 5)": compile_cells["python"] / compile_cells["tovrin"],
        "memory: peak KiB growth from 10^4 to 10^6 W1 evaluations (0)":
            memory["1000000"] - memory["10000"],
        **{f"memory: bytes per compiled W1-like rule ({rule_set}), Exp / code object (at most 1)":
           sizes["tovrin"] / sizes["python"] for rule_set, sizes in rule_bytes.items()},
    }


def plot(results, path):
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    figure, axes = plt.subplots(figsize=(7, 4.5))
    sizes = [int(n) for n in results["scaling"]]
    for system in SYSTEMS:
        times = [results["scaling"][str(n)][system] for n in sizes]
        axes.plot(sizes, times, marker="o", label=TITLES[system])
    axes.set_xscale("log")
    axes.set_yscale("log")
    axes.set_xlabel("bound values n")
    axes.set_ylabel("time per call (ns)")
    axes.set_title("W5: one variable read among n bindings")
    axes.grid(True, which="both", linewidth=0.3)
    axes.legend()
    info = results["machine"]
    figure.text(0.99, 0.01, f"{info['cpu']}, Python {info['python']}, {info['date']}",
                ha="right", va="bottom", fontsize=7, color="gray")
    figure.tight_layout()
    figure.savefig(path, dpi=110)
    plt.close(figure)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    arguments = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    arguments.add_argument("--repeats", type=int, default=9, help="timeit runs per cell")
    arguments.add_argument("--run-seconds", type=float, default=0.05, help="length of one run")
    arguments.add_argument("--json", default=os.path.join(here, "results", "peers.json"))
    arguments.add_argument("--plot", default=os.path.join(here, "results", "w5_scaling.png"))
    options = arguments.parse_args()

    # First, while the process is still small, so that the peak reflects evaluation alone.
    memory = peak_memory_after_evaluations()
    rule_memory = exp_memory.measure_all()

    timer = Timer(options.repeats, options.run_seconds)
    results = {
        "machine": machine(),
        "unit": "ns per call, median of timeit runs",
        "memory_kib": {str(k): v for k, v in memory.items()},
        "exp_memory": {"rules": exp_memory.RULES, "bytes_per_rule": rule_memory},
        "workloads": {name: measure_workload(timer, w) for name, w in WORKLOADS.items()},
        "scaling": {str(n): measure_workload(timer, scaling_workload(n)) for n in SCALING_SIZES},
        "compile": measure_compile(timer),
    }
    results["targets"] = targets(results)

    os.makedirs(os.path.dirname(options.json), exist_ok=True)
    with open(options.json, "w") as out:
        json.dump(results, out, indent=2, ensure_ascii=False)
        out.write("\n")
    plot(results, options.plot)

    info = results["machine"]
    print(f"{info['cpu']} ({info['cores']} cores), {info['system']}, "
          f"Python {info['python']}, {info['date']}\n")
    print(markdown(results))
    rules = results["exp_memory"]
    for rule_set, sizes in rules["bytes_per_rule"].items():
        print(f"\n{rules['rules']} compiled W1-like rules ({rule_set}), bytes each: tovrin Exp "
              f"{sizes['tovrin']:.0f}, CPython code object {sizes['python']:.0f}", end="")
    print()
    print()
    for name, value in results["targets"].items():
        print(f"{name}: {value:.2f}")
    print(f"\nwritten: {options.json}, {options.plot}")


if __name__ == "__main__":
    main()
