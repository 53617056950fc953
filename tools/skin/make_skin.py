#!/usr/bin/env python3
"""Writes the SVG sources of the installer skin under tools/skin/res/.

Each SVG is drawn at the exact pixel size the layouts give its image, so the PNGs
that res/CMakeLists.txt renders from them stay crisp. Edit the drawing here, run
this script, review the rendered images and commit the SVGs together with it.
"""
import math
import os
import sys

# Palette shared with the layouts.
PRIMARY = "#227EFA"
PRIMARY_HOT = "#4896FF"
PRIMARY_PUSHED = "#066AF2"
LINK = "#1675FE"
LINK_PUSHED = "#1365DB"
TITLE = "#303F56"
CAPTION_GREY = "#666666"
BAND = "#F5FAFE"
GREEN = "#11A557"
GREEN_HOT = "#59CB8F"
HAIRLINE = "#D3E0F2"
GLYPH_GREY = "#7D879A"

OUT_ROOT = os.path.dirname(os.path.abspath(__file__))


def svg(width, height, body, defs=""):
    defs_block = f"  <defs>\n{defs}  </defs>\n" if defs else ""
    return (
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
        f'viewBox="0 0 {width} {height}">\n{defs_block}{body}</svg>\n'
    )


def write(rel_path, text):
    path = os.path.join(OUT_ROOT, rel_path)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


# ---------------------------------------------------------------------------
# Product mark: a blue rounded tile holding a two-tone "V".


def mark_defs(prefix):
    return (
        f'    <linearGradient id="{prefix}Tile" x1="0" y1="0" x2="1" y2="1">\n'
        f'      <stop offset="0" stop-color="#5AA2FF"/>\n'
        f'      <stop offset="1" stop-color="{PRIMARY_PUSHED}"/>\n'
        f"    </linearGradient>\n"
    )


def mark(prefix, x, y, size):
    """The mark drawn in a 64-unit design box scaled to size pixels."""
    s = size / 64.0
    return (
        f'  <g transform="translate({x} {y}) scale({s:.5f})">\n'
        f'    <rect x="0" y="0" width="64" height="64" rx="15" fill="url(#{prefix}Tile)"/>\n'
        f'    <path d="M5 5 H59 Q40 14 5 40 Z" fill="#FFFFFF" opacity="0.10"/>\n'
        f'    <path d="M17 19 L32 46" stroke="#FFFFFF" stroke-width="8" stroke-linecap="round" fill="none"/>\n'
        f'    <path d="M32 46 L47 19" stroke="#FFFFFF" stroke-width="8" stroke-linecap="round" fill="none" opacity="0.72"/>\n'
        f'    <circle cx="47" cy="19" r="4" fill="#FFFFFF"/>\n'
        f"  </g>\n"
    )


def icon_images():
    write("res/common/icon.svg", svg(48, 48, mark("m", 0, 0, 48), mark_defs("m")))
    write("res/mainWnd/ilogo.svg", svg(24, 24, mark("m", 0, 0, 24), mark_defs("m")))
    # Mark plus the product name, centred as a group in 361 x 64.
    text_width = 187  # "Velquin" in DejaVu Sans Bold at 44 px
    mark_size, gap = 58, 16
    left = round((361 - (mark_size + gap + text_width)) / 2)
    body = mark("m", left, 3, mark_size) + (
        f'  <text x="{left + mark_size + gap}" y="48" font-family="DejaVu Sans" font-weight="bold" '
        f'font-size="44" letter-spacing="0.5" fill="{TITLE}">Velquin</text>\n'
    )
    write("res/mainWnd/logoWithTitle.svg", svg(361, 64, body, mark_defs("m")))


# ---------------------------------------------------------------------------
# Window backgrounds, 600 x 400.


