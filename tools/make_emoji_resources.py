#!/usr/bin/python3
"""Writes the emoji resources of the plug-in from the pictograph data of the three carriers,
data/au-emoji.tsv, data/docomo-emoji.tsv and data/softbank-emoji.tsv:

  resources/emoji/EMOJI_7BIT.csv, EMOJI_8BIT.csv   au's two code tables (Shift_JIS, CR LF rows,
                                                   "number,name,code")
  resources/emoji/EMOJI_DOCOMO.csv                 docomo's table, keyed by its Shift_JIS codes
  resources/emoji/EMOJI_SOFTBANK.csv               SoftBank's table, keyed by its Shift_JIS codes
  resources/emoji/<name>.gif                       one 16 x 16 GIF89a picture per pictograph,
                                                   with a transparent background
  resources/emoji.rc                               the resource script naming all of them

A pictograph's name in the image cache is its number behind its carrier's prefix: none for au
("12"), "d" for docomo ("d12"), "s" for SoftBank ("s12"). The tables' number column holds that
name, so that a table row leads to the picture file <name>.gif and the resource "EMOJI" + name
whichever carrier it belongs to, and no carrier's file can take another's place.

The pictures come from Noto Color Emoji (Debian: fonts-noto-color-emoji) through the data's
Unicode column; the pictographs without a Unicode equivalent (carrier and service logos), and
au's three blanks, get simple drawings of our own (plain shapes, pixel letters, and single
characters in DejaVu Sans Bold, Debian: fonts-dejavu-core). Needs Pillow
with its raqm layout engine (Debian: python3-pil, libraqm0) for keycaps and flags. The outputs
are committed, so that a build needs neither Python nor Pillow.

  /usr/bin/python3 tools/make_emoji_resources.py
"""
import io
import math
import pathlib

from PIL import Image, ImageDraw, ImageFont, features

ROOT = pathlib.Path(__file__).resolve().parent.parent
OUT = ROOT / "resources" / "emoji"
SCRIPT = ROOT / "resources" / "emoji.rc"

SIZE = 16  # pictures are SIZE x SIZE pixels
EMOJI_FONT = "/usr/share/fonts/truetype/noto/NotoColorEmoji.ttf"
EMOJI_FONT_SIZE = 109  # the bitmap font's one strike: glyphs of 136 x 128 pixels
LETTER_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
# The square of a rendered glyph that is scaled down, relative to the drawing origin: it holds
# the ink of every glyph of the font, and keeps small symbols small next to large ones.
GLYPH_BOX = (4, 0, 4 + 128, 128)
DRAW = 128  # our own drawings are made DRAW x DRAW and scaled down like the glyphs
# A scaled-down pixel with at least this much coverage (0-255) is drawn, the rest is transparent.
# Low enough that thin strokes survive at 16 pixels, high enough to leave no fringe.
ALPHA_THRESHOLD = 96
# Rim pixels at least this light (0-255) are darkened to this share of their brightness.
EDGE_LIGHTNESS = 200
EDGE_DARKENING = 0.72


def read_data(path):
    """The rows of a pictograph data file as dicts keyed by the header's column names."""
    lines = [l for l in path.read_text(encoding="utf-8").splitlines() if l and l[0] != "#"]
    header = lines[0].split("\t")
    rows = [dict(zip(header, l.split("\t"))) for l in lines[1:]]
    assert all(len(r) == len(header) for r in rows), f"{path}: a row of the wrong width"
    return rows


def check_name(row):
    """The name must come back from a table read as code page 932 by the plug-in's CSV reader:
    code page 932 reads its Shift_JIS bytes as the same text, but for the wave dash (8160), which
    it reads as the full-width tilde; and it holds no comma, control byte or leading quote (a
    blank makes the field quoted, see csv_field)."""
    name = row["name_ja"]
    encoded = name.encode("shift_jis")
    assert encoded.decode("cp932") == name.replace("\u301c", "\uff5e"), row
    assert 1 <= len(encoded) <= 36 and name == name.strip() and name[0] != '"', row
    assert not any(b < 0x20 or b in (0x2C, 0x7F) for b in encoded), row


