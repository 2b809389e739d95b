#!/usr/bin/env python3
"""Reads the resources back out of a built program (windres) and proves what Windows
will find there: a well-formed application manifest in the form Windows XP accepts,
with the given execution level, DPI awareness (system, per monitor from Windows 10) and the Vista to 10/11 supportedOS
entries; a version resource with the project's version; language 1045 throughout.

    deliverable_identity.py WINDRES PROGRAM EXECUTION_LEVEL VERSION
"""
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

ASM_V1 = "urn:schemas-microsoft-com:asm.v1"
ASM_V3 = "urn:schemas-microsoft-com:asm.v3"
COMPAT = "urn:schemas-microsoft-com:compatibility.v1"
SETTINGS = "http://schemas.microsoft.com/SMI/2005/WindowsSettings"
SETTINGS_2016 = "http://schemas.microsoft.com/SMI/2016/WindowsSettings"
SUPPORTED_OS = {  # Vista, 7, 8, 8.1, 10 and 11
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}


def rc_string(literal):
    """One "..." line of windres output back to its text."""
    body = literal.strip()[1:-1].replace('""', '"')
    return body.encode("latin-1").decode("unicode_escape")


def manifest_text(rc):
    m = re.search(r"^1 24 /\* RT_MANIFEST \*/\nBEGIN\n(.*?)^END", rc, re.M | re.S)
    if not m:
        return None
    return "".join(rc_string(line) for line in m.group(1).splitlines() if line.strip())


def check_manifest(text, level):
    problems = []
    try:
        root = ET.fromstring(text.encode("utf-8"))
    except ET.ParseError as error:
        return [f"manifest is not well-formed XML: {error}"]
    # Windows XP SP2 crashes on an element that declares two namespaces.
    for tag in re.findall(r"<[^!?/][^>]*>", text):
        if len(re.findall(r"\sxmlns(:\w+)?=", tag)) > 1:
            problems.append(f"manifest element declares two namespaces: {tag}")
    if root.tag != f"{{{ASM_V1}}}assembly" or root.get("manifestVersion") != "1.0":
        problems.append("manifest root is not an asm.v1 assembly, manifestVersion 1.0")
    identity = root.find(f"{{{ASM_V1}}}assemblyIdentity")
    if identity is None or not all(identity.get(a) for a in ("type", "name", "version")):
        problems.append("manifest lacks assemblyIdentity with type, name and version")
    found = root.find(f"{{{ASM_V3}}}trustInfo/{{{ASM_V3}}}security/{{{ASM_V3}}}requestedPrivileges/"
                      f"{{{ASM_V3}}}requestedExecutionLevel")
    if found is None or found.get("level") != level:
        problems.append(f"requestedExecutionLevel is not {level} in an asm.v3 trustInfo")
    ids = {e.get("Id") for e in root.iter(f"{{{COMPAT}}}supportedOS")}
    if ids != SUPPORTED_OS:
        problems.append(f"supportedOS entries {sorted(ids)} are not Vista to 10/11")
    settings = f"{{{ASM_V3}}}application/{{{ASM_V3}}}windowsSettings"
    dpi = root.find(f"{settings}/{{{SETTINGS}}}dpiAware")
    if dpi is None or dpi.text.strip().lower() != "true":
        problems.append("not DPI aware (Vista to 8.1)")
    # Windows 10 takes the first mode it knows: per monitor (v2) from 1703 on.
    modes = root.find(f"{settings}/{{{SETTINGS_2016}}}dpiAwareness")
    if modes is None or modes.text.replace(" ", "").lower().split(",")[0] != "permonitorv2":
        problems.append("not per-monitor (v2) DPI aware")
    if any("Common-Controls" in (e.get("name") or "") for e in root.iter(f"{{{ASM_V1}}}assemblyIdentity")):
        problems.append("depends on common controls 6: the dialogs would change their look")
    return problems


def check_version(rc, version):
    problems = []
    if not re.search(r"^1 VERSIONINFO$", rc, re.M):
        return ["no version resource"]
    values = dict(re.findall(r'VALUE "(\w+)", "([^"]*)"', rc))
    if values.get("ProductName") != "Morvessantique":
        problems.append(f"ProductName is {values.get('ProductName')!r}")
    for key in ("FileVersion", "ProductVersion"):
        if values.get(key) != version:
            problems.append(f"{key} is {values.get(key)!r}, the project's version is {version}")
    for key in ("FileDescription", "LegalCopyright"):
        if not values.get(key):
            problems.append(f"no {key}")
    if not re.search(r'BLOCK "041504E2"', rc) or "0x415, 1250" not in rc:
        problems.append("version strings are not in language 1045")
    numbers = ", ".join((version.split(".") + ["0"] * 4)[:4])
    if f"FILEVERSION {numbers}" not in rc:
        problems.append(f"FILEVERSION is not {numbers}")
    return problems


def main():
    windres, program, level, version = sys.argv[1:5]
    rc = subprocess.run([windres, "-i", program, "-O", "rc"], check=True, capture_output=True,
                        text=True, encoding="latin-1").stdout
    problems = check_version(rc, version)
    text = manifest_text(rc)
    problems += ["no application manifest (RT_MANIFEST 1)"] if text is None else check_manifest(text, level)
    languages = set(re.findall(r"^LANGUAGE (\d+, \d+)$", rc, re.M))
    if languages != {"21, 1"}:  # LANG_POLISH, SUBLANG_DEFAULT: 1045
        problems.append(f"resource languages {sorted(languages)}, expected only 1045")
    for problem in problems:
        print(f"FAIL: {program}: {problem}")
    if not problems:
        print(f"ok: {program}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
