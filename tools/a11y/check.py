#!/usr/bin/python3
"""Drives a running Korvanda through the AT-SPI accessibility bus, as a screen reader does.

Presses every button of the switchboard, the bar, the search screen, the collection screen
and the connections by its name, opens and closes the dialogs they lead to, and reports
every control a person can press or type into that has no name. Started by
tools/a11y/run.sh; exits 1 on any fault.
"""
import os
import sys
import time

import pyatspi

INTERACTIVE = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX,
    pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY,
    pyatspi.ROLE_PASSWORD_TEXT, pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_SCROLL_BAR,
    pyatspi.ROLE_SLIDER, pyatspi.ROLE_TABLE, pyatspi.ROLE_LIST, pyatspi.ROLE_TREE,
    pyatspi.ROLE_PAGE_TAB, pyatspi.ROLE_LINK,
}
# Their items are the data shown, not controls.
COMPOUND = {pyatspi.ROLE_TABLE, pyatspi.ROLE_LIST, pyatspi.ROLE_TREE, pyatspi.ROLE_COMBO_BOX,
            pyatspi.ROLE_MENU, pyatspi.ROLE_TEXT}
KEY_ESCAPE = 0xFF1B

faults = []
pressed = []


def wait_for(what, condition, timeout=30.0):
    end = time.time() + timeout
    while time.time() < end:
        try:
            result = condition()
        except Exception:  # the tree changes under us while windows come and go
            result = None
        if result:
            return result
        time.sleep(0.2)
    raise SystemExit("timed out waiting for " + what)


def showing(acc):
    try:
        return acc.getState().contains(pyatspi.STATE_SHOWING)
    except Exception:
        return False


def descendants(root, into_compound=False):
    out = []
    stack = [root]
    while stack:
        node = stack.pop()
        try:
            children = [node.getChildAtIndex(i) for i in range(node.childCount)]
        except Exception:
            continue
        for child in children:
            if child is None:
                continue
            out.append(child)
            if into_compound or child.getRole() not in COMPOUND:
                stack.append(child)
    return out


def app():
    for candidate in pyatspi.Registry.getDesktop(0):
        if candidate is not None and candidate.name.lower() == "korvanda":
            return candidate
    return None


def windows():
    a = app()
    return [w for w in a if w is not None and showing(w)] if a else []


def main_window():
    for w in windows():
        if w.name == "Korvanda" and w.getRole() in (pyatspi.ROLE_FRAME, pyatspi.ROLE_WINDOW):
            return w
    return None


def window_named(name):
    for w in windows():
        if w.name == name:
            return w
    return None


def check_names(root, where):
    for acc in descendants(root):
        if acc.getRole() in INTERACTIVE and showing(acc) and not acc.name.strip():
            fault = "%s: an unnamed %s" % (where, acc.getRoleName())
            if fault not in faults:
                faults.append(fault)


def buttons(root, name, on_bar=None):
    frame = main_window()
    found = []
    for acc in descendants(root):
        if acc.getRole() != pyatspi.ROLE_PUSH_BUTTON or acc.name != name or not showing(acc):
            continue
        if on_bar is not None and (acc.parent == frame) != on_bar:
            continue
        found.append(acc)
    return found


def press(root, name, on_bar=None, where=""):
    try:
        found = wait_for("a button named %r %s" % (name, where), lambda: buttons(root, name, on_bar), 10)
    except SystemExit:
        shown = sorted({a.name for a in descendants(root) if a.getRole() == pyatspi.ROLE_PUSH_BUTTON and showing(a)})
        print("buttons showing %s: %s" % (where, shown))
        raise
    acc = found[0]
    action = acc.queryAction()
    names = [action.getName(i).lower() for i in range(action.nActions)]
    if "press" not in names:
        faults.append("%s: %r cannot be pressed (actions %s)" % (where, name, names))
        return
    action.doAction(names.index("press"))
    pressed.append("%s %s" % (where, name))
    time.sleep(0.4)


def title_is(text):
    frame = main_window()
    return frame and any(acc.getRole() == pyatspi.ROLE_LABEL and acc.name == text and acc.parent == frame
                         for acc in descendants(frame))


def key(keysym):
    pyatspi.Registry.generateKeyboardEvent(keysym, None, pyatspi.KEY_SYM)
    time.sleep(0.4)


