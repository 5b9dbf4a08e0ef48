#!/usr/bin/env python3
"""Refuses an #include that crosses a module wall.

The modules and what each may use are read from the scorestat_module() calls
in src/CMakeLists.txt, the same lists the libraries link, so the build and
this check cannot disagree. A folder under src/ may include its own headers
and those of the modules in its USES list; anything else is reported as
"file:line: module -> other" and the exit status is 1.
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
SRC = ROOT / "src"
KEYWORDS = {"TARGET", "USES", "LIBS", "PRIVATE_LIBS", "EXCLUDE"}


def read_walls():
    text = (SRC / "CMakeLists.txt").read_text(encoding="utf-8")
    text = re.sub(r"#[^\n]*", "", text)
    walls = {}
    for call in re.finditer(r"\bscorestat_module\(([^)]*)\)", text):
        words = call.group(1).split()
        if not words or words[0] == "name":
            continue
        uses, in_uses = set(), False
        for w in words[1:]:
            if w in KEYWORDS:
                in_uses = w == "USES"
            elif in_uses:
                uses.add(w)
        walls.setdefault(words[0], set()).update(uses)
    return walls


def main():
    walls = read_walls()
    include = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/')
    bad = 0
    for folder in sorted(p for p in SRC.iterdir() if p.is_dir()):
        module = folder.name
        if module not in walls:
            print(f"{folder.relative_to(ROOT)}: not declared with scorestat_module()")
            bad += 1
            continue
        allowed = walls[module] | {module}
        for path in sorted(folder.rglob("*")):
            if path.suffix not in (".h", ".cpp"):
                continue
            for n, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
                m = include.match(line)
                if m and m.group(1) in walls and m.group(1) not in allowed:
                    print(f"{path.relative_to(ROOT)}:{n}: {module} -> {m.group(1)}")
                    bad += 1
    if bad:
        print(f"{bad} include(s) across a module wall", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
