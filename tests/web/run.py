"""The browser edition's cases (the game's, the pack editor's, then the platform contract's), each in a fresh
headless Chromium profile (inside build-web/test/), against the built site served on 127.0.0.1.

usage: run.py BUILD_WEB TOOL SCREENSHOTS [CASE...]"""
import os
import subprocess
import sys
import traceback
import zipfile

import cdp
import contract
import editor_cases
from cdp import NOTICE, Failure, expect

MENU_LEVEL_SOLUTIONS = 139
MENU_EXIT = 103
MODE_SOLVED = 2
TILE_W, TILE_H = 16, 12
LEVEL1_BANK = (11, 8)  # column, row; the player starts three cells to its left
BOX_OPEN = "document.querySelectorAll('dialog[open]').length"
NAME_FIELD = "document.querySelector('dialog[open] input')"
STORED = "ZandrekPage.files.syncs > 0 && ZandrekPage.files.pending === 0"
TITLE_SCREEN = ("typeof ZandrekPage !== 'undefined' && ZandrekPage.flushes > 0 && "
                "document.title.startsWith('Greetings')")


class Case:
    def __init__(self, run, name):
        self.run, self.name, self.browser, self.starts = run, name, None, 0

    # Each start has a profile of its own: a closed browser's helpers may still be writing into the last one.
    def start(self, path="", ready=TITLE_SCREEN, limit=cdp.WAIT_LIMIT, site=None):
        self.starts += 1
        self.browser = cdp.Browser(os.path.join(self.run.scratch, f"profile-{self.name}-{self.starts}"))
        self.page = self.browser.page()
        self.page.call("Page.navigate", url=(site or self.run.site).url + path)
        self.page.wait_for(f"{path or 'the title screen'} ready", ready, limit)
        return self.page

    def reload(self):
        self.page.call("Page.reload", ignoreCache=True)
        self.page.wait_for("the title screen", TITLE_SCREEN)

    def wait_title(self, text, anywhere=False):
        test = f"indexOf({text!r}) >= 0" if anywhere else f"startsWith({text!r})"
        self.page.wait_for(f'"{text}" in the title', f"document.title.{test}")

    def open_name_dialog(self):
        self.page.key("Enter")
        self.page.wait_for("the name dialog", f"{NAME_FIELD} !== null")

    def start_game(self, name=None):
        self.start()
        return self.enter_game(name)

    def enter_game(self, name=None):
        self.open_name_dialog()
        if name:
            self.page.call("Input.insertText", text=name)
        self.page.key("Enter")
        self.wait_title("Zandrek - Level 1")
        self.page.wait_for("the dialog gone", f"{BOX_OPEN} === 0")
        return self.page

    def step_right(self, moves=1):
        """A step on level 1, the title then counting `moves`; the first starts the level's clock in the title."""
        self.page.key("ArrowRight")
        self.wait_title(f"Moves={moves}", anywhere=True)

    def command(self, item_id):
        """Chooses a menu item as a player does: its menu opened, then the item."""
        p, item = self.page, f"document.querySelector('#menubar .item[data-id=\"{item_id}\"]')"
        top = p.evaluate(f"Array.from(document.querySelectorAll('#menubar > .title')).findIndex(t => t.contains({item}))")
        p.evaluate(f"document.querySelectorAll('#menubar > .title > button')[{top}].click()")
        p.wait_for("the menu open", f"document.querySelectorAll('#menubar > .title')[{top}].classList.contains('open')")
        if "greyed" in p.evaluate(f"{item}.className"):
            raise Failure(f"menu item {item_id} is greyed")
        p.evaluate(f"{item}.click()")

    def answer_box(self, label, first=""):
        """Clicks the open box's button `label`, in the same turn of the page as the script `first`."""
        self.page.evaluate(f"{first}Array.from(document.querySelector('dialog[open]').querySelectorAll('button'))"
                           f".find(b => b.textContent === {label!r}).click()")

    def open_solutions_box(self):
        self.command(MENU_LEVEL_SOLUTIONS)
        self.page.wait_for("the solutions box", f"{BOX_OPEN} === 1 && document.querySelector('dialog[open] .caption')"
                           ".textContent === 'Zandrek Level Solutions'")

    def clock_advances(self):
        """Waits until the level clock in the title, rewritten by the game's own timer (every 5 s), moves on."""
        shown = self.page.evaluate("document.title.split('Time=')[1]")
        self.page.wait_for("the level clock moving on", f"document.title.split('Time=')[1] !== {shown!r}", limit=12)

    def shot(self, name):
        os.makedirs(self.run.screenshots, exist_ok=True)
        self.page.screenshot(os.path.join(self.run.screenshots, f"web-{name}.png"))

    def close(self):
        if self.browser:
            self.browser.close()
        self.browser = None


