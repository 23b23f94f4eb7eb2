#!/usr/bin/python3
"""A simulated router: serves a status page behind Basic authentication.

The page shows the address held in --address-file (read at every request, so a
test changes the router's address by rewriting the file), or, with --rotate N,
one of --addresses, changing every N seconds. With --delay S it answers every
request S seconds late, as a slow router does.
"""
import argparse
import base64
import http.server
import sys
import time

PAGE = ("<html><head><title>Status</title></head><body><table>\n"
        "<tr><td>ADSL IP:{address}</td>"
        "<td>Line rate (Up {up} / Down {down})</td></tr>\n"
        "</table></body></html>\n")
STATUS_PATH = "/cgi-bin/main.cgi?cc_webname=STATUS"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=80)
    parser.add_argument("--user", default="user")
    parser.add_argument("--password", default="vorp")
    parser.add_argument("--address-file")
    parser.add_argument("--addresses", default="203.0.113.45")
    parser.add_argument("--rotate", type=float, default=0)
    parser.add_argument("--up", default="1024kbps")
    parser.add_argument("--down", default="8064kbps")
    parser.add_argument("--delay", type=float, default=0)
    args = parser.parse_args()
    expected = "Basic " + base64.b64encode(f"{args.user}:{args.password}".encode()).decode()
    addresses = args.addresses.split(",")
    started = time.monotonic()

    def current_address():
        if args.address_file:
            with open(args.address_file) as f:
                return f.read().strip()
        if args.rotate > 0:
            return addresses[int((time.monotonic() - started) / args.rotate) % len(addresses)]
        return addresses[0]

    class Handler(http.server.BaseHTTPRequestHandler):
        # Head and body leave in one piece, as a web server sends a small page.
        wbufsize = -1

        def do_GET(self):
            time.sleep(args.delay)
            if self.headers.get("Authorization") != expected:
                self.reply(401, "<html><body>401 Unauthorized</body></html>\n",
                           {"WWW-Authenticate": 'Basic realm="router"'})
            elif self.path != STATUS_PATH:
                self.reply(404, "<html><body>404 Not Found</body></html>\n")
            else:
                self.reply(200, PAGE.format(address=current_address(), up=args.up,
                                            down=args.down))

        def reply(self, status, body, headers=None):
            data = body.encode()
            self.send_response(status)
            for name, value in (headers or {}).items():
                self.send_header(name, value)
            self.send_header("Content-Type", "text/html")
            self.send_header("Content-Length", str(len(data)))
            self.end_headers()
            self.wfile.write(data)

        def log_message(self, *unused):
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    print(f"router: listening on 127.0.0.1:{args.port}", file=sys.stderr, flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
