#!/usr/bin/env python3
"""mutanten.py - how many small faults in the library's sources the tests catch.

Applies a fixed sample of faults (a comparison flipped, a bound moved, a
constant off by one, && and || swapped, a result changed, a statement
removed) to a copy of the source tree, one at a time; rebuilds what the
fault touches (make's own dependency tracking) and runs the test suite
(about two seconds, so every fault meets every test).  A fault is caught
when a test fails or times out; a fault that does not compile is not
counted.  The sample depends only on the seed and the sources, so the same
sources give the same sample whatever the tests are.

  scripts/mutants.sh [--count N] [--seed S] [--jobs J] [--first N] [--list] [--keep]
                     [--only PATH...]

--only draws the sample from the files under the given paths alone (folders
or files, relative to the source tree).
"""
import argparse
import os
import random
import re
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FOLDERS = ["src/handle", "src/config", "src/args", "src/path", "src/filetree", "src/process",
           "src/preprocess", "src/platform", "src/nachbildung", "quidel32", "tamsel"]
# The Windows side is not built here.
SKIP = ("src/platform/win32/",)

CMP = {" == ": " != ", " != ": " == ", " < ": " >= ", " >= ": " < ", " > ": " <= ", " <= ": " > "}
BOUND = {" < ": " <= ", " <= ": " < ", " > ": " >= ", " >= ": " > "}
LOGIC = {" && ": " || ", " || ": " && "}
RESULT = {"return true;": "return false;", "return false;": "return true;", "return 0;": "return 1;",
          "return 1;": "return 0;", "return -1;": "return 0;"}
NUMBER = re.compile(r"(?<![\w.])(\d+)(?![\w.])")
STATEMENT = re.compile(r"^\s*[A-Za-z_][\w:.\->\[\]]*\s*(\(|[-+*/|&]?=[^=]|\+\+|--).*;\s*$")


def sources(only=None):
    for folder in FOLDERS:
        for top, _, names in sorted(os.walk(os.path.join(ROOT, folder))):
            for name in sorted(names):
                path = os.path.relpath(os.path.join(top, name), ROOT)
                if name.endswith((".cpp", ".h")) and not path.startswith(SKIP) and \
                        (not only or any(path == o or path.startswith(o.rstrip("/") + "/") for o in only)):
                    yield folder, path


def code_part(line):
    """The line with string and character literals blanked and without a
    trailing // comment, so that no fault lands in them."""
    out, quote, i = [], None, 0
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\":
                out.append("__")
                i += 2
                continue
            out.append("_" if c != quote else c)
            if c == quote:
                quote = None
        elif c in "\"'":
            quote = c
            out.append(c)
        elif line.startswith("//", i):
            break
        else:
            out.append(c)
        i += 1
    return "".join(out)


def candidates(path):
    """Every fault the line rules allow in one file: (line, kind, old, new)."""
    found = []
    in_comment = False
    with open(os.path.join(ROOT, path), encoding="utf-8") as f:
        lines = f.read().split("\n")
    for nr, line in enumerate(lines, 1):
        stripped = line.strip()
        if in_comment:
            in_comment = "*/" not in stripped
            continue
        if stripped.startswith("/*"):
            in_comment = "*/" not in stripped
            continue
        if not stripped or stripped.startswith(("#", "//", "static_assert", "template")):
            continue
        code = code_part(line)
        for kind, table in (("compare", CMP), ("bound", BOUND), ("logic", LOGIC)):
            for old, new in table.items():
                start = 0
                while (i := code.find(old, start)) >= 0:
                    found.append((nr, kind, i, old, new))
                    start = i + 1
        for old, new in RESULT.items():
            if (i := code.find(old)) >= 0:
                found.append((nr, "result", i, old, new))
        if not stripped.startswith(("constexpr", "enum", "case")) and "[" not in code:
            for m in NUMBER.finditer(code):
                if m.group(1).startswith("0") and len(m.group(1)) > 1:
                    continue  # octal: n + 1 is no small change
                n = int(m.group(1))
                found.append((nr, "constant", m.start(), m.group(1), str(n + 1)))
        if STATEMENT.match(code) and not stripped.startswith(("return", "else", "if", "for", "while")) \
                and code.count("(") == code.count(")") and "{" not in code:
            found.append((nr, "remove", 0, line, ";" if not line.startswith(" ") else
                          line[:len(line) - len(line.lstrip())] + ";"))
    return lines, found


