#!/usr/bin/env python3
"""Fails when the program's includes break the house rule.

Cores (QtCore, nothing of a window) sit below every window. Among the cores:
    base < meter, records, plots < stats < output < logger < monitor, report
(sim, the virtual meter, stands on nothing of the program but its version). Among the windows:
    widgets < panel/ui < meter/ui < plots/ui < stats/ui < records/ui < logger/ui < app
A folder includes from its own rank's folder or from ranks below, never from a sibling or from
above. Every include of the program names its file from the repository root, and no two files
of the program include each other, directly or through others (a .cpp and its .h count as one).
"""
import os
import re
import sys

RANKS = [
    ["kirv", "kirv/base", "sim"],
    ["kirv/meter", "kirv/records", "kirv/plots"],
    ["kirv/stats"],
    ["kirv/output"],
    ["kirv/output/page"],
    ["kirv/logger"],
    ["monitor", "report"],
    ["kirv/widgets", "sim/ui"],
    ["kirv/panel/ui"],
    ["kirv/meter/ui"],
    ["kirv/plots/ui"],
    ["kirv/stats/ui"],
    ["kirv/records/ui"],
    ["kirv/logger/ui"],
    ["kirv/app", "kirv/app/ui", "kirv/app/main", "sim/cli"],
]
RANK = {folder: i for i, group in enumerate(RANKS) for folder in group}
# One application: its three folders may include each other's headers.
SAME = {"kirv/app": "app", "kirv/app/ui": "app", "kirv/app/main": "app"}
ROOTS = ("kirv/", "sim/", "monitor/", "report/")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def folder_of(path):
    return os.path.dirname(path)


def allowed(source_folder, target_folder):
    if source_folder == target_folder:
        return True
    if SAME.get(source_folder) is not None and SAME.get(source_folder) == SAME.get(target_folder):
        return True
    return RANK[target_folder] < RANK[source_folder]


def units_in_loops(graph):
    """The strongly connected groups of more than one unit (Tarjan's algorithm)."""
    index, low, stack, on_stack, groups = {}, {}, [], set(), []
    counter = [0]

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on_stack.add(v)
        for w in graph.get(v, ()):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on_stack:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            group = []
            while True:
                w = stack.pop()
                on_stack.discard(w)
                group.append(w)
                if w == v:
                    break
            if len(group) > 1:
                groups.append(sorted(group))

    sys.setrecursionlimit(10000)
    for v in sorted(graph):
        if v not in index:
            visit(v)
    return groups


def main(root):
    wrong = []
    graph = {}
    for folder in sorted(RANK):
        path = os.path.join(root, folder)
        if not os.path.isdir(path):
            continue
        for name in sorted(os.listdir(path)):
            if not name.endswith((".cpp", ".h")):
                continue
            source = f"{folder}/{name}"
            unit = os.path.splitext(source)[0]
            graph.setdefault(unit, set())
            with open(os.path.join(path, name), encoding="utf-8") as f:
                text = f.read()
            for target in INCLUDE.findall(text):
                if target.endswith(".moc"):
                    continue
                if not target.startswith(ROOTS):
                    wrong.append(f'{source} includes "{target}": name it from the repository root')
                    continue
                target_folder = folder_of(target)
                if target_folder not in RANK:
                    wrong.append(f"{source} includes from {target_folder}, a folder of no layer")
                elif not allowed(folder, target_folder):
                    wrong.append(f"{source} includes from {target_folder}, a layer not below it")
                target_unit = os.path.splitext(target)[0]
                if target_unit != unit:
                    graph[unit].add(target_unit)
    for group in units_in_loops(graph):
        wrong.append("these files include each other in a loop: " + ", ".join(group))
    print("\n".join(wrong) or "every include runs down the layers, and none runs in a loop")
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
