#!/usr/bin/env python3
"""Reads the resources, imports and headers back from a built KeshBat.exe
and checks them: what the dialog manager, the shell and Explorer's property
sheet will see, independent of how the .rc was written.

Usage: check_resources.py EXE --bits 32|64 [--only ASPECT]
Prints every mismatch and exits 1 when there is any."""

import argparse
import struct
import sys
import xml.etree.ElementTree as ElementTree

RT_ICON, RT_DIALOG, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 5, 14, 16, 24
US_ENGLISH = 0x409

WS_POPUP, WS_CHILD, WS_VISIBLE = 0x80000000, 0x40000000, 0x10000000
WS_CAPTION, WS_BORDER, WS_SYSMENU = 0x00C00000, 0x00800000, 0x00080000
WS_VSCROLL, WS_TABSTOP = 0x00200000, 0x00010000
DS_SETFONT, DS_MODALFRAME, DS_CENTER = 0x40, 0x80, 0x800
BS_PUSHBUTTON, BS_DEFPUSHBUTTON = 0x0, 0x1
LBS_NOTIFY, LBS_SORT, LBS_NOINTEGRALHEIGHT = 0x1, 0x2, 0x100
BUTTON, LISTBOX = 0x80, 0x83

CONTROL = WS_CHILD | WS_VISIBLE | WS_TABSTOP
DIALOG_STYLE = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT
# (id, class atom, text, (x, y, width, height), style) in tab order.
CONTROLS = [
    (1002, BUTTON, "TIE Fighter", (110, 15, 75, 14), CONTROL | BS_DEFPUSHBUTTON),
    (1003, BUTTON, "X-wing vs TIE Fighter", (110, 40, 75, 14), CONTROL | BS_DEFPUSHBUTTON),
    (1004, BUTTON, "Balance of Power", (110, 65, 75, 14), CONTROL | BS_DEFPUSHBUTTON),
    (1005, BUTTON, "X-wing Alliance", (110, 90, 75, 14), CONTROL | BS_DEFPUSHBUTTON),
    (1001, BUTTON, "Run", (10, 120, 50, 14), CONTROL | BS_PUSHBUTTON),
    (1000, LISTBOX, "", (10, 10, 96, 100),
     CONTROL | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT),
]

VERSION_KEYS = {
    "Comments": "", "LegalTrademarks": "", "PrivateBuild": "", "SpecialBuild": "",
    "FileVersion": "1.0", "ProductVersion": "1.0",
    # Free text, but present and not empty.
    "CompanyName": None, "FileDescription": None, "InternalName": None,
    "LegalCopyright": None, "OriginalFilename": None, "ProductName": None,
}
SYSTEM_DLLS = {"KERNEL32.DLL", "USER32.DLL", "ADVAPI32.DLL", "MSVCRT.DLL"}

failures = []


def expect(label, actual, wanted):
    if actual != wanted:
        failures.append(f"{label}: {actual!r}, expected {wanted!r}")


def align4(offset):
    return (offset + 3) & ~3


def wide_string(data, offset):
    """A NUL-terminated UTF-16 string and the offset just past it."""
    end = offset
    while data[end:end + 2] != b"\0\0":
        end += 2
    return data[offset:end].decode("utf-16-le"), end + 2


def name_or_ordinal(data, offset):
    """A dialog template's sz_Or_Ord field: None, an ordinal or a string."""
    (first,) = struct.unpack_from("<H", data, offset)
    if first == 0:
        return None, offset + 2
    if first == 0xFFFF:
        return struct.unpack_from("<H", data, offset + 2)[0], offset + 4
    return wide_string(data, offset)


class Image:
    def __init__(self, path):
        with open(path, "rb") as file:
            self.data = file.read()
        (pe,) = struct.unpack_from("<I", self.data, 0x3C)
        if self.data[pe:pe + 4] != b"PE\0\0":
            sys.exit(f"{path}: not a PE image")
        self.machine, sections, optional_size = struct.unpack_from("<H H 12x H", self.data, pe + 4)
        optional = pe + 24
        self.magic, = struct.unpack_from("<H", self.data, optional)
        self.subsystem, = struct.unpack_from("<H", self.data, optional + 68)
        directories = optional + (112 if self.magic == 0x20B else 96)
        self.directories = [struct.unpack_from("<II", self.data, directories + 8 * i)
                            for i in range(16)]
        self.sections = [struct.unpack_from("<8x I I I I", self.data, optional + optional_size + 40 * i)
                         for i in range(sections)]

    def offset(self, rva):
        for virtual_size, address, raw_size, raw_offset in self.sections:
            if address <= rva < address + max(virtual_size, raw_size):
                return raw_offset + rva - address
        raise ValueError(f"RVA {rva:#x} is in no section")

    def imports(self):
        rva, _ = self.directories[1]
        names, at = [], self.offset(rva)
        while True:
            descriptor = struct.unpack_from("<5I", self.data, at)
            if not any(descriptor):
                return names
            start = self.offset(descriptor[3])
            names.append(self.data[start:self.data.index(b"\0", start)].decode("ascii"))
            at += 20

    def resources(self):
        """{(type, name): {language: bytes}}; ids as ints, names as strings."""
        rva, _ = self.directories[2]
        base = self.offset(rva)

        def entries(directory):
            named, ids = struct.unpack_from("<12x HH", self.data, base + directory)
            for i in range(named + ids):
                name, target = struct.unpack_from("<II", self.data, base + directory + 16 + 8 * i)
                if name & 0x80000000:
                    at = base + (name & 0x7FFFFFFF)
                    (length,) = struct.unpack_from("<H", self.data, at)
                    name = self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
                yield name, target

        found = {}
        for kind, names in entries(0):
            for name, languages in entries(names & 0x7FFFFFFF):
                for language, leaf in entries(languages & 0x7FFFFFFF):
                    data_rva, size = struct.unpack_from("<II", self.data, base + leaf)
                    start = self.offset(data_rva)
                    found.setdefault((kind, name), {})[language] = self.data[start:start + size]
        return found


