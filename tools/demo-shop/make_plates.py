#!/usr/bin/python3
"""Makes the demo shop's card plates: a New Year card, a Christmas card and a photo frame.

Each plate is a decorated sheet in front with windows painted in its transparent colour, and
one or two frame layers behind it that a photo dropped onto them replaces. The pictures are
drawn here in plain Python (no imaging library needed) and stored as 24-bit BMP blocks.

Plate layout: a 23-byte lead-in starting with "KorvatelCardEitor=", header lines in Shift-JIS
ended by LF, the last one ended by CR (the end marker), then the blocks back to back: the
preview first, then the layers, frontmost first.

    make_plates.py OUT_DIR      writes xmas.ksp, newyear.ksp, frame.ksp and CardPlates.ini
"""
import math
import os
import struct
import sys

LEAD_IN = b"KorvatelCardEitor=V1.00"
KEY = (0, 255, 0)  # the sheets' transparent colour: pure green
KEY_VALUE = KEY[0] | (KEY[1] << 8) | (KEY[2] << 16)


class Picture:
    def __init__(self, width, height, colour=(255, 255, 255)):
        self.width = width
        self.height = height
        self.pixels = bytearray(bytes(colour) * (width * height))

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            i = (y * self.width + x) * 3
            self.pixels[i:i + 3] = bytes(colour)

    def get(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])

    def rect(self, left, top, right, bottom, colour):
        left, top = max(0, left), max(0, top)
        right, bottom = min(self.width, right), min(self.height, bottom)
        row = bytes(colour) * max(0, right - left)
        for y in range(top, bottom):
            i = (y * self.width + left) * 3
            self.pixels[i:i + len(row)] = row

    def shape(self, inside, box, colour):
        """Paints every pixel of box (left, top, right, bottom) for which inside(x, y) holds."""
        left, top, right, bottom = box
        for y in range(max(0, top), min(self.height, bottom)):
            for x in range(max(0, left), min(self.width, right)):
                if inside(x, y):
                    self.put(x, y, colour)

    def ellipse(self, cx, cy, rx, ry, colour):
        self.shape(lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0,
                   (int(cx - rx), int(cy - ry), int(cx + rx) + 1, int(cy + ry) + 1), colour)

    def rounded(self, left, top, right, bottom, radius, colour):
        def inside(x, y):
            dx = max(left + radius - x, 0, x - (right - 1 - radius))
            dy = max(top + radius - y, 0, y - (bottom - 1 - radius))
            return dx * dx + dy * dy <= radius * radius
        self.shape(inside, (left, top, right, bottom), colour)

    def triangle(self, a, b, c, colour):
        def side(p, q, x, y):
            return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])

        def inside(x, y):
            s1, s2, s3 = side(a, b, x, y), side(b, c, x, y), side(c, a, x, y)
            return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)
        xs, ys = [p[0] for p in (a, b, c)], [p[1] for p in (a, b, c)]
        self.shape(inside, (min(xs), min(ys), max(xs) + 1, max(ys) + 1), colour)

    def star(self, cx, cy, outer, colour):
        points = []
        for k in range(10):
            r = outer if k % 2 == 0 else outer * 0.45
            angle = -math.pi / 2 + k * math.pi / 5
            points.append((cx + r * math.cos(angle), cy + r * math.sin(angle)))
        for k in range(10):
            self.triangle((int(cx), int(cy)), tuple(map(int, points[k])),
                          tuple(map(int, points[(k + 1) % 10])), colour)

    def gradient(self, top_colour, bottom_colour):
        for y in range(self.height):
            t = y / max(1, self.height - 1)
            colour = tuple(int(a + (b - a) * t) for a, b in zip(top_colour, bottom_colour))
            self.rect(0, y, self.width, y + 1, colour)

    def bmp(self):
        """The picture as a 24-bit bottom-up BMP file image."""
        stride = (self.width * 3 + 3) & ~3
        rows = []
        for y in range(self.height - 1, -1, -1):
            row = bytearray(self.pixels[y * self.width * 3:(y + 1) * self.width * 3])
            row[0::3], row[2::3] = row[2::3], row[0::3]  # RGB to BGR
            rows.append(bytes(row) + b"\0" * (stride - self.width * 3))
        data = b"".join(rows)
        info = struct.pack("<IiiHHIIiiII", 40, self.width, self.height, 1, 24, 0, len(data),
                           3780, 3780, 0, 0)
        head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
        return head + info + data


