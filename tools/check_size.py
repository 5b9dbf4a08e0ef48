#!/usr/bin/env python3
"""Lists the files over 500 lines and the functions over 60 lines in src/.

  tools/check_size.py [--max-file N] [--max-function N]

Functions are found by their braces at namespace or class level
(clang-format puts every definition's opening brace at the end of its
signature), so a function's length is the count of lines from its
signature's last line to its closing brace; member functions defined in
their class count on their own, as the others do. Lambdas count with the
function they are in. Exit status 1 when anything is over.
"""
import argparse
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
STRING = re.compile(r'"(?:\\.|[^"\\])*"|\'(?:\\.|[^\'\\])*\'')
NAME = re.compile(r"[A-Za-z_~][A-Za-z0-9_:~]*")
NOT_FUNCTION = re.compile(r"\b(namespace|class|struct|enum|union|extern)\b|=\s*$|=\s*\{")


def code_of(line):
    line = STRING.sub('""', line)
    return line.split("//", 1)[0]


def long_functions(path, limit):
    # One entry per open brace: "scope" (namespace, class, extern "C") where
    # definitions may start, "function" for a definition's body, "other"
    # for initializers and enums; braces inside a body are only counted.
    stack = []
    inner = 0  # braces opened inside the current definition
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
        in_body = bool(stack) and stack[-1] == "function"
        if not in_body and line.strip():
            head = (head + " " + line.strip()) if not head.endswith(";") else line.strip()
        for ch in line:
            if stack and stack[-1] == "function":
                if ch == "{":
                    inner += 1
                elif ch == "}" and inner:
                    inner -= 1
                elif ch == "}":
                    stack.pop()
                    if start is not None and n - start + 1 > limit:
                        found.append((start, n - start + 1, NAME.findall(head.split("(")[0])[-1:]))
                    start = None
                    head = ""
                continue
            if ch == "{":
                before = head.split("{")[0]
                if re.search(r"\b(namespace|class|struct|union|extern)\b", before) and "(" not in before:
                    stack.append("scope")
                elif NOT_FUNCTION.search(before + "{") or "(" not in before:
                    stack.append("other")
                else:
                    stack.append("function")
                    start = n
                    inner = 0
                    continue
                head = ""
            elif ch == "}":
                if stack:
                    stack.pop()
                head = ""
        if not (stack and stack[-1] == "function") and line.strip().endswith((";", ":")):
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
