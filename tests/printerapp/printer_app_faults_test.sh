#!/usr/bin/env bash
# The printer application under load, with bad input, with a printer that
# goes away in the middle of a job, stopped and started again, and stopped
# by SIGTERM; PDF jobs to stand-in printers on raw sockets.
#   printer_app_faults_test.sh BUILD_DIR SOURCE_DIR
# Exits 77 (skipped) when a tool it needs is missing.
#
# "KNOWN DEFECT" lines are what the application should do and does not
# yet; they do not fail the test. Once one says "ok", the defect is gone:
# make it a check.
set -euo pipefail
export LC_ALL=C

build=$(realpath "$1")
source=$(realpath "$2")
. "$source/tests/printerapp/printer_app_test_lib.sh"
require_tools python3 ipptool qpdf ss curl
for program in ticketpress-printer-app ticketpress; do
  [ -x "$build/$program" ] || { echo "FAIL: $build/$program is not built"; exit 1; }
done
sandbox=$source/scripts/printer-app-sandbox.sh
export TICKETPRESS_PRINTER_APP=$build/ticketpress-printer-app

work=$(mktemp -d "$build/printer-app-faults.XXXXXX")
mkdir "$work/pdfs" "$work/alone" "$work/ipp"
sink_pid=
apps=()
finish() {
  status=$?
  local dir
  for dir in "${apps[@]}"; do PRINTER_APP_STOP_TIMEOUT=2 "$sandbox" stop "$dir" 2> /dev/null || true; done
  stop_sink
  if [ $status -ne 0 ]; then
    for dir in "${apps[@]}"; do
      echo "--- $dir/printer-app.log (errors)"; grep -a '^E ' "$dir/printer-app.log" | tail -n 30 || true
    done
  fi
  [ -n "${KEEP_PRINTER_APP_FAULTS:-}" ] && echo "kept $work" || rm -rf "$work"
  exit $status
}
trap finish EXIT

# The application of the sandbox folder DIR runs.
app_running() {  # app_running DIR
  kill -0 "$(cat "$1/printer-app.pid" 2> /dev/null || echo 0)" 2> /dev/null
}

started=$(date +%s)

# ---------------------------------------------------------------------------
# a) Load: 8 clients at once, 25 jobs each, each job a PDF of its own.
# Every job must reach the printer once, byte for byte as the same job
# printed alone (no job id or time is in a stream; the user and the job
# name are the job's own), and complete.
echo "== load: 8 clients, 25 jobs each"
start_sink free "$work/load-out" "$work/load-sink.log"
load_sink_port=$sink_port
load_port=$(free_port "$load_sink_port") || { echo "FAIL: no free port"; exit 1; }
apps+=("$work/load")
"$sandbox" start "$load_port" "$work/load" "socket://127.0.0.1:$load_sink_port" > /dev/null
load_uri=ipp://127.0.0.1:$load_port/ipp/print/laser
labels=()
for client in $(seq 8); do
  for job in $(seq -w 25); do labels+=("load-$client-$job"); done
done
python3 "$source/tests/printerapp/label_pdfs.py" "$work/pdfs" "${labels[@]}"
for client in $(seq 8); do
  for job in $(seq -w 25); do
    print_test "load-$client-$job" "$work/pdfs/load-$client-$job.pdf" application/pdf "user-$client"
  done > "$work/ipp/client-$client.test"
done
client_pids=()
for client in $(seq 8); do
  ipptool -t "$load_uri" "$work/ipp/client-$client.test" > "$work/client-$client.out" 2>&1 &
  client_pids+=($!)
done
# The jobs alone, while the application prints.
for client in $(seq 8); do
  for job in $(seq -w 25); do
    label=load-$client-$job
    alone_stream "user-$client" "$label" "$work/pdfs/$label.pdf" > "$work/alone/$label.prn"
  done
done
for pid in "${client_pids[@]}"; do wait "$pid" || true; done
load_ids=$(cat "$work"/client-*.out | sed -n 's/.*job-id (integer) = \([0-9]*\).*/\1/p')
check "load: all 200 jobs accepted ($(wc -w <<< "$load_ids"))" test "$(wc -w <<< "$load_ids")" = 200
# Every job ended, or the application is gone.
load_done() { ! app_running "$work/load" || [ "$(all_job_states "$load_uri" | grep -cE ',(completed|aborted|canceled)$')" -ge 200 ]; }
wait_for 90 load_done || true
wait_for 10 printer_idle "$load_sink_port" || true
load_alive=yes
app_running "$work/load" || load_alive=
check "load: the application is still running after 200 jobs" test -n "$load_alive"
all_job_states "$load_uri" > "$work/load-states"
check "load: all 200 jobs completed ($(grep -c ',completed$' "$work/load-states" || true))" \
  test "$(grep -c ',completed$' "$work/load-states" || true)" = 200
