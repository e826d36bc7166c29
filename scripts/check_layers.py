#!/usr/bin/env python3
"""Fails when a source file includes a folder of a layer above its own.

The layers, lowest first; a folder may include its own layer's folder and any below it.
Folders on one rung are peers and do not include each other."""
import pathlib
import re
import sys

LAYERS = [
    ["host/base"],
    ["host/xml"],
    ["host/db"],
    ["host/mail"],
    ["host/reports"],
    ["host/ui"],
    ["host"],
    ["frame"],
    ["reference"],
    ["departure"],
    ["arrival"],
    ["exchange"],
    ["lists"],
    ["module"],
    ["cli", "app"],
]
RANK = {folder: (rung, folder) for rung, folders in enumerate(LAYERS) for folder in folders}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def layer_of(path):
    """The deepest listed folder the path lies in."""
    best = None
    for folder in RANK:
        if path == folder or path.startswith(folder + "/"):
            if best is None or len(folder) > len(best):
                best = folder
    return best


def main():
    src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src")
    faults = []
    for file in sorted(src.rglob("*")):
        if file.suffix not in (".h", ".cpp"):
            continue
        own = layer_of(file.relative_to(src).parent.as_posix())
        if own is None:
            faults.append(f"{file}: the folder is in no layer")
            continue
        for included in INCLUDE.findall(file.read_text(encoding="utf-8")):
            target = layer_of(pathlib.PurePosixPath(included).parent.as_posix()) if "/" in included else own
            if target is None or target == own:
                continue
            (rung, _), (target_rung, _) = RANK[own], RANK[target]
            if target_rung > rung or (target_rung == rung and target != own):
                faults.append(f"{file}: includes {included} from {target}, a layer above {own}")
    for fault in faults:
        print(fault, file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
