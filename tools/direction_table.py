#!/usr/bin/env python3
"""Writes fern/directions.cpp: the sine and cosine of every direction a fern's
branch can take, as the C library of the machine that runs this gives them.

    python3 tools/direction_table.py > fern/directions.cpp

Python's math.sin and math.cos are the C library's sin and cos, and its floats
are doubles, so each entry is sin and cos of (degrees * 3.1415926535 / 180)
computed in double arithmetic, left to right. The digests that the tests
record were made with glibc's values: run this on a glibc machine.
The recorded digests check the committed table's bits on every build;
fern_directions_test checks what any right table holds.
"""
import math
import re
import sys

DEGREES_PER_STEP = 5


def main():
    header = open(sys.path[0] + "/../fern/directions.h").read()
    first = int(re.search(r"FirstDirectionStep = (-?\d+);", header).group(1))
    last = int(re.search(r"LastDirectionStep = (-?\d+);", header).group(1))
    out = sys.stdout
    out.write("// Written by tools/direction_table.py; do not edit by hand.\n")
    out.write('#include "directions.h"\n\nnamespace morv {\n\n')
    out.write("const Direction DirectionTable[DirectionCount] = {\n")
    for step in range(first, last + 1):
        degrees = step * DEGREES_PER_STEP
        radians = float(degrees) * 3.1415926535 / 180
        out.write(f"    {{{math.sin(radians).hex()}, {math.cos(radians).hex()}}},"
                  f"  // {degrees}\n")
    out.write("};\n\n}  // namespace morv\n")


if __name__ == "__main__":
    main()
