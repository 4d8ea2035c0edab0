#!/usr/bin/env python3
"""Which native test catches which planted fault: the evidence for cutting or adding tests.

The mutation check (../shared/tools/mutate.py) says how many faults the suites catch; this
says which tests catch them. Each mutant is planted as mutate.py plants it, the native tree is
rebuilt, and every native suite runs whole (no stop at the first failure), so a mutant's row
lists every test and every assertion line that failed. Rows are appended to a JSON-lines file,
one per mutant, so a long run can be stopped and taken up again.

  run    [--seed S] [--count N] [--files src/a.cpp,...] OUT.jsonl
         in a clone whose native tree is built (scripts/build.sh native); nothing else may
         build there meanwhile. --files takes every mutant of those files (count ignored).
  report ROWS.jsonl...
         per test: the mutants it catches, and those no other test catches.
  without PATTERN... -- ROWS.jsonl...
         the caught mutants that no test is left to catch once the tests matching any pattern
         (regular expressions over "suite:Test.Name") are gone.

A test that catches nothing alone over a sample still guards whatever the sample missed, and
mutate.py plants nothing on a line holding a text literal: run every mutant of the files a test
exercises (--files) before judging it.
"""
import collections, json, os, random, re, signal, subprocess, sys, time

SUITES = ["platform_tests", "base_tests", "formats_tests", "inspection_tests",
          "catalogue_tests", "fileops_tests", "cli_tests"]
DIRS = ["src/platform", "src/base", "src/formats", "src/inspection", "src/catalogue",
        "src/fileops", "src/cli"]
FAILED = re.compile(r"^\[  FAILED  \] (\S+?\.\S+?)(?: \(|,|$)", re.M)
FAILURE_AT = re.compile(r"^(\S*?tests/\S+?):(\d+): Failure", re.M)
RUNNING = re.compile(r"^\[ RUN      \] (\S+)", re.M)


def load_mutate(root):
    sys.path.insert(0, os.path.join(root, "..", "shared", "tools"))
    import mutate
    return mutate


def run_suites(build, seconds):
    """Every suite at once; the failed tests, the failed assertion lines, and the test running
    when a suite crashed or hung."""
    procs = {s: subprocess.Popen([os.path.join(build, "bin", s)], cwd=build,
                                 stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                 start_new_session=True) for s in SUITES}
    failed, lines, crashed = set(), set(), []
    deadline = time.time() + seconds
    for suite, p in procs.items():
        try:
            out, _ = p.communicate(timeout=max(1, deadline - time.time()))
            hung = False
        except subprocess.TimeoutExpired:
            os.killpg(p.pid, signal.SIGKILL)
            out, _ = p.communicate()
            hung = True
        text = out.decode(errors="replace")
        if p.returncode == 0 and not hung:
            continue
        names = set(FAILED.findall(text))
        failed |= {suite + ":" + n for n in names}
        lines |= {f[f.index("tests/"):] + ":" + n for f, n in FAILURE_AT.findall(text)}
        if hung or not names:
            running = RUNNING.findall(text)
            crashed.append(suite + ":" + (running[-1] if running else "?"))
    return sorted(failed), sorted(lines), crashed


def run(args):
    root = os.path.abspath(".")
    build = os.path.join(root, "build", "native")
    mutate = load_mutate(root)
    out = args.pop()
    seed = int(args[args.index("--seed") + 1]) if "--seed" in args else 1
    count = int(args[args.index("--count") + 1]) if "--count" in args else 100
    cands = mutate.candidates(root, DIRS)
    if "--files" in args:
        files = set(args[args.index("--files") + 1].split(","))
        picked = [c for c in cands if c[0] in files]
    else:
        picked = random.Random(seed).sample(cands, min(count, len(cands)))
    done = set()
    if os.path.exists(out):
        done = {tuple(json.loads(l)["mutant"]) for l in open(out)}
    build_cmd = ["cmake", "--build", build, "--target"] + SUITES + ["orvalis-cli", "demo_drive"]
    with open(out, "a") as rows:
        for n, mutant in enumerate(sorted(picked), 1):
            if tuple(mutant) in done:
                continue
            path, original, change = mutate.apply(root, mutant)
            if path is None:
                continue
            row = {"mutant": list(mutant), "where": f"{mutant[0]}:{mutant[1] + 1}",
                   "change": change}
            try:
                if mutate.run(build_cmd, 1800)[0] != 0:
                    row["verdict"] = "stillborn"
                else:
                    row["failed"], row["lines"], row["crashed"] = run_suites(build, 60)
                    caught = row["failed"] or row["crashed"]
                    row["verdict"] = "killed" if caught else "SURVIVED"
            finally:
                with open(path, "w", encoding="utf-8") as fh:
                    fh.write(original)
            rows.write(json.dumps(row) + "\n")
            rows.flush()
            print(n, row["verdict"], row["where"], flush=True)
    mutate.run(build_cmd, 3600)


def catchers(row):
    """The tests that caught a mutant; a parameterised test counts as one test."""
    names = set(row.get("failed", [])) | {c.split(":")[0] + ":" + c.split(":")[-1]
                                          for c in row.get("crashed", [])}
    return {re.sub(r":[^/]*/([^/]+)/.*$", r":\1", n) for n in names}


def caught_rows(files):
    rows = [json.loads(l) for f in files for l in open(f)]
    return rows, [r for r in rows if r["verdict"] == "killed"]


def report(files):
    rows, caught = caught_rows(files)
    print(f"{len(rows)} mutants: {len(caught)} caught, "
          f"{sum(r['verdict'] == 'SURVIVED' for r in rows)} survived")
    total, alone = collections.Counter(), collections.Counter()
    for r in caught:
        tests = catchers(r)
        total.update(tests)
        if len(tests) == 1:
            alone.update(tests)
    print("alone  all  test")
    for test, n in sorted(total.items(), key=lambda t: (-alone[t[0]], -t[1])):
        print(f"{alone[test]:5d} {n:4d}  {test}")


def without(args):
    split = args.index("--")
    patterns, files = args[:split], args[split + 1:]
    _, caught = caught_rows(files)
    gone = lambda t: any(re.search(p, t) for p in patterns)
    lost = [r for r in caught if all(gone(t) for t in catchers(r))]
    print(f"{len(caught)} caught; {len(lost)} caught by none of the tests left")
    for r in lost:
        print(f"  {r['where']}  {r['change'][0]}  =>  {r['change'][1]}")


if __name__ == "__main__":
    if len(sys.argv) < 3 or sys.argv[1] not in ("run", "report", "without"):
        sys.exit(__doc__)
    {"run": run, "report": report, "without": without}[sys.argv[1]](sys.argv[2:])
