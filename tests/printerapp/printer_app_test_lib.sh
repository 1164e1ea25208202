# shellcheck shell=bash
# Shell helpers of the printer application's end-to-end tests, sourced by
# them: tools, ports, the stand-in printer, checks, and what a job's stream
# at the printer must look like. The sourcing script sets source, the
# project folder.
: "${source:?the project folder}"

# Exits 77 (skipped) when a tool is missing.
require_tools() {  # require_tools TOOL...
  local tool
  for tool in "$@"; do
    command -v "$tool" > /dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
  done
}

# A free high port on the loopback address, none of the ports given.
free_port() {  # free_port [PORT_TO_AVOID...]
  local candidate
  for candidate in $(shuf -i 20000-60000 -n 50); do
    [[ " $* " != *" $candidate "* ]] || continue
    ss -Hltn "sport = :$candidate" | grep -q . || { echo "$candidate"; return; }
  done
  return 1
}

# Starts tests/printerapp/sink.py on PORT, writing into OUTDIR and its log
# to LOG, and waits until it listens; sets sink_pid.
start_sink() {  # start_sink PORT OUTDIR LOG [SINK_OPTION...]
  local port=$1 outdir=$2 log=$3
  mkdir -p "$outdir"
  python3 "$source/tests/printerapp/sink.py" "$port" "$outdir" "${@:4}" > "$log.pid" 2> "$log" &
  sink_pid=$!
  # The sink prints its process id once it listens.
  for _ in $(seq 100); do [ -s "$log.pid" ] && break; kill -0 "$sink_pid" 2> /dev/null || break; sleep 0.1; done
  [ -s "$log.pid" ] || { echo "FAIL: the stand-in printer did not start"; return 1; }
}

# Stops the sink started last; it writes the job it holds first.
stop_sink() {
  [ -n "${sink_pid:-}" ] || return 0
  kill -TERM "$sink_pid" 2> /dev/null || true
  wait "$sink_pid" 2> /dev/null || true
  sink_pid=
}

# The application's local socket in the sandbox folder DIR, as an IPP URI
# of the printer laser; PAPPL lets any client there do what an
# administrator may. Root's socket has the program's name, another user's
# the user id too.
local_printer_uri() {  # local_printer_uri DIR
  local socket=$1/ticketpress-printer-app
  [ "$(id -u)" = 0 ] || socket=$socket$(id -u)
  echo "ipp://${socket//\//%2F}.sock/ipp/print/laser"
}

failures=0
check() {  # check DESCRIPTION COMMAND...
  if "${@:2}"; then echo "ok: $1"; else echo "FAIL: $1"; failures=$((failures + 1)); fi
}

# A check of what the application should do but does not yet: "KNOWN
# DEFECT" lines do not fail a test; once one says "ok", make it a check.
known_defects=0
known_defect() {  # known_defect DESCRIPTION COMMAND...
  if "${@:2}"; then
    echo "ok: $1"
  else
    echo "KNOWN DEFECT: $1"
    known_defects=$((known_defects + 1))
  fi
}

# Runs COMMAND every tenth of a second until it succeeds; false after
# SECONDS.
wait_for() {  # wait_for SECONDS COMMAND...
  local tries=$(($1 * 10))
  until "${@:2}"; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || return 1
    sleep 0.1
  done
}

# A printer stream that starts with the banner, holds one PDF, ends with
# the closing PJL job, and has no UEL but the opening one and the three of
# the closing job: one whole job, alone.
uel=$'\e%-12345X'
closing=$uel$uel$'@PJL JOB\n@PJL QPORTROTATE\n@PJL EOJ\n'$uel
whole_and_alone() {  # whole_and_alone FILE
  [ "$(head -c 51 "$1")" = "$uel@PJL COMMENT Quorlan PDF PrintPath Filter" ] &&
    [ "$(grep -ac '%PDF-' "$1")" = 1 ] &&
    [ "$(tail -c ${#closing} "$1")" = "$closing" ] &&
    [ "$(grep -ao "$uel" "$1" | wc -l)" = 4 ]
}

# The job name of a stream's PJL block.
stream_job_name() {  # stream_job_name FILE
  sed -n 's/^@PJL JOB NAME = "\(.*\)"$/\1/p;T;q' "$1"
}

# Every job of the printer at URI as "ID,STATE" lines. The sourcing script
# sets work, its folder. (ipptool -c does not fail on the repeated
# attributes of a job kept across a restart.)
all_job_states() {  # all_job_states URI
  [ -e "$work/get-jobs.test" ] || cat > "$work/get-jobs.test" <<'TEST'
{
  OPERATION Get-Jobs
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri
  ATTR keyword which-jobs all
  ATTR keyword requested-attributes job-id,job-state
  STATUS successful-ok
  DISPLAY job-id
  DISPLAY job-state
}
TEST
  ipptool -c "$1" "$work/get-jobs.test" 2> /dev/null | grep -E '^[0-9]+,' || true
}

# Changes two printer defaults as an administrator does, through the local
# socket at LOCAL_URI: monochrome, and toner darkness 8.
change_defaults() {  # change_defaults LOCAL_URI
  cat > "$work/change-defaults.test" <<'TEST'
{
  OPERATION Set-Printer-Attributes
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri
  GROUP printer-attributes-tag
  ATTR keyword print-color-mode-default monochrome
  ATTR keyword quorlan-toner-darkness-default 8
  STATUS successful-ok
}
TEST
  ipptool -q "$1" "$work/change-defaults.test"
}
