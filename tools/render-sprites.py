#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the playing-field sprites as SVG files into assets/sprites/.

The SVGs are committed; the build only renders them to PNG (assets/CMakeLists.txt),
so this script is needed only to change the artwork. Shared shapes (the hero's
body, his gun, the elephant, the bee) are drawn once here and placed, turned or
mirrored per sprite. Run it from anywhere:

    tools/render-sprites.py            # rewrite assets/sprites/*.svg
    tools/render-sprites-preview.sh    # contact sheet and still scene in /tmp
"""

import math
import pathlib
import random
import sys

OUT_DIR = pathlib.Path(__file__).resolve().parent.parent / "assets" / "sprites"

# --------------------------------------------------------------------------
# Palette: flat cartoon colours, each with a darker line colour.

INK = "#1a1024"          # darkest line, eyes
WHITE = "#ffffff"

SKIN, SKIN_LINE, SKIN_SHADE = "#f8c795", "#8c4a22", "#e9a572"
NOSE = "#f29b76"
CHEEK = "#f27c6e"
MOUSTACHE, MOUSTACHE_LINE = "#b8571e", "#5a2408"
HAT, HAT_LIGHT, HAT_LINE = "#4fb13c", "#86d95a", "#1d4f17"
HAT_BAND = "#7b3f19"
FEATHER, FEATHER_LINE = "#ffd23a", "#b8661a"
JACKET, JACKET_LIGHT, JACKET_LINE = "#e0442d", "#ff7a52", "#6d1a10"
BELT, BUCKLE = "#3b2214", "#ffd23a"
TROUSERS, TROUSERS_LIGHT, TROUSERS_LINE = "#3f66c2", "#6f92e6", "#1b2d66"
BOOT, BOOT_LIGHT, BOOT_LINE = "#86491f", "#b06a34", "#3a1c08"
WOOD, WOOD_LIGHT, WOOD_LINE = "#c57b34", "#e8a55a", "#4d2a10"
METAL, METAL_LIGHT, METAL_LINE = "#b9c4d2", "#eef3f8", "#36404e"

ELE, ELE_LIGHT, ELE_SHADE, ELE_LINE = "#6cc94a", "#a8ec7c", "#46a036", "#1e5a1c"
EAR_INNER = "#f6a0b8"
TUSK = "#fff6dc"
WING, WING_SHADE, WING_LINE = "#ffffff", "#bcd8ff", "#3f6fc0"
NAIL = "#f3ecc8"

BEE, BEE_LIGHT, BEE_LINE = "#ffd21f", "#fff08a", "#7a4a00"
BEE_DARK = "#231a2c"
BEE_HEAD, BEE_HEAD_LINE = "#5a4a78", "#a898d0"
BEE_WING, BEE_WING_LINE = "#d7f0ff", "#5f9fd8"
STING = "#e8e8f0"

FLAME_RED, FLAME_ORANGE, FLAME_YELLOW, FLAME_CORE = "#e8361c", "#ff8a1c", "#ffd83a", "#fff8d0"

STONE, STONE_LIGHT, STONE_SHADE, STONE_LINE = "#8a8fb0", "#b7bcd8", "#62668a", "#2c2e48"
BRASS, BRASS_LIGHT, BRASS_SHADE, BRASS_LINE = "#e0a030", "#ffd870", "#a8661a", "#4a2608"
IRON, IRON_LINE = "#4a4e68", "#15161f"
LEAF, LEAF_LIGHT, LEAF_LINE = "#3fae3a", "#7ad85a", "#15461a"

PUFF, PUFF_SHADE, PUFF_LINE = "#fbf8ff", "#cdc2ee", "#6a5aa8"
STAR, STAR_LINE = "#ffe23a", "#c06a10"


def fmt(v):
    """A number as short SVG text."""
    if isinstance(v, float):
        text = f"{v:.2f}".rstrip("0").rstrip(".")
        return text if text not in ("-0", "") else "0"
    return str(v)


def pts(points):
    return " ".join(f"{fmt(x)},{fmt(y)}" for x, y in points)


def attrs(fill=None, line=None, width=1.0, extra=""):
    a = f'fill="{fill}"' if fill else 'fill="none"'
    if line:
        a += f' stroke="{line}" stroke-width="{fmt(width)}" stroke-linejoin="round" stroke-linecap="round"'
    return a + (" " + extra if extra else "")


def path(d, fill=None, line=None, width=1.0, extra=""):
    return f'<path d="{d}" {attrs(fill, line, width, extra)}/>'


def poly(points, fill=None, line=None, width=1.0, extra=""):
    return f'<polygon points="{pts(points)}" {attrs(fill, line, width, extra)}/>'


def circle(cx, cy, r, fill=None, line=None, width=1.0, extra=""):
    return f'<circle cx="{fmt(cx)}" cy="{fmt(cy)}" r="{fmt(r)}" {attrs(fill, line, width, extra)}/>'


def ellipse(cx, cy, rx, ry, fill=None, line=None, width=1.0, extra=""):
    return (f'<ellipse cx="{fmt(cx)}" cy="{fmt(cy)}" rx="{fmt(rx)}" ry="{fmt(ry)}" '
            f'{attrs(fill, line, width, extra)}/>')


def rect(x, y, w, h, fill=None, line=None, width=1.0, rx=0, extra=""):
    r = f' rx="{fmt(rx)}"' if rx else ""
    return (f'<rect x="{fmt(x)}" y="{fmt(y)}" width="{fmt(w)}" height="{fmt(h)}"{r} '
            f'{attrs(fill, line, width, extra)}/>')


def group(items, transform=None):
    t = f' transform="{transform}"' if transform else ""
    return f"<g{t}>" + "".join(items) + "</g>"


def mirrored(width, items):
    """The items flipped left to right inside an image of the given width."""
    return [group(items, f"translate({fmt(width)} 0) scale(-1 1)")]


def star(cx, cy, r, points=5, inner=0.45, turn=-90.0):
    out = []
    for i in range(points * 2):
        a = math.radians(turn + i * 180.0 / points)
        rr = r if i % 2 == 0 else r * inner
        out.append((cx + rr * math.cos(a), cy + rr * math.sin(a)))
    return poly(out, STAR, STAR_LINE, 0.8)


def document(width, height, items):
    body = "\n  ".join(items)
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
            f'viewBox="0 0 {width} {height}">\n'
            f'  <rect width="{width}" height="{height}" fill="#000000"/>\n'
            f"  {body}\n</svg>\n")


# --------------------------------------------------------------------------
# The hero, Tarvil. Drawn facing left (or to the front for the upright pose);
# the right-facing images are the mirrored left-facing ones.

def hero_head(hx, hy, look):
    """Head centred at (hx, hy), radius 7.5, with hat. look: 'up' or 'left'."""
    s = []
    # ear on the far side of the face
    if look == "left":
        s.append(ellipse(hx + 5.6, hy + 0.5, 2.0, 2.6, SKIN, SKIN_LINE, 1))
    else:
        s.append(ellipse(hx - 7.2, hy + 0.5, 1.8, 2.4, SKIN, SKIN_LINE, 1))
        s.append(ellipse(hx + 7.2, hy + 0.5, 1.8, 2.4, SKIN, SKIN_LINE, 1))
    s.append(circle(hx, hy, 7.5, SKIN, SKIN_LINE, 1))
    s.append(path(f"M{fmt(hx - 5)},{fmt(hy + 4.5)} Q{fmt(hx)},{fmt(hy + 8.2)} {fmt(hx + 5)},{fmt(hy + 4.5)}",
                  None, SKIN_SHADE, 1.2))
    if look == "left":
        ex1, ex2, nx = hx - 4.2, hx + 0.4, hx - 6.2
    else:
        ex1, ex2, nx = hx - 3.0, hx + 3.0, hx
    ey = hy - 1.2 if look == "up" else hy - 0.4
    for ex in (ex1, ex2):
        s.append(ellipse(ex, ey, 1.5, 1.9, WHITE))
        s.append(ellipse(ex + (-0.3 if look == "left" else 0), ey - (0.7 if look == "up" else 0), 0.85, 1.1, INK))
    s.append(circle(ex2 + 2.3 if look == "left" else hx + 4.6, hy + 2.6, 1.4, CHEEK))
    if look != "left":
        s.append(circle(hx - 4.6, hy + 2.6, 1.4, CHEEK))
    # big moustache under a round nose
    mx = nx + (1.2 if look == "left" else 0)
    s.append(path(f"M{fmt(mx - 5)},{fmt(hy + 3.6)} Q{fmt(mx - 2.5)},{fmt(hy + 1.4)} {fmt(mx)},{fmt(hy + 2.4)} "
                  f"Q{fmt(mx + 2.5)},{fmt(hy + 1.4)} {fmt(mx + 5)},{fmt(hy + 3.6)} "
                  f"Q{fmt(mx + 2.5)},{fmt(hy + 5.4)} {fmt(mx)},{fmt(hy + 4.0)} "
                  f"Q{fmt(mx - 2.5)},{fmt(hy + 5.4)} {fmt(mx - 5)},{fmt(hy + 3.6)}Z",
                  MOUSTACHE, MOUSTACHE_LINE, 0.8))
    # a wide grin under the moustache
    s.append(path(f"M{fmt(mx - 2.6)},{fmt(hy + 4.8)} Q{fmt(mx)},{fmt(hy + 7.6)} {fmt(mx + 2.6)},{fmt(hy + 4.8)} Z",
                  "#a8302a", "#6a1a12", 0.6))
    s.append(path(f"M{fmt(mx - 1.6)},{fmt(hy + 5.1)} L{fmt(mx + 1.6)},{fmt(hy + 5.1)}", None, WHITE, 0.7))
    s.append(circle(nx, hy + 1.4, 2.1, NOSE, SKIN_LINE, 0.8))
    s.append(circle(nx - 0.6, hy + 0.8, 0.6, "#ffe0c8"))
    s.append(hero_hat(hx + (0.8 if look == "left" else 0), hy - 4.6, look))
    return group(s)


def hero_hat(hx, by, look):
    """Hunter's hat whose brim is centred at (hx, by)."""
    s = []
    # feather tucked in the band, at the back of the head
    # (on the left of the front view, clear of the rifle)
    k = 1 if look == "left" else -1
    fx = hx + 3.5 * k
    s.append(path(f"M{fmt(fx)},{fmt(by - 2)} Q{fmt(fx + 5.5 * k)},{fmt(by - 6)} {fmt(fx + 6.5 * k)},{fmt(by - 12)} "
                  f"Q{fmt(fx + 2 * k)},{fmt(by - 8)} {fmt(fx)},{fmt(by - 2)}Z", FEATHER, FEATHER_LINE, 0.9))
    crown = [(hx - 6.0, by), (hx - 4.8, by - 7.0), (hx - 1.5, by - 8.2), (hx + 0.8, by - 7.0),
             (hx + 3.0, by - 8.2), (hx + 5.0, by - 7.0), (hx + 6.0, by)]
    s.append(poly(crown, HAT, HAT_LINE, 1))
    s.append(path(f"M{fmt(hx - 4.2)},{fmt(by - 1.5)} L{fmt(hx - 3.6)},{fmt(by - 6.2)}", None, HAT_LIGHT, 1.2))
    s.append(rect(hx - 5.8, by - 2.6, 11.6, 2.2, HAT_BAND))
    s.append(ellipse(hx, by + 0.3, 10.0, 2.0, HAT, HAT_LINE, 1))
    s.append(path(f"M{fmt(hx - 7.5)},{fmt(by - 0.2)} L{fmt(hx - 2.0)},{fmt(by - 0.8)}", None, HAT_LIGHT, 0.9))
    return group(s)


