#!/usr/bin/python3
"""Builds the installer packages of the suite with wixl (msitools):

    make_package.py SOURCE_ROOT BIN32 BIN64 OUT_DIR [--version X.Y.Z] [--name Tavrin]

OUT_DIR/<name>.msi is the package for 64-bit Windows: Brindle0100.dll of both bitnesses, each
with its TavrinSupport0100.dll (the 32-bit pair under the 32-bit program folder, registered in
the 32-bit registry view), and the x64 Pellmark with TavrinComponents0100.dll and ReadMe.TXT.
OUT_DIR/<name>-x86.msi is the package for 32-bit Windows, with the 32-bit files only. Windows
Installer takes a package as either 32-bit or 64-bit: a 32-bit package cannot write 64-bit
files or the 64-bit registry view, and a 64-bit one does not install on a 32-bit host.

The COM registration is written by the packages' registry tables, from the same sources the
servers register from: the classes of Brindle0100 in BRINDLE_CLASSES (class_table.cpp) with
their identities in Brindle.idl, the outside components in server.cpp's class table with
theirs in TavrinComponents.idl. The entries are those registration.cpp and server.cpp write;
the installation test compares the two. No self-registration runs at install time, so a
repair or an uninstall knows exactly what is there.

The ordered-list interface _Collection, which the library hands out and which the automation
runtime may have registered already, is registered by a component of its own that is installed
only where no other library has registered it (a registry search decides, as registration.cpp
does), and so is removed again only where the package wrote it.

A newer package replaces an older one (major upgrade under one upgrade code; every build has a
new product code). Files carry the versions of their version resources, by which an installer
decides whether to replace a file.
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile
import uuid
from xml.sax.saxutils import quoteattr

import pefile

UPGRADE_CODE = "{5B0E8C2A-3D71-4F6B-9E24-7A1C9D3F0B61}"
# Component identities are derived from this namespace and the component's name and place, so
# that every build of a version gives a component the same identity.
COMPONENT_NAMESPACE = uuid.UUID("0C9F3A52-6E1B-4D87-B2A4-5F8E71D0C934")
AUTOMATION_MARSHALLER = "{00020424-0000-0000-C000-000000000046}"
CLASSES = "Software\\Classes\\"
COLLECTION = "{A4C46780-499F-101B-BB78-00AA00383CBB}"

ATTRIBUTES = r"\[((?:[^\[\]\"]|\"[^\"]*\")*)\]"

# What goes where: the x64 folder of the package for 64-bit Windows (and, 32-bit, the whole
# package for 32-bit Windows), and the 32-bit library beside it on a 64-bit host.
FILES64 = ["Brindle0100.dll", "TavrinSupport0100.dll", "TavrinComponents0100.dll", "Pellmark.exe", "ReadMe.TXT"]
FILES32 = ["Brindle0100.dll", "TavrinSupport0100.dll"]


def guid(text):
    return "{" + str(uuid.UUID(text)).upper() + "}"


def packed(text):
    """A GUID as the installer's own registry keys spell it (each part reversed, no punctuation)."""
    h = uuid.UUID(text).hex.upper()
    parts = [h[0:8], h[8:12], h[12:16]] + [h[i:i + 2] for i in range(16, 32, 2)]
    return "".join(p[::-1] for p in parts)


def idl_uuid(attributes):
    return guid(re.search(r"\buuid\(\s*([0-9A-Fa-f-]{36})\s*\)", attributes).group(1))


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


# ---- what the servers register ------------------------------------------------------------------

