#!/usr/bin/env python3
"""usage: news_server.py PORT PORT_FILE LOG [--date D] [--delay SECS] [--after FILE]

The maker's web server as the news check meets it: answers every request with
200 and the Last-Modified date D, once FILE exists and SECS more have passed,
logging each (line and headers). PORT 0, or one that cannot be had, takes a
free port; the port taken is written to PORT_FILE."""
import argparse
import http.server
import os
import threading
import time

p = argparse.ArgumentParser()
for name in ("port", "port_file", "log", "--date", "--after"):
    p.add_argument(name)
p.add_argument("--delay", type=float, default=0.0)
a = p.parse_args()
lock = threading.Lock()


def log(text):
    with lock, open(a.log, "a") as f:
        f.write("%.3f %s\n" % (time.time(), text))


class Handler(http.server.BaseHTTPRequestHandler):
    def do_HEAD(self):
        log(self.requestline + "".join("\n  %s: %s" % h for h in self.headers.items()))
        while a.after and not os.path.exists(a.after):
            time.sleep(0.02)
        time.sleep(a.delay)
        self.send_response(200)
        if a.date:
            self.send_header("Last-Modified", a.date)
        self.send_header("Content-Length", "0")
        self.end_headers()
        log("answered")

    do_GET = do_HEAD

    def log_message(self, *args):
        pass


try:
    server = http.server.ThreadingHTTPServer(("127.0.0.1", int(a.port)), Handler)
except OSError as e:  # port 80 when it is not ours to take
    print(f"port {a.port}: {e}; a free port instead")
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
with open(a.port_file + ".tmp", "w") as f:
    f.write("%d\n" % server.server_address[1])
os.replace(a.port_file + ".tmp", a.port_file)
threading.Timer(300, os._exit, args=(0,)).start()  # a test cut short leaves no server for long
server.serve_forever()
