#!/usr/bin/env python3
"""Writes the program's button and frame pictures as SVG, all in one style.

Each button has a released and a pressed picture (resource number = 10000 + N). Run it
from anywhere; it rewrites the SVG files beside itself. The SVGs are committed, so the
build does not need Python.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))

NIGHT = "#14161f"
PANEL_TOP = "#2b3042"
PANEL_BOTTOM = "#1c1f2b"
PRESSED_TOP = "#e8a33d"
PRESSED_BOTTOM = "#b8741f"
AMBER = "#e8a33d"
WARM = "#f4efe6"
MUTED = "#b9b4a8"
TEAL = "#3fb5a8"

# Icon paths on a 24 x 24 grid, stroked.
ICONS = {
    "search": '<circle cx="10.5" cy="10.5" r="6.5"/><line x1="15.5" y1="15.5" x2="21" y2="21"/>',
    "collection": '<circle cx="12" cy="12" r="9"/><circle cx="12" cy="12" r="5.2"/>'
                  '<circle cx="12" cy="12" r="1.6" fill="{c}"/>',
    "shopping": '<path d="M4 8h16l-1.4 12.2a1 1 0 0 1-1 .8H6.4a1 1 0 0 1-1-.8z"/>'
                '<path d="M8.5 10V6.5a3.5 3.5 0 0 1 7 0V10"/>',
    "connections": '<circle cx="12" cy="12" r="9"/><path d="M3 12h18"/>'
                   '<path d="M12 3c3 3.2 3 14.8 0 18M12 3c-3 3.2-3 14.8 0 18"/>',
    "back": '<path d="M10 5l-7 7 7 7"/><path d="M3.5 12H20"/>',
    "help": '<path d="M8.8 9a3.3 3.3 0 1 1 4.6 3c-.9.4-1.4 1.1-1.4 2.1v.9"/>'
            '<circle cx="12" cy="18.6" r="0.9" fill="{c}"/>',
    "about": '<circle cx="12" cy="12" r="9"/><path d="M12 11v6"/><circle cx="12" cy="7.6" r="0.9" fill="{c}"/>',
    "options": '<path d="M4 7h9M17 7h3M4 17h3M11 17h9"/><circle cx="15" cy="7" r="2.2"/><circle cx="9" cy="17" r="2.2"/>',
    "close": '<path d="M7 7l10 10M17 7L7 17"/>',
    "movie": '<rect x="3" y="5" width="18" height="14" rx="2"/><path d="M10 9v6l5-3z" fill="{c}"/>'
             '<path d="M3 9h2M3 15h2M19 9h2M19 15h2"/>',
    # The search screen's pictures.
    "artist": '<circle cx="12" cy="8" r="4"/><path d="M4.5 20.5c.8-4.2 3.8-6.5 7.5-6.5s6.7 2.3 7.5 6.5"/>',
    "album": '<circle cx="12" cy="12" r="9"/><circle cx="12" cy="12" r="2.2"/><path d="M12 5.5a6.5 6.5 0 0 1 6.5 6.5"/>',
    "track": '<path d="M9 18V5.5l11-2.5v12.5"/><circle cx="6.5" cy="18" r="2.6"/><circle cx="17.5" cy="15.5" r="2.6"/>',
    "catno": '<path d="M4 5v14M7.5 5v14M10 5v14M14 5v14M16.5 5v14M20 5v14"/>',
    "go": '<path d="M4 12h15"/><path d="M13 6l6 6-6 6"/>',
    "up": '<path d="M6 15l6-6 6 6"/>',
    "down": '<path d="M6 9l6 6 6-6"/>',
    "details": '<rect x="4" y="3" width="16" height="18" rx="2"/><path d="M8 8h8M8 12h8M8 16h5"/>',
    "list": '<path d="M9 6h11M9 12h11M9 18h11"/><circle cx="4.5" cy="6" r="1" fill="{c}"/>'
            '<circle cx="4.5" cy="12" r="1" fill="{c}"/><circle cx="4.5" cy="18" r="1" fill="{c}"/>',
    "got": '<circle cx="12" cy="12" r="9"/><path d="M7.5 12.5l3 3 6-6.5"/>',
    "want": '<path d="M12 20s-7.5-4.4-7.5-10A4.3 4.3 0 0 1 12 7.3 4.3 4.3 0 0 1 19.5 10c0 5.6-7.5 10-7.5 10z"/>',
    # The collection screen's pictures.
    "edit": '<path d="M4 20l1-4.5L16 4.5a2.1 2.1 0 0 1 3 3L8 18.5z"/><path d="M14 6.5l3 3"/>',
    "remove": '<path d="M4.5 7h15"/><path d="M9.5 7V4.5h5V7"/><path d="M6.5 7l1 13h9l1-13"/>',
    "filter": '<path d="M3.5 4.5h17l-6.5 8v6l-4 2v-8z"/>',
    "sort": '<path d="M7 4v16M3.5 16.5L7 20l3.5-3.5"/><path d="M17 20V4M13.5 7.5L17 4l3.5 3.5"/>',
    "print": '<path d="M6.5 9V3.5h11V9"/><rect x="3" y="9" width="18" height="8" rx="1.5"/>'
             '<path d="M6.5 14.5h11V21h-11z"/>',
    "open": '<path d="M13 4h7v7"/><path d="M20 4l-9 9"/><path d="M18 14v5a1 1 0 0 1-1 1H5a1 1 0 0 1-1-1V7a1 1 0 0 1 1-1h5"/>',
    "new": '<path d="M12 4.5v15M4.5 12h15"/>',
    # The shopping screen's pictures.
    "book": '<path d="M5 4.5h11a2 2 0 0 1 2 2V20H7a2 2 0 0 1-2-2z"/><path d="M5 18a2 2 0 0 1 2-2h11"/>'
            '<path d="M9 8.5h5"/>',
    "star": '<path d="M12 3.5l2.6 5.4 5.9.8-4.3 4.1 1 5.8-5.2-2.8-5.2 2.8 1-5.8-4.3-4.1 5.9-.8z"/>',
    "cart": '<path d="M3 4.5h2.5l2.2 10.5h10.3l2-7.5H7"/><circle cx="9.5" cy="19" r="1.4"/>'
            '<circle cx="16.5" cy="19" r="1.4"/>',
    "phone": '<path d="M6.5 3.5h3l1.5 4.5-2 1.5a11 11 0 0 0 5.5 5.5l1.5-2 4.5 1.5v3a2 2 0 0 1-2 2'
             'A16 16 0 0 1 4.5 5.5a2 2 0 0 1 2-2z"/>',
    "fax": '<path d="M7 9V3.5h8l2 2V9"/><rect x="3.5" y="9" width="17" height="11" rx="1.5"/>'
           '<path d="M7 13h4M7 16.5h4"/><circle cx="16" cy="14.5" r="1.6"/>',
    "mail": '<rect x="3" y="5.5" width="18" height="13" rx="1.5"/><path d="M3.5 6.5l8.5 6.5 8.5-6.5"/>',
    "send": '<path d="M3.5 11.5L20.5 4l-6 16.5-3.3-6.8z"/><path d="M11.2 13.7L20.5 4"/>',
    "find": '<circle cx="10" cy="10" r="6"/><circle cx="10" cy="10" r="1.6"/><path d="M14.5 14.5L20.5 20.5"/>',
    "stack": '<rect x="3.5" y="9" width="17" height="11" rx="1.5"/><path d="M5.5 6h13M7.5 3h9"/>',
}


def gradient(gid, top, bottom):
    return (f'<linearGradient id="{gid}" x1="0" y1="0" x2="0" y2="1">'
            f'<stop offset="0" stop-color="{top}"/><stop offset="1" stop-color="{bottom}"/></linearGradient>')


def icon(name, x, y, size, colour):
    s = size / 24.0
    body = ICONS[name].replace("{c}", colour)
    return (f'<g transform="translate({x} {y}) scale({s:.4f})" fill="none" stroke="{colour}" '
            f'stroke-width="{2.0:.1f}" stroke-linecap="round" stroke-linejoin="round">{body}</g>')


def write(number, svg):
    with open(os.path.join(HERE, f"{10000 + number}.svg"), "w", encoding="utf-8") as f:
        f.write(svg)


def labelled_button(normal, pressed, name, label, width=112, height=44):
    """A wide navigation button: icon and caption on a rounded panel."""
    for number, is_pressed in ((normal, False), (pressed, True)):
        top, bottom = (PRESSED_TOP, PRESSED_BOTTOM) if is_pressed else (PANEL_TOP, PANEL_BOTTOM)
        ink = NIGHT if is_pressed else WARM
        accent = NIGHT if is_pressed else AMBER
        dy = 1 if is_pressed else 0
        svg = (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" viewBox="0 0 {width} {height}">'
               f'<!-- {label} button, {"pressed" if is_pressed else "released"}. -->'
               f'<defs>{gradient("face", top, bottom)}</defs>'
               f'<rect x="0.75" y="0.75" width="{width - 1.5}" height="{height - 1.5}" rx="9" fill="url(#face)" '
               f'stroke="{AMBER}" stroke-opacity="{0.9 if is_pressed else 0.45}" stroke-width="1.5"/>'
               + ('' if is_pressed else
                  f'<rect x="2" y="2" width="{width - 4}" height="{height / 2 - 2}" rx="7" fill="#ffffff" fill-opacity="0.05"/>')
               + icon(name, 11, (height - 22) / 2 + dy, 22, accent)
               + f'<text x="{40}" y="{height / 2 + 5 + dy}" font-family="DejaVu Sans" font-size="13" '
               f'font-weight="bold" fill="{ink}">{label}</text></svg>')
        write(number, svg)


def round_button(normal, pressed, name, size=32, pressed_colours=(PRESSED_TOP, PRESSED_BOTTOM), pressed_ink=NIGHT):
    for number, is_pressed in ((normal, False), (pressed, True)):
        top, bottom = pressed_colours if is_pressed else ("#3a3f52", "#232633")
        ink = pressed_ink if is_pressed else WARM
        r = size / 2 - 1.5
        svg = (f'<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" viewBox="0 0 {size} {size}">'
               f'<!-- {name} button, {"pressed" if is_pressed else "released"}. -->'
               f'<defs>{gradient("face", top, bottom)}</defs>'
               f'<circle cx="{size / 2}" cy="{size / 2}" r="{r}" fill="url(#face)" stroke="{AMBER}" stroke-width="1.5"/>'
               + icon(name, (size - 18) / 2, (size - 18) / 2 + (0.6 if is_pressed else 0), 18, ink)
               + '</svg>')
        write(number, svg)


def frame_pictures():
    # imgBGTop 640 x 57, imgBGBottom 640 x 72, imgBGLeft 16 x 335, imgBGRight 24 x 335.
    write(1001, f'<svg xmlns="http://www.w3.org/2000/svg" width="640" height="57" viewBox="0 0 640 57">'
                f'<!-- Frame, top. --><defs>{gradient("g", "#232838", "#181b26")}</defs>'
                f'<rect width="640" height="57" fill="url(#g)"/>'
                f'<rect y="55" width="640" height="2" fill="{AMBER}" fill-opacity="0.35"/>'
                f'<g fill="none" stroke="#ffffff" stroke-opacity="0.035">'
                + "".join(f'<circle cx="560" cy="-40" r="{r}"/>' for r in range(30, 140, 9))
                + '</g></svg>')
    write(1002, f'<svg xmlns="http://www.w3.org/2000/svg" width="640" height="72" viewBox="0 0 640 72">'
                f'<!-- Frame, bottom. --><defs>{gradient("g", "#161923", "#0f1118")}</defs>'
                f'<rect width="640" height="72" fill="url(#g)"/>'
                f'<rect width="640" height="1.5" fill="{AMBER}" fill-opacity="0.35"/></svg>')
    for number, width in ((1003, 16), (1004, 24)):
        write(number, f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="335" viewBox="0 0 {width} 335">'
                      f'<!-- Frame, side. --><defs>{gradient("g", "#181b26", "#161923")}</defs>'
                      f'<rect width="{width}" height="335" fill="url(#g)"/></svg>')


def switchboard_pictures():
    # 2005: the switchboard's backdrop (imgMain), 600 x 335; 2010: the brand plate (picProper).
    rings = "".join(f'<circle cx="470" cy="170" r="{r}"/>' for r in range(40, 230, 8))
    write(2005, f'<svg xmlns="http://www.w3.org/2000/svg" width="600" height="335" viewBox="0 0 600 335">'
                f'<!-- Switchboard backdrop. --><defs>{gradient("g", "#1d2130", "#10121a")}'
                f'<radialGradient id="spot" cx="0.78" cy="0.5" r="0.5"><stop offset="0" stop-color="{AMBER}" stop-opacity="0.22"/>'
                f'<stop offset="1" stop-color="{AMBER}" stop-opacity="0"/></radialGradient></defs>'
                f'<rect width="600" height="335" fill="url(#g)"/><rect width="600" height="335" fill="url(#spot)"/>'
                f'<g fill="none" stroke="#ffffff" stroke-opacity="0.045">{rings}</g></svg>')
    write(2010, f'<svg xmlns="http://www.w3.org/2000/svg" width="220" height="64" viewBox="0 0 220 64">'
                f'<!-- Brand plate. -->'
                f'<text x="0" y="34" font-family="DejaVu Sans" font-size="30" font-weight="bold" letter-spacing="3" fill="{WARM}">KORVANDA</text>'
                f'<rect x="2" y="44" width="120" height="3" rx="1.5" fill="{AMBER}"/>'
                f'<text x="2" y="62" font-family="DejaVu Sans" font-size="11" fill="{MUTED}">The collector\'s catalogue</text></svg>')


def switchboard_tile(normal, pressed, name, label, caption, width=132, height=96):
    """The switchboard's large buttons: icon above a caption and a one-line description."""
    for number, is_pressed in ((normal, False), (pressed, True)):
        top, bottom = (PRESSED_TOP, PRESSED_BOTTOM) if is_pressed else (PANEL_TOP, PANEL_BOTTOM)
        ink = NIGHT if is_pressed else WARM
        sub = NIGHT if is_pressed else MUTED
        accent = NIGHT if is_pressed else AMBER
        dy = 1 if is_pressed else 0
        svg = (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" viewBox="0 0 {width} {height}">'
               f'<!-- Switchboard {label}, {"pressed" if is_pressed else "released"}. -->'
               f'<defs>{gradient("face", top, bottom)}</defs>'
               f'<rect x="0.75" y="0.75" width="{width - 1.5}" height="{height - 1.5}" rx="12" fill="url(#face)" '
               f'stroke="{AMBER}" stroke-opacity="{0.9 if is_pressed else 0.5}" stroke-width="1.5"/>'
               + icon(name, (width - 30) / 2, 12 + dy, 30, accent)
               + f'<text x="{width / 2}" y="{62 + dy}" text-anchor="middle" font-family="DejaVu Sans" font-size="14" '
               f'font-weight="bold" fill="{ink}">{label}</text>'
               f'<text x="{width / 2}" y="{80 + dy}" text-anchor="middle" font-family="DejaVu Sans" font-size="9.5" '
               f'fill="{sub}">{caption}</text></svg>')
        write(number, svg)


