#!/usr/bin/python3
"""Reads a built Vantric.exe back and checks what the build promises.

    check_pe.py --arch x86|x64 [--icons DIR] EXE

The PE headers (format, machine, subsystem, ASLR, DEP), the imported DLLs,
and every resource: the icon groups and their images, the version block and
the manifest. The file is read with pefile; the version block is also walked
by hand to see the exact lengths windres wrote, and wrestool (icoutils) lists
the resources a second time. With --icons, the icon images must be the bytes
of the .ico files in DIR.

Every check prints one line; a failing one shows what was expected and what
the file holds. The exit status is 1 if any check failed.
"""

import argparse
import os
import re
import shutil
import struct
import subprocess
import sys
import xml.etree.ElementTree as ET

import pefile

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
LANG_EN_US = 0x0409
LANG_NEUTRAL = 0x0000

ARCHES = {
    # arch: optional header magic, machine, DLL characteristics that must be set
    "x86": (0x10B, 0x014C, {"DYNAMIC_BASE": 0x0040, "NX_COMPAT": 0x0100}),
    "x64": (0x20B, 0x8664, {"DYNAMIC_BASE": 0x0040, "NX_COMPAT": 0x0100, "HIGH_ENTROPY_VA": 0x0020}),
}
IMAGE_SUBSYSTEM_WINDOWS_GUI = 2
IMAGE_FILE_RELOCS_STRIPPED = 0x0001

SYSTEM_DLL = re.compile(r"^(kernel32|user32|shell32|shlwapi|msvcrt)\.dll$|^api-ms-win-crt-[a-z0-9-]+\.dll$", re.I)

# Icon group -> (width, bits per pixel, storage) of each image, smallest first.
ICON_GROUPS = {
    107: [(16, 32, "DIB"), (32, 32, "DIB"), (48, 32, "DIB"), (256, 32, "PNG")],
    108: [(16, 32, "DIB")],
}
ICON_FILES = {107: "vantric.ico", 108: "hidden.ico"}

FIXED_VERSION = {
    "Signature": 0xFEEF04BD,
    "StrucVersion": 0x00010000,
    "FileVersionMS": 0x00010003,  # 1.3
    "FileVersionLS": 0x00000000,  # .0.0
    "ProductVersionMS": 0x00010003,
    "ProductVersionLS": 0x00000000,
    "FileFlagsMask": 0x3F,
    "FileFlags": 0x28,  # VS_FF_PRIVATEBUILD | VS_FF_SPECIALBUILD
    "FileOS": 0x00040004,  # VOS_NT_WINDOWS32
    "FileType": 0x1,  # VFT_APP
    "FileSubtype": 0x0,
}
STRING_TABLE = "000004b0"
VERSION_STRINGS = {
    "Comments": "Hides or shows the desktop icons",
    "CompanyName": "Vantric",
    "FileDescription": "Desktop icon hider",
    "FileVersion": "1.3.0.0",
    "InternalName": "Vantric",
    "LegalCopyright": "Copyright (C) 2026 Vantric contributors",
    "LegalTrademarks": "",
    "OriginalFilename": "Vantric.exe",
    "PrivateBuild": "",
    "ProductName": "Vantric",
    "ProductVersion": "1.3.0.0",
    "SpecialBuild": "",
}
TRANSLATIONS = [(0x0000, 1200)]

ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMMON_CONTROLS = {
    "type": "win32",
    "name": "Microsoft.Windows.Common-Controls",
    "version": "6.0.0.0",
    "publicKeyToken": "6595b64144ccf1df",
    "processorArchitecture": "*",
    "language": "*",
}
EXECUTION_LEVEL = {"level": "asInvoker", "uiAccess": "false"}


class Checks:
    def __init__(self):
        self.failed = []
        self.count = 0

    def equal(self, what, actual, expected):
        self.count += 1
        if actual == expected:
            print(f"ok    {what}: {actual!r}")
            return True
        self.failed.append(what)
        print(f"FAIL  {what}: expected {expected!r}, the file has {actual!r}")
        return False

    def true(self, what, condition, detail):
        self.count += 1
        if condition:
            print(f"ok    {what}: {detail}")
            return True
        self.failed.append(what)
        print(f"FAIL  {what}: {detail}")
        return False

    def section(self, title):
        print(f"\n== {title}")


def resources(pe):
    """{type id: {name: {language id: (offset, size)}}}, names as int or str."""
    table = {}
    root = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    for rtype in root.entries if root else []:
        names = table.setdefault(rtype.id if rtype.name is None else str(rtype.name), {})
        for name in rtype.directory.entries:
            langs = names.setdefault(name.id if name.name is None else str(name.name), {})
            for lang in name.directory.entries:
                data = lang.data.struct
                langs[lang.id] = (data.OffsetToData, data.Size)
    return table


