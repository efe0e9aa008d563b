#!/usr/bin/python3
"""Sends an order by e-mail through a running Korvanda, as a screen reader user does.

Started by tools/a11y/order.sh, which runs a mail server on 127.0.0.1 and points the
program's mail settings at it. Exits 1 on any fault.
"""
import base64
import email
import email.policy
import json
import os
import subprocess
import sys
import time

import pyatspi

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check as a11y  # noqa: E402
from check import dismiss_boxes, named, press, title_is, wait_for  # noqa: E402

shots = os.environ.get("KV_ORDER_SHOTS", "")


def snap(name):
    if shots:
        subprocess.run(["import", "-window", "root", os.path.join(shots, name + ".png")], check=False)


def dump(root, limit=400):
    """What a screen reader finds showing under root, for a walk that lost its way."""
    lines = []
    for acc in a11y.descendants(root, into_compound=True)[:limit]:
        try:
            if a11y.showing(acc):
                lines.append("%s %r" % (acc.getRoleName(), acc.name))
        except Exception:
            pass
    print("\n".join(lines))


KEY_DOWN = 0xFF54
KEY_TAB = 0xFF09
KEY_RETURN = 0xFF0D


def labelled(root, role, label):
    """The control that the label names, as a screen reader pairs them (on Linux Qt names a
    combo box by the text it shows and links its label by a relation)."""
    for acc in a11y.descendants(root):
        if acc.getRole() != role or not a11y.showing(acc):
            continue
        for relation in acc.getRelationSet():
            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY and any(
                    relation.getTarget(i).name == label for i in range(relation.getNTargets())):
                return acc
    return None


def field(root, label):
    """A text box by its label (its name, or the label that points at it)."""
    roles = (pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY, pyatspi.ROLE_PASSWORD_TEXT)
    for acc in a11y.descendants(root):
        if acc.getRole() not in roles or not a11y.showing(acc):
            continue
        if acc.name == label:
            return acc
        for relation in acc.getRelationSet():
            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY and any(
                    relation.getTarget(i).name == label for i in range(relation.getNTargets())):
                return acc
    return None