def tab_button(normal, pressed, name, label, width=60, height=26):
    """A search-type tab: a small icon and a caption; pressed marks the chosen type."""
    for number, is_pressed in ((normal, False), (pressed, True)):
        top, bottom = (PRESSED_TOP, PRESSED_BOTTOM) if is_pressed else (PANEL_TOP, PANEL_BOTTOM)
        ink = NIGHT if is_pressed else WARM
        accent = NIGHT if is_pressed else AMBER
        svg = (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" viewBox="0 0 {width} {height}">'
               f'<!-- {label} tab, {"pressed" if is_pressed else "released"}. -->'
               f'<defs>{gradient("face", top, bottom)}</defs>'
               f'<rect x="0.75" y="0.75" width="{width - 1.5}" height="{height - 1.5}" rx="6" fill="url(#face)" '
               f'stroke="{AMBER}" stroke-opacity="{0.9 if is_pressed else 0.45}" stroke-width="1.5"/>'
               + icon(name, 4, (height - 12) / 2, 12, accent)
               + f'<text x="{19}" y="{height / 2 + 3.5}" font-family="DejaVu Sans" font-size="9.5" '
               f'font-weight="bold" fill="{ink}">{label}</text></svg>')
        write(number, svg)


def small_button(normal, pressed, name, width=22, height=20):
    """The small square buttons beside the lists: scroll arrows, Go, the drop-down."""
    for number, is_pressed in ((normal, False), (pressed, True)):
        top, bottom = (PRESSED_TOP, PRESSED_BOTTOM) if is_pressed else ("#3a3f52", "#232633")
        ink = NIGHT if is_pressed else WARM
        size = min(width, height) - 6
        svg = (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" viewBox="0 0 {width} {height}">'
               f'<!-- {name} button, {"pressed" if is_pressed else "released"}. -->'
               f'<defs>{gradient("face", top, bottom)}</defs>'
               f'<rect x="0.75" y="0.75" width="{width - 1.5}" height="{height - 1.5}" rx="5" fill="url(#face)" '
               f'stroke="{AMBER}" stroke-opacity="{0.9 if is_pressed else 0.5}" stroke-width="1.5"/>'
               + icon(name, (width - size) / 2, (height - size) / 2 + (0.6 if is_pressed else 0), size, ink)
               + '</svg>')
        write(number, svg)


