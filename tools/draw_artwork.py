#!/usr/bin/env python3
"""Draws the program's bitmaps, icons and cursor into resources/.

Plain Python 3, no third-party modules: shapes are tested per sub-sample (4 x 4 per
pixel) and the BMP, ICO and CUR bytes are written here. The build only compiles the
files this writes; run it again after changing a picture:

    python3 tools/draw_artwork.py [--preview sheet.png]
"""

import math
import os
import struct
import sys
import zlib

SS = 4  # sub-samples per pixel and axis


def col(r, g, b, a=1.0):
    return (r / 255.0, g / 255.0, b / 255.0, a)


# ---------------------------------------------------------------- shapes


class Shape:
    def __or__(self, other):
        return Union(self, other)

    def __sub__(self, other):
        return Diff(self, other)

    def __and__(self, other):
        return Intersect(self, other)


class Rect(Shape):
    def __init__(self, x0, y0, x1, y1):
        self.bbox = (x0, y0, x1, y1)

    def contains(self, x, y):
        x0, y0, x1, y1 = self.bbox
        return x0 <= x < x1 and y0 <= y < y1


class RoundRect(Shape):
    def __init__(self, x0, y0, x1, y1, r):
        self.bbox = (x0, y0, x1, y1)
        self.r = r

    def contains(self, x, y):
        x0, y0, x1, y1 = self.bbox
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        r = self.r
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


class Ellipse(Shape):
    def __init__(self, cx, cy, rx, ry=None):
        ry = rx if ry is None else ry
        self.c = (cx, cy, rx, ry)
        self.bbox = (cx - rx, cy - ry, cx + rx, cy + ry)

    def contains(self, x, y):
        cx, cy, rx, ry = self.c
        return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


class Polygon(Shape):
    def __init__(self, pts):
        self.pts = pts
        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]
        self.bbox = (min(xs), min(ys), max(xs), max(ys))

    def contains(self, x, y):
        inside = False
        pts = self.pts
        j = len(pts) - 1
        for i in range(len(pts)):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                inside = not inside
            j = i
        return inside


class Capsule(Shape):
    """A stroke of the given width between two points, with round ends."""

    def __init__(self, p0, p1, width):
        self.p0, self.p1, self.h = p0, p1, width / 2.0
        h = self.h
        self.bbox = (min(p0[0], p1[0]) - h, min(p0[1], p1[1]) - h,
                     max(p0[0], p1[0]) + h, max(p0[1], p1[1]) + h)

    def contains(self, x, y):
        (ax, ay), (bx, by) = self.p0, self.p1
        dx, dy = bx - ax, by - ay
        ll = dx * dx + dy * dy
        t = 0.0 if ll == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / ll))
        px, py = ax + t * dx - x, ay + t * dy - y
        return px * px + py * py <= self.h * self.h


def Polyline(pts, width):
    shape = Capsule(pts[0], pts[1], width)
    for a, b in zip(pts[1:], pts[2:]):
        shape = shape | Capsule(a, b, width)
    return shape


class Arc(Shape):
    """A ring of radius r and the given width, between two angles (degrees,
    counter-clockwise from +x with y pointing down the screen)."""

    def __init__(self, cx, cy, r, width, a0, a1):
        self.c = (cx, cy, r, width / 2.0, a0 % 360.0, (a1 - a0) % 360.0)
        ro = r + width / 2.0
        self.bbox = (cx - ro, cy - ro, cx + ro, cy + ro)

    def contains(self, x, y):
        cx, cy, r, h, a0, span = self.c
        d = math.hypot(x - cx, y - cy)
        if abs(d - r) > h:
            return False
        a = math.degrees(math.atan2(cy - y, x - cx)) % 360.0
        return (a - a0) % 360.0 <= span


class Gear(Shape):
    def __init__(self, cx, cy, r_tip, r_root, r_hole, teeth, duty=0.5, phase=0.0):
        self.c = (cx, cy, r_tip, r_root, r_hole, teeth, duty, phase)
        self.bbox = (cx - r_tip, cy - r_tip, cx + r_tip, cy + r_tip)

    def contains(self, x, y):
        cx, cy, r_tip, r_root, r_hole, teeth, duty, phase = self.c
        d = math.hypot(x - cx, y - cy)
        if d < r_hole or d > r_tip:
            return False
        if d <= r_root:
            return True
        a = (math.atan2(y - cy, x - cx) / (2 * math.pi) * teeth + phase) % 1.0
        return a < duty


