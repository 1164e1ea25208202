#!/bin/sh
# Stands in for the PDF-to-PDF filter in tests. It copies the job (the file
# argument, else standard input) to standard output. Knobs, from the
# environment:
#   FAKE_CHILD_ARGS   file that receives the arguments, one per line
#   FAKE_CHILD_PID    file that receives this process's id
#   FAKE_CHILD_MODE   "empty": write nothing; "pause": write the job, then
#                     wait (for cancel tests); "slow": wait a moment first;
#                     "fail": write the job, then exit with status 3;
#                     "crash": write half the job, then die of SIGSEGV;
#                     "garbage": write bytes that are no PDF
if [ -n "$FAKE_CHILD_ARGS" ]; then printf '%s\n' "$@" > "$FAKE_CHILD_ARGS"; fi
if [ -n "$FAKE_CHILD_PID" ]; then echo $$ > "$FAKE_CHILD_PID"; fi
if [ $# -ge 6 ]; then job="$6"; else job=-; fi
case "$FAKE_CHILD_MODE" in
  empty) exit 0 ;;
  slow) sleep 0.3 ;;
  garbage) head -c 4096 /dev/urandom | tr -d '%'; exit 0 ;;
  crash) size=$(cat "$job" | wc -c); cat "$job" | head -c $((size / 2)); kill -SEGV $$ ;;
esac
case "$FAKE_CHILD_MODE" in
  pause) cat "$job"; exec sleep 30 ;;
  fail) cat "$job"; exit 3 ;;
  *) exec cat "$job" ;;  # a write beyond the file size limit kills the child
esac