def brindle_registry(root):
    """(key, name, value) of Brindle0100's registration, in registration.cpp's order; values
    hold [#file] for the DLL's path and [dir] for its folder. name None: the default value;
    value None: the key alone."""
    idl = read(os.path.join(root, "component/server/Brindle.idl"))
    table = read(os.path.join(root, "component/server/class_table.cpp"))
    library = re.search(ATTRIBUTES + r"\s*library\s+Brindle\b", idl).group(1)
    libid = idl_uuid(library)
    version = re.search(r"\bversion\(\s*([\d.]+)\s*\)", library).group(1)
    name = re.search(r'\bhelpstring\("([^"]*)"\)', library).group(1)
    interfaces = {n: idl_uuid(a) for a, n in re.findall(ATTRIBUTES + r"\s*interface\s+(\w+)\s*:", idl)}
    coclasses = {n: idl_uuid(a) for a, n in re.findall(ATTRIBUTES + r"\s*coclass\s+(\w+)\s*\{", idl)}
    macro = re.search(r"#define BRINDLE_CLASSES\(CREATABLE, MADE_BY_LIBRARY\)((?:.*\\\n)*.*)", table).group(1)
    classes = re.findall(r"\b(CREATABLE|MADE_BY_LIBRARY)\((\w+)\)", macro)
    if not classes:
        raise SystemExit("make_package: no class in BRINDLE_CLASSES")

    typelib = f"TypeLib\\{libid}\\{version}"
    entries = [(typelib, None, name), (typelib + "\\0\\[platform]", None, "[#file]"),
               (typelib + "\\FLAGS", None, "0"), (typelib + "\\HELPDIR", None, "[dir]")]

    def marshalled(iid, interface):
        key = f"Interface\\{iid}"
        return [(key, None, interface), (key + "\\ProxyStubClsid", None, AUTOMATION_MARSHALLER),
                (key + "\\ProxyStubClsid32", None, AUTOMATION_MARSHALLER),
                (key + "\\TypeLib", None, libid), (key + "\\TypeLib", "Version", version)]

    if interfaces.get("_Collection") != COLLECTION:
        raise SystemExit("make_package: _Collection is not the ordered list's interface")
    entries += marshalled(COLLECTION, "_Collection")
    for _, c in classes:
        default = "_" + c
        earlier = sorted((int(m.group(1)), n) for n in interfaces
                         for m in [re.match(re.escape(default) + r"___v(\d+)$", n)] if m)
        for iid in [interfaces[n] for _, n in earlier] + [interfaces[default]]:
            entries += marshalled(iid, default)
    for kind, c in classes:
        if kind != "CREATABLE":
            continue
        progid, clsid = "Brindle." + c, coclasses[c]
        key = f"CLSID\\{clsid}"
        entries += [(key, None, c), (key + "\\InprocServer32", None, "[#file]"),
                    (key + "\\InprocServer32", "ThreadingModel", "Apartment"), (key + "\\ProgID", None, progid),
                    (key + "\\VersionIndependentProgID", None, progid), (key + "\\TypeLib", None, libid),
                    (key + "\\VERSION", None, version), (key + "\\Programmable", None, None),
                    (progid, None, c), (progid + "\\CLSID", None, clsid),
                    (progid + "\\CurVer", None, progid + ".1"), (progid + ".1", None, c),
                    (progid + ".1\\CLSID", None, clsid)]
    return entries


def components_registry(root):
    """The outside components' registration, in server.cpp's order."""
    idl = read(os.path.join(root, "support/TavrinComponents.idl"))
    server = read(os.path.join(root, "outside/components/server.cpp"))
    coclasses = {n: idl_uuid(a) for a, n in re.findall(ATTRIBUTES + r"\s*coclass\s+(\w+)\s*\{", idl)}
    rows = re.findall(r'\{&CLSID_(\w+),\s*L"([^"]+)",\s*L"([^"]+)",\s*\w+\}', server)
    if not rows:
        raise SystemExit("make_package: no class in server.cpp's table")
    entries = []
    for c, progid, description in rows:
        key = f"CLSID\\{coclasses[c]}"
        entries += [(key, None, description), (key + "\\InprocServer32", None, "[#file]"),
                    (key + "\\InprocServer32", "ThreadingModel", "Apartment"), (key + "\\ProgID", None, progid),
                    (progid, None, description), (progid + "\\CLSID", None, coclasses[c])]
    return entries


# ---- the package source ---------------------------------------------------------------------------