def hero_legs_standing(cx, b, toes):
    s = []
    for side in (-1, 1):
        x0 = cx + (-7.0 if side < 0 else 0.6)
        s.append(rect(x0, b - 17, 6.4, 13, TROUSERS, TROUSERS_LINE, 1))
        s.append(rect(x0 + 1.2, b - 15, 1.4, 9, TROUSERS_LIGHT))
    for side in (-1, 1):
        bx = cx + side * 4.0
        if toes == "left":
            d = (f"M{fmt(bx + 3.2)},{fmt(b - 0.5)} L{fmt(bx + 3.2)},{fmt(b - 6)} L{fmt(bx - 2.5)},{fmt(b - 6)} "
                 f"L{fmt(bx - 2.5)},{fmt(b - 3.5)} Q{fmt(bx - 6)},{fmt(b - 3.5)} {fmt(bx - 6)},{fmt(b - 0.5)}Z")
        else:
            t = side * 2.5
            d = (f"M{fmt(bx - 3.2)},{fmt(b - 6)} L{fmt(bx + 3.2)},{fmt(b - 6)} "
                 f"L{fmt(bx + 3.2 + max(t, 0))},{fmt(b - 0.5)} L{fmt(bx - 3.2 + min(t, 0))},{fmt(b - 0.5)}Z")
        s.append(path(d, BOOT, BOOT_LINE, 1))
        s.append(rect(bx - 2.2, b - 5.2, 4.4, 1.2, BOOT_LIGHT))
    return s


