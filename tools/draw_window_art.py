#!/usr/bin/env python3
# Draws every picture of the Win32 main window (program icon, grid icons, page pictures, search
# animation, operating-system pictures) from vector shapes and writes them as BMP and ICO files.
# Pure Python 3 standard library (struct, zlib); the build never runs it, its outputs are kept.
"""Regenerates src/ui/win32/resources/art/ deterministically.

Usage: python3 tools/draw_window_art.py [--out DIR] [--preview DIR]

Shapes are signed distance functions in pixel units (negative inside). A pixel's coverage comes
from the distance at its centre, refined by a grid of sub-samples on edge pixels, so edges are
anti-aliased while edges placed on whole pixel coordinates stay crisp at 16 x 16.
"""

import argparse
import math
import os
import struct
import zlib

# ---------------------------------------------------------------------------------------------
# Palette: one set of hues for every picture, each with a darker edge tone.

INK = (34, 46, 68)
SLATE = (78, 96, 124)
SLATE_DARK = (52, 66, 90)
MIST = (206, 214, 226)
PAPER = (255, 255, 255)
PAPER_SHADE = (232, 237, 244)
HONEY = (247, 176, 56)
HONEY_DARK = (206, 122, 22)
HONEY_LIGHT = (255, 216, 122)
BLUE = (48, 124, 218)
BLUE_DARK = (26, 76, 152)
BLUE_DEEP = (20, 48, 100)
BLUE_LIGHT = (128, 184, 246)
GLASS = (222, 237, 252)
GREEN = (44, 170, 96)
GREEN_DARK = (24, 118, 64)
RED = (226, 66, 62)
RED_DARK = (156, 34, 36)
PURPLE = (128, 94, 214)
PURPLE_DARK = (86, 58, 166)
GREY = (150, 158, 170)
GREY_DARK = (100, 108, 120)
TAN = (214, 160, 100)
TAN_DARK = (160, 106, 54)
TAN_LIGHT = (236, 196, 140)
TEAL = (22, 150, 158)
TEAL_DARK = (10, 100, 108)

# Colour that the window treats as transparent in the keyed 24-bit pictures.
KEY = (255, 0, 255)
# Dialog face colour that edge pixels of keyed pictures are blended with, so that anti-aliased
# edges carry no magenta fringe.
FACE = (240, 240, 240)


def mix(a, b, t):
    """Colour a moved towards b by t (0..1)."""
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


# ---------------------------------------------------------------------------------------------
# Shapes: d(x, y) is a signed distance (or a lower bound of it) in pixels; bbox bounds the
# inside.


class Shape:
    bbox = (0.0, 0.0, 0.0, 0.0)

    def d(self, x, y):
        raise NotImplementedError


class Circle(Shape):
    def __init__(self, cx, cy, r):
        self.cx, self.cy, self.r = cx, cy, r
        self.bbox = (cx - r, cy - r, cx + r, cy + r)

    def d(self, x, y):
        return math.hypot(x - self.cx, y - self.cy) - self.r


class Ellipse(Shape):
    def __init__(self, cx, cy, rx, ry):
        self.cx, self.cy, self.rx, self.ry = cx, cy, rx, ry
        self.bbox = (cx - rx, cy - ry, cx + rx, cy + ry)

    def d(self, x, y):
        px, py = (x - self.cx) / self.rx, (y - self.cy) / self.ry
        k0 = math.hypot(px, py)
        k1 = math.hypot(px / self.rx, py / self.ry)
        if k1 == 0.0:
            return -min(self.rx, self.ry)
        return k0 * (k0 - 1.0) / k1


class Box(Shape):
    """Axis-aligned rectangle from (x0, y0) to (x1, y1) with rounded corners of radius r."""

    def __init__(self, x0, y0, x1, y1, r=0.0):
        self.cx, self.cy = (x0 + x1) / 2, (y0 + y1) / 2
        self.hx, self.hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r
        self.r = r
        self.bbox = (x0, y0, x1, y1)

    def d(self, x, y):
        qx = abs(x - self.cx) - self.hx
        qy = abs(y - self.cy) - self.hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - self.r


class Polygon(Shape):
    """Simple polygon (any winding); exact distance, inside by the even-odd rule."""

    def __init__(self, points):
        self.points = [(float(x), float(y)) for x, y in points]
        xs = [p[0] for p in self.points]
        ys = [p[1] for p in self.points]
        self.bbox = (min(xs), min(ys), max(xs), max(ys))
        n = len(self.points)
        self.edges = []
        for i in range(n):
            ax, ay = self.points[i]
            bx, by = self.points[(i + 1) % n]
            ex, ey = bx - ax, by - ay
            self.edges.append((ax, ay, bx, by, ex, ey, ex * ex + ey * ey or 1e-12))

    def d(self, x, y):
        best = 1e30
        inside = False
        for ax, ay, bx, by, ex, ey, ee in self.edges:
            wx, wy = x - ax, y - ay
            t = (wx * ex + wy * ey) / ee
            t = 0.0 if t < 0.0 else 1.0 if t > 1.0 else t
            dx, dy = wx - ex * t, wy - ey * t
            dd = dx * dx + dy * dy
            if dd < best:
                best = dd
            if (ay > y) != (by > y) and x < ax + (y - ay) * ex / ey:
                inside = not inside
        dist = math.sqrt(best)
        return -dist if inside else dist