def dismiss_boxes(answer="OK"):
    """Answers every message box that is up; returns their texts."""
    texts = []
    for w in windows():
        if w.getRole() in (pyatspi.ROLE_ALERT, pyatspi.ROLE_DIALOG) and buttons(w, answer):
            texts.append(" ".join(a.name for a in descendants(w) if a.getRole() == pyatspi.ROLE_LABEL))
            press(w, answer, where="message box")
    return texts


def dialog(name, close_with="Cancel"):
    """Checks a dialog the last press opened, then closes it."""
    w = wait_for("the dialog %r" % name, lambda: window_named(name), 10)
    check_names(w, name)
    press(w, close_with, where=name)
    wait_for("the dialog %r to close" % name, lambda: window_named(name) is None, 10)


def click_row(table, row=0):
    """Clicks the first column of a row, as the mouse does (the grids choose on a press)."""
    cell = table.queryTable().getAccessibleAt(row, 0)
    x, y, w, h = cell.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    pyatspi.Registry.generateMouseEvent(x + min(w // 2, 20), y + h // 2, pyatspi.MOUSE_B1C)
    time.sleep(0.6)


def named(root, role, name):
    for acc in descendants(root, into_compound=False):
        if acc.getRole() == role and acc.name == name and showing(acc):
            return acc
    return None


def describe_desktop():
    lines = []
    for a in pyatspi.Registry.getDesktop(0):
        if a is None:
            continue
        lines.append("application %r" % a.name)
        for w in a:
            if w is not None:
                lines.append("  %s %r showing=%s" % (w.getRoleName(), w.name, showing(w)))
    return "\n".join(lines)


def find_filter_sort(frame, where, first_field):
    """The find, filter and sort dialog in its three modes, each named by the first field."""
    for button, caption in (("Find", "Find in field : "), ("Filter", "Filter in field : "),
                            ("Sort", "Sort by field : ")):
        press(frame, button, on_bar=False, where=where)
        dialog(caption + first_field)


def collection_screen(frame):
    press(frame, "Collections", on_bar=True, where="bar")
    wait_for("the collection screen", lambda: title_is("Collections"), 10)
    check_names(frame, "collection screen")
    where = "collection screen"
    press(frame, "Choose another collection", where=where)
    wait_for("the collection list", lambda: named(frame, pyatspi.ROLE_LIST, "Collections"), 10)
    check_names(frame, "collection list")
    key(KEY_ESCAPE)
    for name in ("Show the tracks", "Show the details", "Next row", "Previous row", "Print the collection"):
        press(frame, name, where=where)
    find_filter_sort(frame, where, "Catalogue Number")
    # The collection shown first is empty: both ask for a row.
    for name in ("Edit the recording", "Remove the recording"):
        press(frame, name, where=where)
        texts = wait_for("the box asking for a recording", dismiss_boxes, 10)
        if not any("Please select the recording" in t for t in texts):
            faults.append("%s: %r said %r" % (where, name, texts))
    press(frame, "Manage the collections", where=where)
    dialog("Collections", close_with="Close")
    press(frame, "Back", on_bar=True, where="bar")


def connections_screen(frame):
    press(frame, "Connections", on_bar=True, where="bar")
    wait_for("the connections", lambda: title_is("Connections"), 10)
    check_names(frame, "connections")
    where = "connections"
    for name in ("Next row", "Previous row"):
        press(frame, name, where=where)
    find_filter_sort(frame, where, "Connection ID")
    press(frame, "New connection", where=where)
    dialog("Connection Item")
    press(frame, "Edit the connection", where=where)
    dialog("Connection Item")
    press(frame, "Remove the connection", where=where)
    wait_for("the question before removing", lambda: dismiss_boxes("No"), 10)
    # The first connection of a new database is a web site: the opener receives it.
    press(frame, "Open the site in your browser", where=where)
    opened = os.environ.get("KV_A11Y_OPENED")
    if opened:
        def site():
            with open(opened) as f:
                return f.read().strip()
        url = wait_for("the browser to be asked", site, 10)
        if not url.startswith(("http://", "https://")):
            faults.append("%s: the browser was handed %r" % (where, url))
    dismiss_boxes()
    press(frame, "Back", on_bar=True, where="bar")


def main():
    try:
        frame = wait_for("the main window", main_window, 60)
    except SystemExit:
        print(describe_desktop())
        raise
    # Start-up is over when the switchboard's buttons take presses.
    wait_for("the switchboard", lambda: any(b.getState().contains(pyatspi.STATE_SENSITIVE)
                                            for b in buttons(main_window(), "Search", on_bar=False)), 60)
    frame = main_window()
    check_names(frame, "switchboard")

    for name in ("Search", "Collections", "Shopping", "Connections"):
        press(frame, name, on_bar=False, where="switchboard")
        wait_for("the %s screen" % name, lambda: title_is(name), 10)
        check_names(frame, name + " screen")
        press(frame, "Back", on_bar=True, where="bar")
        wait_for("the switchboard again", lambda: buttons(frame, "Search", on_bar=False), 10)

    for name in ("Search", "Collections", "Shopping", "Connections"):
        press(frame, name, on_bar=True, where="bar")
        wait_for("the %s screen" % name, lambda: title_is(name), 10)
    press(frame, "Back", on_bar=True, where="bar")

    # The search screen.
    press(frame, "Search", on_bar=True, where="bar")
    wait_for("the search screen", lambda: title_is("Search"), 10)
    check_names(frame, "search screen")
    for name in ("Albums", "Tracks", "Artists"):
        press(frame, name, where="search screen")
    keyword = named(frame, pyatspi.ROLE_ENTRY, "Search for") or named(frame, pyatspi.ROLE_TEXT, "Search for")
    if keyword is None:
        faults.append("search screen: no text box named 'Search for'")
        return
    keyword.queryEditableText().setTextContents("a")
    press(frame, "Go", where="search screen")
    for name in ("Scroll the key words down", "Scroll the key words up"):
        press(frame, name, where="search screen")
    # A click on a row chooses it: the first key word, then its first recording.
    click_row(named(frame, pyatspi.ROLE_TABLE, "Key words"))
    recordings = wait_for("recordings of the keyword", lambda: (
        lambda t: t if t and t.queryTable().nRows > 0 else None)(named(frame, pyatspi.ROLE_TABLE, "Recordings")), 10)
    for name in ("Scroll the recordings down", "Scroll the recordings up"):
        press(frame, name, where="search screen")
    click_row(recordings)
    for name in ("Next release", "Previous release"):
        press(frame, name, where="search screen")
    press(frame, "Show the releases", where="search screen")
    key(KEY_ESCAPE)
    press(frame, "Want it", where="search screen")
    dismiss_boxes()
    press(frame, "Got it", where="search screen")
    key(KEY_ESCAPE)
    dismiss_boxes()
    press(frame, "Details", where="search screen")
    dismiss_boxes()
    wait_for("the details", lambda: title_is("Details"), 10)
    check_names(frame, "details")
    press(frame, "Want it", where="details")
    dismiss_boxes()
    press(frame, "Back to the search", where="details")
    wait_for("the search again", lambda: title_is("Search"), 10)
    check_names(frame, "search screen")

    collection_screen(frame)
    connections_screen(frame)

    # The bar's dialogs last: the help window stands over the main window.
    press(frame, "Options", on_bar=True, where="bar")
    dialog("Options")
    press(frame, "Intro movie", on_bar=True, where="bar")
    dialog("Locate File")
    dismiss_boxes()
    press(frame, "About Korvanda", on_bar=True, where="bar")
    dismiss_boxes()
    press(frame, "Help", on_bar=True, where="bar")
    help_window = wait_for("the help window", lambda: window_named("Korvanda Help"), 10)
    check_names(help_window, "help window")
    press(frame, "Exit", on_bar=True, where="bar")
    wait_for("the exit question", lambda: dismiss_boxes("No"), 10)

    press(frame, "Exit", on_bar=True, where="bar")
    wait_for("the exit question", lambda: dismiss_boxes("Yes"), 10)


if __name__ == "__main__":
    try:
        main()
    finally:
        print("pressed %d buttons by name:" % len(pressed))
        for p in pressed:
            print("  " + p)
        if faults:
            print("%d faults:" % len(faults))
            for f in faults:
                print("  " + f)
    sys.exit(1 if faults else 0)
