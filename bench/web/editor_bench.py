#!/usr/bin/python3
"""Figures of the pack editor in headless Chromium (figures, not assertions):
for each of the fifty built-in levels, the time from choosing it in the
editor to its verdict, and the solver's positions per second in the page's
worker (WebAssembly) against the native tool's on the same levels, as one
ratio of totals measured in the same run.

usage: /usr/bin/python3 bench/web/editor_bench.py [BUILD_WEB] [TOOL]"""
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "web"))
import cdp  # noqa: E402

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
BUILTIN = os.path.join(ROOT, "assets", "levels", "builtin.zrp")
LEVELS = 50
SECONDS = 30  # the page's own bound of one search


def native(tool, number):
    done = subprocess.run([tool, "solve", BUILTIN, str(number), "--quiet", "--time-limit", str(SECONDS)],
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    m = re.search(r"expanded (\d+), generated \d+, stored \d+, ([\d.]+) s", done.stderr)
    return (int(m.group(1)), float(m.group(2))) if m else (0, 0.0)


def in_page(page, number):
    before = page.evaluate("EditorPage.verdict.generation")
    page.evaluate(f"document.querySelectorAll('#levels li')[{number - 1}].click()")
    page.wait_for(f"level {number} chosen", f"EditorPage.verdict.generation > {before}")
    page.wait_for(f"level {number}'s verdict", "EditorPage.verdict.last && "
                  "EditorPage.verdict.last.generation === EditorPage.verdict.generation", limit=SECONDS + 30)
    return page.evaluate("EditorPage.verdict.last")


def main():
    build_web = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build-web"))
    tool = os.path.abspath(sys.argv[2] if len(sys.argv) > 2 else os.path.join(ROOT, "build", "zandrek-tool"))
    site = cdp.Site(build_web)
    browser = cdp.Browser(cdp.fresh_folder(os.path.join(build_web, "test", "profile-editor-bench")))
    try:
        page = browser.page()
        page.goto(site.url + "editor.html")
        page.wait_for("the editor", "typeof EditorPage !== 'undefined' && EditorPage.ready")
        picker = page.call("Runtime.evaluate", expression="document.getElementById('pack-picker')")
        page.call("DOM.setFileInputFiles", files=[BUILTIN], objectId=picker["result"]["objectId"])
        page.wait_for("the built-in levels", f"EditorPage.state().pack.levels.length === {LEVELS}")
        in_page(page, 2)  # so that choosing level 1 is a change too
        print("level  verdict                                   to verdict ms  search ms  positions/s wasm  native")
        wasm_expanded = wasm_seconds = native_expanded = native_seconds = 0.0
        slowest = 0.0
        for n in range(1, LEVELS + 1):
            v = in_page(page, n)
            expanded, seconds = native(tool, n)
            wasm_rate = v["expanded"] / (v["ms"] / 1000) if v["ms"] > 0 else 0
            native_rate = expanded / seconds if seconds > 0 else 0
            print(f"{n:5}  {v['text'][:40]:40}  {v['fromChange']:13.0f}  {v['ms']:9.0f}  {wasm_rate:16.0f}  "
                  f"{native_rate:6.0f}")
            slowest = max(slowest, v["fromChange"])
            # Levels solved in a blink say little about a rate: only searches of 50 ms or more count.
            if v["ms"] >= 50 and seconds >= 0.05:
                wasm_expanded += v["expanded"]
                wasm_seconds += v["ms"] / 1000
                native_expanded += expanded
                native_seconds += seconds
        if wasm_seconds and native_seconds:
            wasm_rate, native_rate = wasm_expanded / wasm_seconds, native_expanded / native_seconds
            print(f"positions/s (levels searched 50 ms or more): wasm {wasm_rate:.0f}, native {native_rate:.0f}, "
                  f"native/wasm {native_rate / wasm_rate:.2f}")
        print(f"slowest time to a verdict: {slowest / 1000:.2f} s")
    finally:
        browser.close()
        site.close()


if __name__ == "__main__":
    main()