def background(name, glow_y, extras="", band_mark=False):
    defs = (
        '    <linearGradient id="sky" x1="0" y1="0" x2="0" y2="1">\n'
        '      <stop offset="0" stop-color="#E6F0FF"/>\n'
        '      <stop offset="0.55" stop-color="#F7FAFF"/>\n'
        '      <stop offset="1" stop-color="#FFFFFF"/>\n'
        "    </linearGradient>\n"
        '    <radialGradient id="glow" cx="0.5" cy="0.5" r="0.5">\n'
        '      <stop offset="0" stop-color="#FFFFFF" stop-opacity="0.95"/>\n'
        '      <stop offset="1" stop-color="#FFFFFF" stop-opacity="0"/>\n'
        "    </radialGradient>\n"
        '    <linearGradient id="wave" x1="0" y1="0" x2="1" y2="0">\n'
        f'      <stop offset="0" stop-color="{PRIMARY}" stop-opacity="0.10"/>\n'
        f'      <stop offset="1" stop-color="{PRIMARY_HOT}" stop-opacity="0.03"/>\n'
        "    </linearGradient>\n"
    ) + mark_defs("m")
    body = (
        '  <rect width="600" height="400" fill="url(#sky)"/>\n'
        f'  <circle cx="548" cy="-36" r="190" fill="{PRIMARY}" opacity="0.06"/>\n'
        f'  <circle cx="602" cy="40" r="110" fill="{PRIMARY_HOT}" opacity="0.06"/>\n'
        f'  <circle cx="18" cy="-60" r="150" fill="{PRIMARY_HOT}" opacity="0.05"/>\n'
        f'  <ellipse cx="300" cy="{glow_y}" rx="280" ry="96" fill="url(#glow)"/>\n'
        '  <path d="M0 338 C120 300 210 372 330 348 C440 326 520 300 600 318 V400 H0 Z" fill="url(#wave)"/>\n'
        '  <path d="M0 366 C140 340 250 392 380 372 C480 356 540 346 600 356 V400 H0 Z" '
        f'fill="{PRIMARY}" opacity="0.05"/>\n'
        + extras
    )
    if band_mark:
        body += mark("m", 16, 11, 22) + (
            f'  <text x="45" y="28" font-family="DejaVu Sans" font-weight="bold" font-size="15" '
            f'fill="{TITLE}">Velquin</text>\n'
        )
    body += f'  <rect x="0.5" y="0.5" width="599" height="399" rx="2" fill="none" stroke="{HAIRLINE}"/>\n'
    write(f"res/mainWnd/{name}.svg", svg(600, 400, body, defs))


def backgrounds():
    # Glow centres follow the logo / illustration of each page (title bar is 45 high).
    background("bg1", 135)
    background("bg2", 99)
    background("bg3", 167, band_mark=True)
    confetti = "".join(
        f'  <circle cx="{x}" cy="{y}" r="{r}" fill="{c}" opacity="{o}"/>\n'
        for x, y, r, c, o in [
            (146, 92, 3, PRIMARY, 0.35),
            (178, 170, 2, GREEN_HOT, 0.55),
            (452, 98, 2.5, GREEN_HOT, 0.5),
            (470, 168, 3, PRIMARY_HOT, 0.35),
            (112, 140, 2, PRIMARY_HOT, 0.4),
            (500, 132, 2, PRIMARY, 0.3),
        ]
    )
    background("bg4", 135, extras=confetti, band_mark=True)


# ---------------------------------------------------------------------------
# Title bar buttons, 24 x 24, three states.

STATE_TITLE_BUTTON = [
    # (suffix, glyph colour, backdrop colour or None)
    ("1", GLYPH_GREY, None),
    ("2", PRIMARY_HOT, "#E6F0FF"),
    ("3", PRIMARY_PUSHED, "#D4E5FE"),
]


