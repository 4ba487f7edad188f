#!/usr/bin/env python3
"""Draws the program's pictures with the standard library only, so they can be redrawn:

  icon_128.ico    the application icon: a phone handset, 64, 48, 32, 24 and 16 pixels square,
                  16 colours, so that every scale finds its size
  bitmap_132.bmp  the wordmark "ZARNETH", 97x26, 256 colours
  icon_16.png ... icon_256.png  the same icon for desktop menus and software centres
                  (hicolor theme, 16, 32, 48, 64, 128 and 256 pixels)
  icon.svg        the same design as shapes, for every other size (hicolor scalable)
  bitmap_133.bmp  a phone handset for the form's left side, 71x180, 256 colours; its corner
                  colour is the key that the dialog draws transparent
  bitmap_13x@2x.bmp, bitmap_13x@1.5x.bmp  both bitmaps drawn again at twice and one and a
                  half times the size, for screens scaled to 200 % and 150 % (144 dpi)
  installer_side.bmp    the Windows installer's welcome and finish pages, 164x314: the
                  wordmark above the handset
  installer_header.bmp  the Windows installer's other pages, 150x57: the wordmark

Run: python3 resources/draw_pictures.py  (writes into resources/pictures/)
"""
import os
import struct
import zlib

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "pictures")

# The 16 colours of the classic VGA palette, used for the icon and as the first 16 entries
# of the 256-colour bitmaps.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER, GREY, RED, LIME, YELLOW, BLUE, \
    MAGENTA, CYAN, WHITE = range(16)

# 5x7 capitals for the wordmark, one string per row.
FONT = {
    "Z": ["11111", "00001", "00010", "00100", "01000", "10000", "11111"],
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "H": ["10001", "10001", "10001", "11111", "10001", "10001", "10001"],
}