"$sandbox" stop "$work/load"
stop_sink
index_streams "$work/load-out"
streams=$(find "$work/load-out" -name 'job-*.prn' | wc -l)
check "load: one stream per job ($streams streams)" test "$streams" = 200
check "load: every stream one whole job, alone" all_streams_whole "$work/load-out"
as_alone=0
for label in "${labels[@]}"; do
  ! printed_as_alone "$work/load-out" "$label" "$work/alone/$label.prn" || as_alone=$((as_alone + 1))
done
check "load: every job printed once, byte for byte as alone ($as_alone of 200)" test "$as_alone" = 200
echo "load: $(($(date +%s) - started))s"

# ---------------------------------------------------------------------------
# The faults: one application, its printer on one port, the stand-in
# printer there started again for each part with a folder of its own.
start_sink free "$work/bad-out" "$work/bad-sink.log"
app_port=$(free_port "$sink_port") || { echo "FAIL: no free port"; exit 1; }
app=$work/app
uri=ipp://127.0.0.1:$app_port/ipp/print/laser
local_uri=$(local_printer_uri "$app")
apps+=("$app")
"$sandbox" start "$app_port" "$app" "socket://127.0.0.1:$sink_port" > /dev/null

# ---------------------------------------------------------------------------
# c) Bad input: each job is refused, or aborted with a reason the client
# can read; none leaves a stream at the printer, not even part of one; a
# good job prints after.
echo "== bad input"
python3 "$source/tests/printerapp/label_pdfs.py" "$work/pdfs" good-after-bad
alone_stream alice good-after-bad "$work/pdfs/good-after-bad.pdf" > "$work/alone/good-after-bad.prn"
head -c 300 "$work/pdfs/good-after-bad.pdf" > "$work/truncated.pdf"
head -c 4000 /dev/urandom > "$work/garbage.bin"
declare -A bad_ids
bad_ids[truncated]=$(print_job "$uri" truncated "$work/truncated.pdf")
bad_ids[garbage-pdf]=$(print_job "$uri" garbage-pdf "$work/garbage.bin")
bad_ids[garbage-jpeg]=$(print_job "$uri" garbage-jpeg "$work/garbage.bin" image/jpeg)
bad_ids[text]=$(print_job "$uri" text "$work/garbage.bin" text/plain)
bad_ids[postscript]=$(print_job "$uri" postscript "$work/garbage.bin" application/postscript)

# Requests as bytes, POSTed as they are: what no IPP client sends, and
# names of 32 KB (a name has at most 255 octets; 32767 is the most
# libcups reads).
python3 - "$work" "$uri" "$work/pdfs/good-after-bad.pdf" <<'PYTHON'
import struct
import sys

work, uri, pdf = sys.argv[1], sys.argv[2].encode(), open(sys.argv[3], "rb").read()


def attribute(tag, name, value):
    return bytes([tag]) + struct.pack(">H", len(name)) + name + struct.pack(">H", len(value)) + value


def name(attr, value):
    return attribute(0x42, attr, value)


header = struct.pack(">BBHI", 2, 0, 0x0002, 1)  # IPP 2.0 Print-Job, request 1
operation = (b"\x01" + attribute(0x47, b"attributes-charset", b"utf-8")
             + attribute(0x48, b"attributes-natural-language", b"en")
             + attribute(0x45, b"printer-uri", uri))
pdf_format = attribute(0x49, b"document-format", b"application/pdf")
mallory = name(b"requesting-user-name", b"mallory")
requests = {
    "short-header": header[:5],
    "reserved-tag": header + operation + b"\x0f" + name(b"job-name", b"reserved-tag")[1:] + b"\x03" + pdf,
    "length-past-end": header + operation + b"\x42\x00\x08job-name\xff\xff" + b"abc",
    "no-end-tag": header + operation + mallory,
    "version-9": struct.pack(">BBHI", 9, 9, 0x0002, 1) + operation + b"\x03" + pdf,
    "job-name-64k": header + operation + mallory + name(b"job-name", b"N" * 65535) + pdf_format + b"\x03" + pdf,
    "user-1m": header + operation + name(b"requesting-user-name", b"U" * 65535)
    + b"".join(name(b"", b"U" * 65535) for _ in range(15))
    + name(b"job-name", b"user-1m") + pdf_format + b"\x03" + pdf,
    "job-name-32k": header + operation + mallory + name(b"job-name", b"N" * 32767) + pdf_format + b"\x03" + pdf,
    "user-32k": header + operation + name(b"requesting-user-name", b"U" * 32767)
    + name(b"job-name", b"user-32k") + pdf_format + b"\x03" + pdf,
}
for request, body in requests.items():
    with open("%s/raw-%s" % (work, request), "wb") as out:
        out.write(body)
