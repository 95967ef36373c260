#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the pictures of the menu window and the rules window as SVG files
into assets/pictures/.

The SVGs are committed; the build renders them to PNG and turns those into the
JPEG resources :/pictures/NAME.jpg (assets/pictures/CMakeLists.txt), so this
script is needed only to change the artwork. The hero, the elephant, the bee
and the ground are the playing-field sprites' own shapes, taken from
tools/render-sprites.py. Run it from anywhere:

    tools/render-pictures.py            # rewrite assets/pictures/*.svg
    tools/render-pictures-preview.sh    # the menu window mock-up in /tmp
"""

import importlib.util
import pathlib
import sys

TOOLS = pathlib.Path(__file__).resolve().parent
OUT_DIR = TOOLS.parent / "assets" / "pictures"

_spec = importlib.util.spec_from_file_location("render_sprites", TOOLS / "render-sprites.py")
art = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(art)
SPRITES = art.all_sprites()
fmt, group, rect, circle, path, star = art.fmt, art.group, art.rect, art.circle, art.path, art.star

# --------------------------------------------------------------------------
# The menu window: its colour, its text and the accents of the menu groups.

WINDOW = "#002239"
WINDOW_LIGHT = "#0c3a5c"      # the panel's rules and frames
WINDOW_DEEP = "#00182a"
TEXT = "#ffffff"
TEXT_DIM = "#a9c4dc"
LINK = "#7cc8ff"
GOLD, GOLD_LIGHT, GOLD_LINE = "#ffd23a", "#fff08a", "#a8661a"
INK, EDGE = "#1a1024", "#b5360f"
FONT = "DejaVu Sans, Verdana, sans-serif"


def text(x, y, content, size, fill=TEXT, weight="normal", anchor="start", extra=""):
    return (f'<text x="{fmt(x)}" y="{fmt(y)}" font-family="{FONT}" font-size="{fmt(size)}" '
            f'font-weight="{weight}" text-anchor="{anchor}" fill="{fill}"{extra}>{content}</text>')


class Document:
    """An SVG picture on the window colour; clip paths and gradients get ids."""

    def __init__(self, width, height):
        self.width, self.height = width, height
        self.defs, self.items = [], []
        self.count = 0

    def new_id(self, kind):
        self.count += 1
        return f"{kind}{self.count}"

    def add(self, *items):
        self.items.extend(items)

    def clip(self, x, y, w, h, rx=0):
        cid = self.new_id("clip")
        self.defs.append(f'<clipPath id="{cid}">{rect(x, y, w, h, "#000", rx=rx)}</clipPath>')
        return cid

    def gradient(self, stops, x2=0, y2=1):
        gid = self.new_id("paint")
        s = "".join(f'<stop offset="{fmt(o)}" stop-color="{c}"{a}/>'
                    for o, c, a in ((*st, "") if len(st) == 2 else st for st in stops))
        self.defs.append(f'<linearGradient id="{gid}" x1="0" y1="0" x2="{fmt(x2)}" y2="{fmt(y2)}">'
                         f"{s}</linearGradient>")
        return f"url(#{gid})"

    def sprite(self, name, x, y, scale=1.0, mirror=False):
        """A playing-field sprite, clipped to its box as the game draws it."""
        w, h, items = SPRITES[name]
        cid = self.clip(0, 0, w, h)
        t = f"translate({fmt(x)} {fmt(y)}) scale({fmt(scale)})"
        if mirror:
            t += f" translate({fmt(w)} 0) scale(-1 1)"
        return f'<g transform="{t}" clip-path="url(#{cid})">' + "".join(items) + "</g>"

    def svg(self):
        defs = f"  <defs>{''.join(self.defs)}</defs>\n" if self.defs else ""
        body = "\n  ".join(self.items)
        return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{self.width}" '
                f'height="{self.height}" viewBox="0 0 {self.width} {self.height}">\n{defs}'
                f'  <rect width="{self.width}" height="{self.height}" fill="{WINDOW}"/>\n'
                f"  {body}\n</svg>\n")


# --------------------------------------------------------------------------
# The menu panel, 145 x 370, drawn at (4,1) in the window.

# Word and top edge in the window; the click area is 98 x 17 at panel x 24,
# panel y = top - 1.
MENU = [("play", 127), ("view stats", 159), ("mail highscore", 176), ("clear scores", 211),
        ("choose level", 228), ("choose sounds", 245), ("save settings", 262), ("rules", 295),
        ("about", 313), ("quit", 331)]
# Groups of entries with the colour that marks them.
GROUPS = [((0,), "#6fd64e"), ((1, 2), "#4fb0ff"), ((3, 4, 5, 6), GOLD), ((7, 8), "#ff9a3c"),
          ((9,), "#ff5a44")]
PANEL_X, PANEL_Y = 4, 1
BOX_X, BOX_W, BOX_H = 24, 98, 17


def night_sky(doc, x, y, w, h):
    """The playing field at night, framed: the picture at the top of the panel."""
    frame = doc.clip(x, y, w, h, rx=7)
    sky = doc.gradient([(0, "#020a1c"), (0.6, "#0a2a4e"), (1, "#1b4f72")])
    inner = [rect(x, y, w, h, sky)]
    # stars
    for sx, sy, r in ((14, 14, 0.7), (30, 30, 0.5), (46, 12, 0.6), (60, 24, 0.8), (94, 10, 0.6),
                      (124, 20, 0.7), (112, 56, 0.5), (22, 52, 0.6), (40, 66, 0.4),
                      (130, 42, 0.5), (76, 8, 0.4), (8, 34, 0.5)):
        inner.append(circle(x + sx, y + sy, r, "#dbe8ff"))
    inner.append(star(x + 33, y + 19, 2.6))
    # a crescent moon
    inner.append(circle(x + 20, y + 22, 7.5, "#fff3c2"))
    inner.append(circle(x + 23.5, y + 19.5, 6.6, "#061a3c"))
    # the hero stands on the field and fires up at the elephant
    inner.append(doc.sprite("jord", x - 100, y + h - 12))
    inner.append(doc.sprite("eleleft1", x + 64, y + 8, 1.05))
    inner.append(doc.sprite("skud6", x + 62, y + 33))
    inner.append(doc.sprite("pos6", x + 10, y + h - 70))
    inner.append(doc.sprite("bileft2", x + 102, y + 64, 0.8))
    doc.add(f'<g clip-path="url(#{frame})">' + "".join(inner) + "</g>")
    doc.add(rect(x + 0.75, y + 0.75, w - 1.5, h - 1.5, None, GOLD_LINE, 1.5, rx=6.5))
    doc.add(rect(x + 2, y + 2, w - 4, h - 4, None, "#ffffff", 0.5, rx=5.5,
                 extra='stroke-opacity="0.25"'))


def menu_panel():
    doc = Document(145, 370)
    night_sky(doc, 6, 5, 133, 112)
    for members, colour in GROUPS:
        first = MENU[members[0]][1] - PANEL_Y
        last = MENU[members[-1]][1] - PANEL_Y
        doc.add(rect(BOX_X - 9, first + 3, 3, last - first + 11, colour, rx=1.5))
        for i in members:
            word, top = MENU[i]
            y = top - PANEL_Y
            doc.add(path(f"M{BOX_X + 1},{y + 5.5} L{BOX_X + 5},{y + 8.5} L{BOX_X + 1},{y + 11.5} Z",
                         colour))
            doc.add(text(BOX_X + 9, y + 12, word, 11))
    # a thin rule between the panel and the rest of the window
    fade = doc.gradient([(0, "#2a5f88", ' stop-opacity="0"'), (0.15, "#2a5f88"),
                         (0.85, "#2a5f88"), (1, "#2a5f88", ' stop-opacity="0"')])
    doc.add(rect(142, 124, 1, 236, fade))
    return doc


# --------------------------------------------------------------------------
# The title banner, 457 x 64 at (149,27); only its first ~420 px show.

def title_banner():
    doc = Document(457, 64)
    word = "Krumlix"
    size, x, base = 62, 12, 53
    fill = doc.gradient([(0, GOLD_LIGHT), (0.45, GOLD), (0.75, "#ff8a1c"), (1, "#e8361c")])
    common = f' letter-spacing="1"'
    # a drop shadow, a red extruded edge, the outline, the face and its shine
    doc.add(text(x + 5, base + 5, word, size, INK, "bold",
                 extra=common + f' stroke="{INK}" stroke-width="7" stroke-linejoin="round"'))
    for d in (4, 3, 2, 1):
        doc.add(text(x + d, base + d, word, size, EDGE, "bold",
                     extra=common + f' stroke="{EDGE}" stroke-width="4" stroke-linejoin="round"'))
    doc.add(text(x, base, word, size, INK, "bold",
                 extra=common + f' stroke="{INK}" stroke-width="4.5" stroke-linejoin="round"'))
    doc.add(text(x, base, word, size, fill, "bold", extra=common))
    shine = doc.clip(0, 0, 457, base - 27)
    doc.add(f'<g clip-path="url(#{shine})">'
            + text(x, base, word, size, "#ffffff", "bold", extra=common + ' fill-opacity="0.35"')
            + "</g>")
    # the winged elephant flies off with a whoosh, sparkles about
    for y, x0, x1 in ((26, 300, 318), (33, 292, 316), (40, 302, 318)):
        doc.add(path(f"M{x0},{y} L{x1},{y}", None, "#bcd8ff", 2, 'stroke-opacity="0.55"'))
    doc.add(doc.sprite("eleleft1", 322, 8, 1.25))
    doc.add(star(300, 12, 5.0))
    doc.add(star(310, 53, 3.4, turn=-70))
    doc.add(star(412, 14, 4.2, turn=-100))
    for cx, cy, r in ((290, 50, 1.1), (404, 56, 1.0), (428, 34, 0.9), (344, 4, 0.8)):
        doc.add(circle(cx, cy, r, "#dbe8ff"))
    return doc


# --------------------------------------------------------------------------
# The web link, 105 x 17 at (450,344), and the level badges, 25 x 17 each,
# drawn right of "choose level".

def web_link():
    doc = Document(105, 17)
    doc.add(f'<g transform="translate(2.5 0) scale(0.93 1)">'
            + text(0, 12, "krumlix.example.com", 10, LINK) + "</g>")
    doc.add(rect(2.5, 14, 100, 1, LINK))
    return doc


def badge(label):
    doc = Document(25, 17)
    doc.add(text(12.5, 12, f"({label})", 11, GOLD, "bold", "middle"))
    return doc


# --------------------------------------------------------------------------
# The rules window's picture of the seven aiming poses, 300 x 87, with the
# keys of the upward poses above them.

POSE_LABELS = [None, "1 &amp; 5", "2 &amp; 4", "3", "4 &amp; 2", "5 &amp; 1", None]


def rules_poses():
    doc = Document(300, 87)
    scale = 0.8
    names = [f"pos{i}" for i in range(1, 8)]
    widths = [SPRITES[n][0] * scale for n in names]
    gap = (300 - 4 - sum(widths)) / 6
    # the labels sit just above the guns; the whole is centred in the height
    x, bottom, label_base = 2.0, 79, 17
    for name, width, label in zip(names, widths, POSE_LABELS):
        h = SPRITES[name][1] * scale
        doc.add(doc.sprite(name, x, bottom - h, scale))
        if label:
            doc.add(text(x + width / 2, label_base, label, 10, TEXT, anchor="middle"))
        x += width + gap
    return doc


def all_pictures():
    pictures = {
        "menupanel": menu_panel(),
        "titlebanner": title_banner(),
        "weblink": web_link(),
        "rulesposes": rules_poses(),
    }
    for label in ("1", "2", "3", "4", "5", "u"):
        pictures[f"badge{label}"] = badge(label)
    return pictures


def main():
    OUT_DIR.mkdir(parents=True, exist_ok=True)
    pictures = all_pictures()
    for name, doc in sorted(pictures.items()):
        (OUT_DIR / f"{name}.svg").write_text(doc.svg())
    print(f"wrote {len(pictures)} pictures to {OUT_DIR}", file=sys.stderr)


if __name__ == "__main__":
    main()
