"""Shared by the Python test drivers: JIS text turned into Shift_JIS independently of the
plug-in, to compute what its pages and subjects must hold."""


def jis_to_sjis(data):
    """JIS (ISO-2022-JP) to Shift_JIS by the standard row/cell arithmetic, rows beyond JIS X 0208
    included, as the carrier's emoji need. A lone byte at the end of a two-byte run is kept."""
    out, i, double = bytearray(), 0, False
    while i < len(data):
        if data[i] == 0x1B:
            if i + 1 < len(data):
                double = data[i + 1] == 0x24
            i += 3
            continue
        if not double or i + 1 >= len(data):
            out.append(data[i])
            i += 1
            continue
        j1, j2 = data[i], data[i + 1]
        s1 = ((j1 + 1) >> 1) + (0x70 if j1 <= 0x5E else 0xB0)
        s2 = j2 + 0x7E if j1 % 2 == 0 else j2 + (0x1F if j2 <= 0x5F else 0x20)
        out += bytes([s1 & 0xFF, s2 & 0xFF])
        i += 2
    return bytes(out)
