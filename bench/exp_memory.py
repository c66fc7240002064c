"""Memory of compiled expressions: the resident-size growth per compiled rule when 100,000
distinct W1-like rules are kept, as tovrin `Exp` objects and as CPython code objects of the
equivalent Python expressions (compiled for `eval`).

Two sets of rules: in "literals" the number and both strings differ from rule to rule, in
"limits" only the number does (CPython then shares the two strings between its code objects).

Each kind is measured in a fresh interpreter, so that neither sees memory the other freed. The
texts are made before the first reading, so only the compiled objects count. Run with the module
on the path (scripts/bench.sh does; bench/peers.py calls this script).
"""

import argparse
import gc
import json
import subprocess
import sys

RULES = 100_000

RULE_SETS = {
    "literals": {
        "tovrin": "user.age >= {i} && startsWith(user.name, 'A{i}') && region == 'eu{i}'",
        "python": "user['age'] >= {i} and user['name'].startswith('A{i}') and region == 'eu{i}'",
    },
    "limits": {
        "tovrin": "user.age >= {i} && startsWith(user.name, 'A') && region == 'eu'",
        "python": "user['age'] >= {i} and user['name'].startswith('A') and region == 'eu'",
    },
}
KINDS = ("tovrin", "python")


def resident_bytes():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * 4096


def measure(rule_set, kind, rules):
    """Bytes of resident-size growth per compiled rule of `kind`, in this process."""
    if kind == "tovrin":
        from tovrin import Exp

        make = Exp
    else:
        def make(text):
            return compile(text, "<rule>", "eval")
    texts = [RULE_SETS[rule_set][kind].format(i=i) for i in range(rules)]
    kept = [None] * rules
    gc.collect()
    before = resident_bytes()
    for i, text in enumerate(texts):
        kept[i] = make(text)
    gc.collect()
    return (resident_bytes() - before) / rules


def measure_apart(rule_set, kind, rules):
    """The same measurement in a fresh interpreter."""
    output = subprocess.run(
        [sys.executable, __file__, "--one", rule_set, kind, "--rules", str(rules)],
        check=True, capture_output=True, text=True).stdout
    return float(output)


def measure_all(rules=RULES):
    """Bytes per rule, by rule set and kind."""
    return {rule_set: {kind: measure_apart(rule_set, kind, rules) for kind in KINDS}
            for rule_set in RULE_SETS}


def main():
    arguments = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    arguments.add_argument("--rules", type=int, default=RULES)
    arguments.add_argument("--one", nargs=2, metavar=("RULE_SET", "KIND"), help=argparse.SUPPRESS)
    options = arguments.parse_args()
    if options.one:
        print(measure(*options.one, options.rules))
        return
    print(json.dumps({"rules": options.rules, "bytes_per_rule": measure_all(options.rules)},
                     indent=2))


if __name__ == "__main__":
    main()
