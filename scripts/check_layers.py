#!/usr/bin/env python3
"""Checks the include layering of src/.

src/support/ is split into layer folders; a file of one layer may include
only the layers listed for it in ALLOWED, plus the tracing leaf header
support/trace/trace.h, which every layer above base may include. The other
components of src/ may include any support layer, and no support layer may
include them. Every file of src/support/ must sit in a layer folder.

Prints "file:line: <from> may not include <to>" for every breach (or
"file: ..." for a misplaced file) and exits 1; exits 0 when there is none.
Usage: check_layers.py [repository root]
"""

import os
import re
import sys

# Support layers, bottom up, and the layers each may include besides itself.
ALLOWED = {
    "base": [],
    "platform": ["base"],
    "registry": ["platform", "base"],
    "shared_state": ["platform", "base"],
    "sync": ["shared_state", "platform", "base"],
    "security": ["shared_state", "platform", "base"],
    "trace": ["security", "sync", "shared_state", "registry", "platform", "base"],
}

# The one trace header any layer but base may include. It must itself include
# nothing but base headers (and the standard library).
TRACE_LEAF = "support/trace/trace.h"

# Components of src/ outside support/: they may include any support layer,
# and no support layer may include them.
COMPONENTS = ["serialization", "transport", "proxies", "repository", "config", "dll"]

SOURCE_SUFFIXES = (".h", ".cpp", ".inc")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def layer_of_include(path):
    """The support layer an include path names, or None when it is not one."""
    parts = path.split("/")
    if len(parts) >= 3 and parts[0] == "support":
        return parts[1]
    return None


def check_include(layer, rel, line_no, target, problems):
    where = f"{rel}:{line_no}"
    from_name = f"support/{layer}"
    if rel == "src/" + TRACE_LEAF:
        if layer_of_include(target) != "base":
            problems.append(f"{where}: {TRACE_LEAF} may not include {target}")
        return
    target_layer = layer_of_include(target)
    if target_layer is None:
        # Only support headers and the standard or system library (<...>).
        problems.append(f"{where}: {from_name} may not include {target}")
        return
    if target_layer not in ALLOWED:
        problems.append(f"{where}: {from_name} may not include {target} (no such layer)")
        return
    if target_layer == layer or target_layer in ALLOWED[layer]:
        return
    if target == TRACE_LEAF and layer != "base":
        return
    problems.append(f"{where}: {from_name} may not include {target}")


def check(root):
    problems = []
    support = os.path.join(root, "src", "support")
    if not os.path.isdir(support):
        return [f"src/support: not found under {root}"]
    for entry in sorted(os.listdir(support)):
        path = os.path.join(support, entry)
        rel = f"src/support/{entry}"
        if not os.path.isdir(path):
            problems.append(f"{rel}: file outside a layer folder of src/support/")
        elif entry not in ALLOWED:
            problems.append(f"{rel}: not a layer (known: {', '.join(ALLOWED)})")
    for dirpath, dirnames, filenames in os.walk(os.path.join(root, "src")):
        dirnames.sort()
        for name in sorted(filenames):
            if not name.endswith(SOURCE_SUFFIXES):
                continue
            full = os.path.join(dirpath, name)
            rel = os.path.relpath(full, root).replace(os.sep, "/")
            parts = rel.split("/")
            if len(parts) < 3:
                continue
            in_support = parts[1] == "support"
            if in_support and len(parts) < 4:
                continue  # reported above
            layer = parts[2] if in_support else None
            if in_support and layer not in ALLOWED:
                continue  # reported above
            with open(full, encoding="utf-8", errors="replace") as source:
                for line_no, line in enumerate(source, 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    target = match.group(1)
                    if in_support:
                        check_include(layer, rel, line_no, target, problems)
                    elif parts[1] in COMPONENTS and target.startswith("support/"):
                        target_layer = layer_of_include(target)
                        if target_layer not in ALLOWED:
                            problems.append(
                                f"{rel}:{line_no}: src/{parts[1]} may not include {target}"
                                " (not in a support layer)")
    return problems


def main(argv):
    root = argv[1] if len(argv) > 1 else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    problems = check(root)
    for problem in problems:
        print(problem)
    if problems:
        print(f"check_layers: {len(problems)} layering problem(s)", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
