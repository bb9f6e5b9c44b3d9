#!/usr/bin/python3
"""Contact sheets of the emoji pictures in resources/emoji, for looking them over:

  sheet-100.png       all pictures at their own size, on a white and on a dark background
  sheet-400-<n>.png   128 pictures a page at four times their size, on a checkerboard (so that
                      transparent pixels show), each with its number

  /usr/bin/python3 tools/make_emoji_contact_sheet.py OUTPUT_FOLDER
"""
import pathlib
import sys

from PIL import Image, ImageDraw, ImageFont

ROOT = pathlib.Path(__file__).resolve().parent.parent
PICTURES = ROOT / "resources" / "emoji"
LABEL_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"


def pictures():
    files = sorted(PICTURES.glob("*.gif"), key=lambda p: int(p.stem))
    return [(int(p.stem), Image.open(p).convert("RGBA")) for p in files]


def sheet_100(items, columns=32, gap=4):
    size = max(image.width for _, image in items) + gap
    rows = (len(items) + columns - 1) // columns
    panel = (columns * size + gap, rows * size + gap)
    sheet = Image.new("RGBA", (panel[0] * 2, panel[1]), (255, 255, 255, 255))
    sheet.paste((40, 40, 48, 255), (panel[0], 0, panel[0] * 2, panel[1]))
    for i, (_, image) in enumerate(items):
        x, y = gap + (i % columns) * size, gap + (i // columns) * size
        sheet.alpha_composite(image, (x, y))
        sheet.alpha_composite(image, (panel[0] + x, y))
    return sheet


def checkerboard(width, height, cell=8):
    board = Image.new("RGBA", (width, height), (255, 255, 255, 255))
    draw = ImageDraw.Draw(board)
    for y in range(0, height, cell):
        for x in range((y // cell) % 2 * cell, width, 2 * cell):
            draw.rectangle((x, y, x + cell - 1, y + cell - 1), fill=(225, 225, 230, 255))
    return board


def sheet_400(items, columns=16, zoom=4, gap=8, label=14):
    font = ImageFont.truetype(LABEL_FONT, 11)
    side = 16 * zoom
    cell = (side + gap, side + gap + label)
    rows = (len(items) + columns - 1) // columns
    sheet = Image.new("RGBA", (columns * cell[0] + gap, rows * cell[1] + gap), (255,) * 4)
    draw = ImageDraw.Draw(sheet)
    for i, (number, image) in enumerate(items):
        x, y = gap + (i % columns) * cell[0], gap + (i // columns) * cell[1]
        big = image.resize((image.width * zoom, image.height * zoom), Image.Resampling.NEAREST)
        tile = checkerboard(side, side)
        tile.alpha_composite(big)
        sheet.alpha_composite(tile, (x, y + label))
        draw.text((x, y), str(number), font=font, fill=(0, 0, 0, 255))
    return sheet


def main():
    out = pathlib.Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    items = pictures()
    sheet_100(items).save(out / "sheet-100.png")
    for page, start in enumerate(range(0, len(items), 128), 1):
        sheet_400(items[start: start + 128]).save(out / f"sheet-400-{page}.png")


if __name__ == "__main__":
    main()