class Glyph(Shape):
    """A pixel pattern ('#' set) placed with its top-left corner at (x, y)."""

    def __init__(self, rows, x, y, cell=1.0):
        self.rows, self.x, self.y, self.cell = rows, x, y, cell
        self.bbox = (x, y, x + len(rows[0]) * cell, y + len(rows) * cell)

    def contains(self, x, y):
        i = int((x - self.x) // self.cell)
        j = int((y - self.y) // self.cell)
        if 0 <= j < len(self.rows) and 0 <= i < len(self.rows[j]):
            return self.rows[j][i] == '#'
        return False


class Union(Shape):
    def __init__(self, a, b):
        self.a, self.b = a, b
        self.bbox = (min(a.bbox[0], b.bbox[0]), min(a.bbox[1], b.bbox[1]),
                     max(a.bbox[2], b.bbox[2]), max(a.bbox[3], b.bbox[3]))

    def contains(self, x, y):
        return self.a.contains(x, y) or self.b.contains(x, y)


class Diff(Shape):
    def __init__(self, a, b):
        self.a, self.b = a, b
        self.bbox = a.bbox

    def contains(self, x, y):
        return self.a.contains(x, y) and not self.b.contains(x, y)


class Intersect(Shape):
    def __init__(self, a, b):
        self.a, self.b = a, b
        self.bbox = a.bbox

    def contains(self, x, y):
        return self.a.contains(x, y) and self.b.contains(x, y)


def inset_polygon(pts, d):
    """Moves every edge of a convex polygon inward by d."""
    area = sum(pts[i][0] * pts[(i + 1) % len(pts)][1] - pts[(i + 1) % len(pts)][0] * pts[i][1]
               for i in range(len(pts)))
    sign = 1.0 if area > 0 else -1.0
    lines = []
    for i in range(len(pts)):
        (ax, ay), (bx, by) = pts[i], pts[(i + 1) % len(pts)]
        dx, dy = bx - ax, by - ay
        n = math.hypot(dx, dy)
        nx, ny = -dy / n * sign, dx / n * sign
        lines.append(((ax + nx * d, ay + ny * d), (dx, dy)))
    out = []
    for i in range(len(lines)):
        (p, r), (q, s) = lines[i - 1], lines[i]
        cross = r[0] * s[1] - r[1] * s[0]
        t = ((q[0] - p[0]) * s[1] - (q[1] - p[1]) * s[0]) / cross
        out.append((p[0] + t * r[0], p[1] + t * r[1]))
    return out


# ---------------------------------------------------------------- paints


def solid(c):
    return lambda x, y: c


def gradient(x0, y0, x1, y1, stops):
    """Linear gradient from (x0, y0) to (x1, y1); stops are (t, colour)."""
    dx, dy = x1 - x0, y1 - y0
    ll = dx * dx + dy * dy

    def paint(x, y):
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / ll))
        return lerp_stops(stops, t)
    return paint


def radial(cx, cy, r, stops):
    def paint(x, y):
        return lerp_stops(stops, min(1.0, math.hypot(x - cx, y - cy) / r))
    return paint


def lerp_stops(stops, t):
    if t <= stops[0][0]:
        return stops[0][1]
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        if t <= t1:
            f = (t - t0) / (t1 - t0) if t1 > t0 else 0.0
            return tuple(a + (b - a) * f for a, b in zip(c0, c1))
    return stops[-1][1]


# ---------------------------------------------------------------- canvas


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [(0.0, 0.0, 0.0, 0.0)] * (w * h)

    def fill(self, shape, paint, opacity=1.0):
        x0, y0, x1, y1 = shape.bbox
        x0, y0 = max(0, int(math.floor(x0))), max(0, int(math.floor(y0)))
        x1, y1 = min(self.w, int(math.ceil(x1))), min(self.h, int(math.ceil(y1)))
        offs = [(i + 0.5) / SS for i in range(SS)]
        for py in range(y0, y1):
            for px in range(x0, x1):
                n = 0
                for oy in offs:
                    for ox in offs:
                        if shape.contains(px + ox, py + oy):
                            n += 1
                if n:
                    r, g, b, a = paint(px + 0.5, py + 0.5)
                    self.blend(px, py, r, g, b, a * opacity * n / (SS * SS))

    def blend(self, x, y, r, g, b, a):
        i = y * self.w + x
        dr, dg, db, da = self.px[i]
        oa = a + da * (1.0 - a)
        if oa <= 0.0:
            return
        k = da * (1.0 - a)
        self.px[i] = ((r * a + dr * k) / oa, (g * a + dg * k) / oa, (b * a + db * k) / oa, oa)

    def paint_all(self, paint):
        for y in range(self.h):
            for x in range(self.w):
                self.px[y * self.w + x] = paint(x + 0.5, y + 0.5)

    def copy_from(self, other, sx, sy):
        for y in range(self.h):
            for x in range(self.w):
                self.px[y * self.w + x] = other.px[(y + sy) * other.w + x + sx]

    def rgba8(self, x, y):
        r, g, b, a = self.px[y * self.w + x]
        return tuple(int(round(max(0.0, min(1.0, v)) * 255)) for v in (r, g, b, a))


# ---------------------------------------------------------------- file formats