def photo_stand_in(width, height, sky, ground, sun):
    """A soft landscape that shows where a photo goes until one is dropped onto the frame."""
    picture = Picture(width, height)
    picture.gradient(sky, tuple(min(255, c + 60) for c in sky))
    horizon = height * 2 // 3
    for x in range(width):
        hill = horizon + int(math.sin(x / width * math.pi * 2) * height / 12)
        picture.rect(x, hill, x + 1, height, ground)
    picture.ellipse(width * 0.75, height * 0.3, height / 8, height / 8, sun)
    return picture


def snow(picture, seed, count, colour=(255, 255, 255)):
    state = seed
    for _ in range(count):
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        x = state % picture.width
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        y = state % picture.height
        picture.ellipse(x, y, 2.2, 2.2, colour)


def christmas():
    w, h = 600, 400
    sheet = Picture(w, h)
    sheet.gradient((20, 80, 40), (10, 50, 25))
    sheet.rect(0, 0, w, 10, (200, 30, 40))
    sheet.rect(0, h - 10, w, h, (200, 30, 40))
    snow(sheet, 7, 90)
    # The tree on the right with its star and baubles.
    for level, (top, bottom, half) in enumerate(((70, 170, 60), (120, 240, 85), (180, 320, 110))):
        sheet.triangle((500, top), (500 - half, bottom), (500 + half, bottom), (30, 140, 60))
    sheet.rect(485, 320, 515, 360, (110, 70, 30))
    sheet.star(500, 70, 26, (255, 215, 0))
    for x, y, c in ((480, 150, (220, 30, 30)), (525, 205, (250, 200, 40)),
                    (465, 260, (70, 120, 230)), (540, 290, (220, 30, 30))):
        sheet.ellipse(x, y, 8, 8, c)
    # Two windows: a large one with a gold rim, a round one below the star.
    sheet.rounded(26, 36, 366, 296, 24, (230, 190, 60))
    sheet.rounded(34, 44, 358, 288, 18, KEY)
    sheet.ellipse(300, 330, 52, 52, (230, 190, 60))
    sheet.ellipse(300, 330, 45, 45, KEY)
    first = photo_stand_in(360, 270, (120, 160, 210), (230, 235, 245), (255, 240, 200))
    second = photo_stand_in(120, 120, (200, 150, 170), (240, 240, 250), (255, 250, 220))
    layers = [
        (sheet, "xmas_sheet.bmp", (0, 0, 1, 1), KEY_VALUE),
        (first, "xmas_photo1.bmp", (20 / w, 30 / h, 380 / w, 300 / h), None),
        (second, "xmas_photo2.bmp", (240 / w, 270 / h, 360 / w, 390 / h), None),
    ]
    return "クリスマスカード", layers


def new_year():
    w, h = 400, 592
    sheet = Picture(w, h, (250, 244, 230))
    sheet.rect(0, 0, w, 14, (190, 20, 30))
    sheet.rect(0, h - 14, w, h, (190, 20, 30))
    sheet.ellipse(w / 2, 110, 70, 70, (210, 30, 40))  # the first sunrise
    for x in range(0, w, 2):  # waves under the sun
        y = 190 + int(math.sin(x / 18.0) * 6)
        sheet.rect(x, y, x + 2, y + 5, (40, 80, 160))
    for cx, cy in ((60, 470), (340, 500), (90, 540), (320, 440)):  # plum blossoms
        for k in range(5):
            a = k * 2 * math.pi / 5
            sheet.ellipse(cx + 11 * math.cos(a), cy + 11 * math.sin(a), 8, 8, (240, 140, 170))
        sheet.ellipse(cx, cy, 5, 5, (250, 220, 80))
    for x in (30, 370):  # bamboo
        sheet.rect(x - 6, 230, x + 6, 420, (60, 150, 70))
        for y in (280, 340, 400):
            sheet.rect(x - 7, y, x + 7, y + 3, (40, 110, 50))
    sheet.rounded(60, 224, 340, 424, 30, (190, 20, 30))
    sheet.rounded(68, 232, 332, 416, 24, KEY)
    photo = photo_stand_in(280, 210, (150, 190, 230), (120, 170, 90), (255, 230, 180))
    layers = [
        (sheet, "newyear_sheet.bmp", (0, 0, 1, 1), KEY_VALUE),
        (photo, "newyear_photo.bmp", (55 / w, 220 / h, 345 / w, 430 / h), None),
    ]
    return "年賀状", layers


