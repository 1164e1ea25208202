#!/usr/bin/env python3
"""A stand-in printer for tests: sink.py PORT OUTDIR

Listens on 127.0.0.1:PORT (only), takes connections one at a time, and
splits what it receives into jobs, each job starting at the UEL of its
banner. Job N goes to OUTDIR/job-N.prn once the next job starts, or once a
connection closes after a job that ends with the closing PJL job; a job
still open then may go on over the next connection. Prints its process id
once it listens; SIGTERM writes what it holds and ends it.
"""
import os
import signal
import socket
import sys

JOB_START = b"\x1b%-12345X@PJL COMMENT Quorlan PDF PrintPath Filter"
JOB_END = b"\x1b%-12345X\x1b%-12345X@PJL JOB\n@PJL QPORTROTATE\n@PJL EOJ\n\x1b%-12345X"


# Set by SIGTERM; the loops look at it between reads, so that a job is never
# cut in the middle of being split or written.
stopping = False


def stop(signum, frame):
    global stopping
    stopping = True


class Splitter:
    def __init__(self, outdir):
        self.outdir = outdir
        self.count = 0
        self.job = bytearray()

    def write(self):
        """Writes the job held so far, whole: a reader never sees part of it."""
        if not self.job:
            return
        self.count += 1
        path = os.path.join(self.outdir, "job-%d.prn" % self.count)
        with open(path + ".tmp", "wb") as out:
            out.write(self.job)
        os.replace(path + ".tmp", path)
        self.job = bytearray()

    def add(self, data):
        # A banner can arrive split over two reads: the search starts far
        # enough back to see it whole, and after the current job's own start.
        searched = max(1, len(self.job) - len(JOB_START) + 1)
        self.job += data
        while (start := self.job.find(JOB_START, searched)) != -1:
            rest = self.job[start:]
            self.job = self.job[:start]
            self.write()
            self.job = rest
            searched = 1

    def connection_closed(self):
        if self.job.endswith(JOB_END):
            self.write()


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: sink.py PORT OUTDIR")
    port, outdir = int(sys.argv[1]), sys.argv[2]
    signal.signal(signal.SIGTERM, stop)
    splitter = Splitter(outdir)
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", port))
    server.listen(4)
    print(os.getpid(), flush=True)
    # Short waits: the loops see a SIGTERM within a fifth of a second.
    server.settimeout(0.2)
    connections = 0
    while not stopping:
        try:
            connection, _ = server.accept()
        except TimeoutError:
            continue
        connections += 1
        received = 0
        with connection:
            connection.settimeout(0.2)
            while not stopping:
                try:
                    data = connection.recv(65536)
                except TimeoutError:
                    continue
                if not data:
                    break
                received += len(data)
                splitter.add(data)
        splitter.connection_closed()
        print("sink: connection %d: %d bytes; %d job(s) written, %d bytes held"
              % (connections, received, splitter.count, len(splitter.job)), file=sys.stderr, flush=True)
    splitter.write()
    server.close()


if __name__ == "__main__":
    main()
