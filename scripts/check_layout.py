#!/usr/bin/env python3
"""Prints the folder graph that the sources' includes make, and fails when it
has a cycle or differs from the README's layout table.

Every folder of the table is a node; a part's tests (<folder>/tests/) are a
node of their own, which may build on anything but nothing builds on. An edge
is an include of a header of another folder ("host/net/net_connection.h").
The table's third column lists, for each folder, the folders it builds on;
the graph must match it exactly, so that the table cannot drift from the code.

    python3 scripts/check_layout.py [--root FOLDER] [README.md]
"""

import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
if len(sys.argv) > 2 and sys.argv[1] == "--root":
    ROOT = os.path.abspath(sys.argv[2])
    del sys.argv[1:3]
SKIPPED_DIRS = {".git", "build", "build-asan"}
SOURCE_SUFFIXES = (".cpp", ".h")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)
ROW = re.compile(r"^\|\s*`([^`]+)/`\s*\|[^|]*\|([^|]*)\|\s*$")


def read_table(readme):
    """The layout table: folder -> set of folders it builds on."""
    table = {}
    in_layout = False
    with open(readme, encoding="utf-8") as text:
        for line in text:
            if line.startswith("## "):
                in_layout = line.strip() == "## Layout"
                continue
            match = ROW.match(line.rstrip("\n")) if in_layout else None
            if match:
                uses = re.findall(r"`([^`]+)/`", match.group(2))
                table[match.group(1)] = set(uses)
    return table


def node_of(path, folders):
    """The table folder a path belongs to, with /tests for a part's tests."""
    best = None
    for folder in folders:
        if (path + "/").startswith(folder + "/") and (best is None or len(folder) > len(best)):
            best = folder
    if best is None:
        return None
    rest = path[len(best) + 1 :].split("/")
    return best + "/tests" if "tests" in rest[:-1] else best


def sources():
    for directory, subdirs, files in os.walk(ROOT):
        subdirs[:] = sorted(d for d in subdirs if d not in SKIPPED_DIRS)
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                yield os.path.relpath(os.path.join(directory, name), ROOT)


def build_graph(folders):
    graph = {}
    errors = []
    for path in sources():
        node = node_of(path, folders)
        if node is None:
            errors.append(f"{path}: in no folder of the layout table")
            continue
        graph.setdefault(node, set())
        with open(os.path.join(ROOT, path), encoding="utf-8") as text:
            for include in INCLUDE.findall(text.read()):
                target = node_of(include, folders)
                if target is None or target == node:
                    continue
                if target.endswith("/tests"):
                    errors.append(f"{path}: includes another part's tests ({include})")
                    continue
                graph[node].add(target)
    return graph, errors


def find_cycle(graph):
    """A list of nodes forming a cycle, or None."""
    state = {}
    stack = []

    def visit(node):
        state[node] = "open"
        stack.append(node)
        for nxt in sorted(graph.get(node, ())):
            if state.get(nxt) == "open":
                return stack[stack.index(nxt) :] + [nxt]
            if nxt not in state:
                cycle = visit(nxt)
                if cycle:
                    return cycle
        stack.pop()
        state[node] = "done"
        return None

    for node in sorted(graph):
        if node not in state:
            cycle = visit(node)
            if cycle:
                return cycle
    return None


def main():
    readme = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "README.md")
    table = read_table(readme)
    if not table:
        print(f"check_layout: no layout table in {readme}", file=sys.stderr)
        return 1
    graph, errors = build_graph(set(table))

    print("folder graph (folder: what it includes)")
    for node in sorted(graph):
        print(f"  {node}/: {', '.join(sorted(d + '/' for d in graph[node])) or '-'}")

    cycle = find_cycle(graph)
    if cycle:
        errors.append("cycle: " + " -> ".join(n + "/" for n in cycle))
    for folder, uses in sorted(table.items()):
        found = graph.get(folder, set())
        if folder not in graph:
            continue
        if found != uses:
            missing = ", ".join(sorted(d + "/" for d in found - uses))
            extra = ", ".join(sorted(d + "/" for d in uses - found))
            detail = "; ".join(
                part
                for part in (
                    f"builds on {missing} too" if missing else "",
                    f"does not build on {extra}" if extra else "",
                )
                if part
            )
            errors.append(f"README layout table, {folder}/: {detail}")
    for error in errors:
        print(f"check_layout: {error}", file=sys.stderr)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
