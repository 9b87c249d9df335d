#!/usr/bin/env python3
"""Adds the help strings of enumeration constants to a type library written by widl.

The widl of the MinGW tools refuses attributes on enumeration constants, so norv.idl gives
each constant's help string in a comment of the form
    flLeft = 0, // helpstring("Align text to the left.")
and this script writes them into the library's constant records.

    tlb_enum_help.py norv.idl plain.tlb norv.tlb

The constant records of each enumeration are rewritten with the help-context and help-string
fields, at the end of the file; the string table moves to the end too, with the new strings
appended. Everything else keeps its place, so every other offset stays valid. The script
fails (exit 1) when the library does not look as expected or a constant has no help string."""

import re
import struct
import sys

TKIND_ENUM = 0
STRING_SEGMENT = 8
NAME_SEGMENT = 7
TYPEINFO_SEGMENT = 0
SEGMENTS = 15
TYPEINFO_SIZE = 100
PLAIN_VAR_RECORD = 20
HELP_VAR_RECORD = 28  # adds HelpContext and oHelpString


def fail(message):
    sys.stderr.write("tlb_enum_help: %s\n" % message)
    sys.exit(1)


def help_strings(idl_text):
    pattern = re.compile(r'^\s*(\w+)\s*=\s*-?\d+\s*,?\s*//\s*helpstring\("([^"]*)"\)\s*$', re.M)
    return dict(pattern.findall(idl_text))


def string_entry(text):
    data = text.encode("latin-1")
    entry = struct.pack("<H", len(data)) + data
    return entry + b"W" * (-len(entry) % 4)


def main():
    if len(sys.argv) != 4:
        fail("usage: tlb_enum_help.py IDL IN.tlb OUT.tlb")
    idl_path, plain_path, out_path = sys.argv[1:]
    with open(idl_path, encoding="utf-8") as f:
        helps = help_strings(f.read())
    with open(plain_path, "rb") as f:
        data = bytearray(f.read())

    magic, _, _, _, _, varflags, _, _, count = struct.unpack_from("<4sIiiiIIIi", data, 0)
    if magic != b"MSFT":
        fail("%s is not a type library of the expected format" % plain_path)
    offset = 0x54 + (4 if varflags & 0x100 else 0) + 4 * count
    directory = offset
    segments = [list(struct.unpack_from("<iiii", data, directory + 16 * i))
                for i in range(SEGMENTS)]
    typeinfos = segments[TYPEINFO_SEGMENT][0]
    names = segments[NAME_SEGMENT][0]
    strings_at, strings_length = segments[STRING_SEGMENT][:2]
    strings = bytearray(data[strings_at:strings_at + strings_length])

    blocks = []  # (typeinfo offset, new member block)
    used = set()
    for index in range(count):
        base = typeinfos + TYPEINFO_SIZE * index
        kind, members = struct.unpack_from("<ii", data, base)
        elements = struct.unpack_from("<i", data, base + 0x18)[0]
        if kind & 0xF != TKIND_ENUM:
            continue
        functions, variables = elements & 0xFFFF, elements >> 16
        if functions != 0:
            fail("enumeration %d has functions" % index)
        length = struct.unpack_from("<i", data, members)[0]
        if length != PLAIN_VAR_RECORD * variables:
            fail("enumeration %d: records are not of the expected size" % index)
        records_at = members + 4
        tail = struct.unpack_from("<%di" % (3 * variables), data, records_at + length)
        ids, name_offsets = tail[:variables], tail[variables:2 * variables]
        record_offsets = tail[2 * variables:]
        records = bytearray()
        new_offsets = []
        for v in range(variables):
            record = data[records_at + record_offsets[v]:
                          records_at + record_offsets[v] + PLAIN_VAR_RECORD]
            info = struct.unpack_from("<I", record, 0)[0]
            if info & 0xFFFF != PLAIN_VAR_RECORD:
                fail("enumeration %d: constant %d has optional fields already" % (index, v))
            name_at = names + name_offsets[v]
            name = data[name_at + 12:name_at + 12 + data[name_at + 8]].decode("latin-1")
            if name not in helps:
                fail("constant %s has no helpstring comment" % name)
            used.add(name)
            help_offset = len(strings)
            strings += string_entry(helps[name])
            new_offsets.append(len(records))
            records += struct.pack("<I", (info & 0xFFFF0000) | HELP_VAR_RECORD)
            records += record[4:PLAIN_VAR_RECORD]
            records += struct.pack("<ii", 0, help_offset)
        block = struct.pack("<i", len(records)) + records
        block += struct.pack("<%di" % (3 * variables), *(list(ids) + list(name_offsets) +
                                                         new_offsets))
        blocks.append((base, block))

    unused = set(helps) - used
    if unused:
        fail("helpstring comments for unknown constants: %s" % ", ".join(sorted(unused)))

    data += b"\0" * (-len(data) % 4)
    segments[STRING_SEGMENT][0] = len(data)
    segments[STRING_SEGMENT][1] = len(strings)
    data += strings
    for base, block in blocks:
        data += b"\0" * (-len(data) % 4)
        struct.pack_into("<i", data, base + 4, len(data))
        data += block
    for i, segment in enumerate(segments):
        struct.pack_into("<iiii", data, directory + 16 * i, *segment)
    with open(out_path, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
