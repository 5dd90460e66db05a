#!/usr/bin/env python3
"""Finds function bodies longer than 100 lines in src/**/*.cpp.

Braces are matched after comments, string and character literals and preprocessor lines are
blanked. A brace block at file, namespace or class level is a function body when it follows a
")" (with const, override, noexcept and the like after it) or a constructor's initializer list.
Its length counts the lines from the function's name to the closing brace. Prints each as
"path:line: Name N lines" and exits with 1 when there is one.
"""
import pathlib
import re
import sys

MAX_LINES = 100

TOKEN = re.compile(r'//[^\n]*|/\*.*?\*/|R"([^(\s]*)\(.*?\)\1"|"(?:\\.|[^"\\\n])*"'
                   r"|\b\d[\w.]*(?:'[\w.]+)+|'(?:\\.|[^'\\\n])+'|^[ \t]*#(?:\\\n|[^\n])*",
                   re.S | re.M)
QUALIFIERS = r"(?:\s*(?:const|override|final|noexcept(?:\s*\([^()]*\))?|mutable|&&?|->[\w:<>,\s*&]+))*"
ENDS_IN_PARAMS = re.compile(r"\)" + QUALIFIERS + r"\s*$")
INIT_LIST = re.compile(r"\)" + QUALIFIERS + r"\s*:(?!:)")
SCOPE = re.compile(r"\b(namespace|class|struct|union|enum|extern)\b")
NAME = re.compile(r"((?:[\w~]+\s*::\s*)*(?:operator\s*(?:\(\)|[^\s(]+)|~?\w+))\s*$")


def blank(text: str) -> str:
    """The text with comments, literals and preprocessor lines as spaces, lines kept."""
    def keep_lines(match):
        token = match.group(0)
        if token[0].isdigit():  # a number with digit separators
            return token.replace("'", "0")
        return re.sub(r"[^\n]", " ", token)
    return TOKEN.sub(keep_lines, text)


def function_name(head: str, params_end: int):
    """The name before the parameter list that closes at params_end, and where it stands."""
    depth = 0
    for at in range(params_end, -1, -1):
        depth += {")": 1, "(": -1}.get(head[at], 0)
        if depth == 0:
            match = NAME.search(head[:at])
            if match:
                return re.sub(r"\s+", "", match.group(1)), match.start(1)
            break
    return "?", len(head) - len(head.lstrip())


def long_functions(text: str):
    """Yields (line, name, lines) for each function body over MAX_LINES lines."""
    code = blank(text)
    line_of = lambda at: code.count("\n", 0, at) + 1
    stack = []  # per open brace: (kind, name, first line), kind "scope", "body" or "other"
    start = 0  # where the statement before the next brace at this level starts
    for at, char in enumerate(code):
        at_scope = all(entry[0] == "scope" for entry in stack)
        if char in ";}" and at_scope:
            if char == "}" and stack:
                stack.pop()
            start = at + 1
            continue
        if char == "}" and stack:
            kind, name, first = stack.pop()
            if kind == "body":
                if line_of(at) - first + 1 > MAX_LINES:
                    yield first, name, line_of(at) - first + 1
                start = at + 1
            continue
        if char != "{":
            continue
        if not at_scope:
            stack.append(("other", None, 0))
            continue
        head = code[start:at]
        init = INIT_LIST.search(head)
        ends = ENDS_IN_PARAMS.search(head)
        # In an initializer list a brace after a name opens that member's value, not the body.
        if init and not ends and re.search(r"[\w>]\s*$", head):
            stack.append(("other", None, 0))
        elif ends or init:
            name, name_at = function_name(head, (init or ends).start())
            stack.append(("body", name, line_of(start + name_at)))
        elif SCOPE.search(head.split("(")[0]):
            stack.append(("scope", None, 0))
            start = at + 1
        else:
            stack.append(("other", None, 0))


def main() -> int:
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent)
    root = root.resolve()
    found = 0
    for path in sorted((root / "src").rglob("*.cpp")):
        rel = path.relative_to(root).as_posix()
        for line, name, lines in long_functions(path.read_text(encoding="utf-8", errors="replace")):
            print(f"{rel}:{line}: {name} {lines} lines")
            found += 1
    if found:
        print(f"check-function-length: {found} functions over {MAX_LINES} lines")
        return 1
    print(f"check-function-length: no function over {MAX_LINES} lines")
    return 0


if __name__ == "__main__":
    sys.exit(main())
