#!/usr/bin/python3
"""Writes the emoji resources of the plug-in from data/au-emoji.tsv:

  resources/emoji/EMOJI_7BIT.csv, EMOJI_8BIT.csv   the two code tables (Shift_JIS, CR LF rows,
                                                   "number,name,code")
  resources/emoji/<number>.gif                     one 16 x 16 GIF89a picture per pictograph,
                                                   with a transparent background
  resources/emoji.rc                               the resource script naming all of them

The pictures come from Noto Color Emoji (Debian: fonts-noto-color-emoji) through the data's
Unicode column; the pictographs without a Unicode equivalent, and the three blanks, get simple
drawings of our own (plain shapes, pixel letters, and single characters in DejaVu Sans Bold,
Debian: fonts-dejavu-core). Needs Pillow
with its raqm layout engine (Debian: python3-pil, libraqm0) for keycaps and flags. The outputs
are committed, so that a build needs neither Python nor Pillow.

  /usr/bin/python3 tools/make_emoji_resources.py
"""
import io
import math
import pathlib

from PIL import Image, ImageDraw, ImageFont, features

ROOT = pathlib.Path(__file__).resolve().parent.parent
DATA = ROOT / "data" / "au-emoji.tsv"
OUT = ROOT / "resources" / "emoji"
SCRIPT = ROOT / "resources" / "emoji.rc"

# Table name -> data column holding its code. The 7-bit table is keyed by what 7-bit JIS mail
# becomes after the JIS to Shift_JIS arithmetic, the 8-bit table by the carrier's own codes.
TABLES = {"EMOJI_7BIT": "sjis_mail", "EMOJI_8BIT": "sjis"}

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


def read_rows():
    """The data rows as dicts keyed by the header's column names, checked for the rules the
    plug-in relies on: ascending numbers, names that fit a CSV field, unique 4-digit codes."""
    lines = [l for l in DATA.read_text(encoding="utf-8").splitlines() if l and l[0] != "#"]
    header = lines[0].split("\t")
    rows = [dict(zip(header, l.split("\t"))) for l in lines[1:]]
    numbers = [int(r["number"]) for r in rows]
    assert numbers == list(range(1, 519)) + list(range(700, 823)), "unexpected numbers"
    for r in rows:
        name = r["name_ja"].encode("shift_jis")
        assert 2 <= len(name) <= 36 and not any(b <= 0x20 or b == 0x2C for b in name), r
    for column in TABLES.values():
        codes = [r[column] for r in rows]
        assert len(set(codes)) == len(codes), column
        assert all(len(c) == 4 and c == c.upper() and int(c, 16) >= 0 for c in codes), column
    return rows


# ---- Tables ------------------------------------------------------------------------------


def table_bytes(rows, column):
    """One table: "number,name,code" CR LF per row, in Shift_JIS."""
    text = "".join(f"{r['number']},{r['name_ja']},{r[column]}\r\n" for r in rows)
    return text.encode("shift_jis")


def write_tables(rows):
    for name, column in TABLES.items():
        (OUT / f"{name}.csv").write_bytes(table_bytes(rows, column))


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
}


def lettered_tile(text, colour, letters):
    """White pixel lettering, one blank column between letters, centred on a rounded tile of
    `colour`."""
    image, draw = canvas()
    draw.rounded_rectangle((0, 4, DRAW - 1, DRAW - 5), radius=24, fill=colour)
    image = scale_down(image)
    glyphs = [letters[c] for c in text]
    width = sum(len(g[0]) for g in glyphs) + len(glyphs) - 1
    x, top = (SIZE - width) // 2, (SIZE - 7) // 2
    for glyph in glyphs:
        for dy, row in enumerate(glyph):
            for dx, cell in enumerate(row):
                if cell == "#":
                    image.putpixel((x + dx, top + dy), (255, 255, 255, 255))
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


OWN_DRAWINGS = {
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


def picture_for(row, font):
    own = OWN_DRAWINGS.get(row["number"])
    if own:
        return scale_down(own())
    assert row["unicode"], f"pictograph {row['number']} has neither a Unicode code nor a drawing"
    return scale_down(font.render(unicode_text(row["unicode"])))


def write_pictures(rows):
    font = EmojiFont()
    for old in OUT.glob("*.gif"):
        old.unlink()
    for row in rows:
        picture = outline_light_edges(harden(picture_for(row, font)))
        (OUT / f"{row['number']}.gif").write_bytes(gif_bytes(picture))


# ---- Resource script ---------------------------------------------------------------------------


def write_script(rows):
    lines = ["// Emoji pictures and code tables. Generated by tools/make_emoji_resources.py;",
             "// do not edit."]
    lines += [f'EMOJI{r["number"]} GIF "emoji/{r["number"]}.gif"' for r in rows]
    lines += [f'{name} TEXT "emoji/{name}.csv"' for name in TABLES]
    SCRIPT.write_text("\n".join(lines) + "\n", encoding="ascii")


def main():
    rows = read_rows()
    OUT.mkdir(parents=True, exist_ok=True)
    write_tables(rows)
    write_pictures(rows)
    write_script(rows)


if __name__ == "__main__":
    main()
