"""The browser edition's cases (the game's, then the pack editor's), each in a fresh headless Chromium profile
(inside build-web/test/), against the built site served on 127.0.0.1.

usage: run.py BUILD_WEB TOOL SCREENSHOTS [CASE...]"""
import os
import sys
import traceback

import cdp
import contract
import editor_cases
from cdp import Failure

MENU_PREVIOUS_LEVEL = 112
MENU_LEVEL_SOLUTIONS = 139
MENU_MAGNIFY_4 = 1224
DEFAULT_MAGNIFY = 2
TILE_W, TILE_H = 16, 12
MODE_SOLVED = 2
MENU_HELP_CONTENTS = 132
MENU_EXIT = 103
DEVELOPER = "Quillbarrow"  # the name that opens every level
LEVEL_50 = 10050
# Level 1: the player at column 7 of row 8, the bank at column 11.
LEVEL1_SOLUTION = ">>>"
LEVEL1_BANK = (11, 8)
BOX_OPEN = "document.querySelectorAll('dialog[open]').length"


class Case:
    def __init__(self, run, name):
        self.run, self.name = run, name
        self.browser = None

    def start(self, keep_profile=False):
        profile = os.path.join(self.run.scratch, "profile-" + self.name)
        if not keep_profile:
            cdp.fresh_folder(profile)
        if self.browser:
            self.browser.close()
        self.browser = cdp.Browser(profile)
        self.page = self.browser.page()
        self.page.goto(self.run.site.url)
        self.wait_title_screen()
        return self.page

    def wait_title_screen(self):
        self.page.wait_for("the title screen", "typeof ZandrekPage !== 'undefined' && ZandrekPage.flushes > 0 && "
                           "document.title.startsWith('Greetings')")

    def wait_title(self, text):
        self.page.wait_for(f'the title "{text}"', f"document.title.startsWith({text!r})")

    def enter_game(self, name=None):
        p = self.page
        p.key("Enter")
        p.wait_for("the name dialog", "document.querySelector('dialog[open] input') !== null")
        shown = p.evaluate("document.querySelector('dialog[open] input').value")
        if shown != "Zandrek":
            raise Failure(f'the name dialog shows "{shown}", not "Zandrek"')
        if name:
            p.call("Input.insertText", text=name)
        p.key("Enter")
        self.wait_title("Zandrek - Level 1")
        p.wait_for("the dialog gone", f"{BOX_OPEN} === 0")

    def command(self, item_id):
        """Chooses a menu item as a player does: its menu opened, then the item."""
        p = self.page
        top = p.evaluate(f"""(() => {{
            const item = document.querySelector('#menubar .item[data-id="{item_id}"]');
            return Array.from(document.querySelectorAll('#menubar > .title')).findIndex(t => t.contains(item));
        }})()""")
        p.evaluate(f"document.querySelectorAll('#menubar > .title > button')[{top}].click()")
        p.wait_for("the menu open", f"document.querySelectorAll('#menubar > .title')[{top}].classList.contains('open')")
        state = p.evaluate(f"document.querySelector('#menubar .item[data-id=\"{item_id}\"]').className")
        if "greyed" in state:
            raise Failure(f"menu item {item_id} is greyed")
        p.evaluate(f"document.querySelector('#menubar .item[data-id=\"{item_id}\"]').click()")

    def cell_click_walk(self, column, row):
        """Holds the left button on a cell until the walk there has ended."""
        p = self.page
        rect = p.evaluate("(() => { const r = document.getElementById('canvas').getBoundingClientRect();"
                          " return [r.left, r.top, document.getElementById('canvas').width / 320]; })()")
        x = rect[0] + (column * TILE_W + TILE_W // 2) * rect[2]
        y = rect[1] + (row * TILE_H + TILE_H // 2) * rect[2]
        p.call("Input.dispatchMouseEvent", type="mouseMoved", x=x, y=y, button="none")
        p.call("Input.dispatchMouseEvent", type="mousePressed", x=x, y=y, button="left", clickCount=1)
        return x, y

    def release(self, x, y):
        self.page.call("Input.dispatchMouseEvent", type="mouseReleased", x=x, y=y, button="left", clickCount=1)

    def shot(self, name):
        os.makedirs(self.run.screenshots, exist_ok=True)
        self.page.screenshot(os.path.join(self.run.screenshots, f"web-{name}.png"))

    def close(self):
        if self.browser:
            self.browser.close()


def solve_level1_by_keys(c):
    for key in LEVEL1_SOLUTION:
        c.page.key({">": "ArrowRight", "<": "ArrowLeft", "^": "ArrowUp", "v": "ArrowDown"}[key])
    c.page.wait_for("level 1 solved", f"ZandrekPage.gameMode === {MODE_SOLVED}")
    c.page.key(" ")
    c.wait_title("Zandrek - Level 2")


# ---- the cases ----

def case_title_pixels(c):
    """The canvas on the title screen equals the tool's drawing of it."""
    p = c.start()
    expected = os.path.join(c.run.scratch, "title.png")
    c.run.tool("render", c.run.map, "-1", "-o", expected, "--magnify", str(DEFAULT_MAGNIFY))
    w, h, want = cdp.read_png_rgba(expected)
    cw, ch, got = p.canvas_rgba()
    if (cw, ch) != (w, h):
        raise Failure(f"the canvas is {cw} x {ch}, the drawing {w} x {h}")
    wrong = [i // 4 for i in range(0, len(want), 4) if want[i:i + 3] != got[i:i + 3]]
    if wrong:
        raise Failure(f"{len(wrong)} pixels differ, the first at {wrong[0] % w}, {wrong[0] // w}")
    if p.evaluate("document.getElementById('banner').hidden"):
        raise Failure("the banner is not shown on the title screen")
    c.shot("title")


def case_return_and_name_dialog(c):
    """Return leaves the title; Return accepts the name dialog, which keeps 14 characters."""
    p = c.start()
    p.key("Enter")
    p.wait_for("the name dialog", "document.querySelector('dialog[open] input') !== null")
    p.call("Input.insertText", text="Abcdefghijklmnopqrst")
    typed = p.evaluate("document.querySelector('dialog[open] input').value")
    if typed != "Abcdefghijklmn":
        raise Failure(f'the field holds "{typed}"; it takes 14 characters')
    p.key("Enter")
    c.wait_title("Zandrek - Level 1")
    stored = p.evaluate("JSON.parse(localStorage.getItem('player_name'))")
    text = bytes(stored["bytes"]).split(b"\0")[0].decode()
    if stored["type"] != "string" or text != "Abcdefghijklmn":
        raise Failure(f"the stored name is {stored}")


def case_level1_keys_and_walks(c):
    """Level 1 is solved by its solution as keys, then again by click-walks."""
    p = c.start()
    c.enter_game("Tester")
    c.shot("level-1")
    solve_level1_by_keys(c)
    c.command(MENU_PREVIOUS_LEVEL)
    c.wait_title("Zandrek - Level 1")
    x, y = c.cell_click_walk(*LEVEL1_BANK)
    p.wait_for("level 1 solved by walking", f"ZandrekPage.gameMode === {MODE_SOLVED}")
    c.release(x, y)
    p.key(" ")
    c.wait_title("Zandrek - Level 2")


def case_reload_keeps_progress(c):
    """After a reload the stored name is taken without asking, at level 2."""
    p = c.start()
    c.enter_game("Tester")
    solve_level1_by_keys(c)
    # Every save asked for so far has reached the stored copy.
    p.wait_for("the score file stored", "ZandrekPage.files.syncs > 0 && ZandrekPage.files.pending === 0")
    p.reload()
    c.wait_title_screen()
    p.key("Enter")
    c.wait_title("Zandrek - Level 2")
    if p.evaluate(BOX_OPEN):
        raise Failure("a dialog asked again")


def case_magnification_menu(c):
    """The magnification menu resizes the canvas and checks its item."""
    p = c.start()
    c.command(MENU_MAGNIFY_4)
    p.wait_for("the canvas at 4 X", "document.getElementById('canvas').width === 1280 && "
               "document.getElementById('canvas').height === 768")
    checked = p.evaluate(f"document.querySelector('#menubar .item[data-id=\"{MENU_MAGNIFY_4}\"]')"
                         ".getAttribute('aria-checked')")
    if checked != "true":
        raise Failure("the 4 X item is not checked")
    stored = p.evaluate("JSON.parse(localStorage.getItem('magnify'))")
    if stored != {"type": "dword", "value": 4}:
        raise Failure(f"the stored magnification is {stored}")


def drop_file(p, name, text):
    p.evaluate(f"""(() => {{
        const dt = new DataTransfer();
        dt.items.add(new File([{text!r}], {name!r}));
        document.dispatchEvent(new DragEvent('drop', {{dataTransfer: dt, bubbles: true, cancelable: true}}));
    }})()""")


def case_damaged_pack_refused(c):
    """A damaged pack dropped on the page is refused with the reader's reason; nothing is lost."""
    p = c.start()
    c.enter_game("Tester")
    solve_level1_by_keys(c)
    p.wait_for("the score file stored", "ZandrekPage.files.syncs > 0 && ZandrekPage.files.pending === 0")
    before = p.evaluate("ZandrekPage.files.storedNames()")
    drop_file(p, "broken.zrp", "Zandrek Pack\nName: Broken\n\nLevel:\nName: Half\nLayout:\n#@\n")
    p.wait_for("the refusal", "document.getElementById('notice').dataset.kind === 'refused'")
    said = p.evaluate("document.getElementById('notice').textContent")
    if "broken.zrp" not in said or "line" not in said:
        raise Failure(f'the page says "{said}"')
    after = p.evaluate("ZandrekPage.files.storedNames()")
    if after != before or "Zandrek.score" not in after:
        raise Failure(f"the stored files were {before}, now {after}")
    p.key("ArrowLeft")
    p.wait_for("the game still playing", "document.title.indexOf('Level=2 Moves=1') >= 0")


def case_pack_added(c):
    """A pack chosen with the file picker is kept, and its levels are in the Level menu at the next start."""
    p = c.start()
    pack = open(c.run.sample_pack, encoding="latin-1").read().replace("Name: Lantern Docks", "Name: Added Docks", 1)
    path = os.path.join(c.run.scratch, "added_docks.zrp")
    with open(path, "w", encoding="latin-1") as f:
        f.write(pack)
    picker = p.call("Runtime.evaluate", expression="document.getElementById('pack-picker')")["result"]["objectId"]
    p.call("DOM.setFileInputFiles", files=[path], objectId=picker)
    p.wait_for("the pack added", "document.getElementById('notice').dataset.kind === 'added'")
    p.reload()
    c.wait_title_screen()
    titles = p.evaluate("Array.from(document.querySelectorAll('#menubar > .title')[1]"
                        ".querySelectorAll(':scope > .popup > .item')).map(i => i.textContent)")
    if not any("Added Docks" in t for t in titles):
        raise Failure(f"the Level menu holds {titles}")
    c.enter_game()
    first = p.evaluate("Number(Array.from(document.querySelectorAll('#menubar .item.has-popup'))"
                       ".find(i => i.textContent.indexOf('Lantern') >= 0).querySelector('.item').dataset.id)")
    c.command(first)
    p.wait_for("the pack's first level", "document.title.indexOf('Level 1') >= 0")
    c.shot("pack-level")


def case_step_sound(c):
    """A step plays the step sample: the Web Audio buffer holds its samples."""
    p = c.start()
    wav = os.path.join(c.run.scratch, "step.wav")
    c.run.tool("sound", c.run.map, "0", "-o", wav)
    c.enter_game()
    p.key("ArrowRight")
    p.wait_for("a sound", "ZandrekPage.audio.played > 0 && document.title.indexOf('Moves=1') >= 0")
    samples = p.evaluate("Array.from(ZandrekPage.audio.lastSamples)")
    state = p.evaluate("ZandrekPage.audio.context && ZandrekPage.audio.context.state")
    data = open(wav, "rb").read()
    bits = int.from_bytes(data[34:36], "little")
    at = data.index(b"data")
    body = data[at + 8:at + 8 + int.from_bytes(data[at + 4:at + 8], "little")]
    if bits == 8:
        want = list(body)
        got = [round(s * 128 + 128) for s in samples]
    else:
        want = [int.from_bytes(body[i:i + 2], "little", signed=True) for i in range(0, len(body) - 1, 2)]
        got = [round(s * 32768) for s in samples]
    if got != want:
        raise Failure(f"the buffer holds {len(got)} samples unlike the step sample's {len(want)}")
    if state != "running":
        raise Failure(f"the audio context is {state}")


def open_solutions_box(c):
    p = c.page
    c.command(MENU_LEVEL_SOLUTIONS)
    p.wait_for("the solutions box", f"{BOX_OPEN} === 1 && document.querySelector('dialog[open] .caption')"
               ".textContent === 'Zandrek Level Solutions'")


MESSAGE_LINE_PERIOD = 5  # seconds between the game's own updates of the title


def game_clock_advances(p):
    """Waits until the level clock in the title, rewritten by the game's own timer, moves on."""
    shown = p.evaluate("document.title.split('Time=')[1]")
    p.wait_for("the level clock moving on", f"document.title.split('Time=')[1] !== {shown!r}",
               limit=2 * MESSAGE_LINE_PERIOD + 2)


def start_playing(c):
    """Level 1 with one step taken, so that its clock runs in the title."""
    p = c.page
    c.enter_game()
    p.key("ArrowRight")
    p.wait_for("the clock in the title", "document.title.indexOf('Moves=1') >= 0")


def case_box_over_running_timers(c):
    """A box answered while the game's timers run leaves the game whole; input meanwhile is dropped."""
    p = c.start()
    start_playing(c)
    open_solutions_box(c)
    game_clock_advances(p)
    p.key("ArrowRight")
    c.shot("box")
    game_clock_advances(p)
    p.evaluate("Array.from(document.querySelectorAll('dialog[open] button')).find(b => b.textContent === 'No').click()")
    p.wait_for("the box gone", f"{BOX_OPEN} === 0")
    if "Moves=1" not in p.evaluate("document.title"):
        raise Failure(f"a key reached the game under the box: {p.evaluate('document.title')}")
    p.key("ArrowRight")
    p.wait_for("a step after the box", "document.title.indexOf('Moves=2') >= 0")


def case_second_box_stacks(c):
    """A box raised while one is open stacks on top, is answered first, and the first then answers."""
    p = c.start()
    start_playing(c)
    open_solutions_box(c)
    p.evaluate("ZandrekPage.testBox()")
    p.wait_for("the second box", f"{BOX_OPEN} === 2")
    first = "document.querySelectorAll('dialog[open]')[0]"
    p.evaluate(f"Array.from({first}.querySelectorAll('button')).find(b => b.textContent === 'No').click()")
    game_clock_advances(p)
    if p.evaluate(BOX_OPEN) != 2:
        raise Failure("the box below answered while the second was open")
    p.key("Enter")  # the second box's OK has the focus
    p.wait_for("the second box gone", f"{BOX_OPEN} === 1 && {first}.querySelector('.caption').textContent === "
               "'Zandrek Level Solutions'")
    p.evaluate(f"Array.from({first}.querySelectorAll('button')).find(b => b.textContent === 'No').click()")
    p.wait_for("both boxes gone", f"{BOX_OPEN} === 0")
    if p.evaluate("ZandrekPage.dialogs.stack.length") != 0:
        raise Failure("a box is still waiting")
    p.key("ArrowRight")
    p.wait_for("a step after the boxes", "document.title.indexOf('Moves=2') >= 0")


def case_answer_given_before_second_box(c):
    """An answer given just before a second box rose is kept for its own box, not lost."""
    p = c.start()
    start_playing(c)
    open_solutions_box(c)
    # Both in one turn of the page: the second box's message is queued before the first box's answer.
    p.evaluate("ZandrekPage.testBox(); Array.from(document.querySelector('dialog[open]').querySelectorAll('button'))"
               ".find(b => b.textContent === 'No').click()")
    p.wait_for("the second box", f"{BOX_OPEN} === 2")
    p.key("Enter")
    p.wait_for("both boxes gone", f"{BOX_OPEN} === 0")
    p.key("ArrowRight")
    p.wait_for("a step after the boxes", "document.title.indexOf('Moves=2') >= 0")


def case_quit_and_start_again(c):
    """q ends the game; the page says so and starts it again."""
    p = c.start()
    c.enter_game()
    p.key("q")
    p.wait_for("the ended page", "!document.getElementById('ended').hidden")
    p.evaluate("document.getElementById('again').click()")
    c.wait_title_screen()


def case_level_50_and_help_tab(c):
    """Level 50 is reached through its picture menu; Help Contents opens the help page in a new tab."""
    p = c.start()
    c.enter_game(DEVELOPER)
    c.command(LEVEL_50)
    c.wait_title("Zandrek - Level 50")
    c.shot("level-50")
    c.command(MENU_HELP_CONTENTS)
    cdp.wait_until("the help page in a new tab",
                   lambda: any(t["url"].endswith("/zandhelp.html") for t in c.browser.targets()))


def case_blocked_popup_is_a_failed_hand_over(c):
    """A pop-up the browser blocks shows the game's "Error invoking URL" box."""
    p = c.start()
    p.evaluate("window.open = () => null")
    c.command(MENU_HELP_CONTENTS)
    p.wait_for("the error box", f"{BOX_OPEN} === 1")
    text = p.evaluate("document.querySelector('dialog[open] .text').textContent")
    if not text.startswith("Error invoking URL"):
        raise Failure(f'the box says "{text}"')


def case_name_cancelled_first_time(c):
    """Escape on the first name dialog plays on under the name it showed, unstored."""
    p = c.start()
    p.key("Enter")
    p.wait_for("the name dialog", "document.querySelector('dialog[open] input') !== null")
    p.key("Escape")
    c.wait_title("Zandrek - Level 1")
    p.key("ArrowRight")
    c.wait_title("Zandrek: Zandrek - Level=1 Moves=1")
    if p.evaluate("localStorage.getItem('player_name')") is not None:
        raise Failure("the name was stored")


# A stored value of the wrong type or size counts as missing: (value name,
# what is stored, the check once the game has started again).
SETTINGS_ROWS = [
    ("magnify", {"type": "string", "bytes": [51, 0]}, "canvas 640"),
    ("magnify", {"type": "dword", "value": 3}, "canvas 960"),
    ("player_name", {"type": "dword", "value": 7}, "asks"),
    ("player_name", {"type": "string", "bytes": [65] * 16 + [0]}, "asks"),
    ("player_name", {"type": "string", "bytes": [65, 98, 0]}, "takes Ab"),
]


def case_settings_types(c):
    """Settings of the wrong type or size count as missing."""
    p = c.start()
    for name, value, check in SETTINGS_ROWS:
        p.evaluate("localStorage.clear()")
        p.evaluate(f"localStorage.setItem({name!r}, JSON.stringify({value!r}))".replace("True", "true"))
        p.reload()
        c.wait_title_screen()
        what, _, argument = check.partition(" ")
        if what == "canvas":
            width = p.evaluate("document.getElementById('canvas').width")
            if width != int(argument):
                raise Failure(f"{name} = {value}: the canvas is {width} wide, not {argument}")
            continue
        p.key("Enter")
        if what == "asks":
            p.wait_for(f"{name} = {value}: the name dialog", "document.querySelector('dialog[open] input') !== null")
            continue
        c.wait_title("Zandrek - Level 1")
        p.key("ArrowRight")
        c.wait_title(f"Zandrek: {argument} - Level=1")
        if p.evaluate(BOX_OPEN):
            raise Failure(f"{name} = {value}: a dialog asked")


def case_damaged_score_file_kept_aside(c):
    """A damaged stored score file is kept aside, stored, and a new one begun."""
    p = c.start()
    p.evaluate("FS.writeFile('/zandrek-stored/Zandrek.score', 'NOT A SCORE FILE')")
    p.evaluate("new Promise(r => FS.syncfs(false, r))", await_promise=True)
    p.reload()
    c.wait_title_screen()
    p.wait_for("both files stored", "ZandrekPage.files.syncs > 0 && "
               "ZandrekPage.files.storedNames().join(' ') === 'Zandrek.score Zandrek.score.bad'")
    kept = p.evaluate("FS.readFile('/zandrek-stored/Zandrek.score.bad', {encoding: 'utf8'})")
    fresh = p.evaluate("FS.readFile('/zandrek-stored/Zandrek.score', {encoding: 'binary'}).length")
    if kept != "NOT A SCORE FILE" or fresh < 10:
        raise Failure(f'kept aside "{kept}", the new score file {fresh} bytes')


def case_exit_menu_ends_the_game(c):
    """Game > Exit ends the game as q does."""
    p = c.start()
    c.command(MENU_EXIT)
    p.wait_for("the ended page", "!document.getElementById('ended').hidden && document.getElementById('window').hidden")


def case_release_site(c):
    """The release zip is a site that serves the game as it stands."""
    import subprocess
    import zipfile
    out = cdp.fresh_folder(os.path.join(c.run.scratch, "release"))
    subprocess.run(["bash", c.run.root + "/tools/release/make_web_release.sh", c.run.build_web, out], check=True,
                   stdout=subprocess.DEVNULL)
    version = open(os.path.join(c.run.build_web, "CMakeCache.txt")).read().split("CMAKE_PROJECT_VERSION:STATIC=")[1]
    version = version.split()[0]
    zip_path = os.path.join(out, f"zandrek-{version}-web.zip")
    with zipfile.ZipFile(zip_path) as z:
        z.extractall(os.path.join(out, "site"))
    site = cdp.Site(os.path.join(out, "site", f"zandrek-{version}-web"))
    try:
        c.run.site, saved = site, c.run.site
        p = c.start()
        shown = p.evaluate("document.getElementById('version').textContent")
        if shown != f"Zandrek {version}":
            raise Failure(f'the page shows "{shown}"')
    finally:
        c.run.site = saved
        site.close()


# Keys the game uses are kept from the browser; the ones it does not use stay
# the browser's: (key, whether the page's default is prevented).
KEY_ROWS = [
    ("ArrowDown", True), ("ArrowUp", True), (" ", True), ("Backspace", True), ("F1", True), ("/", True),
    ("?", True), ("Tab", False), ("x", False),
]


def case_keys_kept_from_the_browser(c):
    """Arrows, space, Backspace, F1, / and ? do not scroll or leave the page; Tab stays the browser's."""
    p = c.start()
    c.enter_game()
    p.evaluate("window.prevented = {}; window.addEventListener('keydown', e => { prevented[e.key] = e.defaultPrevented; })")
    for key, kept in KEY_ROWS:
        p.key(key)
        seen = p.wait_for(f"the key {key!r}", f"JSON.stringify(prevented[{key!r}])")
        if seen != ("true" if kept else "false"):
            raise Failure(f"{key!r}: the browser's default prevented is {seen}, not {kept}")
        if p.evaluate(BOX_OPEN):
            p.key("Escape")


CASES = [
    case_title_pixels, case_return_and_name_dialog, case_level1_keys_and_walks, case_reload_keeps_progress,
    case_magnification_menu, case_damaged_pack_refused, case_pack_added, case_step_sound,
    case_box_over_running_timers, case_second_box_stacks, case_answer_given_before_second_box,
    case_quit_and_start_again, case_level_50_and_help_tab,
    case_blocked_popup_is_a_failed_hand_over, case_name_cancelled_first_time, case_settings_types,
    case_damaged_score_file_kept_aside, case_exit_menu_ends_the_game, case_release_site,
    case_keys_kept_from_the_browser,
] + editor_cases.CASES + contract.CASES


class Run:
    def __init__(self, build_web, tool, screenshots):
        self.build_web = os.path.abspath(build_web)
        self.tool_path = os.path.abspath(tool)
        self.screenshots = os.path.abspath(screenshots)
        self.scratch = os.path.join(self.build_web, "test")
        os.makedirs(self.scratch, exist_ok=True)
        self.map = os.path.join(self.build_web, "Zandrek.map")
        self.root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
        self.sample_pack = os.path.join(self.root, "assets", "packs", "lantern_docks.zrp")
        self.site = cdp.Site(self.build_web)

    def tool(self, *args):
        import subprocess
        subprocess.run([self.tool_path, *args], check=True, stdout=subprocess.DEVNULL)


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    run = Run(*sys.argv[1:4])
    wanted = sys.argv[4:]
    passed = failed = skipped = 0
    for case in CASES:
        name = case.__name__[len("case_"):]
        if wanted and name not in wanted:
            continue
        c = Case(run, name)
        try:
            case(c)
            print(f"PASS {name}", flush=True)
            passed += 1
        except contract.Skipped as e:
            print(f"SKIP {name}: {e}", flush=True)
            skipped += 1
        except Exception as e:  # a case's failure, whatever raised it, is reported and the run goes on
            print(f"FAIL {name}: {e}", flush=True)
            if not isinstance(e, Failure):
                traceback.print_exc()
            failed += 1
        finally:
            c.close()
    run.site.close()
    print(f"{passed} passed, {failed} failed, {skipped} skipped")
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
