#!/usr/bin/python3
"""A recording SMTP server: accepts every mail and keeps every byte.

Each connection's whole transcript (what the client sent, byte for byte) goes
to DIR/session-N.txt, and each message's data to DIR/mail-N.eml. With --print
every message is also printed as it arrives.
"""
import argparse
import os
import socketserver
import sys
import threading


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=25)
    parser.add_argument("--dir", required=True)
    parser.add_argument("--print", action="store_true")
    args = parser.parse_args()
    os.makedirs(args.dir, exist_ok=True)
    counter = {"session": 0, "mail": 0}
    lock = threading.Lock()

    def next_number(kind):
        with lock:
            counter[kind] += 1
            return counter[kind]

    def publish(kind, data):
        # Written under a temporary name and renamed, so a reader never sees
        # half a file.
        number = next_number(kind)
        suffix = "txt" if kind == "session" else "eml"
        path = os.path.join(args.dir, f"{kind}-{number}.{suffix}")
        with open(path + ".part", "wb") as f:
            f.write(data)
        os.rename(path + ".part", path)
        return number

    class Handler(socketserver.StreamRequestHandler):
        def handle(self):
            transcript = bytearray()
            try:
                self.converse(transcript)
            except ConnectionError:
                pass  # the client went away; what it sent is kept all the same
            if transcript:  # a bare connect, such as a probe for the port, is no session
                publish("session", bytes(transcript))

        def converse(self, transcript):
            self.wfile.write(b"220 recorder ready\r\n")
            while True:
                line = self.rfile.readline(4096)
                if not line:
                    break
                transcript += line
                command = line.strip().upper()
                if command == b"DATA":
                    self.wfile.write(b"354 go ahead\r\n")
                    data = bytearray()
                    while True:
                        part = self.rfile.readline(4096)
                        if not part:
                            break
                        transcript += part
                        if part == b".\r\n":
                            break
                        data += part
                    number = publish("mail", bytes(data))
                    if args.print:
                        print(f"--- report {number} ---", flush=True)
                        sys.stdout.write(data.decode("utf-8", "replace").replace("\r\n", "\n"))
                        sys.stdout.flush()
                    self.wfile.write(b"250 queued\r\n")
                elif command == b"QUIT":
                    self.wfile.write(b"221 bye\r\n")
                    break
                else:
                    self.wfile.write(b"250 ok\r\n")

    socketserver.ThreadingTCPServer.allow_reuse_address = True
    server = socketserver.ThreadingTCPServer(("127.0.0.1", args.port), Handler)
    print(f"smtp: listening on 127.0.0.1:{args.port}", file=sys.stderr, flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