def check_codes(rows, column, valid):
    """`column` holds unique codes of four upper-case hexadecimal digits for which `valid`
    holds."""
    codes = [r[column] for r in rows]
    assert len(set(codes)) == len(codes), column
    for c in codes:
        assert len(c) == 4 and c == c.upper() and valid(int(c, 16)), (column, c)


def sjis_trail(code):
    return 0x40 <= code & 0xFF <= 0xFC and code & 0xFF != 0x7F


class Carrier:
    """One carrier's pictographs: its data, its prefix in the image cache, its tables (name ->
    data column holding the code the table is keyed by) and its own drawings (data number ->
    function drawing the picture)."""

    def __init__(self, data, prefix, tables, drawings, read):
        self.data = ROOT / "data" / data
        self.prefix = prefix
        self.tables = tables
        self.drawings = drawings
        self.read = read  # reads and checks the data: read(carrier) -> rows
        self.rows = []

    def cache_name(self, row):
        return self.prefix + row["number"]

    def table_rows(self, column):
        """The rows of the table keyed by `column`, each with its code there. SoftBank's three
        webcode-only pictographs are keyed by the code of their place in SoftBank's layout
        (F7F5-F7F7), which no other pictograph takes, so that their escape and private-use forms
        find a row."""
        return [dict(r, **{column: r[column] or f"{softbank_codes(int(r['webcode'], 16))[0]:04X}"})
                for r in self.rows]


def read_au(carrier):
    rows = read_data(carrier.data)
    numbers = [int(r["number"]) for r in rows]
    assert numbers == list(range(1, 519)) + list(range(700, 823)), "unexpected numbers"
    for r in rows:
        name = r["name_ja"].encode("shift_jis")
        assert 2 <= len(name) <= 36 and not any(b <= 0x20 or b == 0x2C for b in name), r
    for column in carrier.tables.values():
        codes = [r[column] for r in rows]
        assert len(set(codes)) == len(codes), column
        assert all(len(c) == 4 and c == c.upper() and int(c, 16) >= 0 for c in codes), column
    return rows


def read_docomo(carrier):
    """docomo's rows: the basic pictographs 1-176 and the extended ones 1001-1076, each with its
    Shift_JIS code (F89F-F9FC) and private-use code point (U+E63E-U+E757)."""
    rows = read_data(carrier.data)
    numbers = [int(r["number"]) for r in rows]
    assert numbers == list(range(1, 177)) + list(range(1001, 1077)), "unexpected numbers"
    for r in rows:
        check_name(r)
    check_codes(rows, "sjis", lambda c: 0xF89F <= c <= 0xF9FC and sjis_trail(c))
    check_codes(rows, "pua", lambda c: 0xE63E <= c <= 0xE757)
    return rows


# SoftBank's six pages of webcodes (the first byte after ESC $) and the Shift_JIS lead byte and
# half of the trail byte range that each page takes, in the order of their private-use blocks
# (page G is U+E001-U+E05A, page E U+E101-U+E15A, ...).
SOFTBANK_PAGES = {0x47: (0xF9, 0), 0x45: (0xF7, 0), 0x46: (0xF7, 1),
                  0x4F: (0xF9, 1), 0x50: (0xFB, 0), 0x51: (0xFB, 1)}


def softbank_codes(webcode):
    """The Shift_JIS code and private-use code point that SoftBank's tables give the webcode:
    the page's codes 21-7A run through the lower half of the lead byte's trail bytes (40-9B,
    skipping 7F) or from A1 through the upper half."""
    page, cell = webcode >> 8, webcode & 0xFF
    lead, upper = SOFTBANK_PAGES[page]
    if upper:
        trail = cell + 0x80
    else:
        trail = cell + 0x20 + (cell + 0x20 >= 0x7F)
    pua = 0xE000 + 0x100 * list(SOFTBANK_PAGES).index(page) + cell - 0x20
    return lead << 8 | trail, pua


