#!/usr/bin/python3
"""Figures of the browser edition in headless Chromium (figures, not
assertions): page load to the title screen on the canvas, the time of a full
repaint at magnification 4 (the game's drawing and the canvas update), and
the sizes of the .wasm, the preloaded data and the scripts.

usage: /usr/bin/python3 bench/web/web_bench.py [BUILD_WEB] [ROUNDS]"""
import os
import statistics
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "web"))
import cdp  # noqa: E402

MENU_MAGNIFY_4 = 1224
KIND_PAINT = 11
KIND_COMMAND = 12
REPAINTS = 200


def load_times(site, profile_root, rounds):
    times = []
    for n in range(rounds):
        browser = cdp.Browser(cdp.fresh_folder(os.path.join(profile_root, f"profile-bench-{n}")))
        page = browser.page()
        page.goto(site.url)
        page.wait_for("the title painted", "typeof ZandrekPage !== 'undefined' && ZandrekPage.titlePaintedAt > 0")
        times.append(page.evaluate("ZandrekPage.titlePaintedAt"))
        if n == rounds - 1:
            return times, browser, page
        page.close()
        browser.close()


def repaint_time(page):
    page.evaluate(f"ZandrekPage.post({KIND_COMMAND}, {MENU_MAGNIFY_4})")
    page.wait_for("magnification 4", "document.getElementById('canvas').width === 1280")
    return page.evaluate(f"""(async () => {{
        const times = [];
        for (let i = 0; i < {REPAINTS}; ++i) {{
            const flushed = new Promise(r => {{ ZandrekPage.flushWaiter = r; }});
            const start = performance.now();
            ZandrekPage.post({KIND_PAINT});
            await flushed;
            times.push(performance.now() - start);
        }}
        return times;
    }})()""", await_promise=True)


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build-web")
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    scratch = os.path.join(build, "test")
    os.makedirs(scratch, exist_ok=True)
    site = cdp.Site(build)
    times, browser, page = load_times(site, scratch, rounds)
    frames = repaint_time(page)
    page.close()
    browser.close()
    site.close()
    print(f"page load to title painted: median {statistics.median(times):.0f} ms "
          f"(min {min(times):.0f}, max {max(times):.0f}, {rounds} fresh profiles)")
    print(f"full repaint at magnification 4 (1280 x 768): median {statistics.median(frames):.2f} ms, "
          f"90th percentile {sorted(frames)[int(len(frames) * 0.9)]:.2f} ms ({REPAINTS} repaints)")
    for name in ("zandrek.wasm", "zandrek.data", "zandrek.js", "zandrek_page.js"):
        print(f"{name}: {os.path.getsize(os.path.join(build, name))} bytes")


main()