def hero_torso(cx, top, bottom, front=True):
    """Jacket from the shoulders (top) to the hem (bottom), 18 wide."""
    s = []
    d = (f"M{fmt(cx - 9.5)},{fmt(bottom)} L{fmt(cx - 8.5)},{fmt(top + 4)} Q{fmt(cx - 8.5)},{fmt(top)} "
         f"{fmt(cx - 4)},{fmt(top)} L{fmt(cx + 4)},{fmt(top)} Q{fmt(cx + 8.5)},{fmt(top)} "
         f"{fmt(cx + 8.5)},{fmt(top + 4)} L{fmt(cx + 9.5)},{fmt(bottom)}Z")
    s.append(path(d, JACKET, JACKET_LINE, 1))
    s.append(path(f"M{fmt(cx - 6.5)},{fmt(top + 3)} L{fmt(cx - 6.8)},{fmt(bottom - 4)}", None, JACKET_LIGHT, 1.6))
    # collar
    s.append(poly([(cx - 4, top), (cx, top + 4), (cx + 4, top)], "#ffe0b0", JACKET_LINE, 0.8))
    s.append(rect(cx - 9.2, bottom - 5, 18.4, 2.8, BELT))
    s.append(rect(cx - 1.6, bottom - 5.3, 3.2, 3.4, BUCKLE, BRASS_LINE, 0.6))
    if front:
        for y in (top + 6.5, top + 10.5):
            s.append(circle(cx, y, 0.9, BUCKLE))
    return s


def gun(length):
    """The rifle along +x, butt at x=0, muzzle at x=length, sights on -y."""
    s = []
    barrel_start = 13.0
    s.append(rect(barrel_start - 1, -2.6, length - barrel_start + 1, 2.8, METAL, METAL_LINE, 1))
    s.append(rect(barrel_start, -2.0, length - barrel_start - 1.5, 0.9, METAL_LIGHT))
    s.append(rect(length - 2.2, -3.0, 2.2, 3.6, METAL_LINE))               # muzzle ring
    s.append(rect(length - 6, -4.4, 1.6, 1.8, METAL_LINE))                  # front sight
    fore_end = min(length - 8, barrel_start + 14)
    s.append(path(f"M0,-2.6 L9,-1.4 L{fmt(fore_end)},-0.2 L{fmt(fore_end)},2.2 L12,2.2 L9,1.6 "
                  f"L0,3.6 Z", WOOD, WOOD_LINE, 1))
    s.append(path(f"M1.5,-1.2 L8,-0.4", None, WOOD_LIGHT, 1.0))
    s.append(rect(-0.5, -2.8, 1.6, 6.6, BOOT_LINE))                      # butt plate
    s.append(path("M10.5,1.8 Q11.5,4.6 13.5,2.2", None, METAL_LINE, 0.9))  # trigger guard
    return s


def place_gun(butt, muzzle, flip=False):
    """The rifle with its butt at one point and its muzzle at another."""
    (bx, by), (mx, my) = butt, muzzle
    length = math.hypot(mx - bx, my - by)
    angle = math.degrees(math.atan2(my - by, mx - bx))
    t = f"translate({fmt(bx)} {fmt(by)}) rotate({fmt(angle)})"
    if flip:
        t += " scale(1 -1)"
    return group(gun(length), t)


def along(a, b, f):
    return (a[0] + (b[0] - a[0]) * f, a[1] + (b[1] - a[1]) * f)


def sleeve(shoulder, hand, elbow=None, width=4.0):
    """A jacket sleeve from the shoulder over the elbow to the wrist."""
    (sx, sy), (hx, hy) = shoulder, hand
    d = f"M{fmt(sx)},{fmt(sy)} "
    if elbow:
        d += f"L{fmt(elbow[0])},{fmt(elbow[1])} "
    d += f"L{fmt(hx)},{fmt(hy)}"
    return [path(d, None, JACKET_LINE, width + 2), path(d, None, JACKET, width)]


def hand(x, y):
    return circle(x, y, 2.3, SKIN, SKIN_LINE, 0.9)


def hero_standing(h, cx, muzzle, head_dx, look):
    """Tarvil upright, body centred at cx, the rifle reaching muzzle."""
    b = h
    s = []
    top = b - 31
    hx, hy = cx + head_dx, b - 37.5
    if look == "up":
        butt = (muzzle[0], b - 19)
        s += hero_legs_standing(cx, b, "out")
        s += hero_torso(cx, top, b - 13)
        s += sleeve((cx - 6.5, top + 3), (muzzle[0] - 1.5, b - 23), (cx - 8.0, b - 20))
        s += sleeve((cx + 6.5, top + 3), (muzzle[0] + 1.5, b - 28), (cx + 8.5, b - 23))
        s.append(place_gun(butt, muzzle))
        s.append(hero_head(hx, hy, "up"))
        s.append(hand(muzzle[0] + 0.8, b - 28.5))
        s.append(hand(muzzle[0] - 0.8, b - 23.0))
    else:
        butt = (cx + 6.5, top + 6.0)
        grip = along(butt, muzzle, 0.55)
        trigger = along(butt, muzzle, 0.22)
        s += hero_legs_standing(cx, b, "left")
        s += hero_torso(cx, top, b - 13, front=False)
        s += sleeve((cx - 5.5, top + 3.5), grip, None, 3.8)
        s.append(place_gun(butt, muzzle, flip=True))
        s.append(hand(*grip))
        s += sleeve((cx + 6.0, top + 3.5), trigger, (cx + 4.0, top + 11.0), 3.8)
        s.append(hero_head(hx, hy, "left"))
    return s


