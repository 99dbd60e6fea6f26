#!/usr/bin/python3
"""Draws the program's pictures and icon into res/pictures: run it after changing a picture.

Needs Pillow (python3-pil) and the Tahoma faces of fonts-wine.
"""
import struct
from pathlib import Path

from PIL import Image, ImageDraw, ImageFont

OUT = Path(__file__).resolve().parent / "pictures"
FONTS = Path("/usr/share/wine/fonts")


# Text is drawn three times larger and scaled down: Tahoma's hinting at small sizes spaces letters unevenly.
SCALE = 3


def font(size, bold=False):
    return ImageFont.truetype(str(FONTS / ("tahomabd.ttf" if bold else "tahoma.ttf")), size * SCALE)


def text(image, xy, line, face, fill, anchor="la"):
    left, top, right, bottom = face.getbbox(line, anchor=anchor)
    mask = Image.new("L", (right - left + SCALE, bottom - top + SCALE), 0)
    ImageDraw.Draw(mask).text((-left, -top), line, font=face, fill=255, anchor=anchor)
    mask = mask.resize((-(-mask.width // SCALE), -(-mask.height // SCALE)), Image.LANCZOS)
    image.paste(Image.new("RGB", mask.size, fill), (round(xy[0] + left / SCALE), round(xy[1] + top / SCALE)), mask)


def gradient(size, top, bottom):
    width, height = size
    image = Image.new("RGB", size)
    draw = ImageDraw.Draw(image)
    for y in range(height):
        t = y / max(1, height - 1)
        colour = tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))
        draw.line([(0, y), (width, y)], fill=colour)
    return image


def wrap(line, face, width):
    """Splits a paragraph into lines no wider than width pixels."""
    lines = []
    current = ""
    for word in line.split(" "):
        candidate = f"{current} {word}".strip()
        if face.getlength(candidate) <= width * SCALE:
            current = candidate
        else:
            lines.append(current)
            current = word
    return lines + [current]


def paragraph(image, xy, words, face, width, fill, spacing=2):
    """Draws wrapped text and gives the y below it."""
    x, y = xy
    height = face.getbbox("Ag")[3] // SCALE
    for line in wrap(words, face, width):
        text(image, (x, y), line, face, fill)
        y += height + spacing
    return y


def sheet(draw, x, y, fill, outline):
    """A page of a text file with a folded corner."""
    draw.polygon([(x, y), (x + 22, y), (x + 30, y + 8), (x + 30, y + 38), (x, y + 38)], fill=fill, outline=outline)
    draw.line([(x + 22, y), (x + 22, y + 8), (x + 30, y + 8)], fill=outline)
    for row in range(4):
        draw.line([(x + 5, y + 14 + row * 6), (x + 25, y + 14 + row * 6)], fill=outline)


def error_picture():
    """Bitmap 166, the error dialog's left column: a warning sign over game files coming back."""
    image = gradient((120, 150), (122, 28, 24), (40, 10, 12))
    draw = ImageDraw.Draw(image)
    draw.polygon([(60, 10), (100, 78), (20, 78)], fill=(250, 204, 40), outline=(60, 40, 0))
    draw.rectangle([56, 30, 64, 58], fill=(30, 20, 0))
    draw.rectangle([56, 64, 64, 72], fill=(30, 20, 0))
    sheet(draw, 14, 90, (235, 235, 225), (90, 90, 90))
    sheet(draw, 76, 90, (235, 235, 225), (90, 90, 90))
    # The arrow from the backup copy back to the game file.
    draw.arc([34, 84, 86, 122], 200, 340, fill=(130, 220, 130), width=3)
    draw.polygon([(38, 99), (48, 94), (40, 88)], fill=(130, 220, 130))
    text(image, (60, 139), "Files put back", font(11, True), (255, 255, 255), "mm")
    return image


def about_picture():
    """Bitmap 171, the About dialog."""
    image = gradient((320, 240), (24, 44, 88), (214, 122, 60))
    draw = ImageDraw.Draw(image)
    # A ridge at dusk, in front of the setting sun.
    draw.ellipse([250, 166, 284, 200], fill=(255, 214, 120))
    draw.polygon([(0, 204), (60, 180), (120, 194), (190, 172), (250, 188), (320, 176), (320, 240), (0, 240)],
                 fill=(30, 26, 34))
    text(image, (160, 30), "KX VUZ Odezodure", font(26, True), (255, 255, 255), "mm")
    text(image, (160, 56), "Mission installer for Korvex", font(13), (230, 236, 255), "mm")
    text(image, (160, 74), "Version 1.0", font(11), (200, 210, 240), "mm")
    y = paragraph(image, (24, 94),
                  "Registers your mission in the game's mission list, mission names, intel, victory "
                  "conditions and material effects. Every file it edits is copied to data\\Backup first "
                  "and put back if anything goes wrong.",
                  font(11), 272, (255, 255, 255))
    paragraph(image, (24, y + 6), "Questions: see the README that came with this program.", font(11, True), 272,
              (255, 240, 200))
    text(image, (160, 226), "Pictures, icon and sample game made by the KXVuzOdezodure project.", font(9),
         (200, 190, 200), "mm")
    return image


def more_information_picture():
    """Bitmap 172, the More Information dialog: the only place that explains the error dialog."""
    image = Image.new("RGB", (279, 191), (255, 255, 240))
    ImageDraw.Draw(image).rectangle([0, 0, 278, 22], fill=(122, 28, 24))
    text(image, (8, 11), "What happened?", font(13, True), (255, 255, 255), "lm")
    body = font(11)
    ink = (20, 20, 20)
    y = paragraph(image, (8, 28),
                  "The installation stopped before your mission was registered: a game file could not "
                  "be read or written, or you pressed Cancel. The error window says which.",
                  body, 263, ink)
    text(image, (8, y + 4), "Your game is safe.", font(11, True), (0, 110, 0))
    y = paragraph(image, (8, y + 20),
                  "Before changing anything, the installer copied each file it edits into data\\Backup "
                  "in the game folder. Every file it had changed has been put back from those copies, "
                  "so Korvex is just as it was before.",
                  body, 263, ink)
    paragraph(image, (8, y + 4),
              "kxinstall.log, next to this program, lists each step. Fix what the message names and "
              "install again.",
              body, 263, (60, 60, 60))
    return image


def flag(draw, x, y, scale=1.0):
    """A mission flag on its pole, its foot at (x, y)."""
    s = scale
    draw.line([(x, y), (x, y - 40 * s)], fill=(30, 30, 30), width=max(1, round(2 * s)))
    draw.polygon([(x + 1, y - 40 * s), (x + 26 * s, y - 33 * s), (x + 1, y - 25 * s)], fill=(200, 40, 32),
                 outline=(110, 20, 16))


def folder(draw, x, y, width, height, fill, outline):
    """A file folder with its tab, its top left corner at (x, y)."""
    draw.polygon([(x, y + 6), (x, y), (x + width // 3, y), (x + width // 3 + 6, y + 6)], fill=fill, outline=outline)
    draw.rectangle([x, y + 6, x + width, y + height], fill=fill, outline=outline)


def installer_picture():
    """Bitmap 153, the main dialog: a night map of the mission area with the new mission's flag."""
    image = gradient((320, 240), (14, 30, 60), (46, 84, 70))
    draw = ImageDraw.Draw(image)
    # The map grid and its contour lines.
    for x in range(0, 320, 32):
        draw.line([(x, 112), (x, 240)], fill=(70, 110, 90))
    for y in range(112, 240, 32):
        draw.line([(0, y), (320, y)], fill=(70, 110, 90))
    for ring in range(4):
        draw.ellipse([196 + 11 * ring, 134 + 7 * ring, 286 - 11 * ring, 194 - 7 * ring], outline=(150, 190, 120))
    # The route from the landing point to the objective.
    route = [(26, 222), (70, 200), (104, 208), (150, 180), (196, 176), (238, 160)]
    for start, end in zip(route, route[1:]):
        draw.line([start, end], fill=(250, 220, 120), width=2)
    for x, y in route[:-1]:
        draw.ellipse([x - 2, y - 2, x + 2, y + 2], fill=(250, 220, 120))
    flag(draw, 240, 162, 1.2)
    text(image, (160, 30), "KX VUZ Odezodure", font(26, True), (255, 255, 255), "mm")
    text(image, (160, 56), "Mission installer for Korvex", font(13), (220, 232, 255), "mm")
    paragraph(image, (16, 74), "Options... sets the game folder and the mission; Start Installation puts it "
              "into the game.", font(11), 288, (200, 214, 240))
    return image


def options_picture():
    """Bitmap 152, the Options dialog: the game folder that holds Korvex.exe."""
    image = gradient((173, 130), (236, 240, 248), (188, 200, 222))
    draw = ImageDraw.Draw(image)
    folder(draw, 14, 18, 88, 62, (246, 206, 100), (130, 96, 20))
    # The game executable inside the folder.
    draw.rectangle([60, 38, 118, 96], fill=(40, 52, 84), outline=(10, 16, 30))
    draw.rectangle([60, 38, 118, 46], fill=(80, 110, 170))
    flag(draw, 78, 90, 0.9)
    text(image, (89, 104), "Korvex.exe", font(11, True), (20, 30, 60), "mt")
    text(image, (86, 120), "Where is the game?", font(9), (60, 70, 100), "mm")
    return image


def confirm_picture():
    """Bitmap 156, the Confirm Options dialog: the mission on its way into the game folder."""
    image = gradient((313, 110), (26, 44, 88), (70, 110, 150))
    draw = ImageDraw.Draw(image)
    sheet(draw, 30, 30, (235, 235, 225), (90, 90, 90))
    text(image, (45, 76), "Mission", font(10), (230, 236, 255), "mt")
    draw.line([(76, 49), (222, 49)], fill=(250, 220, 120), width=3)
    draw.polygon([(222, 41), (236, 49), (222, 57)], fill=(250, 220, 120))
    text(image, (150, 36), "ready to install", font(11, True), (255, 255, 255), "mm")
    folder(draw, 244, 28, 48, 38, (246, 206, 100), (130, 96, 20))
    text(image, (268, 76), "Korvex", font(10), (230, 236, 255), "mt")
    text(image, (156, 98), "Every file it edits is backed up first.", font(10), (210, 220, 240), "mm")
    return image


# The standard 16-colour palette of Windows icons.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255),
    (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_RED, DARK_BLUE, SILVER, GREY, RED, YELLOW = 0, 1, 4, 7, 8, 9, 11


def icon_image(size):
    """A mission flag on a map sheet, in palette indices; index 255 marks transparent pixels."""
    s = size / 32
    image = Image.new("P", (size, size), 255)
    draw = ImageDraw.Draw(image)
    draw.rectangle([round(2 * s), round(6 * s), round(29 * s), round(29 * s)], fill=SILVER, outline=BLACK)
    for x in (10, 19):
        draw.line([(round(x * s), round(6 * s)), (round(x * s), round(29 * s))], fill=GREY)
    draw.line([(round(4 * s), round(24 * s)), (round(12 * s), round(18 * s)), (round(20 * s), round(22 * s)),
               (round(27 * s), round(14 * s))], fill=DARK_BLUE, width=max(1, round(s)))
    draw.line([(round(14 * s), round(1 * s)), (round(14 * s), round(22 * s))], fill=BLACK, width=max(1, round(s)))
    draw.polygon([(round(15 * s), round(1 * s)), (round(28 * s), round(5 * s)), (round(15 * s), round(10 * s))],
                 fill=RED, outline=DARK_RED)
    draw.ellipse([round(12 * s), round(20 * s), round(16 * s), round(24 * s)], fill=YELLOW, outline=BLACK)
    return image


def icon_entry(image):
    """One 4-bit image of an .ico file: header, palette, colour rows and transparency mask, bottom-up."""
    size = image.width
    pixels = image.load()
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    colour_rows = b""
    mask_rows = b""
    for y in reversed(range(size)):
        row = [pixels[x, y] for x in range(size)]
        nibbles = [0 if p == 255 else p for p in row]
        colour = bytes((nibbles[x] << 4) | nibbles[x + 1] for x in range(0, size, 2))
        colour_rows += colour + b"\0" * (-len(colour) % 4)
        bits = 0
        mask = bytearray()
        for x, p in enumerate(row):
            bits = (bits << 1) | (p == 255)
            if x % 8 == 7:
                mask.append(bits)
                bits = 0
        mask_rows += bytes(mask) + b"\0" * (-len(mask) % 4)
    return header + palette + colour_rows + mask_rows


def write_icon(path, sizes):
    entries = [icon_entry(icon_image(size)) for size in sizes]
    data = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for size, entry in zip(sizes, entries):
        data += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(entry), offset)
        offset += len(entry)
    path.write_bytes(data + b"".join(entries))


def main():
    OUT.mkdir(exist_ok=True)
    error_picture().save(OUT / "error.bmp")
    about_picture().save(OUT / "about.bmp")
    more_information_picture().save(OUT / "more-information.bmp")
    installer_picture().save(OUT / "installer.bmp")
    options_picture().save(OUT / "options.bmp")
    confirm_picture().save(OUT / "confirm.bmp")
    write_icon(OUT / "KXVuzOdezodure.ico", [32, 16])


if __name__ == "__main__":
    main()
