#!/usr/bin/env python3
"""Finishing touches on a type library (MSFT format) that widl produced.

    patch_typelib.py IN.tlb OUT.tlb --predeclid GUID [--predeclid GUID ...]

--predeclid sets TYPEFLAG_FPREDECLID on the coclass with that GUID (widl has no attribute for
it). Works for 32- and 64-bit libraries alike (the layout of the records does not depend on it).
"""
import argparse
import struct
import sys
import uuid

TYPEFLAG_FPREDECLID = 0x8
TKIND_COCLASS = 5
HEADER_SIZE = 0x54
TYPEINFO_SIZE = 0x64
SEG_TYPEINFO, SEG_GUID = 0, 5


class TypeLibError(Exception):
    pass


def segment_directory(data):
    magic, _ = struct.unpack_from("<II", data, 0)
    if magic != 0x5446534D:
        raise TypeLibError("not an MSFT type library")
    varflags = struct.unpack_from("<I", data, 0x14)[0]
    nrtypeinfos = struct.unpack_from("<i", data, 0x20)[0]
    pos = HEADER_SIZE + 4 * nrtypeinfos
    if varflags & 0x100:  # a help DLL name follows the type-info offsets
        pos += 4
    segs = []
    for i in range(15):
        offset, length, _, _ = struct.unpack_from("<iiii", data, pos + 16 * i)
        segs.append((offset, length))
    return nrtypeinfos, segs


def set_predeclid(data, guid_text):
    nrtypeinfos, segs = segment_directory(data)
    wanted = uuid.UUID(guid_text).bytes_le
    tinfo_off, _ = segs[SEG_TYPEINFO]
    guid_off, _ = segs[SEG_GUID]
    for i in range(nrtypeinfos):
        base = tinfo_off + i * TYPEINFO_SIZE
        typekind = struct.unpack_from("<i", data, base)[0] & 0xF
        posguid = struct.unpack_from("<i", data, base + 0x2C)[0]
        if typekind != TKIND_COCLASS or posguid < 0:
            continue
        if bytes(data[guid_off + posguid:guid_off + posguid + 16]) == wanted:
            flags = struct.unpack_from("<I", data, base + 0x30)[0]
            struct.pack_into("<I", data, base + 0x30, flags | TYPEFLAG_FPREDECLID)
            return
    raise TypeLibError("no coclass with GUID %s" % guid_text)


def main(argv):
    parser = argparse.ArgumentParser()
    parser.add_argument("input")
    parser.add_argument("output")
    parser.add_argument("--predeclid", action="append", default=[])
    args = parser.parse_args(argv)
    with open(args.input, "rb") as f:
        data = bytearray(f.read())
    try:
        for guid in args.predeclid:
            set_predeclid(data, guid)
    except (TypeLibError, struct.error) as e:
        print("patch_typelib: %s: %s" % (args.input, e), file=sys.stderr)
        return 1
    with open(args.output, "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
