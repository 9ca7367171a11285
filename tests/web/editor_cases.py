"""The pack editor's cases (build-web/editor.html), run beside the game's by run.py with the same driver."""
import os
import urllib.parse

from cdp import NOTICE, Failure, expect


def start_editor(c, rows=None):
    return c.start("editor.html" + (fragment_of(rows) if rows else ""),
                   "typeof EditorPage !== 'undefined' && EditorPage.ready")


def fragment_of(rows):
    """The link's fragment as the browser's encodeURIComponent writes it."""
    return "#level=" + urllib.parse.quote("|".join(r.rstrip() for r in rows), safe="!~*'()")


def final_verdict(p):
    p.wait_for("the search of the layout shown ended", "EditorPage.verdict.last && "
               "EditorPage.verdict.last.generation === EditorPage.verdict.generation", limit=60)
    return p.evaluate("document.getElementById('verdict').textContent")


def shown_rows(p):
    return [r.rstrip() for r in p.evaluate("EditorPage.state().level.rows")]


def cell(p, row, col):
    return p.evaluate(f"EditorPage.cellCentre({row}, {col})")


def hover_cell(p, row, col):
    p.mouse("mouseMoved", *cell(p, row, col), "none")


def drag_row(p, row, first, last):
    """Presses on the first cell, moves over each cell to the last, lets go."""
    hover_cell(p, row, first)
    p.mouse("mousePressed", *cell(p, row, first), buttons=1)
    for col in range(first + 1, last + 1):
        p.mouse("mouseMoved", *cell(p, row, col), buttons=1)
    p.mouse("mouseReleased", *cell(p, row, last))


def save_pack(c, name):
    c.page.evaluate("EditorPage.saved = null; document.getElementById('save').click()")
    path = os.path.join(c.run.scratch, name)
    with open(path, "wb") as f:
        f.write(c.page.wait_for("the saved pack", "EditorPage.saved").encode("latin-1"))
    return path


# What the mouse and keys draw below, as a link would give it.
DRAWN = [" ######", "#-----#", "#-@$.-#", "#-----#", "#######"]


def case_editor_drawn_level_equals_its_link(c):
    p = start_editor(c)
    for row in range(5):
        drag_row(p, row, 0, 6)  # walls, the first piece chosen
    hover_cell(p, 1, 1)
    p.key("-")  # floor: paints the cell under the cursor and becomes the mouse's piece
    for row in (1, 2, 3):
        drag_row(p, row, 1, 5)
    for col, piece in ((2, "@"), (3, "$"), (4, ".")):
        hover_cell(p, 2, col)
        p.key(piece)
    p.click(*cell(p, 3, 3))  # a bank there, the mouse's piece now, then taken back
    p.key("z", modifiers=2)
    p.click(*cell(p, 0, 0), "right")
    p.wait_for("the last edit", "EditorPage.state().level.rows[0][0] === ' '")
    by_hand = shown_rows(p)
    p.evaluate("document.getElementById('copy-link').click()")
    copied = p.wait_for("the link copied", "EditorPage.copied")
    expect("Copy link", copied, c.run.site.url + "editor.html" + fragment_of(DRAWN))
    before = p.evaluate("EditorPage.verdict.generation")
    p.evaluate(f"location.hash = {fragment_of(DRAWN)!r}")
    p.wait_for("the link's level", f"EditorPage.verdict.generation > {before}")
    want = [r.rstrip() for r in DRAWN] + [""] * (16 - len(DRAWN))
    expect("drawn, opened from the link", (by_hand, shown_rows(p)), (want, want))


PLAYED = ["#######", "#--.--#", "#-$@$-#", "#--.--#", "#######"]


