"""The pack editor's cases (build-web/editor.html), run beside the game's by
run.py with the same driver."""
import os
import subprocess
import urllib.parse

import cdp
from cdp import Failure
from push_search import fewest_pushes

READY = "typeof EditorPage !== 'undefined' && EditorPage.ready"
# The verdict line once the search of the layout now shown has ended.
FINISHED = "EditorPage.verdict.last && EditorPage.verdict.last.generation === EditorPage.verdict.generation"


def start_editor(c, fragment=""):
    profile = cdp.fresh_folder(os.path.join(c.run.scratch, "profile-" + c.name))
    c.browser = cdp.Browser(profile)
    c.page = c.browser.page()
    c.page.goto(c.run.site.url + "editor.html" + fragment)
    c.page.wait_for("the editor ready", READY)
    return c.page


def fragment_of(rows):
    """The link's fragment as the browser's encodeURIComponent writes it."""
    return "#level=" + urllib.parse.quote("|".join(r.rstrip() for r in rows), safe="!~*'()")


def open_link(p, rows):
    before = p.evaluate("EditorPage.verdict.generation")
    p.evaluate(f"location.hash = {fragment_of(rows)!r}")
    p.wait_for("the link's level", f"EditorPage.verdict.generation > {before}")


def final_verdict(p):
    p.wait_for("the verdict", FINISHED, limit=60)
    return p.evaluate("document.getElementById('verdict').textContent")


def expected_verdict(rows):
    pushes = fewest_pushes(rows)
    return "Unsolvable" if pushes is None else f"Solvable in {pushes} pushes"


def shown_rows(p):
    return [r.rstrip() for r in p.evaluate("EditorPage.state().level.rows")]


def drawn(rows):
    """Rows as the page keeps them, trailing spaces and empty rows left out."""
    out = [r.rstrip() for r in rows] + [""] * (16 - len(rows))
    return out


def click_cell(p, row, col, button="left"):
    x, y = p.evaluate(f"EditorPage.cellCentre({row}, {col})")
    p.click(x, y, button)


def hover_cell(p, row, col):
    x, y = p.evaluate(f"EditorPage.cellCentre({row}, {col})")
    p.call("Input.dispatchMouseEvent", type="mouseMoved", x=x, y=y, button="none")


def drag_row(p, row, first, last, button="left"):
    """Presses on the first cell, moves over each cell to the last, lets go."""
    x, y = p.evaluate(f"EditorPage.cellCentre({row}, {first})")
    p.call("Input.dispatchMouseEvent", type="mouseMoved", x=x, y=y, button="none")
    p.call("Input.dispatchMouseEvent", type="mousePressed", x=x, y=y, button=button, clickCount=1,
           buttons=1 if button == "left" else 2)
    for col in range(first + 1, last + 1):
        x, y = p.evaluate(f"EditorPage.cellCentre({row}, {col})")
        p.call("Input.dispatchMouseEvent", type="mouseMoved", x=x, y=y, button=button,
               buttons=1 if button == "left" else 2)
    p.call("Input.dispatchMouseEvent", type="mouseReleased", x=x, y=y, button=button, clickCount=1)


def save_pack(c, name):
    p = c.page
    p.evaluate("EditorPage.saved = null; document.getElementById('save').click()")
    text = p.wait_for("the saved pack", "EditorPage.saved")
    path = os.path.join(c.run.scratch, name)
    with open(path, "wb") as f:
        f.write(text.encode("latin-1"))
    return path