def check_headers(checks, pe, arch):
    checks.section("headers")
    magic, machine, dll_flags = ARCHES[arch]
    checks.equal("optional header magic (0x10b PE32, 0x20b PE32+)", hex(pe.OPTIONAL_HEADER.Magic), hex(magic))
    checks.equal("machine (0x14c i386, 0x8664 AMD64)", hex(pe.FILE_HEADER.Machine), hex(machine))
    checks.equal("subsystem (2 Windows GUI)", pe.OPTIONAL_HEADER.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI)
    present = pe.OPTIONAL_HEADER.DllCharacteristics
    for flag, bit in dll_flags.items():
        checks.true(f"DllCharacteristics {flag}", present & bit, f"0x{present:04x} & 0x{bit:04x}")
    # ASLR needs base relocations to move the image.
    relocs = pe.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_BASERELOC"]]
    checks.true(
        "base relocations kept for ASLR",
        not pe.FILE_HEADER.Characteristics & IMAGE_FILE_RELOCS_STRIPPED and relocs.Size > 0,
        f"Characteristics 0x{pe.FILE_HEADER.Characteristics:04x}, relocation directory {relocs.Size} bytes",
    )


def check_imports(checks, pe):
    checks.section("imports")
    dlls = [entry.dll.decode() for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])]
    dlls += [entry.dll.decode() + " (delay-loaded)" for entry in getattr(pe, "DIRECTORY_ENTRY_DELAY_IMPORT", [])]
    checks.true("imports from kernel32", any(d.lower() == "kernel32.dll" for d in dlls), f"{dlls}")
    for dll in dlls:
        name = dll.split(" ")[0]
        checks.true(f"import {dll} is a system DLL", SYSTEM_DLL.match(name), name)


def parse_group(data):
    """GRPICONDIR -> [(width, height, bits, bytes, icon id)]."""
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1 or len(data) != 6 + 14 * count:
        raise ValueError(f"not an icon group: reserved {reserved}, type {kind}, {count} entries in {len(data)} bytes")
    entries = []
    for i in range(count):
        w, h, _colors, _res, _planes, bits, size, icon_id = struct.unpack_from("<BBBBHHIH", data, 6 + 14 * i)
        entries.append((w or 256, h or 256, bits, size, icon_id))
    return entries


def describe_image(data):
    """(storage, width, height, bits per pixel, has transparency) of one RT_ICON."""
    if data.startswith(b"\x89PNG\r\n\x1a\n"):
        length, chunk = struct.unpack_from(">I4s", data, 8)
        if chunk != b"IHDR" or length != 13:
            raise ValueError("PNG without IHDR first")
        w, h, depth, colour = struct.unpack_from(">IIBB", data, 16)
        # Only 8-bit RGBA (colour type 6) is a 32-bit image with alpha.
        return "PNG", w, h, depth * 4 if colour == 6 else -colour, colour == 6
    size, w, h2, planes, bits, compression = struct.unpack_from("<IiiHHI", data, 0)
    if size != 40 or planes != 1 or compression != 0 or h2 != 2 * w:
        raise ValueError(f"not a BITMAPINFOHEADER icon: size {size}, {w}x{h2}, planes {planes}, compression {compression}")
    mask_row = (w + 31) // 32 * 4
    expected = 40 + w * w * bits // 8 + mask_row * w
    if bits != 32 or len(data) != expected:
        return "DIB", w, h2 // 2, bits, False
    alpha = data[40 + 3 : 40 + w * w * 4 : 4]
    # A real alpha channel has both see-through and solid pixels; all zero
    # would make Windows fall back to the 1-bit mask.
    return "DIB", w, h2 // 2, bits, min(alpha) == 0 and max(alpha) == 255


def read_ico(path):
    """The images of an .ico file, in directory order."""
    with open(path, "rb") as f:
        data = f.read()
    _reserved, _kind, count = struct.unpack_from("<HHH", data, 0)
    images = []
    for i in range(count):
        size, offset = struct.unpack_from("<II", data, 6 + 16 * i + 8)
        images.append(data[offset : offset + size])
    return images