def hero_kneeling(h, muzzle):
    """Tarvil on one knee aiming along the ground to the left."""
    b = h
    s = []
    hx, hy = 61.0, 13.0
    # back leg: knee on the ground, shin and boot behind
    s.append(path(f"M62,31 L61,{b - 3.5} L70,{b - 3.5}", None, TROUSERS_LINE, 8.4))
    s.append(path(f"M62,31 L61,{b - 3.5} L70,{b - 3.5}", None, TROUSERS, 6.4))
    s.append(path(f"M66,{b - 7} L73.5,{b - 7} L73.5,{b - 0.5} L66,{b - 0.5} Z", BOOT, BOOT_LINE, 1))
    # torso, leaning forward a little
    d = (f"M51.5,34 L52.5,24 Q53,19.5 57.5,19.5 L63.5,19.5 Q68,19.5 68,24 L69,34 Z")
    s.append(path(d, JACKET, JACKET_LINE, 1))
    s.append(path("M66,23 L66.5,31", None, JACKET_LIGHT, 1.6))
    s.append(rect(51.5, 30.5, 17.5, 2.8, BELT))
    # front leg: thigh forward, knee up, shin down to the boot
    s.append(path(f"M58,31.5 L46,31.5 L45.5,{b - 5}", None, TROUSERS_LINE, 8.4))
    s.append(path(f"M58,31.5 L46,31.5 L45.5,{b - 5}", None, TROUSERS, 6.4))
    s.append(path("M56,30 L47,30", None, TROUSERS_LIGHT, 1.4))
    s.append(path(f"M49.5,{b - 0.5} L49.5,{b - 6.5} L43,{b - 6.5} L43,{b - 4} Q39,{b - 4} 39,{b - 0.5} Z",
                  BOOT, BOOT_LINE, 1))
    s.append(rect(43.5, b - 6.0, 5.0, 1.2, BOOT_LIGHT))
    # far arm out to the fore-end, the rifle, the head resting on the stock,
    # and the near arm up to the trigger
    butt = (66.0, muzzle[1] + 1.0)
    grip = (34.0, muzzle[1] + 1.5)
    trigger = (57.0, muzzle[1] + 6.0)
    s += sleeve((56.0, 22.0), grip, (45.0, 20.0), 3.8)
    s.append(place_gun(butt, muzzle, flip=True))
    s.append(hand(*grip))
    s += sleeve((64.0, 22.0), trigger, (60.0, 27.5), 3.8)
    s.append(hero_head(hx, hy, "left"))
    return s


def hero_sprites():
    sprites = {}
    # muzzles sit just inside the edge where the shot appears
    pos1 = hero_kneeling(46, (1.0, 8.5))
    pos2 = hero_standing(64, 40.0, (1.5, 1.5), 1.0, "left")
    pos3 = hero_standing(64, 22.0, (2.0, 1.0), 1.5, "left")
    pos4 = hero_standing(62, 16.0, (17.0, 0.5), -3.5, "up")
    sprites["pos1"] = (74, 46, pos1)
    sprites["pos2"] = (56, 64, pos2)
    sprites["pos3"] = (38, 64, pos3)
    sprites["pos4"] = (32, 62, pos4)
    sprites["pos5"] = (38, 64, mirrored(38, pos3))
    sprites["pos6"] = (56, 64, mirrored(56, pos2))
    sprites["pos7"] = (74, 46, mirrored(74, pos1))
    return sprites


# --------------------------------------------------------------------------
# The shot: a small flash pointing along the aim.

def flash(w, h, dx, dy):
    cx, cy = w / 2, h / 2
    angle = math.degrees(math.atan2(dy, dx))
    s = [
        ellipse(0, 0, 4.6, 2.7, FLAME_RED),
        ellipse(0.5, 0, 3.9, 2.1, FLAME_ORANGE),
        ellipse(0.9, 0, 3.0, 1.5, FLAME_YELLOW),
        ellipse(1.3, 0, 1.8, 0.9, WHITE),
    ]
    return [group(s, f"translate({fmt(cx)} {fmt(cy)}) rotate({fmt(angle)})")]


def shot_sprites():
    # aim directions from the hero's shoulder to where each shot appears
    aims = {1: (-1, 0), 2: (-1, -1), 3: (-0.62, -1), 4: (0, -1)}
    sizes = {1: (8, 6), 2: (10, 8), 3: (8, 8), 4: (8, 8)}
    sprites = {}
    for k in (1, 2, 3, 4):
        w, h = sizes[k]
        dx, dy = aims[k]
        sprites[f"skud{k}"] = (w, h, flash(w, h, dx, dy))
    for k, m in ((5, 3), (6, 2), (7, 1)):
        w, h, items = sprites[f"skud{m}"]
        sprites[f"skud{k}"] = (w, h, mirrored(w, items))
    return sprites


# --------------------------------------------------------------------------
# The torch: a stone pillar with a brass bowl; the flame images go in a black
# 22 x 32 hole at (76, 59), right above the bowl.

FLAME_X, FLAME_Y, FLAME_W, FLAME_H = 76, 59, 22, 32


def pennant(x, y, w, h, colour, trim, line):
    """A banner hanging from (x, y), swallow-tailed at the bottom."""
    s = []
    d = (f"M{fmt(x - w / 2)},{fmt(y)} L{fmt(x + w / 2)},{fmt(y)} L{fmt(x + w / 2)},{fmt(y + h)} "
         f"L{fmt(x)},{fmt(y + h - 6)} L{fmt(x - w / 2)},{fmt(y + h)} Z")
    s.append(path(d, colour, line, 1.2))
    s.append(rect(x - w / 2 + 0.6, y + 3.5, w - 1.2, 2.4, trim))
    s.append(path(f"M{fmt(x - w / 2 + 0.6)},{fmt(y + h - 4)} L{fmt(x)},{fmt(y + h - 9)} "
                  f"L{fmt(x + w / 2 - 0.6)},{fmt(y + h - 4)}", None, trim, 2.2))
    s.append(star(x, y + 16, 4.6))
    s.append(path(f"M{fmt(x - w / 2 + 2.2)},{fmt(y + 8)} L{fmt(x - w / 2 + 2.2)},{fmt(y + h - 8)}",
                  None, "#ffffff", 1.0, 'opacity="0.35"'))
    # the rod it hangs from
    s.append(rect(x - w / 2 - 2.5, y - 2.2, w + 5, 3, BRASS, BRASS_LINE, 1, rx=1.4))
    for k in (-1, 1):
        s.append(circle(x + k * (w / 2 + 2.5), y - 0.7, 1.9, BRASS_LIGHT, BRASS_LINE, 0.8))
    return s