class Canvas:
    def __init__(self, width, height, fill):
        self.width, self.height = width, height
        self.pixels = [[fill] * width for _ in range(height)]

    def set(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, colour)

    def round_rect(self, x0, y0, x1, y1, radius, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                dx = max(x0 + radius - x, 0, x - (x1 - radius))
                dy = max(y0 + radius - y, 0, y - (y1 - radius))
                if dx * dx + dy * dy <= radius * radius:
                    self.set(x, y, colour)

    def text(self, x, y, word, scale, colour):
        for letter in word:
            for row, bits in enumerate(FONT[letter]):
                for col, bit in enumerate(bits):
                    if bit == "1":
                        self.rect(x + col * scale, y + row * scale,
                                  x + col * scale + scale - 1, y + row * scale + scale - 1, colour)
            x += 6 * scale


def handset(width, height, detail):
    """A candy-bar phone filling the canvas: body, earpiece, screen, keypad."""
    c = Canvas(width, height, MAGENTA)
    margin = max(1, width // 16)
    radius = max(2, width // 6)
    c.round_rect(margin, 0, width - 1 - margin, height - 1, radius, BLACK)
    c.round_rect(margin + 1, 1, width - 2 - margin, height - 2, radius - 1, NAVY)
    inner_left, inner_right = margin + max(2, width // 8), width - 1 - margin - max(2, width // 8)
    top = max(2, height // 14)
    # Earpiece slot.
    c.rect(width // 2 - width // 8, top, width // 2 + width // 8 - 1, top + max(0, height // 90),
           GREY)
    # Screen with two lines of "text".
    screen_top = top + max(2, height // 18)
    screen_bottom = screen_top + height // 4
    c.rect(inner_left, screen_top, inner_right, screen_bottom, BLACK)
    c.rect(inner_left + 1, screen_top + 1, inner_right - 1, screen_bottom - 1, LIME if detail else GREEN)
    if detail:
        for i, line_y in enumerate(range(screen_top + 4, screen_bottom - 3, 5)):
            c.rect(inner_left + 4, line_y, inner_right - 4 - (i % 2) * 8, line_y + 1, GREEN)
    # Keypad: 3 columns, 4 rows, below the screen.
    pad_top = screen_bottom + max(2, height // 12)
    pad_bottom = height - 1 - max(2, height // 14)
    key_w = (inner_right - inner_left + 1) // 3
    key_h = (pad_bottom - pad_top + 1) // 4
    for row in range(4):
        for col in range(3):
            x0 = inner_left + col * key_w + (1 if key_w > 3 else 0)
            y0 = pad_top + row * key_h + (1 if key_h > 3 else 0)
            x1 = inner_left + (col + 1) * key_w - 1 - (1 if key_w > 3 else 0)
            y1 = pad_top + (row + 1) * key_h - 1 - (1 if key_h > 3 else 0)
            if detail:
                c.round_rect(x0, y0, x1, y1, min(3, (x1 - x0) // 2), SILVER)
                c.rect(x0 + 1, y1, x1 - 1, y1, GREY)
            else:
                c.rect(x0, y0, x1, y1, SILVER)
    return c


def icon_shapes(size):
    """The icon as shapes on a square of `size` pixels: (x0, y0, x1, y1, corner radius,
    colour), inclusive corners, drawn in order. The raster icons and the SVG are drawn from
    the same list, so every size shows the same handset."""
    if size <= 16:
        return small_icon_shapes(size)
    width, height = size * 5 // 8, size
    left = (size - width) // 2
    margin, radius = max(1, width // 16), max(2, width // 6)
    inner_left = left + margin + max(2, width // 8)
    inner_right = left + width - 1 - margin - max(2, width // 8)
    top = max(2, height // 14)
    screen_top = top + max(2, height // 18)
    screen_bottom = screen_top + height // 4
    pad_top = screen_bottom + max(2, height // 12)
    pad_bottom = height - 1 - max(2, height // 14)
    key_w = (inner_right - inner_left + 1) // 3
    key_h = (pad_bottom - pad_top + 1) // 4
    shapes = [(left + margin, 0, left + width - 1 - margin, height - 1, radius, BLACK),
              (left + margin + 1, 1, left + width - 2 - margin, height - 2, radius - 1, NAVY),
              (size // 2 - width // 8, top, size // 2 + width // 8 - 1,
               top + max(0, height // 90), 0, GREY),
              (inner_left, screen_top, inner_right, screen_bottom, 0, BLACK),
              (inner_left + 1, screen_top + 1, inner_right - 1, screen_bottom - 1, 0, GREEN)]
    for row in range(4):
        for col in range(3):
            inset_x, inset_y = (1 if key_w > 3 else 0), (1 if key_h > 3 else 0)
            shapes.append((inner_left + col * key_w + inset_x, pad_top + row * key_h + inset_y,
                           inner_left + (col + 1) * key_w - 1 - inset_x,
                           pad_top + (row + 1) * key_h - 1 - inset_y, 0, SILVER))
    return shapes


def small_icon_shapes(size):
    """The handset drawn for 16 pixels: a filled body with a thin edge, a wide screen and
    the keypad as three rows of three keys, each a pixel apart, so that it reads as a phone
    and not as a frame."""
    width = size * 5 // 8
    left = (size - width) // 2
    right = left + width - 1
    shapes = [(left, 0, right, size - 1, 2, BLACK),
              (left + 1, 1, right - 1, size - 2, 1, NAVY),
              (left + width // 2 - 1, 1, left + width // 2, 1, 0, GREY),
              (left + 2, 3, right - 2, 6, 0, GREEN)]
    for row in range(3):
        for col in range(3):
            x = left + 2 + col * 2
            y = 9 + row * 2
            shapes.append((x, y, x, y, 0, SILVER))
    return shapes


def icon_svg():
    """The 256-pixel icon's shapes as SVG, in the icon's colours."""
    def rect(x0, y0, x1, y1, r, index):
        return ('<rect x="%d" y="%d" width="%d" height="%d" rx="%d" fill="#%02x%02x%02x"/>'
                % ((x0, y0, x1 - x0 + 1, y1 - y0 + 1, r) + tuple(VGA[index])))

    return ('<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" '
            'viewBox="0 0 256 256">\n  ' +
            "\n  ".join(rect(*shape) for shape in icon_shapes(256)) + "\n</svg>\n")


def icon(size):
    """The handset, upright, in the middle of a square icon."""
    c = Canvas(size, size, MAGENTA)
    for x0, y0, x1, y1, radius, colour in icon_shapes(size):
        if radius:
            c.round_rect(x0, y0, x1, y1, radius, colour)
        else:
            c.rect(x0, y0, x1, y1, colour)
    return c


def palette_256():
    colours = list(VGA)
    # A ramp of blues and greys for the wordmark's shading; the rest stays black.
    colours += [(10 + i * 5, 40 + i * 5, 90 + i * 5) for i in range(32)]
    colours += [(i * 8, i * 8, i * 8) for i in range(32)]
    return colours + [(0, 0, 0)] * (256 - len(colours))


def write_bmp8(path, canvas, colours):
    row_size = (canvas.width + 3) & ~3
    image = bytearray()
    for y in range(canvas.height - 1, -1, -1):
        row = bytes(canvas.pixels[y])
        image += row + b"\0" * (row_size - canvas.width)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, 8, 0, len(image),
                       2835, 2835, 256, 0)
    with open(path, "wb") as out:
        out.write(header + info + palette + bytes(image))


def icon_image(canvas, transparent):
    xor_row = ((canvas.width * 4 + 31) // 32) * 4
    and_row = ((canvas.width + 31) // 32) * 4
    xor, mask = bytearray(), bytearray()
    for y in range(canvas.height - 1, -1, -1):
        row = canvas.pixels[y]
        packed = bytearray()
        for x in range(0, canvas.width, 2):
            hi = 0 if row[x] == transparent else row[x]
            lo = 0 if x + 1 >= canvas.width or row[x + 1] == transparent else row[x + 1]
            packed.append((hi << 4) | lo)
        xor += packed + b"\0" * (xor_row - len(packed))
        bits = bytearray(and_row)
        for x in range(canvas.width):
            if row[x] == transparent:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in VGA)
    info = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height * 2, 1, 4, 0,
                       len(xor) + len(mask), 0, 0, 16, 0)
    return info + palette + bytes(xor) + bytes(mask)


def write_ico(path, canvases, transparent):
    images = [icon_image(c, transparent) for c in canvases]
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for canvas, image in zip(canvases, images):
        entries += struct.pack("<BBBBHHII", canvas.width, canvas.height, 16, 0, 1, 4, len(image),
                               offset)
        offset += len(image)
    with open(path, "wb") as out:
        out.write(header + entries + b"".join(images))


def write_png(path, canvas, transparent):
    """An RGBA PNG of the canvas, the `transparent` colour fully transparent."""
    raw = bytearray()
    for row in canvas.pixels:
        raw.append(0)
        for index in row:
            r, g, b = VGA[index]
            raw += bytes((r, g, b, 0 if index == transparent else 255))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", canvas.width, canvas.height, 8, 6, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                  chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def wordmark(scale=1.0):
    """97x26 at scale 1; drawn anew, not enlarged, at the others."""
    width, height = round(97 * scale), round(26 * scale)
    c = Canvas(width, height, WHITE)
    band = round(22 * scale)
    # Shaded band behind the letters, dark at the top.
    for y in range(0, band):
        c.rect(0, y, width - 1, y, 16 + min(31, 4 + int(y / scale)))
    letters = round(2 * scale)
    left, top, shadow = round(6 * scale), round(3 * scale), max(1, letters // 2)
    c.text(left + shadow, top + shadow, "ZARNETH", letters, BLACK)
    c.text(left, top, "ZARNETH", letters, WHITE)
    stripe = (height - band) // 2
    c.rect(0, band, width - 1, band + stripe - 1, TEAL)
    c.rect(0, band + stripe, width - 1, height - 1, CYAN)
    return c


def paste(canvas, picture, left, top, key=None):
    """Copies picture onto canvas at (left, top), leaving out its `key` colour."""
    for y, row in enumerate(picture.pixels):
        for x, colour in enumerate(row):
            if colour != key:
                canvas.set(left + x, top + y, colour)


def installer_side():
    """The installer's welcome and finish pages: the wordmark above the form's handset."""
    c = Canvas(164, 314, WHITE)
    mark = wordmark(1.5)
    paste(c, mark, (c.width - mark.width) // 2, 12)
    phone = handset(100, 240, True)
    paste(c, phone, (c.width - phone.width) // 2, 64, MAGENTA)
    return c


def installer_header():
    """The band at the top of the installer's other pages: the wordmark."""
    c = Canvas(150, 57, WHITE)
    mark = wordmark(1.5)
    paste(c, mark, (c.width - mark.width) // 2, (c.height - mark.height) // 2)
    return c


def main():
    os.makedirs(HERE, exist_ok=True)
    write_ico(os.path.join(HERE, "icon_128.ico"),
              [icon(size) for size in (32, 16, 64, 48, 24)], MAGENTA)
    for size in (16, 32, 48, 64, 128, 256):
        write_png(os.path.join(HERE, "icon_%d.png" % size), icon(size), MAGENTA)
    with open(os.path.join(HERE, "icon.svg"), "w") as out:
        out.write(icon_svg())
    for scale, suffix in ((1.0, ""), (1.5, "@1.5x"), (2.0, "@2x")):
        write_bmp8(os.path.join(HERE, "bitmap_132%s.bmp" % suffix), wordmark(scale),
                   palette_256())
        write_bmp8(os.path.join(HERE, "bitmap_133%s.bmp" % suffix),
                   handset(round(71 * scale), round(180 * scale), True), palette_256())
    write_bmp8(os.path.join(HERE, "installer_side.bmp"), installer_side(), palette_256())
    write_bmp8(os.path.join(HERE, "installer_header.bmp"), installer_header(), palette_256())


if __name__ == "__main__":
    main()
