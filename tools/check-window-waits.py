#!/usr/bin/env python3
"""Checks that no window waits on long work.

Long work runs on a background job (src/platform/background_job.h) while the window's thread
keeps serving its events, so nothing in src/ pumps events by hand (processEvents), and no window
that reaches the network or the upload (a file under a ui/ folder that includes a "net/" or
"sending/" header) sets a wait cursor around a blocking call. Prints each breach and exits with
1 when there is one.
"""
import pathlib
import re
import sys

PUMP = re.compile(r"\bprocessEvents\s*\(")
WAIT_CURSOR = re.compile(r"\bsetOverrideCursor\s*\(")
NETWORK_INCLUDE = re.compile(r'^\s*#\s*include\s*"(net|sending)/', re.MULTILINE)


def code_lines(text: str):
    """The lines with their numbers, each without its // comment."""
    for number, line in enumerate(text.splitlines(), 1):
        yield number, line.split("//", 1)[0]


def check(root: pathlib.Path) -> list:
    src = root / "src"
    breaches = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".cpp", ".h") or not path.is_file():
            continue
        rel = path.relative_to(root)
        text = path.read_text(encoding="utf-8", errors="replace")
        window = "ui" in path.relative_to(src).parts[:-1] and NETWORK_INCLUDE.search(text)
        for number, line in code_lines(text):
            if PUMP.search(line):
                breaches.append(f"{rel}:{number}: pumps events (run the work on a background job)")
            if window and WAIT_CURSOR.search(line):
                breaches.append(f"{rel}:{number}: a network window sets a wait cursor "
                                "(run the request on a background job)")
    return breaches


def main() -> int:
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent)
    breaches = check(root.resolve())
    for breach in breaches:
        print(breach)
    if breaches:
        print(f"check-window-waits: {len(breaches)} windows waiting on long work")
        return 1
    print("check-window-waits: no window waits on long work")
    return 0


if __name__ == "__main__":
    sys.exit(main())