def torch_sprite():
    w, h = 169, 182
    cx = FLAME_X + FLAME_W / 2  # 87
    top = FLAME_Y + FLAME_H     # 91, the rim of the bowl
    s = ['<defs><linearGradient id="fade" x1="0" y1="0" x2="0" y2="1">'
         '<stop offset="0" stop-color="#000" stop-opacity="0"/>'
         '<stop offset="0.75" stop-color="#000" stop-opacity="0.92"/>'
         '<stop offset="1" stop-color="#000" stop-opacity="1"/></linearGradient></defs>']

    # brass arms curling out from under the bowl, each holding a pennant
    for k in (-1, 1):
        d = (f"M{fmt(cx + k * 14)},{fmt(top + 36)} C{fmt(cx + k * 40)},{fmt(top + 40)} "
             f"{fmt(cx + k * 52)},{fmt(top + 22)} {fmt(cx + k * 60)},{fmt(top + 12)} "
             f"C{fmt(cx + k * 66)},{fmt(top + 4)} {fmt(cx + k * 72)},{fmt(top + 2)} {fmt(cx + k * 74)},{fmt(top + 7)} "
             f"C{fmt(cx + k * 76)},{fmt(top + 12)} {fmt(cx + k * 70)},{fmt(top + 14)} {fmt(cx + k * 69)},{fmt(top + 10)}")
        s.append(path(d, None, BRASS_LINE, 5.2))
        s.append(path(d, None, BRASS, 3.0))
        s.append(path(d, None, BRASS_LIGHT, 1.0, 'transform="translate(-0.6 -0.8)"'))
    s += pennant(cx - 57, top + 14, 17, 42, "#d8322a", "#ffd23a", "#5a0f0c")
    s += pennant(cx + 57, top + 14, 17, 42, "#2f6fd8", "#ffd23a", "#10265a")

    # the column: fluted stone, rings, and a capital under the bowl
    shaft_top, shaft_w = top + 40, 32
    sx0 = cx - shaft_w / 2
    s.append(rect(sx0, shaft_top, shaft_w, h - shaft_top + 2, STONE, STONE_LINE, 1.4))
    for i in range(5):
        x = sx0 + 3.5 + i * 5.6
        s.append(rect(x, shaft_top + 2, 2.6, h - shaft_top, STONE_SHADE))
        s.append(rect(x + 2.6, shaft_top + 2, 1.2, h - shaft_top, STONE_LIGHT))
    s.append(rect(sx0 - 4, shaft_top + 26, shaft_w + 8, 6, STONE_LIGHT, STONE_LINE, 1.2, rx=2))
    s.append(rect(sx0 - 6, shaft_top - 7, shaft_w + 12, 8, STONE_LIGHT, STONE_LINE, 1.4, rx=2.5))
    s.append(rect(sx0 - 6, shaft_top - 2.4, shaft_w + 12, 2, STONE_SHADE))
    # a knob between capital and bowl
    s.append(path(f"M{fmt(cx - 9)},{fmt(top + 33)} Q{fmt(cx - 12)},{fmt(top + 26)} {fmt(cx - 5)},{fmt(top + 22)} "
                  f"L{fmt(cx + 5)},{fmt(top + 22)} Q{fmt(cx + 12)},{fmt(top + 26)} {fmt(cx + 9)},{fmt(top + 33)} Z",
                  BRASS, BRASS_LINE, 1.2))
    s.append(path(f"M{fmt(cx - 7)},{fmt(top + 30)} Q{fmt(cx - 8)},{fmt(top + 26)} {fmt(cx - 4)},{fmt(top + 24)}",
                  None, BRASS_LIGHT, 1.4))

    # ivy winding down the column
    vine = (f"M{fmt(sx0 - 3)},{fmt(shaft_top - 3)} C{fmt(sx0 + 14)},{fmt(shaft_top + 4)} "
            f"{fmt(sx0 + 34)},{fmt(shaft_top + 8)} {fmt(sx0 + 30)},{fmt(shaft_top + 18)} "
            f"C{fmt(sx0 + 24)},{fmt(shaft_top + 28)} {fmt(sx0 + 2)},{fmt(shaft_top + 30)} {fmt(sx0 + 4)},{fmt(shaft_top + 42)} "
            f"C{fmt(sx0 + 6)},{fmt(shaft_top + 52)} {fmt(sx0 + 26)},{fmt(shaft_top + 52)} {fmt(sx0 + 28)},{fmt(shaft_top + 62)}")
    s.append(path(vine, None, LEAF_LINE, 3.0))
    s.append(path(vine, None, LEAF, 1.4))
    leaves = [(sx0 - 2, shaft_top - 5, -40), (sx0 + 12, shaft_top + 2, 20), (sx0 + 27, shaft_top + 9, 70),
              (sx0 + 33, shaft_top + 17, -20), (sx0 + 19, shaft_top + 27, 200), (sx0 + 6, shaft_top + 32, 150),
              (sx0 + 1, shaft_top + 42, 190), (sx0 + 13, shaft_top + 50, 30), (sx0 + 27, shaft_top + 56, -30)]
    for x, y, a in leaves:
        s.append(path(f"M0,0 C2,-3.4 6,-3.4 7.5,0 C6,3.4 2,3.4 0,0 Z", LEAF, LEAF_LINE, 0.9,
                      f'transform="translate({fmt(x)} {fmt(y)}) rotate({a})"'))
        s.append(path("M1,0 L6,0", None, LEAF_LIGHT, 0.8,
                      f'transform="translate({fmt(x)} {fmt(y)}) rotate({a})"'))
    for x, y in ((sx0 + 20, shaft_top + 5), (sx0 + 10, shaft_top + 36), (sx0 + 31, shaft_top + 23)):
        s.append(circle(x, y, 1.8, "#ff7ab8", "#7a1a40", 0.7))
        s.append(circle(x, y, 0.6, "#fff0a0"))

    # the bowl with a band of red stones, its rim and glowing coals
    bowl = (f"M{fmt(cx - 27)},{fmt(top + 2)} C{fmt(cx - 26)},{fmt(top + 16)} {fmt(cx - 14)},{fmt(top + 24)} "
            f"{fmt(cx)},{fmt(top + 24)} C{fmt(cx + 14)},{fmt(top + 24)} {fmt(cx + 26)},{fmt(top + 16)} "
            f"{fmt(cx + 27)},{fmt(top + 2)} Z")
    s.append(path(bowl, BRASS, BRASS_LINE, 1.4))
    s.append(path(f"M{fmt(cx + 6)},{fmt(top + 22)} C{fmt(cx + 16)},{fmt(top + 21)} {fmt(cx + 23)},{fmt(top + 14)} "
                  f"{fmt(cx + 24.5)},{fmt(top + 4)}", None, BRASS_SHADE, 3.0))
    s.append(path(f"M{fmt(cx - 21)},{fmt(top + 6)} C{fmt(cx - 20)},{fmt(top + 13)} {fmt(cx - 14)},{fmt(top + 18)} "
                  f"{fmt(cx - 8)},{fmt(top + 20)}", None, BRASS_LIGHT, 2.4))
    s.append(path(f"M{fmt(cx - 25)},{fmt(top + 9)} Q{fmt(cx)},{fmt(top + 14)} {fmt(cx + 25)},{fmt(top + 9)}",
                  None, BRASS_LINE, 4.0))
    s.append(path(f"M{fmt(cx - 25)},{fmt(top + 9)} Q{fmt(cx)},{fmt(top + 14)} {fmt(cx + 25)},{fmt(top + 9)}",
                  None, "#8a2a10", 2.4))
    for i in range(-4, 5):
        x = cx + i * 5.4
        y = top + 9 + 5 * (1 - (i / 4.6) ** 2) * 0.5 + 0.2
        s.append(circle(x, y, 1.5, "#ff4a5a" if i % 2 else "#5ad8ff", "#3a0a10", 0.6))
    s.append(rect(cx - 29.5, top, 59, 5, BRASS_LIGHT, BRASS_LINE, 1.3, rx=2.5))
    s.append(rect(cx - 27, top + 3, 54, 1.2, BRASS_SHADE))
    for i, x in enumerate(range(int(cx - 14), int(cx + 15), 4)):
        s.append(ellipse(x + 0.5, top + 1.2, 2.6, 1.3, FLAME_ORANGE if i % 2 else FLAME_YELLOW))

    # the foot of the column fades into the dark
    s.append(rect(0, h - 48, w, 48, "url(#fade)"))
    # the flame's hole stays black
    s.append(rect(FLAME_X, FLAME_Y, FLAME_W, FLAME_H, "#000000"))
    return {"fakkel": (w, h, s)}


