#!/usr/bin/env python3
"""Lists the files over 500 lines and the functions over 60 lines in src/.

  tools/check_size.py [--max-file N] [--max-function N]

Functions are found by their braces at namespace level (clang-format puts
every definition's opening brace at the end of its signature), so a
function's length is the count of lines from its signature's last line to
its closing brace. Bodies inside a class are counted with the class, not on
their own. Exit status 1 when anything is over.
"""
import argparse
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
STRING = re.compile(r'"(?:\\.|[^"\\])*"|\'(?:\\.|[^\'\\])*\'')
NOT_FUNCTION = re.compile(r"\b(namespace|class|struct|enum|union|extern)\b|=\s*$|=\s*\{")


def code_of(line):
    line = STRING.sub('""', line)
    return line.split("//", 1)[0]


def long_functions(path, limit):
    depth = 0
    namespaces = 0  # braces of namespaces, which do not count as depth
    start = None
    head = ""
    found = []
    in_raw = False
    for n, raw in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        if 'R"(' in raw:
            in_raw = ')"' not in raw.split('R"(', 1)[1]
            continue
        if in_raw:
            in_raw = ')"' not in raw
            continue
        line = code_of(raw)
        if depth == 0 and line.strip():
            head = (head + " " + line.strip()) if not head.endswith(";") else line.strip()
        for ch in line:
            if ch == "{":
                if depth == 0 and re.search(r"\bnamespace\b", head):
                    namespaces += 1
                    head = ""
                    continue
                if depth == 0:
                    start = n if not NOT_FUNCTION.search(head.split("{")[0] + "{") else None
                depth += 1
            elif ch == "}":
                if depth == 0:
                    namespaces -= 1
                    head = ""
                    continue
                depth -= 1
                if depth == 0:
                    if start is not None and n - start + 1 > limit:
                        found.append((start, n - start + 1, head.split("(")[0].split()[-1:]))
                    start = None
                    head = ""
        if depth == 0 and line.strip().endswith(";"):
            head = ""
    return found


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--max-file", type=int, default=500)
    parser.add_argument("--max-function", type=int, default=60)
    args = parser.parse_args()
    over = 0
    for path in sorted((ROOT / "src").rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        rel = path.relative_to(ROOT)
        lines = len(path.read_text(encoding="utf-8").splitlines())
        if lines > args.max_file:
            print(f"{rel}: {lines} lines (file)")
            over += 1
        for start, length, name in long_functions(path, args.max_function):
            print(f"{rel}:{start}: {length} lines ({' '.join(name) or 'function'})")
            over += 1
    return 1 if over else 0


if __name__ == "__main__":
    sys.exit(main())