PYTHON
# "HTTP_STATUS IPP_STATUS JOB_ID" of a raw request: the IPP status in hex
# and the job id, "-" when the answer has none.
post_raw() {  # post_raw NAME
  local http
  http=$(curl -s -m 20 -o "$work/raw-$1.answer" -w '%{http_code}' -H 'Content-Type: application/ipp' \
    --data-binary "@$work/raw-$1" "http://127.0.0.1:$app_port/ipp/print/laser" || echo 000)
  python3 - "$http" "$work/raw-$1.answer" <<'PYTHON'
import re
import sys

http, answer = sys.argv[1], open(sys.argv[2], "rb").read() if sys.argv[1] == "200" else b""
status = answer[2:4].hex() if len(answer) >= 8 else "-"
job = re.search(rb"\x21\x00\x06job-id\x00\x04(....)", answer)
print(http, status, int.from_bytes(job.group(1), "big") if job else "-")
PYTHON
}
refused() {  # refused "HTTP_STATUS IPP_STATUS JOB_ID"
  local http ipp job
  read -r http ipp job <<< "$1"
  [[ $http =~ ^[45][0-9][0-9]$ ]] || { [ "$http" = 200 ] && [[ $ipp =~ ^0[45] ]] && [ "$job" = - ]; }
}
for raw in short-header reserved-tag length-past-end no-end-tag version-9 job-name-64k user-1m; do
  answer=$(post_raw "$raw")
  check "malformed IPP, $raw: refused ($answer)" refused "$answer"
done
for raw in job-name-32k user-32k; do
  answer=$(post_raw "$raw")
  read -r _ _ bad_ids[$raw] <<< "$answer"
  [ "${bad_ids[$raw]}" != - ] || bad_ids[$raw]=0
done
check "the application is still running after the bad input" app_running "$app"

queued_bad=()
for name in "${!bad_ids[@]}"; do
  if [ -n "${bad_ids[$name]}" ] && [ "${bad_ids[$name]}" != 0 ]; then queued_bad+=("${bad_ids[$name]}"); else bad_ids[$name]=0; fi
done
wait_for 20 jobs_ended "$uri" "${queued_bad[@]}" || true
good_id=$(print_job "$uri" good-after-bad "$work/pdfs/good-after-bad.pdf")
check "good job after the bad input: queued" test -n "$good_id"
wait_for 20 job_ended "$uri" "${good_id:-0}" || true
check "good job after the bad input: completed" job_is "$uri" "${good_id:-0}" completed
wait_for 10 printer_idle "$sink_port" || true
stop_sink
index_streams "$work/bad-out"
for name in truncated garbage-pdf garbage-jpeg; do
  check "$name: job ${bad_ids[$name]} aborted with a reason ($(job_status "$uri" "${bad_ids[$name]}"))" \
    failed_with_reason "$uri" "${bad_ids[$name]}"
  check "$name: no stream at the printer" no_stream_named "$work/bad-out" "$name"
done
# README: "other formats are refused with a message".
refused_or_told() { [ "${bad_ids[$1]}" = 0 ] || failed_with_reason "$uri" "${bad_ids[$1]}"; }
for name in text postscript; do
  check "$name: not printed" test "$(job_state "$uri" "${bad_ids[$name]}")" != completed
  check "$name: no stream at the printer" no_stream_named "$work/bad-out" "$name"
  known_defect "$name: refused, or aborted with a reason the client can read ($(job_status "$uri" "${bad_ids[$name]}"))" \
    refused_or_told "$name"