def title_buttons():
    for state, colour, backdrop in STATE_TITLE_BUTTON:
        back = f'  <rect x="0" y="0" width="24" height="24" rx="2" fill="{backdrop}"/>\n' if backdrop else ""
        minus = f'  <path d="M7 12.5 H17" stroke="{colour}" stroke-width="1.6" stroke-linecap="round"/>\n'
        cross = (
            f'  <path d="M7.5 7.5 L16.5 16.5 M16.5 7.5 L7.5 16.5" stroke="{colour}" '
            'stroke-width="1.6" stroke-linecap="round"/>\n'
        )
        small_cross = (
            f'  <path d="M8 8 L16 16 M16 8 L8 16" stroke="{colour}" '
            'stroke-width="1.5" stroke-linecap="round"/>\n'
        )
        write(f"res/common/minbtn{state}.svg", svg(24, 24, back + minus))
        write(f"res/common/closebtn{state}.svg", svg(24, 24, back + cross))
        write(f"res/common/closebtnM_{state}.svg", svg(24, 24, back + small_cross))


# ---------------------------------------------------------------------------
# Main window controls.


def flat_button(w, h, fill, stroke=None):
    if stroke:
        return (
            f'  <rect x="0.5" y="0.5" width="{w - 1}" height="{h - 1}" rx="2" '
            f'fill="{fill}" stroke="{stroke}"/>\n'
        )
    return f'  <rect x="0" y="0" width="{w}" height="{h}" rx="2" fill="{fill}"/>\n'


