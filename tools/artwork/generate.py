#!/usr/bin/python3
"""Draws every bitmap and icon of Quillset, and a preview of the main window.

Run from anywhere, with Debian's python3-pil and the fonts fonts-wqy-microhei
and fonts-dejavu-core installed:

    /usr/bin/python3 tools/artwork/generate.py

It writes res/bitmaps/*.bmp (24 bits) drawn at 96 DPI, the same pictures
drawn at 1.5 and 2 times that size into res/bitmaps/150 and res/bitmaps/200,
res/icons/*.ico (32-bit images with alpha, 16, 24, 32, 48 and 64 pixels), the
demo disc's icons demo/disc/icons/*.ico (the same sizes) and
tools/artwork/preview.png, a 800x500 picture of the main window composed
from the pieces the way the window lays them out. Every picture is drawn at
its own size, never resampled from another. Running it again gives the same
bytes. The build uses the committed files and never runs this script.
"""

import math
import os
import struct

from PIL import Image, ImageChops, ImageDraw, ImageFont

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BITMAPS = os.path.join(ROOT, "res", "bitmaps")
# The larger sets of bitmaps: folder and scale.
SCALED_BITMAPS = ((os.path.join(BITMAPS, "150"), 1.5), (os.path.join(BITMAPS, "200"), 2.0))
# The images every icon file holds.
ICON_SIZES = (16, 24, 32, 48, 64)
ICONS = os.path.join(ROOT, "res", "icons")
DISC_ICONS = os.path.join(ROOT, "demo", "disc", "icons")
PREVIEW = os.path.join(ROOT, "tools", "artwork", "preview.png")

CJK_FONT = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
LATIN_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"

# Colours of the windows.
WINDOW = (220, 230, 232)
LIST_BACK = (244, 245, 247)
BANNER_BUTTON_BACK = (76, 195, 247)
TITLE = (44, 67, 85)
LINK = (11, 91, 152)
LINK_SELECTED = (252, 24, 17)
DESCRIPTION = (99, 99, 101)
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)

# Colours of the artwork.
ACCENT = (25, 140, 220)
ACCENT_DARK = (16, 104, 178)
BORDER = (160, 180, 190)
BUTTON_BORDER = (143, 163, 175)
AUTO_BORDER = (62, 150, 74)
AUTO_GLYPH = (46, 160, 67)
MANUAL_BORDER = (206, 132, 24)
MANUAL_GLYPH = (236, 140, 20)

SS = 8  # supersampling of shapes (never of text)

# The scale pictures are drawn at: every coordinate and size below is in
# 96-DPI pixels and is multiplied by K where it meets the picture's pixels.
K = 1.0


def S(v):
    """A 96-DPI length in pixels at the scale, rounded half up."""
    return int(math.floor(v * K + 0.5))


class Font:
    """A font of a 96-DPI pixel size, made at the scale it is used at."""
    cache = {}

    def __init__(self, size, path):
        self.size, self.path = size, path

    def at(self):
        key = (self.path, S(self.size))
        if key not in Font.cache:
            Font.cache[key] = ImageFont.truetype(self.path, S(self.size), layout_engine=ImageFont.Layout.BASIC)
        return Font.cache[key]

    def getlength(self, s):
        return self.at().getlength(s) / K

    def getmetrics(self):
        ascent, descent = self.at().getmetrics()
        return ascent / K, descent / K


def font(size, path=CJK_FONT):
    return Font(size, path)


UI = font(12)


class scaled:
    """Draws at another scale for the duration of a with block."""

    def __init__(self, k):
        self.k = k

    def __enter__(self):
        global K
        self.old, K = K, self.k

    def __exit__(self, *exc):
        global K
        K = self.old


# --- Drawing helpers ---------------------------------------------------------

def canvas(w, h, colour=(0, 0, 0, 0)):
    """A picture w x h 96-DPI pixels large at the scale."""
    if len(colour) == 3:
        colour = colour + (255,)
    return Image.new("RGBA", (S(w), S(h)), colour)


def rect(img, x0, y0, x1, y1, fill):
    """Fills the 96-DPI pixels x0..x1, y0..y1 (inclusive) at the scale."""
    ImageDraw.Draw(img).rectangle([S(x0), S(y0), S(x1 + 1) - 1, S(y1 + 1) - 1], fill=fill)


def mix(a, b, t):
    """a blended toward b by t (0..1)."""
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def vgradient(w, h, stops):
    """Vertical gradient through (row, colour) stops, w x h pixels large with
    the rows in 96-DPI pixels; rows outside keep the end colours."""
    img = Image.new("RGBA", (w, h))
    px = img.load()
    for yp in range(h):
        y = yp / K
        if y <= stops[0][0]:
            c = stops[0][1]
        elif y >= stops[-1][0]:
            c = stops[-1][1]
        else:
            for (y0, c0), (y1, c1) in zip(stops, stops[1:]):
                if y0 <= y <= y1:
                    c = mix(c0, c1, (y - y0) / (y1 - y0) if y1 > y0 else 0)
                    break
        for x in range(w):
            px[x, yp] = c + (255,)
    return img


def shape_mask(w, h, draw_fn):
    """Coverage mask w x h pixels large of shapes drawn by
    draw_fn(ImageDraw, s), s turning 96-DPI coordinates into those of the
    mask drawn SS times larger."""
    big = Image.new("L", (w * SS, h * SS), 0)
    draw_fn(ImageDraw.Draw(big), SS * K)
    return big.resize((w, h), Image.BOX)


def rrect_mask(w, h, box, radius):
    x0, y0, x1, y1 = box

    def draw(d, s):
        d.rounded_rectangle([x0 * s, y0 * s, x1 * s - 1, y1 * s - 1], radius=radius * s, fill=255)
    return shape_mask(w, h, draw)


def paint(img, source, mask, opacity=1.0):
    """Composite a colour or an image over img through a coverage mask."""
    if isinstance(source, tuple):
        source = Image.new("RGBA", img.size, source + (255,))
    alpha = mask if opacity >= 1.0 else mask.point(lambda v: int(round(v * opacity)))
    src_alpha = source.getchannel("A")
    layer = source.copy()
    layer.putalpha(ImageChops.multiply(alpha, src_alpha))
    img.alpha_composite(layer)