def flame_sprites():
    w, h = 22, 32

    def tongue(points):
        (x0, y0), rest = points[0], points[1:]
        d = f"M{fmt(x0)},{fmt(y0)} " + " ".join(
            f"Q{fmt(a[0])},{fmt(a[1])} {fmt(b[0])},{fmt(b[1])}" for a, b in zip(rest[0::2], rest[1::2]))
        return d + "Z"

    # frame 1: tall, tip leaning left
    f1 = [
        path(tongue([(2, 32), (0, 22), (4, 15), (5, 10), (7, 1), (9, 9), (12, 12), (13, 5), (15, 9),
                     (18, 14), (20, 22), (22, 32), (11, 32)]), FLAME_RED),
        path(tongue([(4, 32), (2, 23), (6, 17), (8, 13), (9, 8), (11, 15), (14, 13), (15, 11),
                     (16, 17), (19, 24), (18, 32), (11, 32)]), FLAME_ORANGE),
        path(tongue([(6, 32), (5, 25), (8, 20), (10, 16), (11, 14), (13, 19), (14, 22), (16, 27),
                     (15, 32), (10, 32)]), FLAME_YELLOW),
        ellipse(10.8, 27.5, 2.6, 4.2, FLAME_CORE),
    ]
    # frame 2: squat, tip leaning right, a spark breaking off
    f2 = [
        path(tongue([(1, 32), (1, 24), (4, 18), (6, 13), (8, 8), (10, 13), (12, 9), (14, 3),
                     (15, 0), (17, 10), (19, 17), (22, 24), (21, 32), (11, 32)]), FLAME_RED),
        path(tongue([(3, 32), (3, 25), (6, 20), (8, 16), (9, 13), (11, 16), (13, 12), (14, 8),
                     (15, 6), (16, 15), (18, 20), (20, 26), (19, 32), (11, 32)]), FLAME_ORANGE),
        path(tongue([(6, 32), (5, 26), (8, 22), (11, 19), (12, 15), (13, 21), (15, 24), (17, 28),
                     (16, 32), (11, 32)]), FLAME_YELLOW),
        ellipse(11.5, 28.0, 2.8, 3.6, FLAME_CORE),
        circle(4.0, 6.0, 1.3, FLAME_YELLOW),
        circle(4.0, 6.0, 0.6, FLAME_CORE),
    ]
    return {"ild1": (w, h, f1), "ild2": (w, h, f2)}


# --------------------------------------------------------------------------
# The ground: grass on earth, 640 x 12.

def ground_sprite():
    w, h = 640, 12
    rnd = random.Random(2024)
    s = [rect(0, 4, w, 8, "#8e5c2e"), rect(0, 8.5, w, 3.5, "#6e4522"), rect(0, 11, w, 1, "#4a2c14")]
    # pebbles and bits of root in the earth, each with a light top
    for _ in range(64):
        x = rnd.uniform(2, w - 2)
        y = rnd.uniform(7.0, 10.2)
        c, top = rnd.choice([("#9a96ae", "#d0cde0"), ("#c0a070", "#ecd6a8"), ("#b06a38", "#e09a60")])
        rx = rnd.uniform(1.2, 2.2)
        s.append(ellipse(x, y, rx, 1.1, c))
        s.append(ellipse(x - 0.3, y - 0.5, rx * 0.6, 0.45, top))
    for _ in range(40):
        x = rnd.uniform(0, w)
        s.append(rect(x, rnd.choice([6.5, 7.5, 9.5]), rnd.uniform(1.5, 3), 1, "#5a3818"))
    # the turf: a dark underside hanging in tufts, the green band, a light top
    s.append(rect(0, 1.5, w, 4.5, "#3aa536"))
    drips = []
    gx = 0.0
    while gx < w:
        gx += rnd.uniform(3, 7)
        drips.append(f"M{fmt(gx - 1.6)},5.5 L{fmt(gx + 1.6)},5.5 L{fmt(gx + rnd.uniform(-0.4, 0.4))},"
                     f"{fmt(rnd.choice([7.0, 7.5, 8.0]))}Z")
    s.append(f'<path d="{"".join(drips)}" fill="#2a7a2c"/>')
    s.append(rect(0, 5, w, 1, "#2a7a2c"))
    s.append(rect(0, 1.5, w, 1.2, "#7fdc5c"))
    blades = []
    x = 0.0
    while x < w:
        x += rnd.uniform(2.2, 5.0)
        tall = rnd.choice([1.5, 2.0, 2.0, 2.5])
        lean = rnd.uniform(-0.8, 0.8)
        blades.append(f"M{fmt(x - 1.1)},2.2 L{fmt(x + lean)},{fmt(2.2 - tall)} L{fmt(x + 1.1)},2.2Z")
    s.append(f'<path d="{"".join(blades)}" fill="#9ae86c"/>')
    # flowers
    colours = [("#ff5a5a", "#ffe23a"), ("#ffe23a", "#ff8a1c"), ("#ffffff", "#ffd23a"), ("#c77dff", "#ffffff"),
               ("#5ac8ff", "#ffffff")]
    fx = rnd.uniform(6, 20)
    while fx < w - 4:
        petal, middle = rnd.choice(colours)
        fy = rnd.choice([2.4, 3.0, 3.6])
        s.append(circle(fx, fy, 1.6, petal))
        s.append(circle(fx, fy, 0.65, middle))
        fx += rnd.uniform(16, 40)
    return {"jord": (w, h, s)}


