#!/usr/bin/env python3
"""A stand-in printer for benchmarks: count_sink.py PORT DIR [BYTES_PER_SECOND]

Listens on 127.0.0.1:PORT (only) and takes connections one at a time,
reading everything and keeping none of it. Appends a line to DIR/jobs at
the end of each printer job (the closing PJL job the family's streams end
with) and to DIR/closes when a connection ends, so that a client can wait
for the last byte. With BYTES_PER_SECOND it reads no faster than that, as
a printer's network link would. Prints its process id once it listens;
SIGTERM ends it.
"""
import os
import signal
import socket
import sys
import time

JOB_END = b"\x1b%-12345X@PJL JOB\n@PJL QPORTROTATE\n@PJL EOJ\n\x1b%-12345X"
CHUNK = 1 << 16


def note(path):
    """Appends one line to path, at once."""
    with open(path, "a") as f:
        f.write("x\n")


def serve(connection, folder, rate):
    """Reads one connection to its end, noting each job's end."""
    tail = b""
    start = time.monotonic()
    received = 0
    while True:
        data = connection.recv(CHUNK)
        if not data:
            break
        received += len(data)
        window = tail + data
        for _ in range(window.count(JOB_END)):
            note(os.path.join(folder, "jobs"))
        tail = window[-(len(JOB_END) - 1):]
        if rate:
            ahead = received / rate - (time.monotonic() - start)
            if ahead > 0:
                time.sleep(ahead)
    connection.close()
    note(os.path.join(folder, "closes"))


def main():
    if len(sys.argv) not in (3, 4):
        print(__doc__, file=sys.stderr)
        return 2
    port, folder = int(sys.argv[1]), sys.argv[2]
    rate = float(sys.argv[3]) if len(sys.argv) == 4 else 0
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", port))
    listener.listen(8)
    print(os.getpid(), flush=True)
    while True:
        connection, _ = listener.accept()
        serve(connection, folder, rate)


if __name__ == "__main__":
    sys.exit(main())
