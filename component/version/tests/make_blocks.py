#!/usr/bin/env python3
"""Writes version-information blocks that a resource compiler would never produce (wrong value
lengths, translation values of odd length, nodes that overrun their parents, the 16-bit layout)
as raw resources of type 16: for each block NAME, OUT/NAME.bin and OUT/NAME.rc, which includes the bytes as resource 1, and
OUT/blocks.inc with every block as a C++ initialiser {"NAME", {bytes}} for tests of the reader.

    make_blocks.py OUT_DIR
"""
import struct
import sys
from pathlib import Path


def pad4(data):
    return data + b"\0" * (-len(data) % 4)


class Node:
    """One node of a block. text= gives a UTF-16 string value (type 1), value= raw bytes (type 0).
    length= and value_length= replace the counts the node would carry if it were well formed;
    terminated=False leaves the zero off a text value."""

    def __init__(self, key, value=b"", children=(), text=None, length=None, value_length=None,
                 terminated=True):
        self.key, self.value, self.children, self.text = key, value, list(children), text
        self.length, self.value_length, self.terminated = length, value_length, terminated


class Raw:
    """Bytes put into a list of children as they are."""

    def __init__(self, data):
        self.data = data


def build(node, wide=True):
    if isinstance(node, Raw):
        return node.data
    header = 6 if wide else 4
    body = bytearray(header)
    body += (node.key + "\0").encode("utf-16-le" if wide else "cp1252")
    body = bytearray(pad4(bytes(body)))
    if node.text is not None:
        if wide:
            value = node.text.encode("utf-16-le") + (b"\0\0" if node.terminated else b"")
            count = len(value) // 2
        else:
            value = node.text.encode("cp1252") + (b"\0" if node.terminated else b"")
            count = len(value)
    else:
        value, count = node.value, len(node.value)
    body += value
    for child in node.children:
        body = bytearray(pad4(bytes(body)))
        body += build(child, wide)
    length = len(body) if node.length is None else node.length
    count = count if node.value_length is None else node.value_length
    struct.pack_into("<HH", body, 0, length, count)
    if wide:
        struct.pack_into("<H", body, 4, 1 if node.text is not None else 0)
    return bytes(body)


def fixed(file_version=(1, 0, 0, 0), product_version=(1, 0, 0, 0), flags_mask=0x3F, flags=0,
          os=0x40004, type_=2, subtype=0, date=(0, 0), size=52):
    f, p = file_version, product_version
    words = [0xFEEF04BD, 0x00010000, f[0] << 16 | f[1], f[2] << 16 | f[3], p[0] << 16 | p[1],
             p[2] << 16 | p[3], flags_mask, flags, os, type_, subtype, date[0], date[1]]
    data = struct.pack("<13I", *words)
    return (data + b"\xAA" * size)[:size]


def translations(*pairs):
    return b"".join(struct.pack("<HH", language, code_page) for language, code_page in pairs)


def block(root_value, tables, translation_node, wide=True):
    sfi = Node("StringFileInfo", children=[Node(key, children=strings) for key, strings in tables])
    return build(Node("VS_VERSION_INFO", value=root_value,
                      children=[sfi, Node("VarFileInfo", children=[translation_node])]), wide)


def english(*strings):
    return [("040904B0", list(strings))]


US = Node("Translation", value=translations((0x0409, 0x04B0)))

BLOCKS = {
    # A root value of 40 and of 56 bytes: the fixed words stay zero, the strings are read.
    "root_short": block(fixed(size=40), english(Node("CompanyName", text="root is short")), US),
    "root_long": block(fixed(size=56), english(Node("CompanyName", text="root is long")), US),
    # Dates in the fixed words; strings whose lengths lie: one runs past the whole block, one past
    # its own node (its text ends inside it), one has no terminator and fills its node exactly,
    # one has no terminator and runs into the next string.
    "lengths": block(
        fixed(file_version=(7, 8, 9, 10), date=(0x01D2ABCD, 0x89ABCDEF)),
        english(Node("CompanyName", text="past the block", value_length=0x7FFF),
                Node("ProductName", text="Tavrin", value_length=40),
                Node("Comments", text="unterminated", terminated=False),
                Node("FileDescription", text="abc", terminated=False, value_length=12),
                Node("InternalName", text="after them")),
        US),
    # A translation value of six bytes: one whole entry (German, 1252) and half of a Russian one.
    "odd_length": block(
        fixed(),
        [("040704E4", [Node("CompanyName", text="de 1252")]),
         ("04190000", [Node("CompanyName", text="half entry")])],
        Node("Translation", value=translations((0x0407, 0x04E4)) + b"\x19\x04")),
    # A translation value longer than its node: no table is read, the default one is used.
    "translation_past": block(
        fixed(),
        [("040904B0", [Node("CompanyName", text="default key")]),
         ("041904E3", [Node("CompanyName", text="ru 1251")])],
        Node("Translation", value=translations((0x0419, 0x04E3)), value_length=400)),
    # A string that claims to be longer than its table: no string is read, the sound root is.
    "child_past_parent": block(
        fixed(file_version=(5, 5, 5, 5)),
        english(Node("CompanyName", text="overrun", length=200)), US),
    # A root longer than the resource that holds it.
    "root_past_block": build(Node("VS_VERSION_INFO", value=fixed(file_version=(6, 6, 6, 6)), length=0xFFF0,
                                  children=[Node("StringFileInfo", children=[
                                      Node("040904B0", children=[Node("CompanyName", text="too long a root")])])])),
    # A zero where the next string would start: the strings after it are not reached.
    "zero_length": block(fixed(file_version=(8, 0, 0, 0)),
                         english(Node("CompanyName", text="before the zero"), Raw(b"\0" * 4),
                                 Node("ProductName", text="after the zero")), US),
    # The 16-bit layout: 8-bit keys and texts, no type words.
    "narrow": block(fixed(file_version=(4, 3, 2, 1)),
                    [("040904E4", [Node("CompanyName", text="narrow company")])],
                    Node("Translation", value=translations((0x0409, 0x04E4))), wide=False),
}


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    for name, data in BLOCKS.items():
        (out / f"{name}.bin").write_bytes(data)
        (out / f"{name}.rc").write_text(f'1 16 "{(out / name).as_posix()}.bin"\n')
    lines = [f'{{"{name}", {{{", ".join(str(b) for b in data)}}}}},' for name, data in BLOCKS.items()]
    (out / "blocks.inc").write_text("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
