#!/usr/bin/env python3
"""Copies the IDL source (UTF-8) into the ANSI code page of the type library's strings.

    recode_idl.py IN.idl OUT.idl CODEPAGE

widl copies string bytes into the type library as they are, and the type library loader reads
them in the machine's ANSI code page: the Russian help strings must reach widl as single-byte
text. Everything else in the file is ASCII and passes unchanged.
"""
import sys


def main(argv):
    source, target, codepage = argv
    with open(source, encoding="utf-8") as f:
        text = f.read()
    with open(target, "w", encoding=codepage, newline="") as f:
        f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