def main_controls():
    # Back: a chevron left of the text, coloured like the button's text states.
    for state, colour in (("1", TITLE), ("2", GREEN_HOT), ("3", GREEN)):
        body = (
            f'  <path d="M17 9 L11 15 L17 21" stroke="{colour}" stroke-width="1.8" '
            'stroke-linecap="round" stroke-linejoin="round" fill="none"/>\n'
        )
        write(f"res/mainWnd/backBtn{state}.svg", svg(64, 30, body))

    # Custom install link: a sliders glyph left of the text.
    for state, colour in (("1", LINK), ("2", PRIMARY_HOT), ("3", PRIMARY_PUSHED)):
        body = (
            f'  <g stroke="{colour}" stroke-width="1.4" stroke-linecap="round" fill="none">\n'
            '    <path d="M2 5 H14 M2 9 H14 M2 13 H14"/>\n'
            "  </g>\n"
            f'  <circle cx="10" cy="5" r="2" fill="#FFFFFF" stroke="{colour}" stroke-width="1.4"/>\n'
            f'  <circle cx="5" cy="9" r="2" fill="#FFFFFF" stroke="{colour}" stroke-width="1.4"/>\n'
            f'  <circle cx="11" cy="13" r="2" fill="#FFFFFF" stroke="{colour}" stroke-width="1.4"/>\n'
        )
        write(f"res/mainWnd/customeBtn{state}.svg", svg(88, 18, body))

    write("res/mainWnd/installDirEdit.svg", svg(340, 40, flat_button(340, 40, "#FFFFFF", "#C9D8EE")))
    for state, fill, stroke in (("1", "#FFFFFF", PRIMARY), ("2", "#EEF5FF", PRIMARY_HOT), ("3", "#DCEAFE", PRIMARY_PUSHED)):
        write(f"res/mainWnd/editBtn{state}.svg", svg(80, 40, flat_button(80, 40, fill, stroke)))

    write(
        "res/mainWnd/Cb1.svg",
        svg(16, 16, '  <rect x="0.5" y="0.5" width="15" height="15" rx="2" fill="#FFFFFF" stroke="#B4C2D6"/>\n'),
    )
    write(
        "res/mainWnd/Cb2.svg",
        svg(
            16,
            16,
            f'  <rect x="0" y="0" width="16" height="16" rx="2" fill="{PRIMARY}"/>\n'
            '  <path d="M4 8.3 L7 11.2 L12.2 5.2" stroke="#FFFFFF" stroke-width="1.8" '
            'stroke-linecap="round" stroke-linejoin="round" fill="none"/>\n',
        ),
    )

    # Tooltip pointing down at the agreement check box below it.
    tip = (
        '  <path d="M3 0.5 H169 Q171.5 0.5 171.5 3 V21 Q171.5 23.5 169 23.5 H30 L24 29 L18 23.5 H3 '
        'Q0.5 23.5 0.5 21 V3 Q0.5 0.5 3 0.5 Z" fill="#FFFFFF" stroke="#C6D7F0"/>\n'
        f'  <rect x="1" y="1" width="3" height="22" rx="1.5" fill="{PRIMARY}"/>\n'
    )
    write("res/mainWnd/tipLbl.svg", svg(172, 30, tip))

    # Progress track and fill, 410 x 8 with 2-pixel corners (drawn as a nine-grid).
    write("res/mainWnd/installPrg1.svg", svg(410, 8, '  <rect width="410" height="8" rx="2" fill="#E1EAF6"/>\n'))
    fill_defs = (
        '    <linearGradient id="bar" x1="0" y1="0" x2="0" y2="1">\n'
        f'      <stop offset="0" stop-color="{PRIMARY_HOT}"/>\n'
        f'      <stop offset="1" stop-color="{PRIMARY}"/>\n'
        "    </linearGradient>\n"
    )
    write("res/mainWnd/installPrg2.svg", svg(410, 8, '  <rect width="410" height="8" rx="2" fill="url(#bar)"/>\n', fill_defs))

    write(
        "res/mainWnd/finished.svg",
        svg(
            40,
            40,
            f'  <circle cx="20" cy="20" r="20" fill="{GREEN}"/>\n'
            '  <path d="M11.5 20.5 L17.5 26.5 L28.5 14.5" stroke="#FFFFFF" stroke-width="3.2" '
            'stroke-linecap="round" stroke-linejoin="round" fill="none"/>\n',
        ),
    )

    # Installing illustration: a cloud with a download arrow over a tray.
    defs = (
        '    <linearGradient id="cloud" x1="0" y1="0" x2="0" y2="1">\n'
        f'      <stop offset="0" stop-color="{PRIMARY_HOT}"/>\n'
        f'      <stop offset="1" stop-color="{PRIMARY}"/>\n'
        "    </linearGradient>\n"
        '    <radialGradient id="halo" cx="0.5" cy="0.5" r="0.5">\n'
        '      <stop offset="0" stop-color="#DCEAFF"/>\n'
        '      <stop offset="1" stop-color="#DCEAFF" stop-opacity="0"/>\n'
        "    </radialGradient>\n"
    )
    body = (
        '  <ellipse cx="130" cy="72" rx="96" ry="66" fill="url(#halo)"/>\n'
        '  <g fill="url(#cloud)">\n'
        '    <circle cx="110" cy="62" r="20"/>\n'
        '    <circle cx="136" cy="50" r="26"/>\n'
        '    <circle cx="160" cy="66" r="17"/>\n'
        '    <rect x="90" y="60" width="87" height="30" rx="15"/>\n'
        "  </g>\n"
        '  <path d="M133 50 V78 M122 68 L133 79 L144 68" stroke="#FFFFFF" stroke-width="4.5" '
        'stroke-linecap="round" stroke-linejoin="round" fill="none"/>\n'
        f'  <path d="M104 104 V113 Q104 118 109 118 H157 Q162 118 162 113 V104" stroke="{PRIMARY}" '
        'stroke-width="4" stroke-linecap="round" stroke-linejoin="round" fill="none"/>\n'
        f'  <path d="M123 108 H143" stroke="{PRIMARY_HOT}" stroke-width="4" stroke-linecap="round"/>\n'
        f'  <circle cx="70" cy="40" r="3" fill="{PRIMARY_HOT}" opacity="0.5"/>\n'
        f'  <circle cx="196" cy="32" r="2.5" fill="{PRIMARY}" opacity="0.4"/>\n'
        f'  <circle cx="204" cy="104" r="3.5" fill="{PRIMARY_HOT}" opacity="0.35"/>\n'
        f'  <circle cx="62" cy="98" r="2" fill="{PRIMARY}" opacity="0.45"/>\n'
        f'  <path d="M84 22 V30 M80 26 H88" stroke="{PRIMARY_HOT}" stroke-width="1.6" stroke-linecap="round" opacity="0.6"/>\n'
        f'  <path d="M188 76 V84 M184 80 H192" stroke="{PRIMARY}" stroke-width="1.6" stroke-linecap="round" opacity="0.5"/>\n'
    )
    write("res/mainWnd/installBtnAnimate/000.svg", svg(260, 140, body, defs))