def photo_frame():
    w, h = 600, 450
    sheet = Picture(w, h)
    for y in range(h):  # wood grain
        shade = 110 + int(18 * math.sin(y / 7.0) + 8 * math.sin(y / 2.3))
        sheet.rect(0, y, w, y + 1, (shade + 40, shade - 10, max(0, shade - 60)))
    sheet.rect(50, 50, w - 50, h - 50, (240, 236, 225))  # the mat
    sheet.rect(78, 78, w - 78, h - 78, (150, 120, 80))
    sheet.rect(82, 82, w - 82, h - 82, KEY)
    for x, y in ((25, 25), (w - 25, 25), (25, h - 25), (w - 25, h - 25)):
        sheet.ellipse(x, y, 9, 9, (220, 190, 90))
    photo = photo_stand_in(440, 290, (100, 150, 220), (90, 140, 70), (255, 240, 190))
    layers = [
        (sheet, "frame_sheet.bmp", (0, 0, 1, 1), KEY_VALUE),
        (photo, "frame_photo.bmp", (70 / w, 70 / h, 530 / w, 380 / h), None),
    ]
    return "フォトフレーム", layers


def preview(width, height, layers, scale=4):
    """The finished card at a quarter of its size: the back layers first, keyed pixels open."""
    out = Picture(width // scale, height // scale)
    for picture, _, (left, top, right, bottom), key in reversed(layers):
        for y in range(out.height):
            for x in range(out.width):
                fx, fy = (x + 0.5) / out.width, (y + 0.5) / out.height
                if not (left <= fx < right and top <= fy < bottom):
                    continue
                px = int((fx - left) / (right - left) * picture.width)
                py = int((fy - top) / (bottom - top) * picture.height)
                colour = picture.get(min(px, picture.width - 1), min(py, picture.height - 1))
                if key is not None and colour == KEY:
                    continue
                out.put(x, y, colour)
    return out


def plate_bytes(title, layers):
    sheet = layers[0][0]
    shown = preview(sheet.width, sheet.height, layers)
    blocks = [shown.bmp()] + [picture.bmp() for picture, _, _, _ in layers]
    lines = ["Title=%s;Width=%d;Height=%d;" % (title, sheet.width, sheet.height),
             "Size=%d;Ext=BMP;FileName=preview.bmp;" % len(blocks[0])]
    for (picture, name, rect, key), block in zip(layers, blocks[1:]):
        line = "Size=%d;Ext=BMP;FileName=%s;Rect=%s;" % (
            len(block), name, ":".join("%.6f" % v for v in rect))
        if key is not None:
            line += "Mskc=%d;" % key
        lines.append(line)
    header = "\n".join(lines).encode("cp932") + b"\r"
    return LEAD_IN + header + b"".join(blocks)


PLATES = (("xmas.ksp", christmas), ("newyear.ksp", new_year), ("frame.ksp", photo_frame))


def write_plates(out_dir):
    """Writes the plates and their list (CardPlates.ini, "file=title" lines in Shift-JIS)."""
    os.makedirs(out_dir, exist_ok=True)
    listing = []
    for name, make in PLATES:
        title, layers = make()
        target = os.path.join(out_dir, name)
        with open(target + ".tmp", "wb") as f:
            f.write(plate_bytes(title, layers))
        os.replace(target + ".tmp", target)
        listing.append("%s=%s" % (name, title))
    with open(os.path.join(out_dir, "CardPlates.ini"), "wb") as f:
        f.write(("\r\n".join(listing) + "\r\n").encode("cp932"))


def cached_plates():
    """The plates drawn once per version of this file in the temporary folder, so that every
    start of the demo shop copies them instead of drawing them again."""
    import hashlib
    import tempfile
    with open(os.path.abspath(__file__), "rb") as f:
        stamp = hashlib.sha256(f.read()).hexdigest()[:12]
    folder = os.path.join(tempfile.gettempdir(), "korvatel-demo-plates-%d-%s" % (os.getuid(), stamp))
    if not os.path.exists(os.path.join(folder, "CardPlates.ini")):
        work = tempfile.mkdtemp(prefix="korvatel-plates-")
        write_plates(work)
        try:
            os.rename(work, folder)
        except OSError:  # drawn meanwhile by another start
            import shutil
            shutil.rmtree(work, ignore_errors=True)
    return folder


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    write_plates(sys.argv[1])