def check_headers(image, bits):
    machine, magic = {32: (0x14C, 0x10B), 64: (0x8664, 0x20B)}[bits]
    expect("machine", image.machine, machine)
    expect("optional header magic (PE32 or PE32+)", image.magic, magic)
    expect("subsystem (Windows GUI)", image.subsystem, 2)
    foreign = [dll for dll in image.imports() if dll.upper() not in SYSTEM_DLLS]
    expect("imported DLLs beyond the system's", foreign, [])


def read_dialog(data):
    """The template's header fields and its controls, or None for a
    DLGTEMPLATEEX. Each control is (id, class, text, rectangle, style,
    extended style, creation data size)."""
    style, extended, count, x, y, width, height = struct.unpack_from("<IIHhhhh", data, 0)
    if style == 0xFFFF0001:
        return None
    menu, at = name_or_ordinal(data, 18)
    window_class, at = name_or_ordinal(data, at)
    caption, at = wide_string(data, at)
    (points,) = struct.unpack_from("<H", data, at)
    font, at = wide_string(data, at + 2)
    header = {"style": hex(style), "extended style": extended, "rectangle": (x, y, width, height),
              "menu": menu, "class": window_class, "caption": caption, "font": (points, font)}

    controls = []
    for _ in range(count):
        at = align4(at)
        style, extended, x, y, width, height, ident = struct.unpack_from("<IIhhhhH", data, at)
        window_class, at = name_or_ordinal(data, at + 18)
        text, at = name_or_ordinal(data, at)
        (extra,) = struct.unpack_from("<H", data, at)
        at += 2 + extra
        controls.append((ident, window_class, text or "", (x, y, width, height), style, extended, extra))
    return header, controls


def check_dialog(data):
    dialog = read_dialog(data)
    if dialog is None:
        failures.append("dialog: an extended template (DLGTEMPLATEEX)")
        return
    header, controls = dialog
    wanted = {"style": hex(DIALOG_STYLE), "extended style": 0, "rectangle": (0, 0, 192, 141),
              "menu": None, "class": None, "caption": "KeshBat", "font": (8, "MS Sans Serif")}
    for field in wanted:
        expect(f"dialog {field}", header[field], wanted[field])
    expect("dialog controls", len(controls), len(CONTROLS))
    for index, (actual, control) in enumerate(zip(controls, CONTROLS)):
        ident, _, text, rectangle, style, extended, extra = actual
        expect(f"control #{index + 1} id", ident, control[0])
        expect(f"control #{index + 1} text", text, control[2])
        expect(f"control #{index + 1} rectangle", rectangle, control[3])
        expect(f"control #{index + 1} style", hex(style), hex(control[4]))
        expect(f"control #{index + 1} extended style and creation data", (extended, extra), (0, 0))


def check_control_classes(data):
    """The controls name their classes by the predefined atoms, as a
    resource compiler writes them for buttons and list boxes."""
    dialog = read_dialog(data)
    controls = dialog[1] if dialog else []
    expect("control classes", [control[1] for control in controls],
           [control[1] for control in CONTROLS])


def check_icon(group, icons):
    reserved, kind, count = struct.unpack_from("<HHH", group, 0)
    expect("icon group header", (reserved, kind, count), (0, 1, 1))
    width, height, colours, _, planes, bits, size, ident = struct.unpack_from("<BBBBHHIH", group, 6)
    expect("icon entry size and colours", (width, height, colours, planes, bits), (32, 32, 16, 1, 4))
    image = icons.get(ident)
    if image is None:
        failures.append(f"icon group names image {ident}, which is missing")
        return
    header = struct.unpack_from("<IiiHH", image, 0)
    expect("icon image header (size, width, doubled height, planes, bpp)", header, (40, 32, 64, 1, 4))
    # Header, 16-entry palette, 4-bit colour rows and the 1-bit mask.
    expect("icon image size", (size, len(image)), (744, 744))


