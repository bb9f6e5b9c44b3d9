#!/usr/bin/env python3
# dll_version_test.py DLL VERSION: the DLL's version resource, read back from its PE resources,
# holds VERSION (as in project(), e.g. 1.50) and the names Windows shows in Japanese and English.
import struct, sys

def version_resource(image):
    read = lambda layout, at: struct.unpack_from(layout, image, at)
    pe = read("<I", 0x3C)[0]
    sections, optional_size = read("<H12xH", pe + 6)
    table = [read("<4I", pe + 24 + optional_size + 40 * i + 8) for i in range(sections)]
    offset = lambda rva: next(rva - start + raw for size, start, _, raw in table
                              if start <= rva < start + size)
    root = offset(read("<I", pe + 24 + 96 + 2 * 8)[0])  # PE32 data directory 2: resources
    at = 0
    for wanted in (16, None, None):  # RT_VERSION, then its first name and its first language
        count = sum(read("<2H", root + at + 12))
        at = next(to for name, to in (read("<2I", root + at + 16 + 8 * i) for i in range(count))
                  if wanted in (None, name)) & 0x7FFFFFFF
    rva, size = read("<2I", root + at)
    return image[offset(rva):offset(rva) + size]

def blocks(data, start, end):  # (key, value, children) of each version block from start to end
    align = lambda at: (at + 3) & ~3
    while start < end:
        length, value_length, text = struct.unpack_from("<3H", data, start)
        key_end = next(at for at in range(start + 6, end, 2) if data[at:at + 2] == b"\0\0")
        value = align(key_end + 2)
        value_end = value + value_length * (2 if text else 1)
        yield (data[start + 6:key_end].decode("utf-16-le"), data[value:value_end],
               list(blocks(data, align(value_end), start + length)))
        start = align(start + length)

dll, version = sys.argv[1:]
data = version_resource(open(dll, "rb").read())
key, fixed, children = next(blocks(data, 0, len(data)))
parts = [int(part) for part in version.split(".")] + [0, 0]
packed = [parts[0] << 16 | parts[1], parts[2] << 16 | parts[3]] * 2  # file, then product
tables = {table: {name: text.decode("utf-16-le").rstrip("\0") for name, text, _ in rows}
          for name, _, tables in children if name == "StringFileInfo" for table, _, rows in tables}
languages = [value for name, _, rows in children if name == "VarFileInfo" for _, value, _ in rows]
names = {"FileVersion": version, "ProductVersion": version, "ProductName": "Pictolumen",
         "OriginalFilename": "Pictolumen.dll"}
checks = {
    "a VS_VERSION_INFO block": key == "VS_VERSION_INFO" and fixed[:4] == b"\xbd\x04\xef\xfe",
    f"file and product version {version}": list(struct.unpack_from("<4I", fixed, 8)) == packed,
    "Japanese and English offered": languages == [struct.pack("<4H", 0x411, 1200, 0x409, 1200)],
}
for table, word in (("041104B0", "絵文字"), ("040904B0", "emoji")):
    row = tables.get(table, {})
    checks[f"{table}: {names} and a description with {word}"] = (
        names.items() <= row.items() and word in row.get("FileDescription", ""))
failed = [what for what, ok in checks.items() if not ok]
print(*["FAILED: " + what for what in failed], f"string tables read: {tables}", sep="\n")
sys.exit(1 if failed else 0)
