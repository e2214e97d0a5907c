#!/usr/bin/python3
# SPDX-License-Identifier: GPL-2.0-or-later
# Prints what a screen reader sees of the page in kcmshell5, tab by tab: each
# accessible object's role, name and states. Controls a person operates
# (buttons, boxes, fields, list items, tabs) must have a name, and no two boxes
# of one tab may share one; each such fault is listed at the end and makes the
# exit status 1. Run on the session bus of the page, with the accessibility bus up.
import sys
import time

import pyatspi

NAMED_ROLES = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_TEXT,
    pyatspi.ROLE_ENTRY, pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_LIST_ITEM, pyatspi.ROLE_PAGE_TAB,
    pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_LIST, pyatspi.ROLE_TOGGLE_BUTTON,
}
SHOWN_STATES = [(pyatspi.STATE_CHECKED, "checked"), (pyatspi.STATE_SELECTED, "selected"),
                (pyatspi.STATE_FOCUSED, "focused"), (pyatspi.STATE_SENSITIVE, None)]


def application(name, wait=20):
    seen = set()
    for _ in range(wait * 10):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is None:
                continue
            seen.add(app.name)
            if app.name == name:
                return app
        time.sleep(0.1)
    print("accessible applications: %s" % sorted(seen), file=sys.stderr)
    return None


def describe(node):
    states = node.getState()
    parts = [label for state, label in SHOWN_STATES if label and states.contains(state)]
    if not states.contains(pyatspi.STATE_SENSITIVE):
        parts.append("disabled")
    return "%s %r%s" % (node.getRoleName(), node.name, (" [" + ", ".join(parts) + "]") if parts else "")


def walk(node, depth, out, faults, boxes, where):
    try:
        states = node.getState()
    except Exception:
        return
    # The page's own window is an off-screen one that the host shows in a widget:
    # windows are walked whether shown or not, their hidden contents are not.
    if depth > 1 and not states.contains(pyatspi.STATE_VISIBLE):
        return
    out.append("  " * depth + describe(node))
    role = node.getRole()
    if role in NAMED_ROLES and not node.name.strip():
        faults.append("%s: unnamed %s under %r" % (where, node.getRoleName(), node.parent.name if node.parent else ""))
    if role == pyatspi.ROLE_CHECK_BOX and node.name:
        if node.name in boxes:
            faults.append("%s: two check boxes named %r" % (where, node.name))
        boxes.add(node.name)
    for child in node:
        if child is not None:
            walk(child, depth + 1, out, faults, boxes, where)


def find_all(node, role, found):
    if node is None:
        return found
    if node.getRole() == role:
        found.append(node)
    for child in node:
        find_all(child, role, found)
    return found


def main():
    app = application(sys.argv[1] if len(sys.argv) > 1 else "kcmshell5")
    if app is None:
        print("no accessible application found", file=sys.stderr)
        return 2
    faults = []
    tabs = find_all(app, pyatspi.ROLE_PAGE_TAB, [])
    if not tabs:
        faults.append("no tabs found")
    for tab in tabs:
        name = tab.name
        try:
            action = tab.queryAction()
            action.doAction(0)
        except NotImplementedError:
            faults.append("tab %r cannot be switched to" % name)
        time.sleep(1.5)
        out = []
        walk(app, 0, out, faults, set(), name)
        print("==== %s" % name)
        print("\n".join(out))
    print("==== faults: %d" % len(faults))
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