def version_node(data, at):
    """(key, value bytes, children, end) of one VS_VERSIONINFO-style node."""
    length, value_length, kind = struct.unpack_from("<HHH", data, at)
    key, value_at = wide_string(data, at + 6)
    value_at = align4(value_at)
    value_size = value_length * 2 if kind == 1 else value_length
    value = data[value_at:value_at + value_size]
    children, child = [], align4(value_at + value_size)
    while child < at + length:
        node = version_node(data, child)
        children.append(node)
        child = align4(node[3])
    return key, value, children, at + length


def check_version(data):
    key, fixed, children, _ = version_node(data, 0)
    expect("version root key", key, "VS_VERSION_INFO")
    fields = struct.unpack_from("<13I", fixed, 0) if len(fixed) >= 52 else None
    expect("fixed version info", fields and (hex(fields[0]),) + fields[2:], (
        hex(0xFEEF04BD),
        0x00010000, 0, 0x00010000, 0,  # file and product version 1.0.0.0
        0x3F, 0, 0x40004, 1, 0,        # mask, flags, VOS_NT_WINDOWS32, VFT_APP, subtype
        0, 0))                         # date
    blocks = {key: nodes for key, _, nodes, _ in children}
    expect("version blocks", sorted(blocks), ["StringFileInfo", "VarFileInfo"])

    tables = blocks.get("StringFileInfo", [])
    expect("string tables", [table[0] for table in tables], ["040904b0"])
    strings = {key: value.decode("utf-16-le").split("\0")[0]
               for key, value, _, _ in (tables[0][2] if tables else [])}
    expect("version string keys", sorted(strings), sorted(VERSION_KEYS))
    for key, wanted in VERSION_KEYS.items():
        if wanted is None:
            if not strings.get(key):
                failures.append(f"version string {key}: empty or missing")
        else:
            expect(f"version string {key}", strings.get(key), wanted)

    variables = {key: value for key, value, _, _ in blocks.get("VarFileInfo", [])}
    expect("translation", variables.get("Translation"), struct.pack("<HH", 0x409, 1200))


def check_manifest(data):
    root = ElementTree.fromstring(data)

    def local(element):
        return element.tag.rsplit("}", 1)[-1]

    elements = list(root.iter())
    controls = [e for e in elements if local(e) == "assemblyIdentity"
                and e.get("name") == "Microsoft.Windows.Common-Controls"]
    expect("common controls version", [e.get("version") for e in controls], ["6.0.0.0"])
    levels = [e.get("level") for e in elements if local(e) == "requestedExecutionLevel"]
    expect("requested execution level", levels, ["asInvoker"])
    dpi = [(local(e), (e.text or "").strip().lower()) for e in elements
           if local(e) in ("dpiAware", "dpiAwareness")]
    if not any(value not in ("", "false", "unaware") for _, value in dpi):
        failures.append(f"manifest asks for no DPI awareness: {dpi}")


def check_all_resources(resources):
    for (kind, name), languages in sorted(resources.items(), key=str):
        expect(f"languages of resource {kind}/{name}", sorted(languages), [US_ENGLISH])
    expect("resource types", sorted({kind for kind, _ in resources}),
           [RT_ICON, RT_DIALOG, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST])


def resource(resources, kind, name):
    data = resources.get((kind, name), {}).get(US_ENGLISH)
    if data is None:
        failures.append(f"resource {kind}/{name} in US English: missing")
    return data


def check_one(check, kind, name):
    def run(resources):
        data = resource(resources, kind, name)
        if data is not None:
            check(data)
    return run


def check_icon_group(resources):
    group = resource(resources, RT_GROUP_ICON, 202)
    if group is not None:
        icons = {name: languages.get(US_ENGLISH)
                 for (kind, name), languages in resources.items() if kind == RT_ICON}
        check_icon(group, icons)


ASPECTS = {
    "languages": check_all_resources,
    "dialog": check_one(check_dialog, RT_DIALOG, "MAIN"),
    "classes": check_one(check_control_classes, RT_DIALOG, "MAIN"),
    "icon": check_icon_group,
    "version": check_one(check_version, RT_VERSION, 1),
    "manifest": check_one(check_manifest, RT_MANIFEST, 1),
}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("exe")
    parser.add_argument("--bits", type=int, choices=(32, 64), required=True)
    parser.add_argument("--only", choices=["headers"] + list(ASPECTS),
                        help="check one aspect instead of all")
    arguments = parser.parse_args()

    image = Image(arguments.exe)
    if arguments.only in (None, "headers"):
        check_headers(image, arguments.bits)
    resources = image.resources()
    for aspect, check in ASPECTS.items():
        if arguments.only in (None, aspect):
            check(resources)

    for failure in failures:
        print(f"{arguments.exe}: {failure}")
    if failures:
        return 1
    print(f"{arguments.exe}: {arguments.only or 'everything'} as expected")
    return 0


if __name__ == "__main__":
    sys.exit(main())