def check_icons(checks, pe, table, icons_dir):
    checks.section("icons")
    groups = table.get(RT_GROUP_ICON, {})
    icons = table.get(RT_ICON, {})
    names = sorted(groups, key=lambda name: (isinstance(name, str), str(name).rjust(5)))
    checks.equal("icon group names", names, sorted(ICON_GROUPS))
    # Named groups sort before numbered ones in the directory; Explorer takes the first.
    ids = [n for n in groups if isinstance(n, int)]
    checks.equal("lowest icon group (the file's icon in Explorer)", min(ids) if ids else None, 107)
    used = set()
    for group_id, expected in ICON_GROUPS.items():
        langs = groups.get(group_id, {})
        checks.equal(f"group {group_id} languages", sorted(hex(lang) for lang in langs), [hex(LANG_EN_US)])
        if LANG_EN_US not in langs:
            continue
        try:
            entries = parse_group(pe.get_data(*langs[LANG_EN_US]))
        except ValueError as error:
            checks.true(f"group {group_id} directory", False, str(error))
            continue
        seen = []
        committed = read_ico(os.path.join(icons_dir, ICON_FILES[group_id])) if icons_dir else None
        for index, (w, h, bits, size, icon_id) in enumerate(entries):
            what = f"group {group_id} image {w}x{h} (icon {icon_id})"
            icon_langs = icons.get(icon_id, {})
            if not checks.equal(f"{what} languages", sorted(hex(lang) for lang in icon_langs), [hex(LANG_EN_US)]):
                continue
            used.add(icon_id)
            data = pe.get_data(*icon_langs[LANG_EN_US])
            checks.equal(f"{what} size in group = size of RT_ICON", size, len(data))
            try:
                storage, iw, ih, ibits, alpha = describe_image(data)
            except ValueError as error:
                checks.true(f"{what} image header", False, str(error))
                continue
            checks.equal(f"{what} as stored", (iw, ih, ibits), (w, h, bits))
            checks.true(f"{what} alpha", alpha, f"{storage}, transparent and opaque pixels" if alpha else "none")
            seen.append((w, bits, storage))
            if committed is not None:
                same = index < len(committed) and committed[index] == data
                checks.true(f"{what} is image {index + 1} of res/icons/{ICON_FILES[group_id]}", same,
                            "same bytes" if same else "different bytes")
        checks.equal(f"group {group_id} images (size, bits, storage)", sorted(seen), expected)
    checks.equal("icons outside the groups", sorted(set(icons) - used), [])


def walk_version(data, offset=0):
    """One VS_VERSIONINFO node: (key, wType, wValueLength, value bytes, children, wLength)."""
    length, value_length, kind = struct.unpack_from("<HHH", data, offset)
    if length < 6 or offset + length > len(data):
        raise ValueError(f"version node at {offset} claims {length} bytes of {len(data)}")
    end = offset + length
    key_end = offset + 6
    while data[key_end : key_end + 2] != b"\0\0":
        key_end += 2
    key = data[offset + 6 : key_end].decode("utf-16-le")
    pos = (key_end + 2 + 3) & ~3
    value_bytes = value_length * 2 if kind == 1 else value_length  # text counts UTF-16 units
    value = data[pos : pos + value_bytes]
    pos = (pos + value_bytes + 3) & ~3
    children = []
    while pos < end:
        child = walk_version(data, pos)
        children.append(child)
        pos = (pos + child[5] + 3) & ~3
    return key, kind, value_length, value, children, length


def check_version(checks, pe, table):
    checks.section("version")
    versions = table.get(RT_VERSION, {})
    checks.equal("version resources (name: languages)", {n: sorted(l) for n, l in versions.items()}, {1: [LANG_NEUTRAL]})
    fixed = pe.VS_FIXEDFILEINFO[0] if getattr(pe, "VS_FIXEDFILEINFO", None) else None
    for field, expected in FIXED_VERSION.items():
        checks.equal(f"fixed {field}", hex(getattr(fixed, field)) if fixed else "<missing>", hex(expected))

    # pefile's reading of the strings and the translation.
    tables, translations = {}, []
    for info in getattr(pe, "FileInfo", [[]])[0]:
        if info.Key == b"StringFileInfo":
            for st in info.StringTable:
                tables[st.LangID.decode()] = {k.decode(): v.decode() for k, v in st.entries.items()}
        elif info.Key == b"VarFileInfo":
            for var in info.Var:
                for key, value in var.entry.items():
                    translations.append((key.decode(), value))
    checks.equal("string tables", sorted(tables), [STRING_TABLE])
    strings = tables.get(STRING_TABLE, {})
    for key, expected in VERSION_STRINGS.items():
        checks.equal(f"string {key}", strings.get(key, "<missing>"), expected)
    checks.equal("strings beyond the expected ones", sorted(set(strings) - set(VERSION_STRINGS)), [])
    checks.equal("VarFileInfo (pefile)", translations,
                 [("Translation", " ".join(f"0x{lang:04x} 0x{cp:04x}" for lang, cp in TRANSLATIONS))])

    # The same block walked by hand: windres is known to be odd with empty
    # strings, so the lengths it wrote are checked, not just the decoded text.
    if 1 not in versions or LANG_NEUTRAL not in versions[1]:
        return
    try:
        root = walk_version(pe.get_data(*versions[1][LANG_NEUTRAL]))
    except (ValueError, struct.error, UnicodeDecodeError) as error:
        checks.true("version block walks", False, str(error))
        return
    checks.equal("root key and fixed part size", (root[0], root[2]), ("VS_VERSION_INFO", 52))
    blocks = {child[0]: child for child in root[4]}
    checks.equal("blocks", sorted(blocks), ["StringFileInfo", "VarFileInfo"])
    string_tables = blocks.get("StringFileInfo", (None,) * 5)[4] or []
    checks.equal("string tables (walked)", [t[0] for t in string_tables], [STRING_TABLE])
    for key, kind, value_length, value, _children, _length in (string_tables[0][4] if string_tables else []):
        text = value.decode("utf-16-le")
        expected = VERSION_STRINGS.get(key, "<not expected>")
        # wValueLength counts the terminating NUL (rc does; windres does
        # too, and writes 1 for an empty string); 0 is also seen for empty.
        ok = kind == 1 and (text == expected + "\0" or (expected == "" and value_length == 0))
        checks.true(f"string {key} as written", ok,
                    f"wType {kind}, wValueLength {value_length}, value {text!r}, expected {expected + chr(0)!r}")
    vars_ = blocks.get("VarFileInfo", (None,) * 5)[4] or []
    pairs = [struct.unpack_from("<HH", v[3], i) for v in vars_ if v[0] == "Translation" for i in range(0, len(v[3]), 4)]
    checks.equal("Translation (walked): language, code page", pairs, TRANSLATIONS)


