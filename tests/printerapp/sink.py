#!/usr/bin/env python3
"""A stand-in printer for tests: sink.py PORT OUTDIR [--stall-after BYTES]

Listens on 127.0.0.1:PORT (only), takes connections one at a time, and
splits what it receives into jobs, each job starting at the UEL of its
banner. Job N goes to OUTDIR/job-N.prn once what came of it so far ends
with the closing PJL job, or once the next job starts; a job still open
when a connection closes may go on over the next connection. Prints its
process id once it listens; SIGTERM writes what it holds and ends it.

--stall-after BYTES makes it a printer that goes away in the middle of a
job, once: when a job has reached BYTES bytes it stops reading and says
so on standard error; SIGUSR1 then resets the connection, as a printer
switched off does, writes the job's bytes so far to their file, and lets
it accept again, while SIGUSR2 makes it read on as if nothing happened.
Its receive buffer is kept small, so that the rest of a job larger than
BYTES and the sender's socket buffer is still unsent.

--cut-after BYTES resets its first connection once that has brought BYTES
bytes, and writes what came of the job to its file.
"""
import argparse
import os
import signal
import socket
import struct
import sys
import time

JOB_START = b"\x1b%-12345X@PJL COMMENT Quorlan PDF PrintPath Filter"
JOB_END = b"\x1b%-12345X\x1b%-12345X@PJL JOB\n@PJL QPORTROTATE\n@PJL EOJ\n\x1b%-12345X"


# Set by SIGTERM; the loops look at it between reads, so that a job is never
# cut in the middle of being split or written.
stopping = False


def stop(signum, frame):
    global stopping
    stopping = True


# Set by SIGUSR1: the stalled connection is to be reset.
resetting = False


def reset(signum, frame):
    """SIGUSR1: the printer is switched off."""
    global resetting
    resetting = True


# Set by SIGUSR2: the stalled connection is read again.
reading_again = False


def read_again(signum, frame):
    """SIGUSR2: the printer takes data again."""
    global reading_again
    reading_again = True


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
        # A printer prints a job once its closing PJL job is in, whether
        # or not the connection stays open for more.
        if self.job.endswith(JOB_END):
            self.write()


def main():
    """Takes connections until SIGTERM, splitting what comes into jobs."""
    parser = argparse.ArgumentParser(description="A stand-in printer on a raw socket.")
    parser.add_argument("port", type=int)
    parser.add_argument("outdir")
    parser.add_argument("--stall-after", type=int, default=0, metavar="BYTES")
    parser.add_argument("--cut-after", type=int, default=0, metavar="BYTES")
    args = parser.parse_args()
    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGUSR1, reset)
    signal.signal(signal.SIGUSR2, read_again)
    cut_after = args.cut_after
    splitter = Splitter(args.outdir)
    stall_after = args.stall_after
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    if stall_after:
        server.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 65536)
    server.bind(("127.0.0.1", args.port))
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
        was_reset = False
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
                if cut_after and received >= cut_after:
                    connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                    splitter.write()
                    cut_after = 0
                    was_reset = True
                    break
                if stall_after and len(splitter.job) >= stall_after:
                    print("sink: stalled in job %d at %d bytes" % (splitter.count + 1, len(splitter.job)),
                          file=sys.stderr, flush=True)
                    while not resetting and not reading_again and not stopping:
                        time.sleep(0.1)
                    if reading_again:
                        stall_after = 0
                        continue
                    # A reset, not an orderly close: the sender's next
                    # write fails as it does when a printer is switched off.
                    connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                    splitter.write()
                    stall_after = 0
                    was_reset = True
                    break
        print("sink: connection %d: %d bytes%s; %d job(s) written, %d bytes held"
              % (connections, received, ", then reset" if was_reset else "", splitter.count,
                 len(splitter.job)), file=sys.stderr, flush=True)
    splitter.write()
    server.close()


if __name__ == "__main__":
    main()