def action_button(normal, pressed, name, label, width, height=28):
    """The search screen's action buttons: the navigation buttons' style, sized for its panels."""
    for number, is_pressed in ((normal, False), (pressed, True)):
        top, bottom = (PRESSED_TOP, PRESSED_BOTTOM) if is_pressed else (PANEL_TOP, PANEL_BOTTOM)
        ink = NIGHT if is_pressed else WARM
        accent = NIGHT if is_pressed else AMBER
        dy = 1 if is_pressed else 0
        svg = (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" viewBox="0 0 {width} {height}">'
               f'<!-- {label} button, {"pressed" if is_pressed else "released"}. -->'
               f'<defs>{gradient("face", top, bottom)}</defs>'
               f'<rect x="0.75" y="0.75" width="{width - 1.5}" height="{height - 1.5}" rx="7" fill="url(#face)" '
               f'stroke="{AMBER}" stroke-opacity="{0.9 if is_pressed else 0.45}" stroke-width="1.5"/>'
               + ('' if is_pressed else
                  f'<rect x="2" y="2" width="{width - 4}" height="{height / 2 - 2}" rx="5" fill="#ffffff" fill-opacity="0.05"/>')
               + icon(name, 8, (height - 16) / 2 + dy, 16, accent)
               + f'<text x="{30}" y="{height / 2 + 4 + dy}" font-family="DejaVu Sans" font-size="11.5" '
               f'font-weight="bold" fill="{ink}">{label}</text></svg>')
        write(number, svg)


