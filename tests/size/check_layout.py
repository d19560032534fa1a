#!/usr/bin/env python3
"""Checks that the link flags that shrink the executable keep its layout safe.

    tests/size/check_layout.py build/win32/Vantric.exe

Fails when a section is both writable and executable, or when the constant
texts of the program (found by their UTF-16 bytes) lie in a writable section.
Some ld options quietly merge the read-only data into .data (for one,
--disable-runtime-pseudo-reloc while auto-import is on).
"""

import sys

import pefile

IMAGE_SCN_MEM_EXECUTE = 0x20000000
IMAGE_SCN_MEM_WRITE = 0x80000000

# Texts that only the program's read-only data holds; resources are excluded
# below, since the version block repeats the product name.
CONSTANTS = ["Vantric notification", "Hide icons.exe", "IconState.ini"]


def main():
    pe = pefile.PE(sys.argv[1])
    failures = []
    resource_rva = pe.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]]
    for section in pe.sections:
        name = section.Name.rstrip(b"\0").decode(errors="replace")
        flags = section.Characteristics
        writable = bool(flags & IMAGE_SCN_MEM_WRITE)
        print(f"{name:8} {section.Misc_VirtualSize:6} bytes  {'W' if writable else '-'}"
              f"{'X' if flags & IMAGE_SCN_MEM_EXECUTE else '-'}")
        if writable and flags & IMAGE_SCN_MEM_EXECUTE:
            failures.append(f"section {name} is writable and executable")
        if section.VirtualAddress == resource_rva.VirtualAddress:
            continue
        data = section.get_data()
        for text in CONSTANTS:
            if text.encode("utf-16-le") in data and writable:
                failures.append(f'"{text}" lies in the writable section {name}')
    found = [text for text in CONSTANTS
             if any(text.encode("utf-16-le") in s.get_data() for s in pe.sections
                    if s.VirtualAddress != resource_rva.VirtualAddress)]
    if len(found) != len(CONSTANTS):
        failures.append(f"constant texts not found: {sorted(set(CONSTANTS) - set(found))}")
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
