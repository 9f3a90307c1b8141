#!/usr/bin/env python3
"""Checks that the folders depend one way, as docs/design.md draws them: each source file
includes only from its own folder and the folders below it, and ui/ has no <windows.h>.
Prints each include that breaks the rule and exits 1 when there is one.
  scripts/check-layers.py [SOURCE_ROOT]"""

import os
import re
import sys

# The folders below each folder (its own is always allowed); "*" for test code, which may
# include anything. A subfolder belongs to the longest folder named here that holds it.
BELOW = {
    "app": {"ui/win32", "ui", "pipeline", "convert", "storage", "tuning", "res"},
    "ui/win32": {"ui", "pipeline", "convert", "storage", "tuning", "res"},
    "ui": {"pipeline", "convert", "storage", "tuning", "res"},
    "cli": {"pipeline", "convert", "storage", "tuning"},
    "pipeline": {"convert", "storage", "tuning"},
    "convert": {"tuning"},
    "storage": {"tuning"},
    "tuning": set(),
    "res": set(),
    "samples": set(),  # calling programs know only what a user sees
    "tests/support": {"*"},
    "tests": {"*"},
    "bench": {"*"},
    "fuzz": {"*"},
    "packaging": {"*"},  # the installer's test
}
SOURCES = (".h", ".cpp", ".c", ".rc", ".rc.in")
INCLUDE = re.compile(r'^\s*#\s*include\s*("([^"]+)"|<windows\.h>)')


def folder_of(path):
    """The folder of the table that holds `path` (relative to the root); None when none does."""
    folder = os.path.dirname(path)
    while folder:
        if folder in BELOW:
            return folder
        folder = os.path.dirname(folder)
    return None


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                           os.path.join(os.path.dirname(__file__), ".."))
    os.chdir(root)
    faults = []
    for top, dirs, files in os.walk("."):
        dirs[:] = sorted(d for d in dirs if d != "build" and not d.startswith("."))
        for name in sorted(f for f in files if f.endswith(SOURCES)):
            path = os.path.normpath(os.path.join(top, name))
            source = folder_of(path)
            if source is None:
                faults.append(f"{path}: its folder is not in the table of {sys.argv[0]}")
                continue
            allowed = BELOW[source] | {source}
            with open(path, encoding="utf-8", errors="replace") as text:
                for number, line in enumerate(text, 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    if match.group(2) is None:
                        if source == "ui":
                            faults.append(f"{path}:{number}: <windows.h> in ui/, which knows no Win32")
                        continue
                    # Beside the including file first, as the compiler looks; then the root.
                    beside = os.path.normpath(os.path.join(os.path.dirname(path), match.group(2)))
                    target = beside if os.path.exists(beside) else os.path.normpath(match.group(2))
                    folder = folder_of(target)
                    if folder is None or "*" in allowed or folder in allowed:
                        continue  # allowed, or not the program's (a system or generated header)
                    faults.append(f"{path}:{number}: includes {target}: "
                                  f"{source}/ may not include from {folder}/")
    for fault in faults:
        print(fault)
    print("layers: every include goes down" if not faults else
          f"layers: {len(faults)} include(s) against the rule (docs/design.md, Layers)")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
