#!/usr/bin/env python3
"""The shipped 32-bit programs use no thread support that Windows 98 lacks:
- no function-local static with a constructor (its guard, ___cxa_guard_acquire, makes
  GCC 14's runtime import Vista's condition variables);
- nothing calls the runtime functions whose imports win9x_import_slots.cpp only stands
  in for (thread ids compared, a mutex tried), nor calls through those import slots.

    no_thread_support.py NM OBJDUMP PROGRAM...
"""
import re
import subprocess
import sys

GUARD = "___cxa_guard_acquire"
STOOD_IN = ("___gthr_win32_equal", "___gthr_win32_mutex_trylock",
            "___gthr_win32_recursive_mutex_trylock")
SLOTS = ("__imp__GetThreadId@4", "__imp__TryEnterCriticalSection@4")
# Where those calls belong: the runtime's own functions and the stand-ins.
OWN = re.compile(r"___gthr_win32_|_GLOBAL__N_1\d+Late")


def run(*command):
    return subprocess.run(command, check=True, capture_output=True, text=True).stdout


def check(nm, objdump, program):
    symbols = {}
    for line in run(nm, program).splitlines():
        parts = line.split()
        if len(parts) == 3:
            symbols[parts[2]] = int(parts[0], 16)
    problems = []
    if GUARD in symbols:
        problems.append(f"links {GUARD}: a function-local static with a constructor")
    slots = {f"*0x{symbols[s]:x}": s for s in SLOTS if s in symbols}
    function = None
    for line in run(objdump, "-d", "--no-show-raw-insn", program).splitlines():
        m = re.match(r"[0-9a-f]+ <(.+)>:$", line)
        if m:
            function = m.group(1)
            continue
        if function is None or OWN.search(function):
            continue
        m = re.search(r"\s(?:call|jmp)\s+(\S+)(?: <([^>+]+))?", line)
        if m and (m.group(2) in STOOD_IN or m.group(1) in slots):
            problems.append(f"{function} calls {m.group(2) or slots[m.group(1)]}")
    return problems


def main():
    nm, objdump, programs = sys.argv[1], sys.argv[2], sys.argv[3:]
    failed = False
    for program in programs:
        problems = check(nm, objdump, program)
        for p in problems:
            print(f"FAIL: {program}: {p}")
        if not problems:
            print(f"ok: {program}")
        failed |= bool(problems)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
