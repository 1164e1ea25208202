#!/usr/bin/env bash
# No job lost to the printer: a job is completed only once the printer has
# it whole; a printer that cuts a job short, is switched off or stops
# reading gets the job again, whole, once, with the jobs behind it in
# their order; another printer prints meanwhile; SIGTERM keeps waiting jobs
# for the next start. Stand-in printers on raw sockets on 127.0.0.1.
#   printer_app_delivery_test.sh BUILD_DIR SOURCE_DIR
# Exits 77 (skipped) when a tool it needs is missing.
set -euo pipefail
export LC_ALL=C

build=$(realpath "$1")
source=$(realpath "$2")
. "$source/tests/printerapp/printer_app_test_lib.sh"
require_tools python3 ipptool ss
for program in ticketpress-printer-app ticketpress; do
  [ -x "$build/$program" ] || { echo "FAIL: $build/$program is not built"; exit 1; }
done
sandbox=$source/scripts/printer-app-sandbox.sh
export TICKETPRESS_PRINTER_APP=$build/ticketpress-printer-app

work=$(mktemp -d "$build/printer-app-delivery.XXXXXX")
mkdir "$work/pdfs" "$work/alone"
app=$work/app
sink_pid=
other_pid=
finish() {
  status=$?
  PRINTER_APP_STOP_TIMEOUT=2 "$sandbox" stop "$app" 2> /dev/null || true
  stop_sink
  [ -z "$other_pid" ] || { kill -TERM "$other_pid" 2> /dev/null; wait "$other_pid" 2> /dev/null || true; }
  if [ $status -ne 0 ]; then
    echo "--- $app/printer-app.log (errors and warnings)"; grep -a '^[EW] ' "$app/printer-app.log" | tail -n 30 || true
  fi
  [ -n "${KEEP_PRINTER_APP_DELIVERY:-}" ] && echo "kept $work" || rm -rf "$work"
  exit $status
}
trap finish EXIT

start_sink free "$work/cut-out" "$work/cut-sink.log" --cut-after 3000
other_port=$(free_port "$sink_port") || { echo "FAIL: no free port"; exit 1; }
app_port=$(free_port "$sink_port" "$other_port") || { echo "FAIL: no free port"; exit 1; }
uri=ipp://127.0.0.1:$app_port/ipp/print/laser
other_uri=ipp://127.0.0.1:$app_port/ipp/print/other

python3 "$source/tests/printerapp/label_pdfs.py" "$work/pdfs" off-0 off-1 off-2 other waits-1 waits-2 > /dev/null
python3 "$source/tests/printerapp/label_pdfs.py" "$work/pdfs" --padding 400000 cut > /dev/null
python3 "$source/tests/printerapp/label_pdfs.py" "$work/pdfs" --padding 4000000 unread > /dev/null
for label in cut off-0 off-1 off-2 unread other waits-1 waits-2; do
  alone_stream alice "$label" "$work/pdfs/$label.pdf" > "$work/alone/$label.prn"
done

# The printer's state reasons, as a client reads them.
cat > "$work/reasons.test" <<'TEST'
{
  OPERATION Get-Printer-Attributes
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri
  ATTR keyword requested-attributes printer-state-reasons
  DISPLAY printer-state-reasons
}
TEST
offline() { ipptool -c "$1" "$work/reasons.test" 2> /dev/null | grep -q offline; }  # offline URI
not_offline() { ! offline "$1"; }
# The job's message contains TEXT.
job_says() { job_status "$1" "$2" | cut -d'|' -f3 | grep -qF "$3"; }  # job_says URI ID TEXT
# The streams in OUTDIR named NAME, in the order they arrived.
streams_of() { awk -F '\t' -v name="$2" '$2 == name { print $1 }' "$1.index" | sort -V; }
# The names of the whole streams in OUTDIR, in the order they arrived.
arrival_order() {  # arrival_order OUTDIR
  local out
  for out in $(ls "$1"/job-*.prn | sort -V); do whole_and_alone "$out" && stream_job_name "$out"; done | tr '\n' ' '
}

# ---------------------------------------------------------------------------
echo "== a printer that cuts the first connection after 3,000 bytes"
"$sandbox" start "$app_port" "$app" "socket://127.0.0.1:$sink_port" > /dev/null
cut_id=$(print_job "$uri" cut "$work/pdfs/cut.pdf")
check "cut: not completed while the printer has part of it" wait_for 3 job_says "$uri" "${cut_id:-0}" "did not take the whole job"
check "cut: completed once sent again" wait_for 20 job_is "$uri" "${cut_id:-0}" completed
index_streams "$work/cut-out"
check "cut: the cut stream, then the job once whole and as alone" \
  eval '[ "$(streams_of "$work/cut-out" cut | wc -l)" = 2 ] && cmp -s "$(streams_of "$work/cut-out" cut | tail -n 1)" "$work/alone/cut.prn"'
stop_sink

