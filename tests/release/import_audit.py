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


# An import table row: vma, hint, name (binutils 2.40, Debian 12) or vma, ordinal, hint,
# name (2.44, Debian 13); by ordinal only, 2.40 prints the ordinal as the hint and the
# name <none>, 2.44 both hint and name <none>.
BY_ORDINAL = (re.compile(r"\t[0-9a-f]+\t\s*(\d+)\s+<none>$"),
              re.compile(r"\t[0-9a-f]+\s+(\d+)\s+<none> <none>$"))
BY_NAME = (re.compile(r"\t[0-9a-f]+\t\s*\d+\s+(\S+)$"),
           re.compile(r"\t[0-9a-f]+\s+<none>\s+[0-9a-f]+\s+(\S+)$"))


def read_imports(text):
    """(DLL, function name or ordinal) for each import in objdump -p's text, and the rows
    of a DLL's block that no pattern reads (a new objdump's format must not pass unseen)."""
    imports, unread, dll = [], [], None
    for line in text.splitlines():
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            dll = m.group(1).upper()
        elif not line.strip():
            dll = None
        elif dll and re.match(r"\t[0-9a-f]{4,}\s", line):
            m = next((m for p in BY_ORDINAL if (m := p.match(line))), None)
            if m:
                imports.append((dll, int(m.group(1))))
            elif m := next((m for p in BY_NAME if (m := p.match(line))), None):
                imports.append((dll, m.group(1)))
            else:
                unread.append(line)
    return imports, unread


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
    imports, unread = read_imports(text)
    for dll, name in imports:
        if isinstance(name, int):
            problems.append(f"imports {dll} by ordinal {name}")
        elif (dll, name) not in allowed:
            problems.append(f"imports {dll} {name}, which is not in the allowed list")
    problems += [f"import row not understood: {row!r}" for row in unread]
    if not imports:
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
