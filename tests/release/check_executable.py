#!/usr/bin/env python3
"""Checks what a Windows user relies on in the built Tallowin.exe, read from
the file itself: a 32-bit GUI executable that imports only the DLLs listed
here (a new import fails the check, so it is a decision, not an accident),
its manifest, its version 6.1 and its 14-image icon.

    check_executable.py EXE
"""
import re
import struct
import subprocess
import sys
import tempfile
from pathlib import Path

# Every one ships with every Windows from 7 on.
EXPECTED_IMPORTS = {
    "GDI32.dll", "KERNEL32.dll", "msvcrt.dll", "SHELL32.dll", "USER32.dll",
    "WININET.dll", "WINMM.DLL",
}

failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what)
    if not ok:
        failures.append(what)


def run(*args):
    return subprocess.run(args, check=True, capture_output=True).stdout


def resource(exe, rtype, name):
    with tempfile.TemporaryDirectory() as tmp:
        run("wrestool", "-x", "--raw", f"--type={rtype}", f"--name={name}", "-o", tmp, exe)
        files = list(Path(tmp).iterdir())
        return files[0].read_bytes() if files else b""


def main():
    exe = sys.argv[1]
    dump = run("i686-w64-mingw32-objdump", "-p", exe).decode("latin-1")
    check("file format pei-i386" in run("i686-w64-mingw32-objdump", "-f", exe).decode(),
          "a PE32 executable for i386")
    check(re.search(r"^Subsystem\s+0+2\b", dump, re.M) is not None, "the Windows GUI subsystem")
    # DLL names are case-insensitive; import libraries spell them either way.
    imports = {name.upper() for name in re.findall(r"DLL Name: (\S+)", dump)}
    expected = {name.upper() for name in EXPECTED_IMPORTS}
    check(imports <= expected, f"imports only {sorted(EXPECTED_IMPORTS)}; got {sorted(imports)}")
    new = imports - expected
    if new:
        print(f"     new imports: {sorted(new)}")

    manifest = resource(exe, 24, 1).decode("utf-8", "replace")
    check('name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' in manifest,
          "the manifest asks for common controls 6")
    check('level="asInvoker"' in manifest, "the manifest runs it as the invoker")
    check(len(re.findall(r"<supportedOS Id=", manifest)) == 4, "the manifest names Windows 7, 8, 8.1 and 10/11")

    version = resource(exe, 16, 1)
    at = version.find(struct.pack("<I", 0xFEEF04BD))
    ok = at >= 0
    if ok:
        file_ms, file_ls, prod_ms, prod_ls = struct.unpack_from("<IIII", version, at + 8)
        ok = (file_ms, file_ls, prod_ms, prod_ls) == (0x00060001, 0, 0x00060001, 0)
    check(ok, "VERSIONINFO says 6.1.0.0 for file and product")
    check("6.1".encode("utf-16-le") in version, "the version strings say 6.1")

    group = resource(exe, 14, "DEFAULT_ICON")
    count = struct.unpack_from("<HHH", group)[2] if len(group) >= 6 else 0
    sizes = sorted((e[0] or 256, e[5]) for e in (struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
                                                  for i in range(count)))
    expected = sorted([(s, 4) for s in (16, 32, 48)] + [(s, 8) for s in (16, 32, 48)] +
                      [(s, 32) for s in (16, 24, 32, 48, 64, 72, 96, 128)])
    check(sizes == expected, f"DEFAULT_ICON holds the 14 images; got {sizes}")

    if failures:
        print(f"{len(failures)} check(s) failed")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