def compact_button(normal, pressed, name, label, width, height):
    """The collection screen's buttons: the action buttons' style, narrower, for two rows."""
    for number, is_pressed in ((normal, False), (pressed, True)):
        top, bottom = (PRESSED_TOP, PRESSED_BOTTOM) if is_pressed else (PANEL_TOP, PANEL_BOTTOM)
        ink = NIGHT if is_pressed else WARM
        accent = NIGHT if is_pressed else AMBER
        dy = 1 if is_pressed else 0
        svg = (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" viewBox="0 0 {width} {height}">'
               f'<!-- {label} button, {"pressed" if is_pressed else "released"}. -->'
               f'<defs>{gradient("face", top, bottom)}</defs>'
               f'<rect x="0.75" y="0.75" width="{width - 1.5}" height="{height - 1.5}" rx="7" fill="url(#face)" '
               f'stroke="{AMBER}" stroke-opacity="{0.9 if is_pressed else 0.45}" stroke-width="1.5"/>'
               + ('' if is_pressed else
                  f'<rect x="2" y="2" width="{width - 4}" height="{height / 2 - 2}" rx="5" fill="#ffffff" fill-opacity="0.05"/>')
               + icon(name, 5, (height - 13) / 2 + dy, 13, accent)
               + f'<text x="{21}" y="{height / 2 + 3.6 + dy}" font-family="DejaVu Sans" font-size="10" '
               f'font-weight="bold" fill="{ink}">{label}</text></svg>')
        write(number, svg)