def read_softbank(carrier):
    """SoftBank's rows 1-266 and 271-478, each with its webcode, Shift_JIS code and private-use
    code point, which agree as SoftBank numbered them. Three (Sky services) have no Shift_JIS
    code: their sjis column holds the escape form ESC $ <webcode> SI instead, and becomes None."""
    rows = read_data(carrier.data)
    numbers = [int(r["number"]) for r in rows]
    assert numbers == list(range(1, 267)) + list(range(271, 479)), "unexpected numbers"
    for r in rows:
        check_name(r)
        if r["sjis"] == "1B24" + r["webcode"] + "0F":
            r["sjis"] = None
    assert [r["number"] for r in rows if r["sjis"] is None] == ["264", "265", "266"]
    check_codes(rows, "webcode", lambda c: c >> 8 in SOFTBANK_PAGES and 0x21 <= c & 0xFF <= 0x7A)
    check_codes(rows, "pua", lambda c: 0xE001 <= c <= 0xE53E)
    check_codes([r for r in rows if r["sjis"] is not None], "sjis", sjis_trail)
    for r in rows:
        sjis, pua = softbank_codes(int(r["webcode"], 16))
        assert (r["sjis"] in (None, f"{sjis:04X}")) and r["pua"] == f"{pua:04X}", r
    return rows


# ---- Tables ------------------------------------------------------------------------------


def csv_field(name):
    """`name` as a CSV field: quoted (a quote in it doubled) when it holds a blank, which would
    otherwise end it."""
    return '"' + name.replace('"', '""') + '"' if " " in name else name


def table_bytes(carrier, column):
    """One table: "number,name,code" CR LF per row, in Shift_JIS."""
    text = "".join(f"{carrier.cache_name(r)},{csv_field(r['name_ja'])},{r[column]}\r\n"
                   for r in carrier.table_rows(column))
    return text.encode("shift_jis")


def write_tables():
    for carrier in CARRIERS:
        for name, column in carrier.tables.items():
            (OUT / f"{name}.csv").write_bytes(table_bytes(carrier, column))


# ---- Pictures from the emoji font ------------------------------------------------------------


class EmojiFont:
    """Noto Color Emoji laid out by raqm, so that a keycap or flag sequence becomes one glyph."""

    def __init__(self):
        if not features.check("raqm"):
            raise SystemExit("Pillow lacks the raqm layout engine needed for keycaps and flags")
        self.font = ImageFont.truetype(
            EMOJI_FONT, EMOJI_FONT_SIZE, layout_engine=ImageFont.Layout.RAQM)
        self.missing = self.render_raw("\U000F0000")  # a private-use code: the font's .notdef

    def render_raw(self, text):
        canvas = Image.new("RGBA", (GLYPH_BOX[2] + 16, GLYPH_BOX[3] + 16))
        ImageDraw.Draw(canvas).text((0, 0), text, font=self.font, embedded_color=True)
        return canvas

    def render(self, text):
        """The glyph of `text` in the glyph box; fails for a missing glyph or one that the
        layout did not join into a single glyph."""
        width = self.font.getlength(text)
        assert width <= 136, f"{text!r} is {width} pixels wide: not laid out as one glyph"
        canvas = self.render_raw(text)
        ink = canvas.getchannel("A").getbbox()
        assert ink and canvas.tobytes() != self.missing.tobytes(), f"no glyph for {text!r}"
        box = GLYPH_BOX
        assert box[0] <= ink[0] and box[1] <= ink[1] and ink[2] <= box[2] and ink[3] <= box[3], \
            f"{text!r} has ink outside the glyph box: {ink}"
        return canvas.crop(box)


def unicode_text(column):
    return "".join(chr(int(code, 16)) for code in column.split())