# ---------------------------------------------------------------------------
echo "== a printer switched off, three jobs, then on"
declare -A ids
for label in off-0 off-1 off-2; do ids[$label]=$(print_job "$uri" "$label" "$work/pdfs/$label.pdf"); done
check "off: the printer's reasons say it cannot be reached" wait_for 10 offline "$uri"
check "off: the first job says why it waits" job_says "$uri" "${ids[off-0]:-0}" "cannot be reached"
sleep 1
for label in off-0 off-1 off-2; do
  check "off: $label waits, neither completed nor aborted" \
    eval '[[ $(job_state "$uri" "${ids[$label]:-0}") =~ ^(processing|pending|pending-held)$ ]]'
done
start_sink "$sink_port" "$work/off-out" "$work/off-sink.log"
check "on: the three jobs completed" wait_for 60 jobs_ended "$uri" "${ids[off-0]:-0}" "${ids[off-1]:-0}" "${ids[off-2]:-0}"
for label in off-0 off-1 off-2; do
  check "on: $label completed" job_is "$uri" "${ids[$label]:-0}" completed
done
wait_for 5 printer_idle "$sink_port" || true
index_streams "$work/off-out"
for label in off-0 off-1 off-2; do
  check "on: $label reached the printer once, as alone" printed_as_alone "$work/off-out" "$label" "$work/alone/$label.prn"
done
check "on: in the order they were accepted ($(arrival_order "$work/off-out"))" \
  test "$(arrival_order "$work/off-out")" = "off-0 off-1 off-2 "
check "on: the printer is no longer offline" not_offline "$uri"
stop_sink

# ---------------------------------------------------------------------------
echo "== a printer that takes the connection and reads nothing"
start_sink "$sink_port" "$work/unread-out" "$work/unread-sink.log" --stall-after 1
unread_id=$(print_job "$uri" unread "$work/pdfs/unread.pdf")
check "unread: the job says the printer has not taken it" wait_for 15 job_says "$uri" "${unread_id:-0}" "has not taken the job"
check "unread: the printer's reasons say so" offline "$uri"
check "unread: not completed" job_is "$uri" "${unread_id:-0}" processing
kill -USR2 "$sink_pid"
check "unread: completed once the printer reads" wait_for 20 job_is "$uri" "${unread_id:-0}" completed
wait_for 5 printer_idle "$sink_port" || true
index_streams "$work/unread-out"
check "unread: reached the printer once, as alone" printed_as_alone "$work/unread-out" unread "$work/alone/unread.prn"
stop_sink

# ---------------------------------------------------------------------------
echo "== two printers, one away"
env SNAP_COMMON="$app" TMPDIR="$app" XDG_CONFIG_HOME="$app" "$TICKETPRESS_PRINTER_APP" add -d other \
  -v "socket://127.0.0.1:$other_port" -m quorlan_pdf_laser < /dev/null > /dev/null
mkdir -p "$work/other-out"
python3 "$source/tests/printerapp/sink.py" "$other_port" "$work/other-out" > "$work/other-sink.pid" 2> "$work/other-sink.log" &
other_pid=$!
wait_for 10 test -s "$work/other-sink.pid"
away_id=$(print_job "$uri" waits-1 "$work/pdfs/waits-1.pdf")
wait_for 10 offline "$uri" || true
other_id=$(print_job "$other_uri" other "$work/pdfs/other.pdf")
check "other: completed while laser waits" wait_for 15 job_is "$other_uri" "${other_id:-0}" completed
check "laser: its job still waits" job_is "$uri" "${away_id:-0}" processing
index_streams "$work/other-out"
check "other: reached its printer once, as alone" printed_as_alone "$work/other-out" other "$work/alone/other.prn"

# ---------------------------------------------------------------------------
echo "== SIGTERM with jobs waiting for the printer"
waits_id=$(print_job "$uri" waits-2 "$work/pdfs/waits-2.pdf")
stop_began=$(date +%s)
PRINTER_APP_STOP_TIMEOUT=90 "$sandbox" stop "$app"
stop_seconds=$(($(date +%s) - stop_began))
app_status=$(cat "$app/printer-app.status" 2> /dev/null || echo none)
check "SIGTERM: ended by itself within 90 s ($app_status, ${stop_seconds} s)" \
  test "$app_status" = 0 -a "$stop_seconds" -lt 90
start_sink "$sink_port" "$work/resumed-out" "$work/resumed-sink.log"
"$sandbox" resume "$app_port" "$app" > /dev/null
check "resumed: both jobs completed" wait_for 30 jobs_ended "$uri" "${away_id:-0}" "${waits_id:-0}"
check "resumed: waits-1 completed" job_is "$uri" "${away_id:-0}" completed
check "resumed: waits-2 completed" job_is "$uri" "${waits_id:-0}" completed
wait_for 5 printer_idle "$sink_port" || true
index_streams "$work/resumed-out"
check "resumed: each once and whole, in their order ($(arrival_order "$work/resumed-out"))" \
  test "$(arrival_order "$work/resumed-out")" = "waits-1 waits-2 "

echo "$failures failures"
[ "$failures" = 0 ]