# --------------------------------------------------------------------------
# The flying elephant, drawn facing right; (0, 0) of the drawing is the top
# of the 40 high frame, and the 36 high frame shows the same body 4 up.

def elephant_wing(up, near):
    """A feathered wing on the elephant's back, raised or lowered."""
    if up:
        # raised: three feathers fanning up and back from the shoulder
        d = ("M31,19.5 C30.5,12 27,5.5 21.5,1.2 Q16,0.2 16.5,5.6 Q10.5,4.2 11.5,10.2 "
             "Q6.5,10.5 9.5,14.5 Q14,18 22,19.5 Z")
        quills = "M28.5,17.5 L17.5,6.2 M27,18.2 L12.5,11"
        band = "M11,12.5 Q16,17 22.5,18.6"
        shift = "translate(6 1.5)"
    else:
        # lowered: the feathers sweep down behind the body
        d = ("M31.5,20.5 C28,25.5 24,31 18.5,35.6 Q13.5,37.5 13.5,32.6 Q8,34 8.8,28.8 "
             "Q4.5,27.5 7.5,24.6 Q13,20.6 22,19.6 Z")
        quills = "M29,22 L14.6,32 M27,21.2 L9.8,27.6"
        band = "M9,25.6 Q14,21.6 21.5,20.6"
        shift = "translate(7 -1)"
    if not near:
        return path(d, WING_SHADE, WING_LINE, 1.1, f'transform="{shift}"')
    return (path(d, WING, WING_LINE, 1.1) + path(band, None, WING_SHADE, 1.6)
            + path(quills, None, WING_LINE, 0.8))


def elephant(up):
    s = []
    s.append(elephant_wing(up, near=False))
    # tail with a tuft
    s.append(path("M12,24 Q6,24 5,29", None, ELE_LINE, 2.6))
    s.append(path("M12,24 Q6,24 5,29", None, ELE_SHADE, 1.2))
    s.append(circle(4.8, 29.8, 2.0, "#2e7a26", ELE_LINE, 0.8))
    # far legs
    for x in (19.5, 36.5):
        s.append(rect(x, 30, 5, 7.5, ELE_SHADE, ELE_LINE, 1, rx=1.5))
    # body
    s.append(ellipse(28, 25, 17, 10, ELE, ELE_LINE, 1.2))
    s.append(path("M15,27 Q20,34 34,34 Q41,34 44,29", None, ELE_SHADE, 2.4))
    s.append(path("M19,19 Q26,16 34,17", None, ELE_LIGHT, 2.0))
    # near legs with toenails
    for x in (14.5, 31.5):
        s.append(rect(x, 31, 5.5, 7.5, ELE, ELE_LINE, 1, rx=1.5))
        s.append(rect(x + 0.8, 36.2, 3.9, 1.4, NAIL))
    # head, trunk curling up at the tip
    s.append(path("M51,25 C54,30 57,33 60,29 C61.5,27 60.5,24.5 58.5,25.3", None, ELE_LINE, 6.0))
    s.append(path("M51,25 C54,30 57,33 60,29 C61.5,27 60.5,24.5 58.5,25.3", None, ELE, 4.0))
    s.append(path("M54,30.4 L55,28.6 M57,31.4 L57.6,29.5", None, ELE_SHADE, 0.9))
    s.append(circle(47, 19, 9.5, ELE, ELE_LINE, 1.2))
    s.append(path("M41,13.5 Q45,10.5 50,11", None, ELE_LIGHT, 1.8))
    s.append(path("M49.5,27.5 Q52,30 54.5,29", None, TUSK, 2.2))
    # ear
    s.append(path("M43,13 C34,11 31,19 33,25 C35,30 41,30 44,25 Z", ELE_SHADE, ELE_LINE, 1.1))
    s.append(path("M41.5,15.5 C36,15 34.5,20 35.5,24 C37,27 40.5,27 42.2,23.5 Z", EAR_INNER))
    # eye, cheek
    s.append(ellipse(50.5, 17.0, 2.1, 2.6, WHITE, ELE_LINE, 0.7))
    s.append(ellipse(51.2, 17.4, 1.2, 1.6, INK))
    s.append(circle(51.6, 16.6, 0.45, WHITE))
    s.append(path("M48.6,13.2 Q50.8,11.4 53,13.0", None, ELE_LINE, 0.9))
    s.append(circle(53.2, 21.8, 1.5, "#ff8aa8"))
    s.append(elephant_wing(up, near=True))
    return s


def elephant_sprites():
    up = elephant(up=True)
    down = [group(elephant(up=False), "translate(0 -4)")]
    return {
        "eleleft1": (62, 40, up),
        "eleleft2": (62, 36, down),
        "eleright2": (62, 40, mirrored(62, up)),
        "eleright1": (62, 36, mirrored(62, down)),
    }


def puff_cloud(blobs, line_width=1.2):
    s = []
    for x, y, r in blobs:
        s.append(circle(x, y, r + line_width / 2, PUFF_LINE))
    for x, y, r in blobs:
        s.append(circle(x, y, r, PUFF_SHADE))
    for x, y, r in blobs:
        s.append(circle(x - r * 0.18, y - r * 0.2, r * 0.78, PUFF))
    return s


