#!/usr/bin/python3
"""Runs window cases one by one. A case that fails is run once more: passing then, it is reported
as flaky (a fault to fix, not to hide); failing again, it fails the run."""
import argparse
import importlib.util
import os
import pathlib
import sys
import time
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import harness  # noqa: E402


def cases_of(module_path):
    found = importlib.util.spec_from_file_location(pathlib.Path(module_path).stem, module_path)
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)
    suite = unittest.defaultTestLoader.loadTestsFromModule(module)

    def flatten(tests):
        for test in tests:
            if isinstance(test, unittest.TestSuite):
                yield from flatten(test)
            else:
                yield test
    return list(flatten(suite))


def run_once(test):
    result = unittest.TestResult()
    test(result)
    problems = result.failures + result.errors
    return not problems, "".join(text for _, text in problems), bool(result.skipped)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--korvi", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--cli", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--flaky-log", help="a file that collects the names of flaky cases")
    parser.add_argument("-k", dest="pattern", help="run only the cases whose name contains this")
    parser.add_argument("modules", nargs="+")
    options = parser.parse_args()
    os.environ.setdefault("WINEDEBUG", "-all")
    os.environ.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
    harness.Paths.korvi, harness.Paths.probe = options.korvi, options.probe
    harness.Paths.cli, harness.Paths.work = options.cli, options.work

    failed, flaky = [], []
    started = time.monotonic()
    for module in options.modules:
        for test in cases_of(module):
            name = test.id()
            if options.pattern and options.pattern not in name:
                continue
            begun = time.monotonic()
            passed, report, skipped = run_once(test)
            if not passed:
                print(f"FAILED ONCE {name}\n{report}", flush=True)
                passed, report, skipped = run_once(test)
                if passed:
                    flaky.append(name)
                else:
                    failed.append(name)
                    print(f"FAILED AGAIN {name}\n{report}", flush=True)
            state = "failed" if not passed else "flaky" if name in flaky else "skipped" if skipped else "ok"
            print(f"{state:8} {time.monotonic() - begun:5.1f} s  {name}", flush=True)
    print(f"\n{time.monotonic() - started:.0f} s; failed: {len(failed)}; flaky: {len(flaky)}")
    for name in flaky:
        print(f"FLAKY {name}")
    if flaky and options.flaky_log:
        with open(options.flaky_log, "a") as log:
            log.writelines(f"{name}\n" for name in flaky)
    for name in failed:
        print(f"FAILED {name}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
