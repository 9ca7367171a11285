"""The test side's own answer to "how many pushes": a breadth-first search
over pushes, a position being the treasures and the area Zandrek can reach.
Written from the rules alone, for small rooms only."""
from collections import deque

STEPS = ((0, 1), (0, -1), (1, 0), (-1, 0))


def cells(rows, marks):
    return {(r, c) for r, row in enumerate(rows) for c, ch in enumerate(row) if ch in marks}


def reach(walls, treasures, start):
    seen, todo = {start}, [start]
    while todo:
        r, c = todo.pop()
        for n in ((r + dr, c + dc) for dr, dc in STEPS):
            if n not in seen and n not in walls and n not in treasures and 0 <= n[0] < 16 and 0 <= n[1] < 20:
                seen.add(n)
                todo.append(n)
    return seen


def fewest_pushes(rows):
    """The fewest pushes that bank every treasure, or None when none do."""
    walls, banks, treasures = cells(rows, "# "), cells(rows, ".*+"), frozenset(cells(rows, "$*"))
    start = (treasures, min(reach(walls, treasures, cells(rows, "@+").pop())))
    queue, seen = deque([(start, 0)]), {start}
    while queue:
        (boxes, at), pushes = queue.popleft()
        if boxes <= banks:
            return pushes
        area = reach(walls, boxes, at)
        for (r, c) in boxes:
            for dr, dc in STEPS:
                ahead = (r + dr, c + dc)
                if (r - dr, c - dc) in area and ahead not in walls and ahead not in boxes and 0 <= ahead[0] < 16 \
                        and 0 <= ahead[1] < 20:
                    moved = boxes - {(r, c)} | {ahead}
                    after = (moved, min(reach(walls, moved, (r, c))))
                    if after not in seen:
                        seen.add(after)
                        queue.append((after, pushes + 1))
    return None
