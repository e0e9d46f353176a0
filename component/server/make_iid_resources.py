#!/usr/bin/env python3
"""Writes the interface-identity resources of the library from its IDL source.

    make_iid_resources.py Brindle.idl OUT.rc

For every coclass X with default interface _X the resource _IID_<X in upper case> holds a 32-bit
little-endian byte count followed by the IIDs, 16 bytes each: the earlier identities of _X
first (the interfaces named _X___v0, _X___v1, ... in that order), the current one last. The
server reads its earlier identities from these resources, so the IDL is their only source.
"""
import re
import sys
import uuid

ATTRIBUTES = r"\[((?:[^\[\]\"]|\"[^\"]*\")*)\]"
INTERFACE = re.compile(ATTRIBUTES + r"\s*interface\s+(\w+)\s*:")
COCLASS = re.compile(ATTRIBUTES + r"\s*coclass\s+(\w+)\s*\{\s*\[default\]\s*interface\s+(\w+)\s*;")
UUID = re.compile(r"\buuid\(\s*([0-9A-Fa-f-]{36})\s*\)")
EARLIER = re.compile(r"^(\w+)___v(\d+)$")


def uuid_of(attributes, name):
    match = UUID.search(attributes)
    if not match:
        raise SystemExit(f"make_iid_resources: {name} has no uuid")
    return uuid.UUID(match.group(1))


def resources(text):
    interfaces = {}
    earlier = {}
    for attributes, name in INTERFACE.findall(text):
        interfaces[name] = uuid_of(attributes, name)
        match = EARLIER.match(name)
        if match:
            earlier.setdefault(match.group(1), []).append((int(match.group(2)), name))
    out = []
    for _, coclass, default in COCLASS.findall(text):
        if default not in interfaces:
            raise SystemExit(f"make_iid_resources: {coclass}'s default interface {default} is not declared")
        names = [n for _, n in sorted(earlier.get(default, []))] + [default]
        data = b"".join(interfaces[n].bytes_le for n in names)
        words = [f"0x{int.from_bytes(data[i:i + 2], 'little'):04X}" for i in range(0, len(data), 2)]
        rows = [", ".join(words[i:i + 8]) for i in range(0, len(words), 8)]
        body = f"    {len(data)}L,\n    " + ",\n    ".join(rows)
        out.append(f"_IID_{coclass.upper()} CUSTOM\n{{\n{body}\n}}\n")
    if not out:
        raise SystemExit("make_iid_resources: no coclass found")
    return out


def main(argv):
    source, target = argv
    with open(source, encoding="utf-8") as f:
        text = f.read()
    with open(target, "w", encoding="ascii", newline="\n") as f:
        f.write("// Generated from the IDL by make_iid_resources.py: interface identities of every class.\n")
        f.write("\n".join(resources(text)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