class Segment(Shape):
    """Line from (x0, y0) to (x1, y1) of width w with round caps."""

    def __init__(self, x0, y0, x1, y1, w):
        self.ax, self.ay, self.w2 = x0, y0, w / 2
        self.ex, self.ey = x1 - x0, y1 - y0
        self.ee = self.ex * self.ex + self.ey * self.ey or 1e-12
        self.bbox = (min(x0, x1) - w / 2, min(y0, y1) - w / 2,
                     max(x0, x1) + w / 2, max(y0, y1) + w / 2)

    def d(self, x, y):
        wx, wy = x - self.ax, y - self.ay
        t = (wx * self.ex + wy * self.ey) / self.ee
        t = 0.0 if t < 0.0 else 1.0 if t > 1.0 else t
        return math.hypot(wx - self.ex * t, wy - self.ey * t) - self.w2


class Arc(Shape):
    """Circular arc of radius r and width w from angle a0 to a1 (degrees, y down, clockwise
    on screen as the angle grows), with round caps."""

    def __init__(self, cx, cy, r, w, a0, a1):
        self.cx, self.cy, self.r, self.w2 = cx, cy, r, w / 2
        self.a0, self.a1 = math.radians(a0), math.radians(a1)
        self.mid = (self.a0 + self.a1) / 2
        self.half = (self.a1 - self.a0) / 2
        self.ends = [(cx + r * math.cos(a), cy + r * math.sin(a)) for a in (self.a0, self.a1)]
        e = r + w / 2
        self.bbox = (cx - e, cy - e, cx + e, cy + e)

    def d(self, x, y):
        dx, dy = x - self.cx, y - self.cy
        ang = math.atan2(dy, dx) - self.mid
        ang = (ang + math.pi) % (2 * math.pi) - math.pi
        if abs(ang) <= self.half:
            return abs(math.hypot(dx, dy) - self.r) - self.w2
        return min(math.hypot(x - ex, y - ey) for ex, ey in self.ends) - self.w2


class Union(Shape):
    def __init__(self, *shapes):
        self.shapes = shapes
        self.bbox = (min(s.bbox[0] for s in shapes), min(s.bbox[1] for s in shapes),
                     max(s.bbox[2] for s in shapes), max(s.bbox[3] for s in shapes))

    def d(self, x, y):
        return min(s.d(x, y) for s in self.shapes)


class Intersect(Shape):
    def __init__(self, a, b):
        self.a, self.b = a, b
        self.bbox = (max(a.bbox[0], b.bbox[0]), max(a.bbox[1], b.bbox[1]),
                     min(a.bbox[2], b.bbox[2]), min(a.bbox[3], b.bbox[3]))

    def d(self, x, y):
        return max(self.a.d(x, y), self.b.d(x, y))


class Subtract(Shape):
    def __init__(self, a, b):
        self.a, self.b = a, b
        self.bbox = a.bbox

    def d(self, x, y):
        return max(self.a.d(x, y), -self.b.d(x, y))


class Grow(Shape):
    """The shape widened by k pixels (narrowed for negative k)."""

    def __init__(self, shape, k):
        self.shape, self.k = shape, k
        b = shape.bbox
        self.bbox = (b[0] - k, b[1] - k, b[2] + k, b[3] + k)

    def d(self, x, y):
        return self.shape.d(x, y) - self.k


class Rim(Shape):
    """The band of width w just inside the shape's edge."""

    def __init__(self, shape, w):
        self.shape, self.w = shape, w
        self.bbox = shape.bbox

    def d(self, x, y):
        v = self.shape.d(x, y)
        return max(v, -(v + self.w))


class Mapped(Shape):
    """A shape seen through a point mapping: d(x, y) = scale * shape.d(inverse(x, y)).

    `inverse` maps canvas points back into the shape's space, `scale` converts its distances
    to canvas pixels and `bbox` bounds the result on the canvas."""

    def __init__(self, shape, inverse, scale, bbox):
        self.shape, self.inverse, self.scale, self.bbox = shape, inverse, scale, bbox

    def d(self, x, y):
        sx, sy = self.inverse(x, y)
        return self.shape.d(sx, sy) * self.scale


def rotated(shape, cx, cy, degrees):
    """The shape turned about (cx, cy)."""
    a = math.radians(degrees)
    c, s = math.cos(a), math.sin(a)

    def inverse(x, y):
        dx, dy = x - cx, y - cy
        return cx + dx * c + dy * s, cy - dx * s + dy * c

    b = shape.bbox
    corners = [(b[0], b[1]), (b[2], b[1]), (b[0], b[3]), (b[2], b[3])]
    pts = [(cx + (px - cx) * c - (py - cy) * s, cy + (px - cx) * s + (py - cy) * c)
           for px, py in corners]
    box = (min(p[0] for p in pts), min(p[1] for p in pts),
           max(p[0] for p in pts), max(p[1] for p in pts))
    return Mapped(shape, inverse, 1.0, box)


def scaled(shape, ox, oy, factor):
    """The shape enlarged by factor about (ox, oy)."""

    def inverse(x, y):
        return ox + (x - ox) / factor, oy + (y - oy) / factor

    b = shape.bbox
    box = (ox + (b[0] - ox) * factor, oy + (b[1] - oy) * factor,
           ox + (b[2] - ox) * factor, oy + (b[3] - oy) * factor)
    return Mapped(shape, inverse, factor, box)


def hexagon(cx, cy, r, pointy=True):
    """Regular hexagon of circumradius r."""
    start = 90 if pointy else 0
    return Polygon([(cx + r * math.cos(math.radians(start + 60 * i)),
                     cy + r * math.sin(math.radians(start + 60 * i))) for i in range(6)])