def search_pictures():
    # 3030: the recording icon beside the releases (imgIcon), 24 x 24.
    write(3030, f'<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24" viewBox="0 0 24 24">'
                f'<!-- Recording icon. --><circle cx="12" cy="12" r="11" fill="#101219" stroke="{AMBER}" stroke-width="1"/>'
                f'<g fill="none" stroke="#ffffff" stroke-opacity="0.08">'
                + "".join(f'<circle cx="12" cy="12" r="{r}"/>' for r in (9.5, 8, 6.5))
                + f'</g><circle cx="12" cy="12" r="4.2" fill="{AMBER}"/><circle cx="12" cy="12" r="1" fill="{NIGHT}"/></svg>')
    # 3040: the search screen's backdrop (imgMain), 600 x 335.
    write(3040, f'<svg xmlns="http://www.w3.org/2000/svg" width="600" height="335" viewBox="0 0 600 335">'
                f'<!-- Search screen backdrop. --><defs>{gradient("g", "#1c2030", "#12141c")}'
                f'<radialGradient id="spot" cx="0.1" cy="0.0" r="0.6"><stop offset="0" stop-color="{AMBER}" stop-opacity="0.10"/>'
                f'<stop offset="1" stop-color="{AMBER}" stop-opacity="0"/></radialGradient></defs>'
                f'<rect width="600" height="335" fill="url(#g)"/><rect width="600" height="335" fill="url(#spot)"/></svg>')


