#!/usr/bin/env python3
"""Assembles the fifty built-in levels from packs written by `zandrek-tool
generate`, and the level table of assets/README.md.

usage: assemble_builtin.py OUT.zrp TABLE.md FIRST.zrp POOL.zrp...

FIRST.zrp gives level 1 (the hand-made one, with its Difficulty remark).
Levels of the pool are grouped by treasures: 1-3 Beginner, 3-6 Intermediate,
6-12 Advanced (with 60 pushes or more and 2000 positions of search or more);
every level differs from all others up to turns and mirrors.
The Advanced levels are the twenty hardest of the pool; Intermediate and
Beginner levels are spread evenly over the scores below, so difficulty never
falls from one level to the next.
"""
import re
import sys

NAMES = [
    "Side Door", "Two Steps Back", "The Pantry", "Narrow Hall", "Cellar Corner", "Pillar Walk", "Back Room",
    "Coal Shed", "Little Vault", "Crossroads", "The Landing", "Old Mill", "Stairwell", "Lantern Row",
    "Counting House", "Dog Leg", "Pigeonholes", "Low Arch", "Cloister", "Tithe Barn", "Wine Racks", "The Forge",
    "Twin Alcoves", "Gatehouse", "Hayloft", "Chapel Steps", "Granary", "Hidden Yard", "Long Gallery", "Strongroom",
    "Ropewalk", "Undercroft", "Watchtower", "Crooked Lane", "Counting Table", "Bell Loft", "Mint Cellar",
    "Smugglers' Stair", "Salt Store", "Guild Hall", "Money Changer", "Catacomb", "Tollgate", "Treasury Door",
    "Ledger Room", "Knot Garden", "Deep Vault", "Zandrek's Puzzle", "The Last Bank",
]


def read_levels(path):
    levels, cur, block = [], None, None
    for line in open(path, encoding="latin-1").read().split("\n"):
        if cur is None:
            if line == "Level:":
                cur = {"rows": [], "solution": "", "remark": ""}
            continue
        if block == "layout":
            if line == "end":
                block = None
            else:
                cur["rows"].append(line)
        elif block == "solution":
            if line == "end":
                block = None
            else:
                cur["solution"] += line
        elif line.startswith("Layout:"):
            block = "layout"
        elif line.startswith("Solution:"):
            block = "solution"
        elif line.startswith("Difficulty: "):
            cur["remark"] = line
        elif line.startswith("end"):
            levels.append(cur)
            cur = None
    for lv in levels:
        lv["difficulty"] = int(re.match(r"Difficulty: (\d+)", lv["remark"]).group(1))
        lv["treasures"] = sum(r.count("$") + r.count("*") for r in lv["rows"])
        fields = dict(re.findall(r"([a-z ]+) (\d+)", lv["remark"].split("(", 1)[-1]))
        lv["fields"] = {k.strip(): int(v) for k, v in fields.items()}
    return levels


def shape(rows):
    rows = [r.replace("@", "-").replace("+", ".") for r in rows]
    cells = [(r, c) for r, row in enumerate(rows) for c, ch in enumerate(row) if ch != " "]
    best = None
    for t in range(8):
        pts = {}
        for r, c in cells:
            rr, cc = (-r if t & 1 else r), (-c if t & 2 else c)
            if t & 4:
                rr, cc = cc, rr
            pts[(rr, cc)] = rows[r][c]
        r0, c0 = min(p[0] for p in pts), min(p[1] for p in pts)
        key = "".join(f"{r - r0},{c - c0}{ch};" for (r, c), ch in sorted(pts.items()))
        best = key if best is None or key < best else best
    return best


def spread(levels, count, ceiling):
    """`count` levels of `levels` (sorted by difficulty) at most `ceiling`, spread evenly."""
    fit = [lv for lv in levels if lv["difficulty"] <= ceiling]
    if len(fit) < count:
        sys.exit(f"only {len(fit)} levels fit under {ceiling}, {count} wanted")
    picks = [fit[round(i * (len(fit) - 1) / (count - 1))] for i in range(count)] if count > 1 else [fit[-1]]
    return picks


def main():
    out_path, table_path, first_path = sys.argv[1:4]
    first = read_levels(first_path)[0]
    seen, pool = {shape(first["rows"])}, []
    for path in sys.argv[4:]:
        for lv in read_levels(path):
            key = shape(lv["rows"])
            if key not in seen:
                seen.add(key)
                pool.append(lv)
    pool.sort(key=lambda lv: lv["difficulty"])
    # A long haul the solver sees through at once is no Advanced puzzle.
    advanced = [lv for lv in pool if 6 <= lv["treasures"] <= 12 and lv["fields"]["pushes"] >= 60
                and lv["fields"]["states"] >= 2000][-20:]
    if len(advanced) < 20:
        sys.exit(f"only {len(advanced)} Advanced levels in the pool")
    intermediate = spread([lv for lv in pool if 3 <= lv["treasures"] <= 6 and lv not in advanced], 20,
                          advanced[0]["difficulty"])
    beginner = spread([lv for lv in pool if 1 <= lv["treasures"] <= 3 and lv not in intermediate
                       and lv["difficulty"] >= first["difficulty"]], 9, intermediate[0]["difficulty"])
    chosen = [first] + beginner + intermediate + advanced
    names = ["First Push"] + NAMES

    text = "Zandrek Pack\nName: Zandrek\n"
    table = ["| No. | Name | Group | Size | Treasures | Pushes | Moves | Fewest moves | Difficulty | Solver states |",
             "|---:|---|---|---|---:|---:|---:|---:|---:|---:|"]
    for n, (lv, name) in enumerate(zip(chosen, names), 1):
        text += f"\nLevel:\nName: {name}\n{lv['remark']}\nLayout:\n"
        rows = list(lv["rows"])
        text += "".join(r.rstrip() + "\n" for r in rows) + "end\nSolution:\n"
        sol = lv["solution"]
        text += "".join(sol[i:i + 60] + "\n" for i in range(0, len(sol), 60)) + "end\nend\n"
        used = [r for r in rows if r.strip()]
        left = min(len(r) - len(r.lstrip()) for r in used)
        width = max(len(r.rstrip()) for r in used) - left
        group = "Beginner" if n <= 10 else "Intermediate" if n <= 30 else "Advanced"
        f = lv["fields"]
        fewest = f.get("fewest moves", 0)
        table.append(f"| {n} | {name} | {group} | {len(used)} x {width} | {lv['treasures']} | {f['pushes']} | "
                     f"{f['moves']} | {fewest if fewest else '-'} | {lv['difficulty']} | {f.get('states', '-')} |")
    open(out_path, "w").write(text)
    open(table_path, "w").write("\n".join(table) + "\n")


main()
