"""Serves a folder over HTTP on 127.0.0.1 for the browser build: the site as it would be on any
static host, with WebAssembly's own type, which browsers need to compile it while it loads.

    python3 web/serve.py DIR [PORT]

Takes PORT (default 8000), or any free port if that one is taken, and prints the address as its
first line once it accepts connections.
"""

import functools
import http.server
import sys


class SiteHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {
        **http.server.SimpleHTTPRequestHandler.extensions_map,
        ".wasm": "application/wasm",
        ".js": "text/javascript",
    }

    def log_message(self, format, *args):
        pass


def main():
    folder = sys.argv[1]
    port = int(sys.argv[2]) if len(sys.argv) > 2 else 8000
    handler = functools.partial(SiteHandler, directory=folder)
    try:
        server = http.server.ThreadingHTTPServer(("127.0.0.1", port), handler)
    except OSError:
        server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    print("http://127.0.0.1:%d/" % server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
