#!/usr/bin/env python3
"""Fails when a folder includes a header from a folder above it.

Cores sit below every window; among the windows the shared helpers (kirv/panel/ui) come first,
then the subsystems' windows, and the application, which only assembles, comes last.
"""
import os
import re
import sys

ORDER = ["kirv/meter", "kirv/analysis", "kirv/records", "kirv/logger", "kirv/report", "monitor",
         "kirv/panel/ui", "kirv/meter/ui", "kirv/analysis/ui", "kirv/records/ui",
         "kirv/logger/ui", "kirv/app", "kirv/app/ui", "kirv/app/main"]
RANK = {folder: i for i, folder in enumerate(ORDER)}
INCLUDE = re.compile(r'#include "(kirv/[a-z_/]+)/[a-z_0-9]+\.h"')

root = sys.argv[1]
wrong = []
for folder in ORDER:
    path = os.path.join(root, folder)
    for name in sorted(os.listdir(path)):
        if not name.endswith((".cpp", ".h")):
            continue
        with open(os.path.join(path, name), encoding="utf-8") as f:
            for target in INCLUDE.findall(f.read()):
                if target not in RANK:
                    wrong.append(f"{folder}/{name} includes from {target}, a folder of no layer")
                elif RANK[target] > RANK[folder]:
                    wrong.append(f"{folder}/{name} includes from {target}, a layer above it")
print("\n".join(wrong) or "every include runs down the layers")
sys.exit(1 if wrong else 0)