# ---- Pictures of our own -----------------------------------------------------------------------
# Drawn on a DRAW x DRAW canvas (8 units of 16 per picture pixel) with plain shapes and
# lettering, then scaled down like the glyphs.


def canvas():
    image = Image.new("RGBA", (DRAW, DRAW))
    return image, ImageDraw.Draw(image)


def lettering(draw, box, text, fill, size):
    """`text` in bold sans, centred in `box`."""
    font = ImageFont.truetype(LETTER_FONT, size)
    left, top, right, bottom = draw.textbbox((0, 0), text, font=font)
    x = (box[0] + box[2] - (right - left)) / 2 - left
    y = (box[1] + box[3] - (bottom - top)) / 2 - top
    draw.text((x, y), text, font=font, fill=fill)


# Letters for lettering at the picture's own size, where a font would blur: one string per
# row, "#" drawn. WIDE letters are 5 x 7, NARROW ones 3 x 7.
WIDE = {
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "Z": ["#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"],
}
NARROW = {
    "C": [".##", "#..", "#..", "#..", "#..", "#..", ".##"],
    "D": ["##.", "#.#", "#.#", "#.#", "#.#", "#.#", "##."],
    "E": ["###", "#..", "#..", "###", "#..", "#..", "###"],
    "P": ["##.", "#.#", "#.#", "##.", "#..", "#..", "#.."],
    "Z": ["###", "..#", "..#", ".#.", "#..", "#..", "###"],
    "+": ["...", "...", ".#.", "###", ".#.", "...", "..."],
    "F": ["###", "#..", "#..", "###", "#..", "#..", "#.."],
    "M": ["#.#", "###", "###", "#.#", "#.#", "#.#", "#.#"],
    "R": ["##.", "#.#", "#.#", "##.", "#.#", "#.#", "#.#"],
    "i": [".#.", "...", "##.", ".#.", ".#.", ".#.", "###"],
    "0": [".#.", "#.#", "#.#", "#.#", "#.#", "#.#", ".#."],
    "1": [".#.", "##.", ".#.", ".#.", ".#.", ".#.", "###"],
    "9": [".#.", "#.#", "#.#", ".##", "..#", "#.#", ".#."],
}
# Lower-case Greek alpha, 5 x 7, for docomo's i-appli marks.
ALPHA = {"a": [".....", ".....", ".##.#", "#..#.", "#..#.", "#..#.", ".##.#"]}


def lettered_tile(text, colour, letters, framed=False):
    """White pixel lettering, one blank column between letters, centred on a rounded tile of
    `colour`; or, `framed`, lettering of `colour` on a white tile in a frame of `colour`."""
    image, draw = canvas()
    if framed:
        draw.rounded_rectangle((0, 4, DRAW - 1, DRAW - 5), radius=24, fill="white",
                               outline=colour, width=12)
    else:
        draw.rounded_rectangle((0, 4, DRAW - 1, DRAW - 5), radius=24, fill=colour)
    image = scale_down(image)
    ink = tuple(colour) + (255,) if framed else (255, 255, 255, 255)
    glyphs = [letters[c] for c in text]
    width = sum(len(g[0]) for g in glyphs) + len(glyphs) - 1
    x, top = (SIZE - width) // 2, (SIZE - 7) // 2
    for glyph in glyphs:
        for dy, row in enumerate(glyph):
            for dx, cell in enumerate(row):
                if cell == "#":
                    image.putpixel((x + dx, top + dy), ink)
        x += len(glyph[0]) + 1
    return image


def question_badge():
    """A question mark in a blue disc (a mobile service's question)."""
    image, draw = canvas()
    draw.ellipse((4, 4, DRAW - 5, DRAW - 5), fill=(40, 110, 210))
    lettering(draw, (4, 4, DRAW - 5, DRAW - 5), "?", "white", 104)
    return image


