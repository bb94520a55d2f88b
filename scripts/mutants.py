#!/usr/bin/env python3
"""Puts each fault of a list into the code, one at a time, and says which tests catch it.

    scripts/mutants.py [LIST] [--only TEXT]

LIST (default tests/mutants.txt) holds blocks like

    @@ window/note_window.cpp: no save when another program is activated
    -  if (LOWORD(state) == WA_INACTIVE)
    -    SaveInBackground();
    +

"-" lines are replaced by the "+" lines (the text must occur once). The
Windows tests run under Wine (build/windows, built already), the core's
natively (build/native) when the fault is in core/. A fault that no test
catches is printed as MISSED. Every file is put back as it was.
"""
import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def parse(path):
    mutants, current = [], None
    for line in open(path, encoding="utf-8").read().splitlines():
        if line.startswith("@@ "):
            file, _, what = line[3:].partition(": ")
            current = {"file": file, "what": what, "old": [], "new": []}
            mutants.append(current)
        elif current and line.startswith("-"):
            current["old"].append(line[1:])
        elif current and line.startswith("+"):
            current["new"].append(line[1:])
    return mutants


def run(command, cwd, env=None):
    return subprocess.run(command, cwd=cwd, env=env, shell=True, text=True, errors="replace",
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT).stdout


def restore_registry(prefix, saved):
    """Puts the prefix's registry back as it was: a fault may leave keys behind."""
    run("wineserver -k", ROOT, dict(os.environ, WINEPREFIX=prefix))
    for name, data in saved.items():
        with open(os.path.join(prefix, name), "wb") as file:
            file.write(data)


def failures(native):
    build = os.path.join(ROOT, "build/windows")
    out = run("cmake --build . -j2", build)
    if " error" in out or "error:" in out:
        return ["<does not build>"]
    env = dict(os.environ, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
               WINEPREFIX=os.path.join(build, "wineprefix"))
    out = run('timeout 900 xvfb-run -a -s "-screen 0 1280x1024x24" wine tests/win/win_tests.exe '
              '--gtest_filter=-*OnAFullDisk*', build, env)
    failed = re.findall(r"^\[  FAILED  \] (\S+) \(", out, re.M)
    if not re.search(r"tests? from \d+ test suites? ran\.", out):
        failed.append("<hung or crashed>")
    if native:
        native_build = os.path.join(ROOT, "build/native")
        out = run("cmake --build . -j2 && ./tests/core/core_tests", native_build)
        failed += re.findall(r"^\[  FAILED  \] (\S+) \(", out, re.M)
    return sorted(set(failed))


def main():
    args = sys.argv[1:]
    only = None
    if "--only" in args:
        only = args[args.index("--only") + 1]
        del args[args.index("--only"):args.index("--only") + 2]
    listing = args[0] if args else os.path.join(ROOT, "tests/mutants.txt")
    prefix = os.path.join(ROOT, "build/windows/wineprefix")
    saved = {name: open(os.path.join(prefix, name), "rb").read()
             for name in ("system.reg", "user.reg", "userdef.reg")
             if os.path.exists(os.path.join(prefix, name))}
    for mutant in parse(listing):
        if only and only not in mutant["what"] and only not in mutant["file"]:
            continue
        path = os.path.join(ROOT, mutant["file"])
        original = open(path, encoding="utf-8").read()
        old, new = "\n".join(mutant["old"]), "\n".join(mutant["new"])
        if original.count(old) != 1:
            print(f"{mutant['file']}: {mutant['what']}: NOT FOUND", flush=True)
            continue
        try:
            with open(path, "w", encoding="utf-8") as file:
                file.write(original.replace(old, new))
            caught = failures(mutant["file"].startswith("core/"))
        finally:
            with open(path, "w", encoding="utf-8") as file:
                file.write(original)
            restore_registry(prefix, saved)
        verdict = ", ".join(caught) if caught else "MISSED"
        print(f"{mutant['file']}: {mutant['what']}: {verdict}", flush=True)
    run("cmake --build . -j2", os.path.join(ROOT, "build/windows"))


if __name__ == "__main__":
    main()