def tool_lines(c, *args):
    done = subprocess.run([c.run.tool_path, *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                          encoding="latin-1")
    return done.returncode, done.stdout.splitlines(), done.stderr


def open_file_by_picker(c, path):
    p = c.page
    picker = p.call("Runtime.evaluate", expression="document.getElementById('pack-picker')")["result"]["objectId"]
    p.call("DOM.setFileInputFiles", files=[path], objectId=picker)


# Small rooms, solvable and not, each judged by the test's own search.
ROOMS = [
    ["#####", "#@$.#", "#####"],
    ["########", "#@-$--.#", "########"],
    ["######", "#----#", "#-$$-#", "#@..-#", "######"],
    ["#######", "#.-$--#", "#-$@$-#", "#--$-.#", "#.---.#", "#######"],
    ["#####", "#@-$#", "#.--#", "#####"],
    ["######", "#@$$.#", "#---.#", "######"],
]


def case_editor_verdicts_of_small_rooms(c):
    """The verdict of each small room is the one a breadth-first search over pushes gives."""
    p = start_editor(c)
    for rows in ROOMS:
        open_link(p, rows)
        got, want = final_verdict(p), expected_verdict(rows)
        if got != want:
            raise Failure(f"{'|'.join(rows)}: the page says \"{got}\", the search \"{want}\"")


# What the mouse and keys draw below, as a link would give it.
DRAWN = [" ######", "#-----#", "#-@$.-#", "#-----#", "#######"]


def case_editor_drawn_level_equals_its_link(c):
    """A level drawn with the mouse and the keys is the level its link opens."""
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
    click_cell(p, 3, 3)  # a bank there, the mouse's piece now, then taken back
    p.call("Input.dispatchKeyEvent", type="rawKeyDown", key="z", windowsVirtualKeyCode=90, modifiers=2)
    p.call("Input.dispatchKeyEvent", type="keyUp", key="z", windowsVirtualKeyCode=90, modifiers=2)
    click_cell(p, 0, 0, "right")
    p.wait_for("the last edit", "EditorPage.state().level.rows[0][0] === ' '")
    by_hand = shown_rows(p)
    p.evaluate("document.getElementById('copy-link').click()")
    copied = p.wait_for("the link copied", "EditorPage.copied")
    if not copied.endswith("/editor.html" + fragment_of(DRAWN)):
        raise Failure(f"Copy link gave {copied}")
    open_link(p, DRAWN)
    typed = shown_rows(p)
    if by_hand != typed or typed != drawn(DRAWN):
        raise Failure(f"drawn {by_hand}, opened from the link {typed}")


PLAYED = ["#######", "#--.--#", "#-$@$-#", "#--.--#", "#######"]


def case_editor_play_test_stores_a_solution(c):
    """Moves played in the page, an undone push among them, are stored and the tool's check accepts them."""
    p = start_editor(c, fragment_of(PLAYED))
    p.evaluate("document.getElementById('play').click()")
    p.wait_for("play-testing", "EditorPage.playing")
    # The left treasure pushed the wrong way and the push undone, then both treasures banked.
    for key in ["ArrowLeft", "u", "ArrowDown", "ArrowLeft", "ArrowUp", "ArrowLeft", "ArrowUp", "ArrowRight",
                "ArrowDown", "ArrowRight", "ArrowDown", "ArrowRight", "ArrowRight", "ArrowUp", "ArrowUp", "ArrowLeft",
                "ArrowDown", "ArrowRight", "ArrowDown", "ArrowLeft"]:
        p.key(key)
    p.wait_for("the level solved", "document.getElementById('play-status').dataset.solved === 'true'")
    p.evaluate("document.getElementById('store-mine').click()")
    p.wait_for("the solution stored", "document.getElementById('notice').dataset.kind === 'stored'")
    path = save_pack(c, "played.zrp")
    code, lines, err = tool_lines(c, "check", path)
    if code != 0 or "\tsolved" not in lines[0]:
        raise Failure(f"zandrek-tool check says {lines} {err}")


def case_editor_solver_solution_stored(c):
    """The solver's solution of a level, stored from the page, is one the tool's check accepts."""
    p = start_editor(c, fragment_of(PLAYED))
    final_verdict(p)
    p.evaluate("document.getElementById('store-solver').click()")
    p.wait_for("the solution stored", "document.getElementById('notice').dataset.kind === 'stored'")
    code, lines, err = tool_lines(c, "check", save_pack(c, "solver.zrp"))
    if code != 0 or "\tsolved" not in lines[0]:
        raise Failure(f"zandrek-tool check says {lines} {err}")


def case_editor_about_line_starting_with_end_refused(c):
    """An About line beginning with "end" is refused with the reason; the About kept stays."""
    p = start_editor(c, fragment_of(PLAYED))
    p.evaluate("const a = document.getElementById('level-about'); a.value = 'Walk on.\\nend of the quay'; "
               "a.dispatchEvent(new Event('change'))")
    p.wait_for("the refusal", "document.getElementById('notice').dataset.kind === 'refused'")
    said = p.evaluate("document.getElementById('notice').textContent")
    kept = p.evaluate("[EditorPage.state().level.about, document.getElementById('level-about').value]")
    if "end" not in said or kept != ["", ""]:
        raise Failure(f'the page says "{said}" and keeps {kept}')


def case_editor_pack_round_trip(c):
    """The sample pack opened, renamed, reordered and saved reads back with the same levels, solutions, tiles and sounds."""
    p = start_editor(c)
    open_file_by_picker(c, c.run.sample_pack)
    p.wait_for("the pack opened", "document.getElementById('notice').dataset.kind === 'opened'")
    shown = p.evaluate("EditorPage.state().pack")
    final_verdict(p)
    c.shot("editor")
    p.evaluate("document.querySelectorAll('#levels li')[1].click()")
    references = p.evaluate("EditorPage.state().level.references")
    p.evaluate("const n = document.getElementById('level-name'); n.value = 'Tide Gate'; "
               "n.dispatchEvent(new Event('change'))")
    p.evaluate("document.getElementById('level-up').click()")
    p.evaluate("const a = document.getElementById('pack-name'); a.value = 'Lantern Docks Again'; "
               "a.dispatchEvent(new Event('change'))")
    p.wait_for("the edits", "EditorPage.state().pack.levels[0] === 'Tide Gate' && "
               "EditorPage.state().pack.name === 'Lantern Docks Again'")
    path = save_pack(c, "round_trip.zrp")
    _, before, _ = tool_lines(c, "levels", c.run.sample_pack)
    code, after, err = tool_lines(c, "levels", path)
    want = [line.split("\t")[1:] for line in before]
    want[1][0] = "Tide Gate"
    want[0], want[1] = want[1], want[0]
    if code != 0 or [line.split("\t")[1:] for line in after] != want:
        raise Failure(f"the saved pack's levels: {after} {err}")
    _, checked_before, _ = tool_lines(c, "check", c.run.sample_pack)
    code, checked, err = tool_lines(c, "check", path)
    plays = [line.split("\t")[2:] for line in checked_before]
    plays[0], plays[1] = plays[1], plays[0]
    if code != 0 or [line.split("\t")[2:] for line in checked] != plays:
        raise Failure(f"the saved pack's solutions: {checked} {err}")
    open_file_by_picker(c, path)
    p.wait_for("the saved pack opened", "document.getElementById('notice').textContent.startsWith('round_trip.zrp')")
    again = p.evaluate("EditorPage.state().pack")
    if (again["tiles"], again["sounds"], again["about"]) != (shown["tiles"], shown["sounds"], shown["about"]):
        raise Failure(f"tiles, sounds, About: {again} after saving, {shown} before")
    kept = p.evaluate("EditorPage.state().level.references")
    if kept != references:
        raise Failure(f"the moved level's tiles and sounds: {kept} after saving, {references} before")


def case_editor_damaged_pack_diagnostic(c):
    """A damaged pack dropped on the editor shows the reader's line; the pack open stays."""
    p = start_editor(c, fragment_of(ROOMS[0]))
    before = p.evaluate("EditorPage.state()")
    p.evaluate("""(() => {
        const dt = new DataTransfer();
        dt.items.add(new File(['Zandrek Pack\\nName: Broken\\n\\nLevel:\\nName: Half\\nLayout:\\n#@\\n'], 'broken.zrp'));
        document.dispatchEvent(new DragEvent('drop', {dataTransfer: dt, bubbles: true, cancelable: true}));
    })()""")
    p.wait_for("the refusal", "document.getElementById('notice').dataset.kind === 'refused'")
    said = p.evaluate("document.getElementById('notice').textContent")
    if "broken.zrp" not in said or "line" not in said:
        raise Failure(f'the page says "{said}"')
    if p.evaluate("EditorPage.state()") != before:
        raise Failure("the open pack changed")


# A room whose search runs long: a block of four treasures that can never
# move, five more free, and a walled cell of floor (row 3, column 19).
LONG = ["####################", "#--.---.---.---.-###", "#-$--$----$------#-#", "#-------------$-.###",
        "#-.----$$---$---.###", "#------$$-------.###", "#-@-------.------###", "####################"]
POCKET = (2, 18)


def case_editor_edit_cancels_search(c):
    """An edit while a search runs cancels it; only the new layout's verdict is ever shown after."""
    p = start_editor(c, fragment_of(LONG))
    first = p.evaluate("EditorPage.verdict.generation")
    p.wait_for("the search under way", "/^Searching\u2026 [1-9]/.test(document.getElementById('verdict').textContent)")
    hover_cell(p, *POCKET)
    p.key("@")  # Zandrek walled in: nothing can move any more
    after = p.evaluate("EditorPage.verdict.generation")
    edited = [r.rstrip() for r in p.evaluate("EditorPage.state().level.rows")]
    got = final_verdict(p)
    if got != expected_verdict(edited) or p.evaluate("EditorPage.verdict.counts.cancelled") < 1:
        raise Failure(f'the page says "{got}" after {p.evaluate("EditorPage.verdict.counts")}')
    log = p.evaluate("EditorPage.verdict.log")
    late = [e for e in log[[e["generation"] for e in log].index(after):] if e["generation"] != after]
    old_final = [e for e in log if e["generation"] == first and e["kind"] != "searching"]
    if late or old_final:
        raise Failure(f"shown for the old layout: {late + old_final}")


CASES = [
    case_editor_verdicts_of_small_rooms, case_editor_drawn_level_equals_its_link,
    case_editor_play_test_stores_a_solution, case_editor_solver_solution_stored,
    case_editor_about_line_starting_with_end_refused, case_editor_pack_round_trip, case_editor_damaged_pack_diagnostic,
    case_editor_edit_cancels_search,
]
