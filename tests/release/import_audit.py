#!/usr/bin/env python3
"""Proves that the shipping 32-bit programs load on Windows 98 and NT 4.0: every
function they import is in allowed_imports.txt with versions no later than those, and
their PE headers ask for Windows 4.0 and are large-address-aware.

    import_audit.py OBJDUMP ALLOWED_LIST PROGRAM...
"""
import re
import subprocess
import sys

OLDEST_9X = ["95", "98", "stub"]  # "stub": exported, fails harmlessly (see the list)
OLDEST_NT = 4.0


def read_allowed(path):
    allowed, problems = {}, []
    with open(path) as f:
        for number, line in enumerate(f, 1):
            line = line.split("#", 1)[0].split()
            if not line:
                continue
            if len(line) != 4:
                problems.append(f"{path}:{number}: expected DLL, function, 9x, NT")
                continue
            dll, function, win9x, nt = line
            if win9x not in OLDEST_9X or float(nt) > OLDEST_NT:
                problems.append(f"{path}:{number}: {function} needs Windows {win9x} / NT {nt}")
            allowed[(dll.upper(), function)] = (win9x, nt)
    return allowed, problems


def audit(objdump, allowed, program):
    text = subprocess.run([objdump, "-p", program], check=True, capture_output=True,
                          text=True).stdout
    problems = []
    header = dict(re.findall(r"^(M\w+Version)\s+(\d+)$", text, re.M))
    for field, want in (("MajorOSystemVersion", "4"), ("MinorOSystemVersion", "0"),
                        ("MajorSubsystemVersion", "4"), ("MinorSubsystemVersion", "0")):
        if header.get(field) != want:
            problems.append(f"{field} is {header.get(field)}, must be {want}")
    if "large address aware" not in text:
        problems.append("not large-address-aware")
    dll, imports = None, 0
    for line in text.splitlines():
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            dll = m.group(1).upper()
            continue
        # vma, hint, name (binutils 2.40, Debian 12); vma, ordinal, hint, name (2.44, Debian 13)
        m = (re.match(r"\t[0-9a-f]+\t\s*\d+\s+(\S+)$", line) or
             re.match(r"\t[0-9a-f]+\s+<none>\s+[0-9a-f]+\s+(\S+)$", line))
        if m and dll:
            imports += 1
            if (dll, m.group(1)) not in allowed:
                problems.append(f"imports {dll} {m.group(1)}, which is not in the allowed list")
    if imports == 0:
        problems.append("no imports found: objdump output not understood")
    return problems


def main():
    objdump, allowed_path, programs = sys.argv[1], sys.argv[2], sys.argv[3:]
    allowed, failures = read_allowed(allowed_path)
    for program in programs:
        problems = audit(objdump, allowed, program)
        failures += [f"{program}: {p}" for p in problems]
        if not problems:
            print(f"ok: {program}")
    for failure in failures:
        print(f"FAIL: {failure}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