def tick_box(number, ticked, size=16):
    """The shopping list's order box, unticked and ticked (imgChkOff, imgChkOn)."""
    face = AMBER if ticked else "#1d2130"
    mark = (f'<path d="M4 8.4l2.7 2.7 5.3-5.6" fill="none" stroke="{NIGHT}" stroke-width="2" '
            f'stroke-linecap="round" stroke-linejoin="round"/>') if ticked else ''
    write(number, f'<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" viewBox="0 0 {size} {size}">'
                  f'<!-- Order box, {"ticked" if ticked else "not ticked"}. -->'
                  f'<rect x="1" y="1" width="{size - 2}" height="{size - 2}" rx="3" fill="{face}" '
                  f'stroke="{AMBER}" stroke-width="1.3"/>{mark}</svg>')


def shopping_pictures():
    # 5040: the shopping screen's backdrop (imgMain), 600 x 335.
    write(5040, f'<svg xmlns="http://www.w3.org/2000/svg" width="600" height="335" viewBox="0 0 600 335">'
                f'<!-- Shopping screen backdrop. --><defs>{gradient("g", "#1c2030", "#12141c")}'
                f'<radialGradient id="spot" cx="0.95" cy="0.05" r="0.6"><stop offset="0" stop-color="{TEAL}" stop-opacity="0.10"/>'
                f'<stop offset="1" stop-color="{TEAL}" stop-opacity="0"/></radialGradient></defs>'
                f'<rect width="600" height="335" fill="url(#g)"/><rect width="600" height="335" fill="url(#spot)"/></svg>')
    tick_box(5020, False)
    tick_box(5021, True)


