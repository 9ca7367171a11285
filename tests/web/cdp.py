"""A small DevTools-protocol driver for the browser tests: starts headless
Chromium with a profile inside the build folder, serves the built site on a
port of its own, and talks to a page over its websocket."""
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
import zlib

import websocket

CHROMIUM = os.environ.get("ZANDREK_CHROMIUM", "/usr/bin/chromium")
CHROMIUM_FLAGS = [
    "--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-background-networking",
    "--disable-component-update", "--disable-sync", "--remote-allow-origins=*", "--mute-audio",
    "--autoplay-policy=no-user-gesture-required", "--window-size=1400,1000", "--remote-debugging-port=0",
]
WAIT_LIMIT = 20.0  # seconds any one condition may take before the case fails
POLL = 0.02


class Failure(Exception):
    pass


def wait_until(what, condition, limit=WAIT_LIMIT):
    """Polls `condition` until it gives a true value, which is returned."""
    end = time.monotonic() + limit
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > end:
            raise Failure(f"timed out waiting for {what}")
        time.sleep(POLL)


class Site:
    """The built site, served on 127.0.0.1 on a free port."""

    def __init__(self, folder):
        handler = functools.partial(QuietHandler, directory=folder)
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.url = f"http://127.0.0.1:{self.server.server_address[1]}/"
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self.thread.start()

    def close(self):
        self.server.shutdown()
        self.server.server_close()


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map, ".wasm": "application/wasm",
                      ".js": "text/javascript"}

    def log_message(self, *args):
        pass


class Browser:
    def __init__(self, profile):
        self.profile = profile
        os.makedirs(profile, exist_ok=True)
        port_file = os.path.join(profile, "DevToolsActivePort")
        if os.path.exists(port_file):
            os.remove(port_file)
        self.log = open(os.path.join(profile, "..", os.path.basename(profile) + ".log"), "w")
        self.process = subprocess.Popen([CHROMIUM, *CHROMIUM_FLAGS, f"--user-data-dir={profile}", "about:blank"],
                                        stdout=self.log, stderr=subprocess.STDOUT)
        text = wait_until("Chromium's debugging port", lambda: os.path.exists(port_file) and open(port_file).read())
        self.port = int(text.split()[0])

    def targets(self):
        with urllib.request.urlopen(f"http://127.0.0.1:{self.port}/json/list") as r:
            return [t for t in json.load(r) if t["type"] == "page"]

    def page(self):
        return Page(self.targets()[0]["webSocketDebuggerUrl"])

    def close(self):
        self.process.terminate()
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        self.log.close()


class Page:
    def __init__(self, ws_url):
        self.ws = websocket.create_connection(ws_url, timeout=WAIT_LIMIT, suppress_origin=True)
        self.next_id = 0
        self.events = []
        self.call("Page.enable")
        self.call("Runtime.enable")

    def call(self, method, **params):
        self.next_id += 1
        mine = self.next_id
        self.ws.send(json.dumps({"id": mine, "method": method, "params": params}))
        while True:
            message = json.loads(self.ws.recv())
            if message.get("id") == mine:
                if "error" in message:
                    raise Failure(f"{method}: {message['error']}")
                return message.get("result", {})
            self.events.append(message)

    def evaluate(self, expression, await_promise=False):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=await_promise,
                           userGesture=True)
        if "exceptionDetails" in result:
            raise Failure(f"{expression}: {result['exceptionDetails'].get('exception', {}).get('description')}")
        return result["result"].get("value")

    def wait_for(self, what, expression, limit=WAIT_LIMIT):
        return wait_until(what, lambda: self.evaluate(expression), limit)

    def goto(self, url):
        self.call("Page.navigate", url=url)

    def reload(self):
        self.call("Page.reload", ignoreCache=True)

    # A key as the keyboard gives it: down with its text, then up.
    KEYS = {
        "Enter": (13, "\r"), "Escape": (27, ""), "ArrowUp": (38, ""), "ArrowDown": (40, ""),
        "ArrowLeft": (37, ""), "ArrowRight": (39, ""), "Backspace": (8, ""), "Tab": (9, ""), "F1": (112, ""),
    }

    def key(self, key):
        if key in self.KEYS:
            code, text = self.KEYS[key]
        else:
            code, text = ord(key.upper()) if key.isalpha() else ord(key), key
        common = {"key": key, "windowsVirtualKeyCode": code, "nativeVirtualKeyCode": code}
        self.call("Input.dispatchKeyEvent", type="keyDown" if text else "rawKeyDown", text=text, **common)
        self.call("Input.dispatchKeyEvent", type="keyUp", **common)

    def click(self, x, y, button="left"):
        for kind in ("mouseMoved", "mousePressed", "mouseReleased"):
            self.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button=button if kind != "mouseMoved" else "none",
                      clickCount=1)

    def screenshot(self, path):
        data = self.call("Page.captureScreenshot", format="png")["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))

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

    def close(self):
        self.ws.close()


def read_png_rgba(path):
    """(width, height, RGBA bytes) of an 8-bit RGB or RGBA PNG without interlacing."""
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise Failure(f"{path}: not a PNG")
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if depth != 8 or colour not in (2, 6) or interlace:
                raise Failure(f"{path}: only 8-bit RGB or RGBA PNGs are read here")
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    channels = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        row = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = row[i - channels] if i >= channels else 0
            b = previous[i]
            c = previous[i - channels] if i >= channels else 0
            if kind == 1:
                row[i] = (row[i] + a) & 0xFF
            elif kind == 2:
                row[i] = (row[i] + b) & 0xFF
            elif kind == 3:
                row[i] = (row[i] + (a + b) // 2) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                row[i] = (row[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
        rows.append(bytes(row))
        previous = row
    pixels = b"".join(rows)
    if channels == 4:
        return width, height, pixels
    out = bytearray(width * height * 4)
    out[0::4], out[1::4], out[2::4] = pixels[0::3], pixels[1::3], pixels[2::3]
    out[3::4] = b"\xff" * (width * height)
    return width, height, bytes(out)


def fresh_folder(path):
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    return path
