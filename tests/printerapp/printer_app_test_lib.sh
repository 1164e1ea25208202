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
# to LOG, and waits until it listens; sets sink_pid and sink_port. PORT
# "free" takes a free port: another test may take a port between free_port
# and the sink's bind, so a port the sink could not bind is given up for
# another.
start_sink() {  # start_sink PORT|free OUTDIR LOG [SINK_OPTION...]
  local port=$1 outdir=$2 log=$3 tries
  mkdir -p "$outdir"
  for tries in 1 2 3 4 5; do
    [ "$1" != free ] || port=$(free_port) || break
    : > "$log.pid"
    python3 "$source/tests/printerapp/sink.py" "$port" "$outdir" "${@:4}" > "$log.pid" 2> "$log" &
    sink_pid=$!
    # The sink prints its process id once it listens.
    for _ in $(seq 100); do [ -s "$log.pid" ] && break; kill -0 "$sink_pid" 2> /dev/null || break; sleep 0.1; done
    if [ -s "$log.pid" ]; then sink_port=$port; return 0; fi
    wait "$sink_pid" 2> /dev/null || true
    [ "$1" = free ] && grep -q 'Address already in use' "$log" || break
  done
  echo "FAIL: the stand-in printer did not start"
  return 1
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

# The stream of a job printed alone: the CUPS filter's, for the same PDF,
# user and job name (the e2e test holds both front ends to the same bytes).
# The sourcing script sets build, its build folder.
alone_stream() {  # alone_stream USER NAME PDF
  [ -x "$work/pass-through.sh" ] || { printf '#!/bin/sh\nexec cat "$6"\n' > "$work/pass-through.sh"; chmod +x "$work/pass-through.sh"; }
  TICKETPRESS_PDFTOPDF=$work/pass-through.sh "$build/ticketpress" 1 "$1" "$2" 1 \
    "com.apple.print.JobInfo.PMJobName=$2" "$3" 2> /dev/null
}

# An ipptool test file that prints FILE as USER under NAME with FORMAT,
# plus job attribute lines, and shows the job id.
print_test() {  # print_test NAME FILE FORMAT USER [JOB_LINES]
  cat <<TEST
{
  NAME "$1"
  OPERATION Print-Job
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri \$uri
  ATTR name requesting-user-name $4
  ATTR name job-name $1
  ATTR mimeMediaType document-format $3
  GROUP job-attributes-tag
  ${5:-}
  FILE $2
  DISPLAY job-id
}
TEST
}

# Prints a job and says its id; nothing when the printer refused it.
print_job() {  # print_job URI NAME FILE [FORMAT [USER [JOB_LINES]]]
  mkdir -p "$work/ipp"
  print_test "$2" "$3" "${4:-application/pdf}" "${5:-alice}" "${6:-}" > "$work/ipp/$2.test"
  ipptool -t "$1" "$work/ipp/$2.test" 2> /dev/null | sed -n 's/.*job-id (integer) = \([0-9]*\).*/\1/p' || true
}

# A job's state, reasons and message as "STATE|REASONS|MESSAGE", read as
# the client that printed it (alice) reads them.
job_test() {
  mkdir -p "$work/ipp"
  cat > "$work/ipp/job.test" <<'TEST'
{
  OPERATION Get-Job-Attributes
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri
  ATTR integer job-id $job
  ATTR name requesting-user-name alice
  ATTR keyword requested-attributes job-state,job-state-reasons,job-state-message
  STATUS successful-ok
}
TEST
}
job_status() {  # job_status URI ID
  local out
  [ -e "$work/ipp/job.test" ] || job_test
  out=$(ipptool -tv -d job="$2" "$1" "$work/ipp/job.test" 2> /dev/null || true)
  printf '%s|%s|%s\n' "$(sed -n 's/^ *job-state (enum) = //p' <<< "$out")" \
    "$(sed -n 's/^ *job-state-reasons ([^)]*) = //p' <<< "$out")" \
    "$(sed -n 's/^ *job-state-message ([^)]*) = //p' <<< "$out")"
}
# The job's state alone.
job_state() { job_status "$1" "$2" | cut -d'|' -f1; }
# Ended: completed, aborted or canceled.
job_ended() { [[ $(job_state "$1" "$2") =~ ^(completed|aborted|canceled)$ ]]; }
jobs_ended() {  # jobs_ended URI ID...
  local id
  for id in "${@:2}"; do job_ended "$1" "$id" || return 1; done
}
# The job is in STATE.
job_is() { [ "$(job_state "$1" "$2")" = "$3" ]; }  # job_is URI ID STATE
# Not printed, and the client can read why: aborted or canceled, with a
# message of its own or a reason that names the document's fault.
failed_with_reason() {  # failed_with_reason URI ID
  local status state reasons message
  status=$(job_status "$1" "$2")
  IFS='|' read -r state reasons message <<< "$status"
  [[ $state =~ ^(aborted|canceled)$ ]] || return 1
  [[ $reasons =~ document-(format|unprintable)-error|unsupported-document-format ]] && return 0
  [ -n "$message" ] && [[ ! $message =~ ^Job\ (aborted|canceled|completed)\.$ ]]
}


# No connection from the application to the printer on PORT is open: the
# application closes its device once its queue is empty.
printer_idle() { ! ss -Htn state established "( dport = :$1 )" | grep -q .; }

# The sink's streams by job name, as "FILE<TAB>NAME" lines in OUTDIR.index:
# made again whenever the sink may have written more.
index_streams() {  # index_streams OUTDIR
  local files=("$1"/job-*.prn)
  : > "$1.index"
  [ -e "${files[0]}" ] || return 0
  awk '/^@PJL JOB NAME = "/ { print FILENAME "\t" substr($0, 18, length($0) - 18); nextfile }' \
    "${files[@]}" > "$1.index"
}
# The number of streams named NAME, and the first of them.
streams_named() {  # streams_named OUTDIR NAME
  awk -F '\t' -v name="$2" '$2 == name' "$1.index" | wc -l
}
stream_named() {  # stream_named OUTDIR NAME
  local out
  out=$(awk -F '\t' -v name="$2" '$2 == name { print $1; exit }' "$1.index")
  echo "${out:-/nonexistent}"
}
# The job named NAME reached the printer once, byte for byte as alone.
printed_as_alone() {  # printed_as_alone OUTDIR NAME ALONE_FILE
  [ "$(streams_named "$1" "$2")" = 1 ] && cmp -s "$(stream_named "$1" "$2")" "$3"
}
# No stream is named NAME.
no_stream_named() { [ "$(streams_named "$1" "$2")" = 0 ]; }
# Every stream in OUTDIR is one whole job, alone.
all_streams_whole() {  # all_streams_whole OUTDIR
  local out
  for out in "$1"/job-*.prn; do
    [ -e "$out" ] || continue
    whole_and_alone "$out" || return 1
  done
}
