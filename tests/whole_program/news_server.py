#!/usr/bin/env python3
"""The maker's web server as the news check meets it, for the whole-program
tests: answers every request with a status and, when given, a Last-Modified
date, after an optional delay or once a trigger file exists, and writes each
request (line and headers) to a log.

usage: news_server.py PORT PORT_FILE LOG [--status S] [--date D] [--delay SECS] [--after FILE]
PORT 0 takes a free port; the port taken is written to PORT_FILE."""
import argparse
import http.server
import os
import sys
import threading
import time


def main():
    p = argparse.ArgumentParser()
    p.add_argument("port", type=int)
    p.add_argument("port_file")
    p.add_argument("log")
    p.add_argument("--status", type=int, default=200)
    p.add_argument("--date")
    p.add_argument("--delay", type=float, default=0.0)
    p.add_argument("--after", help="answer only once this file exists (then after --delay)")
    p.add_argument("--lifetime", type=float, default=300.0, help="end by itself after this many seconds")
    a = p.parse_args()
    lock = threading.Lock()

    class Handler(http.server.BaseHTTPRequestHandler):
        def answer(self):
            with lock, open(a.log, "a") as log:
                log.write("%.3f %s\n" % (time.time(), self.requestline))
                for name, value in self.headers.items():
                    log.write("  %s: %s\n" % (name, value))
            if a.after:
                while not os.path.exists(a.after):
                    time.sleep(0.02)
            time.sleep(a.delay)
            self.send_response(a.status)
            if a.date:
                self.send_header("Last-Modified", a.date)
            self.send_header("Content-Length", "0")
            self.end_headers()
            with lock, open(a.log, "a") as log:
                log.write("%.3f answered %d\n" % (time.time(), a.status))

        do_HEAD = answer
        do_GET = answer

        def log_message(self, *args):
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", a.port), Handler)
    server.daemon_threads = True
    with open(a.port_file + ".tmp", "w") as f:
        f.write("%d\n" % server.server_address[1])
    os.replace(a.port_file + ".tmp", a.port_file)
    # A test that is cut short leaves no server behind for long.
    threading.Timer(a.lifetime, os._exit, args=(0,)).start()
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