def navigation_arrow():
    """A navigation pointer in a green disc."""
    image, draw = canvas()
    draw.ellipse((4, 4, DRAW - 5, DRAW - 5), fill=(30, 150, 90))
    draw.polygon([(94, 30), (36, 58), (62, 66), (70, 92)], fill="white")
    return image


def wave():
    """Two waves in a blue disc."""
    image, draw = canvas()
    draw.ellipse((4, 4, DRAW - 5, DRAW - 5), fill=(20, 120, 200))
    for y in (44, 76):
        points = []
        for i in range(0, 81, 4):
            phase = (i / 80) * 2 * math.pi
            points.append((24 + i, y + 10 * math.sin(phase)))
        draw.line(points, fill="white", width=14, joint="curve")
    return image


def film():
    """A strip of film with a play mark (a movie service)."""
    image, draw = canvas()
    draw.rounded_rectangle((8, 16, DRAW - 9, DRAW - 17), radius=10, fill=(50, 50, 60))
    for x in range(16, DRAW - 16, 24):
        draw.rectangle((x, 22, x + 12, 32), fill="white")
        draw.rectangle((x, DRAW - 33, x + 12, DRAW - 23), fill="white")
    draw.polygon([(50, 44), (50, 84), (84, 64)], fill=(255, 200, 40))
    return image


def envelope_with_c():
    """A letter with a C on it (the carrier's short message service)."""
    image, draw = canvas()
    draw.rectangle((4, 20, DRAW - 5, DRAW - 21), fill=(255, 255, 255), outline=(90, 90, 110),
                   width=8)
    draw.line([(8, 24), (64, 66), (DRAW - 9, 24)], fill=(90, 90, 110), width=8, joint="curve")
    draw.ellipse((60, 56, DRAW - 1, DRAW - 1), fill=(230, 80, 30))
    lettering(draw, (60, 56, DRAW - 1, DRAW - 1), "C", "white", 56)
    return image


def blank(width):
    """A blank space of `width` picture pixels, shown as a faint dotted outline so that it can
    be told apart from a missing picture."""
    image = Image.new("RGBA", (SIZE, SIZE))
    draw = ImageDraw.Draw(image)
    grey = (170, 170, 170, 255)
    left = (SIZE - width) // 2
    for i in range(0, SIZE, 2):
        draw.point([(left, i), (left + width - 1, i)], fill=grey)
    for i in range(left, left + width, 2):
        draw.point([(i, 0), (i, SIZE - 2)], fill=grey)
    return image


def lettered_disc(letter, colour):
    """A bold white letter in a disc of `colour` (a service's point mark)."""
    image, draw = canvas()
    draw.ellipse((4, 4, DRAW - 5, DRAW - 5), fill=colour)
    lettering(draw, (4, 4, DRAW - 5, DRAW - 5), letter, "white", 96)
    return image


def sky_tile():
    """The sky-blue rounded tile of SoftBank's Sky services."""
    image, draw = canvas()
    draw.rounded_rectangle((0, 0, DRAW - 1, DRAW - 1), radius=24, fill=(40, 150, 230))
    return image, draw


def sky_wave():
    """Two white waves on the sky tile."""
    image, draw = sky_tile()
    for y in (44, 84):
        points = [(16 + i, y + 12 * math.sin(i / 96 * 2 * math.pi)) for i in range(0, 97, 4)]
        draw.line(points, fill="white", width=16, joint="curve")
    return image


def sky_walker():
    """A white walking figure on the sky tile."""
    image, draw = sky_tile()
    draw.ellipse((54, 10, 80, 36), fill="white")  # head
    for limb in ([(64, 40), (56, 78)],                 # body
                 [(40, 66), (60, 46), (84, 62)],       # arms
                 [(30, 116), (56, 78), (86, 114)]):    # legs
        draw.line(limb, fill="white", width=16, joint="curve")
    return image