done
# A name too long for IPP: refused, or cut to 255 octets at the printer.
name_fits() {  # name_fits ID PJL_LINE_START
  local out
  [ "$1" != 0 ] || return 0
  out=$(grep -alF "$2" "$work"/bad-out/job-*.prn 2> /dev/null | head -n 1)
  [ -z "$out" ] || [ "$(grep -a "^$2" "$out" | head -n 1 | wc -c)" -le 300 ]
}
known_defect "32 KB job-name: refused, or at most 255 octets at the printer (job ${bad_ids[job-name-32k]})" \
  name_fits "${bad_ids[job-name-32k]}" '@PJL JOB NAME = "NNN'
known_defect "32 KB requesting-user-name: refused, or at most 255 octets at the printer (job ${bad_ids[user-32k]})" \
  name_fits "${bad_ids[user-32k]}" '@PJL SET USERNAME = "UUU'
check "good job after the bad input: printed as alone" \
  printed_as_alone "$work/bad-out" good-after-bad "$work/alone/good-after-bad.prn"
check "bad input: every stream at the printer whole" all_streams_whole "$work/bad-out"
check "bad input: no stream of a refused request" no_stream_named "$work/bad-out" user-1m
echo "bad input: $(($(date +%s) - started))s"

# ---------------------------------------------------------------------------
# b) The printer goes away in the middle of a job (a reset after 1 MB of
# a job of 8 MB), with two jobs queued behind it, and takes connections
# again at once. The cut job is sent again from its start and completes
# once the printer has it whole; the two behind it follow, in order, each
# once and whole.
echo "== printer gone mid-job"
start_sink "$sink_port" "$work/gone-out" "$work/gone-sink.log" --stall-after 1000000
python3 "$source/tests/printerapp/label_pdfs.py" "$work/pdfs" --padding 8000000 cut-off
python3 "$source/tests/printerapp/label_pdfs.py" "$work/pdfs" behind-1 behind-2 after-reset waits-held next-to-held
for label in cut-off behind-1 behind-2 after-reset next-to-held; do
  alone_stream alice "$label" "$work/pdfs/$label.pdf" > "$work/alone/$label.prn"
done
cut_id=$(print_job "$uri" cut-off "$work/pdfs/cut-off.pdf")
stalled() { grep -q '^sink: stalled' "$work/gone-sink.log"; }
check "cut-off: the printer took the first megabyte" wait_for 20 stalled
declare -A behind
for label in behind-1 behind-2; do
  behind[$label]=$(print_job "$uri" "$label" "$work/pdfs/$label.pdf")
  check "$label: queued behind it" job_is "$uri" "${behind[$label]:-0}" pending
done
check "cut-off: not completed while the printer has part of it" job_is "$uri" "${cut_id:-0}" processing
kill -USR1 "$sink_pid"
wait_for 40 jobs_ended "$uri" "${cut_id:-0}" "${behind[behind-1]:-0}" "${behind[behind-2]:-0}" || true
wait_for 10 printer_idle "$sink_port" || true
for id in "${cut_id:-0}" "${behind[behind-1]:-0}" "${behind[behind-2]:-0}"; do
  check "job $id: completed once the printer was back ($(job_status "$uri" "$id"))" job_is "$uri" "$id" completed
done

# A job printed while another waits held reaches the printer when it is
# reported completed, not when the queue is next empty.
held_id=$(print_job "$uri" waits-held "$work/pdfs/waits-held.pdf" application/pdf alice 'ATTR keyword job-hold-until indefinite')
next_id=$(print_job "$uri" next-to-held "$work/pdfs/next-to-held.pdf")
wait_for 20 job_ended "$uri" "${next_id:-0}" || true
check "next-to-held: completed" job_is "$uri" "${next_id:-0}" completed
next_arrived() { index_streams "$work/gone-out" && [ "$(streams_named "$work/gone-out" next-to-held)" = 1 ]; }
check "next-to-held: at the printer when it is completed, with a job held in the queue" next_arrived
cat > "$work/ipp/cancel.test" <<TEST
{
  OPERATION Cancel-Job
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri \$uri
  ATTR integer job-id ${held_id:-0}
  ATTR name requesting-user-name alice
  STATUS successful-ok
}
TEST
check "waits-held: its owner cancels it" ipptool -q "$uri" "$work/ipp/cancel.test"

