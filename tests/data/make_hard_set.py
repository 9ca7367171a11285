#!/usr/bin/env python3
"""Makes candidate levels for the solver's hard set: rooms drawn to be hard in
known ways (a room of banks behind one door, long one-wide tunnels, many
treasures in an open hall, treasures parked in pockets), each scrambled by
pulling treasures backwards from the filled banks, so every level is
solvable. Candidates are kept in the set only where the previous solver
cannot settle them within ten seconds (see bench/hard_set_bench.cpp).

usage: make_hard_set.py SEED COUNT > candidates.zrp
"""
import random
import sys

ROWS, COLS = 16, 20
DIRS = [(-1, 0), (1, 0), (0, -1), (0, 1)]


def blank(h, w):
    return [["#"] * w for _ in range(h)]


def carve(g, r0, c0, r1, c1):
    for r in range(r0, r1 + 1):
        for c in range(c0, c1 + 1):
            g[r][c] = "-"


def goal_room(rng, g, h, w):
    """A block of banks in a walled corner room with one or two doors."""
    rh, rw = rng.randint(3, 4), rng.randint(4, 5)
    carve(g, 1, 1, h - 2, w - 2)
    for r in range(1, rh + 2):
        g[r][rw + 1] = "#"
    for c in range(1, rw + 2):
        g[rh + 1][c] = "#"
    for r in range(1, rh + 1):
        for c in range(1, rw + 1):
            g[r][c] = "."
    g[rng.randint(1, rh)][rw + 1] = "-"
    if rng.random() < 0.4:
        g[rh + 1][rng.randint(1, rw)] = "-"
    pillars(rng, g, h, w, 0.07)
    return rh * rw


def tunnels(rng, g, h, w):
    """Two halls joined by long tunnels one cell wide; banks in the far hall."""
    mid = w // 2
    carve(g, 1, 1, h - 2, mid - 3)
    carve(g, 1, mid + 2, h - 2, w - 2)
    for r in rng.sample(range(2, h - 2), 2):
        for c in range(mid - 3, mid + 3):
            g[r][c] = "-"
    pillars(rng, g, h, w, 0.08)
    cells = [(r, c) for r in range(1, h - 1) for c in range(mid + 2, w - 1) if g[r][c] == "-"]
    k = rng.randint(9, 13)
    rng.shuffle(cells)
    r0, c0 = cells[0]
    for (r, c) in sorted(cells, key=lambda x: abs(x[0] - r0) + abs(x[1] - c0))[:k]:
        g[r][c] = "."
    return k


def open_hall(rng, g, h, w):
    """Many treasures in one open hall with a few pillars, banks in clusters."""
    carve(g, 1, 1, h - 2, w - 2)
    pillars(rng, g, h, w, 0.1)
    k = rng.randint(14, 20)
    cells = [(r, c) for r in range(1, h - 1) for c in range(1, w - 1) if g[r][c] == "-"]
    placed = 0
    while placed < k:
        r, c = rng.choice(cells)
        for dr, dc in [(0, 0), (0, 1), (1, 0), (1, 1)]:
            if placed < k and g[r + dr][c + dc] == "-":
                g[r + dr][c + dc] = "."
                placed += 1
    return k


def pockets(rng, g, h, w):
    """A hall edged with one-wide pockets that treasures must be parked in."""
    carve(g, 2, 2, h - 3, w - 3)
    for c in range(3, w - 3, 2):
        if rng.random() < 0.6:
            g[1][c] = "-"
        if rng.random() < 0.6:
            g[h - 2][c] = "-"
    pillars(rng, g, h, w, 0.06)
    k = rng.randint(10, 14)
    cells = [(r, c) for r in range(1, h - 1) for c in range(1, w - 1) if g[r][c] == "-"]
    for (r, c) in rng.sample(cells, k):
        g[r][c] = "."
    return k


def pillars(rng, g, h, w, share):
    for r in range(2, h - 2):
        for c in range(2, w - 2):
            if g[r][c] == "-" and rng.random() < share:
                g[r][c] = "#"


def floor(g, r, c):
    return 0 <= r < len(g) and 0 <= c < len(g[0]) and g[r][c] != "#"


def reach(g, treasures, p):
    seen = {p}
    stack = [p]
    while stack:
        r, c = stack.pop()
        for dr, dc in DIRS:
            q = (r + dr, c + dc)
            if floor(g, *q) and q not in treasures and q not in seen:
                seen.add(q)
                stack.append(q)
    return seen


def nearest(banks, cell):
    return min(abs(cell[0] - r) + abs(cell[1] - c) for (r, c) in banks)


def scramble(rng, g, pulls):
    banks = [(r, c) for r in range(len(g)) for c in range(len(g[0])) if g[r][c] == "."]
    treasures = set(banks)
    free = [(r, c) for r in range(len(g)) for c in range(len(g[0])) if g[r][c] == "-"]
    player = rng.choice(free)
    for _ in range(pulls):
        can = reach(g, treasures, player)
        options = []
        for t in treasures:
            for dr, dc in DIRS:
                q = (t[0] + dr, t[1] + dc)
                s = (q[0] + dr, q[1] + dc)
                if q in can and floor(g, *s) and s not in treasures:
                    options.append((t, dr, dc))
        if not options:
            break
        # Mostly pulls that take a treasure further from every bank.
        away = [o for o in options if nearest(banks, (o[0][0] + o[1], o[0][1] + o[2])) > nearest(banks, o[0])]
        t, dr, dc = rng.choice(away if away and rng.random() < 0.8 else options)
        for _ in range(rng.randint(1, 6)):
            q = (t[0] + dr, t[1] + dc)
            s = (q[0] + dr, q[1] + dc)
            if not (floor(g, *s) and s not in treasures and floor(g, *q) and q not in treasures):
                break
            treasures.remove(t)
            treasures.add(q)
            t, player = q, s
    return treasures, player


def level(rng):
    h, w = rng.randint(11, ROWS), rng.randint(14, COLS)
    g = blank(h, w)
    kind = rng.choice([goal_room, goal_room, tunnels, open_hall, pockets])
    kind(rng, g, h, w)
    treasures, player = scramble(rng, g, rng.randint(1500, 3000))
    banks = [(r, c) for r in range(h) for c in range(w) if g[r][c] == "."]
    # Scrambles that left the treasures near their banks are easy.
    if not treasures or sum(nearest(banks, t) for t in treasures) < 5 * len(treasures):
        return None, kind.__name__
    for (r, c) in treasures:
        g[r][c] = "*" if g[r][c] == "." else "$"
    pr, pc = player
    g[pr][pc] = "+" if g[pr][pc] == "." else "@"
    rows = ["".join(row).rstrip() for row in g]
    return rows, kind.__name__


def main():
    seed, count = int(sys.argv[1]), int(sys.argv[2])
    rng = random.Random(seed)
    out = ["Zandrek Pack", "Name: Hard set candidates", ""]
    made = 0
    while made < count:
        rows, kind = level(rng)
        if rows is None:
            continue
        made += 1
        pad = (ROWS - len(rows)) // 2
        out += ["Level:", "Name: %s %d" % (kind, seed * 1000 + made), "Layout:"]
        out += [""] * pad + rows + [""] * (ROWS - len(rows) - pad)
        out += ["end", "end", ""]
    sys.stdout.write("\n".join(out) + "\n")


main()