def sky_melody():
    """A white quaver on the sky tile."""
    image, draw = sky_tile()
    draw.ellipse((28, 80, 66, 110), fill="white")
    draw.rectangle((54, 18, 66, 96), fill="white")
    draw.polygon([(66, 18), (100, 44), (100, 64), (66, 40)], fill="white")
    return image


# The colours of docomo's marks, of its i-appli marks and of the free dial mark.
DOCOMO_RED = (205, 20, 50)
APPLI_ORANGE = (240, 120, 0)
FREE_DIAL_GREEN = (0, 150, 70)

AU_DRAWINGS = {
    "4": question_badge,
    "150": lambda: lettered_tile("PDC", (100, 100, 112), NARROW),
    "173": lambda: blank(16),
    "174": lambda: blank(8),
    "175": lambda: blank(4),
    "298": lambda: lettered_tile("EZ", (0, 110, 190), WIDE),
    "331": lambda: lettered_tile("EZ+", (0, 140, 100), NARROW),
    "406": navigation_arrow,
    "500": wave,
    "802": film,
    "815": envelope_with_c,
}

DOCOMO_DRAWINGS = {
    "108": lambda: lettered_tile("i", DOCOMO_RED, NARROW),                # i-mode
    "109": lambda: lettered_tile("i", DOCOMO_RED, NARROW, framed=True),   # i-mode, framed
    "111": lambda: lettered_tile("DCM", DOCOMO_RED, NARROW),              # provided by docomo
    "112": lambda: lettered_disc("P", DOCOMO_RED),                        # docomo point
    "122": lambda: lettered_tile("FREE", FREE_DIAL_GREEN, NARROW),        # free dial
    "124": question_badge,                                                # MobileQ, as au's
    "1001": lambda: lettered_tile("ia", APPLI_ORANGE, NARROW | ALPHA),    # i-appli
    "1002": lambda: lettered_tile("ia", APPLI_ORANGE, NARROW | ALPHA, framed=True),
}

SOFTBANK_DRAWINGS = {
    "197": DOCOMO_DRAWINGS["122"],  # free dial
    "264": sky_wave,
    "265": sky_walker,
    "266": sky_melody,
    "433": lambda: lettered_tile("109", (40, 40, 48), NARROW),  # the Shibuya store's mark
}


# ---- Scaling down and writing GIFs --------------------------------------------------------------


def scale_down(image):
    """`image` (square RGBA) at SIZE x SIZE; Pillow resamples premultiplied, so transparent
    pixels do not darken the edges."""
    if image.size == (SIZE, SIZE):
        return image
    return image.resize((SIZE, SIZE), Image.Resampling.LANCZOS)


def harden(picture):
    """`picture` with every pixel either drawn, fully opaque in its own colour (coverage at
    least ALPHA_THRESHOLD), or fully transparent: GIF has nothing in between."""
    pixels = [p[:3] + (255,) if p[3] >= ALPHA_THRESHOLD else (0, 0, 0, 0)
              for p in picture.getdata()]
    hard = Image.new("RGBA", picture.size)
    hard.putdata(pixels)
    return hard


def outline_light_edges(picture):
    """Darkens the light pixels at the rim of the drawn shape (those next to transparency or
    the picture's border), so that pale pictures such as clouds, paper and white squares keep
    a visible outline on a white page. Colours stay recognisable; dark rims are left alone."""
    source = picture.load()
    result = picture.copy()
    target = result.load()
    width, height = picture.size

    def transparent(x, y):
        return not (0 <= x < width and 0 <= y < height) or source[x, y][3] == 0

    for y in range(height):
        for x in range(width):
            r, g, b, a = source[x, y]
            if a == 0 or 0.299 * r + 0.587 * g + 0.114 * b < EDGE_LIGHTNESS:
                continue
            if any(transparent(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))):
                target[x, y] = (round(r * EDGE_DARKENING), round(g * EDGE_DARKENING),
                                round(b * EDGE_DARKENING), 255)
    return result