after_id=$(print_job "$uri" after-reset "$work/pdfs/after-reset.pdf")
wait_for 20 job_ended "$uri" "${after_id:-0}" || true
check "after-reset: completed" job_is "$uri" "${after_id:-0}" completed
wait_for 10 printer_idle "$sink_port" || true
stop_sink
index_streams "$work/gone-out"
# The cut stream, then the job again whole from its start.
cut_streams() { awk -F '\t' '$2 == "cut-off" { print $1 }' "$work/gone-out.index" | sort -V; }
check "cut-off: at the printer cut short, then once whole and as alone" \
  eval '[ "$(cut_streams | wc -l)" = 2 ] && ! cmp -s "$(cut_streams | head -n 1)" "$work/alone/cut-off.prn" &&
    cmp -s "$(cut_streams | tail -n 1)" "$work/alone/cut-off.prn"'
for label in behind-1 behind-2; do
  check "$label: printed once, as alone" printed_as_alone "$work/gone-out" "$label" "$work/alone/$label.prn"
done
number_of() { local out=${1##*/job-}; echo "${out%.prn}"; }  # number_of STREAM
check "the three reached the printer in the order they were accepted" test \
  "$(number_of "$(cut_streams | tail -n 1)")" -lt "$(number_of "$(stream_named "$work/gone-out" behind-1)")" -a \
  "$(number_of "$(stream_named "$work/gone-out" behind-1)")" -lt "$(number_of "$(stream_named "$work/gone-out" behind-2)")"
check "next-to-held: printed as alone once the queue emptied" \
  printed_as_alone "$work/gone-out" next-to-held "$work/alone/next-to-held.prn"
check "after-reset: printed as alone" printed_as_alone "$work/gone-out" after-reset "$work/alone/after-reset.prn"
echo "printer gone: $(($(date +%s) - started))s"

# ---------------------------------------------------------------------------
# e) SIGTERM with nothing to print, after an administrator changed
# defaults: the application ends by itself within the sandbox's stop
# timeout, with status 0, having written its state: the printer, its
# device and the changed defaults, which are all back when it starts again.
echo "== SIGTERM"
all_job_states "$uri" | cut -d, -f1 | sort > "$work/jobs-before-stop"
check "Set-Printer-Attributes: colour mode and toner darkness defaults" change_defaults "$local_uri"
# The stop follows the change at once: the state has it whether the
# application wrote it then or on its way out.
stop_began=$(date +%s%N)
"$sandbox" stop "$app"
stop_ms=$((($(date +%s%N) - stop_began) / 1000000))
app_status=$(cat "$app/printer-app.status" 2> /dev/null || echo none)
check "SIGTERM: ended by itself with status 0 ($app_status, ${stop_ms} ms)" test "$app_status" = 0
check "SIGTERM: the state names the printer and its device" \
  grep -q "name=\"laser\" uri=\"socket://127.0.0.1:$sink_port\"" "$app/printer-app.state"
check "SIGTERM: the state keeps the changed colour mode" grep -qx 'print-color-mode-default monochrome' "$app/printer-app.state"
check "SIGTERM: the state keeps the changed toner darkness" grep -qx 'quorlan-toner-darkness-default 8' "$app/printer-app.state"
"$sandbox" resume "$app_port" "$app" > /dev/null
cat > "$work/ipp/printer.test" <<'TEST'
{
  OPERATION Get-Printer-Attributes
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri
  ATTR keyword requested-attributes print-color-mode-default,quorlan-toner-darkness-default
  STATUS successful-ok
  EXPECT print-color-mode-default WITH-VALUE monochrome
  EXPECT quorlan-toner-darkness-default WITH-VALUE 8
}
TEST
check "started again: the printer and its changed defaults are back" ipptool -q "$uri" "$work/ipp/printer.test"
# Listed before the stop and not after.
jobs_lost() { comm -23 "$work/jobs-before-stop" <(all_job_states "$uri" | cut -d, -f1 | sort) | tr '\n' ' '; }
known_defect "started again: every job is still listed (lost: $(jobs_lost))" test -z "$(jobs_lost)"
echo "SIGTERM: $(($(date +%s) - started))s"

# ---------------------------------------------------------------------------
# d) Stopped with jobs in the queue: one waiting for a printer that cannot
# be reached, one queued behind it, one held. SIGTERM, then the
# application again with what it kept, and the printer back. The printer,
# its device and its defaults survive; no job goes missing: each is
# printed, still held, or has ended saying why it was not.
echo "== restart with jobs queued"
python3 "$source/tests/printerapp/label_pdfs.py" "$work/pdfs" unreachable queued held after-restart
unreachable_id=$(print_job "$uri" unreachable "$work/pdfs/unreachable.pdf")
queued_id=$(print_job "$uri" queued "$work/pdfs/queued.pdf")
held_id=$(print_job "$uri" held "$work/pdfs/held.pdf" application/pdf alice 'ATTR keyword job-hold-until indefinite')
check "unreachable: waits for the printer" wait_for 5 job_is "$uri" "${unreachable_id:-0}" processing
check "queued: queued behind it" job_is "$uri" "${queued_id:-0}" pending
check "held: held" job_is "$uri" "${held_id:-0}" pending-held
# The state is written within a second of a change.
saved_jobs() { grep -q 'name="held"' "$app/printer-app.state" 2> /dev/null; }
check "the jobs are in the state file" wait_for 5 saved_jobs
all_job_states "$uri" | cut -d, -f1 | sort > "$work/jobs-before-stop"
# PAPPL waits up to a minute for the jobs of its queue before it ends on
# SIGTERM; two seconds tell whether it waits.
stop_began=$(date +%s%N)
PRINTER_APP_STOP_TIMEOUT=2 "$sandbox" stop "$app" 2> /dev/null
stop_ms=$((($(date +%s%N) - stop_began) / 1000000))
app_status=$(cat "$app/printer-app.status" 2> /dev/null || echo none)
known_defect "SIGTERM with jobs queued: ended by itself with status 0 ($app_status, ${stop_ms} ms)" test "$app_status" = 0
start_sink "$sink_port" "$work/restart-out" "$work/restart-sink.log"
"$sandbox" resume "$app_port" "$app" > /dev/null
check "restarted: the printer and its changed defaults are back" ipptool -q "$uri" "$work/ipp/printer.test"
check "restarted: every job is still listed (lost: $(jobs_lost))" test -z "$(jobs_lost)"
check "restarted: the held job is still held" job_is "$uri" "${held_id:-0}" pending-held
# Printed, or ended saying why not.
accounted_for() {  # accounted_for ID
  [ "$(job_state "$uri" "$1")" = completed ] || failed_with_reason "$uri" "$1"
}
check "restarted: the queued job prints with no other job to start the queue" \
  wait_for 10 accounted_for "${queued_id:-0}"
cat > "$work/ipp/release.test" <<TEST
{
  OPERATION Release-Job
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri \$uri
  ATTR integer job-id ${held_id:-0}
  ATTR name requesting-user-name alice
  STATUS successful-ok
}
TEST
check "restarted: its owner releases the held job" ipptool -q "$uri" "$work/ipp/release.test"
wait_for 15 jobs_ended "$uri" "${held_id:-0}" "${queued_id:-0}" || true
check "restarted: the released job completed" job_is "$uri" "${held_id:-0}" completed
check "restarted: the queued job completed" job_is "$uri" "${queued_id:-0}" completed
check "restarted: the job that waited for the printer is printed or says why not ($(job_status "$uri" "${unreachable_id:-0}"))" \
  accounted_for "${unreachable_id:-0}"
cat > "$work/ipp/jobs-checked.test" <<'TEST'
{
  OPERATION Get-Jobs
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri
  ATTR keyword which-jobs all
  STATUS successful-ok
}
TEST
known_defect "restarted: Get-Jobs passes ipptool's checks (each attribute of a kept job once)" \
  ipptool -q "$uri" "$work/ipp/jobs-checked.test"
after_restart_id=$(print_job "$uri" after-restart "$work/pdfs/after-restart.pdf")
wait_for 20 job_ended "$uri" "${after_restart_id:-0}" || true
check "restarted: a new job completed" job_is "$uri" "${after_restart_id:-0}" completed
# A job left processing keeps the device open.
wait_for 3 printer_idle "$sink_port" || true
stop_sink
index_streams "$work/restart-out"
for name in held queued after-restart; do
  out=$(stream_named "$work/restart-out" "$name")
  known_defect "restarted: $name reached the printer ($(streams_named "$work/restart-out" "$name") streams)" \
    test "$(streams_named "$work/restart-out" "$name")" = 1
  [ -e "$out" ] || continue
  check "restarted: $name whole and alone" whole_and_alone "$out"
  check "restarted: $name shows its own page" grep -qaF "($name)" "$out"
  check "restarted: $name black only, as the kept default says" grep -qaxF '@PJL SET QCOLORMODEL = BLACK' "$out"
  check "restarted: $name density 3, as the kept default says" grep -qaxF '@PJL SET DENSITY = 3' "$out"
done
echo "restart: $(($(date +%s) - started))s"

echo "$failures failed, $known_defects known defects, $(($(date +%s) - started))s"
[ "$failures" -eq 0 ]