def play_to_the_end(p):
    p.evaluate("document.getElementById('play').click()")
    p.wait_for("play-testing", "EditorPage.playing")
    # The left treasure pushed the wrong way and the push undone, then both treasures banked.
    for key in ["ArrowLeft", "u", "ArrowDown", "ArrowLeft", "ArrowUp", "ArrowLeft", "ArrowUp", "ArrowRight",
                "ArrowDown", "ArrowRight", "ArrowDown", "ArrowRight", "ArrowRight", "ArrowUp", "ArrowUp", "ArrowLeft",
                "ArrowDown", "ArrowRight", "ArrowDown", "ArrowLeft"]:
        p.key(key)
    p.wait_for("the level solved", "document.getElementById('play-status').dataset.solved === 'true'")


# A solution of PLAYED stored from the page: (whose, how it comes, the button that stores it).
SOLUTION_ROWS = [("played", play_to_the_end, "store-mine"), ("solver", final_verdict, "store-solver")]


def case_editor_stored_solution_passes_the_tools_check(c):
    for whose, solve, button in SOLUTION_ROWS:
        p = start_editor(c, PLAYED)
        solve(p)
        p.evaluate(f"document.getElementById({button!r}).click()")
        p.wait_for(f"the {whose} solution stored", f"{NOTICE}.dataset.kind === 'stored'")
        code, lines, err = c.run.tool("check", save_pack(c, f"{whose}.zrp"), check=False)
        if code != 0 or "\tsolved" not in lines[0]:
            raise Failure(f"{whose}: zandrek-tool check says {lines} {err}")
        c.close()


def case_editor_saved_pack_lists_its_edits_in_the_tool(c):
    p = start_editor(c)
    p.choose_file(c.run.sample_pack)
    p.wait_for("the pack opened", f"{NOTICE}.dataset.kind === 'opened'")
    final_verdict(p)
    c.shot("editor")
    p.evaluate("document.querySelectorAll('#levels li')[1].click()")
    p.evaluate("(f => { f.value = 'Tide Gate'; f.dispatchEvent(new Event('change')); })"
               "(document.getElementById('level-name'))")
    p.evaluate("document.getElementById('level-up').click()")
    p.wait_for("the edits", "EditorPage.state().pack.levels[0] === 'Tide Gate'")
    path = save_pack(c, "round_trip.zrp")
    # Each listing of the sample pack, its first two rows swapped and the moved level renamed.
    for command, first in (("levels", 1), ("check", 2)):
        want = [line.split("\t")[first:] for line in c.run.tool(command, c.run.sample_pack)[1]]
        want[0], want[1] = want[1], want[0]
        if command == "levels":
            want[0][0] = "Tide Gate"
        code, after, err = c.run.tool(command, path, check=False)
        if code != 0 or [line.split("\t")[first:] for line in after] != want:
            raise Failure(f"zandrek-tool {command} of the saved pack: {after} {err}")


# A room whose search runs long: a block of four treasures that can never
# move, five more free, and a walled cell of floor (row 2, column 18).
LONG = ["####################", "#--.---.---.---.-###", "#-$--$----$------#-#", "#-------------$-.###",
        "#-.----$$---$---.###", "#------$$-------.###", "#-@-------.------###", "####################"]


def case_editor_edit_during_a_search_shows_only_its_verdict(c):
    p = start_editor(c, LONG)
    first = p.evaluate("EditorPage.verdict.generation")
    p.wait_for("the search under way", "/^Searching\u2026 [1-9]/.test(document.getElementById('verdict').textContent)")
    hover_cell(p, 2, 18)
    p.key("@")  # Zandrek walled in: nothing can move any more
    after = p.evaluate("EditorPage.verdict.generation")
    expect("the verdict", final_verdict(p), "Unsolvable")
    if p.evaluate("EditorPage.verdict.counts.cancelled") < 1:
        raise Failure(f'no search cancelled: {p.evaluate("EditorPage.verdict.counts")}')
    log = p.evaluate("EditorPage.verdict.log")
    late = [e for e in log[[e["generation"] for e in log].index(after):] if e["generation"] != after]
    old_final = [e for e in log if e["generation"] == first and e["kind"] != "searching"]
    if late or old_final:
        raise Failure(f"shown for the old layout: {late + old_final}")


CASES = [f for name, f in list(globals().items()) if name.startswith("case_")]
