#!/usr/bin/env python3
"""Checks that every include of the sources goes down the layer table.

usage: check_layers.py [--root DIR] [--table FILE]

Reads the table (layers.txt at the root), then every source file under the
layers' folders, and prints one line per include that goes up or sideways,
or per source folder the table does not name. Exit status: 0 when there is
none, 1 when there is, 2 when the table cannot be read.
"""
import argparse
import os
import re
import sys

SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".c", ".inc")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)
# Include folders beside the root ("rtl/format.h" is runtime/rtl/format.h).
INCLUDE_ROOTS = ("", "runtime")


class TableError(Exception):
    pass


def read_table(path):
    """Returns {folder: (line, step, peer key)}; a lower line or step is lower."""
    places = {}
    line = -1
    with open(path, encoding="utf-8") as table:
        for number, text in enumerate(table, 1):
            text = text.split("#", 1)[0].strip()
            if not text:
                continue
            if ":" not in text:
                raise TableError(f"{path}:{number}: no ':' between layers and concerns")
            names, concerns = text.split(":", 1)
            line += 1
            for layer in names.split():
                steps = [step.split() for step in concerns.split("|")]
                if steps == [["*"]]:
                    places[layer] = (line, 0, "*")
                    continue
                for step_number, step in enumerate(steps):
                    if not step:
                        raise TableError(f"{path}:{number}: an empty step")
                    for concern in step:
                        folder = layer if concern == "." else f"{layer}/{concern}"
                        places[folder] = (line, step_number, folder)
    return places


def place_of(folder, places):
    """The table entry of a source folder: its concern's, or its wildcard layer's."""
    parts = folder.split("/")
    for length in range(len(parts), 0, -1):
        prefix = "/".join(parts[:length])
        if prefix in places:
            line, step, key = places[prefix]
            if key == "*":  # each subfolder its own peer
                key = "/".join(parts[: length + 1])
            return line, step, key
    return None


def resolve(root, including_folder, name):
    """The repository path of a project include, or None for a file the build makes."""
    for base in INCLUDE_ROOTS:
        candidate = os.path.normpath(os.path.join(base, name))
        if os.path.isfile(os.path.join(root, candidate)):
            return candidate
    beside = os.path.normpath(os.path.join(including_folder, name))
    if os.path.isfile(os.path.join(root, beside)):
        return beside
    return None


def check(root, places, table_name):
    faults = []
    tops = sorted({folder.split("/")[0] for folder in places})
    for top in tops:
        for folder, _, files in os.walk(os.path.join(root, top)):
            relative_folder = os.path.relpath(folder, root)
            sources = [name for name in files if name.endswith(SOURCE_SUFFIXES)]
            if not sources:
                continue
            own = place_of(relative_folder, places)
            if own is None:
                faults.append(f"{relative_folder}: a source folder that {table_name} does not name")
                continue
            for name in sorted(sources):
                path = os.path.join(relative_folder, name)
                with open(os.path.join(root, path), encoding="utf-8", errors="replace") as source:
                    text = source.read()
                for match in INCLUDE.finditer(text):
                    target = resolve(root, relative_folder, match.group(1))
                    if target is None:
                        continue
                    theirs = place_of(os.path.dirname(target), places)
                    if theirs is None or theirs[2] == own[2]:
                        continue
                    if theirs[:2] < own[:2]:
                        continue
                    line_number = text.count("\n", 0, match.start()) + 1
                    where = "a peer of" if theirs[:2] == own[:2] else "above"
                    faults.append(f"{path}:{line_number}: includes {target}, {where} {own[2]} in the layer table")
    return faults


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--root", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    parser.add_argument("--table", default=None)
    arguments = parser.parse_args()
    root = os.path.abspath(arguments.root)
    table = arguments.table or os.path.join(root, "layers.txt")
    try:
        places = read_table(table)
    except (OSError, TableError) as error:
        print(f"check_layers: {error}", file=sys.stderr)
        return 2
    faults = check(root, places, os.path.basename(table))
    for fault in faults:
        print(fault, file=sys.stderr)
    if faults:
        print(f"check_layers: {len(faults)} fault(s) against the layer table {table}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