def file_version(path):
    pe = pefile.PE(path, fast_load=True)
    pe.parse_data_directories([pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    fixed = getattr(pe, "VS_FIXEDFILEINFO", None)
    if not fixed:
        raise SystemExit(f"make_package: {path} has no version resource")
    ms, ls = fixed[0].FileVersionMS, fixed[0].FileVersionLS
    return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"


class Package:
    def __init__(self, arch):
        self.arch = arch
        self.components = []  # (directory id, xml)
        self.versions = {}  # file id -> version
        self.keys = []  # (component id, key) of keys written without a value
        self.conditional = []  # (component id, property, win64, key searched, value it may hold)

    def component(self, directory, cid, win64, source, file_name, registry=(), shortcut=False):
        fid = cid
        guid_text = guid(str(uuid.uuid5(COMPONENT_NAMESPACE, f"{directory}/{file_name}/{cid}")))
        lines = [f'<Component Id="{cid}" Guid="{guid_text}" Win64="{"yes" if win64 else "no"}">',
                 f'  <File Id="{fid}" Name="{file_name}" Source={quoteattr(os.path.abspath(source))} KeyPath="yes"/>']
        if source.lower().endswith((".dll", ".exe")):
            self.versions[fid] = file_version(source)
        platform = "win64" if win64 else "win32"
        for key, name, value in registry:
            attrs = f'Root="HKLM" Key={quoteattr(CLASSES + key.replace("[platform]", platform))}'
            if name:
                attrs += f" Name={quoteattr(name)}"
            if value is None:
                self.keys.append((cid, CLASSES + key))
                continue
            value = value.replace("[#file]", f"[#{fid}]").replace("[dir]", f"[{directory}]")
            lines.append(f'  <RegistryValue {attrs} Value={quoteattr(value)} Type="string"/>')
        if shortcut:
            lines.append(f'  <Shortcut Id="{cid}Menu" Directory="ProgramMenuFolder" Name="Pellmark" '
                         f'Description="Tavrin - Pellmark" Target="[#{fid}]" WorkingDirectory="{directory}"/>')
        lines.append("</Component>")
        self.components.append((directory, "\n".join(lines)))

    def registry_component(self, directory, cid, win64, registry, unless_key, unless_value):
        """Registry values alone, installed only where the key `unless_key` (below CLASSES) has no
        default value or holds `unless_value`."""
        guid_text = guid(str(uuid.uuid5(COMPONENT_NAMESPACE, f"{directory}/registry/{cid}")))
        lines = [f'<Component Id="{cid}" Guid="{guid_text}" Win64="{"yes" if win64 else "no"}">']
        for i, (key, name, value) in enumerate(registry):
            attrs = f'Root="HKLM" Key={quoteattr(CLASSES + key)}' + (f" Name={quoteattr(name)}" if name else "")
            lines.append(f'  <RegistryValue {attrs} Value={quoteattr(value)} Type="string"'
                         f'{" KeyPath=" + quoteattr("yes") if i == 0 else ""}/>')
        lines.append("</Component>")
        self.components.append((directory, "\n".join(lines)))
        self.conditional.append((cid, cid.upper() + "FOUND", win64, CLASSES + unless_key, unless_value))

    def source(self, version, folders, condition):
        by_dir = {}
        for directory, xml in self.components:
            by_dir.setdefault(directory, []).append(xml)
        dirs = "\n".join(
            f'<Directory Id="{parent}"><Directory Id="{d}" Name="Tavrin">\n' + "\n".join(by_dir[d]) + "\n</Directory></Directory>"
            for d, parent in folders)
        ids = [re.search(r'Id="(\w+)"', xml).group(1) for _, xml in self.components]
        refs = "\n".join(f'<ComponentRef Id="{i}"/>' for i in ids)
        launch = f"<Condition Message={quoteattr(condition[1])}>{condition[0]}</Condition>" if condition else ""
        return f"""<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
<Product Id="*" Name="Tavrin" Language="1033" Version="{version}" Manufacturer="Tavrin" UpgradeCode="{UPGRADE_CODE}">
<Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine" Description="Tavrin"/>
<Media Id="1" Cabinet="tavrin.cab" EmbedCab="yes"/>
<MajorUpgrade DowngradeErrorMessage="A newer version of Tavrin is already installed."/>
{launch}
<Directory Id="TARGETDIR" Name="SourceDir">
{dirs}
<Directory Id="ProgramMenuFolder"/>
</Directory>
<Feature Id="Tavrin" Title="Tavrin" Level="1">
{refs}
</Feature>
</Product>
</Wix>
"""


def add_files(package, directory, win64, source, names, brindle, components):
    """One component per file; the servers carry their registration, the program its menu entry;
    _Collection's registration is a component of its own (see the top)."""
    bits = "64" if win64 else "32"
    collection = [e for e in brindle if e[0].startswith(f"Interface\\{COLLECTION}")]
    for name in names:
        cid = re.sub(r"\W", "", name.split(".")[0]) + bits
        registry = {"Brindle0100.dll": [e for e in brindle if e not in collection],
                    "TavrinComponents0100.dll": components}.get(name, ())
        package.component(directory, cid, win64, source(name), name, registry, shortcut=name == "Pellmark.exe")
        if name == "Brindle0100.dll":
            libid = next(e[2] for e in collection if e[0].endswith("\\TypeLib") and e[1] is None)
            package.registry_component(directory, "Collection" + bits, win64, collection,
                                       f"Interface\\{COLLECTION}\\TypeLib", libid)


def build(package, version, folders, condition, out, work):
    wxs = os.path.join(work, os.path.basename(out) + ".wxs")
    with open(wxs, "w", encoding="utf-8") as f:
        f.write(package.source(version, folders, condition))
    # wixl takes sources relative to the folder it runs in.
    with open(wxs, encoding="utf-8") as f:
        text = re.sub(r'Source="/', 'Source="', f.read())
    with open(wxs, "w", encoding="utf-8") as f:
        f.write(text)
    subprocess.run(["wixl", "-a", package.arch, "-o", os.path.abspath(out), wxs], check=True, cwd="/")
    queries = [f"UPDATE `File` SET `Version` = '{v}', `Language` = '1033' WHERE `File` = '{fid}'"
               for fid, v in package.versions.items()]
    # A key alone, created at install and removed with what is below it at uninstall, is the
    # name "*" without a value, which wixl does not write itself.
    queries += [f"INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Component_`) "
                f"VALUES ('key{cid}{i}', 2, '{key}', '*', '{cid}')" for i, (cid, key) in enumerate(package.keys)]
    # A component installed only where a registry search finds no other library's entry: the
    # search (AppSearch, raw value; 16 asks the 64-bit view) and the component's condition.
    for cid, prop, win64, key, value in package.conditional:
        queries += [f"INSERT INTO `RegLocator` (`Signature_`, `Root`, `Key`, `Type`) "
                    f"VALUES ('Find{cid}', 2, '{key}', {2 + (16 if win64 else 0)})",
                    f"INSERT INTO `AppSearch` (`Property`, `Signature_`) VALUES ('{prop}', 'Find{cid}')",
                    f"UPDATE `Component` SET `Condition` = 'NOT {prop} OR {prop} = \"{value}\"' "
                    f"WHERE `Component` = '{cid}'"]
    if package.conditional:
        queries += [f"INSERT INTO `{table}` (`Action`, `Sequence`) VALUES ('AppSearch', 50)"
                    for table in ("InstallExecuteSequence", "InstallUISequence")]
    subprocess.run(["msibuild", out] + [a for q in queries for a in ("-q", q)], check=True)


def main(argv):
    parser = argparse.ArgumentParser()
    parser.add_argument("root")
    parser.add_argument("bin32")
    parser.add_argument("bin64")
    parser.add_argument("out")
    parser.add_argument("--version", default=None)
    parser.add_argument("--name", default="Tavrin")
    args = parser.parse_args(argv)
    version = args.version or read(os.path.join(args.root, "installer/version.txt")).strip()
    brindle, components = brindle_registry(args.root), components_registry(args.root)
    b32, b64 = (lambda n: os.path.join(args.bin32, n)), (lambda n: os.path.join(args.bin64, n))
    os.makedirs(args.out, exist_ok=True)

    with tempfile.TemporaryDirectory() as work:
        # 64-bit Windows: both library bitnesses, the x64 program.
        x64 = Package("x64")
        add_files(x64, "DIR64", True, b64, FILES64, brindle, components)
        add_files(x64, "DIR32", False, b32, FILES32, brindle, components)
        build(x64, version, [("DIR64", "ProgramFiles64Folder"), ("DIR32", "ProgramFilesFolder")], None,
              os.path.join(args.out, args.name + ".msi"), work)

        # 32-bit Windows: the 32-bit files; on a 64-bit host the package above is the one.
        x86 = Package("x86")
        add_files(x86, "DIR32", False, b32, FILES64, brindle, components)
        build(x86, version, [("DIR32", "ProgramFilesFolder")],
              ("NOT VersionNT64", f"This package is for 32-bit Windows. On 64-bit Windows install {args.name}.msi."),
              os.path.join(args.out, args.name + "-x86.msi"), work)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