# ---------------------------------------------------------------------------
# Tip window icons and buttons.


def disc(glyph):
    return svg(40, 40, f'  <circle cx="20" cy="20" r="20" fill="{PRIMARY}"/>\n' + glyph)


def arc(r, cx=20.0, cy=28.0):
    d = r * math.sqrt(0.5)
    return f"M{cx - d:.2f} {cy - d:.2f} A{r} {r} 0 0 1 {cx + d:.2f} {cy - d:.2f}"


def tip_images():
    white_line = 'stroke="#FFFFFF" stroke-linecap="round" stroke-linejoin="round" fill="none"'
    write(
        "res/MessageBoxWnd/icoQuest.svg",
        disc(
            f'  <path d="M14.6 15.6 A5.6 5.6 0 1 1 23 20.4 C21.1 21.5 20 22.6 20 24.6 V25.2" '
            f'stroke-width="3.2" {white_line}/>\n'
            '  <circle cx="20" cy="30" r="2.1" fill="#FFFFFF"/>\n'
        ),
    )
    write(
        "res/MessageBoxWnd/icoWarn.svg",
        disc(f'  <path d="M20 10.5 V23.5" stroke-width="3.4" {white_line}/>\n'
             '  <circle cx="20" cy="29.5" r="2.2" fill="#FFFFFF"/>\n'),
    )
    write(
        "res/MessageBoxWnd/icoNetwork.svg",
        disc(
            f'  <path d="{arc(5.5)}" stroke-width="2.6" {white_line}/>\n'
            f'  <path d="{arc(10.5)}" stroke-width="2.6" {white_line}/>\n'
            f'  <path d="{arc(15.5)}" stroke-width="2.6" {white_line} opacity="0.45"/>\n'
            '  <circle cx="20" cy="28" r="2" fill="#FFFFFF"/>\n'
        ),
    )
    outlined = (("1", "#FFFFFF", LINK), ("2", "#F0F6FF", PRIMARY_HOT), ("3", "#E1EDFF", LINK_PUSHED))
    filled = (("1", PRIMARY), ("2", PRIMARY_HOT), ("3", PRIMARY_PUSHED))
    for state, fill, stroke in outlined:
        write(f"res/MessageBoxWnd/yesBtn{state}.svg", svg(100, 30, flat_button(100, 30, fill, stroke)))
    for state, fill in filled:
        write(f"res/MessageBoxWnd/noBtn{state}.svg", svg(100, 30, flat_button(100, 30, fill)))
        write(f"res/MessageBoxWnd/openBtn{state}.svg", svg(138, 30, flat_button(138, 30, fill)))
    for state, fill, stroke in (("1", "#FFFFFF", PRIMARY), ("2", "#EEF5FF", PRIMARY_HOT)):
        write(f"res/MessageBoxWnd/latestBtn{state}.svg", svg(138, 30, flat_button(138, 30, fill, stroke)))


def main():
    icon_images()
    backgrounds()
    title_buttons()
    main_controls()
    tip_images()
    return 0


if __name__ == "__main__":
    sys.exit(main())
