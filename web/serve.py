"""Serves a folder over HTTP for the browser build: the site as it would be on any static host,
with the types of the web app manifest and of WebAssembly.

    python3 web/serve.py DIR [PORT [ADDRESS]]

Listens on ADDRESS (default 127.0.0.1, this machine only; 0.0.0.0 for every network it is on)
and PORT (default 8000), or any free port if that one is taken, and prints the address to open as
its first line once it accepts connections.
"""

import functools
import http.server
import socket
import sys


class SiteHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {
        **http.server.SimpleHTTPRequestHandler.extensions_map,
        ".wasm": "application/wasm",
        ".webmanifest": "application/manifest+json",
        ".js": "text/javascript",
    }

    def log_message(self, format, *args):
        pass


def reachable_address():
    """This machine's address on the network its default route goes to (a UDP socket's connect
    sends nothing), or its host name where it has no route."""
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
        try:
            probe.connect(("192.0.2.1", 9))  # a documentation address, never reached
            return probe.getsockname()[0]
        except OSError:
            return socket.gethostname()


def main():
    folder = sys.argv[1]
    port = int(sys.argv[2]) if len(sys.argv) > 2 else 8000
    address = sys.argv[3] if len(sys.argv) > 3 else "127.0.0.1"
    handler = functools.partial(SiteHandler, directory=folder)
    try:
        server = http.server.ThreadingHTTPServer((address, port), handler)
    except OSError:
        server = http.server.ThreadingHTTPServer((address, 0), handler)
    shown = reachable_address() if address == "0.0.0.0" else address
    print("http://%s:%d/" % (shown, server.server_address[1]), flush=True)
    if address != "127.0.0.1":
        print("Open that address on the other devices. Over plain http:// to another machine the "
              "page runs but keeps nothing for offline use (browsers allow that only over "
              "https:// or on this machine).", flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
