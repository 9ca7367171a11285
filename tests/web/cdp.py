"""A small DevTools-protocol driver for the browser tests: starts headless Chromium with a profile inside the build
folder, serves the built site on a port of its own, and talks to a page over its websocket."""
import base64
import functools
import http.server
import json
import os
import shutil
import struct
import subprocess
import threading
import time
import urllib.request

import websocket

CHROMIUM = os.environ.get("ZANDREK_CHROMIUM", "/usr/bin/chromium")
CHROMIUM_FLAGS = [
    "--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-background-networking",
    "--disable-component-update", "--disable-sync", "--remote-allow-origins=*", "--mute-audio",
    "--autoplay-policy=no-user-gesture-required", "--window-size=1400,1000", "--remote-debugging-port=0",
]
WAIT_LIMIT = 20.0  # seconds any one condition may take before the case fails


class Failure(Exception):
    pass


NOTICE = "document.getElementById('notice')"


def expect(what, got, want):
    if got != want:
        raise Failure(f"{what}: {got!r}, not {want!r}")


def wait_until(what, condition, limit=WAIT_LIMIT):
    """Polls `condition` until it gives a true value, which is returned."""
    end = time.monotonic() + limit
    while not (value := condition()):
        if time.monotonic() > end:
            raise Failure(f"timed out waiting for {what}")
        time.sleep(0.02)
    return value


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map, ".wasm": "application/wasm",
                      ".js": "text/javascript"}

    def log_message(self, *args):
        pass


class Site:
    """A folder served on 127.0.0.1 on a free port."""

    def __init__(self, folder):
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0),
                                                      functools.partial(QuietHandler, directory=folder))
        self.url = f"http://127.0.0.1:{self.server.server_address[1]}/"
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def close(self):
        self.server.shutdown()
        self.server.server_close()


class Browser:
    def __init__(self, profile):
        port_file = os.path.join(fresh_folder(profile), "DevToolsActivePort")
        self.log = open(profile + ".log", "w")
        self.process = subprocess.Popen([CHROMIUM, *CHROMIUM_FLAGS, f"--user-data-dir={profile}", "about:blank"],
                                        stdout=self.log, stderr=subprocess.STDOUT)
        text = wait_until("Chromium's debugging port", lambda: os.path.exists(port_file) and open(port_file).read())
        self.port = int(text.split()[0])

    def page(self):
        with urllib.request.urlopen(f"http://127.0.0.1:{self.port}/json/list") as r:
            return Page(next(t for t in json.load(r) if t["type"] == "page")["webSocketDebuggerUrl"])

    def close(self):
        self.process.terminate()
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        self.log.close()


class Page:
    # A key as the keyboard gives it: (key code, the text it types).
    KEYS = {"Enter": (13, "\r"), "Escape": (27, ""), "ArrowUp": (38, ""), "ArrowDown": (40, ""),
            "ArrowLeft": (37, ""), "ArrowRight": (39, ""), "Backspace": (8, ""), "Tab": (9, ""), "F1": (112, "")}

    def __init__(self, ws_url):
        self.ws = websocket.create_connection(ws_url, timeout=WAIT_LIMIT, suppress_origin=True)
        self.next_id = 0
        self.call("Page.enable")
        self.call("Runtime.enable")

    def call(self, method, **params):
        """Sends one command and returns its result; events meanwhile are dropped."""
        self.next_id += 1
        self.ws.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while (message := json.loads(self.ws.recv())).get("id") != self.next_id:
            pass
        if "error" in message:
            raise Failure(f"{method}: {message['error']}")
        return message.get("result", {})

    def evaluate(self, expression, await_promise=False):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=await_promise,
                           userGesture=True)
        if "exceptionDetails" in result:
            raise Failure(f"{expression}: {result['exceptionDetails'].get('exception', {}).get('description')}")
        return result["result"].get("value")

    # While the page navigates (a reload the page starts itself) it has no
    # context to evaluate in: a condition waited for is then not met yet.
    NAVIGATING = ("Inspected target navigated or closed", "Execution context was destroyed",
                  "Cannot find context with specified id")

    def wait_for(self, what, expression, limit=WAIT_LIMIT):
        def condition():
            try:
                return self.evaluate(expression)
            except Failure as failure:
                if any(reason in str(failure) for reason in self.NAVIGATING):
                    return None
                raise

        return wait_until(what, condition, limit)

    def key(self, key, modifiers=0):
        code, text = self.KEYS[key] if key in self.KEYS else (ord(key.upper()), key)
        text = "" if modifiers else text
        common = {"key": key, "windowsVirtualKeyCode": code, "nativeVirtualKeyCode": code, "modifiers": modifiers}
        self.call("Input.dispatchKeyEvent", type="keyDown" if text else "rawKeyDown", text=text, **common)
        self.call("Input.dispatchKeyEvent", type="keyUp", **common)

    def mouse(self, kind, x, y, button="left", buttons=0):
        self.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button=button, buttons=buttons, clickCount=1)

    def click(self, x, y, button="left"):
        self.mouse("mouseMoved", x, y, "none")
        self.mouse("mousePressed", x, y, button)
        self.mouse("mouseReleased", x, y, button)

    def choose_file(self, path):
        picker = self.call("Runtime.evaluate", expression="document.getElementById('pack-picker')")["result"]
        self.call("DOM.setFileInputFiles", files=[path], objectId=picker["objectId"])

    def drop_file(self, name, text):
        self.evaluate(f"""(() => {{
            const dt = new DataTransfer();
            dt.items.add(new File([{text!r}], {name!r}));
            document.dispatchEvent(new DragEvent('drop', {{dataTransfer: dt, bubbles: true, cancelable: true}}));
        }})()""")

    def screenshot(self, path):
        with open(path, "wb") as f:
            f.write(base64.b64decode(self.call("Page.captureScreenshot", format="png")["data"]))

    def canvas_rgba(self):
        """The canvas's pixels as (width, height, RGBA bytes)."""
        value = self.evaluate("""(() => {
            const c = document.getElementById('canvas');
            const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
            let s = '';
            for (let i = 0; i < d.length; i += 32768) s += String.fromCharCode.apply(null, d.subarray(i, i + 32768));
            return [c.width, c.height, btoa(s)];
        })()""")
        return value[0], value[1], base64.b64decode(value[2])


def read_png_rgba(path):
    """(width, height, RGBA bytes) of a PNG file: the size from its header, the pixels as ImageMagick reads them."""
    with open(path, "rb") as f:
        width, height = struct.unpack(">II", f.read(24)[16:24])
    pixels = subprocess.run(["convert", path, "-depth", "8", "rgba:-"], check=True, capture_output=True).stdout
    return width, height, pixels


def fresh_folder(path):
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    return path