def case_title_canvas_equals_the_tools_render(c):
    p = c.start()
    p.wait_for("the banner", "!document.getElementById('banner').hidden")
    expected = os.path.join(c.run.scratch, "title.png")
    c.run.tool("render", c.run.map, "-1", "-o", expected, "--magnify", "2")
    w, h, want = cdp.read_png_rgba(expected)
    cw, ch, got = p.canvas_rgba()
    expect("the canvas's size", (cw, ch), (w, h))
    wrong = [i // 4 for i in range(0, len(want), 4) if want[i:i + 3] != got[i:i + 3]]
    if wrong:
        raise Failure(f"{len(wrong)} pixels differ, the first at {wrong[0] % w}, {wrong[0] // w}")
    c.shot("title")


# The first run's name dialog offers "Zandrek": (what is typed, the key that
# answers, the player's name then, the name stored).
NAME_ROWS = [("Abcdefghijklmnopqrst", "Enter", "Abcdefghijklmn", ("string", b"Abcdefghijklmn")),
             ("", "Escape", "Zandrek", None)]


def case_first_name_dialog_names_the_player(c):
    for typed, key, name, stored in NAME_ROWS:
        p = c.start()
        c.open_name_dialog()
        expect("the name offered", p.evaluate(f"{NAME_FIELD}.value"), "Zandrek")
        if typed:
            p.call("Input.insertText", text=typed)
        p.key(key)
        c.wait_title("Zandrek - Level 1")
        c.step_right()
        c.wait_title(f"Zandrek: {name} - Level=1")
        value = p.evaluate("JSON.parse(localStorage.getItem('player_name'))")
        expect(f"{key}: the stored name", value and (value["type"], bytes(value["bytes"]).split(b"\0")[0]), stored)
        c.close()


def case_left_button_held_on_the_bank_solves_level_1(c):
    p = c.start_game("Tester")
    left, top, scale = p.evaluate("(() => { const c = document.getElementById('canvas'), r = c.getBoundingClientRect();"
                                  " return [r.left, r.top, c.width / 320]; })()")
    x = left + (LEVEL1_BANK[0] * TILE_W + TILE_W // 2) * scale
    y = top + (LEVEL1_BANK[1] * TILE_H + TILE_H // 2) * scale
    p.mouse("mouseMoved", x, y, "none")
    p.mouse("mousePressed", x, y)
    p.wait_for("level 1 solved by walking", f"ZandrekPage.gameMode === {MODE_SOLVED}")
    p.mouse("mouseReleased", x, y)


def case_reload_goes_on_at_the_level_reached(c):
    p = c.start_game("Tester")
    c.shot("level-1")
    for _ in range(3):
        p.key("ArrowRight")
    p.wait_for("level 1 solved", f"ZandrekPage.gameMode === {MODE_SOLVED}")
    p.key(" ")
    c.wait_title("Zandrek - Level 2")
    p.wait_for("the score file stored", STORED)
    c.reload()
    p.key("Enter")
    c.wait_title("Zandrek - Level 2")


def case_damaged_pack_dropped_is_refused_unstored(c):
    p = c.start_game("Tester")
    p.wait_for("the score file stored", STORED)
    before = p.evaluate("ZandrekPage.files.storedNames()")
    p.drop_file("broken.zrp", "Zandrek Pack\nName: Broken\n\nLevel:\nName: Half\nLayout:\n#@\n")
    p.wait_for("the refusal", f"{NOTICE}.dataset.kind === 'refused'")
    said = p.evaluate(f"{NOTICE}.textContent")
    if "broken.zrp" not in said or "line" not in said:
        raise Failure(f'the page says "{said}"')
    expect("the stored files, the score file among them", (p.evaluate("ZandrekPage.files.storedNames()"),
                                                          "Zandrek.score" in before), (before, True))
    c.step_right()


def case_picked_pack_is_in_the_level_menu_after_reload(c):
    p = c.start()
    pack = open(c.run.sample_pack, encoding="latin-1").read().replace("Name: Lantern Docks", "Name: Added Docks", 1)
    path = os.path.join(c.run.scratch, "added_docks.zrp")
    with open(path, "w", encoding="latin-1") as f:
        f.write(pack)
    p.choose_file(path)
    p.wait_for("the pack added", f"{NOTICE}.dataset.kind === 'added'")
    c.reload()
    c.enter_game()
    first = p.evaluate("Number(Array.from(document.querySelectorAll('#menubar .item.has-popup'))"
                       ".find(i => i.textContent.indexOf('Added Docks') >= 0).querySelector('.item').dataset.id)")
    c.command(first)
    c.wait_title("Level 1", anywhere=True)
    c.shot("pack-level")


def case_step_plays_the_step_sample(c):
    wav = os.path.join(c.run.scratch, "step.wav")
    c.run.tool("sound", c.run.map, "0", "-o", wav)
    p = c.start_game()
    c.step_right()
    p.wait_for("a sound", "ZandrekPage.audio.played > 0")
    data = open(wav, "rb").read()
    expect("the step sample's bits a sample", int.from_bytes(data[34:36], "little"), 8)
    at = data.index(b"data")
    want = list(data[at + 8:at + 8 + int.from_bytes(data[at + 4:at + 8], "little")])
    got = [round(s * 128 + 128) for s in p.evaluate("Array.from(ZandrekPage.audio.lastSamples)")]
    expect("the buffer's samples equal the step sample's", got == want, True)
    expect("the audio context", p.evaluate("ZandrekPage.audio.context && ZandrekPage.audio.context.state"), "running")


def case_keys_under_an_open_box_never_reach_the_game(c):
    p = c.start_game()
    c.step_right()
    c.open_solutions_box()
    c.clock_advances()
    p.key("ArrowRight")
    c.shot("box")
    c.clock_advances()
    c.answer_box("No")
    p.wait_for("the box gone", f"{BOX_OPEN} === 0")
    expect("a key reached the game under the box", "Moves=1 " in p.evaluate("document.title"), True)
    c.step_right(moves=2)


def case_second_box_is_answered_before_the_one_below(c):
    p = c.start_game()
    c.step_right()
    c.open_solutions_box()
    p.evaluate("ZandrekPage.testBox()")
    p.wait_for("the second box", f"{BOX_OPEN} === 2")
    c.answer_box("No")
    c.clock_advances()
    expect("boxes open after the one below was answered", p.evaluate(BOX_OPEN), 2)
    p.key("Enter")  # the second box's OK has the focus
    p.wait_for("the second box gone", f"{BOX_OPEN} === 1")
    c.answer_box("No")
    p.wait_for("both boxes gone", f"{BOX_OPEN} === 0 && ZandrekPage.dialogs.stack.length === 0")
    c.step_right(moves=2)


def case_answer_just_before_a_second_box_is_kept(c):
    p = c.start_game()
    c.open_solutions_box()
    c.answer_box("No", first="ZandrekPage.testBox(); ")  # the second box's message queued before the answer
    p.wait_for("the second box", f"{BOX_OPEN} === 2")
    p.key("Enter")
    p.wait_for("both boxes gone", f"{BOX_OPEN} === 0")
    c.step_right()


def case_ended_page_starts_the_game_again(c):
    for end in ("q", MENU_EXIT):
        p = c.start_game()
        p.key(end) if end == "q" else c.command(end)
        p.wait_for(f"the ended page after {end}",
                   "!document.getElementById('ended').hidden && document.getElementById('window').hidden")
        p.evaluate("document.getElementById('again').click()")
        p.wait_for("the title screen again", TITLE_SCREEN)
        c.close()


def case_release_zip_serves_the_built_version(c):
    out = cdp.fresh_folder(os.path.join(c.run.scratch, "release"))
    subprocess.run(["bash", c.run.root + "/tools/release/make_web_release.sh", c.run.build_web, out], check=True,
                   stdout=subprocess.DEVNULL)
    cache = open(os.path.join(c.run.build_web, "CMakeCache.txt")).read()
    version = cache.split("CMAKE_PROJECT_VERSION:STATIC=")[1].split()[0]
    with zipfile.ZipFile(os.path.join(out, f"zandrek-{version}-web.zip")) as z:
        z.extractall(os.path.join(out, "site"))
    site = cdp.Site(os.path.join(out, "site", f"zandrek-{version}-web"))
    try:
        expect("the version shown", c.start(site=site).evaluate("document.getElementById('version').textContent"),
               f"Zandrek {version}")
    finally:
        site.close()


# Keys the game uses are kept from the browser; the ones it does not use stay
# the browser's: (key, whether the page's default is prevented).
KEY_ROWS = [("ArrowDown", True), ("ArrowUp", True), (" ", True), ("Backspace", True), ("F1", True), ("/", True),
            ("?", True), ("Tab", False), ("x", False)]


def case_keys_kept_from_the_browser(c):
    p = c.start_game()
    p.evaluate("window.prevented = {}; window.addEventListener('keydown', e => { prevented[e.key] = e.defaultPrevented; })")
    for key, kept in KEY_ROWS:
        p.key(key)
        expect(f"{key!r}: default prevented", p.wait_for(f"the key {key!r}", f"JSON.stringify(prevented[{key!r}])"),
               "true" if kept else "false")
        if p.evaluate(BOX_OPEN):
            p.key("Escape")


# The cases in the order they are written here, then the editor's and the contract's.
CASES = [f for name, f in list(globals().items()) if name.startswith("case_")] + editor_cases.CASES + contract.CASES


class Run:
    def __init__(self, build_web, tool, screenshots):
        self.build_web, self.tool_path = os.path.abspath(build_web), os.path.abspath(tool)
        self.screenshots = os.path.abspath(screenshots)
        self.scratch = os.path.join(self.build_web, "test")
        os.makedirs(self.scratch, exist_ok=True)
        self.map = os.path.join(self.build_web, "Zandrek.map")
        self.root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
        self.sample_pack = os.path.join(self.root, "assets", "packs", "lantern_docks.zrp")
        self.site = cdp.Site(self.build_web)

    def tool(self, *args, check=True):
        """zandrek-tool's exit status, output lines and errors; one exiting other than 0 fails if `check`."""
        done = subprocess.run([self.tool_path, *args], capture_output=True, text=True, encoding="latin-1")
        if check and done.returncode:
            raise Failure(f"zandrek-tool {' '.join(args)} exited {done.returncode}: {done.stderr}")
        return done.returncode, done.stdout.splitlines(), done.stderr


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    run, wanted = Run(*sys.argv[1:4]), sys.argv[4:]
    counts = {"PASS": 0, "FAIL": 0, "SKIP": 0}
    for case in CASES:
        name = case.__name__[len("case_"):]
        if wanted and name not in wanted:
            continue
        c, outcome, why = Case(run, name), "PASS", ""
        try:
            case(c)
        except contract.Skipped as e:
            outcome, why = "SKIP", f": {e}"
        except Exception as e:  # a case's failure, whatever raised it, is reported and the run goes on
            outcome, why = "FAIL", f": {e}"
            if not isinstance(e, Failure):
                traceback.print_exc()
        finally:
            c.close()
        counts[outcome] += 1
        print(f"{outcome} {name}{why}", flush=True)
    run.site.close()
    print(f"{counts['PASS']} passed, {counts['FAIL']} failed, {counts['SKIP']} skipped")
    sys.exit(1 if counts["FAIL"] else 0)


if __name__ == "__main__":
    main()