def sample(count, seed, only=None):
    """The fixed sample: a share of the count for each folder by its number
    of candidates, at least five each, in an order fixed by the seed."""
    by_folder = {}
    for folder, path in sources(only):
        for c in candidates(path)[1]:
            by_folder.setdefault(folder, []).append((path,) + c)
    total = sum(len(v) for v in by_folder.values())
    rng = random.Random(seed)
    chosen = []
    for folder in FOLDERS:
        pool = by_folder.get(folder, [])
        want = min(len(pool), max(5, round(count * len(pool) / total)))
        chosen += rng.sample(pool, want)
    # In a mixed order, so that the first N faults of a shorter run still
    # spread over every folder.
    rng.shuffle(chosen)
    return chosen


def mutate(lines, nr, col, old, new, kind):
    line = lines[nr - 1]
    if kind == "remove":
        changed = new
    else:
        changed = line[:col] + new + line[col + len(old):]
    return "\n".join(lines[:nr - 1] + [changed] + lines[nr:]), changed.strip()


def run(cmd, cwd, timeout):
    try:
        return subprocess.run(cmd, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=timeout).returncode
    except subprocess.TimeoutExpired:
        return -1


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--count", type=int, default=160)
    p.add_argument("--seed", type=int, default=2026)
    p.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    p.add_argument("--list", action="store_true", help="print the sample and stop")
    p.add_argument("--first", type=int, help="run only the first N faults of the sample")
    p.add_argument("--keep", action="store_true", help="reuse the copy and build of an earlier run")
    p.add_argument("--only", nargs="+", metavar="PATH", help="sample only the files under these paths")
    a = p.parse_args()

    chosen = sample(a.count, a.seed, a.only)
    if a.first:
        chosen = chosen[:a.first]
    if a.list:
        for path, nr, kind, col, old, new in chosen:
            print(f"{path}:{nr}: {kind}: {old.strip()!r} -> {new.strip()!r}")
        print(f"{len(chosen)} faults")
        return 0

    work = os.path.join(ROOT, "build", "mutants")
    copy, build = os.path.join(work, "tree"), os.path.join(work, "build")
    if not a.keep and os.path.exists(work):
        shutil.rmtree(work)
    if not os.path.exists(copy):
        files = subprocess.run(["git", "ls-files", "-co", "--exclude-standard"], cwd=ROOT, check=True,
                               capture_output=True, text=True).stdout.split("\n")
        for f in filter(None, files):
            if os.path.isfile(os.path.join(ROOT, f)):
                os.makedirs(os.path.dirname(os.path.join(copy, f)), exist_ok=True)
                shutil.copy2(os.path.join(ROOT, f), os.path.join(copy, f))
    configure = ["cmake", "-S", copy, "-B", build, "-DCMAKE_BUILD_TYPE=Debug", "-DBUILD_TESTING=ON"]
    make = ["cmake", "--build", build, "-j", str(a.jobs)]
    test = ["ctest", "--test-dir", build, "-j", str(a.jobs), "--timeout", "120", "--stop-on-failure"]
    if run(configure, copy, 600) or run(make, copy, 3600) or run(test, copy, 1200):
        print("mutants: the unchanged tree does not build or pass its tests", file=sys.stderr)
        return 2

    start = time.time()
    caught, survived, broken = 0, [], 0
    for i, (path, nr, kind, col, old, new) in enumerate(chosen, 1):
        target = os.path.join(copy, path)
        with open(target, encoding="utf-8") as f:
            original = f.read()
        text, changed = mutate(original.split("\n"), nr, col, old, new, kind)
        with open(target, "w", encoding="utf-8") as f:
            f.write(text)
        where = f"{path}:{nr}: {kind}: {changed}"
        if run(make, copy, 1200) != 0:
            broken += 1
            verdict = "no build"
        elif run(test, copy, 1200) != 0:
            caught += 1
            verdict = "caught"
        else:
            survived.append(where)
            verdict = "SURVIVED"
        with open(target, "w", encoding="utf-8") as f:
            f.write(original)
        print(f"[{i}/{len(chosen)}] {verdict}: {where}", flush=True)
    run(make, copy, 3600)

    built = caught + len(survived)
    print(f"\nmutants: {caught} of {built} caught ({100.0 * caught / max(built, 1):.1f} %), "
          f"{broken} did not build, {time.time() - start:.0f} s")
    for s in survived:
        print("  survived: " + s)
    return 0


if __name__ == "__main__":
    sys.exit(main())