def gear(cx, cy, body, tip, teeth, tooth_width, hole, turn=0.0):
    """Gear wheel: a disc of radius body with teeth reaching to tip, and a round hole."""
    parts = [Circle(cx, cy, body)]
    for i in range(teeth):
        tooth = Box(cx - tooth_width / 2, cy - tip, cx + tooth_width / 2, cy, tooth_width * 0.18)
        parts.append(rotated(tooth, cx, cy, turn + 360.0 * i / teeth))
    wheel = Union(*parts)
    return Subtract(wheel, Circle(cx, cy, hole)) if hole > 0 else wheel


def quad_curve(p0, p1, p2, steps):
    """Points of a quadratic Bezier curve, p0 excluded."""
    out = []
    for i in range(1, steps + 1):
        t = i / steps
        u = 1 - t
        out.append((u * u * p0[0] + 2 * u * t * p1[0] + t * t * p2[0],
                    u * u * p0[1] + 2 * u * t * p1[1] + t * t * p2[1]))
    return out


# ---------------------------------------------------------------------------------------------
# Canvas: premultiplied RGBA floats, painted in order.


class Canvas:
    def __init__(self, width, height, samples=4):
        self.w, self.h, self.samples = width, height, samples
        self.px = [0.0] * (width * height * 4)
        n = samples
        self.offsets = [((i + 0.5) / n, (j + 0.5) / n) for j in range(n) for i in range(n)]

    def coverage(self, shape, x, y):
        d = shape.d(x + 0.5, y + 0.5)
        if d >= 0.75:
            return 0.0
        if d <= -0.75:
            return 1.0
        n = self.samples
        total = 0.0
        for ox, oy in self.offsets:
            v = 0.5 - shape.d(x + ox, y + oy) * n
            total += 0.0 if v <= 0.0 else 1.0 if v >= 1.0 else v
        return total / len(self.offsets)

    def fill(self, shape, paint, opacity=1.0):
        """Paints the shape with a colour (r, g, b) or a function (x, y) -> (r, g, b)."""
        b = shape.bbox
        x0, y0 = max(0, int(math.floor(b[0])) - 1), max(0, int(math.floor(b[1])) - 1)
        x1, y1 = min(self.w, int(math.ceil(b[2])) + 1), min(self.h, int(math.ceil(b[3])) + 1)
        px = self.px
        for y in range(y0, y1):
            for x in range(x0, x1):
                a = self.coverage(shape, x, y) * opacity
                if a <= 0.0:
                    continue
                colour = paint(x + 0.5, y + 0.5) if callable(paint) else paint
                i = (y * self.w + x) * 4
                keep = 1.0 - a
                px[i] = colour[0] / 255.0 * a + px[i] * keep
                px[i + 1] = colour[1] / 255.0 * a + px[i + 1] * keep
                px[i + 2] = colour[2] / 255.0 * a + px[i + 2] * keep
                px[i + 3] = a + px[i + 3] * keep

    def badge(self, shape, paint, edge, width=1.0):
        """Fills the shape and draws a darker band of the given width inside its edge."""
        self.fill(shape, paint)
        self.fill(Rim(shape, width), edge)

    def blit(self, other, dx, dy):
        """Draws another canvas over this one at (dx, dy)."""
        for y in range(other.h):
            ty = y + dy
            if not 0 <= ty < self.h:
                continue
            for x in range(other.w):
                tx = x + dx
                if not 0 <= tx < self.w:
                    continue
                s = (y * other.w + x) * 4
                a = other.px[s + 3]
                if a <= 0.0:
                    continue
                t = (ty * self.w + tx) * 4
                keep = 1.0 - a
                for c in range(4):
                    self.px[t + c] = other.px[s + c] + self.px[t + c] * keep

    # Conversions to 8-bit pixels, top row first.

    def rgba(self):
        """Straight (not premultiplied) RGBA bytes; fully transparent pixels are zero."""
        out = bytearray()
        for i in range(0, len(self.px), 4):
            a = self.px[i + 3]
            if a <= 0.5 / 255.0:
                out += b"\0\0\0\0"
                continue
            out += bytes(min(255, round(self.px[i + c] / a * 255.0)) for c in range(3))
            out.append(min(255, round(a * 255.0)))
        return bytes(out)

    def rgb_over(self, background):
        """RGB bytes over an opaque background colour."""
        out = bytearray()
        for i in range(0, len(self.px), 4):
            keep = 1.0 - self.px[i + 3]
            out += bytes(min(255, round(self.px[i + c] * 255.0 + background[c] * keep))
                         for c in range(3))
        return bytes(out)

    def rgb_keyed(self, key=KEY, face=FACE, threshold=0.5):
        """RGB bytes where mostly transparent pixels become the key colour and the others are
        laid over the dialog face colour."""
        out = bytearray()
        for i in range(0, len(self.px), 4):
            a = self.px[i + 3]
            if a < threshold:
                out += bytes(key)
                continue
            keep = 1.0 - a
            out += bytes(min(255, round(self.px[i + c] * 255.0 + face[c] * keep))
                         for c in range(3))
        return bytes(out)


def vertical_gradient(top_y, bottom_y, top, bottom):
    def paint(x, y):
        t = (y - top_y) / (bottom_y - top_y)
        return mix(top, bottom, 0.0 if t < 0 else 1.0 if t > 1 else t)
    return paint


# ---------------------------------------------------------------------------------------------
# File writers.


def bmp_bytes(width, height, pixels, channels):
    """A bottom-up BI_RGB bitmap of 24 (RGB input) or 32 (RGBA input) bits per pixel."""
    bits = channels * 8
    stride = (width * channels + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            i = (y * width + x) * channels
            row += bytes((pixels[i + 2], pixels[i + 1], pixels[i]))
            if channels == 4:
                row.append(pixels[i + 3])
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    image = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(image), 2835, 2835,
                       0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(image), 0, 0, 14 + len(info))
    return header + info + image


