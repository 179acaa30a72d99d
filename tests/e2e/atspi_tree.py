#!/usr/bin/env python3
"""Reads Velmaris's accessibility tree from the AT-SPI bus, as a screen reader does.

  atspi_tree.py BUS_ADDRESS dump            every node: role | name | description; fails (exit 1)
                                            when a control a user operates has no name
  atspi_tree.py BUS_ADDRESS value WINDOW ROLE NAME
                                            the description (what a display reads out) of the first
                                            node of that role and name in the window of that name;
                                            fails (exit 1) when there is none
  atspi_tree.py BUS_ADDRESS rows WINDOW ROLE NAME
                                            the names of the children of that node (a list's rows),
                                            one a line; fails (exit 1) when there is no such node
"""
import re
import subprocess
import sys

OPERATED = {"push button", "radio button", "check box", "text", "entry", "menu item", "scroll bar",
            "combo box", "spin button", "slider", "toggle button", "page tab", "password text"}


def call(dest, path, method, *args):
    out = subprocess.run(["gdbus", "call", "--address", ADDRESS, "--dest", dest, "--object-path", path,
                          "--method", method, *args], capture_output=True, text=True, timeout=20, check=True)
    return out.stdout.strip()


def children(dest, path):
    # gdbus writes the type only before the first object path of a list.
    return re.findall(r"\('([^']+)', (?:objectpath )?'([^']+)'\)",
                      call(dest, path, "org.a11y.atspi.Accessible.GetChildren"))


def texts(dest, path):
    # One property at a time: Qt 6.4's bridge crashes the program on GetAll of its application node.
    def get(key):
        out = call(dest, path, "org.freedesktop.DBus.Properties.Get", "org.a11y.atspi.Accessible", key)
        m = re.match(r"^\(<'(.*)'>,\)$", out, re.S)
        return m.group(1) if m else ""
    return get("Name"), get("Description")


def role(dest, path):
    return re.sub(r"^\('(.*)',\)$", r"\1", call(dest, path, "org.a11y.atspi.Accessible.GetRoleName"))


def program():
    for dest, path in children("org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root"):
        if texts(dest, path)[0] == "Velmaris":
            return dest, path
    sys.exit("Velmaris is not on the accessibility bus")


def walk(dest, path, depth, visit):
    visit(dest, path, depth)
    for d, p in children(dest, path):
        walk(d, p, depth + 1, visit)


ADDRESS = sys.argv[1]
if sys.argv[2] == "dump":
    unnamed = []

    def show(dest, path, depth):
        r = role(dest, path)
        name, description = texts(dest, path)
        print("  " * depth + f"{r} | {name} | {description}")
        if r in OPERATED and not name.strip():
            unnamed.append(f"{r} at {path}")

    walk(*program(), 0, show)
    for u in unnamed:
        print("no name:", u)
    sys.exit(1 if unnamed else 0)
elif sys.argv[2] in ("value", "rows"):
    window, wanted_role, wanted_name = sys.argv[3:6]

    def result_of(dest, path, description):
        if sys.argv[2] == "value":
            return description
        return "\n".join(texts(d, p)[0] for d, p in children(dest, path))

    def find(dest, path):
        name, description = texts(dest, path)
        if name == wanted_name and role(dest, path) == wanted_role:
            return result_of(dest, path, description)
        for d, p in children(dest, path):
            found = find(d, p)
            if found is not None:
                return found
        return None

    for dest, path in children(*program()):
        if texts(dest, path)[0] == window:
            value = find(dest, path)
            if value is not None:
                print(value)
                sys.exit(0)
    sys.exit(f"no {wanted_role} named {wanted_name} in a window named {window}")
else:
    sys.exit(f"unknown command {sys.argv[2]}")