def gif_bytes(picture):
    """`picture` (SIZE x SIZE RGBA, every pixel opaque or transparent) as a GIF89a whose last
    palette index is transparent. At most 255 colours fit beside the transparent one; more are
    reduced by median cut."""
    pixels = list(picture.getdata())
    drawn = [p[3] != 0 for p in pixels]
    colours = [p[:3] for p, d in zip(pixels, drawn) if d]
    palette = sorted(set(colours))
    if len(palette) > 255:
        strip = Image.new("RGB", (len(colours), 1))
        strip.putdata(colours)
        reduced = strip.quantize(255, method=Image.Quantize.MEDIANCUT,
                                 dither=Image.Dither.NONE)
        flat = reduced.getpalette()[: 3 * 255]
        palette = [tuple(flat[i: i + 3]) for i in range(0, len(flat), 3)]
        indices = iter(reduced.getdata())
    else:
        position = {c: i for i, c in enumerate(palette)}
        indices = iter(position[c] for c in colours)
    transparent = len(palette)
    image = Image.new("P", (SIZE, SIZE))
    image.putpalette([v for c in palette for v in c] + [255, 255, 255])
    image.putdata([next(indices) if d else transparent for d in drawn])
    out = io.BytesIO()
    image.save(out, "GIF", transparency=transparent, optimize=False, interlace=False)
    data = out.getvalue()
    assert data[:6] == b"GIF89a", "Pillow wrote no GIF89a"
    return data


def picture_for(carrier, row, font):
    own = carrier.drawings.get(row["number"])
    if own:
        return scale_down(own())
    assert row["unicode"], f"pictograph {row['number']} has neither a Unicode code nor a drawing"
    return scale_down(font.render(unicode_text(row["unicode"])))


def write_pictures():
    font = EmojiFont()
    for old in OUT.glob("*.gif"):
        old.unlink()
    for carrier in CARRIERS:
        for row in carrier.rows:
            picture = outline_light_edges(harden(picture_for(carrier, row, font)))
            (OUT / f"{carrier.cache_name(row)}.gif").write_bytes(gif_bytes(picture))


# ---- Resource script ---------------------------------------------------------------------------


def write_script():
    lines = ["// Emoji pictures and code tables. Generated by tools/make_emoji_resources.py;",
             "// do not edit."]
    for carrier in CARRIERS:
        lines += [f'EMOJI{name} GIF "emoji/{name}.gif"'
                  for name in map(carrier.cache_name, carrier.rows)]
    lines += [f'{name} TEXT "emoji/{name}.csv"' for c in CARRIERS for name in c.tables]
    SCRIPT.write_text("\n".join(lines) + "\n", encoding="ascii")


# The carriers, and how each one's data is read and checked. au's 7-bit table is keyed by what
# 7-bit JIS mail becomes after the JIS to Shift_JIS arithmetic, its 8-bit table by the carrier's
# own codes; docomo and SoftBank have one table each, keyed by their own Shift_JIS codes.
CARRIERS = [
    Carrier("au-emoji.tsv", "", {"EMOJI_7BIT": "sjis_mail", "EMOJI_8BIT": "sjis"},
            AU_DRAWINGS, read_au),
    Carrier("docomo-emoji.tsv", "d", {"EMOJI_DOCOMO": "sjis"}, DOCOMO_DRAWINGS, read_docomo),
    Carrier("softbank-emoji.tsv", "s", {"EMOJI_SOFTBANK": "sjis"}, SOFTBANK_DRAWINGS,
            read_softbank),
]


def main():
    for carrier in CARRIERS:
        carrier.rows = carrier.read(carrier)
        assert not set(carrier.drawings) - {r["number"] for r in carrier.rows}, carrier.data
    names = [n.lower() for c in CARRIERS for n in map(c.cache_name, c.rows)]
    assert len(set(names)) == len(names), "two pictographs share a cache name"
    OUT.mkdir(parents=True, exist_ok=True)
    write_tables()
    write_pictures()
    write_script()


if __name__ == "__main__":
    main()
