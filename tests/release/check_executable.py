#!/usr/bin/env python3
"""Checks what a Windows user relies on in the built Tallowin.exe, read from
the file itself: a 32-bit GUI executable that loads only the DLLs listed
here, at start-up or at the first call into them (a new one fails the check,
so it is a decision, not an accident), its manifest, its version 6.1 and its
14-image icon.

    check_executable.py EXE
"""
import re
import struct
import subprocess
import sys
import tempfile
from pathlib import Path

# Every one ships with every Windows from 7 on. Loaded at start-up:
STARTUP_IMPORTS = {"GDI32.dll", "KERNEL32.dll", "msvcrt.dll", "USER32.dll"}
# Delay-loaded, at the first update check, sign-in sound or web page:
DELAY_LOADED = {"SHELL32.dll", "WININET.dll", "WINMM.dll"}
# Named by the C runtime linked in: mingw-w64's msvcrt glue loads ADVAPI32,
# also a system DLL, for functions older msvcrt versions lack; the compiler's
# 32-bit start-up code asks whether libgcc's DLL is loaded already, to share
# its unwind tables, and never loads it.
NAMED_BY_RUNTIME = {"ADVAPI32.dll", "libgcc_s_dw2-1.dll"}
# The functions each delay-loaded DLL gives the program.
DELAY_LOAD_DEFS = Path(__file__).resolve().parents[2] / "cmake" / "delay-load"


def dll_names_in(data):
    """Every DLL name the file spells out, in ANSI or UTF-16: the import
    table's, the delay-load descriptors' (GNU ld leaves their directory entry
    empty, so they are found by name) and any LoadLibrary argument."""
    names = {m.decode() for m in re.findall(rb"[A-Za-z0-9_.-]+\.[Dd][Ll][Ll](?![A-Za-z0-9])", data)}
    wide = re.findall(rb"(?:[A-Za-z0-9_.-]\x00)+\.\x00[Dd]\x00[Ll]\x00[Ll]\x00", data)
    names |= {m.decode("utf-16-le") for m in wide}
    return {name.upper() for name in names}

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
    expected = {name.upper() for name in STARTUP_IMPORTS}
    check(imports <= expected, f"loads at start-up only {sorted(STARTUP_IMPORTS)}; got {sorted(imports)}")
    data = Path(exe).read_bytes()
    named = dll_names_in(data)
    delayed = {name.upper() for name in DELAY_LOADED}
    check(delayed <= named, f"delay-loads {sorted(DELAY_LOADED)}; names {sorted(named)}")
    known = expected | delayed | {name.upper() for name in NAMED_BY_RUNTIME}
    check(named <= known, f"names no other DLL; new: {sorted(named - known)}")
    # A delay-loaded function is found by its plain name at the first call;
    # a name still carrying its stdcall size would fail only then, on Windows.
    for def_file in sorted(DELAY_LOAD_DEFS.glob("*.def")):
        functions = re.findall(r"^(\w+)(@\d+)?\s*$", def_file.read_text(), re.M)
        plain = [f for f, _ in functions if f not in ("LIBRARY", "EXPORTS")]
        missing = [f for f in plain if re.search(rb"\x00" + f.encode() + rb"\x00", data) is None]
        decorated = [f for f in plain if (f + "@").encode() in data]
        check(plain and not missing and not decorated,
              f"{def_file.stem}: {len(plain)} functions imported by their plain names"
              + (f"; missing {missing}" if missing else "") + (f"; decorated {decorated}" if decorated else ""))

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