def bmp24(c):
    stride = (c.w * 3 + 3) & ~3
    rows = []
    for y in range(c.h - 1, -1, -1):
        row = bytearray()
        for x in range(c.w):
            r, g, b, _ = c.rgba8(x, y)
            row += bytes((b, g, r))
        row += b'\0' * (stride - len(row))
        rows.append(bytes(row))
    data = b''.join(rows)
    info = struct.pack('<IiiHHIIiiII', 40, c.w, c.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(data), 0, 0, 14 + len(info))
    return head + info + data


def mask_rows(w, h, transparent):
    """1-bpp AND mask, bottom-up, rows padded to 32 bits."""
    stride = ((w + 31) // 32) * 4
    out = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(w):
            if transparent(x, y):
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def icon_image(c):
    """32-bpp colour with straight alpha for smooth edges, and an AND mask set where
    the pixel is less than half covered (image lists with ILC_MASK use the mask)."""
    xor = bytearray()
    for y in range(c.h - 1, -1, -1):
        for x in range(c.w):
            r, g, b, a = c.rgba8(x, y)
            xor += bytes((b, g, r, a)) if a else b'\0\0\0\0'
    andm = mask_rows(c.w, c.h, lambda x, y: c.rgba8(x, y)[3] < 128)
    info = struct.pack('<IiiHHIIiiII', 40, c.w, c.h * 2, 1, 32, 0, len(xor) + len(andm),
                       0, 0, 0, 0)
    return info + bytes(xor) + andm


def ico(canvases):
    head = struct.pack('<HHH', 0, 1, len(canvases))
    images = [icon_image(c) for c in canvases]
    offset = 6 + 16 * len(canvases)
    entries = b''
    for c, img in zip(canvases, images):
        entries += struct.pack('<BBBBHHII', c.w % 256, c.h % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    return head + entries + b''.join(images)


def cur_mono(rows, hotspot, size=32):
    """Monochrome cursor: 'X' black, 'o' white, anything else transparent."""
    def at(x, y):
        return rows[y][x] if y < len(rows) and x < len(rows[y]) else '.'
    xor = mask_rows(size, size, lambda x, y: at(x, y) == 'o')
    andm = mask_rows(size, size, lambda x, y: at(x, y) not in 'Xo')
    palette = struct.pack('<4B4B', 0, 0, 0, 0, 255, 255, 255, 0)
    info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 1, 0, len(xor) + len(andm),
                       0, 0, 2, 2)
    img = info + palette + xor + andm
    head = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', size, size, 2, 0, hotspot[0], hotspot[1], len(img), 22)
    return head + entry + img


def png(c, scale=1, background=(1.0, 1.0, 1.0)):
    """A preview for people: transparent pixels over a background."""
    raw = bytearray()
    for y in range(c.h * scale):
        raw.append(0)
        for x in range(c.w * scale):
            r, g, b, a = c.px[(y // scale) * c.w + x // scale]
            for v, bg in zip((r, g, b), background):
                raw.append(int(round(max(0.0, min(1.0, v * a + bg * (1 - a))) * 255)))

    def chunk(tag, data):
        return struct.pack('>I', len(data)) + tag + data + struct.pack(
            '>I', zlib.crc32(tag + data) & 0xFFFFFFFF)
    ihdr = struct.pack('>IIBBBBB', c.w * scale, c.h * scale, 8, 2, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) +
            chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b''))


# ---------------------------------------------------------------- glyphs

# The help link's caption, drawn on a 12 x 12 grid.
GLYPH_BANG = [  # 帮
    "...#...####.",
    "######.#..#.",
    "...#...#.#..",
    "#####..#..#.",
    "..##...#..#.",
    ".#.#...#.##.",
    "#....#......",
    ".##########.",
    ".#...#....#.",
    ".#...#....#.",
    ".#...#..###.",
    ".....#......",
]
GLYPH_ZHU = [  # 助
    "........#...",
    ".####...#...",
    ".#..#...#...",
    ".#..#.######",
    ".####...#..#",
    ".#..#...#..#",
    ".#..#...#..#",
    ".####..#...#",
    ".#..#..#...#",
    "######.#...#",
    "......#....#",
    ".....#...##.",
]
GLYPH_QUESTION = [
    ".###.",
    "#...#",
    "....#",
    "...#.",
    "..#..",
    "..#..",
    ".....",
    "..#..",
]

HAND_CURSOR = [
    ".....XX..........",
    "....XooX.........",
    "....XooX.........",
    "....XooX.........",
    "....XooX.........",
    "....XooXXX.......",
    "....XooXooXXX....",
    "....XooXooXooXX..",
    ".XX.XooXooXooXoX.",
    "XooXXooooooooXooX",
    "XoooXoooooooooooX",
    ".XooXoooooooooooX",
    "..XoXoooooooooooX",
    "..XooooooooooooX.",
    "...XoooooooooooX.",
    "...XooooooooooX..",
    "....XoooooooooX..",
    "....XoooooooooX..",
    ".....XoooooooX...",
    ".....XoooooooX...",
    ".....XXXXXXXXX...",
]

# ---------------------------------------------------------------- bands and faces

WHITE = col(255, 255, 255)
HELP_RECT = (524, 31, 592, 49)  # where the frame takes clicks on the help link


def ripples(c, cx, cy, radii, colour, opacity):
    for i, r in enumerate(radii):
        c.fill(Arc(cx, cy, r, 2.0, 0, 359.99), solid(colour), opacity * (1.0 - i / (len(radii) + 1)))


def draw_header():
    c = Canvas(690, 59)
    base = gradient(0, 0, 690, 0, [(0.0, col(14, 38, 96)), (0.55, col(26, 70, 150)),
                                   (1.0, col(44, 110, 190))])
    c.paint_all(base)
    # a soft gloss on the upper half
    c.fill(Rect(0, 0, 690, 29), gradient(0, 0, 0, 29, [(0.0, col(255, 255, 255, 0.16)),
                                                        (1.0, col(255, 255, 255, 0.03))]))
    ripples(c, 655, 64, [16, 30, 44, 58, 72, 86], col(170, 215, 255), 0.22)
    ripples(c, 470, -10, [20, 34], col(170, 215, 255), 0.08)
    # accent lines where the page begins
    c.fill(Rect(0, 56, 690, 57), solid(col(90, 170, 230)))
    c.fill(Rect(0, 57, 690, 59), gradient(0, 0, 690, 0, [(0.0, col(255, 190, 40)),
                                                          (1.0, col(255, 150, 20))]))
    # help link: a question disc and the caption, underlined, centred in the hot rectangle
    l, t, r, b = HELP_RECT
    width = 14 + 5 + 12 + 1 + 12
    x = l + (r - l - width) // 2
    y = t + 2
    c.fill(Ellipse(x + 7, y + 7, 7), radial(x + 5, y + 5, 9, [(0.0, col(255, 255, 255)),
                                                              (1.0, col(200, 225, 255))]))
    c.fill(Glyph(GLYPH_QUESTION, x + 5, y + 3), solid(col(26, 70, 150)))
    tx = x + 19
    c.fill(Glyph(GLYPH_BANG, tx, y + 1), solid(WHITE))
    c.fill(Glyph(GLYPH_ZHU, tx + 13, y + 1), solid(WHITE))
    c.fill(Rect(tx, y + 14, tx + 25, y + 15), solid(col(255, 255, 255, 0.85)))
    return c


FOOTER_TOP = col(238, 241, 247)
FOOTER_BOTTOM = col(212, 219, 233)


def footer_paint():
    return gradient(0, 1, 0, 41, [(0.0, FOOTER_TOP), (1.0, FOOTER_BOTTOM)])


def draw_footer():
    c = Canvas(690, 41)
    c.paint_all(footer_paint())
    ripples(c, 30, 58, [14, 26, 38, 50], col(60, 110, 190), 0.16)
    c.fill(Rect(0, 0, 690, 1), solid(col(160, 172, 196)))
    c.fill(Rect(0, 1, 690, 2), solid(col(252, 253, 255)))
    return c


def draw_face(footer, border, stops, gloss, highlight):
    # The corners show the footer behind the button (the buttons stand at y 4 of it).
    c = Canvas(112, 37)
    c.copy_from(footer, 413, 4)
    c.fill(RoundRect(0, 0, 112, 37, 6), solid(border))
    c.fill(RoundRect(1, 1, 111, 36, 5), gradient(0, 1, 0, 36, stops))
    c.fill(RoundRect(2, 2, 110, 18, 4), solid(col(255, 255, 255, 1.0)), gloss)
    if highlight:
        c.fill(Rect(6, 1, 106, 2), solid(highlight))
    return c


def draw_faces(footer):
    normal = draw_face(footer, col(84, 104, 146),
                       [(0.0, col(250, 251, 254)), (0.5, col(230, 236, 248)),
                        (1.0, col(204, 216, 240))], 0.35, col(250, 252, 254))
    pressed = draw_face(footer, col(14, 32, 76),
                        [(0.0, col(48, 92, 168)), (1.0, col(20, 46, 104))], 0.12, None)
    disabled = draw_face(footer, col(186, 192, 204),
                         [(0.0, col(246, 247, 249)), (1.0, col(230, 233, 238))], 0.2, None)
    return pressed, normal, disabled


# ---------------------------------------------------------------- icons
# Each motif is drawn on a 16-unit grid scaled to the image size.


def outlined(c, shape, border_shape, fill, border):
    c.fill(border_shape, solid(border))
    c.fill(shape, fill)


def doc_shape(k, x0=3, y0=1, x1=13, y1=15, fold=3):
    return [(x0 * k, y0 * k), ((x1 - fold) * k, y0 * k), (x1 * k, (y0 + fold) * k),
            (x1 * k, y1 * k), (x0 * k, y1 * k)]


def draw_document(c, k):
    pts = doc_shape(k)
    c.fill(Polygon(pts), solid(col(96, 104, 120)))
    inner = inset_polygon(pts, max(1.0, 0.75 * k))
    c.fill(Polygon(inner), gradient(0, 0, 16 * k, 16 * k, [(0.0, col(255, 255, 255)),
                                                         (1.0, col(222, 228, 238))]))
    c.fill(Polygon([(10 * k, 1 * k), (10 * k, 4 * k), (13 * k, 4 * k)]),
           solid(col(170, 180, 198)))


def icon_computer(s):
    c = Canvas(s, s)
    k = s / 16.0
    # tower behind the monitor
    outlined(c, RoundRect(10.6 * k, 2.6 * k, 15.4 * k, 15.4 * k, 0.6 * k),
             RoundRect(10 * k, 2 * k, 16 * k, 16 * k, 1.0 * k),
             gradient(10 * k, 0, 16 * k, 0, [(0.0, col(236, 237, 242)), (1.0, col(160, 166, 180))]),
             col(70, 76, 90))
    for yy in (4.2, 6.2):
        c.fill(Rect(11.8 * k, yy * k, 14.4 * k, (yy + max(0.8, 0.7 * k) / k) * k),
               solid(col(90, 96, 110)))
    c.fill(Ellipse(13.1 * k, 13.4 * k, max(0.7, 0.55 * k)), solid(col(40, 200, 60)))
    # monitor
    outlined(c, RoundRect(0.6 * k, 1.6 * k, 11.4 * k, 10.4 * k, 0.8 * k),
             RoundRect(0, 1 * k, 12 * k, 11 * k, 1.2 * k),
             gradient(0, 1 * k, 0, 11 * k, [(0.0, col(230, 232, 238)), (1.0, col(168, 174, 188))]),
             col(60, 66, 80))
    c.fill(Rect(1.7 * k, 2.7 * k, 10.3 * k, 9.2 * k),
           gradient(0, 2.7 * k, 0, 9.2 * k, [(0.0, col(80, 160, 240)), (1.0, col(18, 56, 150))]))
    c.fill(Polygon([(1.7 * k, 2.7 * k), (7.5 * k, 2.7 * k), (1.7 * k, 6.8 * k)]),
           solid(col(255, 255, 255)), 0.22)
    c.fill(Polygon([(4.6 * k, 11 * k), (7.4 * k, 11 * k), (8.2 * k, 12.6 * k), (3.8 * k, 12.6 * k)]),
           solid(col(120, 126, 140)))
    c.fill(RoundRect(2.4 * k, 12.4 * k, 9.6 * k, 13.6 * k, 0.5 * k), solid(col(90, 96, 110)))
    # the yellow cogwheel in front
    cx, cy = 5.0 * k, 11.2 * k
    ow = max(1.0, 0.7 * k)
    wider = ow / (4.0 * k) * 8 / math.pi  # the outline's teeth are wider by ow each side
    c.fill(Gear(cx, cy, 4.6 * k + ow, 3.4 * k + ow, max(0.1, 1.3 * k - ow), 8, 0.5 + wider,
                0.25 - wider / 2), solid(col(120, 76, 0)))
    c.fill(Gear(cx, cy, 4.6 * k, 3.4 * k, 1.3 * k, 8, 0.5, 0.25),
           radial(cx - 1.5 * k, cy - 1.5 * k, 6 * k, [(0.0, col(255, 240, 130)),
                                                  (1.0, col(232, 164, 0))]))
    return c


def icon_help(s):
    c = Canvas(s, s)
    k = s / 16.0
    c.fill(Ellipse(8 * k, 8 * k, 7.8 * k), solid(col(12, 44, 124)))
    c.fill(Ellipse(8 * k, 8 * k, 7.8 * k - max(1.0, 0.7 * k)),
           radial(5.5 * k, 4.5 * k, 11 * k, [(0.0, col(140, 196, 255)), (1.0, col(24, 84, 200))]))
    w = 1.9 * k
    q = (Arc(8 * k, 6.2 * k, 2.5 * k, w, -40, 180) |
         Polyline([(9.9 * k, 7.8 * k), (8.2 * k, 9.0 * k), (8.1 * k, 10.0 * k)], w) |
         Ellipse(8.1 * k, 12.4 * k, 1.15 * k))
    c.fill(q, solid(WHITE))
    return c


def cube(c, cx, cy, a, top, left, right):
    h = 0.866 * a
    hexagon = [(cx, cy - a), (cx + h, cy - a / 2), (cx + h, cy + a / 2), (cx, cy + a),
               (cx - h, cy + a / 2), (cx - h, cy - a / 2)]
    grow = [(cx + (x - cx) * 1.2, cy + (y - cy) * 1.2) for x, y in hexagon]
    c.fill(Polygon(grow), solid(col(30, 36, 60)))
    c.fill(Polygon([(cx, cy - a), (cx + h, cy - a / 2), (cx, cy), (cx - h, cy - a / 2)]), solid(top))
    c.fill(Polygon([(cx - h, cy - a / 2), (cx, cy), (cx, cy + a), (cx - h, cy + a / 2)]), solid(left))
    c.fill(Polygon([(cx, cy), (cx + h, cy - a / 2), (cx + h, cy + a / 2), (cx, cy + a)]), solid(right))


def icon_cubes(s):
    c = Canvas(s, s)
    k = s / 16.0
    a = 3.7 * k
    cube(c, 8 * k, 5.0 * k, a, col(150, 200, 255), col(60, 120, 220), col(30, 76, 170))
    cube(c, 4.5 * k, 11.0 * k, a, col(160, 235, 150), col(60, 170, 60), col(30, 120, 40))
    cube(c, 11.5 * k, 11.0 * k, a, col(255, 190, 160), col(220, 80, 50), col(160, 46, 30))
    return c


def icon_components(s):
    c = Canvas(s, s)
    k = s / 16.0
    draw_document(c, k)
    tiles = [(5, 5, col(220, 50, 40)), (8.4, 5, col(40, 170, 60)),
             (5, 8.4, col(40, 100, 220)), (8.4, 8.4, col(245, 190, 20))]
    for x, y, colour in tiles:
        c.fill(Rect(x * k, y * k, (x + 2.8) * k, (y + 2.8) * k), solid(colour))
    c.fill(Rect(5 * k, 12.2 * k, 11.2 * k, 12.2 * k + max(1.0, 0.7 * k)), solid(col(150, 158, 172)))
    return c


def folder_back(c, k):
    pts = [(0.5 * k, 2.5 * k), (6 * k, 2.5 * k), (7.5 * k, 4 * k), (15.5 * k, 4 * k),
           (15.5 * k, 14.5 * k), (0.5 * k, 14.5 * k)]
    c.fill(Polygon(pts), solid(col(150, 100, 10)))
    c.fill(Polygon(inset_polygon(pts, max(1.0, 0.7 * k))),
           gradient(0, 2 * k, 0, 14 * k, [(0.0, col(246, 196, 70)), (1.0, col(214, 150, 24))]))


def icon_locations(s):
    c = Canvas(s, s)
    k = s / 16.0
    folder_back(c, k)
    # a window of tiles standing in the folder
    outlined(c, Rect(4.2 * k, 3.2 * k, 13.8 * k, 11.8 * k), Rect(3.5 * k, 2.5 * k, 14.5 * k, 12.5 * k),
             solid(col(255, 255, 255)), col(30, 60, 130))
    c.fill(Rect(4.2 * k, 3.2 * k, 13.8 * k, 5.2 * k),
           gradient(4 * k, 0, 14 * k, 0, [(0.0, col(30, 80, 200)), (1.0, col(100, 170, 250))]))
    tiles = [(5.2, 6.2, col(220, 50, 40)), (9.2, 6.2, col(40, 170, 60)),
             (5.2, 8.9, col(40, 100, 220)), (9.2, 8.9, col(245, 190, 20))]
    for x, y, colour in tiles:
        c.fill(Rect(x * k, y * k, (x + 3.4) * k, (y + 2.1) * k), solid(colour))
    # front of the folder covers the window's foot
    front = [(0.5 * k, 10 * k), (15.5 * k, 10 * k), (15.5 * k, 14.5 * k), (0.5 * k, 14.5 * k)]
    c.fill(Polygon(front), solid(col(150, 100, 10)))
    c.fill(Polygon(inset_polygon(front, max(1.0, 0.7 * k))),
           gradient(0, 10 * k, 0, 14.5 * k, [(0.0, col(255, 226, 120)), (1.0, col(240, 184, 40))]))
    return c


def icon_font(s):
    c = Canvas(s, s)
    k = s / 16.0
    draw_document(c, k)
    w = 2.0 * k
    letter = (Polyline([(5.0 * k, 13.0 * k), (8.0 * k, 4.2 * k), (11.0 * k, 13.0 * k)], w) |
              Capsule((6.3 * k, 10.0 * k), (9.7 * k, 10.0 * k), 1.5 * k))
    c.fill(letter, gradient(0, 4 * k, 0, 13 * k, [(0.0, col(240, 60, 50)), (1.0, col(170, 10, 10))]))
    return c


def icon_open_folder(s):
    c = Canvas(s, s)
    k = s / 16.0
    folder_back(c, k)
    c.fill(Rect(2.5 * k, 5.5 * k, 13.5 * k, 9 * k), solid(col(255, 255, 255)))
    front = [(3.2 * k, 7.2 * k), (16 * k, 7.2 * k), (13.6 * k, 14.5 * k), (0.5 * k, 14.5 * k)]
    c.fill(Polygon(front), solid(col(150, 100, 10)))
    c.fill(Polygon(inset_polygon(front, max(1.0, 0.7 * k))),
           gradient(0, 7 * k, 0, 14.5 * k, [(0.0, col(255, 232, 130)), (1.0, col(244, 188, 44))]))
    return c


def icon_startup(s):
    c = Canvas(s, s)
    k = s / 16.0
    for y, x0 in ((5.5, 1.0), (8.3, 0.3), (11.1, 1.6)):
        c.fill(Capsule((x0 * k, y * k), (4.4 * k, y * k), max(1.0, 1.2 * k)),
               solid(col(90, 140, 210)))
    outlined(c, Rect(5.7 * k, 2.7 * k, 15.3 * k, 13.3 * k), Rect(5 * k, 2 * k, 16 * k, 14 * k),
             solid(col(255, 255, 255)), col(24, 54, 124))
    c.fill(Rect(5.7 * k, 2.7 * k, 15.3 * k, 5.3 * k),
           gradient(5 * k, 0, 16 * k, 0, [(0.0, col(30, 80, 200)), (1.0, col(100, 170, 250))]))
    c.fill(Polygon([(8.8 * k, 6.6 * k), (13 * k, 9.2 * k), (8.8 * k, 11.8 * k)]),
           solid(col(40, 170, 60)))
    return c


def icon_box_cd(s):
    c = Canvas(s, s)
    k = s / 16.0
    # the disc rises out of the box
    c.fill(Ellipse(9.5 * k, 6.0 * k, 5.6 * k), solid(col(110, 116, 130)))
    c.fill(Ellipse(9.5 * k, 6.0 * k, 5.6 * k - max(1.0, 0.6 * k)),
           gradient(4 * k, 1 * k, 15 * k, 11 * k,
                    [(0.0, col(240, 240, 250)), (0.3, col(190, 220, 255)), (0.5, col(250, 210, 240)),
                     (0.7, col(220, 250, 210)), (1.0, col(200, 204, 214))]))
    c.fill(Ellipse(9.5 * k, 6.0 * k, 1.7 * k), solid(col(110, 116, 130)))
    hole = Ellipse(9.5 * k, 6.0 * k, max(0.6, 0.9 * k))
    for i in range(len(c.px)):
        x, y = i % s + 0.5, i // s + 0.5
        if hole.contains(x, y):
            c.px[i] = (0.0, 0.0, 0.0, 0.0)
    # the box
    front = [(1 * k, 8.5 * k), (12.5 * k, 8.5 * k), (12.5 * k, 15.5 * k), (1 * k, 15.5 * k)]
    c.fill(Polygon(front), solid(col(110, 70, 20)))
    c.fill(Polygon(inset_polygon(front, max(1.0, 0.7 * k))),
           gradient(0, 8.5 * k, 0, 15.5 * k, [(0.0, col(222, 170, 100)), (1.0, col(180, 124, 60))]))
    side = [(12.5 * k, 8.5 * k), (15.5 * k, 6.8 * k), (15.5 * k, 13.8 * k), (12.5 * k, 15.5 * k)]
    c.fill(Polygon(side), solid(col(110, 70, 20)))
    c.fill(Polygon(inset_polygon(side, max(0.8, 0.6 * k))), solid(col(160, 108, 50)))
    c.fill(Rect(5 * k, 8.5 * k, 8.5 * k, 12 * k), solid(col(240, 220, 180)))
    return c


def tick_shape(k, pts, w):
    return Polyline([(x * k, y * k) for x, y in pts], w * k)


def icon_tick(s):
    c = Canvas(s, s)
    k = s / 16.0
    pts = [(2.8, 8.6), (6.4, 12.2), (13.2, 3.8)]
    c.fill(tick_shape(k, pts, 3.6), solid(col(16, 100, 24)))
    c.fill(tick_shape(k, pts, 2.2), gradient(0, 3 * k, 0, 13 * k, [(0.0, col(140, 236, 110)),
                                                                  (1.0, col(30, 160, 40))]))
    return c


def icon_arrow(s):
    c = Canvas(s, s)
    k = s / 16.0
    pts = [(1.5, 5.8), (7.6, 5.8), (7.6, 2.2), (14.6, 8), (7.6, 13.8), (7.6, 10.2), (1.5, 10.2)]
    pts = [(x * k, y * k) for x, y in pts]
    c.fill(Polygon(pts), solid(col(10, 50, 150)))
    # the concave outline is inset by hand: head and shaft separately
    head = inset_polygon([pts[2], pts[3], pts[4]], max(1.0, 0.7 * k))
    shaft = inset_polygon([pts[0], (pts[1][0] + 1.5 * k, pts[1][1]), (pts[5][0] + 1.5 * k, pts[5][1]),
                           pts[6]], max(1.0, 0.7 * k))
    paint = gradient(0, 2 * k, 0, 14 * k, [(0.0, col(120, 190, 255)), (1.0, col(24, 96, 220))])
    c.fill(Polygon(head) | Polygon(shaft), paint)
    return c


def icon_box(s, ticked):
    c = Canvas(s, s)
    k = s / 16.0
    c.fill(Rect(2 * k, 2 * k, 14 * k, 14 * k), solid(col(128, 128, 128)))
    c.fill(Rect(3 * k, 3 * k, 13 * k, 13 * k), solid(col(255, 255, 255)))
    if ticked:
        c.fill(tick_shape(k, [(4.4, 8.0), (7.0, 10.6), (11.8, 5.0)], 2.2),
               gradient(0, 5 * k, 0, 11 * k, [(0.0, col(60, 200, 60)), (1.0, col(0, 130, 20))]))
    return c


def icon_empty(s):
    return Canvas(s, s)


# ---------------------------------------------------------------- output

ICONS = [
    ('app.ico', 107, icon_computer, (16, 32, 48)),
    ('job_help.ico', 108, icon_help, (16, 32)),
    ('state_waiting.ico', 111, icon_empty, (16,)),
    ('state_finished.ico', 112, icon_tick, (16, 32)),
    ('state_running.ico', 113, icon_arrow, (16, 32)),
    ('tick_off.ico', 114, lambda s: icon_box(s, False), (16,)),
    ('tick_on.ico', 115, lambda s: icon_box(s, True), (16,)),
    ('job_integrity.ico', 116, icon_cubes, (16, 32)),
    ('job_controls.ico', 117, icon_components, (16, 32)),
    ('job_locations.ico', 118, icon_locations, (16, 32)),
    ('job_fonts.ico', 119, icon_font, (16, 32)),
    ('job_shared.ico', 120, icon_open_folder, (16, 32)),
    ('job_startup.ico', 121, icon_startup, (16, 32)),
    ('job_addremove.ico', 122, icon_box_cd, (16, 32)),
]


def preview_sheet(bitmaps, icons):
    """Everything on one sheet, the icons enlarged, for looking at."""
    w = 720
    rows = [b for b in bitmaps]
    h = sum(b.h + 10 for b in rows) + 10 + 160
    sheet = Canvas(w, h)
    sheet.paint_all(solid(col(255, 255, 255)))
    y = 10
    x = 10
    for b in rows:
        if x + b.w > w:
            x = 10
        for yy in range(b.h):
            for xx in range(b.w):
                sheet.px[(y + yy) * w + x + xx] = b.px[yy * b.w + xx]
        if b.w < 200 and x + 2 * b.w + 10 < w:
            x += b.w + 10
        else:
            x = 10
            y += b.h + 10
    x = 10
    y += 40
    for c in icons:
        scale = 3 if c.w == 16 else (1 if c.w > 32 else 2)
        if x + c.w * scale > w:
            x = 10
            y += 60
        for yy in range(c.h * scale):
            for xx in range(c.w * scale):
                if y + yy < h:
                    p = c.px[(yy // scale) * c.w + xx // scale]
                    sheet.blend(x + xx, y + yy, *p)
        x += c.w * scale + 6
    return sheet


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'resources')
    header = draw_header()
    footer = draw_footer()
    pressed, normal, disabled = draw_faces(footer)
    bitmaps = [('header.bmp', header), ('footer.bmp', footer), ('button_pressed.bmp', pressed),
               ('button_normal.bmp', normal), ('button_disabled.bmp', disabled)]
    for name, canvas in bitmaps:
        with open(os.path.join(root, name), 'wb') as f:
            f.write(bmp24(canvas))
    drawn = []
    for name, _, draw, sizes in ICONS:
        images = [draw(s) for s in sizes]
        drawn += images
        with open(os.path.join(root, name), 'wb') as f:
            f.write(ico(images))
    with open(os.path.join(root, 'hand.cur'), 'wb') as f:
        f.write(cur_mono(HAND_CURSOR, (5, 0)))
    if len(sys.argv) == 3 and sys.argv[1] == '--preview':
        hand = Canvas(32, 32)
        for y, row in enumerate(HAND_CURSOR):
            for x, ch in enumerate(row):
                if ch in 'Xo':
                    v = 0.0 if ch == 'X' else 1.0
                    hand.px[y * 32 + x] = (v, v, v, 1.0)
        sheet = preview_sheet([b for _, b in bitmaps], drawn + [hand])
        with open(sys.argv[2], 'wb') as f:
            f.write(png(sheet, 2, (0.8, 0.85, 0.8)))


if __name__ == '__main__':
    main()