def click_cell(table, row, column_name):
    t = table.queryTable()
    column = next(c for c in range(t.nColumns) if t.getColumnDescription(c) == column_name
                  or (t.getColumnHeader(c) and t.getColumnHeader(c).name == column_name))
    cell = t.getAccessibleAt(row, column)
    x, y, w, h = cell.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    pyatspi.Registry.generateMouseEvent(x + w // 2, y + h // 2, pyatspi.MOUSE_B1C)
    time.sleep(0.6)
    return cell


def main():
    frame = wait_for("the main window", a11y.main_window, 60)
    wait_for("the switchboard", lambda: any(b.getState().contains(pyatspi.STATE_SENSITIVE)
                                            for b in a11y.buttons(a11y.main_window(), "Search", on_bar=False)), 60)
    frame = a11y.main_window()
    press(frame, "Search", on_bar=True, where="bar")
    wait_for("the search screen", lambda: title_is("Search"), 10)
    press(frame, "Albums", where="search screen")
    keyword = named(frame, pyatspi.ROLE_ENTRY, "Search for") or named(frame, pyatspi.ROLE_TEXT, "Search for")
    keyword.queryEditableText().setTextContents("a")
    press(frame, "Go", where="search screen")
    a11y.click_row(named(frame, pyatspi.ROLE_TABLE, "Key words"))
    recordings = wait_for("recordings of the keyword", lambda: (
        lambda t: t if t and t.queryTable().nRows > 0 else None)(named(frame, pyatspi.ROLE_TABLE, "Recordings")), 10)
    a11y.click_row(recordings)
    press(frame, "Want it", where="search screen")
    time.sleep(0.5)
    dismiss_boxes()
    snap("1-wanted")
    press(frame, "Shopping", on_bar=True, where="bar")
    wait_for("the shopping screen", lambda: title_is("Shopping"), 10)
    items = wait_for("the shopping list", lambda: named(frame, pyatspi.ROLE_TABLE, "Shopping list"), 10)
    click_cell(items, 0, "Order it")
    snap("2-shopping")
    press(frame, "Choose a shop from the shop directory", where="shopping list")
    towns = wait_for("the town chooser", lambda: labelled(frame, pyatspi.ROLE_COMBO_BOX, "Town :"), 10)
    towns.queryComponent().grabFocus()
    time.sleep(0.3)
    # Bristol's first shop takes orders directly, by e-mail among other ways.
    for _ in range(8):
        if towns.name == "Bristol":
            break
        a11y.key(KEY_DOWN)
    if towns.name != "Bristol":
        a11y.faults.append("the town chooser shows %r, not Bristol" % towns.name)
        return
    time.sleep(0.5)
    snap("3-directory")
    # The shop's name is the first link of the town's page: Tab reaches it, Enter follows it.
    viewer = wait_for("the shop directory", lambda: next(
        (a for a in a11y.descendants(frame) if a.name == "Shop directory" and a11y.showing(a)), None), 10)
    viewer.queryComponent().grabFocus()
    time.sleep(0.3)
    a11y.key(KEY_TAB)
    a11y.key(KEY_RETURN)
    time.sleep(0.5)
    snap("4-shop")
    press(frame, "Order direct from the shop", where="shop directory")
    time.sleep(0.5)
    snap("5-order-direct")
    press(frame, "Order by e-mail", where="order direct")
    time.sleep(0.5)
    snap("6-email")

    # The letter needs the sender's name and address.
    press(frame, "Your Details", where="e-mail page")
    details = wait_for("the user details", lambda: a11y.window_named("User Details"), 10)
    a11y.check_names(details, "User Details")
    for label, text in (("Name", "Jo Example"), ("Address", "12 Orchard Row\nLittle Harbour"),
                        ("Post Code", "CT21 4XY"), ("E-mail", "jo@example.org")):
        box = wait_for("the field " + label, lambda: field(details, label), 5)
        box.queryEditableText().setTextContents(text)
    snap("7-details")
    press(details, "OK", where="User Details")
    wait_for("the user details to close", lambda: a11y.window_named("User Details") is None, 10)
    contact = named(frame, pyatspi.ROLE_CHECK_BOX, "Please Contact me to Confim Order")
    contact.queryAction().doAction(0)
    time.sleep(0.4)

    press(frame, "Send", where="e-mail page")
    # The letter is shown as it will go, to be sent from its own window.
    letter = wait_for("the letter", lambda: a11y.window_named("Send Order"), 15)
    a11y.check_names(letter, "Send Order")
    time.sleep(0.5)
    snap("8-letter")
    press(letter, "Send", where="Send Order")
    ask = wait_for("the mail password", lambda: a11y.window_named("Mail Password"), 15)
    a11y.check_names(ask, "Mail Password")
    secret = wait_for("the password box", lambda: next(
        (a for a in a11y.descendants(ask) if a.getRole() == pyatspi.ROLE_PASSWORD_TEXT), None), 5)
    secret.queryEditableText().setTextContents("s3cret p@ss")
    press(ask, "OK", where="Mail Password")
    # Sent, the letter's window closes without a word; a failure stays there with a box.
    wait_for("the letter to go", lambda: a11y.window_named("Send Order") is None
             or any(w.getRole() == pyatspi.ROLE_ALERT for w in a11y.windows()), 60)
    said = dismiss_boxes()
    if said:
        a11y.faults.append("sending said %r" % said)
    notice = wait_for("the notice that the order went", lambda: next(
        (a for w in a11y.windows() for a in a11y.descendants(w)
         if a.getRole() == pyatspi.ROLE_LABEL and a.name.startswith("Order sent to")), None), 5)
    print("the program said:", notice.name)
    snap("9-sent")
    check_mail(said)


def check_mail(said):
    """The server must have taken one letter, after a login over TLS, to the shop, holding the
    sender, the record and the letter's heading."""
    path = os.environ.get("KV_ORDER_MAIL", "")
    records = []
    if path and os.path.exists(path):
        with open(path) as f:
            records = [json.loads(line) for line in f if line.strip()]
    mails = [r for r in records if r.get("event") == "mail"]
    logins = [r for r in records if r.get("event") == "auth"]
    if len(mails) != 1:
        a11y.faults.append("the mail server took %d messages (it recorded %r; the program said %r)"
                           % (len(mails), records, said))
        return
    mail = mails[0]
    message = email.message_from_bytes(base64.b64decode(mail["data"]), policy=email.policy.default)
    body = message.get_body(("plain",)).get_content()
    wanted = ["Jo Example", "12 Orchard Row", "Angel, Carnival & Circus", "Records to Order"]
    missing = [w for w in wanted if w not in body]
    if missing:
        a11y.faults.append("the letter lacks %r:\n%s" % (missing, body))
    if mail["rcpt"] != ["orders@harbourside-records.example"] or not mail["authenticated"]:
        a11y.faults.append("the envelope is %r" % {k: v for k, v in mail.items() if k != "data"})
    if not logins or not all(l["ok"] and l["tls"] for l in logins):
        a11y.faults.append("the logins were %r" % logins)
    print("the server took a letter to %s from %s, subject %r:\n%s"
          % (mail["rcpt"], mail["mail_from"], message["Subject"], body))


if __name__ == "__main__":
    try:
        main()
    except SystemExit:
        frame = a11y.main_window()
        if frame:
            dump(frame)
        raise
    finally:
        if a11y.faults:
            print("%d faults:" % len(a11y.faults))
            for f in a11y.faults:
                print("  " + f)
    sys.exit(1 if a11y.faults else 0)