def rounded_panel(img, box, radius, fill_stops, border, highlight=None):
    """A rounded rectangle with a vertical gradient, a 1-pixel border and an
    optional inner highlight along its top."""
    w, h = img.size
    x0, y0, x1, y1 = box
    outer = rrect_mask(w, h, box, radius)
    inner = rrect_mask(w, h, (x0 + 1, y0 + 1, x1 - 1, y1 - 1), max(radius - 1, 0))
    paint(img, border, outer)
    grad = vgradient(w, h, [(y0 + 1 + s, c) for s, c in fill_stops])
    paint(img, grad, inner)
    if highlight:
        top = rrect_mask(w, h, (x0 + 1, y0 + 1, x1 - 1, y1 - 1), max(radius - 1, 0))
        below = rrect_mask(w, h, (x0 + 1, y0 + 2, x1 - 1, y1 - 1), max(radius - 1, 0))
        paint(img, highlight[0], ImageChops.subtract(top, below), highlight[1])


def text(img, xy, s, fnt, fill, bold=False, anchor="ls"):
    """Text at its real pixel size, straight onto the picture (no resampling)."""
    d = ImageDraw.Draw(img)
    x, y = S(xy[0]), S(xy[1])
    d.text((x, y), s, font=fnt.at(), fill=fill, anchor=anchor)
    if bold:
        d.text((x + max(1, S(1)), y), s, font=fnt.at(), fill=fill, anchor=anchor)


def text_width(s, fnt):
    return int(math.ceil(fnt.getlength(s)))


def label(img, x, baseline, s, fnt, fill, mnemonic=None):
    """A button label; the mnemonic letter, if any, is underlined as Windows shows it."""
    text(img, (x, baseline), s, fnt, fill)
    if mnemonic is not None:
        i = s.index(mnemonic)
        lx = S(x) + int(round(fnt.at().getlength(s[:i])))
        lw = int(round(fnt.at().getlength(s[i])))
        y = S(baseline) + S(2)
        ImageDraw.Draw(img).rectangle([lx, y, lx + lw - 1, y + max(1, S(1)) - 1], fill=fill)


def centred_baseline(fnt, top, bottom):
    """Baseline that centres the font's ascent and descent between top and bottom."""
    ascent, descent = fnt.getmetrics()
    return top + (bottom - top - (ascent + descent)) // 2 + ascent


def to_rgb(img):
    return img.convert("RGB")


# --- File writers (byte-exact, no time stamps) ---------------------------------

def write_bmp(path, img):
    img = to_rgb(img)
    w, h = img.size
    stride = (w * 3 + 3) & ~3
    rows = []
    px = img.load()
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b = px[x, y]
            row += bytes((b, g, r))
        row += b"\0" * (stride - w * 3)
        rows.append(bytes(row))
    bits = b"".join(rows)
    header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(bits), 2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(bits), 0, 0, 14 + 40)
    with open(path, "wb") as f:
        f.write(file_header + header + bits)


