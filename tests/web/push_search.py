"""The test side's own answer to "how many pushes": a breadth-first search
over pushes, a position being the treasures and the area Zandrek can reach.
Written from the rules alone, for small rooms only."""
from collections import deque

STEPS = ((0, 1), (0, -1), (1, 0), (-1, 0))


def parse(rows):
    walls, banks, treasures, player = set(), set(), set(), None
    for r, row in enumerate(rows):
        for c, ch in enumerate(row):
            if ch in "# ":
                walls.add((r, c))
            if ch in ".*+":
                banks.add((r, c))
            if ch in "$*":
                treasures.add((r, c))
            if ch in "@+":
                player = (r, c)
    return walls, banks, frozenset(treasures), player


def reach(walls, treasures, start):
    seen, todo = {start}, [start]
    while todo:
        r, c = todo.pop()
        for dr, dc in STEPS:
            n = (r + dr, c + dc)
            if n not in seen and n not in walls and n not in treasures and 0 <= n[0] < 16 and 0 <= n[1] < 20:
                seen.add(n)
                todo.append(n)
    return seen


def fewest_pushes(rows):
    """The fewest pushes that bank every treasure, or None when none do."""
    walls, banks, treasures, player = parse(rows)
    start = (treasures, min(reach(walls, treasures, player)))
    queue, seen = deque([(start, 0)]), {start}
    while queue:
        (boxes, at), pushes = queue.popleft()
        if boxes <= banks:
            return pushes
        area = reach(walls, boxes, at)
        for (r, c) in boxes:
            for dr, dc in STEPS:
                behind, ahead = (r - dr, c - dc), (r + dr, c + dc)
                if behind in area and ahead not in walls and ahead not in boxes and 0 <= ahead[0] < 16 \
                        and 0 <= ahead[1] < 20:
                    moved = boxes - {(r, c)} | {ahead}
                    nxt = (moved, min(reach(walls, moved, (r, c))))
                    if nxt not in seen:
                        seen.add(nxt)
                        queue.append((nxt, pushes + 1))
    return None
