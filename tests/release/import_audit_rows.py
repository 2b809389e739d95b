#!/usr/bin/env python3
"""import_audit.py reads objdump's import rows as binutils 2.40 (Debian 12) and 2.44
(Debian 13) print them, by name and by ordinal, and reports a row it cannot read."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from import_audit import read_imports  # noqa: E402

# Rows captured from i686-w64-mingw32-objdump -p of Wine's 32-bit shell32.dll.
BINUTILS_2_40 = """
\tDLL Name: advapi32.dll
\tvma:  Hint/Ord Member-Name Bound-To
\tf2170\t   21  AdjustTokenPrivileges

\tDLL Name: shlwapi.dll
\tvma:  Hint/Ord Member-Name Bound-To
\t80000002\t    2  <none>
"""
BINUTILS_2_44 = """
\tDLL Name: advapi32.dll
\tvma:     Ordinal  Hint  Member-Name  Bound-To
\t000de7c4  <none>  0015  AdjustTokenPrivileges

\tDLL Name: shlwapi.dll
\tvma:     Ordinal  Hint  Member-Name  Bound-To
\t000deab8      2  <none> <none>

\t32 bit words
"""
WANT = ([("ADVAPI32.DLL", "AdjustTokenPrivileges"), ("SHLWAPI.DLL", 2)], [])
failed = 0
for name, text, want in (
        ("2.40", BINUTILS_2_40, WANT), ("2.44", BINUTILS_2_44, WANT),
        ("a row of a format not known", "\tDLL Name: k.dll\n\t000de7c4 ? 0015 F\n",
         ([], ["\t000de7c4 ? 0015 F"]))):
    got = read_imports(text)
    print(f"{'ok' if got == want else 'FAIL'}: {name}: {got}")
    failed |= got != want
sys.exit(failed)