def ico_image(img):
    """One 32-bit icon image: BITMAPINFOHEADER, BGRA rows bottom-up, AND mask."""
    w, h = img.size
    px = img.load()
    xor = bytearray()
    mask = bytearray()
    mask_stride = ((w + 31) // 32) * 4
    for y in range(h - 1, -1, -1):
        bits = bytearray(mask_stride)
        for x in range(w):
            r, g, b, a = px[x, y]
            xor += bytes((b, g, r, a))
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def write_ico(path, images):
    images = sorted(images, key=lambda i: i.size[0])
    datas = [ico_image(i) for i in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for img, data in zip(images, datas):
        w, h = img.size
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(datas))


# --- Glyphs (drawn in a unit square, scaled to the target) ------------------------

def glyph_mask(size, draw_fn, box=None):
    """Mask size (pixels) large of a glyph drawn by draw_fn(d, pt, s) where pt
    maps unit coordinates into box (96-DPI pixels; the whole mask if none)."""
    w, h = size
    bx = box or (0, 0, w / K, h / K)

    def draw(d, s):
        def pt(u, v):
            return ((bx[0] + u * (bx[2] - bx[0])) * s, (bx[1] + v * (bx[3] - bx[1])) * s)
        draw_fn(d, pt, s * (bx[2] - bx[0]))
    return shape_mask(w, h, draw)


def thick_line(d, pt, unit, points, width, fill=255):
    """A polyline with round joins and ends; width in unit coordinates."""
    ps = [pt(u, v) for u, v in points]
    wpx = width * unit
    d.line(ps, fill=fill, width=max(1, int(round(wpx))), joint="curve")
    r = wpx / 2
    for x, y in (ps[0], ps[-1]):
        d.ellipse([x - r, y - r, x + r, y + r], fill=fill)


def feather(d, pt, unit, shaft=True, notches=True):
    """The quill: a vane along a diagonal axis and its shaft running to a nib."""
    tip, base = (0.84, 0.10), (0.34, 0.62)
    ax, ay = base[0] - tip[0], base[1] - tip[1]
    length = math.hypot(ax, ay)
    nx, ny = -ay / length, ax / length  # left of the axis, looking from tip to base
    left, right = [], []
    n = 48
    for i in range(n + 1):
        t = i / n
        cx, cy = tip[0] + ax * t, tip[1] + ay * t
        bulge = math.sin(math.pi * (t ** 0.85))
        wl = 0.20 * bulge * (1.0 - 0.15 * t)
        wr = 0.10 * bulge
        left.append(pt(cx + nx * wl, cy + ny * wl))
        right.append(pt(cx - nx * wr, cy - ny * wr))
    d.polygon(left + right[::-1], fill=255)
    if notches:
        for t, depth in ((0.42, 0.10), (0.66, 0.08)):
            cx, cy = tip[0] + ax * t, tip[1] + ay * t
            wl = 0.20 * math.sin(math.pi * (t ** 0.85)) * (1.0 - 0.15 * t)
            ox, oy = cx + nx * (wl + 0.02), cy + ny * (wl + 0.02)
            ix, iy = cx + nx * (wl - depth) + ax * 0.05, cy + ny * (wl - depth) + ay * 0.05
            d.polygon([pt(ox - ax * 0.06, oy - ay * 0.06), pt(ox + ax * 0.02, oy + ay * 0.02), pt(ix, iy)], fill=0)
    if shaft:
        thick_line(d, pt, unit, [(tip[0] + ax * 0.18, tip[1] + ay * 0.18), (base[0] - ax * 0.04, base[1] - ay * 0.04)],
                   0.028, fill=0)
    thick_line(d, pt, unit, [base, (0.17, 0.86)], 0.055, fill=255)


def check_tick(d, pt, unit):
    thick_line(d, pt, unit, [(0.22, 0.52), (0.42, 0.72), (0.80, 0.30)], 0.16)


# --- Icons -----------------------------------------------------------------------

def tile(size, top, bottom):
    """A rounded, gently shaded square: the ground of every application icon."""
    img = canvas(size, size)
    pw, ph = img.size
    m = 1 if size >= 24 else 0
    box = (m, m, size - m, size - m)
    r = size * 0.22
    paint(img, mix(bottom, BLACK, 0.25), rrect_mask(pw, ph, box, r))
    grad = vgradient(pw, ph, [(m, top), (size - m, bottom)])
    paint(img, grad, rrect_mask(pw, ph, (box[0], box[1], box[2], box[3] - (1 if size >= 24 else 0)), r))
    if size >= 24:
        # a soft light on the upper half
        sheen = rrect_mask(pw, ph, (box[0] + 1, box[1] + 1, box[2] - 1, box[1] + (box[3] - box[1]) * 0.5), r * 0.8)
        paint(img, WHITE, sheen, 0.10)
    return img


def app_icon(size):
    img = tile(size, (84, 205, 250), (18, 118, 204))
    pad = {16: 1.0, 32: 3.0, 48: 4.5}.get(size, size * 0.09)
    box = (pad, pad, size - pad, size - pad)
    simple = size < 24

    def draw(d, pt, unit):
        feather(d, pt, unit, shaft=not simple, notches=not simple)
    m = glyph_mask(img.size, draw, box)
    if size >= 32:
        shadow = Image.new("L", m.size, 0)
        shadow.paste(m, (S(1), S(1)))
        paint(img, (10, 70, 140), shadow, 0.35)
    paint(img, WHITE, m)
    return img


def check_box(ticked, size=16):
    img = canvas(size, size)
    box = (1, 1, 15, 15)
    if ticked:
        rounded_panel(img, box, 3, [(0, (64, 170, 240)), (12, (22, 122, 205))], ACCENT_DARK)
        paint(img, WHITE, glyph_mask(img.size, check_tick, (2, 2, 14, 14)))
    else:
        rounded_panel(img, box, 3, [(0, WHITE), (12, (232, 238, 242))], (122, 142, 158))
    return img


def all_software_icon():
    size = 32
    img = canvas(size, size)
    colours = [((90, 190, 250), (28, 128, 214)), ((110, 214, 120), (38, 158, 70)),
               ((255, 190, 80), (232, 128, 20)), ((190, 140, 240), (122, 78, 200))]
    cells = [(2, 2), (17, 2), (2, 17), (17, 17)]
    pw, ph = img.size
    for (x, y), (top, bottom) in zip(cells, colours):
        box = (x, y, x + 13, y + 13)
        paint(img, mix(bottom, BLACK, 0.2), rrect_mask(pw, ph, box, 3.5))
        grad = vgradient(pw, ph, [(y, top), (y + 13, bottom)])
        paint(img, grad, rrect_mask(pw, ph, (x, y, x + 13, y + 12), 3.5))
        paint(img, WHITE, rrect_mask(pw, ph, (x + 1, y + 1, x + 12, y + 6), 2.5), 0.18)
    return img


# Glyphs of the demo disc's icons, white on a coloured tile.

def g_gear(d, pt, u):
    cx, cy = pt(0.5, 0.5)
    for i in range(8):
        a = i * math.pi / 4
        x, y = pt(0.5 + 0.33 * math.cos(a), 0.5 + 0.33 * math.sin(a))
        r = 0.09 * u
        d.ellipse([x - r, y - r, x + r, y + r], fill=255)
    r = 0.30 * u
    d.ellipse([cx - r, cy - r, cx + r, cy + r], fill=255)
    r = 0.12 * u
    d.ellipse([cx - r, cy - r, cx + r, cy + r], fill=0)


def g_briefcase(d, pt, u):
    d.rounded_rectangle([*pt(0.16, 0.32), *pt(0.84, 0.80)], radius=0.08 * u, fill=255)
    d.rounded_rectangle([*pt(0.36, 0.18), *pt(0.64, 0.36)], radius=0.06 * u, outline=255, width=max(1, int(0.08 * u)))
    d.rectangle([*pt(0.16, 0.50), *pt(0.84, 0.54)], fill=0)
    d.rectangle([*pt(0.45, 0.46), *pt(0.55, 0.60)], fill=255)


def g_network(d, pt, u):
    nodes = [(0.50, 0.24), (0.24, 0.72), (0.76, 0.72)]
    for a in nodes:
        for b in nodes:
            if a < b:
                thick_line(d, pt, u, [a, b], 0.07)
    for x, y in nodes:
        cx, cy = pt(x, y)
        r = 0.14 * u
        d.ellipse([cx - r, cy - r, cx + r, cy + r], fill=255)


def g_zip(d, pt, u):
    d.rounded_rectangle([*pt(0.06, 0.12), *pt(0.94, 0.36)], radius=0.05 * u, fill=255)
    d.rectangle([*pt(0.14, 0.42), *pt(0.86, 0.90)], fill=255)
    d.rounded_rectangle([*pt(0.34, 0.50), *pt(0.66, 0.62)], radius=0.05 * u, fill=0)
    d.rectangle([*pt(0.44, 0.12), *pt(0.56, 0.36)], fill=0)


def g_sparkle(d, pt, u):
    def star(cx, cy, r, w):
        d.polygon([pt(cx, cy - r), pt(cx + w, cy - w), pt(cx + r, cy), pt(cx + w, cy + w),
                   pt(cx, cy + r), pt(cx - w, cy + w), pt(cx - r, cy), pt(cx - w, cy - w)], fill=255)
    star(0.42, 0.56, 0.30, 0.07)
    star(0.74, 0.28, 0.15, 0.04)
    star(0.76, 0.76, 0.10, 0.03)


def g_info(d, pt, u):
    cx, cy = pt(0.5, 0.5)
    r = 0.36 * u
    d.ellipse([cx - r, cy - r, cx + r, cy + r], outline=255, width=max(1, int(0.08 * u)))
    x, y = pt(0.5, 0.32)
    r = 0.055 * u
    d.ellipse([x - r, y - r, x + r, y + r], fill=255)
    d.rounded_rectangle([*pt(0.45, 0.42), *pt(0.55, 0.72)], radius=0.03 * u, fill=255)


def g_writer(d, pt, u):
    d.polygon([pt(0.22, 0.14), pt(0.60, 0.14), pt(0.78, 0.32), pt(0.78, 0.86), pt(0.22, 0.86)], fill=255)
    d.polygon([pt(0.60, 0.14), pt(0.60, 0.32), pt(0.78, 0.32)], fill=0)
    for y in (0.44, 0.56, 0.68):
        d.rectangle([*pt(0.32, y), *pt(0.68, y + 0.05)], fill=0)


def g_calc(d, pt, u):
    d.rounded_rectangle([*pt(0.22, 0.12), *pt(0.78, 0.88)], radius=0.08 * u, fill=255)
    d.rectangle([*pt(0.31, 0.21), *pt(0.69, 0.36)], fill=0)
    for row in range(3):
        for col in range(3):
            x, y = 0.31 + col * 0.14, 0.45 + row * 0.13
            d.rectangle([*pt(x, y), *pt(x + 0.10, y + 0.08)], fill=0)


def g_pdf(d, pt, u):
    d.polygon([pt(0.12, 0.04), pt(0.66, 0.04), pt(0.88, 0.26), pt(0.88, 0.96), pt(0.12, 0.96)], fill=255)
    d.polygon([pt(0.66, 0.04), pt(0.66, 0.26), pt(0.88, 0.26)], fill=0)


def g_globe(d, pt, u):
    cx, cy = pt(0.5, 0.5)
    r = 0.36 * u
    w = max(1, int(round(0.07 * u)))
    d.ellipse([cx - r, cy - r, cx + r, cy + r], outline=255, width=w)
    d.ellipse([cx - r * 0.45, cy - r, cx + r * 0.45, cy + r], outline=255, width=w)
    d.line([pt(0.5, 0.14), pt(0.5, 0.86)], fill=255, width=w)
    d.line([pt(0.14, 0.5), pt(0.86, 0.5)], fill=255, width=w)


def g_chat(d, pt, u):
    d.rounded_rectangle([*pt(0.10, 0.16), *pt(0.66, 0.58)], radius=0.14 * u, fill=255)
    d.polygon([pt(0.22, 0.54), pt(0.22, 0.72), pt(0.38, 0.56)], fill=255)
    d.rounded_rectangle([*pt(0.38, 0.40), *pt(0.90, 0.78)], radius=0.13 * u, fill=0)
    d.rounded_rectangle([*pt(0.43, 0.45), *pt(0.85, 0.74)], radius=0.10 * u, fill=255)
    d.polygon([pt(0.76, 0.70), pt(0.80, 0.88), pt(0.64, 0.72)], fill=255)


def g_download(d, pt, u):
    thick_line(d, pt, u, [(0.5, 0.14), (0.5, 0.56)], 0.13)
    d.polygon([pt(0.28, 0.44), pt(0.72, 0.44), pt(0.5, 0.68)], fill=255)
    thick_line(d, pt, u, [(0.18, 0.66), (0.18, 0.82), (0.82, 0.82), (0.82, 0.66)], 0.10)


DISC_ICON_STYLES = {
    "tools": ((118, 146, 178), (62, 86, 118), g_gear),
    "office": ((255, 168, 72), (222, 108, 22), g_briefcase),
    "network": ((56, 206, 200), (0, 138, 150), g_network),
    "zip": ((255, 206, 84), (218, 150, 12), g_zip),
    "clean": ((236, 120, 200), (180, 52, 142), g_sparkle),
    "info": ((96, 186, 250), (30, 124, 214), g_info),
    "writer": ((100, 146, 236), (40, 86, 196), g_writer),
    "calc": ((76, 196, 120), (20, 136, 76), g_calc),
    "pdf": ((250, 104, 96), (200, 36, 36), g_pdf),
    "browser": ((168, 128, 244), (104, 64, 196), g_globe),
    "chat": ((110, 216, 110), (40, 160, 60), g_chat),
    "download": ((70, 170, 250), (12, 106, 206), g_download),
}


def disc_icon(name):
    top, bottom, glyph = DISC_ICON_STYLES[name]
    img = tile(32, top, bottom)
    m = glyph_mask(img.size, glyph, (6, 6, 26, 26))
    shadow = Image.new("L", m.size, 0)
    shadow.paste(m, (0, S(1)))
    paint(img, mix(bottom, BLACK, 0.4), shadow, 0.35)
    paint(img, WHITE, m)
    if name == "pdf":
        f = font(8, "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf")
        text(img, (16, 24), "PDF", f, (200, 36, 36), anchor="ms")
    return img


# --- Banner -------------------------------------------------------------------------

BANNER_W, BANNER_H = 690, 69


def banner_column_profile():
    """The banner's ground, row by row, where nothing is drawn on it: a soft
    light at the top, the button colour from row 30, a darker rim at the bottom."""
    rows = []
    for y in range(BANNER_H):
        c = BANNER_BUTTON_BACK
        if y < 30:
            c = mix(c, WHITE, 0.16 * (1 - y / 30) ** 1.6)
        if y == BANNER_H - 3:
            c = mix(c, (20, 110, 180), 0.18)
        elif y == BANNER_H - 2:
            c = mix(c, (20, 110, 180), 0.40)
        elif y == BANNER_H - 1:
            c = (40, 130, 190)
        rows.append(c)
    return rows


def banner_fill():
    """One pixel wide: the window stretches it."""
    img = Image.new("RGBA", (1, S(BANNER_H)))
    profile = banner_column_profile()
    for y in range(img.size[1]):
        img.putpixel((0, y), profile[min(int(y / K), BANNER_H - 1)] + (255,))
    return img


def banner():
    profile = banner_column_profile()
    img = canvas(BANNER_W, BANNER_H)
    pw, ph = img.size
    px = img.load()
    deep = (22, 118, 200)
    for xp in range(pw):
        # deeper blue behind the name on the left, the button colour from x = 470 on
        t = min(1.0, xp / K / 470.0)
        t = t * t * (3 - 2 * t)
        for yp in range(ph):
            y = min(int(yp / K), BANNER_H - 1)
            base = profile[y]
            if y < BANNER_H - 3:
                c = mix(mix(deep, BANNER_BUTTON_BACK, t), WHITE,
                        0.16 * (1 - y / 30) ** 1.6 if y < 30 else 0)
                base = c
            px[xp, yp] = base + (255,)
    # quiet rings in the middle, kept clear of the buttons' corner
    rings = shape_mask(pw, ph, lambda d, s: [
        d.ellipse([(cx - r) * s, (cy - r) * s, (cx + r) * s, (cy + r) * s], outline=255, width=int(w * s))
        for cx, cy, r, w in ((430, 92, 74, 10), (430, 92, 50, 4), (506, -30, 62, 6), (330, -46, 70, 3))])
    keep = Image.new("L", (pw, ph), 0)
    rect(keep, 0, 0, 566, BANNER_H - 4, 255)
    paint(img, WHITE, ImageChops.multiply(rings, keep), 0.10)
    # the application's mark and name
    mark = app_icon(48)
    img.alpha_composite(mark, (S(16), S(10)))
    title = font(26, LATIN_BOLD)
    text(img, (77, 36), "Tovrin Quillset", title, (12, 70, 130))
    text(img, (76, 35), "Tovrin Quillset", title, WHITE)
    sub = font(13)
    text(img, (78, 55), "装机软件一站配齐 · 勾选即装, 省时省心", sub, (12, 70, 130))
    text(img, (77, 54), "装机软件一站配齐 · 勾选即装, 省时省心", sub, WHITE)
    return img


# --- The list frame ------------------------------------------------------------------

FRAME_SHADOW = (92, 118, 130)


def frame_pixel(dx, dy):
    """Colour at a pixel whose centre lies dx, dy pixels (96-DPI) outside the
    list's rectangle (0 or less = inside)."""
    d = math.hypot(max(dx, 0.0), max(dy, 0.0))
    if dx <= 0 and dy <= 0:
        return LIST_BACK
    if d <= 1.0:
        return BORDER
    t = (d - 1.0) / 4.0
    return mix(WINDOW, FRAME_SHADOW, 0.30 * max(0.0, 1 - t) ** 2)


def frame_sample(x, y, rect):
    """Supersampled colour at pixel (x, y) of a virtual frame around rect."""
    n = 4
    acc = [0, 0, 0]
    for i in range(n):
        for j in range(n):
            px = x + (i + 0.5) / n
            py = y + (j + 0.5) / n
            dx = max(rect[0] - px, px - rect[2]) / K
            dy = max(rect[1] - py, py - rect[3]) / K
            c = frame_pixel(dx, dy)
            for k in range(3):
                acc[k] += c[k]
    return tuple(int(round(v / (n * n))) for v in acc)


def frame_pieces():
    """Corners and edges cut from one virtual frame, so that they join exactly.
    The pieces are twice the overhang o wide, half of it over the list."""
    o = S(5)
    f = 2 * o
    size = 6 * o
    rect = (o, o, size - o, size - o)
    full = Image.new("RGBA", (size, size))
    for y in range(size):
        for x in range(size):
            full.putpixel((x, y), frame_sample(x, y, rect) + (255,))
    mid = 3 * o
    pieces = {
        "frame_topleft": full.crop((0, 0, f, f)),
        "frame_topright": full.crop((size - f, 0, size, f)),
        "frame_bottomleft": full.crop((0, size - f, f, size)),
        "frame_bottomright": full.crop((size - f, size - f, size, size)),
        "frame_top": full.crop((mid, 0, mid + 1, f)),
        "frame_bottom": full.crop((mid, size - f, mid + 1, size)),
        "frame_left": full.crop((0, mid, f, mid + 1)),
        "frame_right": full.crop((size - f, mid, size, mid + 1)),
    }
    fix_frame_joins(pieces, o)
    return pieces


def fix_frame_joins(pieces, o):
    """The edges are stretched over the inner halves of the corners: make the
    corners equal to their edges there, so that nothing depends on the order."""
    f = 2 * o
    top, bottom = pieces["frame_top"], pieces["frame_bottom"]
    left, right = pieces["frame_left"], pieces["frame_right"]
    for name, xs, edge in (("frame_topleft", range(o, f), top), ("frame_bottomleft", range(o, f), bottom),
                           ("frame_topright", range(0, o), top), ("frame_bottomright", range(0, o), bottom)):
        for x in xs:
            for y in range(f):
                pieces[name].putpixel((x, y), edge.getpixel((0, y)))
    for name, ys, edge in (("frame_topleft", range(o, f), left), ("frame_topright", range(o, f), right),
                           ("frame_bottomleft", range(0, o), left), ("frame_bottomright", range(0, o), right)):
        for y in ys:
            for x in range(f):
                pieces[name].putpixel((x, y), edge.getpixel((x, 0)))


# --- Entry rows, header rows, category pane --------------------------------------------

ROW_H = 60
SEPARATOR = (226, 230, 235)
SEL_TOP, SEL_BOTTOM = (233, 245, 254), (207, 233, 251)
SEL_BORDER = (122, 184, 230)


def cut(img, full_w, width, side):
    """The piece of a whole row: width 96-DPI pixels from its left or right
    end, or a middle piece one pixel wide, which the lists stretch."""
    w, h = img.size
    if side == "left":
        return img.crop((0, 0, S(width), h))
    if side == "right":
        return img.crop((w - S(width), 0, w, h))
    return img.crop((S(full_w // 2), 0, S(full_w // 2) + 1, h))


def entry_row(width, side, selected):
    """A piece of an entry row. side: 'mid', 'left' or 'right'. The whole row
    is imagined 400 pixels wide and the piece cut from it, so pieces join."""
    full_w = 400
    img = canvas(full_w, ROW_H, LIST_BACK)
    pw, ph = img.size
    if selected:
        rounded_panel(img, (3, 1, full_w - 3, ROW_H - 1), 5, [(0, SEL_TOP), (ROW_H - 4, SEL_BOTTOM)], SEL_BORDER,
                      highlight=(WHITE, 0.7))
        # the accent along the left end
        paint(img, ACCENT, rrect_mask(pw, ph, (3, 1, 9, ROW_H - 1), 5))
        paint(img, SEL_TOP, rrect_mask(pw, ph, (6, 2, 12, ROW_H - 2), 2))
        paint(img, vgradient(pw, ph, [(2, SEL_TOP), (ROW_H - 3, SEL_BOTTOM)]),
              rrect_mask(pw, ph, (6, 2, 14, ROW_H - 2), 2))
    else:
        rect(img, 12, ROW_H - 1, full_w - 13, ROW_H - 1, SEPARATOR)
    return cut(img, full_w, width, side)


HEADER_TOP, HEADER_BOTTOM = (235, 240, 244), (222, 230, 236)


def header_row(width, side):
    full_w = 400
    img = canvas(full_w, ROW_H, LIST_BACK)
    band = (4, 15, full_w - 4, 51)
    rounded_panel(img, band, 6, [(0, HEADER_TOP), (34, HEADER_BOTTOM)], (206, 215, 222), highlight=(WHITE, 0.8))
    paint(img, ACCENT, rrect_mask(*img.size, (15, 25, 19, 41), 2))
    return cut(img, full_w, width, side)


PANE_W, PANE_ROW_H = 160, 52
PANE_LINE_DARK, PANE_LINE_LIGHT = (203, 215, 219), (236, 242, 244)


def pane_back():
    img = canvas(PANE_W, 1, WINDOW)
    return img.crop((0, 0, img.size[0], 1))


def pane_row(width, side, selected):
    img = canvas(PANE_W, PANE_ROW_H, WINDOW)
    if selected:
        # a card that runs into the list's frame on the right
        grad = vgradient(*img.size, [(2, (250, 253, 255)), (PANE_ROW_H - 3, (214, 236, 251))])
        card = Image.new("L", img.size, 0)
        rect(card, 0, 1, PANE_W - 1, PANE_ROW_H - 2, 255)
        paint(img, grad, card)
        rect(img, 0, 1, PANE_W - 1, 1, SEL_BORDER)
        rect(img, 0, PANE_ROW_H - 2, PANE_W - 1, PANE_ROW_H - 2, SEL_BORDER)
        rect(img, 0, 1, 1, PANE_ROW_H - 2, ACCENT)
    else:
        rect(img, 0, PANE_ROW_H - 2, PANE_W - 6, PANE_ROW_H - 2, PANE_LINE_DARK)
        rect(img, 0, PANE_ROW_H - 1, PANE_W - 6, PANE_ROW_H - 1, PANE_LINE_LIGHT)
    return cut(img, PANE_W, width, side)


# --- Buttons -----------------------------------------------------------------------

NEUTRAL = {"normal": ([(0, WHITE), (20, (229, 236, 240))], BUTTON_BORDER),
           "hot": ([(0, WHITE), (20, (214, 236, 252))], (64, 150, 215))}
AUTO = {"normal": ([(0, (246, 253, 246)), (20, (203, 236, 206))], AUTO_BORDER),
        "hot": ([(0, (236, 252, 237)), (20, (172, 226, 178))], (36, 128, 52))}
MANUAL = {"normal": ([(0, (255, 251, 240)), (20, (252, 226, 180))], MANUAL_BORDER),
          "hot": ([(0, (255, 247, 228)), (20, (250, 208, 140))], (176, 104, 8))}


def button_base(w, h, style, state, ground):
    img = canvas(w, h, ground)
    stops, border = style[state]
    rounded_panel(img, (0, 0, w, h), 4, stops, border, highlight=(WHITE, 0.9))
    return img


def disc_glyph(img, x, y, colour, glyph, size=15):
    """A round badge with a white glyph, at (x, y), size 96-DPI pixels across."""
    m = rrect_mask(img.size[0], img.size[1], (x, y, x + size, y + size), size / 2)
    paint(img, colour, m)
    g = glyph_mask(img.size, glyph, (x + 2, y + 2, x + size - 2, y + size - 2))
    paint(img, WHITE, g)


def bolt(d, pt, u):
    d.polygon([pt(0.60, 0.02), pt(0.18, 0.56), pt(0.46, 0.56), pt(0.38, 0.98), pt(0.82, 0.42), pt(0.54, 0.42),
               pt(0.64, 0.02)], fill=255)


def pointer(d, pt, u):
    d.polygon([pt(0.26, 0.04), pt(0.26, 0.84), pt(0.44, 0.66), pt(0.58, 0.96), pt(0.72, 0.90), pt(0.58, 0.60),
               pt(0.84, 0.60)], fill=255)


def floppy(d, pt, u):
    d.polygon([pt(0.06, 0.06), pt(0.76, 0.06), pt(0.94, 0.24), pt(0.94, 0.94), pt(0.06, 0.94)], fill=255)
    d.rectangle([*pt(0.24, 0.06), *pt(0.70, 0.34)], fill=0)
    d.rectangle([*pt(0.54, 0.10), *pt(0.64, 0.30)], fill=255)
    d.rectangle([*pt(0.20, 0.52), *pt(0.80, 0.94)], fill=0)


def question(d, pt, u):
    w = max(1, int(round(0.16 * u)))
    d.arc([*pt(0.24, 0.06), *pt(0.76, 0.56)], start=180, end=90, fill=255, width=w)
    thick_line(d, pt, u, [(0.50, 0.55), (0.50, 0.66)], 0.16)
    x, y = pt(0.5, 0.88)
    r = 0.09 * u
    d.ellipse([x - r, y - r, x + r, y + r], fill=255)


def house(d, pt, u):
    d.polygon([pt(0.50, 0.06), pt(0.96, 0.50), pt(0.82, 0.50), pt(0.82, 0.94), pt(0.18, 0.94), pt(0.18, 0.50),
               pt(0.04, 0.50)], fill=255)
    d.rectangle([*pt(0.40, 0.62), *pt(0.60, 0.94)], fill=0)


def cross(d, pt, u):
    thick_line(d, pt, u, [(0.2, 0.2), (0.8, 0.8)], 0.2)
    thick_line(d, pt, u, [(0.8, 0.2), (0.2, 0.8)], 0.2)


def push_button(w, h, style, state, ground, glyph, glyph_colour, caption, mnemonic=None, glyph_size=15):
    img = button_base(w, h, style, state, ground)
    tw = text_width(caption, UI)
    total = glyph_size + 5 + tw
    x = (w - total) // 2
    gy = (h - glyph_size) // 2
    disc_glyph(img, x, gy, glyph_colour, glyph, glyph_size)
    baseline = centred_baseline(UI, 0, h)
    label(img, x + glyph_size + 5, baseline, caption, UI, BLACK, mnemonic)
    return img


def options_button():
    img = button_base(15, 23, NEUTRAL, "normal", WINDOW)
    m = shape_mask(*img.size, lambda dd, s: dd.polygon([(4 * s, 10 * s), (11 * s, 10 * s), (7.5 * s, 14 * s)],
                                                         fill=255))
    paint(img, BLACK, m)
    return img


def select_all(ticked):
    img = canvas(140, 24, WINDOW)
    img.alpha_composite(check_box(ticked), (S(3), S(4)))
    baseline = centred_baseline(UI, 0, 24)
    label(img, 25, baseline, "全选 (A)", UI, BLACK, "A")
    return img


def close_button(hot):
    img = button_base(80, 20, NEUTRAL, "hot" if hot else "normal", WINDOW)
    caption = "关闭 (C)"
    tw = text_width(caption, UI)
    g = 11
    x = (80 - (g + 4 + tw)) // 2
    disc_glyph(img, x, (20 - g) // 2, (214, 64, 56) if hot else (120, 136, 148), cross, g)
    label(img, x + g + 4, centred_baseline(UI, 0, 20), caption, UI, BLACK, "C")
    return img


def square(d, pt, u):
    d.rectangle([*pt(0.26, 0.26), *pt(0.74, 0.74)], fill=255)


STOPPING = {"normal": ([(0, (240, 243, 245)), (20, (222, 228, 232))], (184, 196, 204))}


def stop_button(state):
    """The progress window's small stop button, the close button's sibling;
    once the batch is stopping it says so, greyed."""
    w, h = 64, 20
    stopping = state == "stopping"
    img = button_base(w, h, STOPPING if stopping else NEUTRAL, "normal" if stopping else state, WINDOW)
    caption = "正在停止" if stopping else "停止 (S)"
    tw = text_width(caption, UI)
    g = 11
    x = (w - (g + 4 + tw)) // 2
    colour = {"hot": (214, 64, 56), "normal": (120, 136, 148), "stopping": (170, 180, 188)}[state]
    disc_glyph(img, x, (h - g) // 2, colour, square, g)
    label(img, x + g + 4, centred_baseline(UI, 0, h), caption, UI, (110, 118, 124) if stopping else BLACK,
          None if stopping else "S")
    return img


BANNER_BTN = {"normal": ([(0, (255, 255, 255)), (20, (226, 244, 254))], (30, 128, 196)),
              "hot": ([(0, (255, 255, 255)), (20, (255, 247, 214))], (12, 96, 164))}


def banner_button(caption, glyph, hot):
    img = button_base(95, 23, BANNER_BTN, "hot" if hot else "normal", BANNER_BUTTON_BACK)
    tw = text_width(caption, UI)
    total = 15 + 5 + tw
    x = (95 - total) // 2
    disc_glyph(img, x, 4, ACCENT if not hot else (232, 128, 20), glyph, 15)
    label(img, x + 20, centred_baseline(UI, 0, 23), caption, UI, BLACK)
    return img


def maker():
    img = canvas(29, 45, WINDOW)
    rounded_panel(img, (0, 0, 29, 45), 6, [(0, (96, 206, 250)), (43, (20, 112, 196))], (14, 92, 166),
                  highlight=(WHITE, 0.5))
    m = glyph_mask(img.size, lambda d, pt, u: feather(d, pt, u), (1, 1, 28, 28))
    paint(img, WHITE, m)
    # the ink pot under the quill
    paint(img, (18, 52, 92), rrect_mask(*img.size, (7, 31, 22, 41), 3))
    paint(img, (18, 52, 92), rrect_mask(*img.size, (10, 28, 19, 32), 1))
    paint(img, (255, 255, 255), rrect_mask(*img.size, (9, 33, 13, 36), 1.5), 0.35)
    return img


# --- Everything, written out -------------------------------------------------------------

def build_bitmaps():
    b = {}
    b["banner"] = banner()
    b["banner_fill"] = banner_fill()
    b.update(frame_pieces())
    b["row_mid"] = entry_row(1, "mid", False)
    b["row_left"] = entry_row(88, "left", False)
    b["row_right"] = entry_row(88, "right", False)
    b["row_sel_mid"] = entry_row(1, "mid", True)
    b["row_sel_left"] = entry_row(88, "left", True)
    b["row_sel_right"] = entry_row(88, "right", True)
    b["header_mid"] = header_row(1, "mid")
    b["header_left"] = header_row(25, "left")
    b["header_right"] = header_row(25, "right")
    b["pane_back"] = pane_back()
    b["pane_row_mid"] = pane_row(1, "mid", False)
    b["pane_row_left"] = pane_row(3, "left", False)
    b["pane_row_right"] = pane_row(10, "right", False)
    b["pane_sel_mid"] = pane_row(1, "mid", True)
    b["pane_sel_left"] = pane_row(3, "left", True)
    b["pane_sel_right"] = pane_row(3, "right", True)
    for state, suffix in (("normal", ""), ("hot", "_hot")):
        b["install_auto" + suffix] = push_button(105, 23, AUTO, state, WINDOW, bolt, AUTO_GLYPH, "自动安装 (I)", "I")
        b["install_manual" + suffix] = push_button(105, 23, MANUAL, state, WINDOW, pointer, MANUAL_GLYPH,
                                                   "手动安装 (I)", "I")
        b["save" + suffix] = push_button(105, 23, NEUTRAL, state, WINDOW, floppy, ACCENT, "保存 (S)", "S")
        b["help" + suffix] = banner_button("使用帮助", question, state == "hot")
        b["homepage" + suffix] = banner_button("官方主页", house, state == "hot")
        b["close" + suffix] = close_button(state == "hot")
        b["stop" + suffix] = stop_button(state)
    b["options"] = options_button()
    b["stopping"] = stop_button("stopping")
    b["selectall"] = select_all(False)
    b["selectall_hot"] = select_all(True)
    b["maker"] = maker()
    return b


def icon_images(draw, base):
    """An icon drawn at every size, each at its own scale (base: the size it
    is designed at)."""
    images = []
    for n in ICON_SIZES:
        with scaled(n / base):
            images.append(draw())
    return images


def build():
    b = build_bitmaps()
    scaled_sets = []
    for folder, k in SCALED_BITMAPS:
        with scaled(k):
            scaled_sets.append((folder, build_bitmaps()))
    icons = {
        "app": [app_icon(n) for n in ICON_SIZES],
        "check_off": icon_images(lambda: check_box(False), 16),
        "check_on": icon_images(lambda: check_box(True), 16),
        "all_software": icon_images(all_software_icon, 32),
    }
    disc = {name: icon_images(lambda name=name: disc_icon(name), 32) for name in DISC_ICON_STYLES}
    return b, scaled_sets, icons, disc


def write_all(b, scaled_sets, icons, disc):
    for name, img in sorted(b.items()):
        write_bmp(os.path.join(BITMAPS, name + ".bmp"), img)
    for folder, images in scaled_sets:
        os.makedirs(folder, exist_ok=True)
        for name, img in sorted(images.items()):
            write_bmp(os.path.join(folder, name + ".bmp"), img)
    for name, imgs in sorted(icons.items()):
        write_ico(os.path.join(ICONS, name + ".ico"), imgs)
    for name, imgs in sorted(disc.items()):
        write_ico(os.path.join(DISC_ICONS, name + ".ico"), imgs)


# --- The preview: the main window at 800x500 ---------------------------------------------

def stretch(img, w, h):
    return img.resize((max(w, 1), max(h, 1)), Image.NEAREST)


def three_piece(dst, x, y, w, left, mid, right):
    lw, rw, h = left.size[0], right.size[0], left.size[1]
    dst.alpha_composite(left, (x, y))
    dst.alpha_composite(right, (x + w - rw, y))
    dst.alpha_composite(stretch(mid, w - lw - rw, h), (x + lw, y))


def vcentre_text(img, x, top, bottom, s, fnt, fill, bold=False):
    text(img, (x, centred_baseline(fnt, top, bottom)), s, fnt, fill, bold)


def preview(b, icons, disc):
    W, H = 800, 500
    img = canvas(W, H, WINDOW)
    list_rect = (167, 79, 789, 440)
    left, top, right, bottom = list_rect
    ImageDraw.Draw(img).rectangle([left, top, right - 1, bottom - 1], fill=LIST_BACK)
    img.alpha_composite(b["banner"], (0, 0))
    img.alpha_composite(stretch(b["banner_fill"], W - 690, 69), (690, 0))
    # frame: corners first, then the edges over their inner halves
    img.alpha_composite(b["frame_topleft"], (left - 5, top - 5))
    img.alpha_composite(b["frame_bottomleft"], (left - 5, bottom - 5))
    img.alpha_composite(b["frame_topright"], (right - 5, top - 5))
    img.alpha_composite(b["frame_bottomright"], (right - 5, bottom - 5))
    img.alpha_composite(stretch(b["frame_top"], right - left, 10), (left, top - 5))
    img.alpha_composite(stretch(b["frame_bottom"], right - left, 10), (left, bottom - 5))
    img.alpha_composite(stretch(b["frame_left"], 10, bottom - top), (left - 5, top))
    img.alpha_composite(stretch(b["frame_right"], 10, bottom - top), (right - 5, top))

    # category pane at (6, 79), 160 x 361
    pane = canvas(160, 361)
    pane.alpha_composite(stretch(b["pane_back"], 160, 361), (0, 0))
    at32 = ICON_SIZES.index(32)
    rows = [("全部软件(10)", icons["all_software"][at32]), ("系统工具(4)", disc["tools"][at32]),
            ("办公软件(3)", disc["office"][at32]), ("网络通信(3)", disc["network"][at32])]
    for i, (name, icon) in enumerate(rows):
        y = i * 52
        sel = i == 0
        three_piece(pane, 0, y, 160, b["pane_sel_left" if sel else "pane_row_left"],
                    b["pane_sel_mid" if sel else "pane_row_mid"], b["pane_sel_right" if sel else "pane_row_right"])
        pane.alpha_composite(icon, (22, y + 10))
        vcentre_text(pane, 65, y + 1, y + 52, name, UI, BLACK)
    img.alpha_composite(pane, (6, 79))

    # the entry list at (167, 79), 622 x 361; columns 311, 100, 180, 30
    lst = canvas(622, 361, LIST_BACK)
    row_w = 621
    # header row
    three_piece(lst, 0, 0, row_w, b["header_left"], b["header_mid"], b["header_right"])
    ty = centred_baseline(UI, 3, 62)
    text(lst, (32, ty + 1), "系统工具 (4款)", UI, WHITE)
    text(lst, (31, ty), "系统工具 (4款)", UI, TITLE)
    entries = [("极速压缩", "小巧快速的压缩解压工具, 支持常见的压缩格式", "1.50 MB", disc["zip"][at32], True, True),
               ("磁盘清理专家", "清理系统垃圾文件, 释放磁盘空间", "0.75 MB", disc["clean"][at32], False, False)]
    check = {True: icons["check_on"][0], False: icons["check_off"][0]}
    for i, (name, desc, size, icon, checked, sel) in enumerate(entries):
        y = 60 * (i + 1)
        if sel:
            three_piece(lst, 0, y, row_w, b["row_sel_left"], b["row_sel_mid"], b["row_sel_right"])
        else:
            three_piece(lst, 0, y, row_w, b["row_left"], b["row_mid"], b["row_right"])
        lst.alpha_composite(check[checked], (13, y + 21))
        lst.alpha_composite(icon, (41, y + 13))
        text_c = BLACK
        desc_c = BLACK if sel else DESCRIPTION
        link_c = LINK_SELECTED if sel else LINK
        vcentre_text(lst, 91, y + 15, y + 30, name, UI, text_c, bold=True)
        vcentre_text(lst, 91, y + 30, y + 45, desc, UI, desc_c)
        # size, centred in (317, 405)
        sw = text_width(size, UI)
        vcentre_text(lst, 317 + (88 - sw) // 2, y + 15, y + 30, size, UI, text_c)
        links = ["手动安装", "自动安装", "保存安装包"]
        gap = UI.getlength("    ")
        whole = UI.getlength("    ".join(links))
        x0 = 411 + (180 - whole) / 2
        for lk in links:
            lw = UI.getlength(lk)
            bl = centred_baseline(UI, y + 15, y + 30)
            text(lst, (int(x0), bl), lk, UI, link_c)
            ImageDraw.Draw(lst).line([(int(x0), bl + 1), (int(x0 + lw) - 1, bl + 1)], fill=link_c)
            x0 += lw + gap
    img.alpha_composite(lst, (167, 79))

    # buttons; each picture stands at its button's top-left corner
    img.alpha_composite(b["help"], (694, 38))
    img.alpha_composite(b["homepage"], (588, 38))
    img.alpha_composite(b["selectall"], (183, 455))
    img.alpha_composite(b["save"], (553, 455))
    img.alpha_composite(b["install_auto"], (667, 455))
    img.alpha_composite(b["options"], (773, 455))
    return to_rgb(img)


def main():
    b, scaled_sets, icons, disc = build()
    write_all(b, scaled_sets, icons, disc)
    preview(b, icons, disc).save(PREVIEW, optimize=False)


if __name__ == "__main__":
    main()