def png_bytes(width, height, rgba):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    raw = b"".join(b"\0" + rgba[y * width * 4:(y + 1) * width * 4] for y in range(height))
    ihdr = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def ico_image_dib(size, rgba):
    """One icon image as a 32-bit DIB with its AND mask (set where fully transparent)."""
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    mask = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    for y in range(size - 1, -1, -1):
        bits = bytearray(mask_stride)
        for x in range(size):
            i = (y * size + x) * 4
            colour += bytes((rgba[i + 2], rgba[i + 1], rgba[i], rgba[i + 3]))
            if rgba[i + 3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return info + bytes(colour) + bytes(mask)


def ico_bytes(images):
    """An icon file from (size, rgba) pairs; the 256-pixel image is stored as PNG."""
    blobs = [png_bytes(s, s, px) if s >= 256 else ico_image_dib(s, px) for s, px in images]
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for (size, _), blob in zip(images, blobs):
        side = 0 if size >= 256 else size
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    return header + entries + b"".join(blobs)


# ---------------------------------------------------------------------------------------------
# Program icon: a blue shield carrying a honeycomb.


def shield_outline(x0, y0, x1, y1, dip):
    """Heater shield filling the box: a top edge with a dip of `dip` times the height,
    straight sides and a curved point below."""
    w, h = x1 - x0, y1 - y0
    cx = (x0 + x1) / 2
    side_end = y0 + h * 0.46
    curve = quad_curve((x0, side_end), (x0 + w * 0.04, y0 + h * 0.84), (cx, y1), 12)
    mirrored = [(2 * cx - x, y) for x, y in reversed(curve[:-1])]
    return Polygon([(x0, y0), (x0, side_end)] + curve + mirrored +
                   [(x1, side_end), (x1, y0), (cx, y0 + h * dip)])


def shield_shape(x0, y0, x1, y1, round_by, dip=0.05):
    inner = shield_outline(x0 + round_by, y0 + round_by, x1 - round_by, y1 - round_by * 1.6,
                           dip)
    return Grow(inner, round_by)


def honeycomb_cells(cx, cy, radius, rings):
    """Centres of a pointy-top honeycomb: the middle cell and `rings` rings around it."""
    cells = []
    step = math.sqrt(3) * radius
    for q in range(-rings, rings + 1):
        for r in range(-rings, rings + 1):
            s = -q - r
            if max(abs(q), abs(r), abs(s)) > rings:
                continue
            cells.append((cx + step * (q + r / 2), cy + 1.5 * radius * r))
    return cells


def draw_shield(canvas, x0, y0, x1, y1, detail):
    """The program's shield in the box; detail 0 (16 px), 1 (24 px) or 2 (larger)."""
    w = x1 - x0
    s = w / 16.0
    # A straight top at 16 pixels keeps the top edge on whole pixels.
    body = shield_shape(x0, y0, x1, y1, 1.1 * s, 0.0 if detail == 0 else 0.05)
    rim = max(1.0, 0.9 * s) if detail < 2 else 0.7 * s
    canvas.fill(body, BLUE_DEEP)
    inner = Grow(body, -rim)
    canvas.fill(inner, vertical_gradient(y0, y1, (62, 140, 232), (34, 96, 192)))
    # Right half one tone darker: the flat "lit from the left" look.
    cx = (x0 + x1) / 2
    canvas.fill(Intersect(inner, Box(cx, y0, x1 + 1, y1 + 1)),
                vertical_gradient(y0, y1, (44, 118, 212), (24, 78, 166)))
    if detail == 0:
        # One cell whose upright sides fall on whole pixels.
        canvas.badge(hexagon(cx, y0 + 6.5, 3.0 / math.cos(math.radians(30))), HONEY,
                     HONEY_DARK)
        return
    if detail == 1:
        # Three cells, two above one, upright sides on whole pixels.
        r = 3.0 / math.cos(math.radians(30))
        for i, (hx, hy) in enumerate(((cx - 3, y0 + 6.2), (cx + 3, y0 + 6.2),
                                      (cx, y0 + 6.2 + 1.5 * r))):
            canvas.badge(hexagon(hx, hy, r), HONEY_LIGHT if i == 2 else HONEY, HONEY_DARK)
        return
    radius = 2.25 * s if detail == 1 else 2.05 * s
    gap = 0.32 * s if detail == 1 else 0.26 * s
    centre_y = y0 + 6.6 * s
    for i, (hx, hy) in enumerate(honeycomb_cells(cx, centre_y, radius, 1)):
        cell = hexagon(hx, hy, radius - gap)
        if i == 3:  # the middle cell
            canvas.badge(cell, HONEY_LIGHT, HONEY_DARK, max(1.0, 0.35 * s))
        else:
            canvas.badge(cell, HONEY, HONEY_DARK, max(1.0, 0.35 * s))
    if detail == 2:
        # A small gloss on the top-left of the shield.
        gloss = Intersect(Grow(body, -rim - 0.6 * s), Ellipse(x0 + 3.2 * s, y0 + 2.2 * s,
                                                              3.2 * s, 1.5 * s))
        canvas.fill(gloss, PAPER, 0.18)


def draw_program_icon(size):
    c = Canvas(size, size, 4)
    if size <= 16:
        draw_shield(c, 2, 1, 14, 15.6, 0)
    elif size <= 24:
        draw_shield(c, 3, 1, 21, 23.4, 1)
    else:
        m = size / 16.0
        draw_shield(c, 1.4 * m, 0.6 * m, 14.6 * m, 15.5 * m, 2)
    return c


# ---------------------------------------------------------------------------------------------
# Grid icons, 16 x 16 each.


def icon_autorun(c):
    c.badge(Circle(8, 8, 7.2), GREEN, GREEN_DARK)
    c.fill(Grow(Polygon([(6.3, 4.9), (6.3, 11.1), (11.4, 8.0)]), 0.45), PAPER)


def icon_font(c):
    c.badge(Box(1, 1, 15, 15, 2.5), PURPLE, PURPLE_DARK)
    c.fill(Box(4, 4, 12, 6), PAPER)           # cross bar
    c.fill(Box(4, 4, 5, 7), PAPER)            # left serif
    c.fill(Box(11, 4, 12, 7), PAPER)          # right serif
    c.fill(Box(7, 4, 9, 12), PAPER)           # stem
    c.fill(Box(6, 11, 10, 12), PAPER)         # foot


def folder_shapes(x0=1, y0=2, x1=15, y1=14):
    back = Union(Box(x0, y0, x0 + 6, y0 + 3, 1.0), Box(x0, y0 + 1, x1, y1, 1.0))
    front = Box(x0, y0 + 4, x1, y1, 1.0)
    return back, front


def icon_folder(c):
    back, front = folder_shapes()
    c.badge(back, HONEY_DARK, (170, 96, 14))
    c.badge(front, HONEY, HONEY_DARK)
    c.fill(Box(2, 7, 14, 8), HONEY_LIGHT)


def icon_uninstall(c):
    # A setup disc rising out of an open cardboard box.
    c.badge(Circle(8, 5.5, 5.0), MIST, GREY_DARK)
    c.fill(Arc(8, 5.5, 3.0, 1.2, 200, 290), PAPER)
    c.fill(Arc(8, 5.5, 3.0, 1.2, 20, 110), BLUE_LIGHT)
    c.fill(Circle(8, 5.5, 1.3), GREY_DARK)
    c.badge(Polygon([(1, 7), (4, 10), (4, 12), (1, 9)]), TAN_DARK, (120, 76, 34))
    c.badge(Polygon([(15, 7), (12, 10), (12, 12), (15, 9)]), TAN_DARK, (120, 76, 34))
    c.badge(Box(2, 9, 14, 15.5, 0.5), TAN, TAN_DARK)
    c.fill(Box(3, 10, 13, 11), TAN_LIGHT)


def icon_sound(c):
    speaker = Union(Box(1.5, 5.5, 5, 10.5, 0.6),
                    Polygon([(4, 5.5), (8.5, 2), (8.5, 14), (4, 10.5)]))
    c.badge(Grow(speaker, 0.3), SLATE_DARK, INK)
    c.fill(Arc(8.5, 8, 3.1, 1.5, -50, 50), BLUE_DARK)
    c.fill(Arc(8.5, 8, 5.9, 1.5, -52, 52), BLUE_DARK)


def icon_empty(c):
    back, front = folder_shapes()
    c.fill(back, PAPER)
    c.fill(Rim(back, 1.0), GREY_DARK)
    c.fill(front, PAPER_SHADE)
    c.fill(Rim(front, 1.0), GREY_DARK)


def icon_ignore(c):
    c.badge(Circle(8, 8, 7.2), GREY, GREY_DARK)
    c.fill(Box(3.5, 7, 12.5, 9.2, 0.5), PAPER)


def icon_shortcut(c):
    c.badge(Box(1, 1, 15, 15, 2.0), PAPER, GREY_DARK)
    c.fill(Arc(11.5, 12.5, 6.0, 2.3, 180, 268), BLUE)
    c.fill(Grow(Polygon([(10.0, 3.2), (13.6, 6.5), (10.0, 9.8)]), 0.3), BLUE)


def icon_dll(c):
    wheel = gear(8, 8, 5.0, 7.4, 8, 2.6, 2.1, 22.5)
    c.badge(wheel, SLATE, SLATE_DARK)


def question_mark(c, cx, top, height, width, colour):
    """A question mark whose hook starts at `top` and whose dot ends at top + height."""
    r = height * 0.24
    hook_cy = top + r + width / 2
    c.fill(Arc(cx, hook_cy, r, width, 190, 400), colour)
    ex, ey = cx + r * math.cos(math.radians(40)), hook_cy + r * math.sin(math.radians(40))
    stem_end = top + height * 0.66
    c.fill(Segment(ex, ey, cx, ey + (stem_end - ey) * 0.55, width), colour)
    c.fill(Segment(cx, ey + (stem_end - ey) * 0.55, cx, stem_end, width), colour)
    c.fill(Circle(cx, top + height - width * 0.62, width * 0.62), colour)


def icon_file(c):
    page = Polygon([(2, 0), (10, 0), (14, 4), (14, 16), (2, 16)])
    c.badge(page, PAPER, GREY_DARK)
    c.badge(Polygon([(10, 0), (10, 4), (14, 4)]), PAPER_SHADE, GREY_DARK)
    question_mark(c, 8.0, 4.3, 9.6, 1.7, BLUE_DARK)


def icon_help(c):
    c.badge(Box(2, 1, 14, 15, 1.2), TEAL, TEAL_DARK)
    c.fill(Box(4, 12, 13, 14), PAPER)                  # page edges
    c.fill(Box(2, 1, 4, 15, 0.8), TEAL_DARK)           # spine
    question_mark(c, 8.8, 2.6, 8.6, 1.7, PAPER)


def icon_virus(c):
    for sy, ey in ((6.5, 4.5), (9.5, 9.5), (12.5, 14.5)):
        c.fill(Segment(8, sy, 1.5, ey, 1.2), INK)
        c.fill(Segment(8, sy, 14.5, ey, 1.2), INK)
    c.fill(Segment(7, 3, 5.2, 0.8, 1.1), INK)
    c.fill(Segment(9, 3, 10.8, 0.8, 1.1), INK)
    c.fill(Circle(8, 4.3, 2.6), INK)
    c.badge(Ellipse(8, 10, 4.4, 5.2), RED, RED_DARK)
    c.fill(Box(7.5, 6, 8.5, 15), RED_DARK)
    c.fill(Circle(6.0, 9.0, 0.9), RED_DARK)
    c.fill(Circle(10.0, 12.0, 0.9), RED_DARK)


def cube(c, cx, top, a, h, base, edge):
    """Isometric cube whose top face starts at (cx, top); a is the half width."""
    top_face = Polygon([(cx, top), (cx + a, top + a / 2), (cx, top + a), (cx - a, top + a / 2)])
    left = Polygon([(cx - a, top + a / 2), (cx, top + a), (cx, top + a + h),
                    (cx - a, top + a / 2 + h)])
    right = Polygon([(cx + a, top + a / 2), (cx, top + a), (cx, top + a + h),
                     (cx + a, top + a / 2 + h)])
    outline = Polygon([(cx, top), (cx + a, top + a / 2), (cx + a, top + a / 2 + h),
                       (cx, top + a + h), (cx - a, top + a / 2 + h), (cx - a, top + a / 2)])
    c.fill(Grow(outline, 0.45), edge)
    c.fill(top_face, mix(base, PAPER, 0.45))
    c.fill(left, base)
    c.fill(right, mix(base, (0, 0, 0), 0.25))


def registry_cubes(c, cx, top, a):
    """Three cubes stacked as a pyramid; the top cube's top face starts at (cx, top)."""
    h = a
    cube(c, cx - a, top + a + h * 0.5, a, h, GREEN, GREEN_DARK)
    cube(c, cx + a, top + a + h * 0.5, a, h, RED, RED_DARK)
    cube(c, cx, top, a, h, BLUE, BLUE_DARK)


def icon_registry(c):
    registry_cubes(c, 8, 0.8, 3.6)


def icon_key(c):
    back, front = folder_shapes(1, 2, 15, 14)
    c.badge(back, (214, 160, 40), (168, 112, 14))
    c.badge(front, (250, 204, 92), (206, 146, 30))
    c.fill(Box(2, 7, 14, 8), (255, 232, 160))


VALUE_LETTERS = (
    "...... #....",
    "...... #....",
    ".###.. ####.",
    "....#. #...#",
    ".####. #...#",
    "#...#. #...#",
    ".####. ####.",
)


def icon_value(c):
    c.badge(Box(0, 2, 16, 14, 1.5), PAPER, GREY_DARK)
    # "ab" as pixels: at this size a drawn bowl only blurs.
    for row, line in enumerate(VALUE_LETTERS):
        for col, mark in enumerate(line):
            if mark == "#":
                c.fill(Box(2 + col, 4 + row, 3 + col, 5 + row), (200, 36, 36))


GRID_ICONS = [
    ("AutoRun", icon_autorun),
    ("TTF", icon_font),
    ("Folder", icon_folder),
    ("Uninstall", icon_uninstall),
    ("Sound", icon_sound),
    ("Empty", icon_empty),
    ("Ignore", icon_ignore),
    ("Shortcut", icon_shortcut),
    ("Dll", icon_dll),
    ("File", icon_file),
    ("Help", icon_help),
    ("Virus", icon_virus),
    ("Reg", icon_registry),
]

CUSTOM_ICONS = [
    ("Key", icon_key),
    ("Value", icon_value),
]


def icon_strip(icons, size=16):
    strip = Canvas(size * len(icons), size)
    for i, (_, draw) in enumerate(icons):
        one = Canvas(size, size, 4)
        draw(one)
        strip.blit(one, i * size, 0)
    return strip


# ---------------------------------------------------------------------------------------------
# Page pictures, 150 x 250.

PAGE_W, PAGE_H = 150, 250


def page_background(c, seed):
    """Deep blue panel with a faint honeycomb, some of its cells lit."""
    c.fill(Box(0, 0, PAGE_W, PAGE_H), vertical_gradient(0, PAGE_H, (20, 44, 88), (36, 92, 168)))
    radius = 13.0
    step = math.sqrt(3) * radius
    state = seed
    for row in range(-1, int(PAGE_H / (1.5 * radius)) + 2):
        for col in range(-1, int(PAGE_W / step) + 2):
            hx = col * step + (step / 2 if row % 2 else 0.0)
            hy = row * 1.5 * radius
            cell = hexagon(hx, hy, radius)
            c.fill(Rim(Grow(cell, -0.6), 1.1), (120, 170, 235), 0.22)
            state = (state * 1103515245 + 12345) & 0x7FFFFFFF
            depth = hy / PAGE_H
            if (state >> 16) % 100 < 16 + 20 * depth:
                c.fill(Grow(cell, -2.6), (120, 170, 235), 0.10 + 0.12 * ((state >> 8) % 4) / 3)


def glow(c, cx, cy, r, colour, strength):
    for i in range(8, 0, -1):
        c.fill(Circle(cx, cy, r * i / 8), colour, strength / 8)


def draw_start_page():
    c = Canvas(PAGE_W, PAGE_H, 3)
    page_background(c, 7)
    glow(c, 75, 112, 70, (120, 180, 255), 0.35)
    # A soft shadow, then the shield itself.
    c.fill(Grow(shield_shape(24, 48, 130, 168, 8), 2), (8, 20, 44), 0.35)
    draw_shield(c, 21, 44, 129, 166, 2)
    # A row of honey cells along the bottom edge, like the lip of a comb.
    for i, (hx, hy) in enumerate(honeycomb_cells(75, 214, 11, 1)):
        cell = hexagon(hx, hy, 9.6)
        c.badge(cell, HONEY_LIGHT if i == 3 else HONEY, HONEY_DARK, 1.2)
    return c


def draw_advanced_page():
    c = Canvas(PAGE_W, PAGE_H, 3)
    page_background(c, 11)
    glow(c, 72, 120, 72, (120, 180, 255), 0.35)
    big = gear(66, 104, 33, 44, 12, 10, 12, 0)
    small = gear(108, 160, 20, 28.5, 9, 8.5, 7.5, 10)
    tiny = gear(104, 60, 12, 17.5, 7, 6.5, 4.5, 5)
    for shape, fill_colour, edge in ((tiny, PAPER_SHADE, SLATE),
                                     (big, HONEY, HONEY_DARK),
                                     (small, BLUE_LIGHT, BLUE_DARK)):
        c.fill(Grow(shape, 1.5), (8, 20, 44), 0.3)
        c.badge(shape, fill_colour, edge, 2.0)
    c.fill(Rim(Circle(66, 104, 22), 4), HONEY_DARK, 0.55)
    c.fill(Rim(Circle(108, 160, 13.5), 3), BLUE_DARK, 0.5)
    for hx, hy in ((36, 206), (54, 206), (45, 221.6)):
        c.badge(hexagon(hx, hy, 9.6), HONEY, HONEY_DARK, 1.2)
    return c


# ---------------------------------------------------------------------------------------------
# Search animation: a magnifier sweeping over the registry cubes, 22 frames of 32 x 32.

ANIM_FRAMES = 22
ANIM_SIZE = 32


class SceneCanvas(Canvas):
    """A canvas whose fills are first mapped through a transform and clipped to a shape."""

    def __init__(self, target, transform, clip):
        self.__dict__.update(target.__dict__)
        self.target, self.transform, self.clip = target, transform, clip

    def fill(self, shape, paint, opacity=1.0):
        self.target.fill(Intersect(self.transform(shape), self.clip), paint, opacity)


def draw_search_frame(k):
    c = Canvas(ANIM_SIZE, ANIM_SIZE, 4)
    scene_top = 8.0
    registry_cubes(c, 16, scene_top, 5.0)
    t = 2 * math.pi * k / ANIM_FRAMES
    lx, ly = 14.0 + 6.0 * math.cos(t), 13.5 + 4.5 * math.sin(t)
    lens_r, ring_w = 6.3, 2.0
    # Handle first so the ring covers its end.
    ux = uy = math.sqrt(0.5)
    start = lens_r - 0.5
    c.fill(Segment(lx + ux * start, ly + uy * start, lx + ux * (lens_r + 6.2),
                   ly + uy * (lens_r + 6.2), 3.4), INK)
    c.fill(Segment(lx + ux * (lens_r + 2.2), ly + uy * (lens_r + 2.2), lx + ux * (lens_r + 5.8),
                   ly + uy * (lens_r + 5.8), 2.0), HONEY_DARK)
    glass = Circle(lx, ly, lens_r - ring_w / 2)
    c.fill(glass, GLASS)
    magnified = SceneCanvas(c, lambda shape: scaled(shape, lx, ly, 1.6), glass)
    registry_cubes(magnified, 16, scene_top, 5.0)
    c.fill(glass, GLASS, 0.3)
    c.fill(Intersect(Arc(lx, ly, lens_r - ring_w - 1.4, 1.3, 200, 260), glass), PAPER, 0.85)
    c.fill(Rim(Circle(lx, ly, lens_r + ring_w / 2), ring_w), SLATE_DARK)
    return c


def draw_search_strip():
    strip = Canvas(ANIM_SIZE * ANIM_FRAMES, ANIM_SIZE)
    for k in range(ANIM_FRAMES):
        strip.blit(draw_search_frame(k), k * ANIM_SIZE, 0)
    return strip


# ---------------------------------------------------------------------------------------------
# Operating-system family pictures, 48 x 48.


def wavy(shape, amplitude, wavelength, phase=0.0):
    """The shape bent by a vertical sine wave along x."""

    def inverse(x, y):
        return x, y - amplitude * math.sin(2 * math.pi * x / wavelength + phase)

    # Bending stretches some distances; 0.9 keeps the result a lower bound for small waves.
    b = shape.bbox
    return Mapped(shape, inverse, 0.9, (b[0], b[1] - amplitude, b[2], b[3] + amplitude))


def bevel(c, x0, y0, x1, y1, face, light, dark):
    """A raised 3-D frame of the old style."""
    c.fill(Box(x0, y0, x1, y1), dark)
    c.fill(Box(x0, y0, x1 - 1, y1 - 1), light)
    c.fill(Box(x0 + 1, y0 + 1, x1 - 1, y1 - 1), (128, 128, 128))
    c.fill(Box(x0 + 1, y0 + 1, x1 - 2, y1 - 2), face)


def draw_os_9x():
    c = Canvas(48, 48, 4)
    bevel(c, 2, 4, 46, 44, (192, 192, 192), PAPER, (0, 0, 0))
    c.fill(Box(4, 6, 44, 12), lambda x, y: mix((0, 0, 128), (16, 132, 208), (x - 4) / 40))
    for i in range(3):
        bx = 30 + i * 4.5
        c.fill(Box(bx, 7, bx + 4, 11), (192, 192, 192))
    c.fill(Box(4, 14, 44, 42), PAPER)
    c.fill(Rim(Box(4, 14, 44, 42), 1), (128, 128, 128))
    # Four coloured panes, bent as if waving.
    panes = ((13, 17, 24, 27, (232, 56, 40)), (25, 17, 36, 27, (48, 168, 60)),
             (13, 28, 24, 38, (40, 100, 220)), (25, 28, 36, 38, (250, 196, 20)))
    for x0, y0, x1, y1, colour in panes:
        c.fill(wavy(Box(x0, y0, x1, y1), 1.6, 22, 0.6), colour)
    # Trailing bits to the left, as the flag moves.
    for i, (x, size) in enumerate(((7.5, 2.4), (10, 2.0))):
        for j, colour in enumerate(((232, 56, 40), (40, 100, 220))):
            y = 20 + j * 11 + 1.6 * math.sin(2 * math.pi * x / 22 + 0.6)
            c.fill(Box(x - size / 2, y, x + size / 2, y + size), colour)
    return c


def draw_os_nt():
    c = Canvas(48, 48, 4)
    # Server tower behind.
    c.badge(Box(3, 3, 21, 45, 2), (120, 128, 140), (64, 70, 80), 1.2)
    c.fill(Box(4.5, 4.5, 12, 43.5, 1.2), (142, 150, 162))
    for y in (8, 13, 18):
        c.fill(Box(6, y, 18, y + 3, 0.6), (70, 76, 86))
        c.fill(Box(7, y + 1, 11, y + 2), (150, 158, 170))
    c.fill(Circle(16, 40, 1.4), (80, 230, 110))
    # Window in front.
    win = Box(15, 17, 46, 43, 2.2)
    c.fill(Grow(win, 1.2), (20, 34, 60))
    c.fill(win, PAPER)
    c.fill(Intersect(win, Box(15, 17, 46, 24)),
           vertical_gradient(17, 24, (60, 130, 240), (0, 72, 200)))
    c.fill(Box(39, 18.5, 44, 22.5, 1), (220, 60, 40))
    c.fill(Box(17, 26, 44, 41), (238, 242, 248))
    c.fill(Box(19, 28, 30, 39, 1), (90, 150, 230))
    c.fill(Box(32, 28, 42, 32), (180, 190, 204))
    c.fill(Box(32, 34, 42, 36), (200, 208, 220))
    c.fill(Box(32, 37, 38, 39), (200, 208, 220))
    return c


def draw_os_modern():
    c = Canvas(48, 48, 4)
    frame = Box(3, 5, 45, 43, 3.0)
    c.fill(frame, BLUE_DARK)
    sky = vertical_gradient(8, 40, (112, 196, 255), (30, 120, 220))
    panes = ((6, 8, 23, 23), (25, 8, 42, 23), (6, 25, 23, 40), (25, 25, 42, 40))
    for i, (x0, y0, x1, y1) in enumerate(panes):
        c.fill(Box(x0, y0, x1, y1, 1.0), sky)
        if i == 0:
            c.fill(Box(x0, y0, x1, y1, 1.0), PAPER, 0.22)
    return c


# ---------------------------------------------------------------------------------------------
# Output.


def outputs():
    """(file name, bytes) of every picture."""
    files = []
    icon = [(s, draw_program_icon(s).rgba()) for s in (16, 24, 32, 48, 256)]
    files.append(("hivewarden.ico", ico_bytes(icon)))
    grid = icon_strip(GRID_ICONS)
    files.append(("grid_icons.bmp", bmp_bytes(grid.w, grid.h, grid.rgba(), 4)))
    custom = icon_strip(CUSTOM_ICONS)
    files.append(("custom_icons.bmp", bmp_bytes(custom.w, custom.h, custom.rgba(), 4)))
    for name, draw in (("start_page.bmp", draw_start_page),
                       ("advanced_page.bmp", draw_advanced_page)):
        page = draw()
        files.append((name, bmp_bytes(page.w, page.h, page.rgb_over((20, 44, 88)), 3)))
    anim = draw_search_strip()
    files.append(("search_anim.bmp", bmp_bytes(anim.w, anim.h, anim.rgb_keyed(), 3)))
    for name, draw in (("os_9x.bmp", draw_os_9x), ("os_nt.bmp", draw_os_nt),
                       ("os_modern.bmp", draw_os_modern)):
        pic = draw()
        files.append((name, bmp_bytes(pic.w, pic.h, pic.rgb_keyed(), 3)))
    return files, icon, grid, custom


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(here, "..", "src", "ui", "win32",
                                                      "resources", "art"))
    parser.add_argument("--preview", help="also write PNG copies with alpha into this folder")
    args = parser.parse_args()
    files, icon, grid, custom = outputs()
    os.makedirs(args.out, exist_ok=True)
    for name, data in files:
        with open(os.path.join(args.out, name), "wb") as f:
            f.write(data)
        print(f"{name}: {len(data)} bytes")
    if args.preview:
        os.makedirs(args.preview, exist_ok=True)
        previews = [("icon_%d.png" % s, s, s, px) for s, px in icon]
        previews.append(("grid_icons.png", grid.w, grid.h, grid.rgba()))
        previews.append(("custom_icons.png", custom.w, custom.h, custom.rgba()))
        for name, w, h, px in previews:
            with open(os.path.join(args.preview, name), "wb") as f:
                f.write(png_bytes(w, h, px))


if __name__ == "__main__":
    main()
