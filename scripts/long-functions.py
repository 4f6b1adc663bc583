#!/usr/bin/env python3
"""Lists every function body in the C++ sources longer than a limit.

    long-functions.py [--limit N] FOLDER...

Prints "file:line: NAME is N lines" for each, and exits 1 when there is one.
A body is counted from the line of its opening brace to the line of its
closing one; a lambda counts with the function it is written in. Comments,
strings and character literals are passed over, so braces in them do not
count.
"""
import argparse
import pathlib
import re
import sys

HEAD_WORDS = re.compile(r"\b(namespace|class|struct|enum|union|extern)\b")


def code_only(text):
    """The text with comments, strings and characters blanked, lines kept."""
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            i = n if j < 0 else j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append("\n" * text.count("\n", i, j))
            i = j
        elif text.startswith('R"', i):
            m = re.match(r'R"([^(]*)\(', text[i:])
            end = text.find(")" + m.group(1) + '"', i) if m else -1
            j = n if end < 0 else end + len(m.group(1)) + 2
            out.append('""' + "\n" * text.count("\n", i, j))
            i = j
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            out.append(c + c)
            i = j + 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


def long_functions(path, limit):
    text = code_only(path.read_text(encoding="utf-8", errors="replace"))
    found = []
    depth = 0
    body_depth = None  # the depth a function body opened at
    start = 0
    head = ""  # the code since the last ; { or } outside a body
    line = 1
    for c in text:
        if c == "\n":
            line += 1
        if c == "{":
            if body_depth is None:
                words = head.strip()
                if "(" in words and not HEAD_WORDS.search(words.split("(")[0]) \
                        and not re.search(r"=\s*$", words):
                    body_depth = depth
                    start = line
                    name = re.findall(r"([~\w:]+)\s*\(", words)
                    name = name[0] if name else "?"
            depth += 1
            head = ""
        elif c == "}":
            depth -= 1
            if body_depth is not None and depth == body_depth:
                if line - start + 1 > limit:
                    found.append((start, name, line - start + 1))
                body_depth = None
            head = ""
        elif c == ";":
            head = ""
        else:
            head += c
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--limit", type=int, default=100)
    parser.add_argument("folders", nargs="+")
    args = parser.parse_args()
    any_found = False
    for folder in args.folders:
        for path in sorted(pathlib.Path(folder).rglob("*")):
            if path.suffix not in (".cpp", ".h") or not path.is_file():
                continue
            for start, name, length in long_functions(path, args.limit):
                print(f"{path}:{start}: {name} is {length} lines")
                any_found = True
    return 1 if any_found else 0


if __name__ == "__main__":
    sys.exit(main())
