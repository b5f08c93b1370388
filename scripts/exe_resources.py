#!/usr/bin/env python3
"""Prints what a Windows executable says of itself: the strings of its version resource
("ProductName=Ventrel", ...), its binary file version ("FileVersionBinary=1.0.0.0") and, when it
carries an application manifest, "Manifest=" with the manifest on one line.
Usage: exe_resources.py FILE.exe
"""
import struct
import sys

RT_VERSION = 16
RT_MANIFEST = 24


def sections(pe):
    e_lfanew = struct.unpack_from("<I", pe, 0x3C)[0]
    if pe[e_lfanew:e_lfanew + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    count, optional_size = struct.unpack_from("<H12xH", pe, e_lfanew + 6)
    table = e_lfanew + 24 + optional_size
    for i in range(count):
        name, vsize, vaddr, rawsize, rawptr = struct.unpack_from("<8sIIII", pe, table + 40 * i)
        yield name.rstrip(b"\0").decode("ascii", "replace"), vaddr, max(vsize, rawsize), rawptr


def resources(pe):
    """Yields (type id, data) of every resource with a numeric type."""
    rsrc = [s for s in sections(pe) if s[0] == ".rsrc"]
    if not rsrc:
        return
    _, vaddr, _, rawptr = rsrc[0]

    def entries(offset):
        named, ids = struct.unpack_from("<12xHH", pe, rawptr + offset)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", pe, rawptr + offset + 16 + 8 * i)
            yield name, target

    def leaves(offset):
        for _, target in entries(offset):
            if target & 0x80000000:
                yield from leaves(target & 0x7FFFFFFF)
            else:
                data_rva, size = struct.unpack_from("<II", pe, rawptr + target)
                start = rawptr + data_rva - vaddr
                yield pe[start:start + size]

    for name, target in entries(0):
        if name & 0x80000000 or not target & 0x80000000:
            continue
        for data in leaves(target & 0x7FFFFFFF):
            yield name, data


def version_strings(block):
    """Walks a VS_VERSIONINFO block: returns {key: value} of its StringFileInfo strings."""
    found = {}

    def node(pos):
        length, value_length, kind = struct.unpack_from("<HHH", block, pos)
        end = pos + length
        p = pos + 6
        key_end = p
        while block[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        key = block[p:key_end].decode("utf-16-le")
        p = (key_end + 2 + 3) & ~3
        if key == "VS_VERSION_INFO":
            ms, ls = struct.unpack_from("<II", block, p + 8)
            found["FileVersionBinary"] = "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
        if kind == 1 and value_length:
            text = block[p:p + 2 * value_length].decode("utf-16-le")
            found[key] = text.split("\0")[0]
            p += 2 * value_length
        else:
            p += value_length
        p = (p + 3) & ~3
        while p < end:
            child_end = node(p)
            if child_end <= p:
                break
            p = (child_end + 3) & ~3
        return end

    node(0)
    return found


def main():
    pe = open(sys.argv[1], "rb").read()
    for kind, data in resources(pe):
        if kind == RT_VERSION:
            for key, value in version_strings(data).items():
                print("%s=%s" % (key, value))
        elif kind == RT_MANIFEST:
            print("Manifest=" + " ".join(data.decode("utf-8", "replace").split()))


if __name__ == "__main__":
    main()
