#!/usr/bin/python3
"""Runs window cases one by one. A case that fails is run once more: passing then, it is reported
as flaky (a fault to fix, not to hide); failing again, it fails the run."""
import argparse
import itertools
import os
import pathlib
import sys
import time
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import harness  # noqa: E402


def run_once(test):
    """The case's failures in words, empty when it passed."""
    result = unittest.TestResult()
    test(result)
    return "".join(text for _, text in result.failures + result.errors)


def main():
    parser = argparse.ArgumentParser()
    for option in ("--korvi", "--probe", "--cli", "--work", "--flaky-log"):
        parser.add_argument(option, required=True)
    parser.add_argument("module")
    options = parser.parse_args()
    os.environ.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
    harness.Paths.korvi, harness.Paths.probe = options.korvi, options.probe
    harness.Paths.cli, harness.Paths.work = options.cli, options.work

    failed, flaky = [], []
    started = time.monotonic()
    # The module of cases lies beside the harness: a suite per class of cases, a test per case.
    for test in itertools.chain(*unittest.defaultTestLoader.loadTestsFromName(pathlib.Path(options.module).stem)):
        name, begun = test.id(), time.monotonic()
        report = run_once(test)
        if report:
            print(f"FAILED ONCE {name}\n{report}", flush=True)
            report = run_once(test)
            (failed if report else flaky).append(name)
            print(f"FAILED AGAIN {name}\n{report}" if report else f"FLAKY {name}", flush=True)
        state = "failed" if name in failed else "flaky" if name in flaky else "ok"
        print(f"{state:8} {time.monotonic() - begun:5.1f} s  {name}", flush=True)
    print(f"\n{time.monotonic() - started:.0f} s; failed: {failed}; flaky: {flaky}")
    if flaky:
        with open(options.flaky_log, "a") as log:
            log.writelines(f"{name}\n" for name in flaky)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
