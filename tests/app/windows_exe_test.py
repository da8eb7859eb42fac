#!/usr/bin/env python3
"""Morvane.exe as a file, read back with pefile: its version record, field by field, and the
DLLs it needs, which must be only those every Windows has.

usage: windows_exe_test.py MORVANE_EXE
"""

import sys

import pefile

STRINGS = {
    "Comments": "Klick on screen with eighter left or right mouse button.",
    "ProductName": "Morvane",
    "InternalName": "Morvane",
    "OriginalFilename": "Morvane.exe",
    "FileVersion": "1.00",
    "ProductVersion": "1.00",
}
VERSION_1_0_0_0 = (0x00010000, 0x00000000)  # (major << 16 | minor, build << 16 | revision)
VS_FFI_SIGNATURE = 0xFEEF04BD
VFT_APP = 0x1
ENGLISH_US, UNICODE_CODE_PAGE = 0x0409, 1200
# The system's own: the window, drawing, the kernel, the C runtime every Windows carries, and
# the multimedia timer's period.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll", "winmm.dll"}

failures = []


def expect(condition, message):
    print(("ok   " if condition else "FAIL ") + message)
    if not condition:
        failures.append(message)
    return condition


def decoded(table):
    return {key.decode("utf-8"): value.decode("utf-8") for key, value in table.items()}


def check_version_record(pe):
    if not expect(hasattr(pe, "VS_FIXEDFILEINFO") and hasattr(pe, "FileInfo"),
                  "it has a version record"):
        return
    fixed = pe.VS_FIXEDFILEINFO[0]
    expect(fixed.Signature == VS_FFI_SIGNATURE, f"fixed part signature {fixed.Signature:#x}")
    file_version = (fixed.FileVersionMS, fixed.FileVersionLS)
    product_version = (fixed.ProductVersionMS, fixed.ProductVersionLS)
    expect(file_version == VERSION_1_0_0_0,
           f"numeric file version {file_version[0]:#010x} {file_version[1]:#010x} is 1.0.0.0")
    expect(product_version == VERSION_1_0_0_0,
           f"numeric product version {product_version[0]:#010x} {product_version[1]:#010x} "
           "is 1.0.0.0")
    expect(fixed.FileType == VFT_APP, f"file type {fixed.FileType} is an application")

    tables, translations = [], []
    for info in pe.FileInfo[0]:
        for table in getattr(info, "StringTable", []):
            tables.append((table.LangID.decode("ascii").lower(), decoded(table.entries)))
        for var in getattr(info, "Var", []):
            translations += var.entry.values()
    if expect(len(tables) == 1, f"one table of texts ({len(tables)})"):
        lang, strings = tables[0]
        expect(lang == f"{ENGLISH_US:04x}{UNICODE_CODE_PAGE:04x}",
               f"the texts are US English in Unicode ({lang})")
        for key, text in STRINGS.items():
            expect(strings.get(key) == text, f"{key} is {text!r} ({strings.get(key)!r})")
        extra = sorted(set(strings) - set(STRINGS))
        expect(not extra, f"no other texts {extra}")
    expect(translations == [f"{ENGLISH_US:#06x} {UNICODE_CODE_PAGE:#06x}"],
           f"the translation names that table {translations}")


def check_imports(pe):
    needed = sorted(entry.dll.decode("ascii") for entry in pe.DIRECTORY_ENTRY_IMPORT)
    expect({dll.lower() for dll in needed} <= SYSTEM_DLLS,
           f"it needs only the system's own DLLs: {', '.join(needed)}")
    expect(not hasattr(pe, "DIRECTORY_ENTRY_DELAY_IMPORT"), "and loads none later by itself")


def main():
    pe = pefile.PE(sys.argv[1])
    expect(pe.FILE_HEADER.Machine == pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_AMD64"],
           "it is a 64-bit x86 program")
    expect(pe.OPTIONAL_HEADER.Subsystem == pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"],
           "it is a window program, with no console")
    check_version_record(pe)
    check_imports(pe)
    print(f"{len(failures)} failed" if failures else "all passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
