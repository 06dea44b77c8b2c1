#!/usr/bin/env bash
# Fails when the program's libraries (k5_*) link one another in a circle: each layer may use only the
# layers below it. Reads the link graph of a configured build folder (default build/test).
set -euo pipefail
build="${1:-build/test}"
[[ -f "$build/CMakeCache.txt" ]] || { echo "check-cycles: $build is not a configured build folder" >&2; exit 2; }
graph="$(mktemp -d)"
trap 'rm -rf "$graph"' EXIT
# The graph comes from the same configuration the build uses, so it cannot drift from the CMake files.
cmake --graphviz="$graph/links.dot" "$build" >/dev/null
python3 - "$graph/links.dot" <<'PY'
import re, sys

names, edges = {}, {}
for line in open(sys.argv[1], encoding="utf-8"):
    node = re.match(r'\s*"(node\d+)"\s*\[\s*label\s*=\s*"([^"]+)"', line)
    if node:
        names[node.group(1)] = node.group(2)
        continue
    edge = re.match(r'\s*"(node\d+)"\s*->\s*"(node\d+)"', line)
    if edge:
        edges.setdefault(edge.group(1), set()).add(edge.group(2))

ours = {n for n, label in names.items() if label.startswith("k5_")}
if not ours:
    sys.exit("check-cycles: no k5_* library in the link graph")
links = {n: sorted((edges.get(n, set()) & ours), key=names.get) for n in ours}

# Depth-first walk; a link back to a library still on the path closes a circle.
cycles, state, path = [], {}, []
def walk(n):
    state[n] = "open"
    path.append(n)
    for m in links[n]:
        if state.get(m) == "open":
            cycles.append(path[path.index(m):] + [m])
        elif m not in state:
            walk(m)
    path.pop()
    state[n] = "done"

sys.setrecursionlimit(10000)
for n in sorted(ours, key=names.get):
    if n not in state:
        walk(n)
if cycles:
    print("Libraries link one another in a circle; a lower layer must not link a higher one:", file=sys.stderr)
    for c in cycles:
        print("  " + " -> ".join(names[n] for n in c), file=sys.stderr)
    sys.exit(1)
print(f"check-cycles: {len(ours)} k5_* libraries, no link cycle")
PY
