#!/usr/bin/env python3
"""Writes the menu bar of the resource script as a script the page reads,
so the browser's menus have the window's items, ids and first states.

usage: menu_from_rc.py zandrek.rc resource_ids.h out.js"""
import json
import re
import sys


def read_ids(path):
    ids = {}
    for line in open(path, encoding="latin-1"):
        m = re.match(r"\s*#define\s+(\w+)\s+(\d+)", line)
        if m:
            ids[m.group(1)] = int(m.group(2))
    return ids


def read_menu(path, ids):
    lines = iter(open(path, encoding="latin-1").read().splitlines())
    for line in lines:
        if re.match(r'\s*"MENU"\s+MENU\b', line):
            break
    else:
        sys.exit(f"{path}: no MENU resource")
    root = {"items": []}
    stack = [root]
    pending = None
    for line in lines:
        text = line.strip()
        if text == "BEGIN":
            if pending is not None:
                stack.append(pending)
                pending = None
            continue
        if text == "END":
            stack.pop()
            if len(stack) == 0:
                break
            continue
        m = re.match(r'POPUP\s+"([^"]*)"', text)
        if m:
            pending = {"text": m.group(1), "items": []}
            stack[-1]["items"].append(pending)
            continue
        if text == "MENUITEM SEPARATOR":
            stack[-1]["items"].append({"separator": True})
            continue
        m = re.match(r'MENUITEM\s+"([^"]*)"\s*,\s*(\w+)\s*(?:,\s*(.*))?$', text)
        if m:
            flags = [f.strip() for f in (m.group(3) or "").split(",") if f.strip()]
            name = m.group(2)
            if name not in ids:
                sys.exit(f"{path}: unknown id {name}")
            stack[-1]["items"].append({"text": m.group(1), "id": ids[name], "flags": flags})
    return root["items"]


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    menu = read_menu(sys.argv[1], read_ids(sys.argv[2]))
    with open(sys.argv[3], "w", encoding="utf-8") as out:
        out.write("// Made from the resource script's menu by menu_from_rc.py.\n")
        out.write("var ZANDREK_MENU = " + json.dumps(menu, indent=1) + ";\n")


main()