if __name__ == "__main__":
    labelled_button(1021, 1024, "search", "Search")
    labelled_button(1026, 1028, "collection", "Collections", width=124)
    labelled_button(1030, 1032, "shopping", "Shopping")
    labelled_button(1034, 1036, "connections", "Connections", width=136)
    labelled_button(1018, 1020, "back", "Back", width=84)
    round_button(1014, 1016, "help")
    round_button(1038, 1040, "about")
    round_button(1042, 1044, "options")
    # Exit is the one button that turns red when pressed.
    round_button(1010, 1012, "close", pressed_colours=("#c4503a", "#7d2a1d"), pressed_ink=WARM)
    round_button(6000, 6010, "movie", size=36)
    frame_pictures()
    switchboard_pictures()
    switchboard_tile(2021, 2024, "search", "Search", "artists, albums, tracks")
    switchboard_tile(2026, 2028, "collection", "Collections", "what you own and want")
    switchboard_tile(2030, 2032, "shopping", "Shopping", "order from a shop")
    switchboard_tile(2034, 2036, "connections", "Connections", "your music web sites")
    # The search screen.
    tab_button(3001, 3002, "artist", "Artists", width=62)
    tab_button(3003, 3004, "album", "Albums", width=62)
    tab_button(3005, 3006, "track", "Tracks", width=60)
    tab_button(3007, 3008, "catno", "Cat. No.", width=66)
    small_button(3010, 3011, "go", width=28, height=26)
    small_button(3012, 3013, "up")
    small_button(3014, 3015, "down")
    small_button(3016, 3017, "down", width=24, height=24)
    action_button(3022, 3023, "details", "Details", width=88)
    action_button(3024, 3025, "list", "Search", width=86)
    action_button(3026, 3027, "got", "Got it", width=78)
    action_button(3028, 3029, "want", "Want it", width=86)
    search_pictures()
    # The collection screen.
    small_action = dict(width=70, height=28)
    for number, icon_name, label in ((4001, "edit", "Edit"), (4003, "remove", "Remove"),
                                     (4005, "filter", "Filter"), (4007, "sort", "Sort"),
                                     (4009, "search", "Find"), (4011, "print", "Print"),
                                     (4013, "open", "Open"), (4015, "new", "New"),
                                     (4017, "stack", "Lists")):
        compact_button(number, number + 1, icon_name, label, **small_action)
    tab_button(4021, 4022, "details", "Details", width=76)
    tab_button(4023, 4024, "track", "Tracks", width=70)
    # The shopping screen.
    shop_action = dict(width=124)
    for number, icon_name, label in ((5001, "book", "Shops"), (5003, "print", "Print"),
                                     (5005, "find", "Try VMB"), (5007, "star", "Featured"),
                                     (5009, "cart", "Order Direct"), (5011, "phone", "Telephone"),
                                     (5013, "fax", "Fax"), (5015, "mail", "E-mail"),
                                     (5017, "artist", "Your Details")):
        action_button(number, number + 1, icon_name, label, **shop_action)
    action_button(5056, 5058, "send", "Send", **shop_action)
    shopping_pictures()