def elephant_fluff():
    w, h = 62, 46
    s = []
    blobs = [(14, 26, 9), (24, 17, 10), (37, 15, 10), (48, 23, 9), (44, 34, 9), (30, 35, 10),
             (17, 36, 8), (31, 25, 11)]
    s += puff_cloud(blobs)
    # the dazed elephant peeking out: trunk, ears and spiral eyes
    s.append(ellipse(31, 26, 9, 8, ELE, ELE_LINE, 1.1))
    s.append(ellipse(21.5, 25, 4, 6, ELE_SHADE, ELE_LINE, 1))
    s.append(ellipse(40.5, 25, 4, 6, ELE_SHADE, ELE_LINE, 1))
    s.append(ellipse(21.8, 25.5, 2.2, 3.8, EAR_INNER))
    s.append(ellipse(40.2, 25.5, 2.2, 3.8, EAR_INNER))
    s.append(ellipse(31, 26, 7.2, 7, ELE))
    for ex in (28, 34):
        s.append(path(f"M{ex - 1.6},22 L{ex + 1.6},25.2 M{ex + 1.6},22 L{ex - 1.6},25.2", None, INK, 1.1))
    s.append(path("M31,27 C31,31 30,33 27.5,34.5 C26.5,35 26,36.5 27.5,37", None, ELE_LINE, 4.6))
    s.append(path("M31,27 C31,31 30,33 27.5,34.5 C26.5,35 26,36.5 27.5,37", None, ELE, 2.8))
    s.append(path("M33,31 Q35,32.5 36.5,31", None, ELE_LINE, 0.9))
    # feathers from the wings floating about
    for x, y, a in ((6, 10, -30), (55, 9, 40), (56, 40, -20), (5, 40, 25)):
        s.append(ellipse(x, y, 4.2, 1.8, WING, WING_LINE, 0.8, f'transform="rotate({a} {x} {y})"'))
    # stars circling the head
    s.append(star(20, 6, 4.6))
    s.append(star(42, 4.5, 3.8, turn=-70))
    s.append(star(52, 14, 3.2, turn=-100))
    return {"elefluff": (w, h, s)}


# --------------------------------------------------------------------------
# The killer bee, drawn facing right; (0, 0) is the top of the 16 high frame.

def bee_wings(up):
    if up:
        far = path("M13,8 C12,3 13.5,0.8 16,0.8 C18.5,0.8 17.5,5 13.5,8.5 Z", BEE_WING, BEE_WING_LINE, 0.9)
        near = path("M12,8.5 C9,4.5 8.5,1.5 10.5,1 C13,0.6 14,4 13,8.5 Z", BEE_WING, BEE_WING_LINE, 0.9)
    else:
        far = path("M13,8.5 C17,6 19,5 18.5,3.6 C18,2.6 15,3.4 12.5,7.5 Z", BEE_WING, BEE_WING_LINE, 0.9)
        near = path("M12.5,8 C8,6.5 5.5,5 6.5,3.5 C7.8,2.4 11,4 13,7.5 Z", BEE_WING, BEE_WING_LINE, 0.9)
    return far, near


def bee(up):
    s = []
    far, near = bee_wings(up)
    s.append(far)
    # stinger
    s.append(poly([(5.5, 10.0), (0.4, 12.2), (5.5, 13.4)], STING, BEE_LINE, 0.8))
    # legs
    s.append(path("M10,14.6 L9,16 M14,14.6 L13.6,16", None, BEE_HEAD_LINE, 1.1))
    s.append('<clipPath id="bee-body"><ellipse cx="12" cy="11.2" rx="7.6" ry="4.4"/></clipPath>')
    s.append(ellipse(12, 11.2, 7.6, 4.4, BEE, BEE_LINE, 1.2))
    stripes = "".join(rect(x, 5, 1.9, 12, BEE_DARK) for x in (8.0, 12.0, 16.0))
    s.append(f'<g clip-path="url(#bee-body)">{stripes}'
             f'{path("M6,8.8 Q12,6.6 18,8.8", None, BEE_LIGHT, 1.1)}</g>')
    # head with antenna and an angry red eye
    s.append(path("M21.8,7.4 Q22.6,4.4 25.2,3.4", None, BEE_HEAD_LINE, 1.2))
    s.append(circle(25.3, 3.4, 0.9, BEE_HEAD_LINE))
    s.append(circle(21.4, 10.6, 3.8, BEE_HEAD, BEE_HEAD_LINE, 0.9))
    s.append(ellipse(22.6, 10.0, 1.7, 1.6, WHITE))
    s.append(circle(23.1, 10.3, 0.85, "#e0202a"))
    s.append(path("M20.4,7.9 L24.6,8.9", None, BEE_DARK, 1.0))
    s.append(path("M22.6,13.0 L24.8,12.6", None, "#ff9aa0", 0.8))
    s.append(near)
    return s


def bee_sprites():
    up = bee(True)
    down = [group(bee(False), "translate(0 -2)")]
    return {
        "bileft1": (26, 16, up),
        "bileft2": (26, 14, down),
        "biright1": (26, 16, mirrored(26, up)),
        "biright2": (26, 14, mirrored(26, down)),
    }


def bee_fluff():
    w, h = 26, 20
    s = puff_cloud([(7.5, 12, 4.8), (13, 8.5, 5.6), (18.5, 12, 4.8), (13, 14.5, 4.6)], 1.0)
    # the stunned bee tumbling in the puff
    s.append('<clipPath id="fluff-body"><ellipse cx="13" cy="12" rx="4.6" ry="2.8"/></clipPath>')
    s.append(ellipse(13, 12, 4.6, 2.8, BEE, BEE_LINE, 0.8))
    s.append('<g clip-path="url(#fluff-body)">' + rect(11.4, 8, 1.5, 8, BEE_DARK) + rect(14.4, 8, 1.5, 8, BEE_DARK)
             + "</g>")
    s.append(path("M9,10 L11,12 M11,10 L9,12", None, INK, 0.8))
    s.append(star(3.6, 3.8, 3.2))
    s.append(star(22.4, 4.2, 2.9, turn=-60))
    s.append(star(22.6, 17.2, 2.2, turn=-80))
    s.append(ellipse(3.5, 16.5, 2.4, 1.2, BEE_WING, BEE_WING_LINE, 0.6, 'transform="rotate(-25 3.5 16.5)"'))
    return {"bifluff": (w, h, s)}


# --------------------------------------------------------------------------

def all_sprites():
    sprites = {}
    for part in (hero_sprites(), shot_sprites(), torch_sprite(), flame_sprites(), ground_sprite(),
                 elephant_sprites(), elephant_fluff(), bee_sprites(), bee_fluff()):
        sprites.update(part)
    return sprites


def main():
    OUT_DIR.mkdir(parents=True, exist_ok=True)
    sprites = all_sprites()
    for name, (w, h, items) in sorted(sprites.items()):
        (OUT_DIR / f"{name}.svg").write_text(document(w, h, items))
    print(f"wrote {len(sprites)} sprites to {OUT_DIR}", file=sys.stderr)


if __name__ == "__main__":
    main()