def check_manifest(checks, pe, table):
    checks.section("manifest")
    manifests = table.get(RT_MANIFEST, {})
    # Exactly one: a toolchain's default manifest would show up as a second
    # entry (another language, or another name).
    entries = [(name, lang) for name, langs in manifests.items() for lang in langs]
    if not checks.equal("manifests (name, language)", entries, [(1, LANG_NEUTRAL)]):
        return
    text = pe.get_data(*manifests[1][LANG_NEUTRAL])
    try:
        root = ET.fromstring(text)
    except ET.ParseError as error:
        checks.true("manifest is XML", False, f"{error}: {text[:200]!r}")
        return
    checks.equal("root element", (root.tag, root.get("manifestVersion")), (ASM_V1 + "assembly", "1.0"))
    levels = root.findall(f"{ASM_V3}trustInfo/{ASM_V3}security/{ASM_V3}requestedPrivileges/{ASM_V3}requestedExecutionLevel")
    checks.equal("requestedExecutionLevel (trustInfo, asm.v3)", [dict(l.attrib) for l in levels], [EXECUTION_LEVEL])
    identities = root.findall(f"{ASM_V1}dependency/{ASM_V1}dependentAssembly/{ASM_V1}assemblyIdentity")
    checks.equal("dependent assemblies", [dict(i.attrib) for i in identities], [COMMON_CONTROLS])


def check_with_wrestool(checks, exe):
    checks.section("wrestool (icoutils) listing")
    wrestool = shutil.which("wrestool")
    if not checks.true("wrestool found", wrestool, wrestool or "missing: run tools/install-deps.sh test"):
        return
    listing = subprocess.run([wrestool, "-l", exe], capture_output=True, text=True, check=False)
    rows = re.findall(r"--type=(\d+) --name=(\S+) --language=(\d+)", listing.stdout)
    groups = sorted(name for kind, name, _ in rows if kind == str(RT_GROUP_ICON))
    checks.equal("icon groups", groups, sorted(str(group) for group in ICON_GROUPS))
    checks.equal("manifests (type, name, language)", [r for r in rows if r[0] == str(RT_MANIFEST)],
                 [(str(RT_MANIFEST), "1", str(LANG_NEUTRAL))])
    checks.equal("version blocks (type, name, language)", [r for r in rows if r[0] == str(RT_VERSION)],
                 [(str(RT_VERSION), "1", str(LANG_NEUTRAL))])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--arch", choices=sorted(ARCHES), required=True)
    parser.add_argument("--icons", help="folder of the committed .ico files to compare the images with")
    parser.add_argument("exe")
    args = parser.parse_args()
    if not os.path.isfile(args.exe):
        print(f"FAIL  {args.exe} does not exist: build it first (make)")
        return 1
    print(f"checking {args.exe} ({args.arch})")
    pe = pefile.PE(args.exe)
    table = resources(pe)
    checks = Checks()
    check_headers(checks, pe, args.arch)
    check_imports(checks, pe)
    check_icons(checks, pe, table, args.icons)
    check_version(checks, pe, table)
    check_manifest(checks, pe, table)
    check_with_wrestool(checks, args.exe)
    print(f"\n{checks.count - len(checks.failed)} of {checks.count} checks passed")
    if checks.failed:
        print("FAILED: " + "; ".join(checks.failed))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
