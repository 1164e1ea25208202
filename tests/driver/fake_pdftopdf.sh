#!/bin/sh
# Stands in for the PDF-to-PDF filter in tests. It copies the job (the file
# argument, else standard input) to standard output. Knobs, from the
# environment:
#   FAKE_CHILD_ARGS   file that receives the arguments, one per line
#   FAKE_CHILD_PID    file that receives this process's id
#   FAKE_CHILD_MODE   "empty": write nothing; "pause": write the job, then
#                     wait (for cancel tests); "slow": wait a moment first
if [ -n "$FAKE_CHILD_ARGS" ]; then printf '%s\n' "$@" > "$FAKE_CHILD_ARGS"; fi
if [ -n "$FAKE_CHILD_PID" ]; then echo $$ > "$FAKE_CHILD_PID"; fi
case "$FAKE_CHILD_MODE" in
  empty) exit 0 ;;
  slow) sleep 0.3 ;;
esac
if [ $# -ge 6 ]; then cat "$6"; else cat; fi
if [ "$FAKE_CHILD_MODE" = pause ]; then exec sleep 30; fi
